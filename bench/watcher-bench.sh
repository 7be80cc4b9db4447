#!/usr/bin/env bash
# Orvandel's main job over 20 checks, one a second, against a page server
# that waits 2 s before each answer, measured from outside:
#   processor time per check           (target under 5 ms)
#   peak working set                   (target under 16 MiB)
#   start to the first "Location" outcome, against curl of the same page in
#   the same run                       (target within the page's 2 s + 0.3 s)
#   start to the tray icon, against a program that makes one window and
#   ends, the median of 7 starts of each in turn  (target within 2 times)
#   peak working set against that program's     (target within + 6 MiB)
# A benchmark, not a test: it prints figures and ratios and never fails on them.
set -euo pipefail
source "$(dirname "$0")/../scripts/prelude.sh"
source "$ROOT/scripts/watcher-job.sh"

# wine_process_pid WINDOWS-PATH: prints the Unix process id of the program
# of this prefix that runs from that path, waiting up to 20 s for it to
# start. A Wine process shows its Windows path as its command line. The
# search reads /proc with the shell's own read, starting no process per
# entry: a search that forks while the watcher starts would be measured as
# the watcher's start.
wine_process_pid() {
  local i p first
  for i in $(seq 1 200); do
    for p in /proc/[0-9]*; do
      IFS= read -r -d '' first 2>/dev/null <"$p/cmdline" || continue
      [ "${first%"${first##*[! ]}"}" = "$1" ] || continue
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
# No samples while the checks run: measuring another process's memory
# under Wine runs code in that process and would count as its own time.
"$WINELOADER" "$tree/tools/traywatch/traywatch.exe" "$exe" --known --stop-file "$(winpath "$work/stop")" \
  --timeout $((cycles * 15)) >"$log" 2>&1 </dev/null &
traywatch=$!
unix_pid=$(wine_process_pid "$exe") || { echo "the watcher's process was not found"; cat "$log"; exit 1; }
ticks=$(getconf CLK_TCK)
cpu_ms() { awk -v hz="$ticks" '{ print ($14 + $15) * 1000 / hz }' "/proc/$unix_pid/stat"; }
# wait_for_outcomes N: the shell has received N outcomes (within 15 s each).
wait_for_outcomes() {
  local i
  for i in $(seq 1 $(($1 * 150))); do
    [ "$(grep -c ' tray-modify ' "$log" || true)" -ge "$1" ] && return 0
    sleep 0.1
  done
  echo "the watcher did not reach $1 outcomes"
  cat "$log"
  exit 1
}
# The watcher rests for a second after each check, so a reading within
# that second counts the check whole.
wait_for_outcomes 1
cpu_first=$(cpu_ms)
wait_for_outcomes $cycles
cpu_last=$(cpu_ms)
vm_hwm=$(awk '/^VmHWM:/ { print $2 }' "/proc/$unix_pid/status")
private=$(private_kib "$unix_pid")
touch "$work/stop"
wait "$traywatch" || { echo "traywatch did not end the watcher cleanly"; cat "$log"; exit 1; }

# After the checks, whose run starts with no "Location" yet: what Wine
# alone costs, a program that makes one window and ends, and the watcher's
# start to its tray icon, in turn, since one start of either varies by
# more than the difference sought. Each watcher ends after its first
# outcome.
starts=7
bare_runs=() bare_kibs=() tray_runs=()
for i in $(seq 1 $starts); do
  bare=$( { /usr/bin/time -f '%e %M' "$WINELOADER" "$tree/tools/keepdesktop/keepdesktop.exe" 0 >/dev/null; } 2>&1 | tail -1)
  bare_runs+=("${bare% *}")
  bare_kibs+=("${bare#* }")
  "$WINELOADER" "$tree/tools/traywatch/traywatch.exe" "$exe" --known --outcomes 1 --timeout 30 >"$work/start.log" 2>&1 </dev/null ||
    { echo "the watcher did not start and end cleanly"; cat "$work/start.log"; exit 1; }
  tray_runs+=("$(grep -E -m1 ' tray-add ' "$work/start.log" | cut -d' ' -f1)")
done
median() { printf '%s\n' "$@" | sort -g | sed -n "$((($# + 1) / 2))p"; }
bare_seconds=$(median "${bare_runs[@]}")
bare_kib=$(median "${bare_kibs[@]}")
tray_median=$(median "${tray_runs[@]}")

seconds_to() { grep -E -m1 " $1" "$log" | cut -d' ' -f1; }
first_outcome=$(seconds_to 'location (Home|Web|OnlyWeb|WebOnly|Error|Error IP)$')
tray_up=$(seconds_to 'tray-add ')
per_check=$(echo "($cpu_last - $cpu_first) / ($cycles - 1)" | bc -l)

printf 'Orvandel, %d checks of a page that answers after 2 s, interval 1 s:\n' $cycles
printf '  start to the first "Location" outcome  %6.3f s   curl of the page %6.3f s   ratio %.2f   (target < %.1f s)\n' \
  "$first_outcome" "$curl_seconds" "$(echo "$first_outcome / $curl_seconds" | bc -l)" "$(echo "$curl_seconds + 0.3" | bc -l)"
printf '    of it, start to the tray icon        %6.3f s   (Wine starts the process, the window is made)\n' "$tray_up"
printf '  start to the tray icon, median of %d    %6.3f s   the program below %6.3f s   ratio %.2f   (target < 2)\n' \
  $starts "$tray_median" "$bare_seconds" "$(echo "$tray_median / $bare_seconds" | bc -l)"
printf '  processor time per check               %6.2f ms  (checks 2 to %d; target < 5 ms)\n' "$per_check" $cycles
printf '  processor time up to the first outcome %6.1f ms  (the start included)\n' "$cpu_first"
printf '  peak working set                       %6.1f MiB (target < 16 MiB)\n' "$(echo "$vm_hwm / 1024" | bc -l)"
printf '    of it private at the end             %6.1f MiB\n' "$(echo "$private / 1024" | bc -l)"
printf '  a program that makes one window and ends, under Wine in this run (medians of %d):\n' $starts
printf '    peak working set                     %6.1f MiB (the watcher: %+.1f MiB; target < +6 MiB)\n' \
  "$(echo "$bare_kib / 1024" | bc -l)" "$(echo "($vm_hwm - $bare_kib) / 1024" | bc -l)"
printf '    start to its end                     %6.3f s   (each start: %s)\n' "$bare_seconds" "${bare_runs[*]}"
printf '  the watcher, start to the tray icon, each start: %s\n' "${tray_runs[*]}"
echo "  (Under Wine the working set holds Wine's own libraries too; Wine reports the"
echo "  same peak to Windows programs as PeakWorkingSetSize.)"
