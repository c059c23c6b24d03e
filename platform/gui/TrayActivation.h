// How the toolkit's tray icon activations map to tray actions (TrayAction in Tray.h).
#pragma once

#include <QSystemTrayIcon>
#include <optional>

namespace kelvaro::platform {

// Trigger (a left click) -> LeftClick, DoubleClick -> LeftDoubleClick, Context (a right click or
// the desktop's request for the context menu) -> RightClick; anything else (a middle click) gives
// no tray event.
//
// The toolkit reports Trigger and Context when the button goes down, not when it is released, and
// a double click as Trigger followed by DoubleClick; the handler therefore runs one button release
// earlier than on a desktop that reports releases, and a double click runs it twice (1, then 2).
std::optional<int> TrayActionFor(QSystemTrayIcon::ActivationReason reason);

}  // namespace kelvaro::platform
