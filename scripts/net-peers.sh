# Sourced by the test and benchmark scripts: real network peers on loopback
# for the network components. peers_start BUILD starts them, peers_stop ends
# them (also from a trap). Ports:
#   18080 nginx (pages, redirections, 404, an empty body, a 64 MiB file)
#   18888 tinyproxy (HTTP proxy)
#   11080 microsocks (SOCKS 5, no authentication)
#   11081 microsocks (SOCKS 5, user "orv" password "secret")
#   11082 danted (SOCKS 4 and 5)

PEERS_PIDS=()

peers_start() {
  local dir port
  # Peers left over from another run would answer in place of these, with
  # other files: refuse instead of testing against them.
  for port in 18080 18888 11080 11081 11082; do
    if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then
      echo "net-peers: port $port is already taken; stop what listens there first" >&2
      return 1
    fi
  done
  mkdir -p "$1/peers"
  dir=$(cd "$1/peers" && pwd)
  mkdir -p "$dir/www/dir" "$dir/nginx/logs" "$dir/nginx/tmp"
  printf 'target page\n' >"$dir/www/target.txt"
  printf 'in a folder\n' >"$dir/www/dir/page.txt"
  [ -f "$dir/www/file64m.bin" ] || head -c $((64 * 1024 * 1024)) /dev/urandom >"$dir/www/file64m.bin"

  cat >"$dir/nginx/nginx.conf" <<CONF
daemon off;
master_process off;
user root;
worker_processes 1;
pid $dir/nginx/nginx.pid;
error_log $dir/nginx/logs/error.log;
events { worker_connections 64; }
http {
  access_log off;
  client_body_temp_path $dir/nginx/tmp;
  proxy_temp_path $dir/nginx/tmp;
  fastcgi_temp_path $dir/nginx/tmp;
  uwsgi_temp_path $dir/nginx/tmp;
  scgi_temp_path $dir/nginx/tmp;
  absolute_redirect off;
  server {
    listen 127.0.0.1:18080;
    root $dir/www;
    location = /chain1 { return 302 http://127.0.0.1:18080/chain2; }
    location = /chain2 { return 301 /dir/chain3; }
    location = /dir/chain3 { return 302 page.txt; }
    location = /empty { return 200; }
  }
}
CONF
  nginx -c "$dir/nginx/nginx.conf" -p "$dir/nginx" >"$dir/nginx/logs/stdout.log" 2>&1 &
  PEERS_PIDS+=($!)

  cat >"$dir/tinyproxy.conf" <<CONF
Port 18888
Listen 127.0.0.1
Timeout 60
MaxClients 20
Allow 127.0.0.1
LogFile "$dir/tinyproxy.log"
PidFile "$dir/tinyproxy.pid"
CONF
  tinyproxy -d -c "$dir/tinyproxy.conf" >>"$dir/tinyproxy.log" 2>&1 &
  PEERS_PIDS+=($!)

  microsocks -i 127.0.0.1 -p 11080 >"$dir/microsocks.log" 2>&1 &
  PEERS_PIDS+=($!)
  microsocks -i 127.0.0.1 -p 11081 -u orv -P secret >"$dir/microsocks-auth.log" 2>&1 &
  PEERS_PIDS+=($!)

  cat >"$dir/danted.conf" <<CONF
logoutput: $dir/danted.log
internal: 127.0.0.1 port = 11082
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

  # Ready when every port answers, bounded.
  local i
  for port in 18080 18888 11080 11081 11082; do
    for i in $(seq 1 100); do
      (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
      sleep 0.1
    done
  done
}

peers_stop() {
  local pid
  for pid in "${PEERS_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${PEERS_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
  PEERS_PIDS=()
}
