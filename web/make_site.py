#!/usr/bin/env python3
"""Assembles the web site from the game (varnholt.js, varnholt.wasm, varnholt.data as Emscripten made
them), the page's files and the icon, as static files any web server can host:

  index.html, sw.js, manifest.webmanifest   fixed names: to be revalidated on every visit (no-cache)
  NAME.HASH.EXT                            everything else, named by its content: cached for good

HASH is the first 16 hex digits of the file's SHA-256, so a name never stands for two contents: a page
can load only the files its own index.html names, never a mix of two builds. index.html names them all
(the game's three in a JSON block with their sizes and full hashes, which the page checks); sw.js, the
service worker, keeps the same list for playing offline. Every file that compresses gets a .gz (and a
.br when the brotli program is installed) beside it, for servers that send precompressed files. The
icons are the SVG icon, a maskable variant on a full background, and PNG renderings of both when
rsvg-convert (librsvg2-bin) is installed.

The new site is written in a new folder beside OUT and then renamed into place.

  make_site.py --game DIR --page DIR --icon SVG --out DIR [--version TEXT]
"""
import argparse
import gzip
import hashlib
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

HASH_DIGITS = 16
THEME_COLOUR = "#3c5a2a"  # the icon's field
BACKGROUND_COLOUR = "#111111"  # the page's
# A file is kept compressed only when that saves at least this share of it.
COMPRESS_GAIN = 0.05
NOT_COMPRESSED = (".png", ".gz", ".br")
GAME_FILES = ("varnholt.js", "varnholt.wasm", "varnholt.data")
PAGE_FILES = ("page.js", "page.css")
PLACEHOLDER = re.compile(r"@([A-Za-z0-9_.-]+)@")


def sha256(data):
    return hashlib.sha256(data).hexdigest()


def hashed_name(name, data):
    """page.js -> page.0123456789abcdef.js"""
    stem, ext = os.path.splitext(name)
    return f"{stem}.{sha256(data)[:HASH_DIGITS]}{ext}"


def fill(template, values, what):
    """Replaces every @key@ of `template`; a key without a value is an error, not a silent gap."""

    def value(match):
        key = match.group(1)
        if key not in values:
            raise SystemExit(f"make_site: {what} names @{key}@, which the site does not have")
        return values[key]

    return PLACEHOLDER.sub(value, template)


def maskable_svg(svg):
    """The icon on a full-bleed square of its field colour, drawn inside the middle 75% (the safe zone of
    a maskable icon is the circle of 80%), for launchers that cut icons to their own shape."""
    inner = re.sub(r"<\?xml[^>]*>\s*", "", svg)
    inner = re.sub(r"<!--.*?-->\s*", "", inner, flags=re.S)
    inner = re.sub(r"<svg\b[^>]*>", "", inner, count=1)
    inner = inner[: inner.rindex("</svg>")]
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="512" height="512" viewBox="0 0 64 64">\n'
            f'  <rect width="64" height="64" fill="{THEME_COLOUR}"/>\n'
            '  <svg x="8" y="8" width="48" height="48" viewBox="0 0 64 64">' + inner + "</svg>\n</svg>\n")


def render_png(svg_bytes, size, work):
    """The SVG as a size x size PNG through rsvg-convert; None when it is not installed."""
    converter = shutil.which("rsvg-convert")
    if converter is None:
        return None
    source = os.path.join(work, "icon-source.svg")
    with open(source, "wb") as out:
        out.write(svg_bytes)
    return subprocess.run([converter, "-w", str(size), "-h", str(size), "-f", "png", source],
                          check=True, stdout=subprocess.PIPE).stdout


def compressed_versions(name, data):
    """{".gz": bytes, ".br": bytes} for the encodings that make `data` worth its while smaller."""
    if name.endswith(NOT_COMPRESSED):
        return {}
    versions = {".gz": gzip.compress(data, compresslevel=9, mtime=0)}
    brotli = shutil.which("brotli")
    if brotli:
        versions[".br"] = subprocess.run([brotli, "-q", "11", "-c"], input=data, check=True,
                                         stdout=subprocess.PIPE).stdout
    return {ext: packed for ext, packed in versions.items() if len(packed) <= len(data) * (1 - COMPRESS_GAIN)}


def read(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError as error:
        raise SystemExit(f"make_site: cannot read {path}: {error.strerror}")


def assemble(game_dir, page_dir, icon_path, version_text, work):
    """The site's files as {name: bytes}."""
    files = {}
    names = {}

    def add_hashed(name, data):
        names[name] = hashed_name(name, data)
        files[names[name]] = data

    game = {}
    for name in GAME_FILES:
        data = read(os.path.join(game_dir, name))
        add_hashed(name, data)
        game[name.split(".")[1]] = {"url": names[name], "size": len(data), "sha256": sha256(data)}
    for name in PAGE_FILES:
        add_hashed(name, read(os.path.join(page_dir, name)))

    svg = read(icon_path)
    add_hashed("icon.svg", svg)
    maskable = maskable_svg(svg.decode("utf-8")).encode("utf-8")
    add_hashed("icon-maskable.svg", maskable)
    icons = [{"src": names["icon.svg"], "sizes": "any", "type": "image/svg+xml", "purpose": "any"},
             {"src": names["icon-maskable.svg"], "sizes": "any", "type": "image/svg+xml", "purpose": "maskable"}]
    touch_icon = names["icon.svg"]
    for source, label, size, purpose in ((svg, "icon", 192, "any"), (svg, "icon", 512, "any"),
                                         (maskable, "icon-maskable", 512, "maskable")):
        png = render_png(source, size, work)
        if png is None:
            break
        add_hashed(f"{label}-{size}.png", png)
        icons.append({"src": names[f"{label}-{size}.png"], "sizes": f"{size}x{size}", "type": "image/png",
                      "purpose": purpose})
        if label == "icon" and size == 192:
            touch_icon = names["icon-192.png"]
    if "icon-192.png" not in names:
        print("make_site: rsvg-convert (librsvg2-bin) is not installed: the icons are SVG only", file=sys.stderr)

    # One version for the whole site: the cache of the service worker is named after it.
    version = sha256("\n".join(sorted(files)).encode("utf-8"))[:HASH_DIGITS]
    manifest = {
        "id": "./",
        "name": "Varnholt",
        "short_name": "Varnholt",
        "description": "A turn-based tactical role-playing game",
        "start_url": "./",
        "scope": "./",
        "display": "fullscreen",
        "display_override": ["fullscreen", "standalone"],
        "orientation": "any",
        "theme_color": THEME_COLOUR,
        "background_color": BACKGROUND_COLOUR,
        "icons": icons,
    }
    files["manifest.webmanifest"] = (json.dumps(manifest, indent=2) + "\n").encode("utf-8")

    values = dict(names)
    values.update({
        "version": version,
        "game-version": version_text,
        "theme-colour": THEME_COLOUR,
        "touch-icon": touch_icon,
        # Inside a <script type="application/json">: "</" must not end the element early.
        "files": json.dumps(game, sort_keys=True).replace("</", "<\\/"),
    })
    index = fill(read(os.path.join(page_dir, "index.html")).decode("utf-8"), values, "index.html")
    files["index.html"] = index.encode("utf-8")
    # What the service worker keeps: the page (as ./, how the site is opened) and everything it names.
    keep = ["./", "manifest.webmanifest"] + sorted(names.values())
    values["precache"] = json.dumps(keep, indent=2)
    files["sw.js"] = fill(read(os.path.join(page_dir, "sw.js")).decode("utf-8"), values, "sw.js").encode("utf-8")

    for name in list(files):
        for ext, packed in compressed_versions(name, files[name]).items():
            files[name + ext] = packed
    return files


def write_site(files, out):
    """Writes the files into a new folder beside `out`, then puts it in the place of the old one."""
    parent = os.path.dirname(os.path.abspath(out)) or "."
    os.makedirs(parent, exist_ok=True)
    fresh = tempfile.mkdtemp(prefix=".site-new-", dir=parent)
    for name, data in files.items():
        with open(os.path.join(fresh, name), "wb") as f:
            f.write(data)
        os.chmod(os.path.join(fresh, name), 0o644)
    os.chmod(fresh, 0o755)
    old = None
    if os.path.exists(out):
        old = tempfile.mkdtemp(prefix=".site-old-", dir=parent)
        os.rmdir(old)
        os.rename(out, old)
    os.rename(fresh, out)
    if old:
        shutil.rmtree(old, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description="Assembles Varnholt's web site.")
    parser.add_argument("--game", required=True, help="folder with varnholt.js, varnholt.wasm, varnholt.data")
    parser.add_argument("--page", required=True, help="folder with index.html, page.js, page.css, sw.js")
    parser.add_argument("--icon", required=True, help="the SVG icon")
    parser.add_argument("--out", required=True, help="the site folder to write")
    parser.add_argument("--version", default="", help="the game's version, shown by the page")
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as work:
        files = assemble(args.game, args.page, args.icon, args.version, work)
    write_site(files, args.out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
