#!/usr/bin/env bash
# The network components against reference tools, in the same run:
#   netprobe get of a 64 MiB file from local nginx   vs curl -o of the same URL
#   CPU time of a Get from a server that waits 2 s   (target under 50 ms)
#   Get --timeout 2 from a server whose body never ends: wall and CPU time
#   and peak memory                                   (target: within 2.5 s, under 32 MiB)
# A benchmark, not a test: it prints figures and ratios and never fails on them.
set -euo pipefail
source "$(dirname "$0")/../scripts/prelude.sh"
source "$ROOT/scripts/net-peers.sh"
build_windows_trees
tree="$BUILD/$(runnable_release_tree)"
netprobe="$tree/tools/netprobe/netprobe.exe"
work="$BUILD/bench-net"
mkdir -p "$work"

trap 'peers_stop; wine_env_stop; for p in ${slow:-} ${endless:-}; do kill $p 2>/dev/null; done; true' EXIT
wine_env_start "$BUILD"
wine_env_keep_desktop "$BUILD/$(wine_tree)/tools/keepdesktop/keepdesktop.exe"
peers_start "$work"
www="$work/peers/www"
url=http://127.0.0.1:$PEER_HTTP/file64m.bin
curl -s -o /dev/null "$url"  # warm the page cache

# The loader itself, as a user starts the program (scripts/wine-run adds a
# shell and a temporary file of its own, about 50 ms).
loader=/usr/lib/wine/wine64
[ "$(basename "$tree")" = win64 ] || loader=/usr/lib/wine/wine
now() { date +%s.%N; }
keeper="$BUILD/$(wine_tree)/tools/keepdesktop/keepdesktop.exe"
best_curl=999; best_probe=999; best_start=999
for i in $(seq 1 9); do
  # What Wine itself takes to start and end a program that makes a window.
  s=$(now); "$loader" "$keeper" 0 >/dev/null 2>&1 || true; e=$(now)
  t=$(echo "$e - $s" | bc -l); [ "$(echo "$t < $best_start" | bc -l)" = 1 ] && best_start=$t
  s=$(now); curl -s -o "$work/curl.bin" "$url"; e=$(now)
  t=$(echo "$e - $s" | bc -l); [ "$(echo "$t < $best_curl" | bc -l)" = 1 ] && best_curl=$t
  s=$(now); inproc=$("$loader" "$netprobe" get "$url" -o "Z:${work//\//\\}\\probe.bin" --times 1 2>&1 | grep -o 'times:.*' | tr -d '\r'); e=$(now)
  t=$(echo "$e - $s" | bc -l); [ "$(echo "$t < $best_probe" | bc -l)" = 1 ] && best_probe=$t
done
cmp -s "$work/probe.bin" "$www/file64m.bin" && same=identical || same=DIFFERENT

# A server that waits 2 s before it answers.
# A server that waits 2 s before it answers, on a free port that it prints.
python3 - >"$work/slow.port" <<'PY' &
import socket, sys, time
s = socket.socket()
s.bind(("127.0.0.1", 0)); s.listen(1)
print(s.getsockname()[1], flush=True)
s.settimeout(60)
c, _ = s.accept(); c.recv(4096); time.sleep(2)
c.sendall(b"HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok"); c.close()
PY
slow=$!
for i in $(seq 1 50); do [ -s "$work/slow.port" ] && break; sleep 0.1; done
times=$("$ROOT/scripts/wine-run" "$netprobe" get "http://127.0.0.1:$(cat "$work/slow.port")/" --times 1 2>&1 | grep -o 'times:.*' | tr -d '\r')
wait $slow 2>/dev/null || true
slow=""

# A server whose body never ends (it gives up by itself after 30 s).
python3 - <<'PY' &
import socket, time
s = socket.socket()
s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind(("127.0.0.1", 18098)); s.listen(1)
c, _ = s.accept(); c.recv(4096)
chunk = b"x" * 65536
end = time.time() + 30
try:
    c.sendall(b"HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n\r\n")
    while time.time() < end:
        c.sendall(chunk)
except OSError:
    pass
c.close()
PY
endless=$!
sleep 0.5
# Wall time, CPU time and peak resident memory of the whole program as the
# system counts them (the Wine process is the loader's own child).
endless_figures=$(python3 - "$loader" "$netprobe" <<'PY'
import resource, subprocess, sys, time
start = time.time()
p = subprocess.run([sys.argv[1], sys.argv[2], "get", "http://127.0.0.1:18098/", "--timeout", "2", "--times", "1"],
                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, timeout=60)
wall = time.time() - start
use = resource.getrusage(resource.RUSAGE_CHILDREN)
said = [l for l in p.stderr.decode(errors="replace").splitlines() if l.startswith("netprobe:")]
print("wall %.2f s, cpu %.2f s, peak %.1f MiB, exit %d, %s" % (wall, use.ru_utime + use.ru_stime,
      use.ru_maxrss / 1024.0, p.returncode, said[0].strip() if said else "no message"))
PY
)
wait $endless 2>/dev/null || true
endless=""

echo
echo "Network components, tree $(basename "$tree"), best of 9 wall times"
printf '%-40s %6.2f s   curl -o %6.2f s   ratio %.2f  (target <= 2)  body %s\n' \
  "netprobe get, 64 MiB from nginx" "$best_probe" "$best_curl" "$(echo "$best_probe / $best_curl" | bc -l)" "$same"
echo "  (the netprobe time includes starting a Wine process; the request alone: $inproc)"
printf '%-40s %6.2f s   netprobe less that %.2f s, ratio %.2f\n' "  Wine start and end of a windowed program" \
  "$best_start" "$(echo "$best_probe - $best_start" | bc -l)" "$(echo "($best_probe - $best_start) / $best_curl" | bc -l)"
echo "Get from a server that waits 2 s:         $times  (target: cpu under 50 ms)"
echo "Get --timeout 2, endless body:            $endless_figures"
echo "                                          (target: wall within 2.5 s, peak under 32 MiB, exit 1 with the time-out text)"
