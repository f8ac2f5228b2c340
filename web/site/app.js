// The browser edition's front end: the page's clock, keys, pointers, sound, store and menus
// around the device, which runs in WebAssembly exactly as on the desktop.
'use strict';

(() => {
  const STORE_KEY = 'quendrix50/Quendrix50.conf';
  const SAMPLES = ['Bombfall', 'Bonus0', 'Bonus1', 'Bonus2', 'Bonus3', 'Bonus4', 'Bonus5',
    'Bonus6', 'Bonus7', 'Chance', 'Enemy', 'Gameover', 'Miss1', 'Miss2', 'Miss3', 'Move',
    'Movebomb', 'Start'];
  // KeyboardEvent.code of the 44 assignable keys, as the device's virtual-key codes.
  const KEY_CODES = (() => {
    const map = { ArrowUp: 38, ArrowDown: 40, ArrowLeft: 37, ArrowRight: 39, AltLeft: 18,
      AltRight: 18, ControlLeft: 17, ControlRight: 17, ShiftLeft: 16, ShiftRight: 16,
      Space: 32 };
    for (let d = 0; d <= 9; ++d) map['Digit' + d] = 48 + d;
    for (let c = 65; c <= 90; ++c) map['Key' + String.fromCharCode(c)] = c;
    return map;
  })();

  const q50 = window.q50 = { events: [], sounds: [], ready: false, paints: 0 };
  const $ = (id) => document.getElementById(id);
  const params = new URLSearchParams(location.search);
  const canvas = $('device');
  const stage = $('stage');
  let M = null; // the WebAssembly module
  let stopped = false;

  function tell(text) {
    const p = $('message');
    p.textContent = text;
    p.hidden = false;
    clearTimeout(tell.timer);
    tell.timer = setTimeout(() => { p.hidden = true; }, 8000);
  }

  // ---- the store: the desktop's settings file as one text ----
  function readStore() {
    try {
      const text = localStorage.getItem(STORE_KEY);
      return typeof text === 'string' ? text : '';
    } catch (e) {
      return '';
    }
  }
  function keepStore(text) {
    try {
      localStorage.setItem(STORE_KEY, text);
    } catch (e) {
      tell('The settings could not be kept: ' + e.message);
    }
  }

  // ---- virtual time from the page's clock ----
  // Device time is the page clock since switch-on less every pause; a hidden page pauses it.
  let origin = 0;
  let pausedAt = null;
  let pausedTotal = 0;
  let timer = 0;
  const clockNow = () => performance.now();
  const deviceNow = () => Math.floor((pausedAt ?? clockNow()) - origin - pausedTotal);

  function arm(due) {
    clearTimeout(timer);
    timer = 0;
    if (due < 0 || pausedAt !== null || stopped) return;
    const wait = Math.max(0, due - ((clockNow() - origin) - pausedTotal));
    timer = setTimeout(() => run(null), Math.ceil(wait));
  }
  // Catches the device up to now, runs `action` (an input, a command), re-arms and paints.
  function run(action) {
    if (!M || stopped) return;
    if (pausedAt === null) M._q50_advance(deviceNow());
    if (action) action();
    const due = pausedAt === null ? M._q50_advance(deviceNow()) : -1;
    takeEvents();
    arm(due);
    if (!!M._q50_fullscreen() !== fullscreenShown) laidOut = false;
    requestPaint();
  }
  function takeEvents() {
    const text = M.UTF8ToString(M._q50_take_events());
    if (!text) return;
    const lines = text.split('\n');
    lines.pop();
    for (const l of lines) q50.events.push(l);
    if (/ mode /.test(text)) showAclText();
  }
  function switchOn(storeText) {
    origin = clockNow();
    pausedAt = null;
    pausedTotal = 0;
    // ?seed=N repeats a run's draws (tests, a report); otherwise one seed a switch-on.
    const asked = /^\d{1,10}$/.test(params.get('seed') || '') ? Number(params.get('seed')) : NaN;
    const seed = asked >= 0 && asked < 2 ** 32 ? asked
      : crypto.getRandomValues(new Uint32Array(1))[0];
    const d = new Date();
    const msOfDay = ((d.getHours() * 60 + d.getMinutes()) * 60 + d.getSeconds()) * 1000 +
      d.getMilliseconds();
    q50.events = []; // each run's events from its switch-on
    withText(storeText, (p, n) => M._q50_start(p, n, seed, msOfDay, screen.width, screen.height));
    laidOut = false;
    readShowSettings();
    run(null);
    readSoundSettings();
  }
  function setting(name, dflt) {
    return withText(name, (p) => M._q50_read_setting(p, dflt));
  }
  // The zoom and the view as the desktop stores them; no stored View leaves the page's own
  // choice (the LCD alone on a screen held sideways too low for the device).
  function readShowSettings() {
    const z = setting('Zoom', 0);
    zoom = [0, 100, 200, 300, 400].includes(z) ? z : 0;
    fullscreenZoom = setting('FullscreenZoom', 0) === 100 ? 100 : 0;
    const v = setting('View', -1);
    viewChosen = v !== -1;
    if (viewChosen) view = v === 1 ? 1 : 0;
  }
  function readSoundSettings() {
    volume = Math.min(100, Math.max(0, setting('Volume', 100))) / 100;
    muted = setting('Muted', 0) !== 0;
    q50.volume = volume;
    q50.muted = muted;
  }
  function setVolume(v) {
    volume = Math.min(100, Math.max(0, Math.round(v * 10) * 10)) / 100;
    run(() => withText('Volume', (p) => M._q50_write_setting(p, Math.round(volume * 100))));
    q50.volume = volume;
    tell('Volume ' + Math.round(volume * 100) + ' %');
  }
  function setMuted(on) {
    muted = on;
    if (muted) silence();
    run(() => withText('Muted', (p) => M._q50_write_setting(p, on ? 1 : 0)));
    q50.muted = muted;
  }
  function setPaused(on) {
    if (!M || stopped || on === (pausedAt !== null)) return;
    if (on) {
      // The clock is read once: the device is caught up to the very millisecond the pause
      // holds, so the resume comes at the same device time and nothing runs in between.
      pausedAt = clockNow();
      M._q50_advance(deviceNow());
      M._q50_pause();
      takeEvents();
      arm(-1);
      requestPaint();
      silence();
    } else {
      const ms = clockNow() - pausedAt;
      pausedTotal += ms;
      pausedAt = null;
      run(() => M._q50_resume(Math.floor(ms)));
    }
    q50.paused = on;
  }

  // ---- the picture ----
  let paintPending = false;
  let view = 0; // 0 the whole device, 1 the LCD only
  let viewChosen = false;
  function requestPaint() {
    if (paintPending) return;
    paintPending = true;
    requestAnimationFrame(paint);
  }
  function paint() {
    paintPending = false;
    if (!M) return;
    if (!laidOut) fit();
    const n = M._q50_paint();
    const w = M._q50_frame_width();
    const h = M._q50_frame_height();
    if (canvas.width !== w || canvas.height !== h) {
      canvas.width = w;
      canvas.height = h;
    }
    place();
    if (n === 0 || !w || !h) return;
    const ctx = canvas.getContext('2d');
    const image = new ImageData(new Uint8ClampedArray(M.HEAPU8.buffer, M._q50_frame(), w * h * 4),
      w, h);
    const parts = new Int32Array(M.HEAPU8.buffer, M._q50_parts(), n * 4);
    for (let i = 0; i < n; ++i)
      ctx.putImageData(image, 0, 0, parts[i * 4], parts[i * 4 + 1], parts[i * 4 + 2],
        parts[i * 4 + 3]);
    q50.paints++;
    if (q50.firstFrame === undefined) q50.firstFrame = performance.now();
  }
  // The rectangle of a control in design pixels, or (shown) in CSS pixels on the canvas.
  function rectOf(name, shown = false) {
    const p = M._malloc(16);
    withText(name, (n) => M._q50_rect_of(n, shown ? 1 : 0, p));
    const r = new Int32Array(M.HEAPU8.buffer, p, 4).slice();
    M._free(p);
    return { left: r[0], top: r[1], width: r[2], height: r[3] };
  }
  // Where a control shows on the page, in CSS pixels (for tests).
  q50.clientRectOf = (name) => {
    const r = rectOf(name, true);
    const c = canvas.getBoundingClientRect();
    return { x: c.left + r.left, y: c.top + r.top, width: r.width, height: r.height };
  };
  // The device (or its LCD) as large as the page shows it whole, or at the stored zoom where
  // that fits, drawn by the presenter at the screen's own pixels (the device-pixel ratio), from
  // the skin's larger drawings where needed. In fullscreen mode the device lays itself out for
  // the screen, over the backdrop, as the desktop's fullscreen mode does.
  let laidOut = false;
  let zoom = 0; // the stored Zoom: 0 fits the page, else a percentage
  let fullscreenZoom = 0; // the stored FullscreenZoom: 0 fits the screen, or 100
  let fitScale = 1; // CSS pixels per design pixel at fit, as last laid out
  let room = { left: 0, top: 0, width: 0, height: 0 }; // where the canvas goes
  let fullscreenShown = false;
  function fit() {
    const dw = M._q50_client_width();
    const dh = M._q50_client_height();
    if (!dw || !dh) return;
    laidOut = true;
    const aw = innerWidth;
    const ah = innerHeight;
    if (!viewChosen) view = aw > ah && ah < dh ? 1 : 0;
    const lcd = rectOf('im_background_screen_top');
    const lcdView = view === 1 && lcd.width > 0;
    room = lcdView ? layOutPads(aw, ah) : { left: 0, top: 0, width: aw, height: ah };
    $('lcd-pads').hidden = !lcdView;
    const ratio = devicePixelRatio || 1;
    fullscreenShown = !!M._q50_fullscreen();
    if (fullscreenShown) {
      M._q50_set_screen(Math.round(room.width), Math.round(room.height), ratio, fullscreenZoom,
        lcdView ? 1 : 0);
      q50.scale = M._q50_view_scale();
    } else {
      const area = lcdView ? lcd : { width: dw, height: dh };
      fitScale = Math.min(room.width / area.width, room.height / area.height);
      const scale = zoom && zoom / 100 <= fitScale ? zoom / 100 : fitScale;
      M._q50_set_output(scale * ratio, ratio, lcdView ? 1 : 0);
      q50.scale = scale;
    }
    q50.view = view;
    q50.zoom = zoom;
    q50.room = room;
    requestPaint();
  }
  // The LCD-only view's touch pads lie beside the LCD, never over it: held sideways, left and
  // right in a column on the left and the bomb on the right, as on the device; upright, in a
  // row below. GAME A, GAME B, TIME and ACL (OPEN while the lid is closed) make a row under
  // the LCD. Returns the room left for the LCD.
  function layOutPads(aw, ah) {
    const put = (el, x, y, w, h) => Object.assign(el.style,
      { left: x + 'px', top: y + 'px', width: w + 'px', height: h + 'px' });
    const keysHigh = Math.round(Math.min(56, Math.max(40, ah * 0.1)));
    let lcdRoom;
    if (aw > ah) {
      const side = Math.round(Math.min(260, Math.max(110, aw * 0.2)));
      put($('pad-left'), 0, 0, side / 2, ah);
      put($('pad-right'), side / 2, 0, side / 2, ah);
      put($('pad-bomb'), aw - side, 0, side, ah);
      put($('lcd-keys'), side, ah - keysHigh, aw - 2 * side, keysHigh);
      lcdRoom = { left: side, top: 0, width: aw - 2 * side, height: ah - keysHigh };
    } else {
      const high = Math.round(Math.min(260, Math.max(110, ah * 0.22)));
      put($('pad-left'), 0, ah - high, aw * 0.3, high);
      put($('pad-right'), aw * 0.3, ah - high, aw * 0.3, high);
      put($('pad-bomb'), aw * 0.6, ah - high, aw * 0.4, high);
      put($('lcd-keys'), 0, ah - high - keysHigh, aw, keysHigh);
      lcdRoom = { left: 0, top: 0, width: aw, height: ah - high - keysHigh };
    }
    return lcdRoom;
  }
  function place() {
    const ratio = devicePixelRatio || 1;
    const w = canvas.width / ratio;
    const h = canvas.height / ratio;
    canvas.style.width = w + 'px';
    canvas.style.height = h + 'px';
    canvas.style.position = 'absolute';
    canvas.style.left = room.left + (room.width - w) / 2 + 'px';
    canvas.style.top = room.top + (room.height - h) / 2 + 'px';
  }
  addEventListener('resize', () => { if (M) { laidOut = false; requestPaint(); } });

  // ---- sound ----
  let audio = null;
  const buffers = new Map();
  const playing = new Set();
  let volume = 1;
  let muted = false;
  // The samples are decoded at the start, so that the first sound after the first key is there;
  // the browser lets the context run only from a key, a click or a touch on.
  function loadSounds() {
    try {
      audio = new AudioContext();
    } catch (e) {
      return;
    }
    // A browser that holds sound back until the player acts keeps the context suspended: a
    // small hint says so until it runs.
    audio.addEventListener('statechange', showSoundHint);
    setTimeout(showSoundHint, 500);
    for (const name of SAMPLES)
      fetch('data/Sound/' + name + '.wav').then((r) => r.arrayBuffer())
        .then((b) => audio.decodeAudioData(b)).then((b) => buffers.set(name, b))
        .catch(() => {});
  }
  function startAudio() {
    if (!audio) return;
    if (audio.state !== 'running') audio.resume().catch(() => {});
  }
  // Any key, click or touch on the page lets the sound run, wherever it lands.
  for (const type of ['keydown', 'pointerdown', 'touchend'])
    document.addEventListener(type, () => startAudio(), { capture: true, passive: true });
  function showSoundHint() {
    $('sound-hint').hidden = !audio || audio.state === 'running' || stopped;
    q50.audioState = audio ? audio.state : 'none';
  }
  function silence() {
    for (const s of playing) s.stop();
    playing.clear();
  }
  // Each sample starts at its own device time, which the page may reach a little later.
  function playSound(name, time) {
    if (name === 'silence') {
      silence();
      return;
    }
    if (!audio || muted || pausedAt !== null) return;
    const buffer = buffers.get(name);
    if (!buffer) return;
    const s = audio.createBufferSource();
    s.buffer = buffer;
    const g = audio.createGain();
    g.gain.value = volume;
    s.connect(g).connect(audio.destination);
    const late = (deviceNow() - time) / 1000;
    s.start(audio.currentTime + Math.max(0, -late));
    q50.sounds.push({ name, time });
    playing.add(s);
    s.onended = () => playing.delete(s);
  }

  // ---- keys ----
  const held = new Set();
  addEventListener('keydown', (e) => {
    if (document.querySelector('dialog[open]')) return;
    if (shortcut(e)) return;
    const code = KEY_CODES[e.code];
    if (code === undefined) return;
    e.preventDefault();
    startAudio();
    // A held key is one press: the browser's repeats are not new presses.
    if (e.repeat || held.has(e.code)) return;
    held.add(e.code);
    run(() => M._q50_key(code, 1));
  });
  addEventListener('keyup', (e) => {
    const code = KEY_CODES[e.code];
    if (code === undefined || !held.has(e.code)) return;
    held.delete(e.code);
    e.preventDefault();
    run(() => M._q50_key(code, 0));
  });
  addEventListener('blur', () => {
    for (const c of held) run(() => M._q50_key(KEY_CODES[c], 0));
    held.clear();
    run(() => M._q50_pointers_cancelled());
  });

  // ---- mouse and fingers on the pictured buttons ----
  function designPoint(e) {
    const r = canvas.getBoundingClientRect();
    const p = M._malloc(8);
    M._q50_to_design(e.clientX - r.left, e.clientY - r.top, p);
    const d = new Int32Array(M.HEAPU8.buffer, p, 2).slice();
    M._free(p);
    return [d[0], d[1]];
  }
  const pointers = new Set();
  canvas.addEventListener('pointerdown', (e) => {
    if (e.button !== 0) return;
    e.preventDefault();
    startAudio();
    closeMenu();
    const [x, y] = designPoint(e);
    pointers.add(e.pointerId);
    canvas.setPointerCapture(e.pointerId);
    watchLongPress(e, !!M._q50_button_at(x, y));
    run(() => M._q50_pointer(e.pointerId, 1, x, y));
  });
  function pointerEnd(e) {
    if (!pointers.delete(e.pointerId)) return;
    const [x, y] = designPoint(e);
    run(() => M._q50_pointer(e.pointerId, 0, x, y));
  }
  canvas.addEventListener('pointerup', pointerEnd);
  canvas.addEventListener('pointercancel', pointerEnd);
  // The LCD-only view's touch areas and buttons: each press is its pointer's own, released by
  // that pointer, as the assignment's key would press and release it.
  for (const b of document.querySelectorAll('#lcd-pads button')) {
    const n = Number(b.dataset.assignment);
    const down = new Set();
    b.addEventListener('pointerdown', (e) => {
      e.preventDefault();
      startAudio();
      closeMenu();
      b.setPointerCapture(e.pointerId);
      down.add(e.pointerId);
      b.classList.add('down');
      run(() => M._q50_assignment(n, 1));
    });
    const up = (e) => {
      if (!down.delete(e.pointerId)) return;
      e.preventDefault();
      if (down.size === 0) b.classList.remove('down');
      run(() => M._q50_assignment(n, 0));
      if (n === 4) showAclText();
    };
    b.addEventListener('pointerup', up);
    b.addEventListener('pointercancel', up);
    b.addEventListener('contextmenu', (e) => { e.preventDefault(); e.stopPropagation(); });
  }
  // The fourth button opens the lid while it is closed, as the key of that assignment does.
  function showAclText() {
    const closed = M && M._q50_game_state() === 0;
    $('pad-acl').textContent = closed ? 'OPEN' : 'ACL';
  }
  document.addEventListener('touchmove', (e) => e.preventDefault(), { passive: false });

  // ---- game controllers (the Gamepad API's standard mapping) ----
  // The standard mapping's buttons as SDL numbers them (the device's pad dispatch), the
  // triggers (6, 7) apart: they are axes there.
  const PAD_BUTTONS = [0, 1, 2, 3, 9, 10, -1, -1, 4, 6, 7, 8, 11, 12, 13, 14, 5];
  const pads = new Map(); // index -> buttons held at the last look
  let padLoop = 0;
  function readPads() {
    padLoop = 0;
    if (pads.size === 0) return;
    for (const gp of navigator.getGamepads()) {
      if (!gp || !pads.has(gp.index) || gp.mapping !== 'standard') continue;
      const was = pads.get(gp.index);
      const now = gp.buttons.map((b) => b.pressed);
      now.forEach((down, i) => {
        const b = PAD_BUTTONS[i];
        if (b === undefined || b < 0 || down === !!was.buttons[i]) return;
        startAudio();
        if (down && padForDialog(b)) return;
        run(() => M._q50_pad_button(gp.index, b, down ? 1 : 0));
      });
      const axes = gp.axes.slice(0, 2).map((v) => Math.round(Math.max(-1, Math.min(1, v)) * 32767));
      axes.forEach((v, a) => {
        if (v !== was.axes[a]) run(() => M._q50_pad_axis(gp.index, a, v));
      });
      pads.set(gp.index, { buttons: now, axes });
    }
    padLoop = requestAnimationFrame(readPads);
  }
  // Read only while a controller is connected.
  addEventListener('gamepadconnected', (e) => {
    pads.set(e.gamepad.index, { buttons: [], axes: [0, 0] });
    q50.pads = pads.size;
    if (!padLoop) padLoop = requestAnimationFrame(readPads);
  });
  addEventListener('gamepaddisconnected', (e) => {
    pads.delete(e.gamepad.index);
    q50.pads = pads.size;
    run(() => M._q50_pad_removed(e.gamepad.index));
  });

  // ---- hidden page: the device pauses, as AutoPause does ----
  document.addEventListener('visibilitychange', () => setPaused(document.hidden));

  // ---- recordings and replay links ----
  async function toBase64url(text) {
    const stream = new Blob([text]).stream().pipeThrough(new CompressionStream('deflate-raw'));
    const bytes = new Uint8Array(await new Response(stream).arrayBuffer());
    let s = '';
    for (const b of bytes) s += String.fromCharCode(b);
    return btoa(s).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
  }
  async function fromBase64url(code) {
    if (!/^[A-Za-z0-9_-]*$/.test(code)) throw new Error('the link holds characters of no recording');
    const bin = atob(code.replace(/-/g, '+').replace(/_/g, '/'));
    const bytes = Uint8Array.from(bin, (c) => c.charCodeAt(0));
    const stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('deflate-raw'));
    return new Response(stream).text();
  }
  function play(text, from) {
    const ok = withText(text, (p, n) => M._q50_play(p, n, screen.width, screen.height));
    if (!ok) {
      tell(from + ' cannot be played as a recording: ' + M.UTF8ToString(M._q50_error()) + '.');
      return false;
    }
    q50.events = [];
    origin = clockNow();
    pausedAt = null;
    pausedTotal = 0;
    laidOut = false;
    $('replay-mark').hidden = false;
    q50.playing = true;
    run(null);
    return true;
  }
  q50.replayLink = async () => {
    const text = M.UTF8ToString(M._q50_recording());
    return location.href.split('#')[0] + '#replay=' + await toBase64url(text);
  };
  q50.recording = () => M.UTF8ToString(M._q50_recording());
  async function playLink() {
    const m = /^#replay=(.*)$/.exec(location.hash);
    if (!m) return false;
    let text;
    try {
      text = await fromBase64url(m[1]);
    } catch (e) {
      tell('The replay link cannot be read: it is damaged or incomplete.');
      return false;
    }
    return play(text, 'The replay link');
  }
  function download(name, blob) {
    const a = document.createElement('a');
    a.href = URL.createObjectURL(blob);
    a.download = name;
    document.body.append(a);
    a.click();
    a.remove();
    setTimeout(() => URL.revokeObjectURL(a.href), 1000);
  }
  $('recording-file').addEventListener('change', async (e) => {
    const f = e.target.files[0];
    e.target.value = '';
    if (!f) return;
    if (f.size > 64 * 1024 * 1024) {
      tell('The file ' + f.name + ' cannot be played as a recording: it is too large.');
      return;
    }
    play(await f.text(), 'The file ' + f.name);
  });

  // The text in the module's memory, NUL-terminated, for `use(pointer, length in bytes)`.
  function withText(text, use) {
    const bytes = new TextEncoder().encode(text);
    const p = M._malloc(bytes.length + 1);
    M.HEAPU8.set(bytes, p);
    M.HEAPU8[p + bytes.length] = 0;
    try {
      return use(p, bytes.length);
    } finally {
      M._free(p);
    }
  }

  // ---- menus and dialogs ----
  const menu = $('menu');
  function rows() {
    const list = [
      { text: 'About...', key: 'F1', bold: true, act: () => showText('About', ABOUT) },
      { text: "View 'Readme.txt'", key: 'F2', act: () => open('data/Readme.txt', '_blank') },
      { text: "View 'Whatsnew.txt'", key: 'F3', act: () => open('data/Whatsnew.txt', '_blank') },
      { text: 'View manual', key: 'F4', act: showManual },
      '-',
      { text: 'Edit configuration file', act: () => open('data/Config.ini', '_blank') },
      { text: 'Key settings', act: showKeys },
      { text: 'Reset Hiscores', act: () => run(() => M._q50_reset_high_scores()) },
      '-',
      { text: 'Display controller overlays', checked: !!M._q50_overlays(),
        act: () => run(() => M._q50_show_overlays(M._q50_overlays() ? 0 : 1)) },
      { text: 'Zoom', sub: zoomRows },
      { text: 'Full screen', checked: !!document.fullscreenElement, act: toggleFullscreen },
      { text: 'Sound', checked: !muted, act: () => setMuted(!muted) },
      { text: 'Volume up', key: '+', act: () => setVolume(volume + 0.1) },
      { text: 'Volume down', key: '-', act: () => setVolume(volume - 0.1) },
      { text: 'Pause', checked: pausedAt !== null, act: () => setPaused(pausedAt === null) },
      { text: 'Save screenshot', act: () => canvas.toBlob((b) => download('quendrix50.png', b)) },
      { text: 'Record this run', act: () => download('run.script',
        new Blob([q50.recording()], { type: 'text/plain' })) },
      { text: 'Play a recording from a file', act: () => $('recording-file').click() },
      { text: 'Copy replay link', act: async () => {
        const link = await q50.replayLink();
        try {
          await navigator.clipboard.writeText(link);
          tell('The replay link is copied.');
        } catch (e) {
          prompt('The replay link:', link);
        }
      } },
      '-',
      { text: 'Exit', key: 'Esc', act: exit },
    ];
    return list;
  }
  // The Zoom rows as the desktop has them, the fixed zooms only where they fit the page; then
  // the view.
  function zoomRows() {
    const pick = (z) => { zoom = z; keepShowSetting('Zoom', z); };
    const list = [{ text: 'Fit to page', radio: zoom === 0, act: () => pick(0) }];
    for (const z of [100, 200, 300, 400])
      if (z / 100 <= fitScale || zoom === z)
        list.push({ text: z + ' %', radio: zoom === z, act: () => pick(z) });
    const full = (z) => { fullscreenZoom = z; keepShowSetting('FullscreenZoom', z); };
    list.push('-',
      { text: 'Fullscreen: fit', radio: fullscreenZoom === 0, act: () => full(0) },
      { text: 'Fullscreen: 100 %', radio: fullscreenZoom === 100, act: () => full(100) },
      '-',
      { text: 'Whole device', radio: view === 0, act: () => setView(0) },
      { text: 'LCD only', radio: view === 1, act: () => setView(1) });
    return list;
  }
  function keepShowSetting(name, value) {
    run(() => withText(name, (p) => M._q50_write_setting(p, value)));
    fit();
  }
  function setView(v) {
    view = v;
    viewChosen = true;
    keepShowSetting('View', v);
  }
  // A menu of `list`'s rows at (x, y); a row with `sub` opens its rows in the menu's place.
  let menuAt = [0, 0];
  function openMenu(x, y, list = rows(), back = null) {
    menuAt = [x, y];
    menu.replaceChildren();
    if (back) {
      const li = document.createElement('li');
      li.setAttribute('role', 'menuitem');
      li.className = 'back';
      li.tabIndex = -1;
      li.textContent = back;
      li.addEventListener('click', () => openMenu(x, y));
      menu.append(li);
    }
    for (const r of list) {
      const li = document.createElement('li');
      if (r === '-') {
        li.setAttribute('role', 'separator');
        menu.append(li);
        continue;
      }
      const role = r.radio !== undefined ? 'menuitemradio'
        : r.checked !== undefined ? 'menuitemcheckbox' : 'menuitem';
      li.setAttribute('role', role);
      const on = r.radio ?? r.checked;
      if (on !== undefined) li.setAttribute('aria-checked', String(on));
      li.tabIndex = -1;
      li.textContent = r.text;
      if (r.bold) li.className = 'default';
      if (r.sub) li.setAttribute('aria-haspopup', 'menu');
      if (r.key || r.sub) {
        const k = document.createElement('span');
        k.className = 'shortcut';
        k.textContent = r.sub ? '\u25b8' : r.key;
        k.setAttribute('aria-hidden', 'true');
        li.append(k);
      }
      const act = () => {
        if (r.sub) openMenu(x, y, r.sub(), r.text);
        else { closeMenu(); r.act(); }
      };
      li.addEventListener('click', act);
      li.addEventListener('keydown', (e) => {
        if (e.key === 'Enter' || e.key === ' ' || (r.sub && e.key === 'ArrowRight')) {
          e.preventDefault();
          act();
        }
      });
      menu.append(li);
    }
    menu.dataset.sub = back ? 'yes' : '';
    menu.hidden = false;
    const w = menu.offsetWidth;
    const h = menu.offsetHeight;
    menu.style.left = Math.max(0, Math.min(x, innerWidth - w)) + 'px';
    menu.style.top = Math.max(0, Math.min(y, innerHeight - h)) + 'px';
    menu.querySelector('[tabindex]:not(.back)')?.focus();
  }
  function closeMenu() {
    menu.hidden = true;
  }
  menu.addEventListener('keydown', (e) => {
    const items = [...menu.querySelectorAll('[tabindex]')];
    const i = items.indexOf(document.activeElement);
    if (e.key === 'ArrowDown') items[(i + 1) % items.length].focus();
    else if (e.key === 'ArrowUp') items[(i - 1 + items.length) % items.length].focus();
    else if (menu.dataset.sub && (e.key === 'ArrowLeft' || e.key === 'Escape'))
      openMenu(...menuAt);
    else if (e.key === 'Escape') closeMenu();
    else return;
    e.preventDefault();
    e.stopPropagation();
  });
  // A right click opens the menu; so does a finger held still for a moment where it presses
  // nothing (on a button it is a held press: the hero walks).
  document.addEventListener('contextmenu', (e) => {
    e.preventDefault();
    if (pressing.size > 0 || document.querySelector('dialog[open]')) return;
    openMenu(e.clientX, e.clientY);
  });
  const pressing = new Set(); // touches that hold a control
  let longPress = null;
  const LONG_PRESS_MS = 600;
  function watchLongPress(e, onControl) {
    if (e.pointerType !== 'touch') return;
    if (onControl) {
      pressing.add(e.pointerId);
      return;
    }
    clearTimeout(longPress?.timer);
    const at = { id: e.pointerId, x: e.clientX, y: e.clientY };
    at.timer = setTimeout(() => { longPress = null; openMenu(at.x, at.y); }, LONG_PRESS_MS);
    longPress = at;
  }
  function endLongPress(e) {
    pressing.delete(e.pointerId);
    if (longPress && longPress.id === e.pointerId) {
      clearTimeout(longPress.timer);
      longPress = null;
    }
  }
  document.addEventListener('pointermove', (e) => {
    if (longPress && longPress.id === e.pointerId &&
        Math.hypot(e.clientX - longPress.x, e.clientY - longPress.y) > 12) endLongPress(e);
  });
  document.addEventListener('pointerup', endLongPress);
  document.addEventListener('pointercancel', endLongPress);
  stage.addEventListener('pointerdown', (e) => {
    if (e.target === stage) watchLongPress(e, false);
  });
  document.addEventListener('pointerdown', (e) => {
    if (!menu.hidden && !menu.contains(e.target)) closeMenu();
  });
  function shortcut(e) {
    const acts = { F1: 0, F2: 1, F3: 2, F4: 3 };
    if (e.key in acts) {
      e.preventDefault();
      rows()[acts[e.key]].act();
      return true;
    }
    if (e.key === '+' || e.key === '-') {
      e.preventDefault();
      setVolume(volume + (e.key === '+' ? 0.1 : -0.1));
      return true;
    }
    if (e.key === 'Escape') {
      e.preventDefault();
      if (!menu.hidden) closeMenu(); else exit();
      return true;
    }
    return false;
  }
  function toggleFullscreen() {
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    else document.documentElement.requestFullscreen().catch(() => {});
  }
  // The page's full screen is the device's fullscreen mode, recorded and stored as the
  // desktop's: the presenter draws the backdrop and logo around the device for the screen.
  document.addEventListener('fullscreenchange', () => {
    const on = !!document.fullscreenElement;
    run(() => M._q50_set_fullscreen(on ? 1 : 0));
    laidOut = false;
    requestPaint();
  });
  // The in-game menu button of fullscreen mode (and a controller's Guide) opens the menu.
  function openGameMenu() {
    queueMicrotask(() => {
      const r = q50.clientRectOf('btn_game_menu_top');
      openMenu(r.x + r.width, r.y + r.height);
    });
  }
  function exit() {
    stopped = true;
    arm(-1);
    silence();
    canvas.hidden = true;
    $('again').hidden = false;
    $('again-button').focus();
  }
  $('again-button').addEventListener('click', () => {
    $('again').hidden = true;
    canvas.hidden = false;
    stopped = false;
    $('replay-mark').hidden = true;
    q50.playing = false;
    switchOn(readStore());
  });

  const ABOUT = 'Name: Quendrix50\nBirthplace: Linux, in C++ and Qt; this edition in ' +
    'WebAssembly\nBirth date: 2026, version 5.01\nOccupation: LCD game simulator\n' +
    'Hobby: bombs, low and high';
  function showText(title, text) {
    $('text-title').textContent = title;
    $('text-body').textContent = text;
    $('text-window').showModal();
  }
  let manualPage = 1;
  function showManualPage() {
    $('manual-page').src = 'data/Graphics/Manual/' + manualPage + '.bmp';
    $('manual-page').alt = 'Manual page ' + manualPage;
    $('manual-number').textContent = manualPage + ' / 16';
  }
  function showManual() {
    showManualPage();
    $('manual-window').showModal();
  }
  $('manual-back').addEventListener('click', () => { manualPage = Math.max(1, manualPage - 1); showManualPage(); });
  $('manual-next').addEventListener('click', () => { manualPage = Math.min(16, manualPage + 1); showManualPage(); });
  $('manual-window').addEventListener('keydown', (e) => {
    if (e.key === 'ArrowLeft') $('manual-back').click();
    if (e.key === 'ArrowRight') $('manual-next').click();
  });
  // The key dialog: each of the seven assignments takes one of the 44 keys and one controller
  // button; two on one key (or button) mark both rows and hold Accept back, as on the desktop.
  const LABELS = ['Game A', 'Game B', 'Time', 'Open the game/ACL', 'Left', 'Right', 'Bomb'];
  // The standard mapping's buttons a row can take (SDL's numbers; Guide opens the menu), and
  // the names printed on controllers.
  const PAD_CHOICES = [[0, 'A'], [1, 'B'], [2, 'X'], [3, 'Y'], [4, 'Back'], [6, 'Start'],
    [7, 'Left stick'], [8, 'Right stick'], [9, 'Left shoulder'], [10, 'Right shoulder'],
    [11, 'D-pad up'], [12, 'D-pad down'], [13, 'D-pad left'], [14, 'D-pad right']];
  const PAD_DEFAULTS = [6, 4, 3, 2, 13, 14, 0];
  const keySelects = [];
  const padSelects = [];
  function buildKeyRows() {
    if (keySelects.length) return;
    const choices = [];
    for (let c = 1; c <= 44; ++c) choices.push([c, M.UTF8ToString(M._q50_key_text(c))]);
    const rowsOf = (table, kind, options, selects) => {
      for (let n = 1; n <= 7; ++n) {
        const tr = document.createElement('tr');
        const th = document.createElement('th');
        const label = document.createElement('label');
        label.textContent = LABELS[n - 1];
        label.htmlFor = kind + '-' + n;
        th.append(label);
        const td = document.createElement('td');
        const sel = document.createElement('select');
        sel.id = kind + '-' + n;
        for (const [v, text] of options) sel.add(new Option(text, String(v)));
        sel.addEventListener('change', checkKeys);
        td.append(sel);
        tr.append(th, td);
        table.append(tr);
        selects.push(sel);
      }
    };
    rowsOf($('keys-page'), 'key', choices, keySelects);
    rowsOf($('pads-page'), 'pad', PAD_CHOICES, padSelects);
  }
  function checkKeys() {
    let clash = false;
    for (const [page, selects] of [['keys', keySelects], ['pads', padSelects]]) {
      let here = false;
      for (const a of selects) {
        const twice = selects.some((b) => b !== a && b.value === a.value);
        a.setAttribute('aria-invalid', String(twice));
        a.closest('tr').classList.toggle('clash', twice);
        here = here || twice;
      }
      $(page === 'keys' ? 'keys-tab-keys' : 'keys-tab-pads').classList.toggle('clash', here);
      clash = clash || here;
    }
    $('keys-accept').disabled = clash;
    $('keys-clash').hidden = !clash;
    return clash;
  }
  function showKeyPage(pads) {
    $('keys-page').hidden = pads;
    $('pads-page').hidden = !pads;
    $('pads-defaults').hidden = !pads;
    $('keys-tab-keys').setAttribute('aria-selected', String(!pads));
    $('keys-tab-pads').setAttribute('aria-selected', String(pads));
    $('keys-tab-keys').tabIndex = pads ? -1 : 0;
    $('keys-tab-pads').tabIndex = pads ? 0 : -1;
  }
  function showKeys() {
    buildKeyRows();
    for (let n = 1; n <= 7; ++n) {
      keySelects[n - 1].value = String(M._q50_key_choice(n));
      padSelects[n - 1].value = String(M._q50_pad_choice(n));
    }
    showKeyPage(false);
    checkKeys();
    $('keys-window').showModal();
    keySelects[0].focus();
  }
  $('keys-tab-keys').addEventListener('click', () => showKeyPage(false));
  $('keys-tab-pads').addEventListener('click', () => showKeyPage(true));
  for (const id of ['keys-tab-keys', 'keys-tab-pads'])
    $(id).addEventListener('keydown', (e) => {
      if (e.key !== 'ArrowLeft' && e.key !== 'ArrowRight') return;
      const pads = $('keys-page').hidden;
      showKeyPage(!pads);
      $(pads ? 'keys-tab-keys' : 'keys-tab-pads').focus();
    });
  $('pads-defaults').addEventListener('click', () => {
    padSelects.forEach((sel, i) => { sel.value = String(PAD_DEFAULTS[i]); });
    checkKeys();
  });
  $('keys-accept').addEventListener('click', (e) => {
    e.preventDefault();
    if (checkKeys()) return;
    const keys = [0, ...keySelects.map((x) => Number(x.value))];
    const padsChosen = [0, ...padSelects.map((x) => Number(x.value))];
    const p = M._malloc(64);
    new Int32Array(M.HEAPU8.buffer, p, 16).set([...keys, ...padsChosen]);
    let ok = 0;
    run(() => { ok = M._q50_assign(p, p + 32); });
    M._free(p);
    if (!ok) {
      tell('Two actions cannot have the same key or button.');
      return;
    }
    $('keys-window').close();
  });
  // A controller's button while the controller page shows: the focused row takes it, and the
  // row below is next. The game does not see it.
  function padForDialog(b) {
    if (!$('keys-window').open) return false;
    const i = padSelects.indexOf(document.activeElement);
    if (i >= 0 && PAD_CHOICES.some(([v]) => v === b)) {
      padSelects[i].value = String(b);
      checkKeys();
      (padSelects[i + 1] || $('keys-accept')).focus();
    }
    return true;
  }

  // ---- start ----
  async function main() {
    if (typeof WebAssembly !== 'object') {
      $('message').textContent = 'This browser cannot run WebAssembly, which the game needs.';
      $('message').hidden = false;
      return;
    }
    M = await Quendrix50({ keepStore, playSound, openGameMenu });
    loadSounds();
    q50.module = M;
    if (!await playLink()) switchOn(readStore());
    q50.ready = true;
    addEventListener('hashchange', () => playLink());
    if ('serviceWorker' in navigator && location.protocol !== 'file:')
      navigator.serviceWorker.register('sw.js').catch(() => {});
  }
  main().catch((e) => tell('The game could not start: ' + e.message));
})();
