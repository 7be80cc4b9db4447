# Sourced by the jobs that run the watcher against a page on loopback (the
# main job, the soak test, the benchmark), inside the Wine environment of
# wine-env.sh: the page server, the watcher's options in the prefix's
# registry, and the lines of tools/traywatch. ROOT is the source folder.

PAGE_SERVER_PID=""
PAGE_URL=""

winpath() { echo "Z:${1//\//\\}"; }

# page_server_start DIR [page-server.py options...]: serves the page on a
# free loopback port and sets PAGE_URL; DIR gets its port file and log.
page_server_start() {
  local dir=$1 i
  shift
  rm -f "$dir/page.port"
  python3 "$ROOT/tools/pageserver/page-server.py" --port-file "$dir/page.port" "$@" \
    >"$dir/page-server.log" 2>&1 </dev/null &
  PAGE_SERVER_PID=$!
  for i in $(seq 1 100); do
    [ -s "$dir/page.port" ] && break
    kill -0 "$PAGE_SERVER_PID" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -s "$dir/page.port" ]; then
    echo "the page server did not start:" >&2
    cat "$dir/page-server.log" >&2
    return 1
  fi
  PAGE_URL="http://127.0.0.1:$(cat "$dir/page.port")/"
}

page_server_stop() {
  [ -n "$PAGE_SERVER_PID" ] || return 0
  kill "$PAGE_SERVER_PID" 2>/dev/null || true
  wait "$PAGE_SERVER_PID" 2>/dev/null || true
  PAGE_SERVER_PID=""
}

# The page a job serves: the address between the markers that
# watcher_options sets.
address_page() {
  printf '<html><head><title>Current IP Check</title></head><body>Current IP Address: %s</body></html>\r\n' "$1"
}

WATCHER_HOST=orvandel-server
WATCHER_TEXT_FILE='C:\serverip.txt'
HOSTS_FILE_WINDOWS='C:\windows\system32\drivers\etc\hosts'

# watcher_options DIR URL INTERVAL: replaces the watcher's options in the
# prefix's registry with a watch of the page at URL every INTERVAL seconds,
# without the intranet check, publishing to the hosts file and a text file
# of the prefix, without autostart.
watcher_options() {
  local dir=$1 url=$2 interval=$3 reg="$1/watcher-options.reg"
  # .reg texts escape backslashes.
  local text_file=${WATCHER_TEXT_FILE//\\/\\\\}
  {
    printf 'REGEDIT4\r\n\r\n'
    printf '[-HKEY_CURRENT_USER\\Software\\Tarvik\\Orvandel]\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Tarvik\\Orvandel]\r\n'
    printf '"LanIP"=""\r\n"NoLan"=dword:00000001\r\n"TimeOut"=dword:000001f4\r\n'
    printf '"Interval"=dword:%08x\r\n' "$interval"
    printf '"HTTPFile"="%s"\r\n' "$url"
    printf '"BeforeIP"="Address: "\r\n"AfterIP"="</body>"\r\n"StaticIP"=""\r\n'
    printf '"FromFile"=dword:00000001\r\n"FromStatic"=dword:00000000\r\n'
    printf '"UpdateHosts"=dword:00000001\r\n"UpdateFile"=dword:00000001\r\n"AutoRun"=dword:00000000\r\n'
    printf '"FileName"="%s"\r\n"HostName"="%s"\r\n\r\n' "$text_file" "$WATCHER_HOST"
  } >"$reg"
  "$WINELOADER" reg import "$(winpath "$reg")" >"$dir/reg-import.log" 2>&1 ||
    { echo "the watcher's options could not be written:" >&2; cat "$dir/reg-import.log" >&2; return 1; }
}

prefix_path() { echo "$WINEPREFIX/drive_c/${1#C:\\}" | tr '\\' '/'; }

# wait_for_line FILE PATTERN SECONDS [FROM-LINE]: waits until a line after
# line FROM-LINE of FILE matches the extended regular expression, and
# prints it; fails after SECONDS.
wait_for_line() {
  local file=$1 pattern=$2 seconds=$3 from=${4:-0} i line
  for i in $(seq 1 $((seconds * 10))); do
    line=$(tail -n +"$((from + 1))" "$file" 2>/dev/null | grep -E -m1 -- "$pattern" || true)
    if [ -n "$line" ]; then
      echo "$line"
      return 0
    fi
    sleep 0.1
  done
  return 1
}
