#!/usr/bin/env python3
"""A time-stamp server for the signing test: answers RFC 3161 requests on the loopback with
`openssl ts -reply` under the given configuration. Prints its port, serves at most 32 requests
(of at most 64 KiB), and ends by itself after 120 s without one.

  tsa_server.py OPENSSL_TS_CONFIG
"""
import http.server
import subprocess
import sys
import tempfile


class Handler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        length = int(self.headers.get("Content-Length", 0))
        if not 0 < length <= 65536:
            self.send_error(413)
            return
        query = self.rfile.read(length)
        with tempfile.TemporaryDirectory() as folder:
            with open(folder + "/query.tsq", "wb") as f:
                f.write(query)
            done = subprocess.run(["openssl", "ts", "-reply", "-config", sys.argv[1], "-queryfile",
                                   folder + "/query.tsq", "-out", folder + "/reply.tsr"],
                                  capture_output=True, timeout=30)
            if done.returncode:
                sys.stderr.write(done.stderr.decode(errors="replace"))
                self.send_error(500)
                return
            with open(folder + "/reply.tsr", "rb") as f:
                body = f.read()
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


class Server(http.server.HTTPServer):
    timeout = 120
    idle = False

    def handle_timeout(self):
        self.idle = True


def main():
    server = Server(("127.0.0.1", 0), Handler)
    print(server.server_address[1], flush=True)
    for _ in range(32):
        server.handle_request()
        if server.idle:
            break


if __name__ == "__main__":
    main()
