// The distance box's rules, the same as the dialog's: digits only, typed or pasted; whitespace
// around pasted digits is dropped; 0 to 2147483647 light years, leading zeros allowed.

export const largestDistance = 2147483647;

export const digitsOnlyNote = 'Only the digits 0 to 9 can be typed here.';

export function isDigitsOnly(text) {
    return /^[0-9]*$/.test(text);
}

// The distance `text` holds, or null when it is empty, holds anything but digits or is too large.
export function parseLightyears(text) {
    if (text === '' || !isDigitsOnly(text)) return null;
    const digits = text.replace(/^0+(?=.)/, '');
    if (digits.length > String(largestDistance).length) return null;
    const value = Number(digits);
    return value <= largestDistance ? value : null;
}

// Whitespace as the dialog's toolkit trims it.
function isSpace(c) {
    return c !== '\uFEFF' && /[\s\u0085]/.test(c);
}

function trimmed(text) {
    let start = 0;
    let end = text.length;
    while (start < end && isSpace(text[start])) ++start;
    while (end > start && isSpace(text[end - 1])) --end;
    return text.slice(start, end);
}

// The box's text after an edit turned `before` (digits only) into `after`, with the caret at
// `caret` just behind what the edit inserted: { text, caret }, with whitespace around the inserted
// digits dropped; or null when the edit would put anything but digits in, which refuses it whole.
export function digitsAfterEdit(before, after, caret) {
    if (isDigitsOnly(after)) return { text: after, caret };
    if (caret < 0 || caret > after.length || !isDigitsOnly(before)) return null;
    // What follows the caret was there before; what precedes the inserted text is the longest
    // start the two texts share, within what is left of the old text.
    const kept = after.slice(caret);
    if (!before.endsWith(kept)) return null;
    const room = Math.min(caret, before.length - kept.length);
    let start = 0;
    while (start < room && before[start] === after[start]) ++start;
    const inserted = trimmed(after.slice(start, caret));
    if (inserted === '' || !isDigitsOnly(inserted)) return null;
    return { text: after.slice(0, start) + inserted + kept, caret: start + inserted.length };
}

function lightyearsText(lightyears) {
    return lightyears === 1 ? '1 light year' : `${lightyears} light years`;
}

// What the dialog says when New finds no usable distance in the box, or null when it holds one.
export function distanceWarning(text, previous) {
    if (parseLightyears(text) !== null) return null;
    const problem = text === ''
        ? 'The distance from Sol is empty.'
        : 'The distance from Sol must be a whole number of light years from 0 to 2147483647.';
    return `${problem}\n\nThis race is rolled with the previous distance, ${lightyearsText(previous)}.`;
}
