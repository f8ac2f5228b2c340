// Sound: every sample the device plays is started through Web Audio at its device time, and the
// volume and mute are stored under the desktop's names (Volume, Muted) and read again.
import { test, after, before } from 'node:test';
import assert from 'node:assert/strict';
import { start, open, events, waitEvent, trace, STORE_KEY } from './lib.mjs';

let env;
before(async () => { env = await start(); });
after(async () => { await env.close(); });

test('each sample of the event stream is started through Web Audio', { timeout: 60000 },
  async () => {
    const page = await open(env, { suffix: '?seed=3' });
    await page.waitForFunction(() => window.q50.sounds !== undefined);
    await page.waitForTimeout(1000); // the samples decoded
    await page.keyboard.press('Digit5');
    await waitEvent(page, /^\d+ mode 2$/);
    await page.keyboard.press('Digit1');
    await waitEvent(page, /^\d+ sound \w+$/, 20000);
    await page.waitForTimeout(8000);
    const told = (await events(page)).filter((l) => / sound /.test(l) && !/silence/.test(l))
      .map((l) => { const [t, , name] = l.split(' '); return { name, time: Number(t) }; });
    const started = await page.evaluate(() => window.q50.sounds);
    assert.ok(told.length > 0);
    assert.deepEqual(started, told);
    assert.equal(await page.evaluate(() => document.getElementById('sound-hint').hidden), true);
    await page.close();
  });

test('volume and mute are stored as the desktop stores them', { timeout: 60000 }, async () => {
  const page = await open(env);
  await page.keyboard.press('-');
  await page.keyboard.press('-');
  const store = () => page.evaluate((k) => localStorage.getItem(k), STORE_KEY);
  assert.match(await store(), /^Volume=80$/m);
  await page.click('#device', { button: 'right' });
  await page.click('#menu li:has-text("Sound")');
  assert.match(await store(), /^Muted=1$/m);
  // The player's preferences are kept, and are no events of the device: the run replays the same.
  const recording = await page.evaluate(() => window.q50.recording());
  const end = Number(/^at (\d+) end$/m.exec(recording)[1]);
  const shown = (await events(page)).filter((l) => Number(l.split(' ')[0]) <= end);
  assert.ok(!shown.some((l) => / store (Volume|Muted) /.test(l)), shown.join('\n'));
  assert.deepEqual(trace(recording), shown);
  await page.reload();
  await page.waitForFunction(() => window.q50 && window.q50.ready);
  assert.deepEqual(await page.evaluate(() => [window.q50.volume, window.q50.muted]), [0.8, true]);
  await page.close();
});

// A browser that holds sound back until the player acts: the page says so in a small hint, and
// the first key, click or touch lets the sound run and takes the hint away. Playwright's own
// page.evaluate counts as a user's gesture, so the page is looked at through a plain CDP
// evaluation, which does not, until the player's input has been given.
test('held-back sound: a hint, and the first key, click or touch resumes it', { timeout: 90000 },
  async () => {
    const held = await start({ soundHeld: true });
    try {
      const firsts = {
        key: (page) => page.keyboard.press('Digit3'),
        click: (page) => page.mouse.click(5, 5),
        touch: async (page) => {
          await page.cdp.send('Input.dispatchTouchEvent', { type: 'touchStart',
            touchPoints: [{ x: 5, y: 5, id: 1 }] });
          await page.cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
        },
      };
      for (const [how, act] of Object.entries(firsts)) {
        const page = await held.context.newPage();
        await page.setViewportSize({ width: 600, height: 800 });
        page.cdp = await held.context.newCDPSession(page);
        if (how === 'touch')
          await page.cdp.send('Emulation.setTouchEmulationEnabled', { enabled: true, maxTouchPoints: 5 });
        const look = async () => (await page.cdp.send('Runtime.evaluate', { returnByValue: true,
          expression: `[window.q50 && window.q50.audioState,
            getComputedStyle(document.getElementById('sound-hint')).display !== 'none',
            navigator.userActivation.hasBeenActive]` })).result.value;
        await page.goto(held.url);
        let seen;
        for (let i = 0; i < 100; ++i) {
          seen = await look();
          if (seen[0] && seen[1]) break;
          await new Promise((r) => setTimeout(r, 100));
        }
        assert.deepEqual(seen, ['suspended', true, false], `${how}: no hint at the start`);
        await act(page);
        await page.waitForFunction(() => window.q50.audioState === 'running', null,
          { timeout: 5000 }).catch(() => {});
        assert.deepEqual(await look(), ['running', false, true], `${how} did not resume the sound`);
        await page.close();
      }
    } finally {
      await held.close();
    }
  });
