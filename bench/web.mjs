// The browser edition's figures in Debian's chromium, headless, from 127.0.0.1:
//   node bench/web.mjs            (after bash scripts/web.sh build)
// the code's size (gzip), the first frame after the page's load began, the main thread's busy
// time over 10 s of the clock and of a game without input, and a key's way to the canvas.
import { codeBytes, start, open, waitEvent } from '../tests/web/lib.mjs';

const env = await start();
const figures = { code_gzip_kb: +(codeBytes() / 1024).toFixed(1) };

// The first frame: the best of five fresh loads (the service worker bypassed).
const firsts = [];
for (let i = 0; i < 5; ++i) {
  const page = await env.context.newPage();
  await page.route('**/*', (r) => r.continue());
  await page.goto(env.url + '?bench=' + i);
  await page.waitForFunction(() => window.q50 && window.q50.firstFrame !== undefined);
  firsts.push(await page.evaluate(() => window.q50.firstFrame));
  await page.close();
}
figures.first_frame_ms = { best: Math.round(Math.min(...firsts)),
  all: firsts.map((x) => Math.round(x)) };

async function busy(page, ms) {
  const cdp = await env.context.newCDPSession(page);
  await cdp.send('Performance.enable');
  const task = async () => (await cdp.send('Performance.getMetrics')).metrics
    .find((m) => m.name === 'TaskDuration').value;
  const paints = await page.evaluate(() => window.q50.paints);
  const t0 = await task();
  await page.waitForTimeout(ms);
  const t1 = await task();
  return { busy_ms: Math.round((t1 - t0) * 1000),
    paints: (await page.evaluate(() => window.q50.paints)) - paints };
}
const page = await open(env);
await page.keyboard.press('Digit5');
await waitEvent(page, /^\d+ mode 2$/);
await page.keyboard.press('Digit3'); // the clock
await page.waitForTimeout(1000);
figures.clock_10s = await busy(page, 10000);
await page.keyboard.press('Digit1');
await waitEvent(page, /^\d+ mode 6$/);
figures.game_a_10s = await busy(page, 10000);

// A key's way: from the key event to the paint of the frame it changed.
const lags = [];
for (let i = 0; i < 10; ++i) {
  await page.waitForTimeout(350);
  lags.push(await page.evaluate(() => new Promise((done) => {
    const before = window.q50.paints;
    const t = performance.now();
    dispatchEvent(new KeyboardEvent('keydown', { code: 'ControlLeft', key: 'Control' }));
    const look = () => (window.q50.paints > before ? done(performance.now() - t)
      : requestAnimationFrame(look));
    requestAnimationFrame(look);
    setTimeout(() => dispatchEvent(new KeyboardEvent('keyup', { code: 'ControlLeft',
      key: 'Control' })), 50);
  })));
}
figures.key_to_paint_ms = { max: +Math.max(...lags).toFixed(1),
  all: lags.map((x) => +x.toFixed(1)) };
await env.close();
console.log(JSON.stringify(figures, null, 1));
