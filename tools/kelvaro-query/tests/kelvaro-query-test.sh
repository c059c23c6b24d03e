#!/usr/bin/env bash
# kelvaro-query against the demo lookup service on loopback, then with the service stopped.
#   kelvaro-query-test.sh <kelvaro-query> <demo service>
set -euo pipefail
query=$1
service=$2

work=$(mktemp -d)
service_pid=
cleanup() {
  [ -n "$service_pid" ] && kill "$service_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

"$service" --port 0 >"$work/service.out" 2>"$work/service.log" &
service_pid=$!
for _ in $(seq 1 200); do
  grep -q "^listening on" "$work/service.out" && break
  sleep 0.05
done
port=$(sed -n 's/^listening on 127\.0\.0\.1:\([0-9]*\)$/\1/p' "$work/service.out")
[ -n "$port" ] || fail "the demo service did not start: $(cat "$work/service.log")"
export http_proxy=http://127.0.0.1:$port no_proxy= NO_PROXY=

# One result line per number, in order, status 0.
out=$("$query" 13800138000 13012345678)
expected="查询成功 中国移动；手机号归属地：北京北京！ 余额：246.67
查询成功 中国联通；手机号归属地：重庆重庆！ 余额："
[ "$out" = "$expected" ] || fail "lines: $out"

# One JSON object per number; the quote in the number is escaped.
out=$("$query" --json 18912345678 '1"2')
expected='{"number":"18912345678","ok":true,"carrierCode":"1","carrier":"中国电信","province":"江苏","city":"常州","message":"查询成功","balance":"66.71","line":"查询成功 中国电信；手机号归属地：江苏常州！ 余额：66.71"}
{"number":"1\"2","ok":true,"carrierCode":"0","carrier":"","province":"","city":"","message":"号码格式错误，请输入11位手机号码","balance":"","line":"号码格式错误，请输入11位手机号码手机号归属地：！ 余额："}'
[ "$out" = "$expected" ] || fail "json: $out"

# Usage errors.
status=0
"$query" >/dev/null 2>&1 || status=$?
[ "$status" -eq 2 ] || fail "no number: status $status"

# The service stopped: the fixed texts only, a message on stderr, status 1.
kill "$service_pid"
wait "$service_pid" || true
service_pid=
status=0
out=$("$query" 13800138000 2>"$work/stderr") || status=$?
[ "$status" -eq 1 ] || fail "service stopped: status $status"
[ "$out" = "手机号归属地：！ 余额：" ] || fail "service stopped: $out"
grep -q "could not be reached" "$work/stderr" || fail "no message on stderr: $(cat "$work/stderr")"
echo "kelvaro-query: 4 checks passed"
