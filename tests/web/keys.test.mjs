// Real keys in chromium: the device opens on its key, a game of A is played to its end with the
// arrow keys, and the high score it leaves is in local storage, read again after a reload. A key
// held down (with the browser's repeats) is one press.
import { test, after, before } from 'node:test';
import assert from 'node:assert/strict';
import { start, open, events, waitEvent, STORE_KEY } from './lib.mjs';

let env;
before(async () => { env = await start(); });
after(async () => { await env.close(); });

test('keys open the device and play a game of A to its end; the high score survives a reload',
  { timeout: 180000 }, async () => {
    // A known seed: the game's flames and bombs are the same each run.
    const page = await open(env, { suffix: '?seed=1' });
    await page.keyboard.press('Digit5');
    await waitEvent(page, /^\d+ mode 2$/);
    await page.keyboard.press('Digit1');
    await waitEvent(page, /^\d+ mode 6$/);
    // Two steps right once the game runs: two points.
    await page.waitForTimeout(11000);
    for (let i = 0; i < 2; ++i) {
      await page.keyboard.press('ArrowRight');
      await page.waitForTimeout(500);
    }
    await waitEvent(page, /^\d+ sound Gameover$/, 120000);
    await waitEvent(page, /^\d+ store HiScore1 [1-9]\d*$/, 5000);
    const stored = (await events(page)).find((l) => / store HiScore1 /.test(l)).split(' ').pop();
    const text = await page.evaluate((k) => localStorage.getItem(k), STORE_KEY);
    assert.match(text, new RegExp(`^HiScore1=${stored}$`, 'm'));
    // The same lines as the desktop's file: one Name=Text a line, the keys first written at start.
    for (const line of text.trimEnd().split('\n')) assert.match(line, /^[A-Za-z0-9]+=-?\d+$/);

    await page.reload();
    await page.waitForFunction(() => window.q50 && window.q50.ready);
    await page.keyboard.press('Digit5');
    await waitEvent(page, /^\d+ mode 2$/);
    // Game A held shows its high score: the one stored, read back from local storage.
    await page.keyboard.down('Digit1');
    await page.waitForTimeout(300);
    const shown = await page.evaluate(() => window.q50.module._q50_high_score_a());
    assert.equal(String(shown), stored);
    await page.keyboard.up('Digit1');
    await page.close();
  });

test('a held key is one press, whatever the browser repeats', { timeout: 60000 }, async () => {
  const page = await open(env);
  await page.keyboard.press('Digit5');
  await waitEvent(page, /^\d+ mode 2$/);
  await page.keyboard.down('ArrowLeft');
  for (let i = 0; i < 5; ++i) await page.keyboard.down('ArrowLeft'); // repeat: true
  await page.keyboard.up('ArrowLeft');
  const recording = await page.evaluate(() => window.q50.recording());
  assert.equal(recording.match(/ press left$/gm)?.length, 1, recording);
  assert.equal(recording.match(/ release left$/gm)?.length, 1, recording);
  await page.close();
});
