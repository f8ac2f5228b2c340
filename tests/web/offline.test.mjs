// Offline and installable: after the first visit the service worker keeps the site, so that a
// reload without any network starts the device; the manifest names the program's icons.
import { test, after, before } from 'node:test';
import assert from 'node:assert/strict';
import { start, open, waitEvent } from './lib.mjs';

let env;
before(async () => { env = await start(); });
after(async () => { await env.close(); });

test('a reload without a network after the first visit starts the device', { timeout: 90000 },
  async () => {
    const page = await open(env);
    await page.evaluate(() => navigator.serviceWorker.ready);
    // The worker has kept the files once it is active; the page is its own from the next load.
    await page.reload();
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null);
    await env.context.setOffline(true);
    try {
      await page.reload();
      await page.waitForFunction(() => window.q50 && window.q50.ready && window.q50.paints > 0);
      await page.keyboard.press('Digit5');
      await waitEvent(page, /^\d+ mode 2$/);
      // Really without the server: a file the site does not keep cannot be had.
      const reached = await page.evaluate(() =>
        fetch('no-such-file.txt').then(() => true, () => false));
      assert.equal(reached, false);
    } finally {
      await env.context.setOffline(false);
    }
    await page.close();
  });

test('the manifest names the icons a phone or a desktop installs', { timeout: 30000 },
  async () => {
    const page = await open(env);
    const manifest = await page.evaluate(async () => {
      const href = document.querySelector('link[rel=manifest]').href;
      const m = await (await fetch(href)).json();
      const sizes = [];
      for (const icon of m.icons) {
        const r = await fetch(new URL(icon.src, href));
        if (r.ok) sizes.push(icon.sizes);
      }
      return { name: m.name, start: m.start_url, display: m.display, sizes };
    });
    assert.equal(manifest.name, 'Quendrix50');
    assert.equal(manifest.start, './');
    assert.ok(manifest.sizes.includes('512x512') && manifest.sizes.includes('256x256'),
      JSON.stringify(manifest));
    await page.close();
  });
