// Browser tests of the web build in Debian's chromium (headless), driven by playwright-core, against the
// built site served on localhost by scripts/serve-web.py (as a host would serve it: precompressed files,
// ETags, Cache-Control). Compares with the native headless runner.
//
//   node web_test.mjs --site DIR --game DIR --source DIR --replay BIN --campaign DIR --keys DIR
//                     [--measure [--native-bench BIN]]
//
// --site: build-web/site; --game: build-web/game (what Emscripten made, for a second build of the site);
// --source: the repository (scripts/serve-web.py, web/make_site.py, web/page/, dist/varnholt.svg);
// --replay: the native varnholt-replay; --campaign: the native build's default campaign; --keys: the
// folder with win.keys and lose.keys. --measure also prints the first visit's download and its time to
// the title on a throttled network, the idle processor use of the title and of a battle, and a battle
// frame's work in the page beside the native one (--native-bench: build/bin/app_bench).
import { execFileSync, spawn } from 'node:child_process';
import crypto from 'node:crypto';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { chromium } from 'playwright-core';

const args = {};
for (let i = 2; i < process.argv.length; ++i) {
  const name = process.argv[i].replace(/^--/, '');
  if (name === 'measure') args.measure = true;
  else args[name] = process.argv[++i];
}
for (const needed of ['site', 'game', 'source', 'replay', 'campaign', 'keys']) {
  if (!args[needed]) {
    console.error('usage: node web_test.mjs --site DIR --game DIR --source DIR --replay BIN --campaign DIR ' +
      '--keys DIR [--measure [--native-bench BIN]]');
    process.exit(2);
  }
}

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'varnholt-web-'));
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

let failures = 0;
function check(condition, what) {
  if (condition) {
    console.log(`ok   ${what}`);
  } else {
    console.log(`FAIL ${what}`);
    ++failures;
  }
}

// ---- The server: scripts/serve-web.py, its answers logged --------------------------------------

// Serves `site` (key scripts under /keys/, scripts the tests write under /scratch/) on `port` (0: any).
// Each answer is logged as { method, path, status, encoding, bytes }.
async function startServer(site, port = 0) {
  const child = spawn('python3', [path.join(args.source, 'scripts/serve-web.py'), '--port', String(port), '--log',
    '--mount', `keys=${args.keys}`, '--mount', `scratch=${work}`, site], { stdio: ['ignore', 'pipe', 'pipe'] });
  const server = { child, log: [], base: null };
  let pending = '';
  child.stderr.on('data', (chunk) => {
    pending += chunk;
    const lines = pending.split('\n');
    pending = lines.pop();
    for (const line of lines) {
      const answer = line.match(/^([A-Z]+) (\S+) (\d+) (\S+) (\d+)$/);
      if (answer) {
        server.log.push({ method: answer[1], path: answer[2], status: Number(answer[3]), encoding: answer[4],
          bytes: Number(answer[5]) });
      } else {
        console.error(line);
      }
    }
  });
  server.base = await new Promise((resolve, reject) => {
    child.stdout.once('data', (data) => resolve(String(data).trim()));
    child.once('exit', (code) => reject(new Error(`serve-web.py exited with ${code}`)));
  });
  server.port = Number(new URL(server.base).port);
  return server;
}
async function stopServer(server) {
  if (server.child.exitCode !== null) return;
  const exited = new Promise((resolve) => server.child.once('exit', resolve));
  server.child.kill('SIGTERM');
  await exited;
}

// ---- The native runner --------------------------------------------------------------------------

// The native runner on the same campaign: its state JSON, frame hashes, summary line and exit code.
function nativeReplay(keysFile, extra = []) {
  const state = path.join(work, 'state.json');
  const hashes = path.join(work, 'hashes.txt');
  let summary;
  let exitCode = 0;
  try {
    summary = execFileSync(args.replay, ['--data', args.campaign, '--keys', keysFile, '--state', state,
      '--hashes', hashes, ...extra], { stdio: ['ignore', 'pipe', 'pipe'] });
  } catch (error) {
    // A stuck replay exits 3 with its outputs written; anything else is a failure of the runner.
    if (error.status !== 3) throw error;
    summary = error.stdout;
    exitCode = error.status;
  }
  return { json: fs.readFileSync(state, 'utf8'), hashes: fs.readFileSync(hashes, 'utf8'),
    summary: String(summary).trim(), exitCode };
}

// An 8-bit bottom-up BMP as RGBA bytes.
function bmpToRgba(file) {
  const b = fs.readFileSync(file);
  const offset = b.readUInt32LE(10);
  const width = b.readInt32LE(18);
  const height = b.readInt32LE(22);
  const stride = (width + 3) & ~3;
  const rgba = Buffer.alloc(width * height * 4);
  for (let y = 0; y < height; ++y) {
    const row = offset + (height - 1 - y) * stride;
    for (let x = 0; x < width; ++x) {
      const entry = 54 + b[row + x] * 4;
      const at = (y * width + x) * 4;
      rgba[at] = b[entry + 2];
      rgba[at + 1] = b[entry + 1];
      rgba[at + 2] = b[entry];
      rgba[at + 3] = 255;
    }
  }
  return { width, height, rgba };
}

// The site's index.html: the game's files it names.
function siteFiles(site) {
  const index = fs.readFileSync(path.join(site, 'index.html'), 'utf8');
  const files = JSON.parse(index.match(/<script type="application\/json" id="game-files">(.*?)<\/script>/s)[1]);
  const version = index.match(/name="varnholt-version" content="([0-9a-f]+)"/)[1];
  const named = [...index.matchAll(/(?:href|src)="([^"]+)"/g)].map((m) => m[1]);
  return { files, version, named, index };
}

// ---- Chromium -------------------------------------------------------------------------------------

const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  // playwright starts the browser with a fresh --user-data-dir of its own and removes it afterwards.
});
const uncaught = [];
const DESKTOP = { viewport: { width: 1000, height: 800 } };
const PHONE = { viewport: { width: 390, height: 844 }, deviceScaleFactor: 3, isMobile: true, hasTouch: true };

async function openPage(server, query = '', options = DESKTOP, context = null) {
  context = context || await browser.newContext(options);
  const page = await context.newPage();
  page.on('pageerror', (error) => uncaught.push(`${query}: ${error.message}`));
  page.on('console', (message) => {
    if (message.type() === 'error' && /uncaught/i.test(message.text())) uncaught.push(`${query}: ${message.text()}`);
  });
  await page.goto(server.base + 'index.html' + query);
  return { page, context };
}

const waitFor = (page, predicate, arg, timeout) => page.waitForFunction(predicate, arg, { timeout, polling: 50 });
const titleShown = (page, timeout = 15000) =>
  waitFor(page, () => window.varnholt && window.varnholt.framesShown() > 0, null, timeout).then(() => true, () => false);
const live = (page) => page.evaluate(() => window.varnholt.live());
const overlayText = (page) => page.evaluate(() => !document.getElementById('overlay').hidden &&
  document.getElementById('overlay-text').textContent);

// The processes of our chromium: the browser this script started and all its descendants (other
// browsers on the machine are not counted).
function chromiumProcesses() {
  const processes = [];
  for (const entry of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    try {
      const stat = fs.readFileSync(`/proc/${entry}/stat`, 'utf8');
      const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
      processes.push({ pid: Number(entry), ppid: Number(fields[1]), name: stat.slice(stat.indexOf('(') + 1, stat.lastIndexOf(')')) });
    } catch {
      // The process ended meanwhile.
    }
  }
  const ours = new Set(processes.filter((p) => p.ppid === process.pid && /chrom/i.test(p.name)).map((p) => p.pid));
  for (let grown = true; grown;) {
    grown = false;
    for (const p of processes) {
      if (!ours.has(p.pid) && ours.has(p.ppid)) {
        ours.add(p.pid);
        grown = true;
      }
    }
  }
  return [...ours];
}
// The processor time (in nanoseconds) of all our chromium's threads so far, from /proc's schedstat.
function chromiumNanoseconds() {
  let total = 0;
  for (const pid of chromiumProcesses()) {
    try {
      for (const task of fs.readdirSync(`/proc/${pid}/task`)) {
        total += Number(fs.readFileSync(`/proc/${pid}/task/${task}/schedstat`, 'utf8').split(' ')[0]);
      }
    } catch {
      // The process or thread ended meanwhile.
    }
  }
  return total;
}
// The share of a core our chromium uses over `seconds` once the screen has settled: the browser first
// compiles the code a new screen runs into its faster tier, in the background, for a few seconds.
async function idleShare(page, seconds) {
  await page.waitForTimeout(4000);
  const before = chromiumNanoseconds();
  await page.waitForTimeout(seconds * 1000);
  return (100 * (chromiumNanoseconds() - before)) / (seconds * 1e9);
}

// The frame's pixels, and whether the canvas on the page shows each of them enlarged.
async function shownPixels(page) {
  return page.evaluate(() => {
    const frame = atob(window.varnholt.framePixels());
    const canvas = document.getElementById('canvas');
    const k = canvas.width / 800;
    const shown = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    let differing = 0;
    for (let y = 0; y < 600; ++y) {
      for (let x = 0; x < 800; ++x) {
        const at = (y * 800 + x) * 4;
        const big = ((y * k + k - 1) * canvas.width + x * k) * 4;
        for (let c = 0; c < 3; ++c) if (shown[big + c] !== frame.charCodeAt(at + c)) { ++differing; break; }
      }
    }
    return { frame: btoa(frame), enlargedDiffering: differing, k };
  });
}

// The picture keeps 4:3 and fills what it may: the full width (portrait) or the full height (landscape).
async function checkPlacement(page, label, fills) {
  const p = await page.evaluate(() => window.varnholt.placement());
  const viewport = page.viewportSize();
  const ratio = p.width / p.height;
  check(Math.abs(ratio - 4 / 3) < 0.01 && p.left >= -0.5 && p.top >= -0.5 && p.left + p.width <= viewport.width + 0.5 &&
    p.top + p.height <= viewport.height + 0.5,
    `${label}: the picture keeps 4:3 inside the page (${p.width.toFixed(1)} x ${p.height.toFixed(1)} at ${p.left.toFixed(1)}, ${p.top.toFixed(1)})`);
  const full = { width: p.width >= viewport.width - 1, height: p.height >= viewport.height - 1,
    'width or height': p.width >= p.boxWidth - 1 || p.height >= p.boxHeight - 1 }[fills];
  check(full, `${label}: the picture takes the full ${fills} of ${fills === 'width or height' ? `its ${p.boxWidth} x ${p.boxHeight} place` : `the ${viewport.width} x ${viewport.height} page`}`);
  return p;
}

const server = await startServer(args.site);
const measures = [];
try {
  // ---- The site as built: hashed names, compressed copies, the server's headers ---------------
  const built = siteFiles(args.site);
  {
    const listed = fs.readdirSync(args.site);
    const hashedOk = Object.values(built.files).every((file) => {
      const bytes = fs.readFileSync(path.join(args.site, file.url));
      const sha = crypto.createHash('sha256').update(bytes).digest('hex');
      return sha === file.sha256 && file.url.includes('.' + sha.slice(0, 16) + '.') && bytes.length === file.size;
    });
    check(hashedOk && !listed.some((name) => /^varnholt\.(js|wasm|data)$/.test(name)),
      `the game's files carry their content's hash in their names (${Object.values(built.files).map((f) => f.url).join(', ')})`);
    const plain = built.named.filter((name) => !/\.[0-9a-f]{16}\.[a-z]+$/.test(name));
    check(plain.length === 1 && plain[0] === 'manifest.webmanifest',
      `index.html names only hashed files besides the manifest (${plain.join(', ')})`);
    const wasm = await fetch(server.base + built.files.wasm.url, { headers: { 'Accept-Encoding': 'gzip' } });
    const wasmBytes = Buffer.from(await wasm.arrayBuffer());
    check(wasm.headers.get('content-type') === 'application/wasm' && wasm.headers.get('content-encoding') === 'gzip' &&
      /immutable/.test(wasm.headers.get('cache-control')) && wasmBytes.length === built.files.wasm.size,
      `the server sends the game's program gzipped as application/wasm, immutable (${wasm.headers.get('content-type')}, ` +
      `${wasm.headers.get('content-encoding')}, ${wasm.headers.get('cache-control')})`);
    const index = await fetch(server.base, { headers: { 'Accept-Encoding': 'gzip' } });
    const again = await fetch(server.base, { headers: { 'Accept-Encoding': 'gzip', 'If-None-Match': index.headers.get('etag') } });
    check(index.headers.get('cache-control') === 'no-cache' && again.status === 304,
      `index.html is revalidated: no-cache, and 304 for the ETag the browser has (${again.status})`);
  }

  // ---- The title on a desktop: the native frame, the keyboard, offline, a rebuild --------------
  {
    const empty = path.join(work, 'empty.keys');
    fs.writeFileSync(empty, '# nothing pressed\n');
    const dump = path.join(work, 'title.bmp');
    nativeReplay(empty, ['--frames', '1', '--dump', `1:${dump}`]);
    const requestsBefore = server.log.length;
    const { page, context } = await openPage(server);
    check(await titleShown(page, 10000), 'the title screen appears within 10 s of loading');
    const expected = bmpToRgba(dump);
    const shown = await shownPixels(page);
    const actual = Buffer.from(shown.frame, 'base64');
    let differing = 0;
    for (let i = 0; i < expected.rgba.length; i += 4) {
      if (expected.rgba.readUInt32LE(i) !== actual.readUInt32LE(i)) ++differing;
    }
    check(actual.length === expected.rgba.length && differing === 0,
      `the title frame matches the native frame 1 pixel for pixel (${differing} pixels differ)`);
    check(shown.enlargedDiffering === 0 && shown.k >= 1,
      `the canvas holds that frame enlarged ${shown.k} times, every pixel (${shown.enlargedDiffering} differ)`);
    await checkPlacement(page, 'desktop 1000 x 800', 'width or height');

    // What a first visit asks for: only names that carry a hash, besides the page, the manifest and the
    // service worker.
    await page.evaluate(() => window.varnholt.offlineReady());
    const asked = server.log.slice(requestsBefore).map((entry) => entry.path.replace(/\?.*/, ''));
    const unhashed = [...new Set(asked.filter((p) => !/\.[0-9a-f]{16}\.[a-z]+$/.test(p)))];
    check(unhashed.every((p) => ['/index.html', '/', '/sw.js', '/manifest.webmanifest'].includes(p)),
      `a visit asks only for hashed names besides the page, its manifest and service worker (${unhashed.join(', ')})`);

    if (args.measure) measures.push(`idle on the title: ${(await idleShare(page, 5)).toFixed(2)} % of a core (chromium, all processes, 5 s after 4 s on it)`);

    // The keyboard: Escape on the title asks "Quit Varnholt?" (Escape again keeps playing), Enter on its
    // Quit ends the game, Enter then plays again, and Enter on the title starts the splash.
    const screens = await page.evaluate(() => window.varnholt.screens);
    const press = async (key) => {
      await page.keyboard.down(key);
      await page.waitForTimeout(120);
      await page.keyboard.up(key);
      await page.waitForTimeout(250);
    };
    const framePixels = () => page.evaluate(() => window.varnholt.framePixels());
    const titlePixels = await framePixels();
    await press('Escape');
    const asking = await framePixels();
    check(await page.evaluate(() => window.varnholt.status()) === 'playing' && asking !== titlePixels,
      'Escape asks before the game ends: a question over the picture');
    await press('Escape');
    check(await page.evaluate(() => window.varnholt.status()) === 'playing' && await framePixels() === titlePixels,
      'Escape again keeps playing, the picture as it was');
    await press('Escape');
    await press('Enter');
    await waitFor(page, () => window.varnholt.status() === 'ended', null, 5000).catch(() => {});
    const ended = await overlayText(page);
    check(ended && /ended/.test(ended) && !(await page.isHidden('#again')),
      `Escape, then Enter on Quit, ends the game and the page says so ("${ended}")`);
    await press('Enter');
    await waitFor(page, () => window.varnholt.status() === 'playing' && window.varnholt.live() !== null, null, 5000).catch(() => {});
    check((await page.evaluate(() => window.varnholt.status())) === 'playing' && await page.isHidden('#overlay'),
      'Enter after the end plays again');
    await page.waitForTimeout(300);
    await press('Enter');
    await waitFor(page, (splash) => window.varnholt.live().screenState === splash, screens.splash, 3000).catch(() => {});
    check((await live(page)).screenState === screens.splash, 'Enter on the title starts the splash sequence');

    // Offline: the server is gone, a reload still reaches the title from what the service worker kept.
    const ready = await page.evaluate(() => window.varnholt.offlineReady());
    await stopServer(server);
    await page.reload().catch(() => {});
    check(ready === true && await titleShown(page), 'with the server gone, a reload reaches the title from the kept site');

    // A rebuild: another varnholt.js and varnholt.wasm (a comment, a custom section), the site made
    // again and served in the old one's place. The reload loads the new version and no file of the old.
    const game2 = path.join(work, 'game2');
    fs.cpSync(args.game, game2, { recursive: true });
    fs.appendFileSync(path.join(game2, 'varnholt.js'), '\n// rebuilt\n');
    const name = Buffer.from('rebuilt');
    fs.appendFileSync(path.join(game2, 'varnholt.wasm'), Buffer.concat([Buffer.from([0, name.length + 1, name.length]), name]));
    const site2 = path.join(work, 'site2');
    execFileSync('python3', [path.join(args.source, 'web/make_site.py'), '--game', game2, '--page',
      path.join(args.source, 'web/page'), '--icon', path.join(args.source, 'dist/varnholt.svg'), '--out', site2]);
    const rebuilt = siteFiles(site2);
    const second = await startServer(site2, server.port);
    const from = second.log.length;
    await page.reload().catch(() => {});
    const shownAgain = await titleShown(page);
    const version = await page.evaluate(() => window.varnholt.version());
    const oldNames = Object.values(built.files).map((f) => '/' + f.url);
    const loaded = second.log.slice(from).map((entry) => entry.path);
    const newGame = ['js', 'wasm'].every((key) => rebuilt.files[key].url !== built.files[key].url);
    check(shownAgain && newGame && version === rebuilt.version && !loaded.some((p) => oldNames.includes(p)) &&
      ['js', 'wasm'].every((key) => loaded.includes('/' + rebuilt.files[key].url)),
      `after a rebuild the reload plays the new version, none of the old files (${version}, asked: ${loaded.filter((p) => /varnholt/.test(p)).join(', ')})`);
    await context.close();
    await stopServer(second);
    Object.assign(server, await startServer(args.site, server.port));
  }

  // ---- ?classic: the game as it was defined, Escape ends it at once --------------------------------
  {
    const { page, context } = await openPage(server, '?classic');
    check(await titleShown(page), 'classic: the title screen appears');
    await page.keyboard.down('Escape');
    await page.waitForTimeout(120);
    await page.keyboard.up('Escape');
    await waitFor(page, () => window.varnholt.status() === 'ended', null, 5000).catch(() => {});
    check(/ended/.test(await overlayText(page) || ''), 'classic: Escape ends the game without asking');
    await context.close();
  }

  // ---- A phone: the picture in portrait and lying down, the touch keys play ---------------------
  {
    const { page, context } = await openPage(server, '', PHONE);
    check(await titleShown(page), 'the title screen appears on a phone');
    await checkPlacement(page, 'phone portrait 390 x 844', 'width');
    check(await page.isVisible('#key-enter') && await page.isHidden('#buttons') && await page.isVisible('#menu-button'),
      'phone portrait: the touch keys below the picture, the buttons folded into the menu');
    const padBox = await page.locator('#key-enter').boundingBox();
    check(padBox && padBox.height >= 44 && padBox.width >= 44, `phone portrait: Enter is large enough for a thumb (${padBox && padBox.width.toFixed(0)} x ${padBox && padBox.height.toFixed(0)})`);

    await page.setViewportSize({ width: 844, height: 390 });
    await page.waitForTimeout(300);
    await checkPlacement(page, 'phone landscape 844 x 390', 'height');
    check(await page.isHidden('#buttons') && await page.isVisible('#menu-button') && await page.isVisible('#key-enter'),
      'phone landscape: the buttons folded into the menu, the touch keys beside the picture');
    await page.tap('#menu-button');
    check(await page.isVisible('#pick'), 'phone landscape: the menu opens with the buttons');
    await page.tap('#menu-button');
    await page.setViewportSize({ width: 390, height: 844 });
    await page.waitForTimeout(300);

    // The touch keys reach the game as its keys: Enter on the title, the splash, the party choice with
    // Enter and Right, the battle, Quit.
    const screens = await page.evaluate(() => window.varnholt.screens);
    const tap = async (id) => {
      await page.tap(id);
      await page.waitForTimeout(250);
    };
    await tap('#key-enter');
    check((await live(page)).screenState === screens.splash, "the touch keys' Enter on the title starts the splash sequence");
    await waitFor(page, (selection) => window.varnholt.live().screenState === selection, screens.selection, 45000);
    check(true, 'the splash sequence ends on the party selection');
    // A tap a busy machine let slip by is made up for by the next round.
    for (let round = 0; round < 16 && (await live(page)).screenState === screens.selection; ++round) {
      await tap('#key-enter');
      if ((await live(page)).screenState !== screens.selection) break;
      await tap('#key-right');
    }
    await waitFor(page, (battle) => window.varnholt.live().screenState === battle, screens.battle, 5000).catch(() => {});
    const battle = await live(page);
    check(battle.screenState === screens.battle && battle.partyCount === 5,
      `five picks with the touch keys' Enter and Right lead to the battle screen (${JSON.stringify(battle)})`);
    // Idle, the frames run in bursts ahead of the clock and sleep between: on the whole the game keeps
    // its pace (a battle frame waits 10 ms on its clock) and its clock keeps to the real one.
    {
      const before = await live(page);
      const started = Date.now();
      await page.waitForTimeout(3000);
      const after = await live(page);
      const real = Date.now() - started;
      const gameMs = after.ticks - before.ticks;
      const frames = after.frames - before.frames;
      check(Math.abs(gameMs - real) < 400 && Math.abs(frames - gameMs / 10) <= gameMs / 100,
        `an idle battle keeps the game's pace: ${frames} frames in ${gameMs} ms of the game's clock, ${real} ms of real time`);
    }
    if (args.measure) {
      measures.push(`idle in a battle: ${(await idleShare(page, 5)).toFixed(2)} % of a core (chromium, all processes, 5 s after 4 s on it)`);
      const microseconds = 1000 * await page.evaluate((s) => window.varnholt.frameWork(s), screens.battle);
      measures.push(`live battle frame work in the page: ${microseconds.toFixed(0)} µs (the average of all its frames so far on the page's clock, drawing included)`);
    }
    // Quit asks first ("Quit Varnholt?", Quit highlighted); Enter answers it.
    await tap('#key-quit');
    check(await page.evaluate(() => window.varnholt.status()) === 'playing', "the touch keys' Quit asks before the game ends");
    await tap('#key-enter');
    await waitFor(page, () => window.varnholt.status() === 'ended', null, 5000).catch(() => {});
    check(/ended/.test(await overlayText(page) || ''), "the touch keys' Quit, answered with Enter, ends the game");
    await context.close();
  }

  // ---- A phone played by taps on the picture alone ----------------------------------------------
  // Title, the splash (a tap ends each of its holds), five portraits, then in the battle: Move, a long
  // press that takes it back, Move again and a cell, Attack and a cell. The live game's state answers
  // throughout. A reload then offers to continue at the party choice, kept in the browser's storage.
  {
    const { page, context } = await openPage(server, '', PHONE);
    check(await titleShown(page), 'taps: the title screen appears');
    const screens = await page.evaluate(() => window.varnholt.screens);
    const game = () => page.evaluate(() => window.varnholt.state());
    // Frame pixels to the page's CSS pixels through the picture's placement.
    const at = async (x, y) => {
      const p = await page.evaluate(() => window.varnholt.placement());
      return { x: p.left + ((x + 0.5) * p.width) / 800, y: p.top + ((y + 0.5) * p.height) / 600 };
    };
    const tapFrame = async (x, y) => {
      const point = await at(x, y);
      await page.touchscreen.tap(point.x, point.y);
    };
    const cdp = await context.newCDPSession(page);
    const longPress = async (x, y) => {
      const point = await at(x, y);
      await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [{ x: point.x, y: point.y }] });
      await page.waitForTimeout(800);
      await cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
    };
    // Taps at (x, y) until `done(state)` holds, at most `tries` times, `gap` ms apart.
    const tapUntil = async (x, y, done, tries = 8, gap = 400) => {
      for (let i = 0; i < tries; ++i) {
        let now = await game();
        if (now && done(now)) return now;
        await tapFrame(x, y);
        const until = Date.now() + gap;
        while (Date.now() < until) {
          await page.waitForTimeout(50);
          now = await game();
          if (now && done(now)) return now;
        }
      }
      return await game();
    };
    const center = (column, row) => [38 * (column - 1) + 15 + 19, 38 * (row - 1) + 105 + 19];
    const onGrid = ([column, row]) => column >= 1 && column <= 10 && row >= 1 && row <= 10;

    let now = await game();
    check(now && now.screenState === screens.title && now.exit === 'running',
      `taps: window.varnholt.state() answers in live play (${now && now.screenState}, ${now && now.exit})`);
    now = await tapUntil(240, 118, (s) => s.screenState !== screens.title);
    check(now.screenState === screens.splash, `taps: a tap on Begin starts the splash sequence (${now.screenState})`);
    const splashStart = Date.now();
    now = await tapUntil(400, 300, (s) => s.screenState === screens.selection, 60, 500);
    check(now.screenState === screens.selection,
      `taps: a tap ends each hold of the splash sequence; the party choice in ${((Date.now() - splashStart) / 1000).toFixed(1)} s`);
    for (const portrait of [5, 7, 6, 4, 0]) {
      const before = (await game()).partyCount;
      now = await tapUntil(75 + 50 * portrait, 130, (s) => s.partyCount > before || s.screenState !== screens.selection);
    }
    await waitFor(page, (battle) => window.varnholt.live().screenState === battle, screens.battle, 5000).catch(() => {});
    now = await game();
    check(now.screenState === screens.battle && now.partyCount === 5,
      `taps: five portraits lead to the battle with five members (${now.screenState}, ${now.partyCount})`);

    // The battle waits for a player's command on the command bar.
    const movePicked = (s) => s.cursorMode === 1 && s.battleCommand === 1;
    now = await tapUntil(128, 528, movePicked, 30, 500);
    check(movePicked(now), `taps: a tap on Move puts the cursor on the grid (${now.cursorMode}, ${now.battleCommand})`);
    await longPress(200, 300);
    await waitFor(page, () => window.varnholt.state().cursorMode === 2, null, 3000).catch(() => {});
    now = await game();
    check(now.cursorMode === 2, `taps: a long press is Backspace: the cursor is back on the command bar (${now.cursorMode})`);
    now = await tapUntil(128, 528, movePicked);
    const cells = now.moveCells.filter(onGrid).filter(([c, r]) => c !== now.acting.column || r !== now.acting.row);
    const far = cells.sort((a, b) => (Math.abs(b[0] - now.gridColumn) + Math.abs(b[1] - now.gridRow)) -
      (Math.abs(a[0] - now.gridColumn) + Math.abs(a[1] - now.gridRow)))[0];
    check(Boolean(far), `taps: the move offers cells on the grid (${now.moveCells.length})`);
    if (far) {
      const id = now.acting.id;
      now = await tapUntil(...center(...far), (s) => s.unitWalking === 1 || s.acting.column === far[0] && s.acting.row === far[1], 3);
      await waitFor(page, () => window.varnholt.state().unitWalking === 0, null, 10000).catch(() => {});
      now = await game();
      check(now.acting.id === id && now.acting.column === far[0] && now.acting.row === far[1],
        `taps: a tap on a cell moves there (${now.acting.column},${now.acting.row} for ${far})`);
      const attackPicked = (s) => s.cursorMode === 1 && s.battleCommand === 2;
      now = await tapUntil(28, 528, attackPicked, 10, 500);
      check(attackPicked(now), `taps: a tap on Attack puts the cursor on the grid (${now.cursorMode}, ${now.battleCommand})`);
      const foes = new Set(now.units.filter((u) => u.side !== now.acting.side && u.hp > 0).map((u) => `${u.column},${u.row}`));
      const targets = now.targetCells.filter(onGrid);
      const target = targets.find(([c, r]) => foes.has(`${c},${r}`)) || targets[0];
      if (target) {
        const draws = now.randomDraws;
        now = await tapUntil(...center(...target), (s) => !attackPicked(s) || s.randomDraws !== draws, 3);
        check(!attackPicked(now), `taps: a tap on a cell in reach attacks it (${target}, state ${now.battleState}, ${now.randomDraws - draws} draws)`);
      } else {
        check(false, 'taps: the attack offers cells on the grid');
      }
    }
    await checkPlacement(page, 'taps: phone portrait', 'width');

    // Quit with the touch keys; the session's recording replays natively to the state it ended in.
    await page.tap('#key-quit');
    await page.waitForTimeout(300);
    await page.tap('#key-enter');
    await waitFor(page, () => window.varnholt.status() === 'ended', null, 5000).catch(() => {});
    const keys = await page.evaluate(() => window.varnholt.sessionKeys());
    const ended = await page.evaluate(() => window.varnholt.lastState());
    fs.writeFileSync(path.join(work, 'taps.keys'), keys);
    const native = nativeReplay(path.join(work, 'taps.keys'));
    check(ended && ended.exit === 'quit' && JSON.stringify(JSON.parse(native.json)) === JSON.stringify(ended),
      `taps: the session's keys replay natively to the state it ended in (${native.summary}; ${keys.split('\n').length} lines)`);

    // The party choice of battle 1 was kept; a reload offers to continue there ("Continue at battle 1"
    // highlighted), and Enter goes straight back to it, without the splash.
    const storage = await page.evaluate(async () => (indexedDB.databases ? (await indexedDB.databases()).map((d) => d.name) : []));
    check(storage.includes('/state'), `taps: the checkpoint is kept in the browser's IndexedDB (${storage.join(', ')})`);
    await page.reload();
    check(await titleShown(page), 'taps: the reload shows the game again');
    await page.waitForTimeout(1000);
    await page.tap('#key-enter');
    await waitFor(page, (selection) => window.varnholt.live() && window.varnholt.live().screenState === selection,
      screens.selection, 10000).catch(() => {});
    now = await game();
    check(now && now.screenState === screens.selection && now.battleNumber === 1 && now.partyCount === 0,
      `taps: after a reload, Continue goes back to battle 1's party choice (${now && now.screenState}, ${now && now.battleNumber})`);
    await context.close();
  }

  // ---- The campaign's key scripts replayed in the page --------------------------------------------
  // The winning and losing scripts end in the native runner's state, with its summary line (the win
  // ends with the campaign). A script whose intro page never gets its Enter ends stuck as natively.
  fs.writeFileSync(path.join(work, 'stuck.keys'), '1 Down\n2.1 Enter\n');
  const replays = [['win.keys', path.join(args.keys, 'win.keys'), '/keys/win.keys'],
    ['lose.keys', path.join(args.keys, 'lose.keys'), '/keys/lose.keys'],
    ['stuck.keys', path.join(work, 'stuck.keys'), '/scratch/stuck.keys']];
  for (const [script, file, url] of replays) {
    const native = nativeReplay(file);
    const { page, context } = await openPage(server, `?keys=${url}`);
    await waitFor(page, () => ['replayed', 'error'].includes(window.varnholt && window.varnholt.status()), null, 600000);
    const web = await page.evaluate(() => ({ json: window.varnholt.stateText(), hashes: window.varnholt.hashes(),
      summary: window.varnholt.summary(), error: window.varnholt.error() }));
    const expectedEnd = { 'win.keys': 'campaign-end', 'lose.keys': 'running', 'stuck.keys': 'stuck' }[script];
    check(web.summary === native.summary && native.summary.endsWith(' exit=' + expectedEnd) &&
      native.exitCode === (expectedEnd === 'stuck' ? 3 : 0),
      `${script} replayed in the page ends as natively: "${web.summary}"`);
    check(web.json !== null && web.json.trim() === native.json.trim(),
      `${script} replayed in the page ends in the native runner's JSON state${web.error ? ' (' + web.error + ')' : ''}`);
    const nativeLines = native.hashes.trim().split('\n');
    const webLines = (web.hashes || '').trim().split('\n');
    const differing = nativeLines.filter((line, i) => line !== webLines[i]).length;
    check(nativeLines.length === webLines.length && differing === 0,
      `${script}: all ${nativeLines.length} presented frames hash as natively (${differing} differ)`);
    await context.close();
  }

  // ---- Picked campaign folders: one with a broken file, one without a file the game needs --------
  {
    const broken = path.join(work, 'broken-campaign');
    fs.cpSync(args.campaign, broken, { recursive: true });
    fs.writeFileSync(path.join(broken, 'cur.bmp'), 'not a picture');
    const { page, context } = await openPage(server);
    await titleShown(page);
    await page.setInputFiles('#folder', broken);
    await page.waitForSelector('#anyway', { state: 'visible', timeout: 20000 }).catch(() => {});
    const findings = await page.evaluate(() => document.getElementById('overlay-detail').textContent);
    check(/broken-campaign\/cur\.bmp(:\d+)?: /.test(findings) && await page.isVisible('#anyway') && await page.isVisible('#back'),
      `a picked campaign with a broken picture lists the findings and offers to play anyway ("${findings.split('\n')[1]}")`);
    check(/Playing the default campaign\./.test(await page.textContent('#campaign')),
      'while asking, the status line still names what plays: the default campaign');
    await page.click('#anyway');
    await waitFor(page, () => window.varnholt.status() === 'playing' && document.getElementById('overlay').hidden, null, 10000).catch(() => {});
    const playing = await page.textContent('#campaign');
    check(await page.isHidden('#overlay') && /Playing the campaign "broken-campaign" \(\d+ problems?\)\./.test(playing),
      `"Play anyway" plays it, and the status line says so ("${playing}")`);

    const missing = path.join(work, 'missing-campaign');
    fs.cpSync(args.campaign, missing, { recursive: true });
    fs.rmSync(path.join(missing, 'chardb.txt'));
    await page.setInputFiles('#folder', missing);
    await page.waitForSelector('#overlay', { state: 'visible', timeout: 20000 }).catch(() => {});
    const refused = await page.evaluate(() => document.getElementById('overlay-detail').textContent);
    check(/chardb\.txt/.test(refused) && await page.isHidden('#anyway'),
      `a picked campaign without chardb.txt is refused and says why ("${refused}")`);
    check(/"broken-campaign"/.test(await page.textContent('#campaign')),
      'after refusing, the status line names the campaign that really plays');
    await page.click('#back');
    await page.click('#default');
    await waitFor(page, () => window.varnholt.status() === 'playing' && /default/.test(document.getElementById('campaign').textContent), null, 10000).catch(() => {});
    check(await page.isHidden('#overlay') && /Playing the default campaign\./.test(await page.textContent('#campaign')),
      'the default campaign can be played again after a broken one');
    await context.close();
  }

  // ---- Downloads that fail: refused, damaged; "Try again" ----------------------------------------
  for (const [kind, pattern, answer, says] of [
    ['refused', '**/varnholt.*.wasm', (route) => route.abort('connectionreset'), /program \(varnholt\.[0-9a-f]{16}\.wasm\) did not arrive/],
    ['damaged', '**/varnholt.*.data', async (route) => {
      const response = await route.fetch();
      const bytes = Buffer.from(await response.body());
      bytes[bytes.length >> 1] ^= 0xff;
      await route.fulfill({ response, body: bytes });
    }, /texts \(varnholt\.[0-9a-f]{16}\.data\) arrived damaged/]]) {
    const context = await browser.newContext(DESKTOP);
    await context.route(pattern, answer);
    const { page } = await openPage(server, '', DESKTOP, context);
    await page.waitForSelector('#retry', { state: 'visible', timeout: 15000 }).catch(() => {});
    const text = await overlayText(page);
    check(says.test(text || '') && !/(Error|undefined|Module|http:)/.test(text || ''),
      `a ${kind} download says which file, in plain words ("${text}")`);
    await context.unroute(pattern);
    await page.click('#retry').catch(() => {});
    check(await titleShown(page), `after a ${kind} download, "Try again" reaches the title`);
    await context.close();
  }

  check(uncaught.length === 0, `nothing is logged as an uncaught error${uncaught.length ? ': ' + uncaught.join('; ') : ''}`);

  if (args.measure) {
    // A first visit on a network of 10 Mbit/s with 40 ms of latency: what crosses it, and how soon the
    // title shows.
    const context = await browser.newContext(DESKTOP);
    const page = await context.newPage();
    const cdp = await context.newCDPSession(page);
    await cdp.send('Network.enable');
    await cdp.send('Network.emulateNetworkConditions', { offline: false, latency: 40, downloadThroughput: 1.25e6,
      uploadThroughput: 1.25e6 });
    const from = server.log.length;
    await page.goto(server.base);
    await titleShown(page, 60000);
    const title = await page.evaluate(() => window.varnholt.firstFrameAt());
    await page.evaluate(() => window.varnholt.offlineReady());
    await page.waitForTimeout(500);
    const sent = server.log.slice(from).reduce((sum, entry) => sum + entry.bytes, 0);
    const raw = fs.readdirSync(args.site).filter((name) => !/\.(gz|br)$/.test(name))
      .reduce((sum, name) => sum + fs.statSync(path.join(args.site, name)).size, 0);
    measures.push(`first visit: ${(sent / 1e6).toFixed(2)} MB sent by the server (all files, service worker included; ` +
      `${(raw / 1e6).toFixed(2)} MB uncompressed)`);
    measures.push(`first visit at 10 Mbit/s, 40 ms latency: the title after ${title.toFixed(0)} ms (performance.now at the first frame)`);
    await context.close();

    // A battle frame's processor time in the page: two runs of different lengths, the difference taken,
    // so driving the game to the battle drops out; beside the native app_bench's processor time.
    const { page: benchPage, context: benchContext } = await openPage(server, '?bench=500');
    await waitFor(benchPage, () => ['benchmarked', 'error'].includes(window.varnholt && window.varnholt.status()), null, 120000);
    let pageFrame = Infinity;
    let wall = Infinity;
    for (let round = 0; round < 2; ++round) {
      const before = chromiumNanoseconds();
      await benchPage.evaluate(() => window.varnholt.runBench(1000));
      const middle = chromiumNanoseconds();
      const long = await benchPage.evaluate(() => window.varnholt.runBench(11000));
      const after = chromiumNanoseconds();
      pageFrame = Math.min(pageFrame, ((after - middle) - (middle - before)) / 10000 / 1000);
      wall = Math.min(wall, long.microsecondsPerFrame);
    }
    await benchContext.close();
    let native = null;
    if (args['native-bench']) {
      const report = JSON.parse(execFileSync(args['native-bench'], ['--benchmark_filter=^BM_BattleFrame$',
        '--benchmark_format=json', '--benchmark_min_time=1', '--benchmark_repetitions=2'], { stdio: ['ignore', 'pipe', 'ignore'] }));
      const runs = report.benchmarks.filter((b) => b.name === 'BM_BattleFrame' && b.run_type === 'iteration');
      native = Math.min(...runs.map((run) => run.cpu_time * { ns: 1e-3, us: 1, ms: 1e3 }[run.time_unit]));
    }
    measures.push(`battle frame work in headless chromium: ${pageFrame.toFixed(1)} µs of processor time ` +
      `(${wall.toFixed(1)} µs on the page's clock)` +
      (native ? `; native (app_bench BM_BattleFrame): ${native.toFixed(1)} µs of processor time; page / native = ${(pageFrame / native).toFixed(2)}` : ''));
    for (const line of measures) console.log('measure: ' + line);
  }
} finally {
  await browser.close();
  await stopServer(server);
  fs.rmSync(work, { recursive: true, force: true });
}
console.log(failures === 0 ? 'all browser tests passed' : `${failures} browser test(s) failed`);
process.exit(failures === 0 ? 0 : 1);
