#!/usr/bin/env python3
"""Serves the web site (build-web/site) over HTTP as a host should:

- a file's precompressed .br or .gz beside it, when the browser accepts that encoding (Vary says so);
- the right Content-Type (application/wasm for the game, so the browser compiles it while it arrives);
- a strong ETag per file and encoding, answered with 304 Not Modified when the browser has it;
- Cache-Control: names that carry a content hash (NAME.0123456789abcdef.EXT) are kept for good
  (immutable), everything else (index.html, sw.js, the manifest) is revalidated on every visit.

  serve-web.py [--port N] [--bind ADDR] [--mount PREFIX=DIR]... [--log] SITE

--port 0 takes a free port. The first line on standard output is the address served. --mount serves DIR
under /PREFIX/ as well (the browser tests' key scripts). --log writes one line per answer to standard
error: method, path, status, encoding, bytes sent.
"""
import argparse
import email.utils
import hashlib
import http.server
import os
import re
import sys
import threading
import urllib.parse

HASHED = re.compile(r"\.[0-9a-f]{16}\.[A-Za-z0-9]+$")
TYPES = {
    ".html": "text/html; charset=utf-8",
    ".js": "text/javascript; charset=utf-8",
    ".mjs": "text/javascript; charset=utf-8",
    ".css": "text/css; charset=utf-8",
    ".json": "application/json",
    ".webmanifest": "application/manifest+json",
    ".wasm": "application/wasm",
    ".data": "application/octet-stream",
    ".svg": "image/svg+xml",
    ".png": "image/png",
    ".ico": "image/x-icon",
    ".txt": "text/plain; charset=utf-8",
    ".keys": "text/plain; charset=utf-8",
}
# Preferred first.
ENCODINGS = (("br", ".br"), ("gzip", ".gz"))


def accepted_encodings(header):
    """The content codings an Accept-Encoding header allows (q > 0), lower case."""
    accepted = set()
    for part in (header or "").split(","):
        fields = part.strip().split(";")
        coding = fields[0].strip().lower()
        if not coding:
            continue
        quality = 1.0
        for parameter in fields[1:]:
            key, _, value = parameter.strip().partition("=")
            if key.strip().lower() == "q":
                try:
                    quality = float(value)
                except ValueError:
                    quality = 0.0
        if quality > 0:
            accepted.add(coding)
    if "*" in accepted:
        accepted.update(coding for coding, _ in ENCODINGS)
    return accepted


def cache_control(name):
    return "public, max-age=31536000, immutable" if HASHED.search(name) else "no-cache"


class Etags:
    """Strong ETags from the content, computed once per file version (path, size, modification time)."""

    def __init__(self):
        self._known = {}
        self._lock = threading.Lock()

    def of(self, path, stat):
        key = (path, stat.st_size, stat.st_mtime_ns)
        with self._lock:
            tag = self._known.get(key)
        if tag is None:
            digest = hashlib.sha256()
            with open(path, "rb") as f:
                for block in iter(lambda: f.read(1 << 20), b""):
                    digest.update(block)
            tag = '"' + digest.hexdigest()[:32] + '"'
            with self._lock:
                self._known[key] = tag
        return tag


class SiteHandler(http.server.BaseHTTPRequestHandler):
    server_version = "varnholt-serve"
    protocol_version = "HTTP/1.1"

    def do_GET(self):
        self.answer_or_note_gone(send_body=True)

    def do_HEAD(self):
        self.answer_or_note_gone(send_body=False)

    def answer_or_note_gone(self, send_body):
        try:
            self.answer(send_body)
        except (BrokenPipeError, ConnectionResetError):
            # The browser went away (a closed tab, an aborted download): nothing more to send.
            self.close_connection = True
            self.note(0, None, 0)

    def log_message(self, format, *args):  # noqa: A002 (the base class's name)
        pass

    def note(self, status, encoding, sent):
        if self.server.log:
            line = f"{self.command} {self.path} {status} {encoding or 'identity'} {sent}\n"
            with self.server.log_lock:
                sys.stderr.write(line)
                sys.stderr.flush()

    def locate(self):
        """The file for the request's path, or None."""
        path = urllib.parse.unquote(urllib.parse.urlsplit(self.path).path)
        if "\0" in path or not path.startswith("/"):
            return None
        root = self.server.root
        for prefix, folder in self.server.mounts:
            if path.startswith(prefix):
                root, path = folder, path[len(prefix) - 1:]
                break
        if path.endswith("/"):
            path += "index.html"
        parts = [p for p in path.split("/") if p]
        if any(p in (".", "..") or p.startswith(".") for p in parts):
            return None
        full = os.path.join(root, *parts)
        return full if os.path.isfile(full) else None

    def answer(self, send_body):
        full = self.locate()
        if full is None:
            body = b"not found\n"
            self.send_response(404)
            self.send_header("Content-Type", "text/plain; charset=utf-8")
            self.send_header("Content-Length", str(len(body)))
            self.send_header("Cache-Control", "no-cache")
            self.end_headers()
            if send_body:
                self.wfile.write(body)
            self.note(404, None, len(body) if send_body else 0)
            return
        name = os.path.basename(full)
        accepted = accepted_encodings(self.headers.get("Accept-Encoding"))
        variants = [(coding, full + ext) for coding, ext in ENCODINGS if os.path.isfile(full + ext)]
        encoding, chosen = next(((c, p) for c, p in variants if c in accepted), (None, full))
        stat = os.stat(chosen)
        etag = self.server.etags.of(chosen, stat)
        headers = [
            ("Content-Type", TYPES.get(os.path.splitext(name)[1].lower(), "application/octet-stream")),
            ("Cache-Control", cache_control(name)),
            ("ETag", etag),
            ("Last-Modified", email.utils.formatdate(stat.st_mtime, usegmt=True)),
            ("X-Content-Type-Options", "nosniff"),
        ]
        if variants:
            headers.append(("Vary", "Accept-Encoding"))
        if encoding:
            headers.append(("Content-Encoding", encoding))
        if_none_match = self.headers.get("If-None-Match")
        if if_none_match and (if_none_match.strip() == "*" or etag in [t.strip() for t in if_none_match.split(",")]):
            self.send_response(304)
            for key, value in headers:
                if key not in ("Content-Type", "Content-Encoding"):
                    self.send_header(key, value)
            self.end_headers()
            self.note(304, encoding, 0)
            return
        self.send_response(200)
        for key, value in headers:
            self.send_header(key, value)
        self.send_header("Content-Length", str(stat.st_size))
        self.end_headers()
        sent = 0
        if send_body:
            with open(chosen, "rb") as f:
                for block in iter(lambda: f.read(1 << 16), b""):
                    self.wfile.write(block)
                    sent += len(block)
        self.note(200, encoding, sent)


class SiteServer(http.server.ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, address, root, mounts, log):
        super().__init__(address, SiteHandler)
        self.root = root
        self.mounts = mounts
        self.log = log
        self.log_lock = threading.Lock()
        self.etags = Etags()

    def handle_error(self, request, client_address):
        # A browser that drops a kept-alive connection between requests is no fault of the site.
        if isinstance(sys.exc_info()[1], (BrokenPipeError, ConnectionResetError)):
            return
        super().handle_error(request, client_address)


def parse_mount(text):
    prefix, equals, folder = text.partition("=")
    prefix = prefix.strip("/")
    if not equals or not prefix or "/" in prefix or not os.path.isdir(folder):
        raise argparse.ArgumentTypeError(f"--mount wants NAME=FOLDER with an existing folder, not {text!r}")
    return "/" + prefix + "/", os.path.abspath(folder)


def main():
    parser = argparse.ArgumentParser(description="Serves Varnholt's web site.")
    parser.add_argument("site", help="the site folder (build-web/site)")
    parser.add_argument("--port", type=int, default=8080)
    parser.add_argument("--bind", default="127.0.0.1")
    parser.add_argument("--mount", type=parse_mount, action="append", default=[])
    parser.add_argument("--log", action="store_true")
    args = parser.parse_args()
    if not os.path.isfile(os.path.join(args.site, "index.html")):
        parser.error(f"{args.site} holds no index.html: build the site first (scripts/web.sh --build-only)")
    server = SiteServer((args.bind, args.port), os.path.abspath(args.site), args.mount, args.log)
    host, port = server.server_address[:2]
    print(f"http://{host}:{port}/", flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
