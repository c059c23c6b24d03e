// The notification-area (tray) icon of a window and the popup menu shown from it.
//
// A window holds at most one tray icon, with its tooltip and icon; mouse actions on the icon reach
// the window's onTrayEvent handler (WindowDefinition.h) as a TrayAction value. The icon is removed
// when its window is destroyed. When the notification area is recreated (its host restarts), the
// icon is added to the new one: a window hidden to the tray must stay reachable.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "platform/gui/Window.h"
#include "platform/gui/WindowDefinition.h"
#include "text/Text.h"

namespace kelvaro::platform {

// The integer a tray event carries.
namespace TrayAction {
inline constexpr int LeftClick = 1;
inline constexpr int LeftDoubleClick = 2;
inline constexpr int RightClick = 3;
}  // namespace TrayAction

// The tooltip keeps at most this many bytes of the text given.
inline constexpr std::int32_t kTrayTooltipMaxBytes = 62;

// What a window's tray icon record holds.
struct TrayIconState {
  bool installed = false;  // an icon is in the notification area
  Text tooltip;            // the tooltip as stored (at most kTrayTooltipMaxBytes bytes)
  int iconWidth = 0;       // the held icon's size; 0 while no icon is held
  int iconHeight = 0;
};

// Makes an icon from .ico data (MakeIcon with a 16-pixel preference, IconData.h) and stores the
// first kTrayTooltipMaxBytes bytes of `tooltip`. Without a tray icon yet: adds one when an icon
// was made, else does nothing more. With one: a new icon replaces the installed icon and tooltip;
// no icon removes the tray icon. The record then holds the new icon, or none.
void SetTrayIcon(Window& window, std::span<const std::uint8_t> iconData, const Text& tooltip);

TrayIconState TrayIconOf(const Window& window);

// Shows the sub-items of `menu` as a popup at the mouse cursor, its right edge at the cursor's
// x - 5 and its top at the cursor's y - 5 (moved inside the screen when it would leave it), and
// waits until it closes. The popup is then destroyed, and after that the chosen item's onSelected
// handler runs with `window` (unless the window was destroyed meanwhile). Disabled items cannot
// be chosen; dismissing the popup chooses nothing.
void PopupTrayMenu(Window& window, const MenuDefinition& menu);

}  // namespace kelvaro::platform
