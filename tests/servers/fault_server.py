#!/usr/bin/env python3
"""HTTP server that misbehaves on purpose, for the transfer tests (python3 standard library only).

Serves the files of ROOT, honouring a single "Range: bytes=..." (206 + Content-Range, 416 when
the start lies beyond the end), except where the path names a fault:

  /<file>                 served correctly
  /drop/<N>/<file>        headers with the true Content-Length, only N bytes of the body, then closes
  /lie/<file>             Content-Length LIE_EXTRA bytes larger than the body sent, then closes
  /norange/<file>         ignores Range: always 200 with the whole file, no Accept-Ranges
  /trickle/<file>         one byte per second
  /paced/<MS>/<file>      a pause of MS milliseconds after each 64 KiB block
  /endless                200 without Content-Length, a body that never ends (1 KiB per 10 ms)
  /slowheaders            reads the request and never answers, until the client goes

Every request is logged, one line each, with its Range header and the status sent, to LOG.
Usage: fault_server.py ROOT LOG PIDFILE PORT
"""
import email.utils
import os
import re
import select
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

LIE_EXTRA = 1024

root = log_path = None
log_lock = threading.Lock()


def parse_range(header, size):
    """(start, end inclusive) of a "bytes=S-[E]" range; None without one; "bad" when unusable."""
    m = re.fullmatch(r"\s*bytes\s*=\s*(\d+)\s*-\s*(\d*)\s*", header or "")
    if not m:
        return None if not header else "bad"
    start = int(m.group(1))
    end = min(int(m.group(2)), size - 1) if m.group(2) else size - 1
    return "bad" if start >= size or end < start else (start, end)


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"  # every response ends with the connection
    server_version = "FaultServer/1"

    def log_message(self, fmt, *args):  # quiet on stderr; requests go to the access log
        pass

    def log_request_line(self, status):
        line = '%s "%s" range="%s" status=%s\n' % (
            time.strftime("%Y-%m-%dT%H:%M:%S"), self.requestline,
            self.headers.get("Range", ""), status)
        with log_lock, open(log_path, "a") as f:
            f.write(line)

    def do_GET(self):
        path = self.path.split("?", 1)[0]
        if path == "/slowheaders":
            self.log_request_line("-")
            return self.hang()
        if path == "/endless":
            self.log_request_line(200)
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.end_headers()
            return self.stream_forever()

        fault, drop, pause = None, 0, 0
        m = re.fullmatch(r"/(drop/(\d+)|paced/(\d+)|lie|norange|trickle)(/.+)", path)
        if m:
            fault, path = m.group(1).split("/")[0], m.group(4)
            drop, pause = int(m.group(2) or 0), int(m.group(3) or 0) / 1000

        file = os.path.realpath(os.path.join(root, path.lstrip("/")))
        if not file.startswith(root + os.sep) or not os.path.isfile(file):
            return self.simple(404)
        with open(file, "rb") as f:
            data = f.read()
        size = len(data)
        mtime = email.utils.formatdate(os.path.getmtime(file), usegmt=True)

        rng = None if fault == "norange" else parse_range(self.headers.get("Range"), size)
        if rng == "bad":
            return self.simple(416, ("Content-Range", "bytes */%d" % size))
        status, body = (206, data[rng[0]:rng[1] + 1]) if rng else (200, data)

        self.log_request_line(status)
        self.send_response(status)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Last-Modified", mtime)
        if fault != "norange":
            self.send_header("Accept-Ranges", "bytes")
        if rng:
            self.send_header("Content-Range", "bytes %d-%d/%d" % (rng[0], rng[1], size))
        length = len(body) + (LIE_EXTRA if fault == "lie" else 0)
        self.send_header("Content-Length", str(length))
        self.end_headers()

        if fault == "drop":
            body = body[:drop]
        try:
            # (block, pause after each block in seconds) of the paced faults
            pace = {"trickle": (1, 1.0), "paced": (65536, pause)}.get(fault)
            if pace:
                for i in range(0, len(body), pace[0]):
                    self.wfile.write(body[i:i + pace[0]])
                    self.wfile.flush()
                    time.sleep(pace[1])
            else:
                self.wfile.write(body)
                self.wfile.flush()
        except OSError:
            pass  # the client went away

    def simple(self, status, *headers):
        self.log_request_line(status)
        self.send_response(status)
        for name, value in headers + (("Content-Length", "0"),):
            self.send_header(name, value)
        self.end_headers()

    def stream_forever(self):
        chunk = b"x" * 1024
        try:
            while True:
                self.wfile.write(chunk)
                self.wfile.flush()
                time.sleep(0.01)
        except OSError:
            pass

    def hang(self):
        # Waits until the client closes its side (recv returns nothing or fails).
        sock = self.connection
        try:
            while True:
                if select.select([sock], [], [], 1.0)[0] and not sock.recv(4096):
                    return
        except OSError:
            return
        finally:
            self.close_connection = True


def main():
    global root, log_path
    root = os.path.realpath(sys.argv[1])
    log_path = sys.argv[2]
    port = int(sys.argv[4])
    server = ThreadingHTTPServer(("127.0.0.1", port), Handler)
    server.daemon_threads = True
    with open(sys.argv[3], "w") as f:
        f.write("%d\n" % os.getpid())
    server.serve_forever()


if __name__ == "__main__":
    main()
