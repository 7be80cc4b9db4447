#!/usr/bin/env bash
# Orvandel's main job over 20 checks, one a second, against a page server
# that waits 2 s before each answer, measured from outside:
#   processor time per check           (target under 5 ms)
#   peak working set                   (target under 16 MiB)
#   start to the first "Location" outcome, against curl of the same page in
#   the same run                       (target within the page's 2 s + 0.3 s)
# A benchmark, not a test: it prints figures and ratios and never fails on them.
set -euo pipefail
source "$(dirname "$0")/../scripts/prelude.sh"
source "$ROOT/scripts/watcher-job.sh"

# wine_process_pid WINDOWS-PATH: prints the Unix process id of the program
# of this prefix that runs from that path, waiting up to 20 s for it to
# start. A Wine process shows its Windows path as its command line.
wine_process_pid() {
  local i p
  for i in $(seq 1 200); do
    for p in /proc/[0-9]*; do
      [ "$(tr '\0' '\n' 2>/dev/null <"$p/cmdline" | head -1 | sed 's/ *$//')" = "$1" ] || continue
      tr '\0' '\n' 2>/dev/null <"$p/environ" | grep -qx "WINEPREFIX=$WINEPREFIX" || continue
      echo "${p#/proc/}"
      return 0
    done
    sleep 0.1
  done
  return 1
}

# private_kib PID: the process's private memory (resident, clean and dirty).
private_kib() { awk '/^Private_(Clean|Dirty):/ { kib += $2 } END { print kib + 0 }' "/proc/$1/smaps_rollup"; }

build_windows_trees
tree="$BUILD/$(runnable_release_tree)"
work="$BUILD/bench-watcher"
rm -rf "$work" && mkdir -p "$work"
cycles=20
hosts=""
finish() {
  page_server_stop
  [ -n "$hosts" ] && cp "$work/hosts.before" "$hosts"
  wine_env_stop
}
trap finish EXIT
trap 'exit 130' INT TERM
wine_env_start "$BUILD"
wine_env_keep_desktop "$BUILD/$(wine_tree)/tools/keepdesktop/keepdesktop.exe"
hosts=$(prefix_path "$HOSTS_FILE_WINDOWS")
cp "$hosts" "$work/hosts.before"

address_page 80.1.2.3 >"$work/page.html"
page_server_start "$work" --page "$work/page.html" --delay 2
curl_seconds=$(curl -s -o /dev/null -w '%{time_total}' "$PAGE_URL")
watcher_options "$work" "$PAGE_URL" 1

exe=$(winpath "$tree/watcher/Orvandel.exe")
log="$work/traywatch.log"
"$WINELOADER" "$tree/tools/traywatch/traywatch.exe" "$exe" --known --stop-file "$(winpath "$work/stop")" --sample-every 1 \
  --timeout $((cycles * 15)) >"$log" 2>&1 </dev/null &
traywatch=$!
unix_pid=$(wine_process_pid "$exe") || { echo "the watcher's process was not found"; cat "$log"; exit 1; }
# Read before traywatch ends the watcher: its peak and private memory as
# Linux counts them, Wine's own libraries included.
wait_for_line "$log" " sample outcomes=$cycles " $((cycles * 15)) >/dev/null ||
  { echo "the watcher did not reach $cycles outcomes"; cat "$log"; exit 1; }
vm_hwm=$(awk '/^VmHWM:/ { print $2 }' "/proc/$unix_pid/status" 2>/dev/null || echo 0)
private=$(private_kib "$unix_pid" 2>/dev/null || echo 0)
touch "$work/stop"
wait "$traywatch" || { echo "traywatch did not end the watcher cleanly"; cat "$log"; exit 1; }

field() { sed -n "s/.* $1=\([0-9.]*\).*/\1/p" <<<"$2"; }
first_sample=$(grep -m1 ' sample outcomes=1 ' "$log")
last_sample=$(grep -m1 " sample outcomes=$cycles " "$log")
first_outcome=$(grep -E -m1 ' location (Home|Web|OnlyWeb|WebOnly|Error|Error IP)$' "$log" | cut -d' ' -f1)
cpu_first=$(field cpu-ms "$first_sample")
cpu_last=$(field cpu-ms "$last_sample")
peak_kib=$(field peak-working-set-kib "$last_sample")
private_windows=$(field private-kib "$last_sample")
per_check=$(echo "($cpu_last - $cpu_first) / ($cycles - 1)" | bc -l)

printf 'Orvandel, %d checks of a page that answers after 2 s, interval 1 s:\n' $cycles
printf '  start to the first "Location" outcome  %6.3f s   curl of the page %6.3f s   ratio %.2f   (target < %.1f s)\n' \
  "$first_outcome" "$curl_seconds" "$(echo "$first_outcome / $curl_seconds" | bc -l)" "$(echo "$curl_seconds + 0.3" | bc -l)"
printf '  processor time per check               %6.2f ms  (checks 2 to %d; target < 5 ms)\n' "$per_check" $cycles
printf '  processor time in all, with the start  %6.1f ms\n' "$cpu_last"
printf '  peak working set (as Wine reports it)  %6.1f MiB (target < 16 MiB)\n' "$(echo "$peak_kib / 1024" | bc -l)"
printf '  committed private memory at the end    %6.1f MiB\n' "$(echo "$private_windows / 1024" | bc -l)"
printf '  peak resident set of the Wine process  %6.1f MiB, of it private now %.1f MiB\n' \
  "$(echo "$vm_hwm / 1024" | bc -l)" "$(echo "$private / 1024" | bc -l)"
echo "  (The working set under Wine includes Wine's own libraries mapped into the process.)"
