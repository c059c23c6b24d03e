// MainWindow: the program's only window, as data (its definition) and the handlers bound to its
// events, with the tray icon and its menu TrayMenu.
#pragma once

#include <string_view>

#include "platform/gui/Window.h"
#include "platform/gui/WindowDefinition.h"

namespace kelvaro {

// Control names (code page 936).
inline constexpr std::string_view kEditBox1 =
    "\xB1\xE0\xBC\xAD\xBF\xF2"
    "1";  // "编辑框1"
inline constexpr std::string_view kButton1 =
    "\xB0\xB4\xC5\xA5"
    "1";  // "按钮1"
inline constexpr std::string_view kLabel1 =
    "\xB1\xEA\xC7\xA9"
    "1";  // "标签1"
inline constexpr std::string_view kLabel2 =
    "\xB1\xEA\xC7\xA9"
    "2";  // "标签2"
inline constexpr std::string_view kLabel3 =
    "\xB1\xEA\xC7\xA9"
    "3";  // "标签3"

// The tray icon's tooltip.
inline constexpr std::string_view kTrayTooltip = "Kelvaro";

// The definition, made once on first use and unchanged afterwards.
const platform::WindowDefinition& MainWindowDefinition();

// Creation handler (the window exists, not yet shown): the window's icons, the tray icon, and the
// priming request on SharedClient, which returns only when the request has ended.
void OnMainWindowCreated(platform::Window& window);

// Any mouse action on the tray icon hides the window; a right click (TrayAction::RightClick) also
// pops up TrayMenu.
void OnTrayEvent(platform::Window& window, int action);

// "显示": shows the window (shown and activated).
void OnShowItemSelected(platform::Window& window);

// "关闭": ends the program with status 0.
void OnCloseItemSelected(platform::Window& window);

// A click on 按钮1: the balance query (QueryBalance) on SharedClient, its line into 标签3.
void OnQueryButtonClicked(platform::Window& window);

}  // namespace kelvaro
