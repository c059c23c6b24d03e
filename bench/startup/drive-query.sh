#!/usr/bin/env bash
# Runs one balance query in the program's MainWindow the way a person does: a click into the
# number edit box, the number typed, a click on "查询". Returns once the demo lookup service has
# answered the query's ubInfo request and the window had time to show the answer.
# Called by kelvaro_bench_mapwait --then, which sets KELVARO_BENCH_WINDOW.
#
#   drive-query.sh <service log>
set -euo pipefail
log=$1
readonly number=13800138000
window=$KELVARO_BENCH_WINDOW

before=$(grep -c "/web/phone/ubInfo" "$log" || true)
# The edit box (62, 16; 160 x 32) and the button (229, 16; 80 x 32), in window coordinates.
xdotool mousemove --window "$window" --sync 140 32 click 1
xdotool type --delay 5 "$number"
xdotool mousemove --window "$window" --sync 269 32 click 1
for _ in $(seq 1 200); do
  [ "$(grep -c "/web/phone/ubInfo" "$log" || true)" -gt "$before" ] && break
  sleep 0.02
done
[ "$(grep -c "/web/phone/ubInfo" "$log" || true)" -gt "$before" ] || {
  echo "drive-query: the query's ubInfo request never arrived" >&2
  exit 1
}
# The answer is in; let the label show it.
sleep 0.3
