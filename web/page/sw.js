// The service worker: keeps one version of the site (the page and the files it names, all with their
// content's hash in their names) so that the game starts without a network. make_site.py fills in the
// version and the list.
//
// - The page itself (a navigation) comes from the network while there is one, so a new version is seen
//   at once; without a network, the kept page, which names only files kept with it.
// - A hashed file never changes: it comes from the kept copy when there is one. A request the page makes
//   past every cache (after a damaged download) goes to the network and replaces the kept copy.
// - On installing, everything is fetched and kept under the version's name; on activating, the caches of
//   other versions are removed.
'use strict';

const VERSION = '@version@';
const CACHE = 'varnholt-' + VERSION;
const PRECACHE = @precache@;
const HASHED = /\.[0-9a-f]{16}\.[A-Za-z0-9]+$/;

self.addEventListener('install', (event) => {
  event.waitUntil((async () => {
    const cache = await caches.open(CACHE);
    await cache.addAll(PRECACHE.filter((url) => url !== './'));
    // The page kept must be this version's: a site rebuilt meanwhile names other files.
    const response = await fetch('./', { cache: 'no-cache' });
    const text = await response.clone().text();
    if (!response.ok || !text.includes(VERSION)) throw new Error('the site changed while it was being kept');
    await cache.put('./', response);
    await self.skipWaiting();
  })());
});

self.addEventListener('activate', (event) => {
  event.waitUntil((async () => {
    for (const name of await caches.keys()) {
      if (name.startsWith('varnholt-') && name !== CACHE) await caches.delete(name);
    }
    await self.clients.claim();
  })());
});

async function fromNetworkElseKept(request, keptAs) {
  try {
    return await fetch(request);
  } catch (error) {
    const cache = await caches.open(CACHE);
    const kept = await cache.match(keptAs || request, { ignoreSearch: true });
    if (kept) return kept;
    throw error;
  }
}

async function keptElseNetwork(request) {
  const cache = await caches.open(CACHE);
  if (request.cache !== 'reload') {
    const kept = await cache.match(request, { ignoreSearch: true });
    if (kept) return kept;
  }
  const response = await fetch(request);
  if (response.ok && response.status === 200) await cache.put(request, response.clone());
  return response;
}

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET') return;
  const url = new URL(request.url);
  if (url.origin !== self.location.origin) return;
  if (request.mode === 'navigate') {
    event.respondWith(fromNetworkElseKept(request, './'));
  } else if (HASHED.test(url.pathname)) {
    event.respondWith(keptElseNetwork(request));
  } else if (PRECACHE.some((kept) => new URL(kept, self.location.href).pathname === url.pathname)) {
    event.respondWith(fromNetworkElseKept(request));
  }
});
