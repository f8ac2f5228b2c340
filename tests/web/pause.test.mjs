// A hidden page pauses the device, as AutoPause does on the desktop: device time stands still
// while it is hidden, the recording holds the pause and its length, and the run replays the
// same in the trace tool. Headless chromium keeps its one page visible, so the test hides it by
// the document's own visibility (document.hidden and its event), as a switch of tabs tells it.
import { test, after, before } from 'node:test';
import assert from 'node:assert/strict';
import { start, open, events, trace, waitEvent } from './lib.mjs';

let env;
before(async () => { env = await start(); });
after(async () => { await env.close(); });

const hide = (page, hidden) => page.evaluate((h) => {
  Object.defineProperty(document, 'hidden', { value: h, configurable: true });
  document.dispatchEvent(new Event('visibilitychange'));
}, hidden);

test('a hidden page stops device time and the run replays the same', { timeout: 60000 },
  async () => {
    const page = await open(env, { suffix: '?seed=11' });
    await page.keyboard.press('Digit5');
    await waitEvent(page, /^\d+ mode 2$/);
    await page.keyboard.press('Digit1');
    await waitEvent(page, /^\d+ mode 6$/);
    await page.waitForTimeout(1000);
    await hide(page, true);
    const stood = await page.evaluate(() => window.q50.module._q50_now());
    const before = (await events(page)).length;
    await page.waitForTimeout(2000);
    assert.equal(await page.evaluate(() => window.q50.module._q50_now()), stood);
    assert.equal((await events(page)).length, before, 'the device ran while hidden');
    await hide(page, false);
    await page.waitForTimeout(1500);
    const recording = await page.evaluate(() => window.q50.recording());
    const m = /^at (\d+) pause\nat (\d+) resume (\d+)$/m.exec(recording);
    assert.ok(m, recording);
    assert.equal(m[1], m[2]);
    assert.ok(Number(m[3]) >= 1900 && Number(m[3]) < 5000, m[3]);
    const end = Number(/^at (\d+) end$/m.exec(recording)[1]);
    assert.ok(end - stood < 2000, `device time went on through the pause: ${stood} -> ${end}`);
    const shown = (await events(page)).filter((l) => Number(l.split(' ')[0]) <= end);
    assert.deepEqual(trace(recording), shown);
    await page.close();
  });
