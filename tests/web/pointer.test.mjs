// The mouse and fingers on the pictured buttons: a click and a tap on OPEN open the lid, and two
// fingers at once are two presses, each released by its own finger.
import { test, after, before } from 'node:test';
import assert from 'node:assert/strict';
import { start, open, waitEvent } from './lib.mjs';

let env;
before(async () => { env = await start(); });
after(async () => { await env.close(); });

const centre = (r) => ({ x: r.x + r.width / 2, y: r.y + r.height / 2 });
const rectOf = (page, name) => page.evaluate((n) => window.q50.clientRectOf(n), name);

test('a mouse click on OPEN opens the lid', { timeout: 60000 }, async () => {
  const page = await open(env);
  const at = centre(await rectOf(page, 'btn_open'));
  await page.mouse.click(at.x, at.y);
  await waitEvent(page, /^\d+ mode 2$/);
  await page.close();
});

test('a touch on OPEN opens the lid', { timeout: 60000 }, async () => {
  const page = await open(env, { touch: true });
  const at = centre(await rectOf(page, 'btn_open'));
  await page.cdp.send('Input.dispatchTouchEvent', { type: 'touchStart',
    touchPoints: [{ x: at.x, y: at.y, id: 1 }] });
  await page.cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
  await waitEvent(page, /^\d+ mode 2$/);
  // No scrolling and no zoom came of it.
  assert.deepEqual(await page.evaluate(() => [scrollX, scrollY, visualViewport.scale]), [0, 0, 1]);
  await page.close();
});

test('two fingers at once: one holds left, the other raises the bomb', { timeout: 90000 },
  async () => {
    const page = await open(env, { touch: true });
    await page.keyboard.press('Digit5');
    await waitEvent(page, /^\d+ mode 2$/);
    await page.keyboard.press('Digit1');
    await waitEvent(page, /^\d+ mode 6$/);
    const left = await rectOf(page, 'btn_ctrlr_overlay_left');
    const bomb = centre(await rectOf(page, 'btn_bomb_top'));
    const l = { ...centre(left), id: 1 };
    const b = { x: bomb.x, y: bomb.y, id: 2 };
    const touch = (type, touchPoints) =>
      page.cdp.send('Input.dispatchTouchEvent', { type, touchPoints });
    await touch('touchStart', [l]);
    await page.waitForTimeout(200);
    await touch('touchStart', [l, b]); // the second finger while the first stays
    await page.waitForTimeout(200);
    // The bomb's finger lifts first (a touchEnd names the points that end).
    await touch('touchEnd', [b]);
    await page.waitForTimeout(200);
    await touch('touchEnd', [l]);
    const lines = (await page.evaluate(() => window.q50.recording())).split('\n')
      .filter((x) => / (press|release) (left|bomb)$/.test(x)).map((x) => x.replace(/^at \d+ /, ''));
    assert.deepEqual(lines, ['press left', 'press bomb', 'release bomb', 'release left']);
    await page.close();
  });
