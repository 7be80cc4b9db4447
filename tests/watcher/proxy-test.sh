#!/usr/bin/env bash
# The watcher's page fetch through a real HTTP proxy: tinyproxy (with the
# other peers of scripts/net-peers.sh) on free loopback ports, then the
# proxy case of the watcher's end-to-end tests, which reads the port from
# ORV_PROXY_PORT. Run under the Wine environment of the test script.
# Usage: proxy-test.sh WATCHER_E2E_TESTS.EXE
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
TESTS=$1
WORK=$(cd "$(dirname "$TESTS")" && pwd)/proxy-test
mkdir -p "$WORK"
source "$ROOT/scripts/net-peers.sh"
trap peers_stop EXIT
peers_start "$WORK" || exit 1

source "$ROOT/tests/lib/check.sh"
check_gtest_case "watcher through the proxy" "$TESTS" WatcherCycle.ProxySettingsAct ORV_PROXY_PORT=$PEER_PROXY
check "tinyproxy passed the page request on" 1 \
  "$(grep -c 'GET http://127.0.0.1:[0-9]*/proxied HTTP/1.0' "$WORK/peers/tinyproxy.log" | awk '{print ($1 > 0)}')"
check_summary ""
