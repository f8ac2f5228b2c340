// Sound: every sample the device plays is started through Web Audio at its device time, and the
// volume and mute are stored under the desktop's names (Volume, Muted) and read again.
import { test, after, before } from 'node:test';
import assert from 'node:assert/strict';
import { start, open, events, waitEvent, STORE_KEY } from './lib.mjs';

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
  await page.reload();
  await page.waitForFunction(() => window.q50 && window.q50.ready);
  assert.deepEqual(await page.evaluate(() => [window.q50.volume, window.q50.muted]), [0.8, true]);
  await page.close();
});
