#!/usr/bin/env bash
# Names that do not resolve, tried for real: in a network and mount namespace
# of its own, the script binds a resolv.conf of its own over the system's and
# runs a name server on that namespace's loopback. It knows one name, holds
# the answers for a few others until the test releases them, never answers
# one, and answers "no such name" for every other, so no question leaves the
# machine. For the watcher, the resolver then waits for the name never
# answered longer than the watcher's own limit.
# Needs root (or the right to make namespaces); exits 77 (skipped) without.
# Usage: unresolvable.sh WIN32_TESTS.EXE NETPROBE.EXE [WATCHER_E2E_TESTS.EXE]
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)

if [ "${ORV_IN_NAMESPACE:-}" != 1 ]; then
  if ! unshare --mount --net true 2>/dev/null; then
    echo "skipped: no network namespace can be made here"
    exit 77
  fi
  ORV_IN_NAMESPACE=1 exec unshare --mount --net -- bash "$0" "$@"
fi

TESTS=$1
NETPROBE=$2
UNKNOWN=nosuch.orvandel.test
KNOWN=known.orvandel.test
SILENT=silent.orvandel.test
# name=address pairs whose answers wait for the test (one pair per case that
# needs one: a released name is answered at once afterwards)
HELD="held1.orvandel.test=127.0.0.11,held2.orvandel.test=127.0.0.12,held3.orvandel.test=127.0.0.13"
HELD="$HELD,held4.orvandel.test=127.0.0.14,held5.orvandel.test=127.0.0.15,held6.orvandel.test=127.0.0.16"
WATCHER_HELD=heldw.orvandel.test
WORK=$(mktemp -d)
DNS_PID=""
cleanup() {
  [ -n "$DNS_PID" ] && kill "$DNS_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

# What the machine does not allow is a skip, not a failure of the programs.
skip() { echo "skipped: $1"; exit 77; }
ip link set lo up || skip "no loopback in the namespace"
printf 'nameserver 127.0.0.1\noptions timeout:5 attempts:2\n' >"$WORK/resolv.conf"
mount --bind "$WORK/resolv.conf" /etc/resolv.conf || skip "resolv.conf cannot be replaced"
held_args=()
IFS=, read -ra pairs <<<"$HELD"
for pair in "${pairs[@]}" "$WATCHER_HELD=127.0.0.9"; do held_args+=("$pair/held"); done
python3 "$ROOT/tests/netns/dns-stub.py" 127.0.0.1 53 "$KNOWN=127.0.0.1" "$SILENT=silent" "${held_args[@]}" \
  >"$WORK/dns.log" 2>&1 &
DNS_PID=$!
for _ in $(seq 1 50); do
  grep -q ready "$WORK/dns.log" && break
  sleep 0.1
done
grep -q ready "$WORK/dns.log" || { cat "$WORK/dns.log"; skip "the name server did not start"; }

source "$ROOT/tests/lib/check.sh"

check_gtest_case "component tests" "$TESTS" 'Unresolvable.*' ORV_UNRESOLVABLE_NAME=$UNKNOWN ORV_KNOWN_NAME=$KNOWN \
  ORV_SILENT_NAME=$SILENT ORV_HELD_NAMES=$HELD

probe() { "$ROOT/scripts/wine-run" "$NETPROBE" "$@" 2>&1 | tr -d '\r'; echo "rc=${PIPESTATUS[0]}"; }
check "netprobe lookup of the unknown name" "error 11001 Host not found rc=1" "$(probe lookup $UNKNOWN | tr '\n' ' ' | sed 's/ $//')"
check "netprobe lookup of the known name" "127.0.0.1 rc=0" "$(probe lookup $KNOWN | tr '\n' ' ' | sed 's/ $//')"
check "netprobe ping of the unknown name" "1" "$(probe ping $UNKNOWN --timeout 500 | grep -c "Unable to resolve $UNKNOWN")"
check "netprobe ping exit code" "rc=1" "$(probe ping $UNKNOWN --timeout 500 | tail -1)"
check "netprobe get" "netprobe: 404 can't resolve hostname to IP address rc=1" \
  "$(probe get http://$UNKNOWN/ | tr '\n' ' ' | sed 's/ $//')"

if [ -n "${3:-}" ]; then
  check_gtest_case "watcher's static name that does not resolve" "$3" WatcherCycle.StaticNameThatDoesNotResolve \
    ORV_UNRESOLVABLE_NAME=$UNKNOWN
  # One try of 30 s, then one of 60: the resolver outlasts the watcher's
  # own limit by far. The test reads the name server's log (drive Z: is /).
  printf 'nameserver 127.0.0.1\noptions timeout:30 attempts:2\n' >"$WORK/resolv-slow.conf"
  # Off first: a mount on top would pin the first file, which then cannot be removed.
  umount /etc/resolv.conf && mount --bind "$WORK/resolv-slow.conf" /etc/resolv.conf ||
    skip "resolv.conf cannot be replaced again"
  check_gtest_case "watcher's lookups that end late or never" "$3" 'WatcherLookup.*' \
    ORV_SILENT_NAME=$SILENT ORV_HELD_NAME=$WATCHER_HELD ORV_RELEASE_NAME=release.$WATCHER_HELD \
    ORV_DNS_LOG="Z:${WORK//\//\\}\\dns.log"
fi

check_summary "unresolvable names: "
