#!/usr/bin/env python3
"""A test server on 127.0.0.1 built on Python's http.server: replies end with the close.

    http_test_server.py PORTFILE DOCUMENT

Serves DOCUMENT at /reklam.txt as an HTTP/1.0 reply without Content-Length, a 1 MiB body the
same way at /big, a 404 elsewhere, and resets the connection at /reset
instead of replying. Writes the port it listens on to PORTFILE once it listens.
"""
import http.server
import socket
import struct
import sys
import time


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def do_GET(self):
        if self.path == "/reklam.txt":
            with open(sys.argv[2], "rb") as f:
                self.reply(f.read())
        elif self.path == "/big":
            self.reply(bytes(range(256)) * 4096)
        elif self.path == "/reset":
            # Once the client waits in its read: closed at once, past the handler's own
            # shutdown, with linger off, which resets the connection.
            time.sleep(0.2)
            raw = socket.socket(fileno=self.connection.detach())
            raw.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            raw.close()
            self.close_connection = True
        else:
            self.send_error(404)

    def reply(self, body):
        self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
with open(sys.argv[1], "w") as f:
    f.write(str(server.server_address[1]))
server.serve_forever()
