// What the browser tests share: the site served on a free port, Debian's Chromium driven by
// puppeteer-core, vellicor-cli to compare with, and a check that no page logs an error.
import assert from 'node:assert/strict';
import { execFileSync, spawnSync } from 'node:child_process';
import { existsSync } from 'node:fs';
import { mkdtemp, readdir, readFile, rm } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { fileURLToPath } from 'node:url';
import puppeteer from 'puppeteer-core';
import { serveSite } from '../serve.mjs';

const repository = fileURLToPath(new URL('../..', import.meta.url));
export const siteFolder = process.env.VELLICOR_SITE ?? join(repository, 'build-web/site');
const cliPath = process.env.VELLICOR_CLI ?? join(repository, 'build/cli/vellicor-cli');

// Every test's own limit; a browser that hangs fails the test instead of the run.
export const testTimeout = 60_000;

export const locationLabels = ['Inner Province', 'Frontier', 'Backnet'];
export const locationNames = ['inner', 'frontier', 'backnet'];

function chromiumPath() {
    if (process.env.CHROMIUM) return process.env.CHROMIUM;
    for (const path of ['/usr/bin/chromium', '/usr/bin/chromium-browser'])
        if (existsSync(path)) return path;
    return execFileSync('sh', ['-c', 'command -v chromium'], { encoding: 'utf8' }).trim();
}

// vellicor-cli's standard output for `args`, as bytes.
export function cli(args) {
    return execFileSync(cliPath, args, { maxBuffer: 256 * 1024 * 1024 });
}

// What the CLI writes for a race link: --seed S --dice K --location L --lightyears D.
export function cliArgs({ seed, dice = 0, location, lightyears, count = 1, format = 'json' }) {
    return ['--seed', String(seed), '--dice', String(dice), '--location', locationNames[location],
        '--lightyears', String(lightyears), '--count', String(count), '--format', format];
}

// The trace vellicor-cli --trace writes to standard error for `args`.
export function cliTrace(args) {
    const run = spawnSync(cliPath, [...args, '--trace'], { maxBuffer: 64 * 1024 * 1024 });
    assert.equal(run.status, 0);
    return run.stderr.toString('utf8');
}

export function cliRaces(race) {
    return JSON.parse(cli(cliArgs({ ...race, format: 'json' })).toString('utf8'));
}

export function fragment({ seed, dice = 0, location, lightyears }) {
    return `#seed=${seed}&dice=${dice}&location=${locationNames[location]}&lightyears=${lightyears}`;
}

// One browser and one server for a test file: `start()` in before(), `stop()` in after().
// Keeps what `page` logs and what fails in it in `errors`. The page writes nothing to the
// console: not an error, and not a trace line either.
function watchForErrors(page, errors) {
    page.on('console', (message) => errors.push(`console ${message.type()}: ${message.text()}`));
    page.on('pageerror', (error) => errors.push(`page error: ${error.message}`));
    // A load the page's own reload cut short (an icon, say) is not a failure.
    page.on('requestfailed', (request) => {
        if (request.failure()?.errorText !== 'net::ERR_ABORTED')
            errors.push(`request failed: ${request.url()}`);
    });
}

export class Browser {
    async start(folder = siteFolder) {
        this.server = await serveSite(folder);
        this.url = `http://127.0.0.1:${this.server.address().port}/`;
        this.browser = await puppeteer.launch({
            executablePath: chromiumPath(),
            headless: true,
            args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-extensions'],
        });
    }

    async stop() {
        await this.browser?.close();
        await new Promise((resolve) => (this.server ? this.server.close(resolve) : resolve()));
    }

    // A page in a fresh profile (nothing stored), opened at `hash`, with the clipboard allowed
    // and downloads going to a folder of its own. Errors in its console or its scripts are kept
    // for `close()` to check.
    async open(hash = '', { setUp } = {}) {
        const context = await this.browser.createBrowserContext();
        await context.overridePermissions(this.url.replace(/\/$/, ''),
            ['clipboard-read', 'clipboard-write', 'clipboard-sanitized-write']);
        const page = await context.newPage();
        const errors = [];
        watchForErrors(page, errors);
        const downloads = await mkdtemp(join(tmpdir(), 'vellicor-downloads-'));
        const session = await this.browser.target().createCDPSession();
        await session.send('Browser.setDownloadBehavior', {
            behavior: 'allow', downloadPath: downloads, browserContextId: context.id,
        });
        if (setUp) await setUp(page);
        const opened = new OpenPage(this, context, page, errors, downloads);
        await opened.goto(hash);
        return opened;
    }
}

export class OpenPage {
    constructor(browser, context, page, errors, downloads) {
        Object.assign(this, { browser, context, page, errors, downloads });
    }

    // Another tab of the same profile (the storage shared, the tab's own session storage) at
    // `hash`; closing this page closes it too.
    async openTab(hash = '') {
        const page = await this.context.newPage();
        watchForErrors(page, this.errors);
        const tab = new OpenPage(this.browser, this.context, page, this.errors, this.downloads);
        await tab.goto(hash);
        return tab;
    }

    async goto(hash = '') {
        await this.page.goto(this.browser.url + hash);
        await this.ready();
    }

    async reload() {
        await this.page.evaluate(() => delete document.documentElement.dataset.ready);
        await this.page.reload();
        await this.ready();
    }

    ready() {
        return this.page.waitForSelector('html[data-ready="true"]', { timeout: 10_000 });
    }

    // The ten boxes' texts as the library gives them, with "\r\n" line breaks.
    texts() {
        return this.page.$$eval('textarea.box', (boxes) =>
            boxes.map((box) => box.value.replaceAll('\n', '\r\n')));
    }

    hash() {
        return this.page.evaluate(() => window.location.hash);
    }

    status() {
        return this.page.$eval('#status', (status) => status.textContent);
    }

    distance() {
        return this.page.$eval('#distance', (box) => box.value);
    }

    location() {
        return this.page.$$eval('input[name="location"]', (radios) =>
            radios.findIndex((radio) => radio.checked));
    }

    focusedId() {
        return this.page.evaluate(() => document.activeElement?.id ||
            (document.activeElement?.name ? `${document.activeElement.name}-${document.activeElement.value}` : ''));
    }

    async click(selector) {
        await this.page.click(selector);
    }

    // Clicks `command` when it is a selector, or else calls it (keys pressed, say).
    async run(command) {
        if (typeof command === 'string') await this.page.click(command);
        else await command();
    }

    // What a Copy command (a button's selector, or an action) put on the clipboard.
    async copied(command) {
        await this.page.evaluate(() => navigator.clipboard.writeText(''));
        await this.run(command);
        await this.page.waitForFunction(async () => (await navigator.clipboard.readText()) !== '',
            { timeout: 5000 });
        return this.page.evaluate(() => navigator.clipboard.readText());
    }

    // The bytes of the file a Save Races command (a button's selector, or an action) downloads,
    // and its name.
    async downloaded(command) {
        const before = new Set(await readdir(this.downloads));
        await this.run(command);
        for (let tries = 0; tries < 200; ++tries) {
            const names = (await readdir(this.downloads)).filter((name) =>
                !before.has(name) && !name.endsWith('.crdownload'));
            // Chromium holds the name with an empty file until the download is complete; no
            // Save Races command saves nothing.
            const bytes = names.length ? await readFile(join(this.downloads, names[0])) : null;
            if (bytes?.length) return { name: names[0], bytes };
            await new Promise((resolve) => setTimeout(resolve, 50));
        }
        throw new Error(`no download from ${command}`);
    }

    // Closes the page and fails the test if it logged anything or failed.
    async close() {
        await this.context.close();
        await rm(this.downloads, { recursive: true, force: true });
        assert.deepEqual(this.errors, [], 'the page wrote nothing to its console and had no errors');
    }
}
