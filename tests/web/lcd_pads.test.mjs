// The LCD-only view on a phone: large touch pads beside the LCD (never over it) for left, right
// and the bomb, and GAME A, GAME B, TIME and ACL (OPEN while the lid is closed) within reach of a
// finger, each finger its own press. Held sideways (844x390) and upright (390x844, the view
// chosen in the menu's Zoom rows). The screenshots go to Q50_WEB_SHOTS as web-lcd-*.png.
import { test, after, before } from 'node:test';
import assert from 'node:assert/strict';
import { mkdirSync } from 'node:fs';
import { join } from 'node:path';
import { start, open, site, touch, centre, boxOf, actions, waitEvent, STORE_KEY } from './lib.mjs';

let phone;
before(async () => { phone = await start({ ratio: 3 }); });
after(async () => { await phone.close(); });
const shots = process.env.Q50_WEB_SHOTS || join(site, '..', 'shots');
mkdirSync(shots, { recursive: true });

const PADS = ['#pad-left', '#pad-right', '#pad-bomb', '#lcd-keys button:nth-child(1)',
  '#lcd-keys button:nth-child(2)', '#lcd-keys button:nth-child(3)', '#pad-acl'];
const overlap = (a, b) => a.x < b.x + b.width && b.x < a.x + a.width &&
  a.y < b.y + b.height && b.y < a.y + a.height;

// Every pad on screen, none over the LCD nor over another, each large enough for a thumb.
async function padsBesideLcd(page, width, height) {
  const lcd = await page.evaluate(() => window.q50.clientRectOf('im_background_screen_top'));
  const boxes = [];
  for (const p of PADS) {
    const b = await boxOf(page, p);
    assert.ok(b.x >= 0 && b.y >= 0 && b.x + b.width <= width + 0.5 && b.y + b.height <= height + 0.5,
      `${p} ${JSON.stringify(b)} is not on ${width}x${height}`);
    assert.ok(!overlap(b, lcd), `${p} ${JSON.stringify(b)} lies over the LCD ${JSON.stringify(lcd)}`);
    assert.ok(b.width >= 40 && b.height >= 36, `${p} is too small: ${JSON.stringify(b)}`);
    for (const o of boxes) assert.ok(!overlap(b, o.b), `${p} lies over ${o.p}`);
    boxes.push({ p, b });
  }
  // The three pads are the large ones.
  for (const p of ['#pad-left', '#pad-right', '#pad-bomb']) {
    const b = await boxOf(page, p);
    assert.ok(b.width * b.height >= 9000, `${p} is small: ${JSON.stringify(b)}`);
  }
  return lcd;
}
const tap = async (page, selector, id) => {
  const at = centre(await boxOf(page, selector));
  await touch(page, 'touchStart', [{ ...at, id }]);
  await touch(page, 'touchEnd', []);
};

test('held sideways: the pads beside the LCD open the lid, start a game, walk and bomb at once',
  { timeout: 90000 }, async () => {
    const page = await open(phone, { width: 844, height: 390, touch: true });
    assert.equal(await page.evaluate(() => window.q50.view), 1);
    assert.equal(await page.isVisible('#pad-bomb'), true);
    await padsBesideLcd(page, 844, 390);
    assert.equal(await page.textContent('#pad-acl'), 'OPEN');
    await tap(page, '#pad-acl', 1);
    await waitEvent(page, /^\d+ mode 2$/);
    assert.equal(await page.textContent('#pad-acl'), 'ACL');
    await tap(page, '#lcd-keys button:nth-child(2)', 2); // GAME B
    await waitEvent(page, /^\d+ mode 8$/);
    // One thumb holds left, the other presses the bomb and lets go first.
    const left = { ...centre(await boxOf(page, '#pad-left')), id: 3 };
    const bomb = { ...centre(await boxOf(page, '#pad-bomb')), id: 4 };
    await touch(page, 'touchStart', [left]);
    await page.waitForTimeout(150);
    await touch(page, 'touchStart', [left, bomb]);
    await page.waitForTimeout(150);
    await touch(page, 'touchEnd', [bomb]);
    await page.waitForTimeout(150);
    await touch(page, 'touchEnd', [left]);
    await tap(page, '#pad-right', 5);
    await tap(page, '#lcd-keys button:nth-child(3)', 6); // TIME
    // The lid's button has no release: the key's release after it is the ACL's, as on the desktop.
    assert.deepEqual(await actions(page), ['press open', 'release acl', 'press game_b', 'release game_b',
      'press left', 'press bomb', 'release bomb', 'release left', 'press right', 'release right',
      'press time', 'release time']);
    assert.deepEqual(await page.evaluate(() => [scrollX, scrollY, visualViewport.scale]), [0, 0, 1]);
    await page.screenshot({ path: join(shots, 'web-lcd-pads-sideways.png') });
    await page.close();
  });

test('held upright: the LCD only, chosen in the menu, with the pads below it', { timeout: 60000 },
  async () => {
    const page = await open(phone, { width: 390, height: 844, touch: true });
    assert.equal(await page.evaluate(() => window.q50.view), 0);
    assert.equal(await page.isVisible('#pad-bomb'), false);
    await page.mouse.click(200, 400, { button: 'right' });
    await page.click('#menu li:has-text("Zoom")');
    await page.click('#menu li:has-text("LCD only")');
    assert.equal(await page.evaluate(() => window.q50.view), 1);
    assert.match(await page.evaluate((k) => localStorage.getItem(k), STORE_KEY), /^View=1$/m);
    const lcd = await padsBesideLcd(page, 390, 844);
    assert.ok(Math.abs(lcd.width - 390) < 1, `the LCD does not take the width: ${JSON.stringify(lcd)}`);
    for (const p of ['#pad-left', '#pad-right', '#pad-bomb'])
      assert.ok((await boxOf(page, p)).y >= lcd.y + lcd.height, `${p} is not below the LCD`);
    await tap(page, '#pad-acl', 1);
    await waitEvent(page, /^\d+ mode 2$/);
    await page.waitForTimeout(300);
    await page.screenshot({ path: join(shots, 'web-lcd-pads-upright.png') });
    // The stored view holds after a reload, and the menu takes the whole device back.
    await page.reload();
    await page.waitForFunction(() => window.q50 && window.q50.ready && window.q50.paints > 0);
    assert.equal(await page.evaluate(() => window.q50.view), 1);
    await page.mouse.click(200, 100, { button: 'right' });
    await page.click('#menu li:has-text("Zoom")');
    await page.click('#menu li:has-text("Whole device")');
    assert.equal(await page.evaluate(() => window.q50.view), 0);
    assert.equal(await page.isVisible('#pad-bomb'), false);
    await page.close();
  });
