#!/usr/bin/env bash
# The network components against reference tools, in the same run:
#   netprobe get of a 64 MiB file from local nginx   vs curl -o of the same URL
#   CPU time of a Get from a server that waits 2 s   (target under 50 ms)
# A benchmark, not a test: it prints figures and ratios and never fails on them.
set -euo pipefail
source "$(dirname "$0")/../scripts/prelude.sh"
source "$ROOT/scripts/net-peers.sh"
build_windows_trees
tree="$BUILD/$(runnable_release_tree)"
netprobe="$tree/tools/netprobe/netprobe.exe"
work="$BUILD/bench-net"
mkdir -p "$work"

trap 'peers_stop; wine_env_stop; [ -n "${slow:-}" ] && kill $slow 2>/dev/null || true' EXIT
wine_env_start "$BUILD"
peers_start "$work"
www="$work/peers/www"
[ -f "$www/file64m.bin" ] || head -c $((64 * 1024 * 1024)) /dev/urandom >"$www/file64m.bin"
url=http://127.0.0.1:18080/file64m.bin
curl -s -o /dev/null "$url"  # warm the page cache

now() { date +%s.%N; }
best_curl=999; best_probe=999
for i in 1 2 3; do
  s=$(now); curl -s -o "$work/curl.bin" "$url"; e=$(now)
  t=$(echo "$e - $s" | bc -l); [ "$(echo "$t < $best_curl" | bc -l)" = 1 ] && best_curl=$t
  s=$(now); inproc=$("$ROOT/scripts/wine-run" "$netprobe" get "$url" -o "Z:${work//\//\\}\\probe.bin" --times 1 2>&1 | grep -o 'times:.*' | tr -d '\r'); e=$(now)
  t=$(echo "$e - $s" | bc -l); [ "$(echo "$t < $best_probe" | bc -l)" = 1 ] && best_probe=$t
done
cmp -s "$work/probe.bin" "$www/file64m.bin" && same=identical || same=DIFFERENT

# A server that waits 2 s before it answers.
python3 - <<'PY' &
import socket, time
s = socket.socket()
s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("127.0.0.1", 18099)); s.listen(1)
c, _ = s.accept(); c.recv(4096); time.sleep(2)
c.sendall(b"HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok"); c.close()
PY
slow=$!
sleep 0.5
times=$("$ROOT/scripts/wine-run" "$netprobe" get http://127.0.0.1:18099/ --times 1 2>&1 | grep -o 'times:.*' | tr -d '\r')
wait $slow 2>/dev/null || true
slow=""

echo
echo "Network components, tree $(basename "$tree"), best of 3 wall times"
printf '%-40s %6.2f s   curl -o %6.2f s   ratio %.2f  (target <= 2)  body %s\n' \
  "netprobe get, 64 MiB from nginx" "$best_probe" "$best_curl" "$(echo "$best_probe / $best_curl" | bc -l)" "$same"
echo "  (the netprobe time includes starting a Wine process; the request alone: $inproc)"
echo "Get from a server that waits 2 s:         $times  (target: cpu under 50 ms)"
