#!/usr/bin/env python3
"""Tavik's HTTP test server, on 127.0.0.1 only.

Paths (NAME is any file name; it only shapes the body):
  /files/NAME                 200, body "file:NAME\\n" * 100
  /size/N/NAME                200, N bytes of a pattern
  /status/CODE/NAME           that status, with a small HTML body
  /slow/N/NAME                200, N bytes, 1 KiB every 100 ms
  /truncated/N/NAME           Content-Length N, then N/2 bytes and a closed connection
  /redirect/PATH              302 to /PATH
  /auth/USER/PASS/NAME        401 (Basic, realm tavik-NAME) unless the request carries USER:PASS
  /empty                      200, no body
  /__requests                 JSON list of the requests seen (newest last)
  /__reset                    forgets them
With --docroot, any other path names a file below that folder (never above
it); anything else is 404. The port is written to --port-file once listening.
"""
import argparse
import base64
import json
import os
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

seen = []
seen_lock = threading.Lock()


def pattern(n, seed=0):
    return bytes((i * 7 + seed) % 251 for i in range(n))


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"
    server_version = "TavikTest/1.0"

    def log_message(self, *args):
        pass

    def send_body(self, code, body, ctype="application/octet-stream", extra=()):
        self.send_response(code)
        self.send_header("Content-Type", ctype)
        self.send_header("Content-Length", str(len(body)))
        for k, v in extra:
            self.send_header(k, v)
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)

    def do_HEAD(self):
        self.do_GET()

    def do_POST(self):
        self.do_GET()

    def do_GET(self):
        parts = [p for p in self.path.split("?")[0].split("/") if p]
        if parts and parts[0].startswith("__"):
            return self.control(parts)
        with seen_lock:
            seen.append({
                "method": self.command,
                "path": self.path,
                "version": self.request_version,
                "requestline": self.requestline,
                "headers": [[k, v] for k, v in self.headers.items()],
                "time": time.time(),
            })
            del seen[:-500]
        try:
            self.route(parts)
        except (BrokenPipeError, ConnectionResetError):
            pass

    def control(self, parts):
        if parts[0] == "__requests":
            with seen_lock:
                body = json.dumps(seen).encode()
            return self.send_body(200, body, "application/json")
        if parts[0] == "__reset":
            with seen_lock:
                seen.clear()
            return self.send_body(200, b"ok", "text/plain")
        return self.send_body(404, b"no such control", "text/plain")

    def route(self, parts):
        kind = parts[0] if parts else ""
        if kind == "files" and len(parts) >= 2:
            return self.send_body(200, ("file:%s\n" % parts[-1]).encode() * 100)
        if kind == "size" and len(parts) >= 2:
            return self.send_body(200, pattern(int(parts[1])))
        if kind == "status" and len(parts) >= 2:
            code = int(parts[1])
            return self.send_body(code, b"<html><body>status %d</body></html>" % code,
                                  "text/html")
        if kind == "slow" and len(parts) >= 2:
            n = int(parts[1])
            self.send_response(200)
            self.send_header("Content-Length", str(n))
            self.end_headers()
            body = pattern(n)
            for at in range(0, n, 1024):
                self.wfile.write(body[at:at + 1024])
                self.wfile.flush()
                time.sleep(0.1)
            return
        if kind == "truncated" and len(parts) >= 2:
            n = int(parts[1])
            self.send_response(200)
            self.send_header("Content-Length", str(n))
            self.end_headers()
            self.wfile.write(pattern(n // 2))
            self.wfile.flush()
            self.close_connection = True
            return
        if kind == "redirect":
            self.send_response(302)
            self.send_header("Location", "/" + "/".join(parts[1:]))
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        if kind == "auth" and len(parts) >= 3:
            want = "Basic " + base64.b64encode(f"{parts[1]}:{parts[2]}".encode()).decode()
            if self.headers.get("Authorization") == want:
                return self.send_body(200, b"secret page for " + parts[1].encode(), "text/html")
            # One realm per resource: WinINet remembers credentials per realm.
            return self.send_body(401, b"<html>401</html>", "text/html",
                                  [("WWW-Authenticate", 'Basic realm="tavik-%s"' % parts[-1])])
        if kind == "empty":
            return self.send_body(200, b"", "text/html")
        if self.server.docroot:
            root = os.path.realpath(self.server.docroot)
            wanted = os.path.realpath(os.path.join(root, *parts)) if parts else root
            if os.path.isdir(wanted):
                wanted = os.path.join(wanted, "index.html")
            if (wanted == root or wanted.startswith(root + os.sep)) and os.path.isfile(wanted):
                ctype = "text/html" if wanted.endswith((".html", ".htm")) else \
                    "application/octet-stream"
                with open(wanted, "rb") as f:
                    return self.send_body(200, f.read(), ctype)
        return self.send_body(404, b"<html>not found</html>", "text/html")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--docroot")
    args = parser.parse_args()
    server = ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    server.docroot = args.docroot
    server.daemon_threads = True
    with open(args.port_file + ".tmp", "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(args.port_file + ".tmp", args.port_file)
    server.serve_forever()


if __name__ == "__main__":
    main()
