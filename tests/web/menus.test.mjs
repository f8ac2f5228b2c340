// The context menu and the side windows with real input: a right click opens the menu with the
// desktop's rows and the page's own block, the keyboard moves through it, the manual turns its
// pages, the key dialog names the keys, and Exit switches the device off and offers a start
// again.
import { test, after, before } from 'node:test';
import assert from 'node:assert/strict';
import { start, open, waitEvent, touch, centre, actions } from './lib.mjs';

let env;
before(async () => { env = await start(); });
after(async () => { await env.close(); });

const rowTexts = (page) => page.$$eval('#menu li', (li) => li.map((l) =>
  l.getAttribute('role') === 'separator' ? '-' : l.firstChild.textContent));

test('the menu, the manual, the keys and Exit', { timeout: 60000 }, async () => {
  const page = await open(env);
  await page.mouse.click(300, 400, { button: 'right' });
  assert.deepEqual(await rowTexts(page), ['About...', "View 'Readme.txt'", "View 'Whatsnew.txt'",
    'View manual', '-', 'Edit configuration file', 'Key settings', 'Reset Hiscores', '-',
    'Display controller overlays', 'Zoom', 'Full screen', 'Sound', 'Volume up',
    'Volume down', 'Pause', 'Save screenshot', 'Record this run',
    'Play a recording from a file', 'Copy replay link', '-', 'Exit']);
  assert.equal(await page.getAttribute('#menu li:has-text("Display controller overlays")',
    'aria-checked'), 'true');
  // The keyboard: the first row has the focus, Down moves, Enter chooses.
  for (let i = 0; i < 3; ++i) await page.keyboard.press('ArrowDown');
  assert.equal(await page.evaluate(() => document.activeElement.firstChild.textContent),
    'View manual');
  await page.keyboard.press('Enter');
  await page.waitForSelector('#manual-window[open]');
  assert.equal(await page.textContent('#manual-number'), '1 / 16');
  await page.click('#manual-next');
  assert.equal(await page.textContent('#manual-number'), '2 / 16');
  await page.waitForFunction(() => document.getElementById('manual-page').naturalWidth > 0);
  await page.keyboard.press('Escape');
  await page.waitForSelector('#manual-window[open]', { state: 'detached' });

  await page.mouse.click(300, 400, { button: 'right' });
  await page.click('#menu li:has-text("Key settings")');
  const keys = await page.$$eval('#keys-page tr', (r) => r.map((x) =>
    x.querySelector('label').textContent + '=' + x.querySelector('select').selectedOptions[0].text));
  assert.deepEqual(keys, ['Game A=1', 'Game B=2', 'Time=3', 'Open the game/ACL=5',
    'Left=<LEFT ARROW>', 'Right=<RIGHT ARROW>', 'Bomb=<CTRL>']);
  await page.keyboard.press('Escape');

  await page.mouse.click(300, 400, { button: 'right' });
  await page.click('#menu li:has-text("Exit")');
  assert.equal(await page.isVisible('#again-button'), true);
  assert.equal(await page.isVisible('#device'), false);
  await page.click('#again-button');
  await page.waitForFunction(() => window.q50.events.includes('0 mode 0'));
  await page.keyboard.press('Digit5');
  await waitEvent(page, /^\d+ mode 2$/);
  await page.close();
});

// A finger held still for a moment opens the menu where nothing presses (the device's body, the
// page around it); on a button it is a held press, and no menu comes.
test('a long press opens the menu; one on a button holds the button', { timeout: 60000 },
  async () => {
    const page = await open(env, { touch: true });
    const left = centre(await page.evaluate(() => window.q50.clientRectOf('btn_ctrlr_overlay_left')));
    await touch(page, 'touchStart', [{ ...left, id: 1 }]);
    await page.waitForTimeout(1200);
    assert.equal(await page.isVisible('#menu'), false, 'a held button opened the menu');
    await touch(page, 'touchEnd', []);
    assert.deepEqual(await actions(page), ['press left', 'release left']);
    // The device's body, below the LCD and above the buttons.
    const body = await page.evaluate(() => window.q50.clientRectOf('im_background_bottom'));
    const at = { x: body.x + body.width / 2, y: body.y + 8 };
    await touch(page, 'touchStart', [{ ...at, id: 2 }]);
    await page.waitForTimeout(300);
    assert.equal(await page.isVisible('#menu'), false, 'the menu came before the long press');
    await page.waitForSelector('#menu', { state: 'visible', timeout: 3000 });
    await touch(page, 'touchEnd', []);
    assert.equal(await page.$eval('#menu [tabindex]', (e) => e.firstChild.textContent), 'About...');
    // A tap on a row chooses it, as a click does.
    const row = await page.$eval('#menu li:nth-child(4)', (e) => e.getBoundingClientRect().toJSON());
    await touch(page, 'touchStart', [{ ...centre(row), id: 3 }]);
    await touch(page, 'touchEnd', []);
    await page.waitForSelector('#manual-window[open]');
    // A short touch on the body opens nothing.
    await page.keyboard.press('Escape');
    await touch(page, 'touchStart', [{ ...at, id: 4 }]);
    await page.waitForTimeout(150);
    await touch(page, 'touchEnd', []);
    await page.waitForTimeout(900);
    assert.equal(await page.isVisible('#menu'), false, 'a short touch opened the menu');
    await page.close();
  });
