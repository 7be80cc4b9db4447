#!/usr/bin/env bash
# The network components against real peers on loopback, through netprobe:
# nginx for pages, redirections, 404 and an empty body; tinyproxy as HTTP
# proxy; microsocks for SOCKS 5 with and without a password; danted for
# SOCKS 4 and 5. Run under the Wine environment of the test script.
# Usage: peer-tests.sh NETPROBE.EXE
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
NETPROBE=$1
WORK=$(cd "$(dirname "$NETPROBE")" && pwd)/peer-tests
mkdir -p "$WORK"
source "$ROOT/scripts/net-peers.sh"
trap peers_stop EXIT
peers_start "$WORK" || exit 1
WWW="$WORK/peers/www"
BASE=http://127.0.0.1:$PEER_HTTP

source "$ROOT/tests/lib/check.sh"
probe() { "$ROOT/scripts/wine-run" "$NETPROBE" "$@" 2>/dev/null; }
probe_rc() { "$ROOT/scripts/wine-run" "$NETPROBE" "$@" >/dev/null 2>&1; echo $?; }
winpath() { echo "Z:${1//\//\\}"; }

# wine-run merges the header lines (stderr) into its output; -o keeps the
# body apart.
body() {  # URL [options...]
  local out="$WORK/body.out"
  rm -f "$out"
  "$ROOT/scripts/wine-run" "$NETPROBE" get "$@" -o "$(winpath "$out")" >/dev/null 2>&1
  cat "$out" 2>/dev/null
}

check "plain page" "target page" "$(body $BASE/target.txt)"
body $BASE/file64m.bin >/dev/null
cmp -s "$WORK/body.out" "$WWW/file64m.bin" && same=identical || same=different
check "64 MiB file" identical "$same"
check "redirections: absolute, rooted, relative" "in a folder" "$(body $BASE/chain1)"
check "404 fails" 1 "$(probe_rc get $BASE/missing)"
check "404 text" "netprobe: 404 Not Found" "$("$ROOT/scripts/wine-run" "$NETPROBE" get $BASE/missing 2>&1 | grep '^netprobe:' | tr -d '\r')"
check "Content-Length 0" "" "$(body $BASE/empty)"
check "through the proxy" "target page" "$(body $BASE/target.txt --proxy 127.0.0.1:$PEER_PROXY)"
check "proxy saw the absolute address" 1 "$(grep -c "GET http://127.0.0.1:$PEER_HTTP/target.txt HTTP/1.0" "$WORK/peers/tinyproxy.log" | head -1 | awk '{print ($1 > 0)}')"
check "SOCKS 5" "target page" "$(body $BASE/target.txt --socks 127.0.0.1:$PEER_SOCKS5)"
check "SOCKS 5 with user and password" "target page" \
  "$(body $BASE/target.txt --socks 127.0.0.1:$PEER_SOCKS5U --socks-user orv --socks-password secret)"
check "SOCKS 5 with a wrong password fails" 1 \
  "$(probe_rc get $BASE/target.txt --socks 127.0.0.1:$PEER_SOCKS5U --socks-user orv --socks-password wrong --timeout 10)"
check "SOCKS 4 (danted)" "target page" "$(body $BASE/target.txt --socks 127.0.0.1:$PEER_DANTE --socks-level 4)"
check "SOCKS 5 (danted)" "target page" "$(body $BASE/target.txt --socks 127.0.0.1:$PEER_DANTE --socks-level 5)"
check "lookup" "127.0.0.1" "$(probe lookup localhost | tr -d '\r')"

check_summary ""
