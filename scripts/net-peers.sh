# Sourced by the test and benchmark scripts: real network peers on loopback
# for the network components. peers_start BUILD starts them on free ports,
# peers_stop ends them (also from a trap). The ports:
#   PEER_HTTP     nginx (pages, redirections, 404, an empty body, a 64 MiB file)
#   PEER_PROXY    tinyproxy (HTTP proxy)
#   PEER_SOCKS5   microsocks (SOCKS 5, no authentication)
#   PEER_SOCKS5U  microsocks (SOCKS 5, user "orv" password "secret")
#   PEER_DANTE    danted (SOCKS 4 and 5)
# A peer that does not come up ends peers_start with its own log, so that it
# never shows up later as unrelated failures.

PEERS_PIDS=()

# Prints a loopback port that nothing listens on now. The peer binds it a
# moment later; peer_wait notices when another program was quicker.
peer_free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# peer_wait NAME PID PORT LOG...: bounded wait until PID listens on PORT;
# otherwise shows the peer's logs and fails.
peer_wait() {
  local name=$1 pid=$2 port=$3 i log why=""
  shift 3
  for i in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || { why="ended at start"; break; }
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && return 0
    sleep 0.1
  done
  echo "net-peers: $name ${why:-did not listen within 10 s} (port $port)" >&2
  for log in "$@"; do
    [ -s "$log" ] && { echo "--- $log" >&2; tail -20 "$log" >&2; }
  done
  return 1
}

# peer_nginx_head DIR: the start of an nginx configuration that keeps
# everything below DIR (pid, logs/, tmp/), up to the open http block.
peer_nginx_head() {
  cat <<CONF
daemon off;
master_process off;
user root;
worker_processes 1;
pid $1/nginx.pid;
error_log $1/logs/error.log;
events { worker_connections 64; }
http {
  access_log off;
  client_body_temp_path $1/tmp;
  proxy_temp_path $1/tmp;
  fastcgi_temp_path $1/tmp;
  uwsgi_temp_path $1/tmp;
  scgi_temp_path $1/tmp;
CONF
}

peers_start() {
  local dir
  PEER_HTTP=$(peer_free_port); PEER_PROXY=$(peer_free_port); PEER_SOCKS5=$(peer_free_port)
  PEER_SOCKS5U=$(peer_free_port); PEER_DANTE=$(peer_free_port)
  mkdir -p "$1/peers"
  dir=$(cd "$1/peers" && pwd)
  mkdir -p "$dir/www/dir" "$dir/nginx/logs" "$dir/nginx/tmp"
  printf 'target page\n' >"$dir/www/target.txt"
  printf 'in a folder\n' >"$dir/www/dir/page.txt"
  [ -f "$dir/www/file64m.bin" ] || head -c $((64 * 1024 * 1024)) /dev/urandom >"$dir/www/file64m.bin"

  cat >"$dir/nginx/nginx.conf" <<CONF
$(peer_nginx_head "$dir/nginx")
  absolute_redirect off;
  server {
    listen 127.0.0.1:$PEER_HTTP;
    root $dir/www;
    location = /chain1 { return 302 http://127.0.0.1:$PEER_HTTP/chain2; }
    location = /chain2 { return 301 /dir/chain3; }
    location = /dir/chain3 { return 302 page.txt; }
    location = /empty { return 200; }
  }
}
CONF
  nginx -c "$dir/nginx/nginx.conf" -p "$dir/nginx" >"$dir/nginx/logs/stdout.log" 2>&1 &
  PEERS_PIDS+=($!)
  peer_wait nginx $! "$PEER_HTTP" "$dir/nginx/logs/stdout.log" "$dir/nginx/logs/error.log" || return 1

  cat >"$dir/tinyproxy.conf" <<CONF
Port $PEER_PROXY
Listen 127.0.0.1
Timeout 60
MaxClients 20
Allow 127.0.0.1
LogFile "$dir/tinyproxy.log"
PidFile "$dir/tinyproxy.pid"
CONF
  tinyproxy -d -c "$dir/tinyproxy.conf" >>"$dir/tinyproxy.log" 2>&1 &
  PEERS_PIDS+=($!)
  peer_wait tinyproxy $! "$PEER_PROXY" "$dir/tinyproxy.log" || return 1

  microsocks -i 127.0.0.1 -p "$PEER_SOCKS5" >"$dir/microsocks.log" 2>&1 &
  PEERS_PIDS+=($!)
  peer_wait microsocks $! "$PEER_SOCKS5" "$dir/microsocks.log" || return 1
  microsocks -i 127.0.0.1 -p "$PEER_SOCKS5U" -u orv -P secret >"$dir/microsocks-auth.log" 2>&1 &
  PEERS_PIDS+=($!)
  peer_wait "microsocks with a password" $! "$PEER_SOCKS5U" "$dir/microsocks-auth.log" || return 1

  cat >"$dir/danted.conf" <<CONF
logoutput: $dir/danted.log
internal: 127.0.0.1 port = $PEER_DANTE
external: 127.0.0.1
socksmethod: none
clientmethod: none
user.privileged: root
user.unprivileged: nobody
client pass { from: 127.0.0.0/8 to: 0.0.0.0/0 }
socks pass { from: 127.0.0.0/8 to: 127.0.0.0/8 command: connect }
CONF
  danted -f "$dir/danted.conf" -N 1 >"$dir/danted.out" 2>&1 &
  PEERS_PIDS+=($!)
  peer_wait danted $! "$PEER_DANTE" "$dir/danted.out" "$dir/danted.log" || return 1
}

peers_stop() {
  local pid
  for pid in "${PEERS_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${PEERS_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
  PEERS_PIDS=()
}
