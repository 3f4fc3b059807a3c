#!/usr/bin/env python3
"""Loopback HTTP stand-in for the photo service and the support site in tests.

  http_fixture.py start --addr 127.0.0.61 --root DIR --pidfile FILE [--also-addr 127.0.0.62]
                        [--probe-port 443] [--lifetime S]
  http_fixture.py stop --pidfile FILE

Serves the files below --root on port 80 (GET /a/b.xml answers ROOT/a/b.xml, the
query string is ignored unless a file named with it exists: ROOT/a/b.xml?x=1 is
looked up as "b.xml@x=1" first; then, for each parameter of the query in turn,
"b.xml@@x=1": an answer chosen by one parameter, for queries too long to be a
file name). Tests write the canned bodies as ordinary files.
A path may begin with switches, each one segment, applied in order:
  /_nolength/...   body without Content-Length, connection closed at its end
  /_length0/...    Content-Length: 0 and no body
  /_status404/...  status 404 (or any number after _status) with the file's body
  /_slow/...       the body in small pieces with pauses (about 2 s in all)
  /_stall/...      headers and half the body, then silence for 60 s
  /_short/...      Content-Length of the whole body, then only half of it
  /_gate/...       waits (up to 60 s) until the file ROOT/_gate/... + ".open" exists
                   (the test opens the gate), then answers normally; a line "PASS PATH"
                   in ROOT/_gates.log tells when it went on
  /_stallN/...     like _stall, but silent for N seconds
  /_reset/...      Content-Length of the whole body, half of it, then a TCP reset
  /_long/...       announces a quarter of the body, sends all of it and 1 MiB of
                   noise more, then closes
  /_garbage/...    the body replaced by as many bytes of seeded noise
  /_page/...       the body replaced by a short HTML error page
Switches can also be switched on and off for a path without changing its URL:
when ROOT/<path> + ".switches" exists (for /a/b.jpg, ROOT/a/b.jpg.switches), the
switches it names (blank separated, e.g. "_status500") apply after those of the URL.
Beside a file, ROOT/<path> + ".headers" holds "Name: value" lines the answer
carries besides its own (a "Retry-After" with an overload status, say).
Every request is appended to ROOT/_requests.log as "METHOD PATH" lines, and its
path and User-Agent to ROOT/_agents.log as "PATH<TAB>AGENT" lines.
With --also-addr, a second address serves the same files on port 80: the
photo service's queries and its pictures come from different hosts, so a
connection that one of them left broken in WinINet's pool never answers the other.
With --probe-port, a plain socket on that port (of the same address) writes the
first bytes each client sends, in hex, as one line to ROOT/_probe.log and closes;
a TLS client shows up as a line beginning 1603 (handshake record)."""
import argparse
import http.server
import os
import random
import signal
import socket
import socketserver
import struct
import sys
import threading
import time
import urllib.parse


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    root = "."

    def log_message(self, *args):
        pass

    def do_GET(self):
        with open(os.path.join(self.root, "_requests.log"), "a", encoding="utf-8") as log:
            log.write("GET %s\n" % self.path)
        with open(os.path.join(self.root, "_agents.log"), "a", encoding="utf-8") as log:
            log.write("%s\t%s\n" % (self.path, self.headers.get("User-Agent", "")))
        parsed = urllib.parse.urlsplit(self.path)
        segments = [s for s in parsed.path.split("/") if s]
        switches = []
        while segments and segments[0].startswith("_") and segments[0] != "_requests.log":
            switches.append(segments.pop(0))
        switches += self.sidecar_switches(segments)
        self.extra_headers = self.sidecar_headers(segments)
        if "_gate" in switches:
            self.wait_for_gate(parsed.path)
            with open(os.path.join(self.root, "_gates.log"), "a", encoding="utf-8") as log:
                log.write("PASS %s\n" % self.path)
        body = self.find_body(segments, parsed.query)
        if body is not None and "_garbage" in switches:
            body = random.Random(len(body)).randbytes(len(body))
        if "_page" in switches:
            body = b"<html><head><title>Error</title></head><body><h1>Internal Server Error</h1></body></html>"
        status = 200
        for s in switches:
            if s.startswith("_status"):
                status = int(s[len("_status"):])
        if body is None:
            status, body = (404, b"not found") if status == 200 else (status, b"")
        self.respond(status, body, switches)

    def sidecar_switches(self, segments):
        path = os.path.join(self.root, *[urllib.parse.unquote(s) for s in segments]) + ".switches"
        try:
            with open(path, encoding="utf-8") as f:
                return [w for w in f.read().split() if w.startswith("_")]
        except OSError:
            return []

    def sidecar_headers(self, segments):
        path = os.path.join(self.root, *[urllib.parse.unquote(s) for s in segments]) + ".headers"
        try:
            with open(path, encoding="utf-8") as f:
                return [tuple(part.strip() for part in line.split(":", 1)) for line in f if ":" in line]
        except OSError:
            return []

    def wait_for_gate(self, url_path):
        gate = os.path.join(self.root, *[urllib.parse.unquote(s) for s in url_path.split("/") if s]) + ".open"
        for _ in range(600):
            if os.path.exists(gate):
                return
            time.sleep(0.1)

    def find_body(self, segments, query):
        path = os.path.join(self.root, *[urllib.parse.unquote(s) for s in segments])
        if not os.path.realpath(path).startswith(os.path.realpath(self.root)):
            return None
        candidates = []
        if query:
            candidates.append(path + "@" + urllib.parse.unquote(query))
            candidates += [path + "@@" + urllib.parse.unquote_plus(p) for p in query.split("&")]
        candidates.append(path)
        for p in candidates:
            try:
                if os.path.isfile(p):
                    with open(p, "rb") as f:
                        return f.read()
            except OSError:
                pass
        return None

    def respond(self, status, body, switches):
        self.send_response(status)
        self.send_header("Content-Type", "application/octet-stream")
        for name, value in self.extra_headers:
            self.send_header(name, value)
        if "_nolength" in switches:
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(body)
            self.close_connection = True
            return
        if "_length0" in switches:
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        stall = [s for s in switches if s.startswith("_stall")]
        if "_long" in switches:
            self.send_header("Content-Length", str(len(body) // 4))
            self.end_headers()
            self.wfile.write(body + random.Random(1).randbytes(1 << 20))
            self.wfile.flush()
            self.close_connection = True
            return
        self.send_header("Content-Length", str(len(body)))
        if "_short" in switches or "_reset" in switches or stall:
            self.send_header("Connection", "close")
        self.end_headers()
        if "_reset" in switches:
            self.wfile.write(body[: len(body) // 2])
            self.wfile.flush()
            # Linger 0: close sends a reset instead of an orderly end.
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.connection.close()
            self.close_connection = True
            return
        if "_short" in switches:
            self.wfile.write(body[: len(body) // 2])
            self.wfile.flush()
            self.close_connection = True
            return
        if stall:
            self.wfile.write(body[: len(body) // 2])
            self.wfile.flush()
            time.sleep(int(stall[0][len("_stall"):] or 60))
            self.close_connection = True
            return
        if "_slow" in switches:
            pieces = 10
            step = max(1, (len(body) + pieces - 1) // pieces)
            for i in range(0, len(body), step):
                self.wfile.write(body[i:i + step])
                self.wfile.flush()
                time.sleep(0.2)
            return
        self.wfile.write(body)


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def probe(listener, root):
    while True:
        client, _ = listener.accept()
        with client:
            client.settimeout(10)
            try:
                data = client.recv(16)
            except OSError:
                data = b""
        with open(os.path.join(root, "_probe.log"), "a", encoding="utf-8") as log:
            log.write(data.hex() + "\n")


def start(args):
    stop(args)
    root = os.path.abspath(args.root)
    os.makedirs(root, exist_ok=True)
    Handler.root = root
    server = Server((args.addr, args.port), Handler)  # bind before detaching: errors reach ctest
    also = Server((args.also_addr, args.port), Handler) if args.also_addr else None
    listener = None
    if args.probe_port:
        listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        listener.bind((args.addr, args.probe_port))
        listener.listen(8)
    if not detach(args.pidfile, args.lifetime):
        return 0
    if listener:
        threading.Thread(target=probe, args=(listener, root), daemon=True).start()
    if also:
        threading.Thread(target=also.serve_forever, daemon=True).start()
    server.serve_forever()
    return 0


def detach(pidfile, lifetime=3600):
    """Forks a silent server process that ends by itself after lifetime seconds
    even if nobody stops it; true in that process, false in the caller."""
    pid = os.fork()
    if pid:
        with open(pidfile, "w") as f:
            f.write(str(pid))
        return False
    os.setsid()
    devnull = os.open(os.devnull, os.O_RDWR)
    for fd in (0, 1, 2):
        os.dup2(devnull, fd)
    signal.alarm(lifetime)
    return True


def stop(args):
    try:
        with open(args.pidfile) as f:
            pid = int(f.read().strip())
    except (OSError, ValueError):
        return 0
    try:
        os.kill(pid, signal.SIGTERM)
    except OSError:
        pass
    os.remove(args.pidfile)
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("command", choices=["start", "stop"])
    parser.add_argument("--addr", default="127.0.0.61")
    parser.add_argument("--also-addr", default="")
    parser.add_argument("--port", type=int, default=80)
    parser.add_argument("--root", default=".")
    parser.add_argument("--probe-port", type=int, default=0)
    parser.add_argument("--pidfile", required=True)
    parser.add_argument("--lifetime", type=int, default=3600, help="seconds before it ends by itself")
    args = parser.parse_args()
    return start(args) if args.command == "start" else stop(args)


if __name__ == "__main__":
    sys.exit(main())
