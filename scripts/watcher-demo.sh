#!/usr/bin/env bash
# The watcher's demonstration, inside a running Wine environment
# (wine-env.sh): installs Orvandel with TREE's Orvandel-Setup.exe, unattended,
# into the prefix's programs folder, serves a page that shows an address on
# loopback, writes the watcher's options into the prefix's registry and
# starts the installed Orvandel, with tools/traywatch as the shell's tray. Prints "Location", the hosts
# line, the text file and the tray tip after the first check, and again
# after the page has changed its address; then ends the watcher. With
# --show DISPLAY it opens the settings window there for a person instead.
# JOB-FOLDER gets the page, the logs and the options file.
# Usage: watcher-demo.sh TREE JOB-FOLDER [--show DISPLAY]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
source "$ROOT/scripts/watcher-job.sh"
tree=$1
job=$2
show=0
if [ "${3:-}" = "--show" ]; then
  show=1
  keep_display=$4
fi
rm -rf "$job" && mkdir -p "$job"
hosts=""
finish() {
  page_server_stop
  # The prefix's hosts file serves the tests as well.
  [ -n "$hosts" ] && [ -f "$job/hosts.before" ] && cp "$job/hosts.before" "$hosts"
  return 0
}
trap finish EXIT
hosts=$(prefix_path "$HOSTS_FILE_WINDOWS")
cp "$hosts" "$job/hosts.before"
text_file=$(prefix_path "$WATCHER_TEXT_FILE")
rm -f "$text_file"

# The programs folder as the installer sees it: a 32-bit one under a 64-bit
# Wine gets "Program Files (x86)", as on Windows.
programs=$("$WINELOADER" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion' /v ProgramFilesDir |
  tr -d '\r' | sed -n 's/^ *ProgramFilesDir *REG_SZ *//p')
[ -n "$programs" ] || { echo "The prefix names no programs folder." >&2; exit 1; }
installed="$programs\Orvandel"
rm -rf "$(prefix_path "$installed")"
setup_status=0
"$ROOT/scripts/wine-run" "$tree/Orvandel-Setup.exe" /S >"$job/setup.out" 2>&1 || setup_status=$?
if [ $setup_status != 0 ]; then
  echo "Orvandel-Setup.exe /S ended with exit code $setup_status:" >&2
  cat "$job/setup.out" >&2
  exit 1
fi
echo "Orvandel-Setup.exe /S installed Orvandel into $installed:"
echo "  $(cd "$(prefix_path "$installed")" && ls | tr '\n' ' ' | sed 's/ $//')"
echo

address_page 80.1.2.3 >"$job/page.html"
page_server_start "$job" --page "$job/page.html"
watcher_options "$job" "$PAGE_URL" 1
echo "Page $PAGE_URL shows 80.1.2.3; Orvandel checks it every second (options in"
echo "HKCU\\Software\\Tarvik\\Orvandel of $WINEPREFIX)."

watcher="$installed\Orvandel.exe"
if [ $show = 1 ]; then
  # Without a stored version the watcher opens its settings window at start.
  "$WINELOADER" reg delete 'HKCU\Software\Tarvik\Orvandel' /v Version /f >/dev/null 2>&1 || true
  echo "Opening the settings window on $keep_display; Orvandel runs until you end it (an hour at most)."
  DISPLAY=$keep_display timeout 3600 "$ROOT/scripts/wine-run" "$(prefix_path "$watcher")" || true
  exit 0
fi

log="$job/traywatch.log"
"$WINELOADER" "$tree/tools/traywatch/traywatch.exe" "$watcher" --known --stop-file "$(winpath "$job/stop")" \
  --timeout 120 >"$log" 2>&1 </dev/null &
traywatch=$!

fail() {
  echo "$1" >&2
  echo "What the tray and the registry showed:" >&2
  cat "$log" >&2
  exit 1
}

# Publishing follows the tray's update; the text file is written last.
wait_for_text_file() {
  local i
  for i in $(seq 1 100); do
    [ "$(cat "$text_file" 2>/dev/null)" = "$1" ] && return 0
    sleep 0.1
  done
  return 1
}

# show_check TITLE ADDRESS: waits for the tray tip with the address, then
# prints what the watcher wrote.
seen=0
show_check() {
  local tip location
  tip=$(wait_for_line "$log" " tray-modify Orvandel \\($2\\)" 60 "$seen") ||
    fail "No tray tip with $2 within 60 s."
  seen=$(wc -l <"$log")
  wait_for_text_file "$2" || fail "The text file did not get $2 within 10 s."
  location=$("$WINELOADER" reg query 'HKCU\Software\Tarvik\Orvandel' /v Location | tr -d '\r' |
    sed -n 's/^ *Location *REG_SZ *//p')
  echo
  echo "$1"
  echo "  Location:   $location"
  echo "  hosts line: $(grep -i "	$WATCHER_HOST	" "$hosts" | tr -d '\r' | iconv -f CP1252 -t UTF-8 | sed 's/\t/ <tab> /g')"
  echo "  text file:  $(iconv -f CP1252 -t UTF-8 <"$text_file")  ($WATCHER_TEXT_FILE)"
  echo "  tray tip:   ${tip#* tray-modify }"
}

show_check "After the first check:" 80.1.2.3
address_page 80.1.2.4 >"$job/page.new" && mv "$job/page.new" "$job/page.html"
echo
echo "The page now shows 80.1.2.4."
show_check "After the next check:" 80.1.2.4

touch "$job/stop"
for i in $(seq 1 300); do
  kill -0 "$traywatch" 2>/dev/null || break
  sleep 0.1
done
status=0
wait "$traywatch" || status=$?
end=$(grep -E ' (end|killed|gone|timeout) ' "$log" | tail -1 || true)
echo
[ $status = 0 ] || fail "Orvandel did not end as asked (traywatch exit code $status)."
if grep -q ' tray-delete ' "$log"; then
  echo "Orvandel ended (${end#* end }); its tray icon went with it."
else
  echo "Orvandel ended (${end#* end }), but its tray icon stayed."
fi
