// A recording made by the running desktop program, played in the page by a replay link: the
// page's event stream up to the recording's end is the trace tool's for it, and the desktop's
// own as it ran (its event log). Run by tests/e2e/run_e2e_web_recording.sh, which makes the
// recording with real keys under Xvfb.
//   node desktop_recording.mjs RECORDING DESKTOP_EVENTS NATIVE_TRACE_TOOL
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';
import { deflateRawSync } from 'node:zlib';
import { start, open, eventsUntil, trace, root } from './lib.mjs';

const [recordingFile, desktopEvents, nativeTrace] = process.argv.slice(2);
const recording = readFileSync(recordingFile, 'utf8');
const end = Number(/^at (\d+) end$/m.exec(recording)[1]);
const upToEnd = (lines) => lines.filter((l) => l !== '' && Number(l.split(' ')[0]) <= end);
const native = upToEnd(execFileSync(nativeTrace, ['--skin', 'data'],
  { cwd: root, input: recording, encoding: 'utf8' }).split('\n'));
const desktop = upToEnd(readFileSync(desktopEvents, 'utf8').split('\n'));
// The three agree before the page is asked.
assert.deepEqual(upToEnd(trace(recording)), native, 'the wasm and native trace tools differ');
assert.deepEqual(desktop, native, 'the trace tool does not replay the desktop\'s run');

const env = await start();
try {
  const link = '#replay=' + deflateRawSync(Buffer.from(recording)).toString('base64url');
  const page = await open(env, { width: 1024, height: 800, suffix: link });
  assert.equal(await page.evaluate(() => window.q50.playing), true, 'the link did not play');
  const shown = await eventsUntil(page, end, 120000);
  assert.deepEqual(shown, native, 'the page\'s events part from the desktop\'s run');
  console.log(`web-recording: the page played the desktop's recording to its ${shown.length} ` +
    `events up to ${end} ms, as the desktop ran it and the trace tool replays it`);
} finally {
  await env.close();
}
