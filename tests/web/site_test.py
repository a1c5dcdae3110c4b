#!/usr/bin/env python3
"""The web site's assembly (web/make_site.py) and its server (scripts/serve-web.py), without a browser:
hashed names that match their content and never mix two builds, the page and the service worker naming
exactly those, precompressed copies equal to the originals, and the server's encodings, types, ETags,
Cache-Control and refusals.

  site_test.py REPOSITORY
"""
import gzip
import hashlib
import http.client
import importlib.util
import json
import os
import re
import shutil
import sys
import tempfile
import threading
import unittest

ROOT = os.path.abspath(sys.argv.pop(1) if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", ".."))


def load(name, path):
    spec = importlib.util.spec_from_file_location(name, os.path.join(ROOT, path))
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


make_site = load("make_site", "web/make_site.py")
serve_web = load("serve_web", "scripts/serve-web.py")


def make_game(folder, js=b"var Module;\n", wasm=b"\0asm\1\0\0\0", data=b"pictures " * 1000):
    os.makedirs(folder, exist_ok=True)
    for name, content in (("varnholt.js", js), ("varnholt.wasm", wasm), ("varnholt.data", data)):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(content)


def build(game, out):
    with tempfile.TemporaryDirectory() as work:
        files = make_site.assemble(game, os.path.join(ROOT, "web/page"), os.path.join(ROOT, "dist/varnholt.svg"),
                                   "9.9", work)
    make_site.write_site(files, out)


def read(path):
    with open(path, "rb") as f:
        return f.read()


class SiteAssembly(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.mkdtemp()
        self.game = os.path.join(self.work, "game")
        self.site = os.path.join(self.work, "site")
        make_game(self.game)
        build(self.game, self.site)
        self.index = read(os.path.join(self.site, "index.html")).decode()
        self.files = json.loads(re.search(r'id="game-files">(.*?)</script>', self.index, re.S).group(1))

    def tearDown(self):
        shutil.rmtree(self.work)

    def test_names_carry_their_content_hash_and_the_page_names_only_them(self):
        names = sorted(os.listdir(self.site))
        self.assertNotIn("varnholt.wasm", names)
        for key, file in self.files.items():
            content = read(os.path.join(self.site, file["url"]))
            digest = hashlib.sha256(content).hexdigest()
            self.assertEqual(file["sha256"], digest, key)
            self.assertEqual(file["size"], len(content), key)
            self.assertEqual(file["url"], f"varnholt.{digest[:16]}.{key}")
        self.assertNotRegex(self.index, r"@[\w.-]+@", "a placeholder was left in index.html")
        for named in re.findall(r'(?:href|src)="([^"]+)"', self.index):
            self.assertTrue(os.path.isfile(os.path.join(self.site, named)), named)
            if named != "manifest.webmanifest":
                self.assertRegex(named, r"\.[0-9a-f]{16}\.[a-z]+$")

    def test_service_worker_keeps_this_version_and_its_files(self):
        worker = read(os.path.join(self.site, "sw.js")).decode()
        version = re.search(r'name="varnholt-version" content="([0-9a-f]{16})"', self.index).group(1)
        self.assertIn(f"const VERSION = '{version}';", worker)
        precache = json.loads(re.search(r"const PRECACHE = (\[.*?\]);", worker, re.S).group(1))
        hashed = sorted(n for n in os.listdir(self.site) if re.search(r"\.[0-9a-f]{16}\.[a-z]+$", n))
        self.assertEqual(sorted(precache), sorted(["./", "manifest.webmanifest"] + hashed))

    def test_manifest_is_installable(self):
        manifest = json.loads(read(os.path.join(self.site, "manifest.webmanifest")))
        self.assertEqual(manifest["display"], "fullscreen")
        self.assertRegex(manifest["theme_color"], r"^#[0-9a-f]{6}$")
        self.assertTrue(any(icon["purpose"] == "maskable" for icon in manifest["icons"]))
        for icon in manifest["icons"]:
            self.assertTrue(os.path.isfile(os.path.join(self.site, icon["src"])), icon["src"])
        if shutil.which("rsvg-convert"):
            sizes = {icon["sizes"] for icon in manifest["icons"] if icon["type"] == "image/png"}
            self.assertEqual(sizes, {"192x192", "512x512"})
            png = read(os.path.join(self.site, next(i["src"] for i in manifest["icons"] if i["sizes"] == "512x512")))
            self.assertEqual(png[:8], b"\x89PNG\r\n\x1a\n")
            self.assertEqual(int.from_bytes(png[16:20], "big"), 512)

    def test_precompressed_copies_are_the_originals(self):
        compressed = [n for n in os.listdir(self.site) if n.endswith(".gz")]
        self.assertIn(self.files["data"]["url"] + ".gz", compressed)
        for name in compressed:
            self.assertEqual(gzip.decompress(read(os.path.join(self.site, name))),
                             read(os.path.join(self.site, name[:-3])), name)
        self.assertFalse(any(n.endswith(".png.gz") for n in os.listdir(self.site)))

    def test_a_rebuild_renames_what_changed_and_leaves_nothing_of_the_old_site(self):
        before = set(os.listdir(self.site))
        make_game(self.game, wasm=b"\0asm\1\0\0\0\0\x08\x07rebuilt")
        build(self.game, self.site)
        after = set(os.listdir(self.site))
        index = read(os.path.join(self.site, "index.html")).decode()
        files = json.loads(re.search(r'id="game-files">(.*?)</script>', index, re.S).group(1))
        self.assertNotEqual(files["wasm"]["url"], self.files["wasm"]["url"])
        self.assertEqual(files["data"]["url"], self.files["data"]["url"])
        self.assertNotIn(self.files["wasm"]["url"], after, "the old build's program is gone")
        self.assertEqual(len(before - after), 1, "only the program's name changed among the game's files")
        self.assertFalse([n for n in os.listdir(self.work) if n.startswith(".site-")], "no half-written site is left")

    def test_a_placeholder_without_a_value_stops_the_build(self):
        with self.assertRaises(SystemExit):
            make_site.fill("<p>@nothing@</p>", {}, "index.html")


class Server(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp()
        cls.site = os.path.join(cls.work, "site")
        os.makedirs(cls.site)
        cls.extra = os.path.join(cls.work, "extra")
        os.makedirs(cls.extra)
        cls.body = b"(function(){})();\n" * 200
        cls.hashed = "varnholt.0123456789abcdef.js"
        with open(os.path.join(cls.site, cls.hashed), "wb") as f:
            f.write(cls.body)
        with open(os.path.join(cls.site, cls.hashed + ".gz"), "wb") as f:
            f.write(gzip.compress(cls.body, mtime=0))
        with open(os.path.join(cls.site, cls.hashed + ".br"), "wb") as f:
            f.write(b"pretend brotli")
        for name, content in (("index.html", b"<!DOCTYPE html>"), ("game.0123456789abcdef.wasm", b"\0asm"),
                              ("manifest.webmanifest", b"{}"), (".secret", b"no")):
            with open(os.path.join(cls.site, name), "wb") as f:
                f.write(content)
        with open(os.path.join(cls.extra, "win.keys"), "wb") as f:
            f.write(b"1 Enter\n")
        cls.server = serve_web.SiteServer(("127.0.0.1", 0), cls.site, [("/keys/", cls.extra)], False)
        cls.thread = threading.Thread(target=cls.server.serve_forever, daemon=True)
        cls.thread.start()

    @classmethod
    def tearDownClass(cls):
        cls.server.shutdown()
        cls.server.server_close()
        shutil.rmtree(cls.work)

    def get(self, path, method="GET", **headers):
        connection = http.client.HTTPConnection("127.0.0.1", self.server.server_address[1], timeout=10)
        connection.request(method, path, headers=headers)
        response = connection.getresponse()
        body = response.read()
        connection.close()
        return response, body

    def test_encodings_are_chosen_by_what_the_browser_accepts(self):
        response, body = self.get("/" + self.hashed, **{"Accept-Encoding": "gzip, deflate, br"})
        self.assertEqual(response.getheader("Content-Encoding"), "br")
        self.assertEqual(body, b"pretend brotli")
        response, body = self.get("/" + self.hashed, **{"Accept-Encoding": "gzip;q=1, br;q=0"})
        self.assertEqual(response.getheader("Content-Encoding"), "gzip")
        self.assertEqual(gzip.decompress(body), self.body)
        self.assertEqual(response.getheader("Vary"), "Accept-Encoding")
        response, body = self.get("/" + self.hashed)
        self.assertIsNone(response.getheader("Content-Encoding"))
        self.assertEqual(body, self.body)
        self.assertEqual(int(response.getheader("Content-Length")), len(self.body))

    def test_types_and_caching(self):
        response, _ = self.get("/game.0123456789abcdef.wasm")
        self.assertEqual(response.getheader("Content-Type"), "application/wasm")
        self.assertEqual(response.getheader("Cache-Control"), "public, max-age=31536000, immutable")
        response, _ = self.get("/")
        self.assertEqual(response.getheader("Content-Type"), "text/html; charset=utf-8")
        self.assertEqual(response.getheader("Cache-Control"), "no-cache")
        response, _ = self.get("/manifest.webmanifest")
        self.assertEqual(response.getheader("Content-Type"), "application/manifest+json")
        self.assertEqual(response.getheader("Cache-Control"), "no-cache")

    def test_etags_differ_by_encoding_and_answer_304(self):
        plain, _ = self.get("/" + self.hashed)
        packed, _ = self.get("/" + self.hashed, **{"Accept-Encoding": "gzip"})
        self.assertNotEqual(plain.getheader("ETag"), packed.getheader("ETag"))
        again, body = self.get("/" + self.hashed, **{"Accept-Encoding": "gzip", "If-None-Match": packed.getheader("ETag")})
        self.assertEqual(again.status, 304)
        self.assertEqual(body, b"")
        other, _ = self.get("/" + self.hashed, **{"If-None-Match": packed.getheader("ETag")})
        self.assertEqual(other.status, 200, "the gzip copy's tag does not stand for the plain file")

    def test_refusals_and_mounts(self):
        for path in ("/missing.js", "/../site/index.html", "/%2e%2e/site/index.html", "/.secret", "/keys/../index.html"):
            response, _ = self.get(path)
            self.assertEqual(response.status, 404, path)
        response, body = self.get("/keys/win.keys")
        self.assertEqual((response.status, body), (200, b"1 Enter\n"))
        response, body = self.get("/" + self.hashed, method="HEAD")
        self.assertEqual((response.status, body), (200, b""))
        self.assertEqual(int(response.getheader("Content-Length")), len(self.body))

    def test_accept_encoding_header(self):
        self.assertEqual(serve_web.accepted_encodings("gzip, br;q=0.5, identity;q=0"), {"gzip", "br", "identity"} - {"identity"})
        self.assertEqual(serve_web.accepted_encodings("*"), {"*", "gzip", "br"})
        self.assertEqual(serve_web.accepted_encodings("gzip;q=oops"), set())
        self.assertEqual(serve_web.accepted_encodings(None), set())


if __name__ == "__main__":
    unittest.main()
