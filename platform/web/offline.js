// Offline after the first visit: served over http(s), the page has its
// service worker (sw.js) keep the page's files. The page in one file, opened
// from a disk, has no manifest and needs none.
const installable = document.querySelector('link[rel="manifest"]') !== null;
if (installable && 'serviceWorker' in navigator && /^https?:$/.test(location.protocol)) {
  navigator.serviceWorker.register('sw.js').catch((e) => {
    console.warn('page: the files are not kept for offline use: ' + e);
  });
}
