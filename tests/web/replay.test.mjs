// Exact across editions: a recording as the desktop writes it, opened by a replay link, gives
// the event stream the trace tool prints for it, and leaves the player's store as it was; a run
// played in the page replays in the trace tool to the page's own events.
import { test, after, before } from 'node:test';
import assert from 'node:assert/strict';
import { deflateRawSync } from 'node:zlib';
import { start, open, events, eventsUntil, trace, waitEvent, STORE_KEY } from './lib.mjs';

let env;
before(async () => { env = await start(); });
after(async () => { await env.close(); });

// What the desktop's "Record this run" writes: its header (the skin it was shown with, the
// values the run starts from, the seed, the time of day), each action and command at its device
// time, and the end.
const DESKTOP_RUN = `# recorded by Quendrix50 5.01; replay it with quendrix-trace < this file
skin /usr/share/quendrix50
store HiScore1 12
store HiScore2 3
store CtrlrOverlay 1
store Key1 2
store Key2 3
store Key3 4
store Key4 6
store Key5 39
store Key6 40
store Key7 42
seed 2718281
time 21:47:05.250
at 1500 press open
at 2600 press game_a
at 2700 release game_a
at 13300 press right
at 13400 release right
at 13800 press bomb
at 13900 release bomb
at 14500 press left
at 14600 release left
at 15000 overlays 0
at 15400 overlays 1
at 16000 pause
at 16000 resume 4000
at 17000 end
`;
const END = 17000;
const base64url = (bytes) => Buffer.from(bytes).toString('base64url');

test('a desktop recording opened by a replay link plays to the trace tool\'s event stream',
  { timeout: 90000 }, async () => {
    const page = await open(env);
    const before = await page.evaluate((k) => localStorage.getItem(k), STORE_KEY);
    const link = '#replay=' + base64url(deflateRawSync(Buffer.from(DESKTOP_RUN)));
    await page.goto(env.url + link);
    await page.waitForFunction(() => window.q50 && window.q50.ready && window.q50.playing);
    const shown = await eventsUntil(page, END);
    assert.deepEqual(shown, trace(DESKTOP_RUN));
    // The player's keys do nothing while it plays, and the player's store stays as it was.
    await page.keyboard.press('Digit3');
    assert.equal(await page.evaluate((k) => localStorage.getItem(k), STORE_KEY), before);
    assert.equal(await page.isVisible('#replay-mark'), true);
    await page.close();
  });

// A link opened in a fresh page plays before any switch-on of the player's: with the delivered
// skin all the same (it once played on a device without pictures).
test('a replay link opened in a new page plays with the delivered skin', { timeout: 90000 },
  async () => {
    const link = '#replay=' + base64url(deflateRawSync(Buffer.from(DESKTOP_RUN)));
    const page = await open(env, { suffix: link });
    assert.equal(await page.evaluate(() => window.q50.playing), true);
    assert.deepEqual(await page.evaluate(() => [window.q50.module._q50_client_width(),
      window.q50.module._q50_client_height()]), [498, 770]);
    assert.deepEqual(await eventsUntil(page, END), trace(DESKTOP_RUN));
    await page.close();
  });

test('a run played in the page replays in the trace tool to the same events',
  { timeout: 90000 }, async () => {
    const page = await open(env);
    await page.keyboard.press('Digit5');
    await waitEvent(page, /^\d+ mode 2$/);
    await page.keyboard.press('Digit2');
    await waitEvent(page, /^\d+ mode 8$/);
    await page.waitForTimeout(11500);
    await page.keyboard.press('ArrowLeft');
    await page.keyboard.press('ControlLeft');
    await page.waitForTimeout(600);
    const recording = await page.evaluate(() => window.q50.recording());
    const end = Number(/^at (\d+) end$/m.exec(recording)[1]);
    const shown = (await events(page)).filter((l) => Number(l.split(' ')[0]) <= end);
    assert.match(recording, / press left$/m);
    assert.deepEqual(trace(recording), shown);
    // The page's own link of the run carries the same text.
    const link = await page.evaluate(() => window.q50.replayLink());
    const code = link.split('#replay=')[1];
    assert.match(code, /^[A-Za-z0-9_-]+$/);
    const { inflateRawSync } = await import('node:zlib');
    const linked = inflateRawSync(Buffer.from(code, 'base64url')).toString();
    // Made a moment later: only the end's time differs.
    const withoutEnd = (t) => t.replace(/^at \d+ end\n$/m, '');
    assert.equal(withoutEnd(linked), withoutEnd(recording));
    await page.close();
  });

test('a stall of the page is caught up as on the desktop and replays the same in the trace tool',
  { timeout: 90000 }, async () => {
    const page = await open(env, { suffix: '?seed=7' });
    await page.keyboard.press('Digit5');
    await waitEvent(page, /^\d+ mode 2$/);
    await page.keyboard.press('Digit1');
    await waitEvent(page, /^\d+ mode 6$/);
    await page.waitForTimeout(3000);
    // The page's thread held up for 900 ms, as a busy machine or a stopped tab holds it.
    await page.evaluate(() => { const t = performance.now(); while (performance.now() - t < 900); });
    await page.waitForTimeout(1500);
    const recording = await page.evaluate(() => window.q50.recording());
    assert.match(recording, /^at \d+ catchup (9\d\d|1\d\d\d)$/m, recording);
    const end = Number(/^at (\d+) end$/m.exec(recording)[1]);
    const shown = (await events(page)).filter((l) => Number(l.split(' ')[0]) <= end);
    assert.deepEqual(trace(recording), shown);
    await page.close();
  });
