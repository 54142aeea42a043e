// Takes the README's pictures of the page in headless Chromium: at a desktop's width, at a
// phone's, reloaded with the server gone (from the service worker's cache), and the first page
// of the PDF the browser prints of it.
// Usage: node web/screenshot.mjs [desktop.png] [phone.png] [offline.png] [card.png]  (after scripts/web)
import { execFileSync } from 'node:child_process';
import { mkdtempSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import puppeteer from 'puppeteer-core';
import { serveSite } from './serve.mjs';

const repository = new URL('..', import.meta.url).pathname;
const [desktop = join(repository, 'docs/vellicor-web.png'),
    phone = join(repository, 'docs/vellicor-web-phone.png'),
    offline = join(repository, 'docs/vellicor-web-offline.png'),
    card = join(repository, 'docs/vellicor-web-card.png')] = process.argv.slice(2);
const chromium = process.env.CHROMIUM ??
    execFileSync('sh', ['-c', 'command -v chromium'], { encoding: 'utf8' }).trim();
const race = '#seed=1700000000&dice=0&location=backnet&lightyears=120';

const server = await serveSite(process.env.VELLICOR_SITE ?? join(repository, 'build-web/site'));
const browser = await puppeteer.launch({ executablePath: chromium, headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--hide-scrollbars'] });
const open = async (viewport) => {
    const page = await browser.newPage();
    await page.setViewport(viewport);
    await page.goto(`http://127.0.0.1:${server.address().port}/${race}`);
    await page.waitForSelector('html[data-ready="true"]');
    return page;
};
try {
    for (const [file, viewport] of [[desktop, { width: 900, height: 720 }],
        [phone, { width: 390, height: 844, deviceScaleFactor: 2, isMobile: true, hasTouch: true }]]) {
        const page = await open(viewport);
        await page.screenshot({ path: file, fullPage: file === desktop });
        await page.close();
        console.log(file);
    }

    // The card as it is printed on A4, a note typed into Basic Type, drawn from the PDF.
    const page = await open({ width: 900, height: 720 });
    await page.$eval('#box-0', (box) => box.setSelectionRange(box.value.length, box.value.length));
    await page.focus('#box-0');
    await page.keyboard.type(' (met at Tau Ceti <Station 4> & traded)');
    const folder = mkdtempSync(join(tmpdir(), 'vellicor-card-'));
    writeFileSync(join(folder, 'card.pdf'), await page.pdf({ format: 'A4' }));
    execFileSync('pdftoppm', ['-png', '-r', '75', '-singlefile', '-f', '1', join(folder, 'card.pdf'),
        card.replace(/\.png$/, '')]);
    rmSync(folder, { recursive: true });
    console.log(card);

    // The same tab with no server behind it: the service worker's copy of the site.
    await page.waitForFunction(() => navigator.serviceWorker.controller);
    server.closeAllConnections();
    await new Promise((resolve) => server.close(resolve));
    await page.setViewport({ width: 720, height: 560 });
    await page.reload();
    await page.waitForSelector('html[data-ready="true"]');
    await page.screenshot({ path: offline });
    console.log(offline);
} finally {
    await browser.close();
    server.close();
}
