// Timings of the browser edition, printed, never judged (a timing is not a pass or a fail):
// - the first race on screen after navigation in headless Chromium, median of 10 cold loads,
//   each in a fresh profile, each as a first visit in a browser already running, and each as a
//   returning visit (the service worker and its cache warm from a visit before);
// - 100,000 races to JSON in the WebAssembly module (each chunk handed to JavaScript and let
//   go) against vellicor-cli writing to /dev/null, medians of 5 each, side by side in this one
//   run; then the same gathered into a Blob, as a download, compared byte for byte with the CLI's;
// - the whole site's size, each file gzipped.
// Usage: node web/bench.mjs  (after scripts/web; VELLICOR_CLI names a Release vellicor-cli)
import { execFileSync, spawnSync } from 'node:child_process';
import { createHash } from 'node:crypto';
import { closeSync, openSync, readdirSync, readFileSync } from 'node:fs';
import { join } from 'node:path';
import { gzipSync } from 'node:zlib';
import puppeteer from 'puppeteer-core';
import { serveSite } from './serve.mjs';

const repository = new URL('..', import.meta.url).pathname;
const site = process.env.VELLICOR_SITE ?? join(repository, 'build-web/site');
const cliPath = process.env.VELLICOR_CLI ?? join(repository, 'build-cli/cli/vellicor-cli');
const chromium = process.env.CHROMIUM ??
    execFileSync('sh', ['-c', 'command -v chromium'], { encoding: 'utf8' }).trim();
const raceCount = 100_000;

const median = (values) => {
    const sorted = [...values].sort((a, b) => a - b);
    const middle = Math.floor(sorted.length / 2);
    return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
};
const sha256 = (bytes) => createHash('sha256').update(bytes).digest('hex');

const server = await serveSite(site);
const url = `http://127.0.0.1:${server.address().port}/`;
const browser = await puppeteer.launch({ executablePath: chromium, headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run'] });

// The first race's time after navigation in each of 10 loads (after one that warms the server's
// disk cache), each in a page `open` gives.
async function firstRaces(open) {
    const times = [];
    for (let load = 0; load < 11; ++load) {
        const { page, done } = await open();
        await page.goto(url);
        await page.waitForSelector('html[data-ready="true"]');
        const at = await page.evaluate(() =>
            performance.getEntriesByName('vellicor-first-race')[0].startTime);
        if (load > 0) times.push(at);
        await done();
    }
    return times;
}

try {
    // First race on screen, two ways. In a fresh profile each time (a new browser context), so
    // nothing comes from any cache, the browser's own setting up of the profile included. And
    // as a first visit in a browser that is already running: a new tab of one profile, its HTTP
    // cache off and the site's storage emptied after each load, so each is a page never seen.
    const firstRace = await firstRaces(async () => {
        const context = await browser.createBrowserContext();
        return { page: await context.newPage(), done: () => context.close() };
    });
    const visitContext = await browser.createBrowserContext();
    const firstVisit = await firstRaces(async () => {
        const page = await visitContext.newPage();
        await page.setCacheEnabled(false);
        // What the visit before kept when it closed.
        const cdp = await page.createCDPSession();
        await cdp.send('Storage.clearDataForOrigin', {
            origin: url.replace(/\/$/, ''),
            storageTypes: 'local_storage,service_workers,cache_storage' });
        return { page, done: () => page.close() };
    });
    await visitContext.close();
    // A returning visit: a new tab of a profile that has been to the page, whose service worker
    // keeps the site, so nothing comes from the network.
    const returningContext = await browser.createBrowserContext();
    const firstPage = await returningContext.newPage();
    await firstPage.goto(url);
    await firstPage.waitForFunction(() => navigator.serviceWorker.controller);
    await firstPage.close();
    const returning = await firstRaces(async () => {
        const page = await returningContext.newPage();
        return { page, done: () => page.close() };
    });
    await returningContext.close();

    // 100,000 races as JSON in the page's module, each chunk handed to JavaScript as it is
    // written and let go, as vellicor-cli's go to /dev/null; then the same gathered into a Blob,
    // as a download keeps them.
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    await page.goto(url);
    await page.waitForSelector('html[data-ready="true"]');
    const wasm = await page.evaluate(async (count) => {
        const { loadEngine, formats } = await import('./engine.js');
        const engine = await loadEngine();
        const request = { seed: 1700000000, location: 2, lightyears: 120, count,
            format: formats.json };
        // Two runs first, while the browser still moves the module's hot code to its optimising
        // compiler, as a page that has been open a while has done.
        const times = [];
        for (let run = 0; run < 7; ++run) {
            let size = 0;
            const start = performance.now();
            engine.writeRaces(request, (chunk) => { size += chunk.length; });
            times.push(performance.now() - start);
        }
        const blobTimes = [];
        let blob;
        for (let run = 0; run < 6; ++run) {
            const start = performance.now();
            blob = new Blob(engine.racesChunks(request), { type: 'application/json' });
            blobTimes.push(performance.now() - start);
        }
        const digest = await crypto.subtle.digest('SHA-256', await blob.arrayBuffer());
        return {
            times: times.slice(2),
            blobTimes: blobTimes.slice(1),
            size: blob.size,
            sha256: Array.from(new Uint8Array(digest), (b) => b.toString(16).padStart(2, '0')).join(''),
        };
    }, raceCount);
    await context.close();

    const args = ['--seed', '1700000000', '--location', 'backnet', '--lightyears', '120',
        '--count', String(raceCount), '--format', 'json'];
    // The tool as the README times it: the whole process, writing to /dev/null.
    const native = [];
    const nowhere = openSync('/dev/null', 'w');
    for (let run = 0; run < 6; ++run) {
        const start = performance.now();
        const result = spawnSync(cliPath, args, { stdio: ['ignore', nowhere, 'pipe'] });
        const elapsed = performance.now() - start;
        if (result.status !== 0) throw new Error(`vellicor-cli failed: ${result.stderr}`);
        if (run > 0) native.push(elapsed);
    }
    closeSync(nowhere);
    const nativeOutput = spawnSync(cliPath, args, { maxBuffer: 1024 * 1024 * 1024 }).stdout;

    // Everything a static host serves, each file gzipped as a server would send it.
    let plain = 0;
    let gzipped = 0;
    for (const name of readdirSync(site)) {
        const bytes = readFileSync(join(site, name));
        plain += bytes.length;
        gzipped += gzipSync(bytes, { level: 9 }).length;
    }

    const wasmMedian = median(wasm.times);
    const nativeMedian = median(native);
    const series = (times) => `${median(times).toFixed(0)} ms (${times.map((t) => t.toFixed(0)).join(', ')})`;
    console.log(`First race on screen after navigation, fresh profile (median of 10): ${series(firstRace)}`);
    console.log(`The same as a first visit in a running browser (median of 10): ${series(firstVisit)}`);
    console.log(`The same as a returning visit, from the service worker's cache (median of 10): ` +
        `${series(returning)}`);
    console.log(`${raceCount} races to JSON: WebAssembly ${wasmMedian.toFixed(0)} ms, ` +
        `vellicor-cli ${nativeMedian.toFixed(0)} ms (the whole process, to /dev/null), ` +
        `ratio ${(wasmMedian / nativeMedian).toFixed(2)} (medians of 5)`);
    console.log(`The same gathered into a Blob, as a download: ${median(wasm.blobTimes).toFixed(0)} ms`);
    console.log(`Same bytes as vellicor-cli: ${wasm.sha256 === sha256(nativeOutput) ? 'yes' : 'NO'}` +
        ` (${wasm.size} bytes)`);
    console.log(`Site: ${(plain / 1024).toFixed(1)} KiB, ${(gzipped / 1024).toFixed(1)} KiB gzipped`);
} finally {
    await browser.close();
    server.close();
}
