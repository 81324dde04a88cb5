#!/bin/bash
# Runs the Windows client tests against real servers on 127.0.0.1: nginx with its own prefix
# and configuration in the build tree, and the Python test server. Each listens on a free port;
# the test program gets the ports in its environment.
set -euo pipefail
. "$TARVELIN_SOURCE/tests/http/nginx_site.sh"
work=$TARVELIN_BUILD/http-servers
rm -rf "$work"
mkdir -p "$work/html" "$work/logs" "$work/temp"
printf 'Первый баннер\r\nSecond banner\r\nThird one\r\n' | iconv -f UTF-8 -t CP1251 > "$work/html/reklam.txt"

pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT

# Waits until a port accepts connections, for at most ten seconds.
wait_for_port() {
  for _ in $(seq 200); do
    (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null && return 0
    sleep 0.05
  done
  echo "nothing listens on port $1" >&2
  return 1
}

python3 "$TARVELIN_SOURCE/tests/http/http_test_server.py" "$work/python.port" "$work/html/reklam.txt" &
pids+=($!)

# nginx takes its port from the configuration: ask the system for a free one first.
nginx_port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
nginx_site_config "$work" "127.0.0.1:$nginx_port" \
  '$request|$http_host|$http_accept|$http_accept_encoding|$http_user_agent|$http_connection' \
  'location = /old { return 301 /reklam.txt; }'
nginx -p "$work" -e "$work/logs/error.log" -c "$work/nginx.conf" &
pids+=($!)

wait_for_port "$nginx_port"
for _ in $(seq 200); do [ -s "$work/python.port" ] && break; sleep 0.05; done
python_port=$(cat "$work/python.port")
wait_for_port "$python_port"

TARVELIN_NGINX_PORT=$nginx_port TARVELIN_PYTHON_PORT=$python_port TARVELIN_REKLAM=$work/html/reklam.txt \
  "$TARVELIN_WINE_RUN" "$TARVELIN_BUILD/tests/http/http_servers_test.exe"

# What nginx received: the request head as sent, seen from the server's side.
expected="GET /reklam.txt HTTP/1.1|127.0.0.1:$nginx_port|text/html, */*|identity|Mozilla/3.0 (compatible; Tarvelin)|-"
if ! grep -qxF "$expected" "$work/logs/access.log"; then
  echo "nginx did not log the expected request: $expected" >&2
  cat "$work/logs/access.log" >&2
  exit 1
fi
echo "nginx logged: $expected"
