// Keeps every file of one build, so that after one visit the page starts
// and plays with no network. Each build has a cache of its own, filled
// whole (every file checked against the build's list) before it may take
// over, and the old one is dropped once it has: a page's script never
// meets another build's program. package.py fills in the build.
'use strict';

const build = '@BUILD@';
const files = @FILES@; // each file of the build, by its path here, with its SHA-256
const cacheName = 'clodmere-' + build;
const cachePrefix = 'clodmere-';

function hex(digest) {
  return Array.from(new Uint8Array(digest), byte => byte.toString(16).padStart(2, '0')).join('');
}

// A file as the server has it now, past every HTTP cache; refused unless
// it is this build's.
async function fetchOfBuild(file) {
  const response = await fetch(new Request(file, {cache: 'reload'}));
  if (!response.ok)
    throw new Error(file + ': ' + response.status);
  const bytes = await response.clone().arrayBuffer();
  if (hex(await crypto.subtle.digest('SHA-256', bytes)) !== files[file])
    throw new Error(file + ' is not of build ' + build);
  return response;
}

async function fillCache() {
  const responses = await Promise.all(Object.keys(files).map(fetchOfBuild));
  const cache = await caches.open(cacheName);
  await Promise.all(Object.keys(files).map((file, i) => cache.put(file, responses[i])));
  // The folder's own address is its page.
  await cache.put('./', await cache.match('index.html').then(response => response.clone()));
}

self.addEventListener('install', event => event.waitUntil(fillCache()));

self.addEventListener('activate', event => event.waitUntil((async () => {
  for (const name of await caches.keys())
    if (name.startsWith(cachePrefix) && name !== cacheName)
      await caches.delete(name);
  await self.clients.claim();
})()));

// The page asks for this when the player takes the newer build.
self.addEventListener('message', event => {
  if (event.data === 'take over')
    self.skipWaiting();
});

// The build's files from its cache (a page's query never changes which
// page it is); anything else from the network.
self.addEventListener('fetch', event => {
  if (event.request.method !== 'GET')
    return;
  const navigating = event.request.mode === 'navigate';
  event.respondWith(caches.open(cacheName)
    .then(cache => cache.match(event.request, {ignoreSearch: navigating}))
    .then(cached => cached || fetch(event.request)));
});
