#!/usr/bin/env python3
"""The updater tests' HTTP server on 127.0.0.1.

    update_server.py SITE PORTFILE [LIFETIME_SECONDS]

Serves the files of the folder SITE, where the tests write the release descriptions and
downloads of each case, and writes "PORT DOWNPORT" to PORTFILE once it listens: PORT is
the server, DOWNPORT a port that is bound but refuses every connection (a server that is
down). Some paths misbehave on purpose:

    /cut/PATH       announces the file's whole length, sends half of it and hangs up
    /nolength/PATH  sends the file without a Content-Length
    /chunked/PATH   sends the file in chunks (Transfer-Encoding: chunked)
    /chunkcut/PATH  sends the first half of the file in chunks and hangs up after a whole
                    chunk, before the last (zero-length) one, as a broken connection may
    /badlength/PATH announces a Content-Length above 4 GB and sends the file
    /nanlength/PATH announces a Content-Length that is no number and sends the file
    /stall/PATH     announces the whole length, sends the first 20,000 bytes, then waits
    /silent/...     reads the request and never answers

A waiting request ends when the file SITE/release exists, or with the server. Every
request's path is appended to SITE/requests.log before it is answered. The server stops
by itself after LIFETIME_SECONDS (default 900).
"""
import http.server
import os
import socket
import sys
import threading
import time

STALL_BYTES = 20000


def main():
    site, port_file = sys.argv[1], sys.argv[2]
    lifetime = float(sys.argv[3]) if len(sys.argv) > 3 else 900.0
    stop = threading.Event()
    log_lock = threading.Lock()

    def released():
        return stop.is_set() or os.path.exists(os.path.join(site, "release"))

    def wait_for_release():
        while not released():
            time.sleep(0.05)

    class Handler(http.server.BaseHTTPRequestHandler):
        def log_message(self, *args):
            pass

        def local_file(self, path):
            path = path.split("?", 1)[0]
            full = os.path.abspath(os.path.join(site, path.lstrip("/")))
            if not full.startswith(os.path.abspath(site) + os.sep) or not os.path.isfile(full):
                return None
            with open(full, "rb") as f:
                return f.read()

        def not_found(self):
            body = b"<html><body><h1>404 Not Found</h1></body></html>"
            self.send_response(404)
            self.send_header("Content-Type", "text/html")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def do_GET(self):
            with log_lock, open(os.path.join(site, "requests.log"), "a") as log:
                log.write(self.path + "\n")
            if self.path.startswith("/silent/"):
                wait_for_release()
                self.close_connection = True
                return
            mode = None
            path = self.path
            for prefix in ("/cut/", "/nolength/", "/stall/", "/chunked/", "/chunkcut/",
                           "/badlength/", "/nanlength/"):
                if path.startswith(prefix):
                    mode, path = prefix.strip("/"), path[len(prefix) - 1:]
            data = self.local_file(path)
            if data is None:
                self.not_found()
                return
            chunked = mode in ("chunked", "chunkcut")
            if chunked:
                self.protocol_version = "HTTP/1.1"  # chunks are HTTP/1.1's
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            if chunked:
                self.send_header("Transfer-Encoding", "chunked")
                self.send_header("Connection", "close")
            elif mode == "badlength":
                self.send_header("Content-Length", str(5000000000 + len(data)))
            elif mode == "nanlength":
                self.send_header("Content-Length", "%dx" % len(data))
            elif mode != "nolength":
                self.send_header("Content-Length", str(len(data)))
            self.end_headers()
            if chunked:
                body = data[: len(data) // 2] if mode == "chunkcut" else data
                for at in range(0, len(body), 8192):
                    piece = body[at : at + 8192]
                    self.wfile.write(b"%x\r\n%s\r\n" % (len(piece), piece))
                if mode == "chunked":
                    self.wfile.write(b"0\r\n\r\n")
                self.wfile.flush()
            elif mode == "cut":
                self.wfile.write(data[: len(data) // 2])
            elif mode == "stall":
                self.wfile.write(data[:STALL_BYTES])
                self.wfile.flush()
                wait_for_release()
            else:
                self.wfile.write(data)
            self.close_connection = True

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    down = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    down.bind(("127.0.0.1", 0))  # bound, never listening: connections are refused
    threading.Thread(target=server.serve_forever, daemon=True).start()
    with open(port_file + ".tmp", "w") as f:
        f.write("%d %d\n" % (server.server_address[1], down.getsockname()[1]))
    os.replace(port_file + ".tmp", port_file)
    stop.wait(lifetime)
    stop.set()
    server.shutdown()


if __name__ == "__main__":
    main()
