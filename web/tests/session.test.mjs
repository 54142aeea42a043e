// Links, the session kept across reloads, and session files opened from disk.
import assert from 'node:assert/strict';
import { writeFile, mkdtemp, rm, truncate } from 'node:fs/promises';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { after, before, test } from 'node:test';
import { Browser, cli, cliArgs, cliRaces, cliTrace, fragment, testTimeout } from './support.mjs';

const browser = new Browser();
before(() => browser.start());
after(() => browser.stop());

const textsOf = (race) => race.categories.map((category) => category.text);

const badFragments = [
    ['#seed=12&location=inner&lightyears=5', 'The link names no dice.'],
    ['#seed=x&dice=0&location=inner&lightyears=5', 'The link\'s seed is not valid.'],
    ['#seed=2147483648&dice=0&location=inner&lightyears=5', 'The link\'s seed is not valid.'],
    ['#seed=1&dice=-1&location=inner&lightyears=5', 'The link\'s dice is not valid.'],
    ['#seed=1&dice=0&location=mars&lightyears=5', 'The link\'s location is not valid.'],
    ['#seed=1&dice=0&location=inner&lightyears=2147483648', 'The link\'s lightyears is not valid.'],
    ['#seed=1&dice=0&location=inner', 'The link names no lightyears.'],
];

for (const [hash, problem] of badFragments) {
    test(`a bad link says so and rolls a fresh race: ${hash}`, { timeout: testTimeout }, async () => {
        const page = await browser.open(hash);
        assert.equal(await page.status(), `${problem} Here is a fresh race instead.`);
        const address = new URLSearchParams((await page.hash()).slice(1));
        const [fresh] = cliRaces({ seed: Number(address.get('seed')), location: 0, lightyears: 0 });
        assert.deepEqual(await page.texts(), textsOf(fresh));
        await page.close();
    });
}

test('a link typed into the address bar of an open page shows its race', { timeout: testTimeout }, async () => {
    const page = await browser.open(fragment({ seed: 10, location: 0, lightyears: 0 }));
    const link = { seed: 11, dice: 40, location: 2, lightyears: 9 };
    await page.page.evaluate((hash) => { window.location.hash = hash; }, fragment(link));
    await page.page.waitForFunction((hash) => window.location.hash === hash, {}, fragment(link));
    await page.page.waitForFunction(() => !document.getElementById('previous').disabled);
    assert.deepEqual(await page.texts(), textsOf(cliRaces(link)[0]));
    // A second link, then the first again, which the session holds: New goes on from each.
    for (const next of [{ seed: 12, dice: 7, location: 1, lightyears: -5 }, link]) {
        await page.page.evaluate((hash) => { window.location.hash = hash; }, fragment(next));
        await page.page.waitForFunction((hash) => window.location.hash === hash, {}, fragment(next));
        await page.click('#new');
        assert.deepEqual(await page.texts(), textsOf(cliRaces({ ...next, count: 2 })[1]));
    }
    await page.close();
});

test('a link at the last dice a heading can name shows its race', { timeout: testTimeout }, async () => {
    const last = { seed: 3, dice: 2 ** 53 - 1, location: 2, lightyears: 7 };
    const page = await browser.open(fragment(last));
    assert.deepEqual(await page.texts(), textsOf(cliRaces(last)[0]));
    await page.close();
});

test('a tab opened from another keeps a session of its own', { timeout: testTimeout }, async () => {
    const race = { seed: 21, location: 0, lightyears: 0 };
    const page = await browser.open(fragment(race));
    const own = await page.texts();
    await page.click('#new');
    await page.click('#previous');
    await page.page.evaluate(() => new Promise((resolve) => setTimeout(resolve, 600)));
    const [popup] = await Promise.all([new Promise((resolve) => page.page.once('popup', resolve)),
        page.page.evaluate(() => window.open(window.location.href))]);
    await popup.waitForSelector('html[data-ready="true"]');
    // Its address names race 1 of the other tab's session, and New goes on from there.
    await popup.click('#new');
    assert.deepEqual(await popup.$$eval('textarea.box', (boxes) => boxes.map((box) => box.value.replaceAll('\n', '\r\n'))),
        textsOf(cliRaces({ ...race, count: 2 })[1]));
    await popup.evaluate(() => new Promise((resolve) => setTimeout(resolve, 600)));
    await page.page.bringToFront();
    await page.reload();
    assert.deepEqual(await page.texts(), own);
    await page.click('#next');
    assert.ok(await page.page.$eval('#next', (button) => button.disabled));
    await popup.close();
    await page.close();
});

test('a reload finds the session, its notes and the race on screen, and New goes on', { timeout: testTimeout }, async () => {
    const link = { seed: 31337, location: 1, lightyears: 45 };
    const page = await browser.open(fragment(link));
    await page.click('#new');
    await page.click('#new');
    await page.page.focus('#box-9');
    await page.page.$eval('#box-9', (box) => box.setSelectionRange(0, 0));
    await page.page.keyboard.type('Note: ');
    await page.page.keyboard.down('Alt');
    await page.page.keyboard.press('ArrowLeft');
    await page.page.keyboard.up('Alt');
    const races = cliRaces({ ...link, count: 4 });
    // A reload with the address of a race of the session shows it, and adds nothing.
    await page.reload();
    assert.deepEqual(await page.texts(), textsOf(races[1]));
    assert.ok(!(await page.page.$eval('#next', (button) => button.disabled)));
    // Opened again without a link: the session as it was.
    await page.page.evaluate(() => history.replaceState(null, '', window.location.pathname));
    await page.page.evaluate(() => new Promise((resolve) => setTimeout(resolve, 600)));
    await page.reload();
    assert.deepEqual(await page.texts(), textsOf(races[1]));
    assert.equal(await page.hash(), fragment({ ...link, dice: races[1].dice }));
    await page.click('#next');
    assert.equal((await page.texts())[9], `Note: ${textsOf(races[2])[9]}`);
    await page.click('#new');
    assert.deepEqual(await page.texts(), textsOf(races[3]));
    const { bytes } = await page.downloaded('#save-text');
    const expected = cli(cliArgs({ ...link, count: 4, format: 'text' })).toString()
        .replace(`Problems:            ${textsOf(races[2])[9]}`, `Problems:            Note: ${textsOf(races[2])[9]}`);
    assert.equal(bytes.toString('utf8'), expected);
    await page.close();
});

test('after a reload the Dice Log still holds every race\'s trace, for seed 0 too', { timeout: testTimeout }, async () => {
    const link = { seed: 0, location: 2, lightyears: 3 };
    const page = await browser.open(fragment(link));
    await page.click('#new');
    await page.page.evaluate(() => history.replaceState(null, '', window.location.pathname));
    await page.page.evaluate(() => new Promise((resolve) => setTimeout(resolve, 600)));
    await page.reload();
    await page.click('#dice-log-toggle');
    const log = await page.page.$eval('#dice-log-text', (pre) => pre.textContent);
    const traced = log.split('\n\n').map((entry) => entry.split('\n').slice(1).join('\n') + '\n').join('');
    assert.equal(traced, cliTrace(cliArgs({ ...link, count: 2, format: 'text' })));
    await page.close();
});

test('two tabs keep their own sessions, and a new tab starts from the one kept last', { timeout: testTimeout }, async () => {
    const first = { seed: 101, location: 0, lightyears: 3 };
    const second = { seed: 202, location: 2, lightyears: 70 };
    const firstRaces = cliRaces({ ...first, count: 3 });
    const secondRaces = cliRaces({ ...second, count: 2 });
    const settle = (tab) => tab.page.evaluate(() => new Promise((resolve) => setTimeout(resolve, 600)));
    // Clicks go to the tab in front, as a user's do.
    const click = async (tab, selector) => {
        await tab.page.bringToFront();
        await tab.click(selector);
    };
    const showingNoLink = async (tab) => {
        await tab.page.bringToFront();
        await tab.page.evaluate(() => history.replaceState(null, '', window.location.pathname));
        await tab.reload();
        return tab.texts();
    };

    const a = await browser.open(fragment(first));
    await click(a, '#new');
    await settle(a);
    // The second tab finds the first one's session and adds its link's race to it.
    const b = await a.openTab(fragment(second));
    await click(b, '#new');
    await settle(b);
    await click(a, '#new');
    await settle(a);

    // Each reloaded tab shows its own session, though the other one wrote last.
    assert.deepEqual(await showingNoLink(b), textsOf(secondRaces[1]));
    for (let back = 0; back < 3; ++back) await click(b, '#previous');
    assert.deepEqual(await b.texts(), textsOf(firstRaces[0]));
    assert.ok(await b.page.$eval('#previous', (button) => button.disabled));
    assert.deepEqual(await showingNoLink(a), textsOf(firstRaces[2]));
    await click(a, '#previous');
    await settle(a);
    // A third tab opened without a link goes on with the session kept last: the first tab's.
    const c = await a.openTab();
    assert.deepEqual(await c.texts(), textsOf(firstRaces[1]));
    await a.close();
});

test('when the storage is full, the oldest sessions of other tabs make room', { timeout: testTimeout }, async () => {
    const page = await browser.open('', {
        // Other tabs' sessions, and a storage that holds 60,000 characters in all.
        setUp: (tab) => tab.evaluateOnNewDocument(() => {
            if (!localStorage.getItem('vellicor.sessions')) {
                const filler = JSON.stringify({ version: 1, races: [], pad: 'x'.repeat(19_000) });
                for (const name of ['old', 'middle', 'new']) localStorage.setItem(`vellicor.session.${name}`, filler);
                localStorage.setItem('vellicor.sessions', JSON.stringify({
                    'vellicor.session.old': 1, 'vellicor.session.middle': 2, 'vellicor.session.new': 3 }));
            }
            const setItem = Storage.prototype.setItem;
            Storage.prototype.setItem = function (key, value) {
                let used = 0;
                for (let i = 0; i < this.length; ++i) {
                    const name = this.key(i);
                    if (name !== key) used += name.length + this.getItem(name).length;
                }
                if (this === window.localStorage && used + key.length + value.length > 60_000)
                    throw new DOMException('full', 'QuotaExceededError');
                setItem.call(this, key, value);
            };
        }),
    });
    // The filler sessions hold no race, so the page rolls a fresh one; 30 more need the room.
    for (let race = 0; race < 30; ++race) await page.click('#new');
    await page.page.evaluate(() => new Promise((resolve) => setTimeout(resolve, 600)));
    assert.equal(await page.status(), '');
    const kept = await page.page.evaluate(() => Object.keys(localStorage).sort());
    assert.ok(!kept.includes('vellicor.session.old'), kept.join(', '));
    assert.ok(kept.includes('vellicor.session.new'), kept.join(', '));
    await page.close();
});

test('storage that refuses is reported once, and rolling goes on', { timeout: testTimeout }, async () => {
    const page = await browser.open(fragment({ seed: 8, location: 0, lightyears: 0 }), {
        setUp: (tab) => tab.evaluateOnNewDocument(() => {
            Storage.prototype.setItem = () => {
                throw new DOMException('full', 'QuotaExceededError');
            };
        }),
    });
    await page.click('#new');
    await page.page.waitForFunction(() => document.getElementById('status').textContent !== '');
    const message = await page.status();
    assert.match(message, /does not keep the session/);
    await page.page.evaluate(() => { document.getElementById('status').textContent = ''; });
    await page.click('#new');
    await page.page.evaluate(() => new Promise((resolve) => setTimeout(resolve, 600)));
    assert.equal(await page.status(), '');
    assert.deepEqual(await page.texts(), textsOf(cliRaces({ seed: 8, location: 0, lightyears: 0, count: 3 })[2]));
    await page.close();
});

test('a session file opens, with its notes, and New goes on where it stopped', { timeout: testTimeout }, async (t) => {
    const folder = await mkdtemp(join(tmpdir(), 'vellicor-open-'));
    t.after(() => rm(folder, { recursive: true, force: true }));
    // A session file as the dialog keeps it: vellicor-cli's JSON with a note typed in.
    const link = { seed: 1796823905, location: 2, lightyears: 120 };
    const races = cliRaces({ ...link, count: 3 });
    const session = cli(cliArgs({ ...link, count: 2, format: 'json' })).toString()
        .replace(JSON.stringify(textsOf(races[1])[0]), JSON.stringify('A note\r\non two lines'));
    const file = join(folder, '2026-12-09T20-15-02-1796823905.json');
    await writeFile(file, session);

    const page = await browser.open(fragment({ seed: 5, location: 0, lightyears: 0 }));
    const [chooser] = await Promise.all([page.page.waitForFileChooser(), page.click('#open')]);
    await chooser.accept([file]);
    await page.page.waitForFunction(() => /^Opened /.test(document.getElementById('status').textContent));
    assert.deepEqual(await page.texts(), ['A note\r\non two lines', ...textsOf(races[1]).slice(1)]);
    assert.equal(await page.location(), 2);
    assert.equal(await page.distance(), '120');
    await page.click('#new');
    assert.deepEqual(await page.texts(), textsOf(races[2]));
    assert.match(await page.copied('#copy-text'), /^Race 3: Backnet, 120 light years from Sol, seed 1796823905/);
    // The file's races replace the page's, and the one rolled after them follows.
    const { bytes } = await page.downloaded('#save-json');
    const saved = JSON.parse(bytes.toString('utf8'));
    assert.deepEqual(saved.map((race) => [race.race, race.seed]), [[1, link.seed], [2, link.seed], [3, link.seed]]);
    // The file's notes come back after a reload; Recent Sessions brings back the replaced one.
    await page.reload();
    await page.click('#previous');
    assert.equal((await page.texts())[0], 'A note\r\non two lines');
    await page.click('#recent-open');
    await page.click('#recent-list button');
    assert.deepEqual(await page.texts(), textsOf(cliRaces({ seed: 5, location: 0, lightyears: 0 })[0]));
    assert.equal(await page.status(), 'Brought back a session of 1 race.');
    // A race from an older file that does not say where it lies in its dice comes back from the
    // browser's storage still without a place: no dice in its heading, JSON or address.
    const placeless = JSON.parse(JSON.stringify({ ...races[1], dice: undefined }));
    const older = join(folder, 'older.json');
    await writeFile(older, JSON.stringify([placeless]));
    const [again] = await Promise.all([page.page.waitForFileChooser(), page.click('#open')]);
    await again.accept([older]);
    await page.page.waitForFunction(() => /^Opened older/.test(document.getElementById('status').textContent));
    await page.reload();
    assert.equal(await page.hash(), '');
    assert.deepEqual(JSON.parse(await page.copied('#copy-json')), [placeless]);
    await page.click('#dice-log-toggle');
    assert.match(await page.page.$eval('#dice-log-text', (pre) => pre.textContent), /(^|\n)Race 2: Backnet, 120 light years from Sol, seed 1796823905$/);
    // A file of more races than a session keeps: the newest, and the page says so.
    const many = join(folder, 'many.json');
    await writeFile(many, cli(cliArgs({ seed: 8, location: 0, lightyears: 0, count: 1003, format: 'json' })));
    const [third] = await Promise.all([page.page.waitForFileChooser(), page.click('#open')]);
    await third.accept([many]);
    await page.page.waitForFunction(() => /^Opened many/.test(document.getElementById('status').textContent));
    assert.match(await page.status(), /^Opened many\.json: 1000 races\. It holds 1003 races; the newest 1000 are shown\./);
    await page.close();
});

test('a file that is not a session is refused with its reason, and the session stays', { timeout: testTimeout }, async (t) => {
    const folder = await mkdtemp(join(tmpdir(), 'vellicor-open-'));
    t.after(() => rm(folder, { recursive: true, force: true }));
    const page = await browser.open(fragment({ seed: 5, location: 0, lightyears: 0 }));
    const before = await page.texts();
    for (const [name, content] of [['notes.json', 'Race 1: Inner Province'], ['empty.json', ''],
        ['truncated.json', '[\n{"race":1,'], ['other.json', '{"races": []}'], ['huge.json', null]]) {
        const file = join(folder, name);
        await writeFile(file, content ?? '');
        if (content === null) await truncate(file, 64 * 1024 * 1024 + 1); // sparse, refused unread
        const [chooser] = await Promise.all([page.page.waitForFileChooser(), page.click('#open')]);
        await chooser.accept([file]);
        await page.page.waitForSelector('#warning[open]');
        assert.match(await page.page.$eval('#warning-text', (p) => p.textContent),
            new RegExp(`^${name} could not be opened\\.\\n\\n.+`));
        await page.page.keyboard.press('Escape');
        await page.page.waitForSelector('#warning:not([open])');
        assert.deepEqual(await page.texts(), before);
    }
    assert.ok(await page.page.$eval('#next', (button) => button.disabled));
    await page.close();
});

test('a page whose module cannot be loaded says why instead of hanging', { timeout: testTimeout }, async () => {
    const context = await browser.browser.createBrowserContext();
    try {
        const page = await context.newPage();
        await page.setRequestInterception(true);
        page.on('request', (request) => {
            if (request.url().endsWith('/vellicor.wasm'))
                request.respond({ status: 404, contentType: 'text/plain', body: 'Not found\n' });
            else
                request.continue();
        });
        await page.goto(browser.url);
        await page.waitForFunction(() => document.getElementById('status').textContent !== '',
            { timeout: 10_000 });
        assert.equal(await page.$eval('#status', (status) => status.textContent),
            'Vellicor could not start in this browser: vellicor.wasm: 404 Not Found');
        assert.equal(await page.evaluate(() => document.documentElement.dataset.ready), undefined);
    } finally {
        await context.close();
    }
});
