#!/usr/bin/env bash
# The watcher over 200 checks, one a second, against a page server that
# answers, fails, stalls and sends garbage in turn: its handle count and its
# private memory must not grow. Both are measured from outside by traywatch
# after every tenth outcome (handles from the system's handle table, the
# committed private memory from the watcher's address space), and the
# figures after the warm-up are compared with those at the end. Runs inside
# the test environment (wine-env.sh).
# Usage: soak-test.sh TRAYWATCH.EXE ORVANDEL.EXE
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
source "$ROOT/scripts/watcher-job.sh"
traywatch=$1
watcher=$2
cycles=${ORV_SOAK_CYCLES:-200}
every=10
# A leak of one handle or 4 KiB per check stands out over 140 checks;
# the heap's own ups and downs stay well below these.
handle_tolerance=8
private_tolerance_kib=512

# A prefix and a Wine server of its own: the soak runs beside the other
# tests, which take turns in the build's prefix (registry, hosts file).
source "$ROOT/scripts/wine-env.sh"
soak_prefix="${WINEPREFIX:?the soak runs inside the test environment}-soak"
mkdir -p "$soak_prefix.logs"
wine_prefix_start "$soak_prefix" "$soak_prefix.logs"

work=$(mktemp -d)
hosts=$(prefix_path "$HOSTS_FILE_WINDOWS")
cp "$hosts" "$work/hosts.before"
tw=""
finish() {
  [ -n "$tw" ] && { kill "$tw" 2>/dev/null || true; wait "$tw" 2>/dev/null || true; }
  page_server_stop
  cp "$work/hosts.before" "$hosts"
  rm -rf "$work"
  wineserver -k >/dev/null 2>&1 || true
}
trap finish EXIT

page_server_start "$work" --rotate --log "$work/requests.log"
watcher_options "$work" "$PAGE_URL" 1
exe=$(winpath "$watcher")
# Each check takes at most four attempts with a stall and a wait each.
"$WINELOADER" "$traywatch" "$exe" --known --stop-file "$(winpath "$work/stop")" --sample-every "$every" \
  --timeout $((cycles * 20)) \
  >"$work/tray.log" 2>&1 </dev/null &
tw=$!

declare -a handles private
for k in $(seq "$every" "$every" "$cycles"); do
  line=$(wait_for_line "$work/tray.log" " sample outcomes=$k " 200) || {
    echo "FAILED  no outcome $k within 200 s (the watch stalled or ended)"
    tail -30 "$work/tray.log"
    exit 1
  }
  handles[k]=$(sed -n 's/.* handles=\([0-9]*\) .*/\1/p' <<<"$line")
  private[k]=$(sed -n 's/.* private-kib=\([0-9]*\) .*/\1/p' <<<"$line")
  echo "after $k checks: ${handles[k]} handles, ${private[k]} KiB private"
done
touch "$work/stop"
wait "$tw" || { echo "FAILED  traywatch did not end the watcher cleanly"; tail -20 "$work/tray.log"; exit 1; }
tw=""

status=0
# The server played every part, and the watcher saw good and bad pages.
for behaviour in answer fail stall garbage; do
  n=$(grep -c " $behaviour " "$work/requests.log" || true)
  echo "server: $n connections got '$behaviour'"
  [ "$n" -ge $((cycles / 10)) ] || { echo "FAILED  too few '$behaviour' connections"; status=1; }
done
published=$(grep -c ' tray-modify Orvandel (80\.' "$work/tray.log" || true)
errors=$(grep -c ' tray-modify Orvandel (Error' "$work/tray.log" || true)
echo "outcomes: $published with an address, $errors errors"
[ "$published" -ge $((cycles / 4)) ] && [ "$errors" -ge $((cycles / 10)) ] ||
  { echo "FAILED  the checks did not alternate between addresses and errors"; status=1; }

# Warm-up: checks 20 to 40; the end: the last 20 (at least 10 checks after
# the warm-up in shorter runs). A leak lifts even the
# lowest figure at the end above the highest one after the warm-up.
max_of() { local m=0 v; for v in "$@"; do [ "$v" -gt "$m" ] && m=$v; done; echo "$m"; }
min_of() { local m=$1 v; for v in "$@"; do [ "$v" -lt "$m" ] && m=$v; done; echo "$m"; }
pick() { local -n from=$1; local k out=(); for k in $(seq "$2" "$every" "$3"); do out+=("${from[k]}"); done; echo "${out[@]}"; }
for measure in handles private; do
  warm=$(max_of $(pick $measure $((2 * every)) $((4 * every))))
  late_from=$((cycles - 2 * every))
  [ $late_from -gt $((4 * every)) ] || late_from=$((5 * every))
  late=$(min_of $(pick $measure $late_from "$cycles"))
  tolerance=$([ $measure = handles ] && echo $handle_tolerance || echo $private_tolerance_kib)
  echo "$measure: at most $warm after the warm-up, at least $late at the end (tolerance $tolerance)"
  if [ "$late" -gt $((warm + tolerance)) ]; then
    echo "FAILED  the watcher's $measure grew over $cycles checks"
    status=1
  fi
done
exit $status
