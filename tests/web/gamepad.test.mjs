// Game controllers through the Gamepad API. Headless chromium has no controller, and there is no
// honest way to plug one in, so this test runs the page's controller code on a scripted
// stand-in of navigator.getGamepads (a standard-mapping pad whose buttons the test sets) with
// the browser's own gamepadconnected and gamepaddisconnected events.
import { test, after, before } from 'node:test';
import assert from 'node:assert/strict';
import { start, open, waitEvent } from './lib.mjs';

let env;
before(async () => { env = await start(); });
after(async () => { await env.close(); });

test('a stand-in controller opens the device and starts game A; unplugged, it lets go',
  { timeout: 60000 }, async () => {
    const page = await env.context.newPage();
    await page.addInitScript(() => {
      const pad = { index: 0, id: 'stand-in pad', mapping: 'standard', connected: true,
        buttons: Array.from({ length: 17 }, () => ({ pressed: false, value: 0 })),
        axes: [0, 0, 0, 0] };
      window.standIn = {
        pad, reads: 0,
        set(i, down) { pad.buttons[i] = { pressed: down, value: down ? 1 : 0 }; },
        plug(on) {
          pad.connected = on;
          const e = new Event(on ? 'gamepadconnected' : 'gamepaddisconnected');
          e.gamepad = pad;
          dispatchEvent(e);
        },
      };
      navigator.getGamepads = () => { window.standIn.reads++; return [pad.connected ? pad : null]; };
    });
    await page.setViewportSize({ width: 600, height: 800 });
    await page.goto(env.url);
    await page.waitForFunction(() => window.q50 && window.q50.ready && window.q50.paints > 0);
    const frame = () => page.evaluate(() => new Promise((r) => requestAnimationFrame(() =>
      requestAnimationFrame(r))));
    // Not read while none is connected.
    await frame();
    assert.equal(await page.evaluate(() => window.standIn.reads), 0);
    await page.evaluate(() => window.standIn.plug(true));
    const press = async (i) => {
      await page.evaluate((b) => window.standIn.set(b, true), i);
      await frame();
      await page.evaluate((b) => window.standIn.set(b, false), i);
      await frame();
    };
    await press(2); // X: Pad4, open
    await waitEvent(page, /^\d+ mode 2$/);
    await press(9); // Start: Pad1, game A
    await waitEvent(page, /^\d+ mode 6$/);
    // The left stick held left, then the pad unplugged while it is held: released.
    await page.evaluate(() => { window.standIn.pad.axes[0] = -1; });
    await frame();
    await page.evaluate(() => window.standIn.plug(false));
    await frame();
    const rec = await page.evaluate(() => window.q50.recording());
    const lines = rec.split('\n').map((l) => l.replace(/^at \d+ /, ''));
    for (const l of ['press open', 'press game_a', 'release game_a', 'press left', 'release left'])
      assert.ok(lines.includes(l), `${l} missing in\n${rec}`);
    // Unplugged: no more reads.
    const reads = await page.evaluate(() => window.standIn.reads);
    await frame();
    await frame();
    assert.equal(await page.evaluate(() => window.standIn.reads), reads);
    await page.close();
  });
