// Every control has a name a screen reader announces, and axe finds nothing to fault.
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { after, before, test } from 'node:test';
import { Browser, fragment, testTimeout } from './support.mjs';

const axeSource = readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');
const browser = new Browser();
before(() => browser.start());
after(() => browser.stop());

async function violations(page) {
    // Run by the test's own connection: the page's Content-Security-Policy refuses a script tag.
    await page.page.evaluate(axeSource);
    const result = await page.page.evaluate(() => window.axe.run(document));
    return result.violations.map((violation) =>
        `${violation.id}: ${violation.nodes.map((node) => node.target.join(' ')).join(', ')}`);
}

// The names the accessibility tree gives, as a screen reader gets them.
async function accessibleName(page, selector) {
    const node = await page.page.$(selector);
    const snapshot = await page.page.accessibility.snapshot({ root: node, interestingOnly: false });
    return snapshot?.name;
}

test('the boxes, the location group, the distance box and New are named as in the dialog', { timeout: testTimeout }, async () => {
    const page = await browser.open(fragment({ seed: 1, location: 0, lightyears: 0 }));
    const labels = ['Basic Type', 'Racial Origins', 'Kinship Structure', 'Values',
        'Political Structure', 'Tech/Sci Level', 'Language', 'Worship', 'Xeno Acceptance', 'Problems'];
    for (const [category, label] of labels.entries())
        assert.equal(await accessibleName(page, `#box-${category}`), label);
    assert.equal(await accessibleName(page, '#location'), 'Location');
    assert.deepEqual(await page.page.$$eval('#location input', (radios) =>
        radios.map((radio) => radio.labels[0].textContent.trim())), ['Inner Province', 'Frontier', 'Backnet']);
    assert.equal(await accessibleName(page, '#distance'), 'Lightyears from Sol');
    assert.equal(await accessibleName(page, '#new'), 'New');
    await page.close();
});

test('axe finds no violations with a race, Print Race, the Dice Log open and the About box open', { timeout: testTimeout }, async () => {
    const page = await browser.open(fragment({ seed: 1, location: 2, lightyears: 300 }));
    assert.deepEqual(await violations(page), []);
    await page.click('#dice-log-toggle');
    assert.equal(await page.focusedId(), 'dice-log-text');
    assert.deepEqual(await violations(page), []);
    await page.click('#about-open');
    await page.page.waitForSelector('#about[open]');
    assert.match(await page.page.$eval('#about', (about) => about.textContent), /Vellicor Version 1\.0[\s\S]*Version \d+\.\d+\.\d+\.\d+/);
    assert.deepEqual(await violations(page), []);
    await page.page.keyboard.press('Escape');
    await page.page.waitForSelector('#about:not([open])');
    await page.close();
});

test('the focus is always visible', { timeout: testTimeout }, async () => {
    const page = await browser.open(fragment({ seed: 1, location: 0, lightyears: 0 }));
    for (let step = 0; step < 20; ++step) {
        const outline = await page.page.evaluate(() => {
            const style = getComputedStyle(document.activeElement);
            return `${style.outlineStyle} ${style.outlineWidth}`;
        });
        assert.equal(outline, 'solid 2px', `focus ring on ${await page.focusedId()}`);
        await page.page.keyboard.press('Tab');
    }
    await page.close();
});

test('on a phone New stays on screen, and its bar covers no box scrolled into view', { timeout: testTimeout }, async () => {
    const page = await browser.open(fragment({ seed: 1700000000, location: 2, lightyears: 120 }), {
        setUp: (tab) => tab.setViewport({ width: 390, height: 844, isMobile: true, hasTouch: true }) });
    for (let category = 0; category < 10; ++category) {
        const { box, bar, onScreen } = await page.page.$eval(`#box-${category}`, (box) => {
            window.scrollTo(0, 0);
            box.scrollIntoView({ block: 'nearest' });
            // The bar's top: its own, or a button's held above it.
            const bar = Math.min(innerHeight - parseFloat(getComputedStyle(document.body, '::after').height),
                ...['#new', '#previous', '#next'].map((id) => document.querySelector(id).getBoundingClientRect().top));
            const { top, bottom, left, right } = document.getElementById('new').getBoundingClientRect();
            return { box: box.getBoundingClientRect().toJSON(), bar,
                onScreen: top >= 0 && bottom <= innerHeight && left >= 0 && right <= innerWidth };
        });
        assert.ok(box.top >= 0 && box.bottom <= bar, `box ${category} (${box.top} to ${box.bottom}) above the bar at ${bar}`);
        assert.ok(onScreen, `New on screen with box ${category} in view`);
    }
    assert.deepEqual(await violations(page), []);
    await page.close();
});
