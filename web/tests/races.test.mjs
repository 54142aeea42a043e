// The page's races are vellicor-cli's races: the same texts, the same bytes in every format.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { after, before, test } from 'node:test';
import { Browser, cli, cliArgs, cliRaces, cliTrace, fragment, testTimeout } from './support.mjs';

const browser = new Browser();
before(() => browser.start());
after(() => browser.stop());

// Seeds at both ends of their range, every location, distances from 0 to the largest.
const links = [
    { seed: 1700000000, location: 2, lightyears: 120 },
    { seed: -2147483648, location: 0, lightyears: 0 },
    { seed: 2147483647, location: 1, lightyears: 50 },
    { seed: 0, location: 1, lightyears: 1 },
    { seed: 42, dice: 412, location: 2, lightyears: 2147483647 },
];

for (const link of links) {
    test(`a link opens its race: ${fragment(link)}`, { timeout: testTimeout }, async () => {
        const page = await browser.open(fragment(link));
        const [expected] = cliRaces(link);
        assert.deepEqual(await page.texts(), expected.categories.map((category) => category.text));
        assert.equal(await page.location(), link.location);
        assert.equal(await page.distance(), String(link.lightyears));
        assert.equal(await page.hash(), fragment({ dice: 0, ...link }));
        assert.equal(await page.copied('#copy-text'), cli(cliArgs({ ...link, format: 'text' })).toString());
        assert.equal(await page.copied('#copy-markdown'),
            cli(cliArgs({ ...link, format: 'markdown' })).toString());
        assert.equal(await page.copied('#copy-json'), cli(cliArgs({ ...link, format: 'json' })).toString());
        await page.close();
    });
}

test('New twice after a link shows race 3 of the CLI, and the link names it', { timeout: testTimeout }, async () => {
    const link = { seed: 1796823905, location: 1, lightyears: 77 };
    const page = await browser.open(fragment(link));
    await page.click('#new');
    await page.click('#new');
    const races = cliRaces({ ...link, count: 3 });
    assert.deepEqual(await page.texts(), races[2].categories.map((category) => category.text));
    assert.equal(await page.hash(), fragment({ ...link, dice: races[2].dice }));
    // The link of race 3 opens race 3 on its own.
    const copiedLink = await page.copied('#copy-link');
    assert.equal(new URL(copiedLink).hash, fragment({ ...link, dice: races[2].dice }));
    const again = await browser.open(new URL(copiedLink).hash);
    assert.deepEqual(await again.texts(), races[2].categories.map((category) => category.text));
    await again.close();
    await page.close();
});

test('each Save Races download is byte for byte what vellicor-cli writes', { timeout: testTimeout }, async () => {
    const link = { seed: 1234567, location: 0, lightyears: 300 };
    const page = await browser.open(fragment(link));
    await page.click('#new');
    await page.click('#new');
    for (const [button, format, extension] of [['#save-text', 'text', 'txt'],
        ['#save-markdown', 'markdown', 'md'], ['#save-json', 'json', 'json'],
        ['#save-foundry', 'foundry', 'foundry\\.json']]) {
        const { name, bytes } = await page.downloaded(button);
        assert.match(name, new RegExp(`^vellicor-races-\\d{4}-\\d{2}-\\d{2}\\.${extension}$`));
        assert.ok(bytes.equals(cli(cliArgs({ ...link, count: 3, format }))), `${format} download`);
    }
    await page.close();
});

test('a page opened without a link seeds from the clock\'s seconds and rolls Inner Province at 0', { timeout: testTimeout }, async () => {
    const earliest = Math.floor(Date.now() / 1000);
    const page = await browser.open();
    const latest = Math.floor(Date.now() / 1000);
    const hash = new URLSearchParams((await page.hash()).slice(1));
    const seed = Number(hash.get('seed'));
    assert.ok(seed >= earliest && seed <= latest, `seed ${seed} from the clock`);
    assert.equal(hash.get('dice'), '0');
    const [expected] = cliRaces({ seed, location: 0, lightyears: 0 });
    assert.deepEqual(await page.texts(), expected.categories.map((category) => category.text));
    assert.equal(await page.focusedId(), 'new');
    await page.close();
});

test('the Dice Log shows each race\'s trace under its heading, as vellicor-cli --trace', { timeout: testTimeout }, async () => {
    const link = { seed: 99, location: 2, lightyears: 5 };
    const page = await browser.open(fragment(link));
    await page.click('#new');
    await page.click('#dice-log-toggle');
    const log = await page.page.$eval('#dice-log-text', (pre) => pre.textContent);
    const text = cli(cliArgs({ ...link, count: 2, format: 'text' })).toString();
    const headings = text.split('\n').filter((line) => line.startsWith('Race '));
    const entries = log.split('\n\n').map((entry) => entry.split('\n'));
    assert.deepEqual(entries.map((lines) => lines[0]), headings);
    const traced = entries.map((lines) => lines.slice(1).join('\n') + '\n').join('');
    assert.equal(traced, cliTrace(cliArgs({ ...link, count: 2, format: 'text' })));
    // It follows New while it is open.
    await page.click('#new');
    const longer = await page.page.$eval('#dice-log-text', (pre) => pre.textContent);
    assert.equal(longer.split('\n\n').length, 3);
    assert.ok(longer.startsWith(log));
    // Its close button, still there after the log was filled, hands the focus back.
    await page.click('#dice-log-close');
    assert.ok(await page.page.$eval('#dice-log', (section) => section.hidden));
    assert.equal(await page.focusedId(), 'dice-log-toggle');
    await page.close();
});

// The text of what the browser prints on `format` paper, as pdftotext reads its PDF, and its pages.
async function printed(page, format) {
    const text = execFileSync('pdftotext', ['-layout', '-', '-'], { input: await page.page.pdf({ format }) })
        .toString();
    return { pages: text.split('\f').length - 1, text: text.replace(/\s+/g, ' ') };
}

test('Print Race prints the card of the race on screen, notes as typed, and nothing else', { timeout: testTimeout }, async () => {
    const link = { seed: 1700000000, location: 2, lightyears: 120 };
    const page = await browser.open(fragment(link));
    await page.click('#new');
    const note = ' <b>Tom & "Jerry\'s"</b>';
    await page.page.$eval('#box-5', (box) => box.setSelectionRange(box.value.length, box.value.length));
    await page.page.focus('#box-5');
    await page.page.keyboard.type(note);
    const races = cliRaces({ ...link, count: 2 });
    races[1].categories[5].text += note;
    const headings = cli(cliArgs({ ...link, count: 2, format: 'text' })).toString().split('\n')
        .filter((line) => line.startsWith('Race '));
    const commands = await page.page.$$eval('button, label, legend', (all) => all.map((each) => each.textContent.trim()));
    // Race 2 with its note on A4, then race 1, shown again, on Letter.
    for (const [format, index] of [['A4', 1], ['Letter', 0]]) {
        if (index === 0) await page.click('#previous');
        const lines = [headings[index],
            ...races[index].categories.flatMap(({ label, text }) => [label, ...text.split('\r\n')]),
            `To roll it again: ${page.page.url()}`]
            .map((line) => line.replace(/\s+/g, ' ').trim()).filter(Boolean);
        const { pages, text } = await printed(page, format);
        assert.equal(pages, 1, `one ${format} page`);
        let at = 0;
        for (const line of lines) {
            at = text.indexOf(line, at);
            assert.ok(at >= 0, `"${line}" printed on ${format}, in its order`);
        }
        for (const command of commands.filter((each) => !lines.some((line) => line.includes(each))))
            assert.ok(!text.includes(command), `"${command}" is not printed`);
    }
    // The command, from the keyboard, asks the browser to print.
    await page.page.evaluate(() => { window.print = () => { document.body.dataset.printed = 'yes'; }; });
    await page.page.focus('#print');
    await page.page.keyboard.press('Enter');
    assert.equal(await page.page.$eval('body', (body) => body.dataset.printed), 'yes');
    await page.close();
});
