// The site's code stays small: the .wasm and the scripts together at most 400 KB gzip-compressed
// (the data apart), as a phone on a slow line fetches them before the first frame.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { codeBytes } from './lib.mjs';

test('the .wasm and the scripts are at most 400 KB gzip-compressed', () => {
  const bytes = codeBytes();
  assert.ok(bytes > 100 * 1024, `${bytes} bytes: the site is not built whole`);
  assert.ok(bytes <= 400 * 1024, `${bytes} bytes`);
});
