// The key dialog with real input: the seven assignments take other keys and controller buttons
// by keyboard, mouse and touch; two actions on one key mark both rows and hold Accept back;
// Accept stores Key1..Key7 and Pad1..Pad7 as the desktop does, and the game takes the new keys
// at once and after a reload. The controller part runs on a scripted stand-in of
// navigator.getGamepads (headless chromium has no controller): a button pressed while a row of
// the controller page has the focus becomes that row's, and the game does not see it. The
// screenshot goes to Q50_WEB_SHOTS as web-keys.png.
import { test, after, before } from 'node:test';
import assert from 'node:assert/strict';
import { mkdirSync } from 'node:fs';
import { join } from 'node:path';
import { start, open, site, touch, centre, boxOf, actions, events, trace, STORE_KEY } from './lib.mjs';

const shots = process.env.Q50_WEB_SHOTS || join(site, '..', 'shots');
mkdirSync(shots, { recursive: true });

let env;
before(async () => { env = await start(); });
after(async () => { await env.close(); });

const stored = (page) => page.evaluate((k) => localStorage.getItem(k) || '', STORE_KEY);
const chosen = (page, kind) => page.$$eval(`#${kind}-page select`, (s) =>
  s.map((x) => x.selectedOptions[0].text));

test('keys by keyboard and mouse: a clash holds Accept back, Accept stores and applies',
  { timeout: 90000 }, async () => {
    const page = await open(env);
    await page.mouse.click(300, 400, { button: 'right' });
    for (let i = 0; i < 5; ++i) await page.keyboard.press('ArrowDown');
    await page.keyboard.press('Enter');
    const dialog = page.getByRole('dialog', { name: 'Key settings' });
    await dialog.waitFor();
    assert.equal(await page.getByRole('tab', { name: 'Keyboard' }).getAttribute('aria-selected'),
      'true');
    // Each list is named by its action, and the first has the focus.
    assert.equal(await page.evaluate(() => document.activeElement.id), 'key-1');
    assert.equal(await page.getByRole('combobox', { name: 'Bomb' }).count(), 1);
    await page.keyboard.press('ArrowDown'); // Game A on 2, which Game B has
    assert.equal(await page.isDisabled('#keys-accept'), true);
    assert.equal(await page.isVisible('#keys-clash'), true);
    await page.screenshot({ path: join(shots, 'web-keys.png') });
    assert.deepEqual(await page.$$eval('#keys-page select', (s) =>
      s.map((x) => x.getAttribute('aria-invalid'))),
    ['true', 'true', 'false', 'false', 'false', 'false', 'false']);
    await page.keyboard.press('ArrowUp');
    assert.equal(await page.isDisabled('#keys-accept'), false);
    // The mouse on the Bomb row's label puts the focus on its list; End takes the last key.
    await page.click('#keys-page label:has-text("Bomb")');
    await page.keyboard.press('End');
    assert.deepEqual(await chosen(page, 'keys'), ['1', '2', '3', '5', '<LEFT ARROW>',
      '<RIGHT ARROW>', '<SPACEBAR>']);
    await page.click('#keys-tab-pads');
    await page.click('#pads-page label:has-text("Bomb")');
    await page.keyboard.press('ArrowDown');
    assert.deepEqual(await chosen(page, 'pads'), ['Start', 'Back', 'Y', 'X', 'D-pad left',
      'D-pad right', 'B']);
    await page.click('#keys-accept');
    await dialog.waitFor({ state: 'hidden' });
    const text = await stored(page);
    assert.match(text, /^Key7=44$/m);
    assert.match(text, /^Pad7=b$/m);
    assert.match(text, /^Pad1=start$/m);
    // The game takes the new key, and the old one no longer bombs.
    await page.keyboard.press('Space');
    await page.keyboard.press('ControlLeft');
    assert.deepEqual(await actions(page), ['press bomb', 'release bomb']);
    // The new keys are the player's choice, no event of the device: the run replays the same.
    const recording = await page.evaluate(() => window.q50.recording());
    const end = Number(/^at (\d+) end$/m.exec(recording)[1]);
    assert.deepEqual(trace(recording),
      (await events(page)).filter((l) => Number(l.split(' ')[0]) <= end));

    await page.reload();
    await page.waitForFunction(() => window.q50 && window.q50.ready && window.q50.paints > 0);
    await page.mouse.click(300, 400, { button: 'right' });
    await page.click('#menu li:has-text("Key settings")');
    assert.equal((await chosen(page, 'keys'))[6], '<SPACEBAR>');
    assert.equal((await chosen(page, 'pads'))[6], 'B');
    // Closed without Accept: nothing changes.
    await page.keyboard.press('ArrowDown');
    await page.keyboard.press('Escape');
    await dialog.waitFor({ state: 'hidden' });
    assert.equal(await stored(page), text);
    await page.close();
  });

test('controller buttons by touch and a stand-in controller', { timeout: 90000 }, async () => {
  const page = await env.context.newPage();
  await page.addInitScript(() => {
    const pad = { index: 0, id: 'stand-in pad', mapping: 'standard', connected: true,
      buttons: Array.from({ length: 17 }, () => ({ pressed: false, value: 0 })),
      axes: [0, 0, 0, 0] };
    window.standIn = {
      set(i, down) { pad.buttons[i] = { pressed: down, value: down ? 1 : 0 }; },
      plug() {
        const e = new Event('gamepadconnected');
        e.gamepad = pad;
        dispatchEvent(e);
      },
    };
    navigator.getGamepads = () => [pad];
  });
  page.cdp = await env.context.newCDPSession(page);
  await page.cdp.send('Emulation.setTouchEmulationEnabled', { enabled: true, maxTouchPoints: 5 });
  await page.setViewportSize({ width: 600, height: 800 });
  await page.goto(env.url);
  // The store the first test left is not this one's.
  await page.evaluate(() => localStorage.clear());
  await page.reload();
  await page.waitForFunction(() => window.q50 && window.q50.ready && window.q50.paints > 0);
  await page.evaluate(() => window.standIn.plug());
  const frames = () => page.evaluate(() => new Promise((r) => requestAnimationFrame(() =>
    requestAnimationFrame(() => requestAnimationFrame(r)))));
  const press = async (i) => {
    await page.evaluate((b) => window.standIn.set(b, true), i);
    await frames();
    await page.evaluate((b) => window.standIn.set(b, false), i);
    await frames();
  };
  const tap = async (selector, id) => {
    await touch(page, 'touchStart', [{ ...centre(await boxOf(page, selector)), id }]);
    await touch(page, 'touchEnd', []);
  };
  await page.mouse.click(300, 400, { button: 'right' });
  await tap('#menu li:has-text("Key settings")', 1);
  await page.waitForSelector('#keys-window[open]');
  await tap('#keys-tab-pads', 2);
  assert.equal(await page.isVisible('#pads-page'), true);
  assert.equal(await page.isVisible('#keys-page'), false);
  await tap('#pads-page label:has-text("Left")', 3);
  assert.equal(await page.evaluate(() => document.activeElement.id), 'pad-5');
  await press(4); // the left shoulder: Left's button now; the next row is chosen
  assert.equal(await page.evaluate(() => document.activeElement.id), 'pad-6');
  assert.equal((await chosen(page, 'pads'))[4], 'Left shoulder');
  await press(5); // the right shoulder: Right's
  assert.deepEqual(await chosen(page, 'pads'), ['Start', 'Back', 'Y', 'X', 'Left shoulder',
    'Right shoulder', 'A']);
  assert.deepEqual(await actions(page), [], 'the game saw a button meant for the dialog');
  await tap('#keys-accept', 4);
  await page.waitForSelector('#keys-window', { state: 'hidden' });
  assert.match(await stored(page), /^Pad5=leftshoulder$/m);
  assert.match(await stored(page), /^Pad6=rightshoulder$/m);
  await press(4);
  assert.deepEqual(await actions(page), ['press left', 'release left']);
  // The defaults come back with their button, and a clash holds Accept back.
  await page.mouse.click(300, 400, { button: 'right' });
  await tap('#menu li:has-text("Key settings")', 5);
  await tap('#keys-tab-pads', 6);
  await tap('#pads-defaults', 7);
  assert.equal((await chosen(page, 'pads'))[4], 'D-pad left');
  await tap('#pads-page label:has-text("Time")', 8);
  await press(0); // A, which Bomb has
  assert.equal(await page.isDisabled('#keys-accept'), true);
  assert.equal(await page.getAttribute('#keys-tab-pads', 'class'), 'clash');
  await page.close();
});
