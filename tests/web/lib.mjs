// What the browser tests share: the built site served on a free port of 127.0.0.1, and Debian's
// chromium, headless, driven by playwright-core with real input events.
import { createRequire } from 'node:module';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { gzipSync } from 'node:zlib';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { serve } from '../../web/serve.mjs';

const here = dirname(fileURLToPath(import.meta.url));
export const root = join(here, '..', '..');
const require = createRequire(join(root, 'web', 'package.json'));
const { chromium } = require('playwright-core');
export const site = process.env.Q50_WEB_SITE || join(root, 'build-web', 'site');
export const STORE_KEY = 'quendrix50/Quendrix50.conf';

// A server, a browser with a profile of its own, and a way to end both.
// `ratio`: the screen's device-pixel ratio (a phone's is about 3); `soundHeld`: the browser
// holds sound back until the player acts, as most do.
export async function start({ ratio = 1, soundHeld = false } = {}) {
  const server = await serve(site, 0);
  const url = `http://127.0.0.1:${server.address().port}/`;
  const profile = mkdtempSync(join(tmpdir(), 'q50-chromium-'));
  const args = ['--disable-background-networking', '--disable-component-update', '--disable-sync',
    '--no-first-run', '--disable-quic', '--disable-gpu', '--mute-audio',
    '--autoplay-policy=' + (soundHeld ? 'document-user-activation-required' : 'no-user-gesture-required')];
  if (process.getuid && process.getuid() === 0) args.push('--no-sandbox');
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.Q50_CHROMIUM || '/usr/bin/chromium', headless: true, args,
    deviceScaleFactor: ratio,
  });
  return {
    url, context, server,
    async close() {
      await context.close();
      await new Promise((ok) => server.close(ok));
      server.closeAllConnections?.();
      rmSync(profile, { recursive: true, force: true });
    },
  };
}

// A page of the site (its address plus `suffix`) in a viewport of width x height, once the
// device is switched on and painted.
export async function open(env, { width = 600, height = 800, suffix = '', touch = false } = {}) {
  const page = await env.context.newPage();
  await page.setViewportSize({ width, height });
  if (touch) {
    const cdp = await env.context.newCDPSession(page);
    await cdp.send('Emulation.setTouchEmulationEnabled', { enabled: true, maxTouchPoints: 5 });
    page.cdp = cdp;
  }
  await page.goto(env.url + suffix);
  await page.waitForFunction(() => window.q50 && window.q50.ready && window.q50.paints > 0);
  return page;
}

// Touches through the browser's own touch input (CDP): `points` are {x, y, id}.
export const touch = (page, type, touchPoints) =>
  page.cdp.send('Input.dispatchTouchEvent', { type, touchPoints });
export const centre = (r) => ({ x: r.x + r.width / 2, y: r.y + r.height / 2 });
export const boxOf = (page, selector) =>
  page.$eval(selector, (e) => e.getBoundingClientRect().toJSON());
// The run's recorded presses and releases, without their times.
export const actions = async (page) => (await page.evaluate(() => window.q50.recording()))
  .split('\n').filter((x) => / (press|release) \w+$/.test(x)).map((x) => x.replace(/^at \d+ /, ''));

// How often the long waits look at the page. Playwright's own default looks at every animation
// frame, which keeps the page drawing frames for the whole wait: in a game played to its end
// that was most of the browser's work in these tests.
const POLL_MS = 50;

// The events so far, and a wait for one that matches.
export const events = (page) => page.evaluate(() => window.q50.events.slice());
export async function waitEvent(page, pattern, timeout = 15000) {
  await page.waitForFunction((p) => window.q50.events.some((l) => new RegExp(p).test(l)),
    pattern.source, { timeout, polling: POLL_MS });
}

// The trace tool built to WebAssembly, run by node on `script` with the delivered skin; its
// output lines.
import { execFileSync } from 'node:child_process';
export const traceTool = process.env.Q50_WEB_TRACE ||
  join(root, 'build-web', 'cmake', 'tools', 'quendrix-trace.js');
export function trace(script) {
  const out = execFileSync(process.execPath, [traceTool, '--skin', 'data'],
    { cwd: root, input: script, encoding: 'utf8' });
  return out.split('\n').filter((l) => l !== '');
}

// The page's events up to device time `end`, once the device has passed it.
export async function eventsUntil(page, end, timeout = 60000) {
  await page.waitForFunction((t) => window.q50.module._q50_now() > t, end,
    { timeout, polling: POLL_MS });
  return (await events(page)).filter((l) => Number(l.split(' ')[0]) <= end);
}

// The site's code, gzip-compressed: the .wasm and the scripts (the data apart), in bytes.
export const CODE = ['quendrix50.wasm', 'quendrix50.js', 'app.js'];
export const codeBytes = () => CODE.reduce((sum, f) =>
  sum + gzipSync(readFileSync(join(site, f)), { level: 9 }).length, 0);
