// The page's service worker: it keeps the page's files so that the page
// opens with no network after its first visit. The build writes in the
// version (a hash of the files) and their list; a new build is a new worker
// with a cache of its own, and the old cache goes when it takes over.
const version = '@PAGE_VERSION@';
const files = @PAGE_FILES@;
const cachePrefix = 'forced-vibration-';
const cacheName = cachePrefix + version;

self.addEventListener('install', (event) => {
  // Past the browser's HTTP cache, so that the files are this build's.
  event.waitUntil(caches.open(cacheName).then((cache) =>
    cache.addAll(files.map((f) => new Request(f, { cache: 'reload' })))));
});

// A new version takes over only once no tab shows the old one, so a page
// never mixes one build's JavaScript with another's WebAssembly. The first
// one takes the open page at once.
self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys()
    .then((names) => Promise.all(names
      .filter((n) => n.startsWith(cachePrefix) && n !== cacheName)
      .map((n) => caches.delete(n))))
    .then(() => self.clients.claim()));
});

// The kept copy first; anything else from the network.
self.addEventListener('fetch', (event) => {
  if (event.request.method !== 'GET') return;
  event.respondWith(caches.open(cacheName)
    .then((cache) => cache.match(event.request, { ignoreSearch: true }))
    .then((kept) => kept || fetch(event.request)));
});
