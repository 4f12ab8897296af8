"""A loopback server that never finishes its answer, for the network limits.

Prints "PORT <n>" once it listens on a free port of 127.0.0.1. As "http" it
reads a request and answers 200 with a body that never ends; as "smtp" its
greeting never ends ("220-" lines). With --rate N it sends N bytes a second,
one at a time (a trickling server); with --rate 0 as fast as it can.
"""

import argparse
import socketserver
import sys
import time

FILL = b"Lumvik test server, still talking\r\n"


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        if self.server.protocol == "http":
            request = b""
            while b"\r\n\r\n" not in request:
                data = self.request.recv(4096)
                if not data:
                    return
                request += data
            self.request.sendall(b"HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
                                 b"Connection: close\r\n\r\n")
            line = FILL
        else:
            line = b"220-" + FILL
        try:
            while True:
                if self.server.rate == 0:
                    self.request.sendall(line * 1000)
                    continue
                for i in range(len(line)):
                    self.request.sendall(line[i:i + 1])
                    time.sleep(1.0 / self.server.rate)
        except OSError:
            pass


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("protocol", choices=["http", "smtp"])
    parser.add_argument("--rate", type=float, default=10)
    args = parser.parse_args()
    with Server(("127.0.0.1", 0), Handler) as server:
        server.protocol = args.protocol
        server.rate = args.rate
        print("PORT %d" % server.server_address[1])
        sys.stdout.flush()
        server.serve_forever()


if __name__ == "__main__":
    main()
