// The page around the game: loading its files, the canvas and its scaling, the keyboard and the touch
// keys, the buttons and the menu, the messages, and the window.varnholt interface that the browser tests
// (and curious players) use. The game itself is varnholt.js + varnholt.wasm + varnholt.data, whose C++
// side calls back into `varnholtPage`.
'use strict';

(function () {
  // Browser key codes to the DirectInput codes the game reads.
  const DIK = {
    ArrowUp: 0xc8, ArrowDown: 0xd0, ArrowLeft: 0xcb, ArrowRight: 0xcd,
    Enter: 0x1c, NumpadEnter: 0x1c, Backspace: 0x0e, Escape: 0x01, Space: 0x39,
  };
  // A touch key stays down at least this long, so that the game, which reads the keys once a frame,
  // sees even the shortest tap.
  const MIN_PRESS_MS = 80;
  // A finger held this long on the picture without moving is a long press: Backspace, as a right click.
  const LONG_PRESS_MS = 500;
  // A finger that moves further than this (CSS pixels) before it lifts is no tap.
  const TAP_SLOP_PX = 16;
  // Events kept for the game at most, the oldest go first (a game that does not take them: --classic).
  const EVENT_LIMIT = 1024;
  // The game's pointer event kinds and buttons, as its C++ side numbers them.
  const POINTER = Object.freeze({ move: 0, press: 1, release: 2, leave: 3, primary: 1, secondary: 2 });
  const FRAME_WIDTH = 800;
  const FRAME_HEIGHT = 600;

  // The game's screens by the numbers its state JSON writes for them (screenState, frameWork).
  const SCREENS = Object.freeze({ title: 0, splash: 1, selection: 2, battle: 3 });
  const DEFAULT_CAMPAIGN = Object.freeze({ dir: '/campaign', name: 'the default campaign', problems: 0 });

  const $ = (id) => document.getElementById(id);
  const body = document.body;
  const canvas = $('canvas');
  const context = canvas.getContext('2d', { alpha: false });
  const overlay = $('overlay');
  const params = new URLSearchParams(location.search);
  const gameFiles = JSON.parse($('game-files').textContent);

  const state = {
    status: 'loading',  // loading, playing, ended, error, replaying, replayed, benchmarking, benchmarked
    mode: params.has('keys') ? 'replay' : params.has('bench') ? 'bench' : 'play',
    error: null,
    endReason: null,
    replay: null,
    bench: null,
    firstFrameAt: null,
    framesShown: 0,
    campaign: DEFAULT_CAMPAIGN,
    running: null,
    pendingCampaign: null,
    asking: false,  // a question is over the game: its keys go to the buttons, not the game
    picks: 0,
    load: null,
  };

  // ---- Messages over the picture ---------------------------------------------------------------

  const overlayButtons = ['retry', 'anyway', 'again', 'overlay-default', 'back'];
  function showOverlay(text, detail = '', buttons = [], detailIsError = false, detailIsList = false) {
    $('overlay-text').textContent = text;
    $('overlay-detail').textContent = detail;
    $('overlay-detail').classList.toggle('error', detailIsError);
    $('overlay-detail').classList.toggle('findings', detailIsList);
    $('progress').hidden = true;
    $('progress-text').textContent = '';
    for (const id of overlayButtons) $(id).hidden = !buttons.includes(id);
    overlay.hidden = false;
    const first = buttons.length ? $(buttons[0]) : null;
    if (first && state.mode === 'play') first.focus({ preventScroll: true });
  }
  function hideOverlay() {
    overlay.hidden = true;
    state.asking = false;
  }
  function focusGame() {
    if (document.activeElement && document.activeElement !== canvas) document.activeElement.blur();
    canvas.focus({ preventScroll: true });
  }
  function campaignTitle(campaign) {
    return campaign.name.charAt(0).toUpperCase() + campaign.name.slice(1);
  }
  // The line under the picture (or in the menu): what is really playing.
  function updateStatusLine() {
    const campaign = state.campaign;
    const problems = campaign.problems ? ` (${campaign.problems} ${campaign.problems === 1 ? 'problem' : 'problems'})` : '';
    let text = '';
    if (state.status === 'playing') text = `Playing ${campaign.name}${problems}.`;
    else if (state.status === 'ended') text = `${campaignTitle(campaign)} has ended.`;
    else if (state.status === 'error') text = 'Nothing is playing.';
    $('campaign').textContent = text;
    $('default').hidden = campaign.dir === DEFAULT_CAMPAIGN.dir && state.status === 'playing';
  }

  function fail(text, detail = '') {
    state.status = 'error';
    state.error = detail ? `${text}: ${detail}` : text;
    console.error('varnholt: ' + state.error);
    const buttons = state.campaign.dir !== DEFAULT_CAMPAIGN.dir ? ['overlay-default', 'again'] : ['again'];
    showOverlay(text, detail, state.mode === 'play' ? buttons : [], true);
    $('again').textContent = 'Start again';
    updateStatusLine();
  }

  // ---- The picture ----------------------------------------------------------------------------

  // The game's frame at its own size; the canvas on the page holds it enlarged a whole number of times
  // (sharp), and the browser smooths that down to the place it has, as the native game's fit does: no
  // pixel row or column comes out doubled beside its neighbours.
  const frame = document.createElement('canvas');
  frame.width = FRAME_WIDTH;
  frame.height = FRAME_HEIGHT;
  const frameContext = frame.getContext('2d', { alpha: false });
  let heapImage = null;  // an ImageData over the game's RGBA pixels in its memory
  let enlargement = 0;

  function drawEnlarged(x, y, width, height) {
    context.drawImage(frame, x, y, width, height, x * enlargement, y * enlargement, width * enlargement,
      height * enlargement);
  }

  // Where the frame goes in a box of `width` x `height` device pixels: the largest 4:3 that fits, and
  // the smallest whole-number scale whose enlargement covers it.
  function fitPlace(width, height) {
    let w, h;
    if (width * FRAME_HEIGHT <= height * FRAME_WIDTH) {
      w = width;
      h = Math.floor((FRAME_HEIGHT * width) / FRAME_WIDTH);
    } else {
      h = height;
      w = Math.floor((FRAME_WIDTH * height) / FRAME_HEIGHT);
    }
    w = Math.max(w, 1);
    h = Math.max(h, 1);
    const scale = Math.max(1, Math.ceil(w / FRAME_WIDTH), Math.ceil(h / FRAME_HEIGHT));
    return { width: w, height: h, scale };
  }

  function fitCanvas() {
    const screen = $('screen');
    const ratio = window.devicePixelRatio || 1;
    const available = { width: Math.floor(screen.clientWidth * ratio), height: Math.floor(screen.clientHeight * ratio) };
    if (available.width <= 0 || available.height <= 0) return;
    const place = fitPlace(available.width, available.height);
    canvas.style.width = `${place.width / ratio}px`;
    canvas.style.height = `${place.height / ratio}px`;
    canvas.classList.toggle('sharp', place.width === FRAME_WIDTH * place.scale);
    if (place.scale !== enlargement) {
      enlargement = place.scale;
      canvas.width = FRAME_WIDTH * enlargement;
      canvas.height = FRAME_HEIGHT * enlargement;
      context.imageSmoothingEnabled = false;
      drawEnlarged(0, 0, FRAME_WIDTH, FRAME_HEIGHT);
    }
  }

  // ---- The layout -----------------------------------------------------------------------------

  const coarse = window.matchMedia('(pointer: coarse)');
  let padChoice = null;  // the player's own choice of the touch keys, else null: by the pointer

  function touchKeysWanted() {
    return padChoice !== null ? padChoice : coarse.matches || (navigator.maxTouchPoints > 0 && !window.matchMedia('(hover: hover)').matches);
  }

  function layout() {
    const width = window.innerWidth;
    const height = window.innerHeight;
    const touch = touchKeysWanted();
    const portrait = height > width;
    // A short window (a phone lying down, a small desktop window) gives the picture the full height.
    const mode = touch ? (portrait ? 'portrait' : 'compact') : height < 480 ? 'compact' : 'desktop';
    body.classList.remove('mode-desktop', 'mode-portrait', 'mode-compact');
    body.classList.add('mode-' + mode);
    body.classList.toggle('touch', touch);
    body.classList.toggle('with-pad', touch);
    $('pad-toggle').setAttribute('aria-pressed', String(touch));
    if (mode === 'portrait') {
      // The picture across the full width; the keys below it get what is left, at least this much.
      const padMinimum = Math.min(260, height * 0.35);
      // Rounded up to a whole device pixel, so the width decides the picture's size, not the height.
      const ratio = window.devicePixelRatio || 1;
      const fullWidth = Math.ceil((width * ratio * 3) / 4) / ratio;
      const screenHeight = Math.max(120, Math.min(fullWidth, height - padMinimum));
      body.style.setProperty('--screen-height', `${screenHeight}px`);
      const cell = Math.floor(Math.max(48, Math.min(76, width / 6.2, (height - screenHeight - 40) / 3.4)));
      body.style.setProperty('--cell', `${cell}px`);
    } else if (mode === 'compact') {
      // The picture the full height, the keys in the bars beside it.
      const screenWidth = touch ? Math.min(width - 2 * 130, Math.floor((height * 4) / 3)) : width;
      body.style.setProperty('--screen-width', `${Math.max(160, screenWidth)}px`);
      const side = (width - Math.max(160, screenWidth)) / 2;
      const cell = Math.floor(Math.max(36, Math.min(68, (side - 20) / 3.2, (height - 40) / 3.6)));
      body.style.setProperty('--cell', `${cell}px`);
    }
    fitCanvas();
  }
  window.addEventListener('resize', layout);
  window.addEventListener('orientationchange', layout);
  document.addEventListener('fullscreenchange', layout);
  if (coarse.addEventListener) coarse.addEventListener('change', layout);
  if (window.ResizeObserver) new ResizeObserver(fitCanvas).observe($('screen'));

  function closeMenu() {
    body.classList.remove('menu-open');
    $('menu-button').setAttribute('aria-expanded', 'false');
  }
  $('menu-button').addEventListener('click', () => {
    const open = !body.classList.contains('menu-open');
    body.classList.toggle('menu-open', open);
    $('menu-button').setAttribute('aria-expanded', String(open));
  });
  // A touch or click anywhere else closes the open menu.
  document.addEventListener('pointerdown', (event) => {
    if (body.classList.contains('menu-open') && !$('menu').contains(event.target) && event.target !== $('menu-button')) {
      closeMenu();
    }
  }, true);
  $('pad-toggle').addEventListener('click', () => {
    padChoice = !touchKeysWanted();
    closeMenu();
    layout();
  });

  // ---- Called by the game (C++ through EM_JS) --------------------------------------------------

  let sleeper = null;  // ends the game's current sleep early
  // The key changes and pointer events not yet taken by the game: 7 numbers each (see takeEvents).
  const keptEvents = [[], []];
  function keepEvent(kind, fields) {
    const queue = keptEvents[kind];
    if (queue.length >= EVENT_LIMIT) queue.shift();
    queue.push(fields);
  }
  const page = (window.varnholtPage = {
    keys: new Uint8Array(256),
    quitRequested: false,
    // Hands the game at most `most` kept events of a kind into `out`: keys as code, down (1 or 0), time;
    // pointer events as kind, button, touch (1 or 0), x, y (frame pixels), 0, time; times on
    // performance.now(). Returns how many.
    takeEvents(kind, out, most) {
      const queue = keptEvents[kind] || [];
      const count = Math.min(most, queue.length);
      for (let i = 0; i < count; ++i) {
        const fields = queue[i];
        for (let j = 0; j < 7; ++j) out[i * 7 + j] = fields[j] || 0;
      }
      queue.splice(0, count);
      return count;
    },
    anyKeyDown() {
      return this.keys.some((key) => key !== 0);
    },
    // The game sleeps until a timer fires, or until wake() (a key went down, a stop was asked for).
    sleep(milliseconds, wakeUp) {
      const timer = setTimeout(() => {
        sleeper = null;
        wakeUp();
      }, milliseconds);
      sleeper = () => {
        clearTimeout(timer);
        sleeper = null;
        wakeUp();
      };
    },
    wake() {
      if (sleeper) sleeper();
    },
    openCanvas() {
      fitCanvas();
    },
    hidePointer() {
      canvas.classList.add('no-pointer');
    },
    showPointer(shown) {
      canvas.classList.toggle('no-pointer', !shown);
    },
    // The game's RGBA pixels (`width` x `height` at `pointer` in `buffer`) and the places that changed,
    // as x, y, width, height quadruples: only those are put into the frame and drawn on the canvas.
    showFrame(buffer, pointer, width, height, rects) {
      if (width !== FRAME_WIDTH || height !== FRAME_HEIGHT) return;
      if (!heapImage || heapImage.data.buffer !== buffer || heapImage.data.byteOffset !== pointer) {
        heapImage = new ImageData(new Uint8ClampedArray(buffer, pointer, width * height * 4), width, height);
      }
      for (let i = 0; i + 3 < rects.length; i += 4) {
        frameContext.putImageData(heapImage, 0, 0, rects[i], rects[i + 1], rects[i + 2], rects[i + 3]);
        if (enlargement > 0) drawEnlarged(rects[i], rects[i + 1], rects[i + 2], rects[i + 3]);
      }
      if (state.firstFrameAt === null) {
        state.firstFrameAt = performance.now();
        if (state.mode === 'play') registerServiceWorker();
      }
      ++state.framesShown;
    },
    report(kind, text) {
      if (kind === 'error') {
        fail(state.campaign.dir === DEFAULT_CAMPAIGN.dir ? 'Varnholt cannot run' : `${campaignTitle(state.campaign)} cannot be played`, text);
      } else if (kind === 'end') {
        state.endReason = text;
        if (text === 'stopped') return;
        state.status = 'ended';
        $('again').textContent = 'Play again';
        showOverlay(text === 'campaign-end' ? 'The campaign is won. The game has ended.' : 'The game has ended.',
          '', state.campaign.dir !== DEFAULT_CAMPAIGN.dir ? ['again', 'overlay-default'] : ['again']);
        updateStatusLine();
      }
    },
    replayDone(json, hashes, summary) {
      state.replay = { json, hashes, summary };
      state.status = 'replayed';
      $('campaign').textContent = 'Key script replayed: ' + summary;
      hideOverlay();
    },
  });

  // ---- Keys -----------------------------------------------------------------------------------

  // Every key for the game, from the keyboard or a touch key, comes through here.
  function gameKey(code, down) {
    if (down && code === DIK.Enter && state.status === 'ended' && !state.asking) {
      play(state.campaign);
      return;
    }
    if (state.mode !== 'play' || state.status !== 'playing' || state.asking) return;
    if ((page.keys[code] !== 0) === down) return;
    page.keys[code] = down ? 0x80 : 0;
    keepEvent(0, [code, down ? 1 : 0, performance.now()]);
    if (down) page.wake();
  }
  // Every key let go at once (the page lost the focus; a new game starts).
  function releaseKeys() {
    for (let code = 0; code < 256; ++code) {
      if (page.keys[code] !== 0) keepEvent(0, [code, 0, performance.now()]);
    }
    page.keys.fill(0);
  }

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
      // A question over the picture, or the open menu, takes the keys as any page would.
      if (state.asking || body.classList.contains('menu-open')) {
        if (down && event.code === 'Escape') {
          if (body.classList.contains('menu-open')) closeMenu();
          else if (!$('back').hidden) $('back').click();
        }
        return;
      }
      const code = DIK[event.code];
      if (code === undefined || event.altKey || event.ctrlKey || event.metaKey) return;
      // The game's keys never scroll the page, go back in history or press a button.
      event.preventDefault();
      if (down && event.repeat) return;
      gameKey(code, down);
    };
  }
  window.addEventListener('keydown', keyHandler(true), true);
  window.addEventListener('keyup', keyHandler(false), true);
  // Keys released while the page had no focus would otherwise stay down.
  window.addEventListener('blur', releaseKeys);

  // ---- Taps and clicks on the picture -----------------------------------------------------------
  // They go to the game as pointer events in frame pixels; its shell turns them into the game's keys. A
  // mouse's presses, releases and moves go as they come (the right button is the secondary one). A finger
  // is a tap when it lifts near where it went down (one press and release of the primary button, where
  // it went down) or a long press when it stays LONG_PRESS_MS (the secondary button); a finger that moves
  // away is neither, so a slip of the thumb does nothing. Only the first finger counts.

  function framePoint(event) {
    const box = canvas.getBoundingClientRect();
    if (box.width <= 0 || box.height <= 0) return { x: -1, y: -1 };
    return {
      x: Math.floor(((event.clientX - box.left) * FRAME_WIDTH) / box.width),
      y: Math.floor(((event.clientY - box.top) * FRAME_HEIGHT) / box.height),
    };
  }
  function pointerWanted() {
    return state.mode === 'play' && state.status === 'playing' && !state.asking && !body.classList.contains('menu-open');
  }
  function keepPointer(kind, button, touch, point) {
    if (!pointerWanted()) return;
    const queue = keptEvents[1];
    const fields = [kind, button, touch ? 1 : 0, point.x, point.y, 0, performance.now()];
    // Moves in a row: only the latest matters.
    if (kind === POINTER.move && queue.length && queue[queue.length - 1][0] === POINTER.move) queue[queue.length - 1] = fields;
    else keepEvent(1, fields);
    if (kind === POINTER.press) page.wake();
  }
  let finger = null;  // the finger on the picture: { id, x, y (CSS), point, timer, done }
  function endFinger() {
    if (finger && finger.timer) clearTimeout(finger.timer);
    finger = null;
  }
  canvas.addEventListener('pointerdown', (event) => {
    event.preventDefault();
    focusGame();
    if (event.pointerType === 'mouse') {
      const button = event.button === 0 ? POINTER.primary : event.button === 2 ? POINTER.secondary : 0;
      if (!button) return;
      canvas.setPointerCapture(event.pointerId);
      keepPointer(POINTER.press, button, false, framePoint(event));
      return;
    }
    if (finger) return;
    finger = { id: event.pointerId, x: event.clientX, y: event.clientY, point: framePoint(event), timer: null, done: false };
    const held = finger;
    held.timer = setTimeout(() => {
      held.timer = null;
      held.done = true;
      keepPointer(POINTER.press, POINTER.secondary, true, held.point);
      keepPointer(POINTER.release, POINTER.secondary, true, held.point);
      if (navigator.vibrate) navigator.vibrate(20);
    }, LONG_PRESS_MS);
  });
  canvas.addEventListener('pointermove', (event) => {
    if (event.pointerType === 'mouse') {
      keepPointer(POINTER.move, 0, false, framePoint(event));
      return;
    }
    if (finger && finger.id === event.pointerId &&
        Math.hypot(event.clientX - finger.x, event.clientY - finger.y) > TAP_SLOP_PX) {
      finger.done = true;
      if (finger.timer) clearTimeout(finger.timer);
      finger.timer = null;
    }
  });
  const pointerUp = (event) => {
    if (event.pointerType === 'mouse') {
      const button = event.button === 0 ? POINTER.primary : event.button === 2 ? POINTER.secondary : 0;
      if (button) keepPointer(POINTER.release, button, false, framePoint(event));
      return;
    }
    if (!finger || finger.id !== event.pointerId) return;
    if (!finger.done && event.type === 'pointerup') {
      keepPointer(POINTER.press, POINTER.primary, true, finger.point);
      keepPointer(POINTER.release, POINTER.primary, true, finger.point);
    }
    endFinger();
  };
  canvas.addEventListener('pointerup', pointerUp);
  canvas.addEventListener('pointercancel', pointerUp);
  canvas.addEventListener('pointerleave', (event) => {
    if (event.pointerType === 'mouse' && !canvas.hasPointerCapture(event.pointerId)) {
      keepPointer(POINTER.leave, 0, false, { x: -1, y: -1 });
    }
  });
  // The right button and a long press are the game's; the browser's menu never opens over the picture.
  canvas.addEventListener('contextmenu', (event) => event.preventDefault());

  // The touch keys: a finger (or the mouse) on a key holds it down until it lifts, at least MIN_PRESS_MS.
  for (const button of document.querySelectorAll('#pad .key')) {
    const code = DIK[button.dataset.key];
    let downAt = 0;
    let fingers = 0;
    let release = null;
    button.addEventListener('pointerdown', (event) => {
      event.preventDefault();
      button.setPointerCapture(event.pointerId);
      if (release) {
        clearTimeout(release);
        release = null;
      }
      if (fingers++ === 0) {
        downAt = performance.now();
        button.classList.add('down');
        gameKey(code, true);
      }
    });
    const lift = (event) => {
      if (!button.hasPointerCapture(event.pointerId) && event.type !== 'lostpointercapture') return;
      if (fingers === 0 || --fingers > 0) return;
      button.classList.remove('down');
      const held = performance.now() - downAt;
      const up = () => {
        release = null;
        gameKey(code, false);
      };
      if (held >= MIN_PRESS_MS) up(); else release = setTimeout(up, MIN_PRESS_MS - held);
    };
    button.addEventListener('pointerup', lift);
    button.addEventListener('pointercancel', lift);
    button.addEventListener('lostpointercapture', (event) => {
      if (fingers > 0) lift(event);
    });
    button.addEventListener('contextmenu', (event) => event.preventDefault());
  }
  $('pad').addEventListener('contextmenu', (event) => event.preventDefault());

  function toggleFullscreen() {
    // The picture alone, unless the touch keys are needed beside it.
    const target = body.classList.contains('with-pad') ? document.documentElement : $('screen');
    if (document.fullscreenElement) {
      document.exitFullscreen().catch(() => {});
    } else if (target.requestFullscreen) {
      target.requestFullscreen({ navigationUI: 'hide' }).catch((error) => console.warn('full screen refused: ' + error));
    }
    closeMenu();
    focusGame();
  }

  function timestamp() {
    const d = new Date();
    const two = (n) => String(n).padStart(2, '0');
    return `${d.getFullYear()}${two(d.getMonth() + 1)}${two(d.getDate())}-` +
      `${two(d.getHours())}${two(d.getMinutes())}${two(d.getSeconds())}`;
  }
  function saveScreenshot() {
    frame.toBlob((blob) => {
      if (!blob) return;
      const link = document.createElement('a');
      link.href = URL.createObjectURL(blob);
      link.download = `varnholt-${timestamp()}.png`;
      document.body.appendChild(link);
      link.click();
      link.remove();
      setTimeout(() => URL.revokeObjectURL(link.href), 10000);
    }, 'image/png');
    closeMenu();
    focusGame();
  }

  // ---- Playing a campaign ---------------------------------------------------------------------

  // Plays a campaign; a game still running is asked to stop first.
  function play(campaign) {
    if (state.running) {
      state.pendingCampaign = campaign;
      page.quitRequested = true;
      page.wake();
      return;
    }
    state.campaign = campaign;
    state.status = 'playing';
    state.endReason = null;
    state.error = null;
    releaseKeys();
    keptEvents[0].length = 0;
    keptEvents[1].length = 0;
    endFinger();
    page.quitRequested = false;
    hideOverlay();
    closeMenu();
    removePickedExcept(campaign.dir);
    updateStatusLine();
    focusGame();
    state.running = Module.ccall('varnholt_play', 'number', ['string', 'number'],
      [campaign.dir, params.has('classic') ? 1 : 0], { async: true });
    Promise.resolve(state.running).then(() => {
      state.running = null;
      if (state.pendingCampaign) {
        const next = state.pendingCampaign;
        state.pendingCampaign = null;
        play(next);
      }
    }, (error) => {
      state.running = null;
      fail('Varnholt stopped unexpectedly', String(error));
    });
  }

  // The picked folders live in /picked/N/<name>; all but the one playing are removed.
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
  function removePickedExcept(dir) {
    const FS = Module.FS;
    if (!FS.analyzePath('/picked').exists) return;
    // A folder cannot go while the game stands in it: the game enters its next campaign itself.
    const keptSlot = dir.startsWith('/picked/') ? dir.split('/').slice(0, 3).join('/') + '/' : null;
    if (FS.cwd().startsWith('/picked/') && !(keptSlot && FS.cwd().startsWith(keptSlot))) FS.chdir('/');
    for (const name of FS.readdir('/picked')) {
      if (name === '.' || name === '..') continue;
      if (!dir.startsWith(`/picked/${name}/`)) removeTree('/picked/' + name);
    }
  }

  // The picked folder's own files (not its subfolders) into /picked/N/<folder name>.
  async function loadFolder(fileList) {
    const files = Array.from(fileList);
    if (files.length === 0) return null;
    const first = files[0].webkitRelativePath || files[0].name;
    const name = (first.includes('/') ? first.split('/')[0] : 'campaign').replace(/[^\w .,()-]/g, '_') || 'campaign';
    const FS = Module.FS;
    if (!FS.analyzePath('/picked').exists) FS.mkdir('/picked');
    const slot = `/picked/${++state.picks}`;
    FS.mkdir(slot);
    const dir = `${slot}/${name}`;
    FS.mkdir(dir);
    for (const file of files) {
      const parts = (file.webkitRelativePath || file.name).split('/');
      if (parts.length > 2) continue;
      FS.writeFile(dir + '/' + file.name, new Uint8Array(await file.arrayBuffer()));
    }
    return { dir, name: `the campaign "${name}"`, folder: name, problems: 0 };
  }

  // The content checker's findings, straight from the game (it runs at once, even while a game waits).
  function checkCampaign(dir) {
    const size = Module.lengthBytesUTF8(dir) + 1;
    const pointer = Module._malloc(size);
    try {
      Module.stringToUTF8(dir, pointer, size);
      return JSON.parse(Module.UTF8ToString(Module._varnholt_check(pointer)));
    } finally {
      Module._free(pointer);
    }
  }

  // What is done with a picked folder: played when the game can start it, after asking when the checker
  // found problems (the game then does what it can, as the native game does), refused only when a file
  // it cannot start without is missing. A refused or declined campaign changes nothing that plays.
  function offerCampaign(campaign) {
    const result = checkCampaign(campaign.dir);
    const keepPlaying = state.status === 'playing';
    const elsewhere = keepPlaying ? ['back'] : ['overlay-default'];
    if (result.missing) {
      state.asking = true;
      removePickedExcept(state.campaign.dir);
      showOverlay(`${campaignTitle(campaign)} cannot be played`,
        `${result.missing} is not in the folder ${campaign.folder}: the game cannot start without it.`, elsewhere, true);
      return;
    }
    campaign.problems = result.problems;
    if (result.problems === 0) {
      play(campaign);
      return;
    }
    state.asking = true;
    state.offered = campaign;
    const what = result.problems === 1 ? 'a problem' : `${result.problems} problems`;
    showOverlay(`${campaignTitle(campaign)} has ${what}`,
      `The content checker found (${result.summary}):\n` + result.findings.join('\n') +
      '\n\nThe game can start it all the same; what is broken may be missing or wrong in play.',
      ['anyway', ...elsewhere], false, true);
  }

  $('pick').addEventListener('click', () => {
    closeMenu();
    $('folder').click();
  });
  $('folder').addEventListener('change', async (event) => {
    try {
      const campaign = await loadFolder(event.target.files);
      event.target.value = '';
      if (campaign) offerCampaign(campaign);
    } catch (error) {
      state.asking = true;
      showOverlay('The picked folder cannot be read', String(error.message || error),
        state.status === 'playing' ? ['back'] : ['overlay-default'], true);
    }
  });
  $('anyway').addEventListener('click', () => {
    const campaign = state.offered;
    state.offered = null;
    if (campaign) play(campaign);
  });
  $('back').addEventListener('click', () => {
    state.offered = null;
    removePickedExcept(state.campaign.dir);
    hideOverlay();
    focusGame();
  });
  const playDefault = () => play(DEFAULT_CAMPAIGN);
  $('default').addEventListener('click', playDefault);
  $('overlay-default').addEventListener('click', playDefault);
  $('again').addEventListener('click', () => play(state.campaign));
  $('fullscreen').addEventListener('click', toggleFullscreen);
  $('shot').addEventListener('click', saveScreenshot);
  canvas.addEventListener('click', focusGame);

  function replay() {
    const keysUrl = params.get('keys');
    const frames = Number.parseInt(params.get('frames') || '0', 10) || 0;
    state.status = 'replaying';
    showOverlay('Replaying ' + keysUrl + '…');
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
      .catch((error) => fail('The key script cannot be replayed', String(error.message || error)));
  }

  // Battle frames timed in the page: the game driven to battle 1 with the virtual clock, then `frames`
  // more. The time is the page's (wall) clock without the waits; a test can take the processor time
  // of two runs of different lengths instead.
  function runBench(frames) {
    return Promise.resolve(Module.ccall('varnholt_bench', 'number', ['string', 'number'], ['/campaign', frames],
      { async: true })).then((microseconds) => ({ frames, microsecondsPerFrame: microseconds }));
  }
  function bench() {
    const frames = Number.parseInt(params.get('bench'), 10) || 2000;
    state.status = 'benchmarking';
    runBench(frames).then((result) => {
      state.bench = result;
      state.status = 'benchmarked';
      showOverlay(`Battle frame: ${result.microsecondsPerFrame.toFixed(1)} µs of work (${frames} frames)`);
    }, (error) => fail('The benchmark stopped', String(error)));
  }

  // ---- Loading the game's files ---------------------------------------------------------------

  // What the files are to a player, and which is which.
  const FILE_ROLES = { js: "the game's start-up script", wasm: "the game's program", data: "the game's pictures and texts" };

  class LoadFailure extends Error {
    constructor(file, kind, detail) {
      super(`${file.url}: ${kind}`);
      this.file = file;
      this.kind = kind;  // network, missing, status, damaged, unsupported
      this.detail = detail;
    }
  }

  function megabytes(bytes) {
    return (bytes / 1e6).toFixed(bytes < 1e7 ? 1 : 0) + ' MB';
  }

  function showProgress() {
    const load = state.load;
    const total = Object.values(gameFiles).reduce((sum, file) => sum + file.size, 0);
    const received = Object.keys(gameFiles).reduce((sum, key) => sum + (load.received[key] || 0), 0);
    $('progress').hidden = false;
    $('progress-bar').style.width = `${Math.min(100, (100 * received) / total).toFixed(1)}%`;
    $('progress-text').textContent = `${megabytes(received)} of ${megabytes(total)}`;
  }

  async function sha256Hex(bytes) {
    const digest = await crypto.subtle.digest('SHA-256', bytes);
    return Array.from(new Uint8Array(digest), (b) => b.toString(16).padStart(2, '0')).join('');
  }

  // One file, its bytes counted as they come, checked against the size and hash index.html names.
  async function download(key, retry) {
    const file = gameFiles[key];
    let response;
    try {
      // Once a try failed, past every cache: a damaged copy kept anywhere is not used again.
      response = await fetch(file.url, { cache: retry ? 'reload' : 'default' });
    } catch (error) {
      throw new LoadFailure(file, 'network', String(error.message || error));
    }
    if (!response.ok) {
      throw new LoadFailure(file, response.status === 404 || response.status === 410 ? 'missing' : 'status',
        `${response.status} ${response.statusText}`.trim());
    }
    const bytes = new Uint8Array(file.size);
    let received = 0;
    let damaged = false;
    try {
      const reader = response.body.getReader();
      for (;;) {
        const { done, value } = await reader.read();
        if (done) break;
        if (received + value.length > file.size) {
          damaged = true;
          received += value.length;
          continue;
        }
        bytes.set(value, received);
        received += value.length;
        state.load.received[key] = received;
        showProgress();
      }
    } catch (error) {
      throw new LoadFailure(file, 'network', String(error.message || error));
    }
    if (damaged || received !== file.size) {
      throw new LoadFailure(file, 'damaged', `${received} bytes arrived, ${file.size} were expected`);
    }
    // The hash needs a secure context (https or this computer); elsewhere the size alone is checked.
    if (window.crypto && crypto.subtle && (await sha256Hex(bytes)) !== file.sha256) {
      throw new LoadFailure(file, 'damaged', 'its content is not the one this page names');
    }
    return bytes;
  }

  function describeFailure(failure) {
    const role = FILE_ROLES[Object.keys(gameFiles).find((key) => gameFiles[key] === failure.file)] || 'a file';
    const name = `${role} (${failure.file.url})`;
    switch (failure.kind) {
      case 'network':
        return [`Varnholt could not be loaded: ${name} did not arrive.`,
          navigator.onLine === false ? 'This device is offline. Connect it to the internet, then try again.'
            : 'The connection broke off. Check the connection, then try again.'];
      case 'missing':
        return [`Varnholt could not be loaded: the server does not have ${name}.`,
          'The game may have been updated since this page was opened. Trying again loads the current version.'];
      case 'status':
        return [`Varnholt could not be loaded: the server refused ${name} (${failure.detail}).`,
          'Try again in a moment.'];
      case 'damaged':
        return [`Varnholt could not be loaded: ${name} arrived damaged.`,
          'It is not the file this page expects. Trying again downloads it afresh.'];
      default:
        return [`This browser cannot run Varnholt: it could not start ${name}.`,
          'Varnholt needs a browser with WebAssembly, such as a current Firefox, Chrome, Edge or Safari.'];
    }
  }

  function loadFailed(failure) {
    state.status = 'error';
    state.error = failure.message;
    state.load.failure = failure;
    console.error('varnholt: ' + failure.message + (failure.detail ? ` (${failure.detail})` : ''));
    const [text, detail] = describeFailure(failure);
    showOverlay(text, detail, failure.kind === 'unsupported' ? [] : ['retry']);
  }

  // Downloads what is not here yet, then starts the runtime with it.
  async function load() {
    if (!state.load) state.load = { bytes: {}, received: {}, tries: 0, failure: null };
    const load = state.load;
    // A file the server no longer has belongs to an older version of the site: the new page knows the
    // new names.
    if (load.failure && load.failure.kind === 'missing') {
      location.reload();
      return;
    }
    const retry = load.tries++ > 0;
    load.failure = null;
    state.status = 'loading';
    state.error = null;
    showOverlay('Loading Varnholt…');
    showProgress();
    if (location.protocol === 'file:') {
      state.status = 'error';
      showOverlay('Varnholt has to be opened from a web address.',
        'A page opened as a file of this device cannot load the game. Open it from the server that hosts it ' +
        '(for a copy on this computer: scripts/web.sh, then http://localhost:8080/).');
      return;
    }
    if (typeof WebAssembly !== 'object') {
      loadFailed(new LoadFailure(gameFiles.wasm, 'unsupported', 'no WebAssembly'));
      return;
    }
    const wanted = Object.keys(gameFiles).filter((key) => !load.bytes[key]);
    const results = await Promise.allSettled(wanted.map((key) => download(key, retry).then((bytes) => {
      load.bytes[key] = bytes;
    }, (failure) => {
      load.received[key] = 0;
      throw failure;
    })));
    const failed = results.find((result) => result.status === 'rejected');
    if (failed) {
      loadFailed(failed.reason instanceof LoadFailure ? failed.reason
        : new LoadFailure(gameFiles.js, 'network', String(failed.reason)));
      return;
    }
    let compiled;
    try {
      compiled = await WebAssembly.compile(load.bytes.wasm);
    } catch (error) {
      load.bytes.wasm = null;
      loadFailed(new LoadFailure(gameFiles.wasm, 'unsupported', String(error.message || error)));
      return;
    }
    startRuntime(compiled, load.bytes.data, load.bytes.js);
  }

  function startRuntime(compiled, data, script) {
    window.Module = {
      print: (text) => console.log(text),
      printErr: (text) => console.error(text),
      locateFile: (name) => (name === 'varnholt.wasm' ? gameFiles.wasm.url : name === 'varnholt.data' ? gameFiles.data.url : name),
      instantiateWasm: (imports, receive) => {
        WebAssembly.instantiate(compiled, imports).then((instance) => receive(instance, compiled),
          (error) => loadFailed(new LoadFailure(gameFiles.wasm, 'unsupported', String(error.message || error))));
        return {};
      },
      // The data package as downloaded above, instead of a second request of its own.
      getPreloadedPackage: () => data.buffer,
      onAbort: (what) => fail('Varnholt stopped unexpectedly', String(what)),
      onRuntimeInitialized: () => {
        state.load.bytes = {};
        if (state.mode === 'replay') replay();
        else if (state.mode === 'bench') bench();
        else play(state.campaign);
      },
    };
    const element = document.createElement('script');
    element.src = URL.createObjectURL(new Blob([script], { type: 'text/javascript' }));
    element.onerror = () => loadFailed(new LoadFailure(gameFiles.js, 'damaged', 'the script does not run'));
    document.body.appendChild(element);
  }

  $('retry').addEventListener('click', () => load());

  // ---- Offline ---------------------------------------------------------------------------------

  // The service worker keeps this version of the site for playing without a network. It is registered
  // once the game shows its first picture, so its own downloads never slow down the first one.
  let serviceWorker = null;
  function registerServiceWorker() {
    if (!('serviceWorker' in navigator) || !window.isSecureContext || serviceWorker) return;
    serviceWorker = navigator.serviceWorker.register('sw.js').catch((error) => {
      console.warn('varnholt: the game cannot be kept for playing offline: ' + error);
      return null;
    });
  }

  // ---- For tests and players: what the page and the game are doing ---------------------------

  window.varnholt = {
    status: () => state.status,
    error: () => state.error,
    endReason: () => state.endReason,
    // The game's state as a replay reports it: the replay's last, else the live game's now (null when
    // none runs).
    state: () => JSON.parse(window.varnholt.stateText() || 'null'),
    stateText: () => {
      if (state.replay) return state.replay.json;
      if (!window.Module || !Module._varnholt_live_game_state) return null;
      const text = Module.UTF8ToString(Module._varnholt_live_game_state());
      return text === 'null' ? null : text;
    },
    hashes: () => (state.replay ? state.replay.hashes : null),
    summary: () => (state.replay ? state.replay.summary : null),
    // The keys of the session being played (or played last) as a key script, and the state the last
    // session ended in (null while one runs): what varnholt-replay --keys gives for them.
    sessionKeys: () => Module.UTF8ToString(Module._varnholt_session_keys()),
    lastState: () => JSON.parse(Module.UTF8ToString(Module._varnholt_last_state())),
    bench: () => state.bench,
    // Another benchmark run (after the first has ended): resolves to { frames, microsecondsPerFrame }.
    runBench: (frames) => runBench(frames),
    firstFrameAt: () => state.firstFrameAt,
    framesShown: () => state.framesShown,
    // Direct calls: they return at once, even while the game sleeps in a wait.
    live: () => JSON.parse(Module.UTF8ToString(Module._varnholt_live_state())),
    frameWork: (screen) => Module._varnholt_frame_work(screen),
    screens: SCREENS,
    // The picture's placement: the canvas's size on the page (CSS pixels), its own size and the scale.
    placement: () => {
      const box = canvas.getBoundingClientRect();
      const screen = $('screen');
      return { left: box.left, top: box.top, width: box.width, height: box.height, canvasWidth: canvas.width,
        canvasHeight: canvas.height, enlargement, layout: body.className, boxWidth: screen.clientWidth,
        boxHeight: screen.clientHeight };
    },
    // The frame as the game presented it, 800 x 600 RGBA, base64.
    framePixels: () => {
      const bytes = frameContext.getImageData(0, 0, FRAME_WIDTH, FRAME_HEIGHT).data;
      let text = '';
      for (let i = 0; i < bytes.length; i += 0x8000) text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
      return btoa(text);
    },
    // Resolves when the service worker has taken the site in (null where there is none).
    offlineReady: () => (serviceWorker ? serviceWorker.then(() => navigator.serviceWorker.ready).then(() => true) : Promise.resolve(null)),
    version: () => document.querySelector('meta[name="varnholt-version"]').content,
  };

  window.addEventListener('error', (event) => fail('Varnholt stopped unexpectedly', String(event.message || event.error)));
  window.addEventListener('unhandledrejection', (event) => fail('Varnholt stopped unexpectedly', String(event.reason)));

  layout();
  load();
})();
