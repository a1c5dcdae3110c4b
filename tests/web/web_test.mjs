// Browser tests of the web build in Debian's chromium (headless), driven by playwright-core, against the
// built page served on localhost by this script. Compares with the native headless runner.
//
//   node web_test.mjs --site DIR --replay BIN --campaign DIR --keys DIR [--measure]
//
// --site: build-web/site; --replay: the native varnholt-replay; --campaign: the native build's default
// campaign; --keys: the folder with win.keys and lose.keys. --measure also prints the download size,
// the battle-frame CPU work and the load-to-title time.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import { chromium } from 'playwright-core';

const args = {};
for (let i = 2; i < process.argv.length; ++i) {
  const name = process.argv[i].replace(/^--/, '');
  if (name === 'measure') args.measure = true;
  else args[name] = process.argv[++i];
}
for (const needed of ['site', 'replay', 'campaign', 'keys']) {
  if (!args[needed]) {
    console.error(`usage: node web_test.mjs --site DIR --replay BIN --campaign DIR --keys DIR [--measure]`);
    process.exit(2);
  }
}

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'varnholt-web-'));
const types = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.mjs': 'text/javascript',
  '.css': 'text/css', '.wasm': 'application/wasm', '.data': 'application/octet-stream',
  '.keys': 'text/plain; charset=utf-8',
};

// Static files of the site, the key scripts under /keys/, and scripts the tests write under /scratch/.
function serve() {
  const server = http.createServer((request, response) => {
    const url = new URL(request.url, 'http://localhost');
    let root = path.resolve(args.site);
    let file = decodeURIComponent(url.pathname);
    if (file.startsWith('/keys/')) {
      root = path.resolve(args.keys);
      file = file.slice('/keys'.length);
    } else if (file.startsWith('/scratch/')) {
      root = path.resolve(work);
      file = file.slice('/scratch'.length);
    }
    if (file.endsWith('/')) file += 'index.html';
    const full = path.join(root, path.normalize(file));
    if (!full.startsWith(root + path.sep) || !fs.existsSync(full) || !fs.statSync(full).isFile()) {
      response.writeHead(404).end('not found');
      return;
    }
    response.writeHead(200, { 'Content-Type': types[path.extname(full)] || 'application/octet-stream' });
    fs.createReadStream(full).pipe(response);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// The native runner on the same campaign: its state JSON, frame hashes, summary line and exit code, and
// frame dumps.
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

async function canvasPixels(page) {
  const base64 = await page.evaluate(() => {
    const canvas = document.getElementById('canvas');
    const bytes = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
    let text = '';
    for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
    return btoa(text);
  });
  return Buffer.from(base64, 'base64');
}

let failures = 0;
function check(condition, what) {
  if (condition) {
    console.log(`ok   ${what}`);
  } else {
    console.log(`FAIL ${what}`);
    ++failures;
  }
}

const server = await serve();
const base = `http://127.0.0.1:${server.address().port}/`;
const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  // playwright starts the browser with a fresh --user-data-dir of its own and removes it afterwards.
});
const uncaught = [];

async function openPage(query = '') {
  const context = await browser.newContext({ viewport: { width: 1000, height: 800 } });
  const page = await context.newPage();
  page.on('pageerror', (error) => uncaught.push(`${query}: ${error.message}`));
  page.on('console', (message) => {
    if (message.type() === 'error' && /uncaught/i.test(message.text())) uncaught.push(`${query}: ${message.text()}`);
  });
  const started = Date.now();
  await page.goto(base + 'index.html' + query);
  return { page, context, started };
}

const waitFor = (page, predicate, arg, timeout) => page.waitForFunction(predicate, arg, { timeout, polling: 50 });

try {
  // The title screen: within 10 s, and the very pixels of the native runner's frame 1.
  {
    const empty = path.join(work, 'empty.keys');
    fs.writeFileSync(empty, '# nothing pressed\n');
    const dump = path.join(work, 'title.bmp');
    nativeReplay(empty, ['--frames', '1', '--dump', `1:${dump}`]);
    const { page, context } = await openPage();
    let shown = true;
    try {
      await waitFor(page, () => window.varnholt && window.varnholt.framesShown() > 0, null, 10000);
    } catch {
      shown = false;
    }
    check(shown, 'the title screen appears within 10 s of loading');
    const title = await page.evaluate(() => window.varnholt.firstFrameAt());
    const expected = bmpToRgba(dump);
    const actual = await canvasPixels(page);
    let differing = 0;
    for (let i = 0; i < expected.rgba.length; i += 4) {
      if (expected.rgba.readUInt32LE(i) !== actual.readUInt32LE(i)) ++differing;
    }
    check(actual.length === expected.rgba.length && differing === 0,
      `the title canvas matches the native frame 1 pixel for pixel (${differing} pixels differ)`);
    if (args.measure) console.log(`measure: load to title frame ${title.toFixed(0)} ms (performance.now at first frame)`);

    // Real key presses: the title, the splash, the party choice, the battle, then Escape.
    const live = () => page.evaluate(() => window.varnholt.live());
    const screens = await page.evaluate(() => window.varnholt.screens);
    const press = async (key) => {
      await page.keyboard.down(key);
      await page.waitForTimeout(120);
      await page.keyboard.up(key);
      await page.waitForTimeout(250);
    };
    await press('Enter');
    check((await live()).screenState === screens.splash, 'Enter on the title starts the splash sequence');
    await waitFor(page, () => window.varnholt.live().screenState === window.varnholt.screens.selection, null,
      45000);
    check(true, 'the splash sequence ends on the party selection');
    // Enter picks the character under the cursor, Right moves on; a press a busy machine let slip by
    // is made up for by the next round.
    for (let round = 0; round < 16 && (await live()).screenState === screens.selection; ++round) {
      await press('Enter');
      if ((await live()).screenState !== screens.selection) break;
      await press('ArrowRight');
    }
    await waitFor(page, () => window.varnholt.live().screenState === window.varnholt.screens.battle, null, 5000)
      .catch(() => {});
    const battle = await live();
    check(battle.screenState === screens.battle && battle.partyCount === 5,
      `five picks with Enter and Right lead to the battle screen (${JSON.stringify(battle)})`);
    if (args.measure) {
      await page.waitForTimeout(3000);
      const work = await page.evaluate(() => window.varnholt.frameWork(window.varnholt.screens.battle));
      console.log(`measure: live battle frame work in the page ${(work * 1000).toFixed(0)} µs (present to the canvas included)`);
    }
    await press('Escape');
    await waitFor(page, () => window.varnholt.status() === 'ended', null, 5000).catch(() => {});
    const overlay = await page.evaluate(() => !document.getElementById('overlay').hidden &&
      document.getElementById('overlay-text').textContent);
    check(overlay && /ended/.test(overlay) && !(await page.isHidden('#again')),
      `Escape ends the game and the page says so ("${overlay}")`);
    await context.close();
  }

  // The campaign's winning and losing key scripts replayed in the page: the native runner's state, and
  // its summary line (the win ends with the campaign). A script whose intro page never gets its Enter
  // ends stuck in the page as natively.
  fs.writeFileSync(path.join(work, 'stuck.keys'), '1 Down\n2.1 Enter\n');
  const replays = [['win.keys', path.join(args.keys, 'win.keys'), '/keys/win.keys'],
    ['lose.keys', path.join(args.keys, 'lose.keys'), '/keys/lose.keys'],
    ['stuck.keys', path.join(work, 'stuck.keys'), '/scratch/stuck.keys']];
  for (const [script, file, url] of replays) {
    const native = nativeReplay(file);
    const { page, context } = await openPage(`?keys=${url}`);
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

  // A picked campaign folder with a broken file, and one without a file the game needs.
  {
    const broken = path.join(work, 'broken-campaign');
    fs.cpSync(args.campaign, broken, { recursive: true });
    fs.writeFileSync(path.join(broken, 'cur.bmp'), 'not a picture');
    const { page, context } = await openPage();
    await waitFor(page, () => window.varnholt && window.varnholt.framesShown() > 0, null, 10000);
    await page.setInputFiles('#folder', broken);
    await waitFor(page, () => window.varnholt.status() === 'error', null, 20000).catch(() => {});
    const message = await page.evaluate(() => document.getElementById('overlay-detail').textContent);
    check(/cur\.bmp/.test(message) && (await page.isVisible('#overlay')),
      `a picked campaign with a broken picture shows a clear message ("${message.split('\n')[1] || message}")`);

    const missing = path.join(work, 'missing-campaign');
    fs.cpSync(args.campaign, missing, { recursive: true });
    fs.rmSync(path.join(missing, 'chardb.txt'));
    await page.setInputFiles('#folder', missing);
    await waitFor(page, (before) => window.varnholt.error() !== before, message, 20000).catch(() => {});
    const second = await page.evaluate(() => document.getElementById('overlay-detail').textContent);
    check(/chardb\.txt/.test(second), `a picked campaign without chardb.txt says so ("${second}")`);
    await page.click('#default');
    await waitFor(page, () => window.varnholt.status() === 'playing', null, 5000).catch(() => {});
    check(await page.isHidden('#overlay'), 'the default campaign can be played again after a broken one');
    await context.close();
  }

  check(uncaught.length === 0, `nothing is logged as an uncaught error${uncaught.length ? ': ' + uncaught.join('; ') : ''}`);

  if (args.measure) {
    let raw = 0;
    let gzip = 0;
    for (const name of fs.readdirSync(args.site)) {
      const bytes = fs.readFileSync(path.join(args.site, name));
      raw += bytes.length;
      gzip += zlib.gzipSync(bytes, { level: 9 }).length;
    }
    console.log(`measure: download ${(raw / 1e6).toFixed(2)} MB raw, ${(gzip / 1e6).toFixed(2)} MB gzip (all files of ${args.site})`);
    const { page, context } = await openPage('?bench=3000');
    await waitFor(page, () => ['benchmarked', 'error'].includes(window.varnholt && window.varnholt.status()), null, 120000);
    const bench = await page.evaluate(() => window.varnholt.bench());
    console.log(`measure: battle frame CPU work in headless chromium ${bench.microsecondsPerFrame.toFixed(1)} µs (${bench.frames} frames, virtual clock)`);
    await context.close();
  }
} finally {
  await browser.close();
  server.close();
  fs.rmSync(work, { recursive: true, force: true });
}
console.log(failures === 0 ? 'all browser tests passed' : `${failures} browser test(s) failed`);
process.exit(failures === 0 ? 0 : 1);
