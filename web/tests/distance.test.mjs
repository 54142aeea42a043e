// The distance box keeps the dialog's rules and says what the dialog says.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { Browser, cliRaces, fragment, testTimeout } from './support.mjs';

const browser = new Browser();
before(() => browser.start());
after(() => browser.stop());

const note = 'Only the digits 0 to 9 can be typed here.';

async function setDistance(page, text) {
    await page.page.$eval('#distance', (box) => box.select());
    await page.page.keyboard.press('Backspace');
    if (text) await page.page.type('#distance', text);
}

// Pastes `text` over the box's selection, as a clipboard paste inserts it.
async function paste(page, text) {
    await page.page.focus('#distance');
    await page.page.$eval('#distance', (box) => box.setSelectionRange(box.value.length, box.value.length));
    await page.page.evaluate((pasted) => document.execCommand('insertText', false, pasted), text);
}

test('the box takes digits only and drops whitespace around pasted digits', { timeout: testTimeout }, async () => {
    const page = await browser.open(fragment({ seed: 5, location: 0, lightyears: 12 }));
    await page.page.type('#distance', 'x');
    assert.equal(await page.distance(), '12');
    assert.equal(await page.page.$eval('#distance-note', (p) => p.textContent), note);
    for (const refused of ['-', ' ', '٣', '1.5', 'e']) {
        await paste(page, refused);
        assert.equal(await page.distance(), '12', `"${refused}" is refused`);
    }
    await paste(page, ' \t34\r\n');
    assert.equal(await page.distance(), '1234');
    await setDistance(page, '0000007');
    assert.equal(await page.distance(), '0000007');
    await page.click('#new');
    const second = cliRaces({ seed: 5, location: 0, lightyears: 12, count: 2 })[1];
    const [race] = cliRaces({ seed: 5, dice: second.dice, location: 0, lightyears: 7 });
    assert.deepEqual(await page.texts(), race.categories.map((category) => category.text));
    assert.equal(await page.distance(), '7');
    await page.close();
});

test('undo goes back only to what the box showed', { timeout: testTimeout }, async () => {
    const page = await browser.open(fragment({ seed: 5, location: 0, lightyears: 77 }));
    const control = async (key, command) => {
        await page.page.keyboard.down('Control');
        await page.page.keyboard.press(key, { commands: [command] });
        await page.page.keyboard.up('Control');
    };
    await page.page.focus('#distance');
    await page.page.$eval('#distance', (box) => box.select());
    await page.page.keyboard.press('Backspace');
    await page.page.keyboard.type('12');
    await page.page.evaluate(() => navigator.clipboard.writeText(' 3 '));
    await control('KeyV', 'Paste');
    assert.equal(await page.distance(), '123');
    for (let undo = 0; undo < 2; ++undo) {
        await control('KeyZ', 'Undo');
        assert.ok(['77', '', '1', '12', '123'].includes(await page.distance()), await page.distance());
    }
    await page.close();
});

// What New does with a box it cannot read: the dialog's warning, and the race rolled with the
// previous distance, which the box shows again.
const unusable = [
    ['', 'The distance from Sol is empty.\n\nThis race is rolled with the previous distance, 1 light year.', 1],
    ['2147483648', 'The distance from Sol must be a whole number of light years from 0 to 2147483647.\n\n' +
        'This race is rolled with the previous distance, 120 light years.', 120],
];

for (const [text, warning, previous] of unusable) {
    test(`New with "${text}" in the box warns and rolls at ${previous}`, { timeout: testTimeout }, async () => {
        const link = { seed: 77, location: 2, lightyears: previous };
        const page = await browser.open(fragment(link));
        await page.page.click('input[name="location"][value="1"]');
        await setDistance(page, text);
        await page.click('#new');
        await page.page.waitForSelector('#warning[open]');
        assert.equal(await page.page.$eval('#warning-text', (p) => p.textContent), warning);
        await page.page.keyboard.press('Enter');
        await page.page.waitForSelector('#warning:not([open])');
        assert.equal(await page.focusedId(), 'distance');
        assert.equal(await page.distance(), String(previous));
        // Rolled with the newly chosen location and the previous distance.
        const second = cliRaces({ ...link, count: 2 })[1];
        const [expected] = cliRaces({ seed: 77, dice: second.dice, location: 1, lightyears: previous });
        assert.deepEqual(await page.texts(), expected.categories.map((category) => category.text));
        await page.close();
    });
}

test('the largest distance is taken', { timeout: testTimeout }, async () => {
    const page = await browser.open(fragment({ seed: 3, location: 0, lightyears: 0 }));
    await setDistance(page, '2147483647');
    await page.click('#new');
    assert.equal(await page.page.$('#warning[open]'), null);
    assert.match(await page.hash(), /&lightyears=2147483647$/);
    await page.close();
});
