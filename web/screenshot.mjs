// Takes the README's pictures of the page in headless Chromium: at a desktop's width and at a
// phone's. Usage: node web/screenshot.mjs [desktop.png] [phone.png]  (after scripts/web)
import { execFileSync } from 'node:child_process';
import { join } from 'node:path';
import puppeteer from 'puppeteer-core';
import { serveSite } from './serve.mjs';

const repository = new URL('..', import.meta.url).pathname;
const [desktop = join(repository, 'docs/vellicor-web.png'),
    phone = join(repository, 'docs/vellicor-web-phone.png')] = process.argv.slice(2);
const chromium = process.env.CHROMIUM ??
    execFileSync('sh', ['-c', 'command -v chromium'], { encoding: 'utf8' }).trim();
const race = '#seed=1700000000&dice=0&location=backnet&lightyears=120';

const server = await serveSite(process.env.VELLICOR_SITE ?? join(repository, 'build-web/site'));
const browser = await puppeteer.launch({ executablePath: chromium, headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--hide-scrollbars'] });
try {
    for (const [file, viewport] of [[desktop, { width: 900, height: 720 }],
        [phone, { width: 390, height: 844, deviceScaleFactor: 2, isMobile: true, hasTouch: true }]]) {
        const page = await browser.newPage();
        await page.setViewport(viewport);
        await page.goto(`http://127.0.0.1:${server.address().port}/${race}`);
        await page.waitForSelector('html[data-ready="true"]');
        await page.screenshot({ path: file, fullPage: file === desktop });
        await page.close();
        console.log(file);
    }
} finally {
    await browser.close();
    server.close();
}
