# The desktop of the end-to-end tests, sourced by each test script: a work folder cleaned up on
# exit, failure and wait helpers, and Xvfb with the openbox window manager and a tint2 panel whose
# notification area hosts tray icons. Every wait polls a condition with a time limit.
#
# The sourcing script sets beforehand: screenshot_tool, output (the screenshot folder) and name
# (the prefix of a failure screenshot).
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

readonly screen_width=1024 screen_height=768
readonly outer_width=338 outer_height=216
readonly limit=20  # seconds allowed for any one condition

work=$(mktemp -d)
pids=()
cleanup() {
  local pid
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    pid=${pids[i]}
    kill "$pid" 2>/dev/null || true
  done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  if [ -n "${DISPLAY:-}" ]; then
    echo "the program's visible windows:" >&2
    for id in $(xdotool search --onlyvisible --classname '^kelvaro$' 2>/dev/null); do
      xwininfo -id "$id" | grep -E "xwininfo|Absolute|Width|Height|Override" >&2
    done
    mkdir -p "$output"
    "$screenshot_tool" "$output/$name-failure.png" 2>/dev/null || true
    echo "screen at the failure: $output/$name-failure.png" >&2
  fi
  exit 1
}
pass() { echo "ok (${SECONDS}s): $*"; }

# wait_until <what> <command...>: runs the command until it succeeds, for at most $limit seconds.
wait_until() {
  local what=$1
  shift
  local deadline=$((SECONDS + limit))
  until "$@" >/dev/null 2>&1; do
    ((SECONDS < deadline)) || fail "timed out waiting until $what"
    sleep 0.05
  done
}

# --- the desktop -------------------------------------------------------------------------------

unset DBUS_SESSION_BUS_ADDRESS  # the tray must be the X11 one that tint2 offers
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 0700 "$XDG_RUNTIME_DIR"
export QT_QPA_PLATFORM=xcb
mkdir -p "$output"

Xvfb -displayfd 3 -screen 0 "${screen_width}x${screen_height}x24" -nolisten tcp \
  3>"$work/display" >"$work/xvfb.log" 2>&1 &
pids+=($!)
wait_until "Xvfb tells its display number" test -s "$work/display"
export DISPLAY=:$(head -n 1 "$work/display")

openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
wait_until "openbox manages the screen" sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'

tint2 -c "$here/tint2rc" >"$work/tint2.log" 2>&1 &
pids+=($!)
wait_until "the tint2 notification area is up" grep -q "systray started" "$work/tint2.log"

# --- helpers on windows ----------------------------------------------------------

# Client area of a window: "x y width height" on the screen.
client_geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
    /^  Width/ {w=$NF} /^  Height/ {h=$NF} END {print x, y, w, h}'
}

# Outer frame of a managed window (client area plus _NET_FRAME_EXTENTS): "x y width height".
frame_geometry() {
  local extents
  extents=$(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ',')
  [ -n "$extents" ] || return 1
  read -r left right top bottom <<<"$extents"
  read -r x y w h <<<"$(client_geometry "$1")"
  echo "$((x - left)) $((y - top)) $((w + left + right)) $((h + top + bottom))"
}

# True once the process has ended (it may still wait to be reaped).
has_ended() {
  local state
  state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null || true)
  [ -z "$state" ] || [ "$state" = "Z" ]
}

is_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }

is_viewable() { xwininfo -id "$1" | grep -q "IsViewable"; }
is_unmapped() { xwininfo -id "$1" | grep -q "IsUnMapped"; }
frame_is() { [ "$(frame_geometry "$1")" = "$2" ]; }
has_skip_taskbar() {
  xprop -id "$1" _NET_WM_STATE | grep -q "_NET_WM_STATE_SKIP_TASKBAR" &&
    xprop -id "$1" _NET_WM_STATE | grep -q "_NET_WM_STATE_SKIP_PAGER"
}

