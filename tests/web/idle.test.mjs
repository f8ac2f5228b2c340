// No work while nothing changes: with the device closed and still, the page asks for no
// animation frame and paints nothing, windowed, in the LCD-only view with its touch pads, and
// in full screen over the backdrop.
import { test, after, before } from 'node:test';
import assert from 'node:assert/strict';
import { start } from './lib.mjs';

let env;
before(async () => { env = await start(); });
after(async () => { await env.close(); });

async function still(width, height, prepare) {
  const page = await env.context.newPage();
  await page.addInitScript(() => {
    window.frameAsks = 0;
    const ask = window.requestAnimationFrame.bind(window);
    window.requestAnimationFrame = (f) => { window.frameAsks++; return ask(f); };
  });
  await page.setViewportSize({ width, height });
  await page.goto(env.url);
  await page.waitForFunction(() => window.q50 && window.q50.ready && window.q50.paints > 0);
  if (prepare) await prepare(page);
  await page.waitForTimeout(1000); // what the start or the switch asked for is done
  const before = await page.evaluate(() => [window.frameAsks, window.q50.paints]);
  await page.waitForTimeout(3000);
  const after = await page.evaluate(() => [window.frameAsks, window.q50.paints]);
  await page.close();
  return [after[0] - before[0], after[1] - before[1]];
}

test('a still page asks for no frames and paints nothing', { timeout: 90000 }, async () => {
  assert.deepEqual(await still(600, 800), [0, 0], 'windowed');
  assert.deepEqual(await still(844, 390), [0, 0], 'the LCD view with its pads');
  assert.deepEqual(await still(1280, 800, async (page) => {
    await page.mouse.click(640, 400, { button: 'right' });
    await page.click('#menu li:has-text("Full screen")');
    await page.waitForFunction(() => window.q50.module._q50_fullscreen() === 1);
  }), [0, 0], 'full screen');
});
