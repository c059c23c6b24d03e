#!/usr/bin/env bash
# End-to-end test of the window and the tray on a real X server: Xvfb, the openbox window manager
# and a tint2 panel with a notification area, driven with xdotool like a person with a mouse.
#
#   window-e2e.sh <kelvaro> <screenshot tool> <output folder> <ending>
#
# <ending> is how the program is ended at the end: "close-item" (the tray menu's "关闭") or
# "close-box" (Alt+F4, which openbox turns into closing the window). Screenshots go to
# <output folder>/e2e-screenshots/. Every wait polls a condition with a time limit.
set -euo pipefail

kelvaro=$1
screenshot_tool=$2
output=$3/e2e-screenshots
ending=$4
name=$ending
source "$(dirname "$0")/desktop.sh"

# --- helpers on the program's windows -------------------------------------------------------

# The program's tray icon, as the tray host reports embedding it: "add_icon: <window>, pid <pid>".
find_tray_icon() {
  local id
  id=$(sed -n "s/.*add_icon: \([0-9][0-9]*\) .*pid $program,.*/\1/p" "$work/tint2.log" | tail -n 1)
  [ -n "$id" ] && is_viewable "$id" && echo "$id"
}

# The tray host reports removing it: "remove_icon: <window>".
tray_icon_removed() { grep -q "remove_icon: $tray " "$work/tint2.log"; }

# The open popup menu: a visible window of the program that the window manager does not manage.
find_popup() {
  local id
  for id in $(xdotool search --onlyvisible --classname '^kelvaro$' 2>/dev/null); do
    [ "$id" = "$tray" ] && continue
    xwininfo -id "$id" | grep -q "Override Redirect State: yes" && echo "$id" && return 0
  done
  return 1
}

# Moves the pointer there, as a hand would: from a little way off, and waits until it got there.
pointer_to() {
  xdotool mousemove --sync "$(($1 - 3))" "$(($2 + 3))"
  xdotool mousemove --sync "$1" "$2"
}

click_tray() {
  read -r x y w h <<<"$(client_geometry "$tray")"
  tray_x=$((x + w / 2))
  tray_y=$((y + h / 2))
  pointer_to "$tray_x" "$tray_y"
  xdotool click "$1"
}

# Opens the tray menu with a right click and gives its id; checks where it sits.
open_tray_menu() {
  click_tray 3
  wait_until "the tray menu opens" find_popup
  popup=$(find_popup)
  read -r mx my mw mh <<<"$(client_geometry "$popup")"
  # Right-aligned at the cursor: the right edge at x - 5, the top at y - 5.
  [ "$((mx + mw))" -eq "$((tray_x - 5))" ] ||
    fail "menu's right edge at $((mx + mw)), cursor x - 5 is $((tray_x - 5))"
  [ "$my" -eq "$((tray_y - 5))" ] || fail "menu's top at $my, cursor y - 5 is $((tray_y - 5))"
}

# Clicks item <n> of <count> of the open menu.
choose_item() {
  pointer_to "$((mx + mw / 2))" "$((my + (2 * $1 - 1) * mh / (2 * $2)))"
  xdotool click 1
}

# Drags from a point of the window's client area by (40, 30) in small steps. The window manager
# takes the pointer over only after the press has reached it, so it gets a moment first.
drag_from() {
  read -r cx cy _ _ <<<"$(client_geometry "$main")"
  pointer_to "$((cx + $1))" "$((cy + $2))"
  xdotool mousedown 1
  sleep 0.2
  for _ in 1 2 3 4 5; do xdotool mousemove_relative --sync 8 6; done
  xdotool mouseup 1
}

# True when the frame moved with the drag from <before>: right and down, by at most (40, 30)
# (a step the window manager saw before its grab does not count), and kept its size.
moved_with_drag() {
  read -r bx by bw bh <<<"$1"
  read -r fx fy fw fh <<<"$(frame_geometry "$main")"
  ((fx > bx && fx <= bx + 40 && fy > by && fy <= by + 30 && fw == bw && fh == bh))
}

# --- the program ---------------------------------------------------------------------------------

# The priming request goes to a closed port on this machine and fails at once.
http_proxy=http://127.0.0.1:9 no_proxy= "$kelvaro" >"$work/kelvaro.log" 2>&1 &
program=$!
pids+=("$program")

wait_until "MainWindow is shown" sh -c 'xdotool search --onlyvisible --name "^Kelvaro" | grep -q .'
main=$(xdotool search --onlyvisible --name "^Kelvaro" | head -n 1)
[ "$(xprop -id "$main" _NET_WM_NAME | sed -n 's/.*= "\(.*\)"/\1/p')" = "Kelvaro—Orvelle" ] ||
  fail "caption is $(xprop -id "$main" _NET_WM_NAME)"

centred="$(((screen_width - outer_width) / 2)) $(((screen_height - outer_height) / 2)) $outer_width $outer_height"
wait_until "MainWindow's frame is centred and $outer_width x $outer_height" frame_is "$main" "$centred"
pass "MainWindow shown centred, outer size $outer_width x $outer_height"

has_skip_taskbar "$main" || fail "no skip-taskbar state: $(xprop -id "$main" _NET_WM_STATE)"
pass "no taskbar button (skip-taskbar and skip-pager set)"

hints=$(xprop -id "$main" WM_NORMAL_HINTS)
minimum=$(sed -n 's/.*minimum size: //p' <<<"$hints")
maximum=$(sed -n 's/.*maximum size: //p' <<<"$hints")
[ -n "$minimum" ] && [ "$minimum" = "$maximum" ] || fail "resizable: $hints"
if xprop -id "$main" _NET_WM_ALLOWED_ACTIONS | grep -qE "_NET_WM_ACTION_(RESIZE|MAXIMIZE)"; then
  fail "the window manager offers resizing: $(xprop -id "$main" _NET_WM_ALLOWED_ACTIONS)"
fi
pass "fixed size, no resize or maximize"

wait_until "the tray icon is embedded" find_tray_icon
tray=$(find_tray_icon)
"$screenshot_tool" "$output/$ending-window.png"
pass "tray icon embedded; screenshot $output/$ending-window.png"

# A left click on the tray icon hides the window and opens no menu.
click_tray 1
wait_until "a left click hides MainWindow" is_unmapped "$main"
sleep 0.3
! find_popup >/dev/null || fail "a left click opened a menu"
pass "left click on the tray icon hides the window"

# A right click hides the window (already hidden here) and opens the menu; "显示" shows it.
open_tray_menu
is_unmapped "$main" || fail "the window showed up with the menu"
"$screenshot_tool" "$output/$ending-tray-menu.png"
choose_item 1 2
wait_until "\"显示\" shows MainWindow" is_viewable "$main"
wait_until "\"显示\" activates MainWindow" is_active "$main"
wait_until "the tray menu closes" sh -c "! xwininfo -id $popup | grep -q IsViewable"
has_skip_taskbar "$main" || fail "skip-taskbar lost on showing again"
pass "right click opens the menu at the cursor; \"显示\" shows the window, still off the taskbar"

# A right click on a visible window hides it too; dismissing the menu leaves it hidden.
open_tray_menu
wait_until "a right click hides MainWindow" is_unmapped "$main"
xdotool key Escape
wait_until "Escape closes the menu" sh -c "! xwininfo -id $popup | grep -q IsViewable"
is_unmapped "$main" || fail "dismissing the menu showed the window"
open_tray_menu
choose_item 1 2
wait_until "\"显示\" shows MainWindow" is_viewable "$main"
wait_until "\"显示\" activates MainWindow" is_active "$main"
pass "right click hides a visible window; a dismissed menu leaves it hidden"

# Dragging by a label and by the background moves the window; by the edit box it does not.
xdotool windowactivate --sync "$main" >/dev/null 2>&1 || true
before=$(frame_geometry "$main")
drag_from 30 31 # 标签2
wait_until "dragging 标签2 moves the window" moved_with_drag "$before"
before=$(frame_geometry "$main")
drag_from 320 185 # background below 标签1
wait_until "dragging the background moves the window" moved_with_drag "$before"
before=$(frame_geometry "$main")
drag_from 100 32 # 编辑框1
sleep 0.5
[ "$(frame_geometry "$main")" = "$before" ] || fail "dragging the edit box moved the window"
pass "dragging a label or the background moves the window, the edit box does not"

# --- the end -------------------------------------------------------------------------------------

case $ending in
  close-item)
    open_tray_menu
    choose_item 2 2
    ;;
  close-box)
    xdotool windowactivate --sync "$main" >/dev/null 2>&1 || true
    xdotool key --clearmodifiers alt+F4
    ;;
  *) fail "unknown ending $ending" ;;
esac
wait_until "the program ends" has_ended "$program"
status=0
wait "$program" || status=$?
[ "$status" -eq 0 ] || { cat "$work/kelvaro.log" >&2; fail "exit status $status"; }
wait_until "the tray host removes the tray icon" tray_icon_removed
pass "$ending ends the program with status 0 and removes the tray icon"
