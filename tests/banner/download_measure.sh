#!/bin/bash
# Measures the banner download under Wine against a loopback server outside the Wine process:
# the worker's time and peak memory for a 3 MiB body in each framing and for a body that never
# ends; then, for replies that never end in other ways (flood_server.py: an error body,
# interim replies, chunks of one byte each followed by a long line, a 204 followed by bytes), the
# bytes the client reads and when it closes, and what the server could send to the worker
# before it closed; then the completion step's time for a cache file of 1 MiB of short lines.
# Needs the mingw build (cmake --preset mingw). Measure programs of other build trees named as
# arguments run beside this one's worker, each case in turn, in the same run.
#   tests/banner/download_measure.sh [OTHER_MEASURE_EXE...]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$root/build/mingw
cmake --build "$build" --target banner_download_measure >/dev/null
run=$build/wine-run
measures=("$build/tests/banner/banner_download_measure.exe" "$@")
work=$(mktemp -d "$build/download_measure.XXXXXX")
session=("$root/cmake/wine-session.sh" "$build/wineprefix" "$build/wine-session.env")
# The worker hands its completion to the application's hidden window: Wine needs a display.
"${session[0]}" start "${session[@]:1}" >/dev/null
flood_pid=
trap 'kill $server_pid $flood_pid 2>/dev/null || true; "${session[0]}" stop "${session[@]:1}"; rm -rf "$work"' EXIT

python3 - "$work/port" <<'PY' &
import socket, sys, threading
line = b"0123456789abcd\r\n"
body = line * (3 * 65536)  # 3 MiB
chunked = b"".join(b"8000\r\n" + body[i:i + 0x8000] + b"\r\n" for i in range(0, len(body), 0x8000)) + b"0\r\n\r\n"
replies = {
    b"/length": b"HTTP/1.1 200 OK\r\nContent-Length: %d\r\n\r\n" % len(body) + body,
    b"/chunked": b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + chunked,
    b"/close": b"HTTP/1.1 200 OK\r\n\r\n" + body,
}
def serve(c):
    try:
        head = b""
        while b"\r\n\r\n" not in head:
            head += c.recv(4096)
        target = head.split(b" ")[1]
        if target == b"/endless":
            c.sendall(b"HTTP/1.1 200 OK\r\n\r\n")
            lines = line * 4096
            while True:
                c.sendall(lines)
        c.sendall(replies[target])
    except OSError:
        pass
    finally:
        c.close()
s = socket.socket()
s.bind(("127.0.0.1", 0))
s.listen(8)
open(sys.argv[1], "w").write(str(s.getsockname()[1]))
while True:
    threading.Thread(target=serve, args=(s.accept()[0],), daemon=True).start()
PY
server_pid=$!
for _ in $(seq 100); do [ -s "$work/port" ] && break; sleep 0.05; done
port=$(cat "$work/port")
cache="Z:$work/Corvanix/Ostrel/reclam.txt"
for target in length chunked close endless; do
  if [ $target = endless ]; then echo "== endless body"; else echo "== 3 MiB body, $target"; fi
  for measure in "${measures[@]}"; do
    echo "-- $measure"
    # A worker without a bound never ends on the endless body: it is stopped after 20 s.
    timeout 20 "$run" "$measure" worker "http://127.0.0.1:$port/$target" "$cache" ||
      echo "worker: still running after 20 s, cache file $(stat -c %s "$work/Corvanix/Ostrel/reclam.txt") bytes"
  done
done
python3 "$root/tests/banner/flood_server.py" 0 "$work/flood.port" "$work/flood.report" &
flood_pid=$!
for _ in $(seq 100); do [ -s "$work/flood.port" ] && break; sleep 0.05; done
flood=http://127.0.0.1:$(cat "$work/flood.port")
# Runs one command against the flood server and prints the server's count for its connection,
# which comes once the server has found the client gone (after 60 s at the latest).
flooded() {
  : > "$work/flood.report"
  local status=0
  "$@" || status=$?
  [ "$status" -eq 124 ] && echo "worker: still running after 20 s, stopped"
  for _ in $(seq 700); do [ -s "$work/flood.report" ] && break; sleep 0.1; done
  echo "server: $(cat "$work/flood.report")"
}
for kind in not-found interim one-byte-chunks no-content; do
  echo "== a reply that never ends: $kind"
  echo "-- ${measures[0]}"
  flooded "$run" "${measures[0]}" client "$flood/$kind"
  for measure in "${measures[@]}"; do
    echo "-- $measure"
    flooded timeout 20 "$run" "$measure" worker "$flood/$kind" "$cache"
  done
done
echo "== completion step, 1 MiB of short lines"
file=$work/Corvanix/Ostrel/reclam.txt
python3 -c 'import sys; open(sys.argv[1], "wb").write(b"0123456789abcd\r\n" * 65536)' "$file"
for measure in "${measures[@]}"; do "$run" "$measure" load "$cache" 20; done
echo "== completion step, 1 MiB and one byte"
printf x >> "$file"
for measure in "${measures[@]}"; do "$run" "$measure" load "$cache" 20; done
