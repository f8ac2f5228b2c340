// Serves a folder of static files on 127.0.0.1 (the site as any static host would):
//   node web/serve.mjs FOLDER PORT
// Prints the address once it listens. GET and HEAD only; nothing outside the folder.
import { createServer } from 'node:http';
import { createReadStream, statSync } from 'node:fs';
import { extname, join, normalize, resolve, sep } from 'node:path';

const TYPES = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8', '.wasm': 'application/wasm',
  '.webmanifest': 'application/manifest+json', '.json': 'application/json',
  '.png': 'image/png', '.bmp': 'image/bmp', '.svg': 'image/svg+xml', '.wav': 'audio/wav',
  '.txt': 'text/plain; charset=utf-8', '.ini': 'text/plain; charset=utf-8',
  '.data': 'application/octet-stream',
};

export function serve(folder, port, host = '127.0.0.1') {
  const root = resolve(folder);
  const server = createServer((req, res) => {
    if (req.method !== 'GET' && req.method !== 'HEAD') {
      res.writeHead(405).end();
      return;
    }
    let path;
    try {
      path = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    } catch {
      res.writeHead(400).end();
      return;
    }
    if (path.endsWith('/')) path += 'index.html';
    const file = normalize(join(root, path));
    let st;
    try {
      st = file.startsWith(root + sep) ? statSync(file) : null;
    } catch {
      st = null;
    }
    if (!st || !st.isFile()) {
      res.writeHead(404, { 'content-type': 'text/plain' }).end('not found\n');
      return;
    }
    res.writeHead(200, {
      'content-type': TYPES[extname(file).toLowerCase()] || 'application/octet-stream',
      'content-length': st.size, 'cache-control': 'no-cache',
    });
    if (req.method === 'HEAD') res.end();
    else createReadStream(file).pipe(res);
  });
  return new Promise((ok, fail) => {
    server.once('error', fail);
    server.listen(port, host, () => ok(server));
  });
}

if (import.meta.url === `file://${process.argv[1]}`) {
  const [folder, port = '8050'] = process.argv.slice(2);
  const server = await serve(folder, Number(port));
  console.log(`Quendrix50 is served at http://127.0.0.1:${server.address().port}/`);
}
