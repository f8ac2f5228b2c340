// The layout on a phone (held upright and sideways), a desktop screen and a 4K screen: the whole
// device, or the LCD when the phone is sideways, lies wholly on screen and as large as it fits.
// The screenshots go to Q50_WEB_SHOTS (the build folder by default) as web-NAME.png.
import { test, after, before } from 'node:test';
import assert from 'node:assert/strict';
import { mkdirSync } from 'node:fs';
import { join } from 'node:path';
import { start, open, site } from './lib.mjs';

// A phone's screen has about three device pixels to a CSS pixel; the device is drawn at them.
let desk;
let phone;
before(async () => { desk = await start(); phone = await start({ ratio: 3 }); });
after(async () => { await desk.close(); await phone.close(); });
const shots = process.env.Q50_WEB_SHOTS || join(site, '..', 'shots');
mkdirSync(shots, { recursive: true });

const SIZES = [
  ['phone', 390, 844, 'device'],
  ['phone-sideways', 844, 390, 'lcd'],
  ['1920x1080', 1920, 1080, 'device'],
  ['3840x2160', 3840, 2160, 'device'],
];

for (const [name, width, height, shows] of SIZES) {
  test(`${width}x${height} shows the ${shows === 'lcd' ? 'LCD' : 'whole device'} on screen`,
    { timeout: 60000 }, async () => {
      const onPhone = name.startsWith('phone');
      const page = await open(onPhone ? phone : desk, { width, height, touch: onPhone });
      await page.keyboard.press('Digit5'); // open: the LCD shows the game
      await page.waitForTimeout(700);
      const r = await page.evaluate((what) => {
        const part = what === 'lcd' ? window.q50.clientRectOf('im_background_screen_top')
          : (() => { const c = document.getElementById('device').getBoundingClientRect();
            return { x: c.x, y: c.y, width: c.width, height: c.height }; })();
        return { ...part, view: window.q50.view, room: window.q50.room };
      }, shows);
      assert.equal(r.view, shows === 'lcd' ? 1 : 0);
      // Drawn at the screen's own pixels: the canvas holds as many pixels as it covers.
      const px = await page.evaluate(() => { const c = document.getElementById('device');
        return [c.width, c.height, c.getBoundingClientRect().width * devicePixelRatio]; });
      assert.ok(Math.abs(px[0] - px[2]) <= 1, `canvas ${px}`);
      const eps = 0.5;
      assert.ok(r.x >= -eps && r.y >= -eps && r.x + r.width <= width + eps &&
        r.y + r.height <= height + eps, `${JSON.stringify(r)} is not wholly on ${width}x${height}`);
      // As large as it fits: it meets the limiting side of the page, or in the LCD view that
      // of the room the touch pads leave beside it.
      const room = shows === 'lcd' ? r.room : { width, height };
      if (shows === 'lcd') assert.ok(room.width < width, 'no room is left for the pads');
      assert.ok(Math.abs(r.width - room.width) < 1 || Math.abs(r.height - room.height) < 1,
        `${JSON.stringify(r)} does not fill ${room.width}x${room.height}`);
      await page.screenshot({ path: join(shots, `web-${name}.png`) });
      await page.close();
    });
}
