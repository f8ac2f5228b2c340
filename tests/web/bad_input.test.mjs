// Bad input: a replay link or a file that is no recording is told and nothing plays or is
// stored; a store of garbage reads as the defaults; a browser without WebAssembly is told so.
import { test, after, before } from 'node:test';
import assert from 'node:assert/strict';
import { deflateRawSync } from 'node:zlib';
import { start, open, events, STORE_KEY } from './lib.mjs';

let env;
before(async () => { env = await start(); });
after(async () => { await env.close(); });

const message = (page) => page.evaluate(() => {
  const m = document.getElementById('message');
  return m.hidden ? '' : m.textContent;
});

test('a damaged link or a text that is no recording is told, and nothing plays',
  { timeout: 60000 }, async () => {
    const page = await open(env);
    const store = await page.evaluate((k) => localStorage.getItem(k), STORE_KEY);
    const links = {
      'not base64url': '#replay=%%%%',
      'not deflate': '#replay=' + Buffer.from('plain text').toString('base64url'),
      'no recording': '#replay=' +
        deflateRawSync(Buffer.from('at 10 press nowhere\n')).toString('base64url'),
    };
    for (const [what, link] of Object.entries(links)) {
      await page.evaluate((h) => { location.hash = h; }, link);
      await page.waitForFunction(() => !document.getElementById('message').hidden);
      const text = await message(page);
      assert.match(text, /replay link/, what);
      if (what === 'no recording') assert.match(text, /line 1/, text);
      assert.equal(await page.evaluate(() => !!window.q50.playing), false, what);
      await page.evaluate(() => { document.getElementById('message').hidden = true; });
    }
    // The player's device runs on and the store is as it was.
    assert.equal(await page.evaluate((k) => localStorage.getItem(k), STORE_KEY), store);
    await page.setInputFiles('#recording-file', { name: 'notes.script', mimeType: 'text/plain',
      buffer: Buffer.from('this is no recording\n') });
    await page.waitForFunction(() => !document.getElementById('message').hidden);
    assert.match(await message(page), /notes\.script cannot be played as a recording/);
    await page.close();
  });

test('a store of garbage reads as the defaults; its lines are kept as they are',
  { timeout: 60000 }, async () => {
    const page = await open(env);
    const garbage = '\u0000\u00ff{"HiScore1": 99}\nHiScore1=lots\nKey5=400\n=====\n';
    await page.evaluate(([k, v]) => localStorage.setItem(k, v), [STORE_KEY, garbage]);
    await page.reload();
    await page.waitForFunction(() => window.q50 && window.q50.ready && window.q50.paints > 0);
    assert.equal(await page.evaluate(() => window.q50.module._q50_high_score_a()), 0);
    // The left key is the default one again (a choice outside 1..44 falls back).
    assert.ok((await events(page)).includes('0 store Key5 39'));
    const text = await page.evaluate((k) => localStorage.getItem(k), STORE_KEY);
    assert.ok(text.startsWith('\u0000\u00ff{"HiScore1": 99}\n'), JSON.stringify(text));
    assert.match(text, /^=====$/m);
    await page.close();
  });

test('a browser without WebAssembly gets a plain message', { timeout: 30000 }, async () => {
  const page = await env.context.newPage();
  await page.addInitScript(() => { delete window.WebAssembly; });
  await page.goto(env.url);
  await page.waitForFunction(() => !document.getElementById('message').hidden);
  assert.match(await message(page), /cannot run WebAssembly/);
  await page.close();
});
