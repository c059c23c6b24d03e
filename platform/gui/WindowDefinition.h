// A window as data: the settings of a top-level window, of each of its controls and of its menu,
// and the handlers bound to their events. LoadWindow (Window.h) turns a definition into a window.
//
// Places and sizes are pixels. A control's place is relative to the window's client area. Texts
// are code page 936; "\r\n" in a label's text starts a new line.
// Every handler is optional (an empty std::function means "no handler") and takes no result. A
// handler receives the window whose event it handles; it may destroy that window (hide it, close
// it, end the program), and the layer touches nothing of the window after such a handler returns.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "text/Text.h"

namespace kelvaro::platform {

class Window;

struct Point {
  int x = 0;
  int y = 0;
};

struct Size {
  int width = 0;
  int height = 0;
};

struct Colour {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  friend bool operator==(const Colour&, const Colour&) = default;
};

inline constexpr Colour kBlack{0, 0, 0};
inline constexpr Colour kWhite{255, 255, 255};

enum class ControlKind {
  Label,       // draws its text; a left press on it drags the window (when enabled)
  EditBox,     // single-line, sunken border, scrolls horizontally, no length limit
  PushButton,  // ordinary (never a default button); a click runs onClicked
};

enum class HorizontalAlignment { Left, Centre, Right };
enum class VerticalAlignment { Top, Centre };

// A font chosen by character height; the face is left to the system.
struct FontSetting {
  int pixelHeight = 0;
  int weight = 400;  // 400 normal, 700 bold
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
};

using WindowHandler = std::function<void(Window&)>;
// The tray event: the window and the tray action (TrayAction in Tray.h).
using TrayHandler = std::function<void(Window&, int action)>;

struct ControlDefinition {
  Text name;  // unique within the window; also the widget's object name
  ControlKind kind = ControlKind::Label;
  Point place;
  Size size;
  Text text;  // initial text
  Colour textColour = kBlack;
  // Background; none means the window's own (the system's button-face colour).
  std::optional<Colour> background;
  // None means the system's default GUI font.
  std::optional<FontSetting> font;
  HorizontalAlignment alignment = HorizontalAlignment::Left;
  // Used by labels that do not wrap; a wrapping label always starts at its top.
  VerticalAlignment verticalAlignment = VerticalAlignment::Top;
  bool wordWrap = false;    // labels only
  WindowHandler onClicked;  // push buttons only
};

struct MenuItemDefinition {
  Text name;
  Text text;
  bool enabled = true;
  bool checked = false;
  WindowHandler onSelected;
};

// A menu with a top item whose sub-items form the popup. The top item is hidden: the window gets
// no menu bar, and the menu serves only as a popup (PopupTrayMenu in Tray.h). Menu bars are not
// offered by this layer.
struct MenuDefinition {
  Text name;
  Text text;
  bool topItemHidden = true;
  std::vector<MenuItemDefinition> items;
};

struct WindowDefinition {
  Text name;  // the window's object name
  Text caption;
  // Outer size, frame and caption bar included; the frame is fixed (not resizable).
  Size outerSize;
  // Where the window goes when it is not centred.
  Point designPosition;
  // Centred on the whole screen when created: ((screen - outer size) / 2), integer division.
  bool centred = true;
  bool minimizeBox = true;
  bool maximizeBox = false;
  // No taskbar (or pager) button while false.
  bool taskbarButton = false;
  // A left press on the window's background or on a label starts moving the window.
  bool dragByBody = true;
  std::vector<ControlDefinition> controls;
  std::optional<MenuDefinition> menu;
  // Runs once, after the window and its controls exist and before the window is shown.
  WindowHandler onCreated;
  // Runs for each mouse action on the window's tray icon (Tray.h).
  TrayHandler onTrayEvent;
};

}  // namespace kelvaro::platform
