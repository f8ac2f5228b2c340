// Full screen from the menu is the device's fullscreen mode, as on the desktop: the presenter
// lays the device out for the screen and draws the backdrop and logo around it, the menu
// button in the corner opens the menu, and the switch is recorded and stored as the desktop
// records and stores it, so the trace tool replays the run to the page's events, and a replay
// link of it switches as it was made. The screenshot goes to Q50_WEB_SHOTS as
// web-fullscreen.png.
import { test, after, before } from 'node:test';
import assert from 'node:assert/strict';
import { join } from 'node:path';
import { mkdirSync } from 'node:fs';
import { deflateRawSync } from 'node:zlib';
import { start, open, site, events, eventsUntil, trace, waitEvent, centre } from './lib.mjs';

let env;
before(async () => { env = await start(); });
after(async () => { await env.close(); });
const shots = process.env.Q50_WEB_SHOTS || join(site, '..', 'shots');
mkdirSync(shots, { recursive: true });

// The colour of a pixel of the canvas's frame, at a CSS position on the page.
const pixel = (page, x, y) => page.evaluate(([x, y]) => {
  const c = document.getElementById('device');
  const r = c.getBoundingClientRect();
  const k = c.width / r.width;
  return [...c.getContext('2d').getImageData(Math.floor((x - r.left) * k),
    Math.floor((y - r.top) * k), 1, 1).data];
}, [x, y]);
const PAGE_COLOUR = [0x1b, 0x1d, 0x22, 255];

test('full screen shows the device over the backdrop, records the switch and replays it',
  { timeout: 120000 }, async () => {
    const page = await open(env, { width: 1280, height: 800, suffix: '?seed=11' });
    await page.keyboard.press('Digit5');
    await waitEvent(page, /^\d+ mode 2$/);
    // A game under way: its steps carry device time past the recording's end in the replay.
    await page.keyboard.press('Digit1');
    await waitEvent(page, /^\d+ mode 6$/);
    await page.mouse.click(640, 400, { button: 'right' });
    await page.click('#menu li:has-text("Full screen")');
    await page.waitForFunction(() => document.fullscreenElement &&
      window.q50.module._q50_fullscreen() === 1);
    await waitEvent(page, /^\d+ on im_backdrop$/);
    await page.waitForTimeout(500);
    // The frame covers the screen; beside the device it shows the backdrop, not the page.
    const c = await page.$eval('#device', (e) => [e.width, e.height, innerWidth, innerHeight]);
    assert.deepEqual(c.slice(0, 2), c.slice(2), `the frame ${c} does not cover the screen`);
    for (const [x, y] of [[20, 400], [1260, 700]]) {
      const p = await pixel(page, x, y);
      assert.equal(p[3], 255);
      assert.notDeepEqual(p, PAGE_COLOUR, `no backdrop at ${x},${y}`);
    }
    const lcd = await page.evaluate(() => window.q50.clientRectOf('im_background_screen_top'));
    assert.ok(lcd.x > 200 && lcd.x + lcd.width < 1080, `the device is not in the middle: ${JSON.stringify(lcd)}`);
    assert.ok((await events(page)).some((l) => / store FullscreenMode 1$/.test(l)));
    await page.screenshot({ path: join(shots, 'web-fullscreen.png') });

    // The LCD alone and back, which lays the skin out anew for the screen: no event of the
    // device's comes of it (the trace tool's replay below would tell).
    for (const row of ['LCD only', 'Whole device']) {
      await page.mouse.click(640, 400, { button: 'right' });
      await page.click('#menu li:has-text("Zoom")');
      await page.click(`#menu li:has-text("${row}")`);
      await page.waitForTimeout(300);
    }
    assert.equal(await page.evaluate(() => window.q50.view), 0);

    // The menu button in the corner opens the menu there; its row takes the page back.
    const button = centre(await page.evaluate(() => window.q50.clientRectOf('btn_game_menu_top')));
    assert.ok(button.x < 100 && button.y < 100, JSON.stringify(button));
    await page.mouse.click(button.x, button.y);
    await page.waitForSelector('#menu', { state: 'visible' });
    assert.equal(await page.getAttribute('#menu li:has-text("Full screen")', 'aria-checked'), 'true');
    await page.click('#menu li:has-text("Full screen")');
    await page.waitForFunction(() => !document.fullscreenElement &&
      window.q50.module._q50_fullscreen() === 0);
    await waitEvent(page, /^\d+ off im_backdrop$/);
    await page.waitForTimeout(300);
    assert.deepEqual(await page.$eval('#device', (e) => e.height), 800);

    const recording = await page.evaluate(() => window.q50.recording());
    // The switch on and off, in that order; a page held up by the machine may record a
    // catch-up between them.
    assert.deepEqual(recording.match(/^at \d+ fullscreen [01]$/gm)?.map((l) => l.split(' ').pop()),
      ['1', '0'], recording);
    const end = Number(/^at (\d+) end$/m.exec(recording)[1]);
    const shown = (await events(page)).filter((l) => Number(l.split(' ')[0]) <= end);
    assert.deepEqual(trace(recording), shown);

    // Played by a replay link, the run switches as it was made, with the same events.
    await page.goto(env.url + '#replay=' + deflateRawSync(Buffer.from(recording)).toString('base64url'));
    await page.reload();
    await page.waitForFunction(() => window.q50 && window.q50.ready && window.q50.playing);
    await page.waitForFunction(() => window.q50.module._q50_fullscreen() === 1, null,
      { polling: 20, timeout: 10000 });
    await page.waitForFunction(() => document.getElementById('device').width === innerWidth);
    assert.deepEqual(await eventsUntil(page, end), shown);
    await page.close();
  });
