// The page's service worker: the site's files are kept in a cache named after the build, so
// that a returning visit loads and rolls from it, with or without the network. The build writes
// its name and the files into this script, so a new build is a new script: the browser, which
// looks for one on each visit, installs it, it fetches the new files into a cache of its own,
// takes over, and the caches of earlier builds are removed. The visit after that is the new build.
const cacheName = 'vellicor-@SITE_VERSION@';
const siteFiles = ['./', ...'@SITE_FILES@'.split(' ')];

self.addEventListener('install', (event) => {
    event.waitUntil((async () => {
        const cache = await caches.open(cacheName);
        // From the server, past any copy the browser's HTTP cache holds of the build before.
        await cache.addAll(siteFiles.map((file) => new Request(file, { cache: 'reload' })));
        await self.skipWaiting();
    })());
});

self.addEventListener('activate', (event) => {
    event.waitUntil((async () => {
        for (const name of await caches.keys())
            if (name !== cacheName && name.startsWith('vellicor-')) await caches.delete(name);
        await self.clients.claim();
    })());
});

// The site's files from the cache; anything else (and any file the cache lacks) from the network.
// The cache is opened once for as long as the worker runs, not again for each of a page's files.
let cache;
self.addEventListener('fetch', (event) => {
    const { request } = event;
    if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
    event.respondWith((async () => {
        cache ??= caches.open(cacheName);
        return (await (await cache).match(request, { ignoreSearch: true })) ?? fetch(request);
    })());
});
