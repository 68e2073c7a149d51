#!/usr/bin/env python3
"""A local stand-in for the movie site, for tests and the demo.

It serves the fixture pages named in a routes file. Downloaders reach it as
their HTTP proxy (http_proxy=http://127.0.0.1:PORT), so requests arrive in
absolute form ("GET http://www.imdb.com/find?q=Some%20Film;more=tt HTTP/1.1")
and are routed by host, path and query, percent-decoded, to a file; any other
request gets 404.

Routes file: one route a line, "KEY<TAB>FILE", "KEY<TAB>FILE<TAB>MODE" or
"KEY<TAB>FILE<TAB>MODE<TAB>HEADER<TAB>HEADER...", where KEY is host + path +
query as decoded text and FILE is relative to the routes file's folder (an
empty FILE: an empty body). Blank lines and lines starting with "#" are
ignored. MODE is empty, a hostile mode (below), "status=NNN": the answer
gets that status instead of 200, with the file as its body, or "fill=N": a
body of N bytes made on the spot (no FILE), so that no large file need be
kept for a test of size limits. Each HEADER
("Name: value") is sent with the answer, e.g. "Retry-After: 3", or
"Location: http://elsewhere/x" with "status=302" for a redirect.

Hostile modes, for trials of how a downloader's caller copes with a bad
server; a route names one as its MODE, or a request asks for one with a path
prefix ("/hang/", "/cut/", "/drip/"), which is removed before routing (so
"www.imdb.com/drip/title/tt0100001/" is the page of
"www.imdb.com/title/tt0100001/", dripped):
  hang  read the request, then answer nothing and keep the connection open
        until the client gives up;
  cut   announce the whole body in the status and headers with a
        Content-Length too long for it, send only its first half and close;
        every request the same, so a retrying client is cut every time;
  drip  send the right headers, then the body one byte at a time, DRIP_PAUSE
        seconds apart: never idle long enough for a read timeout, yet far
        slower than any test's time limit;
  flood send headers without a length, then bytes as fast as the client
        takes them, without end, until it closes the connection;
  slow  answer as usual, but SLOW_PAUSE seconds late, so that requests of
        runs started one after the other are under way at the same time.
The request log keeps each request's key as asked, prefix included.

Usage: site.py --root DIR [--port-file FILE] [--log FILE] [--header-log FILE]
Listens on 127.0.0.1 on a free port, prints "PORT\n" on standard output (and
writes it to --port-file) once it accepts connections, appends each request's
decoded key to --log, and each request's headers to --header-log, one
"KEY<TAB>Name: value" line per header, so a test can see what arrived. It
stops cleanly on SIGTERM or SIGINT.
"""

import argparse
import http.server
import os
import select
import signal
import sys
import threading
import time
import urllib.parse

CONTENT_TYPES = {".htm": "text/html", ".html": "text/html",
                 ".jpg": "image/jpeg", ".txt": "text/plain",
                 ".json": "application/json"}
MODES = ("hang", "cut", "drip", "flood", "slow")
DRIP_PAUSE = 0.5
SLOW_PAUSE = 1.0
FLOOD_CHUNK = b"x" * 65536




class Route:
    def __init__(self, path, mode, status, headers, fill=None):
        self.path, self.mode = path, mode
        self.status, self.headers = status, headers
        self.fill = fill


def load_routes(root):
    routes = {}
    with open(os.path.join(root, "routes.txt"), encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            fields = line.split("\t")
            key, name = fields[0], fields[1] if len(fields) > 1 else ""
            mode = fields[2] if len(fields) > 2 else ""
            status = 200
            fill = None
            if mode.startswith("status="):
                status, mode = int(mode[len("status="):]), ""
            elif mode.startswith("fill="):
                fill, mode = int(mode[len("fill="):]), ""
            if mode and mode not in MODES:
                raise ValueError("unknown mode %r for %s" % (mode, key))
            headers = []
            for header in fields[3:]:
                header_name, colon, value = header.partition(":")
                if not colon:
                    raise ValueError("bad header %r for %s" % (header, key))
                headers.append((header_name.strip(), value.strip()))
            path = os.path.join(root, name) if name else ""
            routes[key] = Route(path, mode, status, headers, fill)
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


def split_mode(key):
    """The mode asked for by a path prefix, and the key without it."""
    host, slash, rest = key.partition("/")
    for mode in MODES:
        if rest.startswith(mode + "/"):
            return mode, host + slash + rest[len(mode) + 1:]
    return "", key


# --- the movie service's API stand-in ---
# Requests to API_HOST need the test credential: the token as
# "Authorization: Bearer ..." or the key as the query's "api_key". Without
# it they get the route "api-denied" (the service's 401 answer). The key is
# taken out of the request's key, so routes and the request log never hold
# it. A route "KEY #N" answers only the N-th request for KEY (counted from 1
# per run), so a test can have "429" come before the answer.
API_HOST = "api.tmdb.test"
API_TOKEN = "test-token-7f3a"
API_KEY = "test-key-19c2"
API_DENIED = "api-denied"


def api_request(handler, key):
    """The request's key without its api_key, and whether it may pass."""
    if key.split("/")[0] != API_HOST:
        return key, True
    parts = urllib.parse.urlsplit(handler.path)
    params = urllib.parse.parse_qsl(parts.query, keep_blank_values=True)
    keys = [value for name, value in params if name == "api_key"]
    rest = ["%s=%s" % (name, value) for name, value in params
            if name != "api_key"]
    key = API_HOST + urllib.parse.unquote(parts.path)
    if rest:
        key += "?" + "&".join(rest)
    auth = handler.headers.get("Authorization")
    allowed = (auth == "Bearer " + API_TOKEN if auth is not None
               else keys == [API_KEY])
    return key, allowed


def api_route(routes, key, allowed, counts, lock):
    if not allowed:
        return routes.get(API_DENIED)
    with lock:
        counts[key] = counts.get(key, 0) + 1
        nth = counts[key]
    return (routes.get("%s #%d" % (key, nth)) or routes.get(key) or
            routes.get("api-not-found"))


def make_handler(routes, log_path, header_log_path, log_lock):
    api_counts = {}

    class Handler(http.server.BaseHTTPRequestHandler):
        server_version = "LocalSite/1.0"

        def do_GET(self):
            key, api_allowed = api_request(self, request_key(self))
            if log_path:
                with log_lock, open(log_path, "a", encoding="utf-8") as log:
                    log.write(key + "\n")
            if header_log_path:
                with log_lock, open(header_log_path, "a",
                                    encoding="utf-8") as log:
                    for name, value in self.headers.items():
                        log.write("%s\t%s: %s\n" % (key, name, value))
            mode, key = split_mode(key)
            if key.split("/")[0] == API_HOST:
                route = api_route(routes, key, api_allowed, api_counts,
                                  log_lock)
            else:
                route = routes.get(key)
            mode = mode or (route.mode if route else "")
            if mode == "hang":
                self.hang()
                return
            if mode == "slow":
                time.sleep(SLOW_PAUSE)
            if mode == "flood":
                self.flood()
                return
            extra = []
            if route is None or (route.path and
                                 not os.path.isfile(route.path)):
                status, body = 404, b"<html><body>Not found</body></html>\n"
                content_type = "text/html"
            else:
                body = b""
                if route.fill is not None:
                    body = b"x" * route.fill
                elif route.path:
                    with open(route.path, "rb") as f:
                        body = f.read()
                status, extra = route.status, route.headers
                ext = os.path.splitext(route.path)[1]
                content_type = CONTENT_TYPES.get(ext, "application/octet-stream")
            self.send_response(status)
            self.send_header("Content-Type", content_type)
            for name, value in extra:
                self.send_header(name, value)
            length = len(body) * 2 + 1 if mode == "cut" else len(body)
            self.send_header("Content-Length", str(length))
            self.send_header("Connection", "close")
            self.end_headers()
            try:
                if mode == "cut":
                    self.wfile.write(body[:len(body) // 2])
                elif mode == "drip":
                    self.drip(body)
                else:
                    self.wfile.write(body)
            except OSError:
                pass  # the client gave up; nothing more to send
            self.close_connection = True

        def hang(self):
            """Keeps the connection open, saying nothing, until the client
            closes it."""
            self.close_connection = True
            self.wfile.flush()
            while True:
                readable, _, _ = select.select([self.connection], [], [], 1.0)
                if readable:
                    try:
                        if not self.connection.recv(4096):
                            return
                    except OSError:
                        return

        def flood(self):
            """Sends bytes without a length and without end, until the
            client goes."""
            self.close_connection = True
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Connection", "close")
            self.end_headers()
            try:
                while True:
                    self.wfile.write(FLOOD_CHUNK)
            except OSError:
                pass  # the client gave up, as it should

        def drip(self, body):
            self.wfile.flush()
            for i in range(len(body)):
                self.wfile.write(body[i:i + 1])
                self.wfile.flush()
                time.sleep(DRIP_PAUSE)

        def log_message(self, fmt, *args):
            pass  # the request log above is the only record kept

    return Handler


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", required=True)
    parser.add_argument("--port-file")
    parser.add_argument("--log")
    parser.add_argument("--header-log")
    args = parser.parse_args()

    routes = load_routes(args.root)
    server = http.server.ThreadingHTTPServer(
        ("127.0.0.1", 0), make_handler(routes, args.log, args.header_log,
                                     threading.Lock()))
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
