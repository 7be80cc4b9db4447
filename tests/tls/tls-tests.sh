#!/usr/bin/env bash
# TLS against nginx on loopback. A test certificate authority is made here
# with openssl and trusted in a Wine prefix of this test's own (a registry
# entry in its current user's root store), never in the machine's store or
# the build's prefix. Servers: nginx with TLS for localhost (good), for
# another name, expired, and from an authority nobody trusts; nginx without
# TLS; a server that starts a handshake and closes; servers with the good
# certificate that stay silent, send without end, or cut the page without
# the close notice; tinyproxy and microsocks. The engine on a plain socket,
# the HTTP client, netprobe and the watcher run against them. Runs inside
# the test environment (wine-env.sh).
# Usage: tls-tests.sh TLS_TESTS.EXE NETPROBE.EXE WATCHER_E2E_TESTS.EXE
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
TESTS=$1 NETPROBE=$2 WATCHER=$3
source "$ROOT/scripts/wine-env.sh"
source "$ROOT/scripts/net-peers.sh"
source "$ROOT/scripts/tls-fixture.sh"
source "$ROOT/tests/lib/check.sh"

prefix="${WINEPREFIX:?tls-tests.sh runs inside the test environment}-tls"
mkdir -p "$prefix.logs"
work=$(mktemp -d)
pids=()
finish() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap finish EXIT
wine_prefix_start "$prefix" "$prefix.logs"

# --- the authorities and the certificates
cd "$work" || exit 1
{ tls_authority ca && tls_authority stranger &&
  tls_leaf good localhost ca -days 2 && tls_leaf other other.test ca -days 2 &&
  tls_leaf expired localhost ca -startdate 20200101000000Z -enddate 20210101000000Z &&
  tls_leaf unknown localhost stranger -days 2; } || { echo "FAILED  openssl could not make the certificates"; exit 1; }
# Trust "ca" in this prefix only.
tls_trust ca "$prefix.logs/reg-import.log" ||
  { echo "FAILED  the test authority could not be imported"; cat "$prefix.logs/reg-import.log"; exit 1; }

# --- the servers
mkdir -p www nginx/logs nginx/tmp
printf 'tls page\n' >www/page.txt
printf '80.1.2.3' >www/ip.txt
# 4 MiB in blocks of 4096 bytes, each starting with its own number.
python3 -c '
import sys
sys.stdout.write("".join(str(10000000 + k) + "." * 4088 for k in range(1024)))' >www/big.bin
GOOD=$(peer_free_port); OTHER=$(peer_free_port); EXPIRED=$(peer_free_port); UNKNOWN=$(peer_free_port)
PLAIN=$(peer_free_port); DROP=$(peer_free_port); PROXY=$(peer_free_port); SOCKS5=$(peer_free_port)
SILENT=$(peer_free_port); ENDLESS=$(peer_free_port); CUT=$(peer_free_port)
tls_server() {  # PORT NAME [LOCATIONS]
  printf '  server { listen 127.0.0.1:%s ssl; ssl_certificate %s/%s.pem; ssl_certificate_key %s/%s.key;\n' \
    "$1" "$work" "$2" "$work" "$2"
  printf '           ssl_protocols TLSv1.2 TLSv1.3; root %s/www; %s }\n' "$work" "${3:-}"
}
cat >nginx/nginx.conf <<CONF
$(peer_nginx_head "$work/nginx")
$(tls_server "$GOOD" good "location = /to-plain { return 302 http://localhost:$PLAIN/page.txt; }")
$(tls_server "$OTHER" other)
$(tls_server "$EXPIRED" expired)
$(tls_server "$UNKNOWN" unknown)
  server { listen 127.0.0.1:$PLAIN; root $work/www;
           location = /to-tls { return 302 https://localhost:$GOOD/page.txt; } }
}
CONF
nginx -c "$work/nginx/nginx.conf" -p "$work/nginx" >"$work/nginx/logs/stdout.log" 2>&1 &
pids+=($!)
peer_wait nginx $! "$GOOD" "$work/nginx/logs/stdout.log" "$work/nginx/logs/error.log" || exit 1

# Reads the client's hello, sends the start of a server hello and closes.
python3 - "$DROP" >"$work/drop.log" 2>&1 <<'PY' &
import socket, sys
server = socket.create_server(("127.0.0.1", int(sys.argv[1])))
server.settimeout(120)
while True:
    try:
        client, _ = server.accept()
    except OSError:
        break
    client.settimeout(10)
    try:
        client.recv(4096)
        client.sendall(bytes([0x16, 3, 3, 0, 0x40, 2, 0, 0, 0x3C, 3, 3]))
    except OSError:
        pass
    client.close()
PY
pids+=($!)
peer_wait "closing server" $! "$DROP" "$work/drop.log" || exit 1

# With the good certificate: Silent takes connections and says nothing,
# Endless sends a body without end, Cut sends a page without a length and
# closes without the close notice.
python3 - "$SILENT" "$ENDLESS" "$CUT" "$work/good.pem" "$work/good.key" >"$work/misbehaving.log" 2>&1 <<'PY' &
import socket, ssl, sys, threading
silent, endless, cut, cert, key = int(sys.argv[1]), int(sys.argv[2]), int(sys.argv[3]), sys.argv[4], sys.argv[5]
context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
context.load_cert_chain(cert, key)
held = []
def serve(port, answer):
    server = socket.create_server(("127.0.0.1", port))
    while True:
        client, _ = server.accept()
        threading.Thread(target=answer, args=(client,), daemon=True).start()
def stay_silent(client):
    held.append(client)
def send_endless(client):
    try:
        tls = context.wrap_socket(client, server_side=True)
        tls.recv(4096)
        tls.sendall(b"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n")
        block = b"x" * 16384
        while True:
            tls.sendall(block)
    except OSError:
        client.close()
def send_cut(client):
    try:
        tls = context.wrap_socket(client, server_side=True)
        tls.recv(4096)
        tls.sendall(b"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\nthe start of a page")
        tls.close()  # no unwrap: no close notice
    except OSError:
        client.close()
for port, answer in ((silent, stay_silent), (endless, send_endless)):
    threading.Thread(target=serve, args=(port, answer), daemon=True).start()
serve(cut, send_cut)
PY
pids+=($!)
peer_wait "misbehaving servers" $! "$CUT" "$work/misbehaving.log" || exit 1

cat >tinyproxy.conf <<CONF
Port $PROXY
Listen 127.0.0.1
Timeout 60
MaxClients 20
Allow 127.0.0.1
LogFile "$work/tinyproxy.log"
CONF
tinyproxy -d -c tinyproxy.conf >>"$work/tinyproxy.log" 2>&1 &
pids+=($!)
peer_wait tinyproxy $! "$PROXY" "$work/tinyproxy.log" || exit 1
microsocks -i 127.0.0.1 -p "$SOCKS5" >"$work/microsocks.log" 2>&1 &
pids+=($!)
peer_wait microsocks $! "$SOCKS5" "$work/microsocks.log" || exit 1

check_gtest_case "TLS engine against nginx" "$TESTS" "TlsUnderWine.*" \
  ORV_TLS_GOOD="$GOOD" ORV_TLS_OTHER_NAME="$OTHER" ORV_TLS_EXPIRED="$EXPIRED" ORV_TLS_UNKNOWN="$UNKNOWN" \
  ORV_TLS_PLAIN="$PLAIN" ORV_TLS_DROP="$DROP"
check_gtest_case "HTTP client with https" "$TESTS" "HttpsUnderWine.*" \
  ORV_TLS_GOOD="$GOOD" ORV_TLS_OTHER_NAME="$OTHER" ORV_TLS_EXPIRED="$EXPIRED" ORV_TLS_UNKNOWN="$UNKNOWN" \
  ORV_TLS_PLAIN="$PLAIN" ORV_TLS_DROP="$DROP" ORV_TLS_PROXY="$PROXY" ORV_TLS_SOCKS5="$SOCKS5" \
  ORV_TLS_SILENT="$SILENT" ORV_TLS_ENDLESS="$ENDLESS" ORV_TLS_CUT="$CUT"
check "the https page went through tinyproxy's tunnel" 1 \
  "$(grep -c "CONNECT localhost:$GOOD " "$work/tinyproxy.log" | awk '{print ($1 > 0)}')"

# wine-run hands out both streams together; the body goes to a file.
out=$("$ROOT/scripts/wine-run" "$NETPROBE" get "https://localhost:$GOOD/page.txt" -v -o "Z:${work//\//\\}\\page.txt" |
  tr -d '\r')
check "netprobe get https: the page" "tls page" "$(cat "$work/page.txt")"
check "netprobe get https -v: protocol and cipher" 1 "$(echo "$out" | grep -c '^TLS: TLS 1\.[23], cipher ')"

check_gtest_case "the watcher with an https page" "$WATCHER" "WatcherCycle.HttpsPage" \
  ORV_HTTPS_PAGE="https://localhost:$GOOD/ip.txt"
check_summary "TLS: "
