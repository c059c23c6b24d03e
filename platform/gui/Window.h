// Windows made from definitions (WindowDefinition.h), the process's invisible owner window, the
// modal wait and the pump for queued events.
//
// All of this runs on the GUI thread, inside the lifetime of a GuiToolkit (GuiToolkit.h).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/gui/WindowDefinition.h"
#include "text/Text.h"

namespace kelvaro::platform {

class WindowWidget;

// A live window made by LoadWindow. It belongs to its window: it exists exactly as long as the
// window does, and handlers receive it by reference. Not copyable.
class Window {
 public:
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // The definition the window was made from (a copy kept by the window).
  const WindowDefinition& definition() const;

  // The current text of the named control: a label's or button's text as last set, an edit
  // box's text as typed (characters the code page lacks become "?"). Empty for an unknown name.
  Text ControlText(std::string_view controlName) const;
  // Replaces the named control's text; a label draws it the next time the window paints. False
  // (and nothing changes) for an unknown name.
  bool SetControlText(std::string_view controlName, const Text& text);

  // Shown and activated; a minimised window is restored first. Keeps the taskbar setting of the
  // definition on every show. Showing a visible window leaves it visible.
  void Show();
  // Not shown at all (the tray icon, if any, stays).
  void Hide();
  bool IsVisible() const;
  // Closes the window as the close box does: it is hidden at once and destroyed as soon as the
  // event loop runs again (a modal wait on it then ends).
  void Close();

  // Sets the large (32-pixel preference) and small (16-pixel preference) icons from .ico data
  // (IconData.h). When neither can be made, the window keeps the default icon.
  void SetIcons(std::span<const std::uint8_t> iconData);

  // For the layer's own use.
  WindowWidget& widget() const { return widget_; }

 private:
  friend class WindowWidget;
  explicit Window(WindowWidget& widget) : widget_(widget) {}
  WindowWidget& widget_;
};

// Creates the process's invisible owner window (a tool window, never shown) if it does not exist.
void CreateOwnerWindow();
// Destroys the invisible owner window and, first, every window it owns. Nothing when none exists.
void DestroyOwnerWindow();
bool OwnerWindowExists();

// Opens a window from `definition`:
//  1. creates it invisible, owned by `owner` (or by the invisible owner window when none is given
//     and that exists), placed as the definition says, with its controls;
//  2. runs the definition's onCreated handler;
//  3. shows the window (unless the handler destroyed it);
//  4. when `modal`: dispatches events until the window has been destroyed or the toolkit is told
//     to quit (QuitEventLoops).
// Returns true once the window was opened. (The toolkit reports no failure to create a window,
// so false is never returned here.)
bool LoadWindow(const WindowDefinition& definition, bool modal, Window* owner = nullptr);

// Dispatches the events already queued, then returns; it waits for nothing and does no idle
// processing. Handlers may run re-entrantly from inside it.
void ProcessEvents();

// Dispatches events while any window made by LoadWindow exists; returns at once when none does.
void RunMessageLoopWhileWindowsExist();

// Ends every running modal wait and message loop (the quit message).
void QuitEventLoops();

// Number of windows made by LoadWindow that still exist.
int LiveWindowCount();

}  // namespace kelvaro::platform
