#!/usr/bin/env python3
"""A page that shows an address, served on loopback for the watcher.

Listens on 127.0.0.1 at a free port and writes that port to --port-file once
it listens. Each GET is answered with the page: the text of --page, read
anew for every request (so a job can change the address between cycles), or
without --page a page whose address changes with every answer. --delay waits
before each answer. --rotate plays a bad server, one behaviour per
connection in turn: it answers, fails (a 500 status or a reset), stalls in
the middle of the body, and sends garbage (bytes without a header, or a 200
with binary bytes as its body). Every connection, and the server itself
(--lifetime), is bounded in time. --log gets one line per request.
"""

import argparse
import os
import random
import socket
import socketserver
import struct
import sys
import threading
import time

REQUEST_LIMIT = 65536
CONNECTION_SECONDS = 10
BEHAVIOURS = ("answer", "fail", "stall", "garbage")


def address_page(n):
    # 80.1.x.y with y from 1 to 250: every part a valid one.
    return ("<html><head><title>Current IP Check</title></head>"
            f"<body>Current IP Address: 80.1.{n // 250 % 250 + 1}.{n % 250 + 1}</body></html>\r\n").encode()


def response(status, body, content_type="text/html"):
    head = (f"HTTP/1.0 {status}\r\nServer: page-server\r\nContent-Type: {content_type}\r\n"
            f"Content-Length: {len(body)}\r\nConnection: close\r\n\r\n")
    return head.encode() + body


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, options):
        super().__init__(("127.0.0.1", 0), Handler)
        self.options = options
        self.lock = threading.Lock()
        self.connections = 0
        self.answers = 0
        self.random = random.Random(1)  # the same garbage in every run

    def next_turn(self):
        with self.lock:
            n = self.connections
            self.connections += 1
            return n

    def next_answer(self):
        with self.lock:
            n = self.answers
            self.answers += 1
            return n

    def log(self, text):
        if self.options.log:
            with self.lock, open(self.options.log, "a") as f:
                f.write(f"{time.time():.3f} {text}\n")


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        server = self.server
        self.request.settimeout(CONNECTION_SECONDS)
        request = b""
        try:
            while b"\r\n\r\n" not in request and len(request) < REQUEST_LIMIT:
                chunk = self.request.recv(4096)
                if not chunk:
                    return
                request += chunk
        except OSError:
            return
        first = request.split(b"\r\n", 1)[0].decode("latin-1")
        turn = server.next_turn()
        behaviour = BEHAVIOURS[turn % 4] if server.options.rotate else "answer"
        server.log(f"{turn} {behaviour} {first}")
        try:
            if server.options.delay:
                time.sleep(server.options.delay)
            getattr(self, behaviour)(turn // 4)
        except OSError:
            pass  # the client went away; its next attempt comes anew

    def page(self):
        options = self.server.options
        if options.page:
            with open(options.page, "rb") as f:
                return f.read()
        return address_page(self.server.next_answer())

    def answer(self, _round):
        self.request.sendall(response("200 OK", self.page()))

    def fail(self, round_):
        if round_ % 2 == 0:
            self.request.sendall(response("500 Internal Server Error", b"<html>failed</html>\r\n"))
        else:
            # A reset instead of an orderly close.
            self.request.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.request.close()

    def stall(self, _round):
        whole = response("200 OK", self.page())
        half = len(whole) - 40
        self.request.sendall(whole[:half])
        time.sleep(self.server.options.stall)
        self.request.sendall(whole[half:])

    def garbage(self, round_):
        with self.server.lock:
            junk = bytes(self.server.random.getrandbits(8) for _ in range(3000))
        if round_ % 2 == 0:
            self.request.sendall(junk)
        else:
            self.request.sendall(response("200 OK", junk, "application/octet-stream"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--page", help="file whose text is the page")
    parser.add_argument("--delay", type=float, default=0.0, help="seconds before each answer")
    parser.add_argument("--rotate", action="store_true", help="answer, fail, stall, garbage in turn")
    parser.add_argument("--stall", type=float, default=0.5, help="seconds a stall lasts")
    parser.add_argument("--lifetime", type=float, default=900.0, help="seconds until the server ends")
    parser.add_argument("--log", help="file that gets one line per request")
    options = parser.parse_args()

    server = Server(options)
    ending = threading.Timer(options.lifetime, server.shutdown)
    ending.daemon = True
    ending.start()
    temporary = options.port_file + ".new"
    with open(temporary, "w") as f:
        f.write(f"{server.server_address[1]}\n")
    os.replace(temporary, options.port_file)
    try:
        server.serve_forever(poll_interval=0.2)
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
