// The distance box's rules and the link's reading, without a browser: the same cases as the
// dialog's distance field, and every way a link can be wrong; and the page's security policy.
import assert from 'node:assert/strict';
import { createHash } from 'node:crypto';
import { readFileSync } from 'node:fs';
import { test } from 'node:test';
import { digitsAfterEdit, distanceWarning, parseLightyears } from '../site/distance.js';
import { parseFragment as parseWith, raceFragment as fragmentWith } from '../site/link.js';

// The module's tables, as the page passes them.
const tables = { locations: ['inner', 'frontier', 'backnet'], mostDice: 2 ** 53 - 1 };
const parseFragment = (fragment) => parseWith(fragment, tables);
const raceFragment = (race) => fragmentWith(race, tables.locations);

test('parseLightyears takes 0 to 2147483647 in ASCII digits, leading zeros allowed', () => {
    const cases = [['0', 0], ['7', 7], ['000120', 120], ['2147483647', 2147483647],
        ['0000000000002147483647', 2147483647], ['2147483648', null], ['99999999999', null],
        ['', null], [' 5', null], ['5 ', null], ['-1', null], ['+1', null], ['1e3', null],
        ['٣', null], ['１', null], ['0x10', null]];
    for (const [text, expected] of cases) assert.equal(parseLightyears(text), expected, `"${text}"`);
});

test('digitsAfterEdit drops whitespace around inserted digits and refuses anything else', () => {
    const cases = [
        // before, after, caret, expected text and caret (null: refused)
        ['12', '123', 3, { text: '123', caret: 3 }],
        ['12', '12 34\n', 6, { text: '1234', caret: 4 }],
        ['12', ' \t34\r\n12', 6, { text: '3412', caret: 2 }],
        ['14', '1 9 9 4', 6, null], // whitespace inside the pasted digits
        ['1234', '1 9 4', 4, { text: '194', caret: 2 }], // pasted over the selected "23"
        ['12', '12x', 3, null],
        ['12', '12 ', 3, null], // whitespace alone
        ['12', '1\u00a05\u00a02', 4, { text: '152', caret: 2 }],
        ['', ' 42 ', 4, { text: '42', caret: 2 }],
        ['12', '12-3', 4, null],
        ['5', '', 0, { text: '', caret: 0 }],
    ];
    for (const [before, after, caret, expected] of cases)
        assert.deepEqual(digitsAfterEdit(before, after, caret), expected, `"${after}"`);
});

test('distanceWarning says what the dialog says, in the singular for one light year', () => {
    assert.equal(distanceWarning('', 1), 'The distance from Sol is empty.\n\n' +
        'This race is rolled with the previous distance, 1 light year.');
    assert.equal(distanceWarning('2147483648', 0),
        'The distance from Sol must be a whole number of light years from 0 to 2147483647.\n\n' +
        'This race is rolled with the previous distance, 0 light years.');
    assert.equal(distanceWarning('12', 3), null);
});

test('a race\'s fragment reads back as that race', () => {
    for (const race of [{ seed: -2147483648, dice: 0, location: 0, lightyears: 0 },
        { seed: 2147483647, dice: 2 ** 53 - 1, location: 2, lightyears: 2147483647 },
        { seed: 1, dice: 2147483658, location: 1, lightyears: -5 },
        { seed: 5, dice: 46, location: 1, lightyears: 50 }])
        assert.deepEqual(parseFragment(raceFragment(race)), { race });
    assert.equal(raceFragment({ seed: 1, dice: 2, location: 2, lightyears: 3 }),
        '#seed=1&dice=2&location=backnet&lightyears=3');
});

test('a fragment names no race, a race, or says what is wrong', () => {
    assert.equal(parseFragment(''), null);
    assert.equal(parseFragment('#'), null);
    assert.deepEqual(parseFragment('#lightyears=9&location=FRONTIER&dice=+3&seed=-4&extra=1'),
        { race: { seed: -4, dice: 3, location: 1, lightyears: 9 } });
    const wrong = [
        ['#dice=0&location=inner&lightyears=0', 'The link names no seed.'],
        ['#seed=1&location=inner&lightyears=0', 'The link names no dice.'],
        ['#seed=1&dice=0&lightyears=0', 'The link names no location.'],
        ['#seed=1&dice=0&location=inner', 'The link names no lightyears.'],
        ['#seed=-2147483649&dice=0&location=inner&lightyears=0', 'The link\'s seed is not valid.'],
        ['#seed=1.5&dice=0&location=inner&lightyears=0', 'The link\'s seed is not valid.'],
        ['#seed=1&dice=9007199254740992&location=inner&lightyears=0', 'The link\'s dice is not valid.'],
        ['#seed=1&dice=0&location=3&lightyears=0', 'The link\'s location is not valid.'],
        ['#seed=1&dice=0&location=inner&lightyears=2147483648', 'The link\'s lightyears is not valid.'],
        ['#seed=1&dice=0&location=inner&lightyears=', 'The link\'s lightyears is not valid.'],
    ];
    for (const [fragment, problem] of wrong)
        assert.deepEqual(parseFragment(fragment), { problem }, fragment);
});

test('the page\'s security policy names its inline script by its hash, and the README gives the same', () => {
    const page = readFileSync(new URL('../site/index.html', import.meta.url), 'utf8');
    const script = /<script>([\s\S]*?)<\/script>/.exec(page)[1];
    const hash = createHash('sha256').update(script).digest('base64');
    const policy = /http-equiv="Content-Security-Policy"\s+content="([^"]*)"/.exec(page)[1]
        .split(/\s+/).join(' ');
    assert.ok(policy.includes(`'sha256-${hash}'`), `${policy} lacks 'sha256-${hash}'`);
    const readme = readFileSync(new URL('../../README.md', import.meta.url), 'utf8');
    assert.ok(readme.includes(`\nContent-Security-Policy: ${policy}\n`), 'the README\'s header');
});
