// The Zoom rows of the menu, by keyboard and mouse: fit to the page, the fixed zooms that fit
// it (the others are not shown), stored as the desktop stores Zoom and kept after a reload; a
// stored zoom the page has become too small for shows the device fitted, and stays stored.
import { test, after, before } from 'node:test';
import assert from 'node:assert/strict';
import { start, open, STORE_KEY } from './lib.mjs';

let env;
before(async () => { env = await start(); });
after(async () => { await env.close(); });

const rowsShown = (page) => page.$$eval('#menu li:not(.back)', (li) => li.map((l) =>
  l.getAttribute('role') === 'separator' ? '-'
    : (l.getAttribute('aria-checked') === 'true' ? '*' : '') + l.firstChild.textContent));
const canvasSize = (page) => page.evaluate(() => {
  const r = document.getElementById('device').getBoundingClientRect();
  return [Math.round(r.width), Math.round(r.height)];
});
const stored = (page) => page.evaluate((k) => localStorage.getItem(k) || '', STORE_KEY);

test('zoom rows by keyboard and mouse, stored and kept', { timeout: 90000 }, async () => {
  const page = await open(env, { width: 2400, height: 1600 });
  const fitted = await canvasSize(page);
  assert.equal(fitted[1], 1600);
  await page.mouse.click(100, 100, { button: 'right' });
  for (let i = 0; i < 8; ++i) await page.keyboard.press('ArrowDown');
  assert.equal(await page.evaluate(() => document.activeElement.firstChild.textContent), 'Zoom');
  assert.equal(await page.getAttribute('#menu li:has-text("Zoom")', 'aria-haspopup'), 'menu');
  await page.keyboard.press('ArrowRight');
  // 1600 / 770 is a little above 2: 300 % and 400 % do not fit and are not offered.
  assert.deepEqual(await rowsShown(page), ['*Fit to page', '100 %', '200 %', '-',
    '*Fullscreen: fit', 'Fullscreen: 100 %', '-', '*Whole device', 'LCD only']);
  await page.keyboard.press('ArrowDown');
  await page.keyboard.press('ArrowDown');
  await page.keyboard.press('Enter');
  assert.equal(await page.isVisible('#menu'), false);
  await page.waitForFunction(() => window.q50.zoom === 200);
  await page.waitForTimeout(200);
  assert.deepEqual(await canvasSize(page), [996, 1540]);
  assert.match(await stored(page), /^Zoom=200$/m);
  // Left, or Esc, goes back from the rows to the menu.
  await page.mouse.click(100, 100, { button: 'right' });
  await page.click('#menu li:has-text("Zoom")');
  assert.equal((await rowsShown(page))[2], '*200 %');
  await page.keyboard.press('ArrowLeft');
  assert.equal((await rowsShown(page))[0], 'About...');
  await page.keyboard.press('Escape');
  assert.equal(await page.isVisible('#menu'), false);

  await page.reload();
  await page.waitForFunction(() => window.q50 && window.q50.ready && window.q50.paints > 0);
  assert.deepEqual(await canvasSize(page), [996, 1540]);
  // Too small a page for 200 %: fitted, and the stored zoom stays for a larger page.
  await page.setViewportSize({ width: 1200, height: 900 });
  await page.waitForTimeout(400);
  assert.deepEqual(await canvasSize(page), [582, 900]);
  assert.match(await stored(page), /^Zoom=200$/m);
  await page.mouse.click(100, 100, { button: 'right' });
  await page.click('#menu li:has-text("Zoom")');
  assert.deepEqual((await rowsShown(page)).slice(0, 3), ['Fit to page', '100 %', '*200 %']);
  await page.click('#menu li:has-text("100 %")');
  await page.waitForTimeout(300);
  assert.deepEqual(await canvasSize(page), [498, 770]);
  assert.match(await stored(page), /^Zoom=100$/m);
  await page.close();
});
