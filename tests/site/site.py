#!/usr/bin/env python3
"""A local stand-in for the movie site, for tests and the demo.

It serves the fixture pages named in a routes file. Downloaders reach it as
their HTTP proxy (http_proxy=http://127.0.0.1:PORT), so requests arrive in
absolute form ("GET http://www.imdb.com/find?q=Some%20Film;more=tt HTTP/1.1")
and are routed by host, path and query, percent-decoded, to a file; any other
request gets 404.

Routes file: one route a line, "KEY<TAB>FILE", where KEY is host + path +
query as decoded text and FILE is relative to the routes file's folder. Blank
lines and lines starting with "#" are ignored.

Usage: site.py --root DIR [--port-file FILE] [--log FILE]
Listens on 127.0.0.1 on a free port, prints "PORT\n" on standard output (and
writes it to --port-file) once it accepts connections, appends each request's
decoded key to --log, and stops cleanly on SIGTERM or SIGINT.
"""

import argparse
import http.server
import os
import signal
import sys
import threading
import urllib.parse

CONTENT_TYPES = {".htm": "text/html", ".html": "text/html",
                 ".jpg": "image/jpeg", ".txt": "text/plain"}


def load_routes(root):
    routes = {}
    with open(os.path.join(root, "routes.txt"), encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            key, _, name = line.partition("\t")
            routes[key] = os.path.join(root, name)
    return routes


def request_key(handler):
    """Host + path + query of the request, percent-decoded."""
    target = handler.path
    parts = urllib.parse.urlsplit(target)
    if parts.scheme and parts.netloc:
        host = parts.netloc
    else:
        host = handler.headers.get("Host", "")
    host = host.split(":")[0].lower()
    key = host + parts.path
    if parts.query:
        key += "?" + parts.query
    return urllib.parse.unquote(key)


def make_handler(routes, log_path, log_lock):
    class Handler(http.server.BaseHTTPRequestHandler):
        server_version = "LocalSite/1.0"

        def do_GET(self):
            key = request_key(self)
            if log_path:
                with log_lock, open(log_path, "a", encoding="utf-8") as log:
                    log.write(key + "\n")
            name = routes.get(key)
            if name is None or not os.path.isfile(name):
                body = b"<html><body>Not found</body></html>\n"
                self.send_response(404)
                self.send_header("Content-Type", "text/html")
            else:
                with open(name, "rb") as f:
                    body = f.read()
                self.send_response(200)
                ext = os.path.splitext(name)[1]
                self.send_header("Content-Type",
                                 CONTENT_TYPES.get(ext, "application/octet-stream"))
            self.send_header("Content-Length", str(len(body)))
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(body)

        def log_message(self, fmt, *args):
            pass  # the request log above is the only record kept

    return Handler


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", required=True)
    parser.add_argument("--port-file")
    parser.add_argument("--log")
    args = parser.parse_args()

    routes = load_routes(args.root)
    server = http.server.ThreadingHTTPServer(
        ("127.0.0.1", 0), make_handler(routes, args.log, threading.Lock()))
    server.daemon_threads = True
    port = server.server_address[1]

    def stop(signum, frame):
        # shutdown() waits for serve_forever, so it runs on another thread.
        threading.Thread(target=server.shutdown, daemon=True).start()

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)

    if args.port_file:
        tmp = args.port_file + ".tmp"
        with open(tmp, "w", encoding="utf-8") as f:
            f.write("%d\n" % port)
        os.replace(tmp, args.port_file)
    sys.stdout.write("%d\n" % port)
    sys.stdout.flush()

    server.serve_forever(poll_interval=0.1)
    server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
