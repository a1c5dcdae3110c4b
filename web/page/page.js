// The page around the game: canvas, keys, buttons, messages, and the window.varnholt interface that the
// browser tests (and curious players) use. The game itself is varnholt.js + varnholt.wasm, whose C++
// side calls back into `varnholtPage`.
'use strict';

(function () {
  // Browser key codes to the DirectInput codes the game reads.
  const DIK = {
    ArrowUp: 0xc8, ArrowDown: 0xd0, ArrowLeft: 0xcb, ArrowRight: 0xcd,
    Enter: 0x1c, NumpadEnter: 0x1c, Backspace: 0x0e, Escape: 0x01, Space: 0x39,
  };

  // The game's screens by the numbers its state JSON writes for them (screenState, frameWork).
  const SCREENS = Object.freeze({ title: 0, splash: 1, selection: 2, battle: 3 });

  const $ = (id) => document.getElementById(id);
  const canvas = $('canvas');
  const context = canvas.getContext('2d', { alpha: false });
  const overlay = $('overlay');
  const params = new URLSearchParams(location.search);

  const state = {
    status: 'loading',  // loading, playing, ended, error, replaying, replayed, benchmarking, benchmarked
    mode: params.has('keys') ? 'replay' : params.has('bench') ? 'bench' : 'play',
    error: null,
    endReason: null,
    replay: null,
    bench: null,
    firstFrameAt: null,
    framesShown: 0,
    campaign: { dir: '/campaign', name: 'the default campaign', check: false },
    running: null,
    pendingCampaign: null,
  };
  let image = null;

  function showOverlay(text, detail, offerAgain) {
    $('overlay-text').textContent = text;
    $('overlay-detail').textContent = detail || '';
    $('again').hidden = !offerAgain;
    overlay.hidden = false;
  }
  function hideOverlay() {
    overlay.hidden = true;
  }
  function focusGame() {
    if (document.activeElement && document.activeElement !== canvas) document.activeElement.blur();
    canvas.focus({ preventScroll: true });
  }

  function fail(text) {
    state.status = 'error';
    state.error = text;
    console.error('varnholt: ' + text);
    showOverlay('Varnholt cannot run', text, false);
    $('default').hidden = state.campaign.dir === '/campaign';
  }

  // Called by the game (C++ through EM_JS).
  const page = (window.varnholtPage = {
    keys: new Uint8Array(256),
    quitRequested: false,
    openCanvas(width, height) {
      canvas.width = width;
      canvas.height = height;
      image = context.createImageData(width, height);
    },
    hidePointer() {
      canvas.classList.add('no-pointer');
    },
    showFrame(bytes, width, height) {
      if (!image || image.width !== width || image.height !== height) this.openCanvas(width, height);
      image.data.set(bytes);
      context.putImageData(image, 0, 0);
      if (state.firstFrameAt === null) state.firstFrameAt = performance.now();
      ++state.framesShown;
    },
    report(kind, text) {
      if (kind === 'error') {
        fail(text);
      } else if (kind === 'end') {
        state.endReason = text;
        if (text === 'stopped') return;
        state.status = 'ended';
        showOverlay(text === 'campaign-end' ? 'The campaign is won. The game has ended.' : 'The game has ended.',
          '', true);
      }
    },
    replayDone(json, hashes, summary) {
      state.replay = { json, hashes, summary };
      state.status = 'replayed';
      $('campaign').textContent = 'Key script replayed: ' + summary;
      hideOverlay();
    },
  });

  function keyHandler(down) {
    return (event) => {
      if (event.code === 'F11') {
        event.preventDefault();
        if (down && !event.repeat) toggleFullscreen();
        return;
      }
      if (event.code === 'F12') {
        if (down && !event.repeat) {
          event.preventDefault();
          saveScreenshot();
        }
        return;
      }
      const code = DIK[event.code];
      if (code === undefined || event.altKey || event.ctrlKey || event.metaKey) return;
      // The game's keys never scroll the page, go back in history or press a button.
      event.preventDefault();
      if (down && !event.repeat && code === DIK.Enter && state.status === 'ended') {
        play(state.campaign);
        return;
      }
      if (state.mode === 'play' && state.status === 'playing') page.keys[code] = down ? 0x80 : 0;
    };
  }
  window.addEventListener('keydown', keyHandler(true), true);
  window.addEventListener('keyup', keyHandler(false), true);
  // Keys released while the page had no focus would otherwise stay down.
  window.addEventListener('blur', () => page.keys.fill(0));

  function toggleFullscreen() {
    const screen = $('screen');
    if (document.fullscreenElement) {
      document.exitFullscreen().catch(() => {});
    } else if (screen.requestFullscreen) {
      screen.requestFullscreen().catch((error) => console.warn('full screen refused: ' + error));
    }
    focusGame();
  }

  function timestamp() {
    const d = new Date();
    const two = (n) => String(n).padStart(2, '0');
    return `${d.getFullYear()}${two(d.getMonth() + 1)}${two(d.getDate())}-` +
      `${two(d.getHours())}${two(d.getMinutes())}${two(d.getSeconds())}`;
  }
  function saveScreenshot() {
    canvas.toBlob((blob) => {
      if (!blob) return;
      const link = document.createElement('a');
      link.href = URL.createObjectURL(blob);
      link.download = `varnholt-${timestamp()}.png`;
      document.body.appendChild(link);
      link.click();
      link.remove();
      setTimeout(() => URL.revokeObjectURL(link.href), 10000);
    }, 'image/png');
    focusGame();
  }

  // Plays a campaign; a game still running is asked to stop first.
  function play(campaign) {
    if (state.running) {
      state.pendingCampaign = campaign;
      page.quitRequested = true;
      return;
    }
    state.campaign = campaign;
    state.status = 'playing';
    state.endReason = null;
    state.error = null;
    page.keys.fill(0);
    page.quitRequested = false;
    hideOverlay();
    $('default').hidden = campaign.dir === '/campaign';
    $('campaign').textContent = 'Playing ' + campaign.name + '.';
    focusGame();
    state.running = Module.ccall('varnholt_play', 'number', ['string', 'number'],
      [campaign.dir, campaign.check ? 1 : 0], { async: true });
    Promise.resolve(state.running).then(() => {
      state.running = null;
      if (state.pendingCampaign) {
        const next = state.pendingCampaign;
        state.pendingCampaign = null;
        play(next);
      }
    }, (error) => {
      state.running = null;
      fail('the game stopped: ' + error);
    });
  }

  function removeTree(path) {
    const FS = Module.FS;
    if (!FS.analyzePath(path).exists) return;
    for (const name of FS.readdir(path)) {
      if (name === '.' || name === '..') continue;
      const child = path + '/' + name;
      if (FS.isDir(FS.stat(child).mode)) removeTree(child); else FS.unlink(child);
    }
    FS.rmdir(path);
  }

  // The picked folder's own files (not its subfolders) into /picked/<folder name>.
  async function loadFolder(fileList) {
    const files = Array.from(fileList);
    if (files.length === 0) return null;
    const first = files[0].webkitRelativePath || files[0].name;
    const name = (first.includes('/') ? first.split('/')[0] : 'campaign').replace(/[^\w .,()-]/g, '_') || 'campaign';
    const FS = Module.FS;
    removeTree('/picked');
    FS.mkdir('/picked');
    const dir = '/picked/' + name;
    FS.mkdir(dir);
    for (const file of files) {
      const parts = (file.webkitRelativePath || file.name).split('/');
      if (parts.length > 2) continue;
      FS.writeFile(dir + '/' + file.name, new Uint8Array(await file.arrayBuffer()));
    }
    return { dir, name: 'the campaign "' + name + '"', check: true };
  }

  $('pick').addEventListener('click', () => $('folder').click());
  $('folder').addEventListener('change', async (event) => {
    try {
      const campaign = await loadFolder(event.target.files);
      event.target.value = '';
      if (campaign) play(campaign);
    } catch (error) {
      fail('cannot read the picked folder: ' + error);
    }
  });
  $('default').addEventListener('click', () => play({ dir: '/campaign', name: 'the default campaign', check: false }));
  $('again').addEventListener('click', () => play(state.campaign));
  $('fullscreen').addEventListener('click', toggleFullscreen);
  $('shot').addEventListener('click', saveScreenshot);
  canvas.addEventListener('click', focusGame);

  function replay() {
    const keysUrl = params.get('keys');
    const frames = Number.parseInt(params.get('frames') || '0', 10) || 0;
    state.status = 'replaying';
    showOverlay('Replaying ' + keysUrl + '…', '', false);
    fetch(keysUrl)
      .then((response) => {
        if (!response.ok) throw new Error(`cannot fetch the key script ${keysUrl}: HTTP ${response.status}`);
        return response.text();
      })
      .then((text) => {
        Module.FS.writeFile('/replay.keys', text);
        return Module.ccall('varnholt_replay', 'number', ['string', 'string', 'number'],
          ['/campaign', '/replay.keys', frames], { async: true });
      })
      .catch((error) => fail(String(error.message || error)));
  }

  function bench() {
    const frames = Number.parseInt(params.get('bench'), 10) || 2000;
    state.status = 'benchmarking';
    Promise.resolve(Module.ccall('varnholt_bench', 'number', ['string', 'number'], ['/campaign', frames],
      { async: true }))
      .then((microseconds) => {
        state.bench = { frames, microsecondsPerFrame: microseconds };
        state.status = 'benchmarked';
        showOverlay(`Battle frame: ${microseconds.toFixed(1)} µs of work (${frames} frames)`, '', false);
      }, (error) => fail('the benchmark stopped: ' + error));
  }

  // For tests and players: what the page and the game are doing.
  window.varnholt = {
    status: () => state.status,
    error: () => state.error,
    endReason: () => state.endReason,
    state: () => (state.replay ? JSON.parse(state.replay.json) : null),
    stateText: () => (state.replay ? state.replay.json : null),
    hashes: () => (state.replay ? state.replay.hashes : null),
    summary: () => (state.replay ? state.replay.summary : null),
    bench: () => state.bench,
    firstFrameAt: () => state.firstFrameAt,
    framesShown: () => state.framesShown,
    // Direct calls: they return at once, even while the game sleeps in a wait.
    live: () => JSON.parse(Module.UTF8ToString(Module._varnholt_live_state())),
    frameWork: (screen) => Module._varnholt_frame_work(screen),
    screens: SCREENS,
  };

  window.addEventListener('error', (event) => fail(String(event.message || event.error)));
  window.addEventListener('unhandledrejection', (event) => fail(String(event.reason)));

  window.Module = {
    print: (text) => console.log(text),
    printErr: (text) => console.error(text),
    setStatus: (text) => {
      if (text && state.status === 'loading') showOverlay(text.replace(/\(.*\)/, '').trim() || 'Loading Varnholt…');
    },
    onAbort: (what) => fail('the game stopped: ' + what),
    onRuntimeInitialized: () => {
      if (state.mode === 'replay') replay();
      else if (state.mode === 'bench') bench();
      else play(state.campaign);
    },
  };
  const script = document.createElement('script');
  script.src = 'varnholt.js';
  script.onerror = () => fail('cannot load varnholt.js (serve this folder over http, for example with scripts/web.sh)');
  document.body.appendChild(script);
})();
