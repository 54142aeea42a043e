// The keyboard paths of the dialog: Enter rolls, Alt+Left and Alt+Right go through the session,
// Tab goes the dialog's way; notes stay with their race.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { Browser, cli, cliArgs, cliRaces, fragment, testTimeout } from './support.mjs';

const browser = new Browser();
before(() => browser.start());
after(() => browser.stop());

const link = { seed: 2024, location: 1, lightyears: 60 };
const textsOf = (race) => race.categories.map((category) => category.text);

test('Enter rolls from a box, the location and the distance; Ctrl+Enter starts a line', { timeout: testTimeout }, async () => {
    const page = await browser.open(fragment(link));
    const races = cliRaces({ ...link, count: 4 });
    for (const [at, selector] of [[1, '#box-9'], [2, 'input[name="location"]:checked'], [3, '#distance']]) {
        await page.page.focus(selector);
        await page.page.keyboard.press('Enter');
        assert.deepEqual(await page.texts(), textsOf(races[at]), `Enter in ${selector}`);
    }
    // Enter on a command does that command, and in the Dice Log nothing: no race is rolled.
    const enterOn = (selector) => async () => {
        await page.page.focus(selector);
        await page.page.keyboard.press('Enter');
    };
    assert.match(await page.copied(enterOn('#copy-text')), /^Race 4: Frontier/);
    assert.match((await page.downloaded(enterOn('#save-json'))).name, /\.json$/);
    await page.click('#dice-log-toggle');
    await enterOn('#dice-log-text')();
    assert.deepEqual(await page.texts(), textsOf(races[3]));
    await page.page.focus('#box-0');
    await page.page.$eval('#box-0', (box) => box.setSelectionRange(0, 0));
    await page.page.keyboard.down('Control');
    await page.page.keyboard.press('Enter');
    await page.page.keyboard.up('Control');
    assert.equal((await page.texts())[0], `\r\n${textsOf(races[3])[0]}`);
    assert.deepEqual((await page.texts()).slice(1), textsOf(races[3]).slice(1));
    await page.close();
});

test('Alt+Left and Alt+Right go through the session without adding history entries', { timeout: testTimeout }, async () => {
    const page = await browser.open(fragment(link));
    const historyLength = await page.page.evaluate(() => history.length);
    await page.click('#new');
    await page.click('#new');
    const races = cliRaces({ ...link, count: 3 });
    await page.page.keyboard.down('Alt');
    await page.page.keyboard.press('ArrowLeft');
    assert.deepEqual(await page.texts(), textsOf(races[1]));
    await page.page.keyboard.press('ArrowLeft');
    assert.deepEqual(await page.texts(), textsOf(races[0]));
    await page.page.keyboard.press('ArrowLeft'); // the first race: nothing happens
    assert.deepEqual(await page.texts(), textsOf(races[0]));
    assert.equal(await page.hash(), fragment({ ...link, dice: 0 }));
    assert.ok(await page.page.$eval('#previous', (button) => button.disabled));
    await page.page.keyboard.press('ArrowRight');
    await page.page.keyboard.up('Alt');
    assert.deepEqual(await page.texts(), textsOf(races[1]));
    assert.equal(await page.hash(), fragment({ ...link, dice: races[1].dice }));
    assert.equal(await page.page.evaluate(() => history.length), historyLength);
    // The buttons do the same.
    await page.click('#next');
    assert.deepEqual(await page.texts(), textsOf(races[2]));
    assert.ok(await page.page.$eval('#next', (button) => button.disabled));
    // Next disabled under the focus hands it to Previous, and Previous at the first race to Next.
    assert.equal(await page.focusedId(), 'previous');
    await page.page.keyboard.press('Enter');
    await page.page.keyboard.press('Enter');
    assert.deepEqual(await page.texts(), textsOf(races[0]));
    assert.equal(await page.focusedId(), 'next');
    await page.close();
});

test('Ctrl+Shift+C copies the race, Ctrl+S saves the session, Ctrl+O opens, Ctrl+L goes to the Dice Log and back', { timeout: testTimeout }, async () => {
    const page = await browser.open(fragment(link));
    await page.click('#new');
    const keys = (...names) => async () => {
        for (const name of names) await page.page.keyboard.down(name);
        for (const name of names.reverse()) await page.page.keyboard.up(name);
    };
    await page.page.focus('#box-4');
    const races = cliRaces({ ...link, count: 2 });
    assert.equal(await page.copied(keys('Control', 'Shift', 'C')),
        cli(cliArgs({ ...link, dice: races[1].dice, format: 'text' })).toString()
            .replace('Race 1:', 'Race 2:'));
    const { name, bytes } = await page.downloaded(keys('Control', 'S'));
    assert.match(name, /^vellicor-races-\d{4}-\d{2}-\d{2}\.md$/);
    assert.equal(bytes.toString(), cli(cliArgs({ ...link, count: 2, format: 'markdown' })).toString());
    const chooser = page.page.waitForFileChooser({ timeout: 5000 });
    await keys('Control', 'O')();
    await (await chooser).cancel();
    await keys('Control', 'L')();
    assert.ok(!(await page.page.$eval('#dice-log', (log) => log.hidden)));
    assert.equal(await page.focusedId(), 'dice-log-text');
    await keys('Control', 'L')();
    assert.equal(await page.focusedId(), 'new');
    await keys('Control', 'L')();
    assert.equal(await page.focusedId(), 'dice-log-text');
    // On a Russian layout the same keys type Cyrillic letters: the shortcuts go by the key.
    const cdp = await page.page.createCDPSession();
    const russian = (key, code, modifiers = 2) => async () => { // 2: Ctrl, 8: Shift
        for (const type of ['rawKeyDown', 'keyUp'])
            await cdp.send('Input.dispatchKeyEvent', { type, key, code, modifiers });
    };
    assert.match(await page.copied(russian('С', 'KeyC', 2 + 8)), /^Race 2: Frontier/);
    await russian('д', 'KeyL')();
    assert.equal(await page.focusedId(), 'new');
    // The Dice Log stays open; the shortcuts took nothing from the race on screen.
    assert.deepEqual(await page.texts(), textsOf(races[1]));
    await page.close();
});

test('Tab goes New, the ten boxes, the location, the distance, then the commands', { timeout: testTimeout }, async () => {
    const page = await browser.open(fragment(link));
    const order = [await page.focusedId()];
    for (let step = 0; step < 14; ++step) {
        await page.page.keyboard.press('Tab');
        order.push(await page.focusedId());
    }
    // Previous Race and Next Race are disabled with one race in the session.
    assert.deepEqual(order, ['new', ...Array.from({ length: 10 }, (_, c) => `box-${c}`),
        'location-1', 'distance', 'copy-text', 'copy-markdown']);
    // Up and Down choose among the locations.
    await page.page.focus('input[name="location"]:checked');
    await page.page.keyboard.press('ArrowDown');
    assert.equal(await page.location(), 2);
    await page.close();
});

test('notes typed into every box stay with their race and are in what is copied, saved and kept', { timeout: testTimeout }, async () => {
    const page = await browser.open(fragment(link));
    // Not ASCII: two bytes of UTF-8 for each letter, four (two in JavaScript) for the emoji.
    const note = (category) => `(note ${category}: é, ü, 🙂) `;
    for (let category = 0; category < 10; ++category) {
        await page.page.focus(`#box-${category}`);
        await page.page.$eval(`#box-${category}`, (box) => box.setSelectionRange(0, 0));
        await page.page.keyboard.type(note(category));
    }
    await page.click('#new');
    await page.page.keyboard.down('Alt');
    await page.page.keyboard.press('ArrowLeft');
    await page.page.keyboard.up('Alt');
    const races = cliRaces({ ...link, count: 2 });
    const noted = textsOf(races[0]).map((text, category) => note(category) + text);
    assert.deepEqual(await page.texts(), noted);
    const { bytes } = await page.downloaded('#save-json');
    const saved = JSON.parse(bytes.toString('utf8'));
    assert.deepEqual(saved[0].categories.map((category) => category.text), noted);
    assert.deepEqual(saved[1].categories.map((category) => category.text), textsOf(races[1]));
    let expected = cli(cliArgs({ ...link, count: 2, format: 'json' })).toString();
    for (const [category, text] of textsOf(races[0]).entries())
        expected = expected.replace(JSON.stringify(text), JSON.stringify(noted[category]));
    assert.equal(bytes.toString('utf8'), expected);
    const copied = await page.copied('#copy-text');
    for (let category = 0; category < 10; ++category) assert.ok(copied.includes(note(category)), note(category));
    // The browser's storage gives them back whole.
    await page.reload();
    assert.deepEqual(await page.texts(), noted);
    assert.equal(await page.copied('#copy-text'), copied);
    await page.close();
});
