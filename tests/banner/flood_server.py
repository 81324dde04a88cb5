#!/usr/bin/env python3
"""A server on 127.0.0.1 whose replies never end: it sends a head and then one piece again and
again, and counts what it could send before the client closed the connection.

    flood_server.py PORT PORTFILE REPORT [KIND]

PORT 0 takes a free port; the port it listens on is written to PORTFILE once it listens. Every
connection gets the reply KIND, or the one its request path names (/not-found, /interim,
/one-byte-chunks, /no-content). For each one a line goes to REPORT once the client has gone:

    KIND sent BYTES in SECONDS s, client closed
    KIND sent BYTES in SECONDS s, still open (after 256 MiB or 60 s the server stops itself)
    KIND sent BYTES in SECONDS s, client stopped reading (a send waited 10 s)

BYTES counts what the system took from the server (the client read it, or it waits in the
socket buffers), SECONDS runs from the end of the request to the failed send.
"""
import socket
import sys
import threading
import time

# The list the chunked reply spells, one byte a chunk, in Windows-1251.
LIST = "Первый баннер\r\nВторой баннер\r\nПоследняя строка\r\n".encode("cp1251")
LONG_LINE = b"y" * 16383 + b"\r\n"

REPLIES = {
    "not-found": (b"HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\n\r\n", b"<p>not found</p>\n" * 4096),
    "interim": (b"", b"HTTP/1.1 100 Continue\r\n\r\n" * 2600),
    "one-byte-chunks": (b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n",
                        b"".join(b"1\r\n" + bytes([c]) + LONG_LINE for c in LIST)),
    "no-content": (b"HTTP/1.1 204 No Content\r\n\r\n", b"z" * 65536),
}
CAP_BYTES = 256 << 20
CAP_SECONDS = 60

lock = threading.Lock()


def serve(conn, kind):
    sent = 0
    try:
        head = b""
        while b"\r\n\r\n" not in head:
            data = conn.recv(4096)
            if not data:
                return
            head += data
        if kind is None:
            kind = head.split(b" ")[1].decode("ascii", "replace").lstrip("/")
        first, piece = REPLIES[kind]
        # Every send goes on where the last one stopped in the piece, so a short send never
        # breaks the stream.
        twice = memoryview(piece * 2)
        at = 0
        state = "still open"
        start = time.monotonic()
        conn.settimeout(10)
        try:
            conn.sendall(first)
            sent += len(first)
            while sent < CAP_BYTES and time.monotonic() - start < CAP_SECONDS:
                n = conn.send(twice[at:at + len(piece)])
                sent += n
                at = (at + n) % len(piece)
        except socket.timeout:
            state = "client stopped reading"
        except OSError:
            state = "client closed"
        seconds = time.monotonic() - start
        with lock, open(sys.argv[3], "a") as report:
            report.write(f"{kind} sent {sent} in {seconds:.3f} s, {state}\n")
    finally:
        conn.close()


def main():
    kind = sys.argv[4] if len(sys.argv) > 4 else None
    s = socket.socket()
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.bind(("127.0.0.1", int(sys.argv[1])))
    s.listen(8)
    with open(sys.argv[2], "w") as f:
        f.write(str(s.getsockname()[1]))
    while True:
        conn, _ = s.accept()
        threading.Thread(target=serve, args=(conn, kind), daemon=True).start()


main()
