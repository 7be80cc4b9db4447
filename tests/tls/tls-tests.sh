#!/usr/bin/env bash
# TLS against nginx on loopback. A test certificate authority is made here
# with openssl and trusted in a Wine prefix of this test's own (a registry
# entry in its current user's root store), never in the machine's store or
# the build's prefix. Servers: nginx with TLS for localhost (good), for
# another name, expired, and from an authority nobody trusts; nginx without
# TLS; and a server that starts a handshake and closes. Runs inside the
# test environment (wine-env.sh).
# Usage: tls-tests.sh TLS_TESTS.EXE
set -uo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
TESTS=$1
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
# 4 MiB in blocks of 4096 bytes, each starting with its own number.
python3 -c '
import sys
sys.stdout.write("".join(str(10000000 + k) + "." * 4088 for k in range(1024)))' >www/big.bin
GOOD=$(peer_free_port); OTHER=$(peer_free_port); EXPIRED=$(peer_free_port); UNKNOWN=$(peer_free_port)
PLAIN=$(peer_free_port); DROP=$(peer_free_port)
tls_server() {  # PORT NAME
  printf '  server { listen 127.0.0.1:%s ssl; ssl_certificate %s/%s.pem; ssl_certificate_key %s/%s.key;\n' \
    "$1" "$work" "$2" "$work" "$2"
  printf '           ssl_protocols TLSv1.2 TLSv1.3; root %s/www; }\n' "$work"
}
cat >nginx/nginx.conf <<CONF
$(peer_nginx_head "$work/nginx")
$(tls_server "$GOOD" good)
$(tls_server "$OTHER" other)
$(tls_server "$EXPIRED" expired)
$(tls_server "$UNKNOWN" unknown)
  server { listen 127.0.0.1:$PLAIN; root $work/www; }
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

check_gtest_case "TLS engine against nginx" "$TESTS" "TlsUnderWine.*" \
  ORV_TLS_GOOD="$GOOD" ORV_TLS_OTHER_NAME="$OTHER" ORV_TLS_EXPIRED="$EXPIRED" ORV_TLS_UNKNOWN="$UNKNOWN" \
  ORV_TLS_PLAIN="$PLAIN" ORV_TLS_DROP="$DROP"
check_summary "TLS: "
