// Keeps the site so that it starts without a network after the first visit: the files the
// game needs are kept at install, everything else of the site (manual pages, texts) as it is
// first fetched. A new build has a new cache name; the old caches go once it takes over.
const CACHE = 'quendrix50-@VERSION@';
const CORE = ['./', 'index.html', 'page.css', 'app.js', 'quendrix50.js', 'quendrix50.wasm',
  'quendrix50.data', 'manifest.webmanifest', 'icons/quendrix50-256.png',
  'icons/quendrix50-512.png', 'icons/quendrix50-32.png', @SOUNDS@];

self.addEventListener('install', (e) => {
  e.waitUntil(caches.open(CACHE).then((c) => c.addAll(CORE)).then(() => self.skipWaiting()));
});
self.addEventListener('activate', (e) => {
  e.waitUntil(caches.keys()
    .then((keys) => Promise.all(keys.filter((k) => k !== CACHE).map((k) => caches.delete(k))))
    .then(() => self.clients.claim()));
});
self.addEventListener('fetch', (e) => {
  const url = new URL(e.request.url);
  if (e.request.method !== 'GET' || url.origin !== location.origin) return;
  e.respondWith(caches.open(CACHE).then(async (c) => {
    const kept = await c.match(e.request, { ignoreSearch: true });
    if (kept) return kept;
    const fresh = await fetch(e.request);
    if (fresh.ok) c.put(e.request, fresh.clone());
    return fresh;
  }));
});
