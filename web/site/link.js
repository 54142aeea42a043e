// The address of a race: #seed=S&dice=K&location=inner|frontier|backnet&lightyears=D, all that
// rolls it again (vellicor-cli --seed S --dice K --location L --lightyears D). The location
// names and the ranges are the module's tables, the same as the reader's and vellicor-cli's.
const int32Min = -2147483648;
const int32Max = 2147483647;

function wholeNumber(text, min, max) {
    if (!/^[+-]?[0-9]+$/.test(text)) return null;
    const value = Number(text);
    return Number.isSafeInteger(value) && value >= min && value <= max ? value : null;
}

export function raceFragment({ seed, dice, location, lightyears }, locationNames) {
    return `#seed=${seed}&dice=${dice}&location=${locationNames[location]}&lightyears=${lightyears}`;
}

// What a fragment names: null when there is none, { race } when it names one, { problem } (a
// short sentence) when a value is missing or wrong.
export function parseFragment(fragment, { locations, mostDice }) {
    const text = fragment.startsWith('#') ? fragment.slice(1) : fragment;
    if (text === '') return null;
    let values;
    try {
        values = new URLSearchParams(text);
    } catch {
        return { problem: 'The link does not name a race.' };
    }
    const rules = [
        ['seed', (v) => wholeNumber(v, int32Min, int32Max)],
        ['dice', (v) => wholeNumber(v, 0, mostDice)],
        ['location', (v) => {
            const index = locations.indexOf(v.toLowerCase());
            return index >= 0 ? index : null;
        }],
        ['lightyears', (v) => wholeNumber(v, int32Min, int32Max)],
    ];
    const race = {};
    for (const [key, parse] of rules) {
        const value = values.get(key);
        if (value === null) return { problem: `The link names no ${key}.` };
        const parsed = parse(value.trim());
        if (parsed === null) return { problem: `The link's ${key} is not valid.` };
        race[key] = parsed;
    }
    return { race };
}
