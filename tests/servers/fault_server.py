#!/usr/bin/env python3
"""HTTP server that misbehaves on purpose, for the transfer tests (python3 standard library only).

Serves the files of ROOT, honouring a single "Range: bytes=..." (206 + Content-Range, 416 when
the start lies beyond the end), except where the path names faults before the file. Faults
combine: /drop/10000/norange/<file> breaks off every answer, the second one to a Range request
too, which it answers from the start of the file.

  /<file>                 served correctly
  /drop/<N>/<file>        headers with the true Content-Length, only N bytes of the body, then closes
  /lie/<file>             Content-Length LIE_EXTRA bytes larger than the body sent, then closes
  /norange/<file>         ignores Range: always 200 with the whole file, no Accept-Ranges
  /trickle/<file>         one byte per second
  /paced/<MS>/<file>      a pause of MS milliseconds after each 64 KiB block
  /chunked/<file>         a Range request answered by a chunked 206 (HTTP/1.1, no Content-Length)
  /nocontentrange/<file>  a 206 without Content-Range
  /rewind/<N>/<file>      a 206 starting N bytes before the start asked for (Content-Range says so)
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
# The faults a path may name before its file, and whether each takes a number.
FAULTS = {"drop": True, "paced": True, "rewind": True, "lie": False, "norange": False,
          "trickle": False, "chunked": False, "nocontentrange": False}

root = log_path = None
log_lock = threading.Lock()


def split_faults(path):
    """({fault: number or 0}, file path) of a path: "/drop/9/norange/a" -> ({"drop": 9, ...}, "/a")."""
    faults, parts = {}, path.lstrip("/").split("/")
    while len(parts) > 1 and parts[0] in FAULTS:
        takes_number = FAULTS[parts[0]]
        if takes_number and not (len(parts) > 2 and parts[1].isdigit()):
            break
        faults[parts[0]] = int(parts[1]) if takes_number else 0
        parts = parts[2:] if takes_number else parts[1:]
    return faults, "/" + "/".join(parts)


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

        faults, path = split_faults(path)
        file = os.path.realpath(os.path.join(root, path.lstrip("/")))
        if not file.startswith(root + os.sep) or not os.path.isfile(file):
            return self.simple(404)
        with open(file, "rb") as f:
            data = f.read()
        size = len(data)
        mtime = email.utils.formatdate(os.path.getmtime(file), usegmt=True)

        rng = None if "norange" in faults else parse_range(self.headers.get("Range"), size)
        if rng == "bad":
            return self.simple(416, ("Content-Range", "bytes */%d" % size))
        if rng and "rewind" in faults:
            rng = (max(0, rng[0] - faults["rewind"]), rng[1])
        status, body = (206, data[rng[0]:rng[1] + 1]) if rng else (200, data)
        chunked = rng and "chunked" in faults

        self.log_request_line(status)
        if chunked:
            self.protocol_version = "HTTP/1.1"  # chunked is an HTTP/1.1 answer
        self.send_response(status)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Last-Modified", mtime)
        if "norange" not in faults:
            self.send_header("Accept-Ranges", "bytes")
        if rng and "nocontentrange" not in faults:
            self.send_header("Content-Range", "bytes %d-%d/%d" % (rng[0], rng[1], size))
        if chunked:
            self.send_header("Transfer-Encoding", "chunked")
            self.send_header("Connection", "close")
        else:
            length = len(body) + (LIE_EXTRA if "lie" in faults else 0)
            self.send_header("Content-Length", str(length))
        self.end_headers()

        if "drop" in faults:
            body = body[:faults["drop"]]
        # The block written at once (a chunk of a chunked answer), and the pause after each
        block, pause = (8192 if chunked else len(body) or 1), 0
        if "trickle" in faults:
            block, pause = 1, 1.0
        elif "paced" in faults:
            block, pause = 65536, faults["paced"] / 1000
        try:
            for i in range(0, len(body), block):
                self.send_block(body[i:i + block], chunked)
                time.sleep(pause)
            if chunked and "drop" not in faults:
                self.wfile.write(b"0\r\n\r\n")
            self.wfile.flush()
        except OSError:
            pass  # the client went away

    def send_block(self, block, chunked):
        if chunked:
            block = b"%x\r\n%s\r\n" % (len(block), block)
        self.wfile.write(block)
        self.wfile.flush()

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
