// The page installs as an app, keeps its files after the first visit, loads and rolls with no
// network, takes a new build when one is served, and works as before without a service worker.
import assert from 'node:assert/strict';
import { cp, mkdtemp, readFile, rename, rm, writeFile } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, test } from 'node:test';
import { Browser, cliRaces, fragment, siteFolder, testTimeout } from './support.mjs';

// A copy of the site, which one test takes away and another builds again.
const folder = await mkdtemp(join(tmpdir(), 'vellicor-site-'));
await cp(siteFolder, folder, { recursive: true });
const browser = new Browser();
before(() => browser.start(folder));
after(() => browser.stop().then(() => rm(folder, { recursive: true, force: true })));

const link = { seed: 31337, location: 1, lightyears: 40 };
const controlled = (page) => page.page.waitForFunction(() => navigator.serviceWorker.controller);
// New after the link shows race 2 of vellicor-cli.
async function rollsOn(page) {
    await page.click('#new');
    assert.deepEqual(await page.texts(), cliRaces({ ...link, count: 2 })[1].categories.map(({ text }) => text));
}

test('the manifest names the app, and its icons are drawn at their sizes', { timeout: testTimeout }, async () => {
    const page = await browser.open();
    const { icons, description, ...manifest } = await page.page.evaluate(async () =>
        (await fetch(document.querySelector('link[rel="manifest"]').href)).json());
    assert.deepEqual(manifest, { name: 'Vellicor', short_name: 'Vellicor', start_url: './', scope: './',
        display: 'standalone', theme_color: '#2d3e63', background_color: '#dcdcdc' });
    for (const size of [192, 512]) {
        const { src, type } = icons.find((each) => each.sizes === `${size}x${size}`);
        const png = await readFile(join(folder, src));
        assert.deepEqual([type, png.readUInt32BE(16), png.readUInt32BE(20)], ['image/png', size, size], src);
    }
    await page.close();
});

test('after the first visit the page loads and rolls with no network', { timeout: testTimeout }, async () => {
    const page = await browser.open(fragment(link));
    await controlled(page);
    // The browser's offline mode leaves the service worker's own fetches be: the server, too,
    // has nothing to give meanwhile.
    await page.page.setOfflineMode(true);
    await rename(folder, `${folder}-away`);
    try {
        // At an address with a query too, as a link passed on through a chat may carry.
        await page.page.goto(`${browser.url}?shared=1${fragment(link)}`);
        await page.page.waitForSelector('html[data-ready="true"]');
        await rollsOn(page);
    } finally {
        await rename(`${folder}-away`, folder);
    }
    await page.close();
});

test('a new build served takes the place of the kept one, whose cache is removed', { timeout: testTimeout }, async () => {
    const page = await browser.open();
    await controlled(page);
    const [kept] = await page.page.evaluate(() => caches.keys());
    const [worker, html] = await Promise.all(['sw.js', 'index.html'].map((name) => readFile(join(folder, name), 'utf8')));
    // The copy of the site is this file's own: what comes after does not need the build before.
    await writeFile(join(folder, 'sw.js'), worker.replace(kept, 'vellicor-next-build'));
    await writeFile(join(folder, 'index.html'), `${html}<!-- the next build -->\n`);
    await page.reload();
    await page.page.waitForFunction(async () => (await caches.keys()).join() === 'vellicor-next-build');
    await page.reload();
    assert.match(await page.page.content(), /the next build/);
    await page.close();
});

test('where service workers are not offered the page works as before', { timeout: testTimeout }, async () => {
    const page = await browser.open(fragment(link), { setUp: (tab) => tab.evaluateOnNewDocument(() =>
        delete Navigator.prototype.serviceWorker) });
    assert.equal(await page.page.evaluate(() => 'serviceWorker' in navigator), false);
    await rollsOn(page);
    await page.close();
});
