#!/usr/bin/env bash
# End-to-end test of the balance query on a real X server: the program pointed at the demo lookup
# service (through http_proxy, its built-in address unchanged), a number typed into 编辑框1 and
# "查询" clicked with xdotool. The service's request log must show the baseInfo request and then
# the ubInfo request, with the query keys in order and the default headers Accept,
# Accept-Language, Referer (the request's own URL) and User-Agent in that order.
#
#   query-e2e.sh <kelvaro> <screenshot tool> <output folder> <demo service>
#
# The answered window is saved as <output folder>/e2e-screenshots/query-answered.png.
set -euo pipefail

kelvaro=$1
screenshot_tool=$2
output=$3/e2e-screenshots
service=$4
name=query
source "$(dirname "$0")/desktop.sh"

readonly number=13800138000
readonly base=http://lookup.kelvaro.invalid

"$service" --port 0 --log "$work/service.log" >"$work/service.out" 2>"$work/service.err" &
pids+=($!)
wait_until "the demo service listens" grep -q "^listening on" "$work/service.out"
port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/service.out")

http_proxy=http://127.0.0.1:$port no_proxy= NO_PROXY= "$kelvaro" >"$work/kelvaro.log" 2>&1 &
program=$!
pids+=("$program")
wait_until "MainWindow is shown" sh -c 'xdotool search --onlyvisible --name "^Kelvaro" | grep -q .'
main=$(xdotool search --onlyvisible --name "^Kelvaro" | head -n 1)
grep -qE "^GET $base/web/[0-9a-f]{32} HTTP/1.1" "$work/service.log" ||
  fail "no priming request before the window was shown: $(cat "$work/service.log")"
pass "the priming request reached the demo service before the window was shown"

# Type the number into 编辑框1 (62, 16; 160 x 32) and click 按钮1 (229, 16; 80 x 32).
xdotool windowactivate --sync "$main" >/dev/null 2>&1 || true
read -r cx cy _ _ <<<"$(client_geometry "$main")"
xdotool mousemove --sync "$((cx + 140))" "$((cy + 32))" click 1
xdotool type --delay 30 "$number"
xdotool mousemove --sync "$((cx + 269))" "$((cy + 32))" click 1
wait_until "the ubInfo request arrives" grep -q "/web/phone/ubInfo" "$work/service.log"

# The request lines in order, and each request's header lines.
mapfile -t lines < <(grep "^GET " "$work/service.log")
[ "${#lines[@]}" -eq 3 ] || fail "expected 3 requests, the log has: $(printf '\n  %s' "${lines[@]}")"
[ "${lines[1]}" = "GET $base/web/phone/baseInfo?type=3&number=$number HTTP/1.1" ] ||
  fail "baseInfo request line: ${lines[1]}"
ubinfo_pattern="^GET $base/web/phone/ubInfo\?type=3&number=$number&province=[^&]+&city=[^&]+&p_type=2 HTTP/1\.1$"
[[ "${lines[2]}" =~ $ubinfo_pattern ]] || fail "ubInfo request line: ${lines[2]}"
pass "baseInfo, then ubInfo with type, number, province, city, p_type in order"

# headers_of <request line>: the header lines of that request, in the order received.
headers_of() {
  awk -v line="$1" '$0 == line {inside = 1; next} inside && /^\r?$/ {exit} inside {print}' \
    "$work/service.log" | tr -d '\r'
}
# Percent-decodes (the request line carries the URL escaped; the Referer carries it as text).
percent_decode() { printf '%b' "$(sed 's/%\([0-9A-Fa-f][0-9A-Fa-f]\)/\\x\1/g' <<<"$1")"; }

for i in 1 2; do
  target=$(awk '{print $2}' <<<"${lines[i]}")
  mapfile -t defaults < <(headers_of "${lines[i]}" | grep -E "^(Accept|Accept-Language|Referer|User-Agent):")
  expected=("Accept: */*" "Accept-Language: zh-cn" "Referer: $(percent_decode "$target")"
    "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)")
  [ "${defaults[*]}" = "${expected[*]}" ] ||
    fail "default headers of ${lines[i]}:$(printf '\n  %s' "${defaults[@]}")"
done
pass "both requests carry Accept, Accept-Language, Referer (their own URL) and User-Agent in order"

# Let the label repaint, then keep the answered window.
sleep 0.5
read -r fx fy fw fh <<<"$(frame_geometry "$main")"
"$screenshot_tool" "$output/query-answered.png" "$fx" "$fy" "$fw" "$fh"
pass "screenshot $output/query-answered.png"

xdotool windowactivate --sync "$main" >/dev/null 2>&1 || true
xdotool key --clearmodifiers alt+F4
wait_until "the program ends" has_ended "$program"
status=0
wait "$program" || status=$?
[ "$status" -eq 0 ] || { cat "$work/kelvaro.log" >&2; fail "exit status $status"; }
pass "closing the window ends the program with status 0"
