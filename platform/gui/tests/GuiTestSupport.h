// Helpers for widget tests that run off screen (OffscreenTestMain.cpp).
#pragma once

#include <QApplication>
#include <QMenu>
#include <QWidget>
#include <functional>
#include <string>

#include "text/Text.h"

namespace kelvaro::testing {

// The window with that object name, or nullptr.
QWidget* FindWindow(const QString& objectName);
// A control by its code page 936 name, or nullptr.
template <typename T = QWidget>
T* FindControl(QWidget* window, const Text& name);

// Text as UTF-8 (readable in failure messages).
std::string Utf8(const Text& text);
QString ToQ(const Text& text);

// Types `utf16` into the focus widget of `window` key by key, characters outside Latin-1
// included.
void TypeText(QWidget* target, const QString& text);

// Sends a mouse event of `type` with the left button to `target` at `position` (target's
// coordinates).
void SendLeftMouse(QWidget* target, QEvent::Type type, QPoint position);

// Runs `action` with the popup menu as soon as one is open (from inside its event loop).
void WithPopupMenu(std::function<void(QMenu&)> action);

// The toolkit keeps a quit (QuitEventLoops) in force for every later event loop; tests that quit
// call this afterwards so that the next test can wait again.
void ForgetQuit();

// Destroys every window left over by a test and lets queued deletions happen.
void DestroyAllWindows();

}  // namespace kelvaro::testing

#include "platform/gui/tests/GuiTestSupport.inl"
