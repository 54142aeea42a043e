// The page: the dialog's controls, the session's commands, the link of the race on screen and
// the session kept in the browser's storage.
import { categoryCount, formats, loadEngine } from './engine.js';
import { digitsAfterEdit, digitsOnlyNote, distanceWarning, parseLightyears } from './distance.js';
import { parseFragment, raceFragment } from './link.js';
import { loadStoredSession, storeSession } from './storage.js';

const element = (id) => document.getElementById(id);

const ui = {
    dialog: element('dialog'),
    newButton: element('new'),
    boxes: Array.from({ length: categoryCount }, (_, category) => element(`box-${category}`)),
    radios: Array.from(document.querySelectorAll('input[name="location"]')),
    distance: element('distance'),
    distanceNote: element('distance-note'),
    status: element('status'),
    previous: element('previous'),
    next: element('next'),
    diceLog: element('dice-log'),
    diceLogText: element('dice-log-text'),
    diceLogToggle: element('dice-log-toggle'),
    warning: element('warning'),
    warningText: element('warning-text'),
    about: element('about'),
    openFile: element('open-file'),
};

const fileExtensions = ['txt', 'md', 'json'];
const mimeTypes = ['text/plain', 'text/markdown', 'application/json'];
const formatNames = ['text', 'Markdown', 'JSON'];
const storeDelay = 400; // milliseconds after the last New or key before the session is kept

let engine;
// What the page shows of each race of the engine's session, in the same order: the facts of its
// heading, the texts of its boxes and the texts its profile describes (to keep notes only).
const races = [];
let position = -1;
// The distance the last race was rolled with, which an unusable box falls back on.
let lightyears = 0;
let distanceText = '0';
let storeTimer = 0;
let storageFailureShown = false;

function say(message) {
    ui.status.textContent = message;
}

// ----- The session -----

function mirrorOf(index) {
    const race = engine.race(index);
    const texts = race.categories.map((category) => category.text);
    return {
        number: race.race,
        seed: race.seed,
        dice: race.dice ?? -1, // not known for some races read from older files
        location: race.location.value,
        lightyears: race.lightyears,
        texts,
        described: texts.slice(),
    };
}

// Brings the mirror in line after races were added at the end of the engine's session (which
// drops its oldest beyond its capacity).
function mirrorAdded(added) {
    const size = engine.size();
    for (let index = size - added; index < size; ++index) races.push(mirrorOf(index));
    races.splice(0, races.length - size);
}

function currentRace() {
    return races[position];
}

function checkedLocation() {
    const checked = ui.radios.findIndex((radio) => radio.checked);
    return checked < 0 ? 0 : checked;
}

function showRace(index) {
    position = index;
    const race = currentRace();
    race.texts.forEach((text, category) => {
        ui.boxes[category].value = text.replaceAll('\r\n', '\n');
    });
    // Scrolling after all ten values are in lays the page out once, not once a box.
    for (const box of ui.boxes) {
        box.scrollTop = 0;
        box.scrollLeft = 0;
    }
    ui.radios.forEach((radio, location) => {
        radio.checked = location === race.location;
    });
    lightyears = race.lightyears;
    distanceText = String(lightyears);
    ui.distance.value = distanceText;
    const focused = document.activeElement;
    ui.previous.disabled = position <= 0;
    ui.next.disabled = position >= races.length - 1;
    // Previous or Next disabled under the focus hands it to the other one, or else to New, so
    // that the keyboard never loses its place.
    if ((focused === ui.previous || focused === ui.next) && focused.disabled) {
        const other = focused === ui.previous ? ui.next : ui.previous;
        (other.disabled ? ui.newButton : other).focus();
    }
    // The address names the race on screen, without adding to the browser's history.
    history.replaceState(null, '', race.dice >= 0 ? raceFragment(race) : window.location.pathname);
}

function rollNewRace() {
    const text = ui.distance.value;
    const warning = distanceWarning(text, lightyears);
    const distance = parseLightyears(text);
    if (distance !== null) lightyears = distance;
    mirrorAdded(engine.roll(checkedLocation(), lightyears) > 0 ? 1 : 0);
    showRace(races.length - 1);
    if (!ui.diceLog.hidden) appendToDiceLog(position);
    scheduleStore();
    if (warning) showWarning(warning, ui.distance);
}

// Starts the dice at `race` (seed, dice) and rolls it at its location and distance.
function openRace(race) {
    engine.start(race.seed, race.dice, 1);
    ui.radios[race.location].checked = true;
    ui.distance.value = String(race.lightyears);
    rollNewRace();
}

function freshRace() {
    engine.start(engine.seedFromClock(Date.now()), 0, 1);
    rollNewRace();
}

function showPreviousRace() {
    if (position <= 0) return;
    showRace(position - 1);
    scheduleStore(); // a reload comes back to this race
}

function showNextRace() {
    if (position >= races.length - 1) return;
    showRace(position + 1);
    scheduleStore();
}

function keepNote(category) {
    const text = ui.boxes[category].value.replaceAll('\n', '\r\n');
    currentRace().texts[category] = text;
    engine.setText(position, category, text);
    scheduleStore();
}

// ----- Messages -----

function showWarning(message, focusAfter) {
    ui.warningText.textContent = message;
    ui.warning.addEventListener('close', () => focusAfter?.focus(), { once: true });
    ui.warning.showModal();
}

// ----- The distance box -----

let noteTimer = 0;

function showDistanceNote(note) {
    ui.distanceNote.textContent = note;
    clearTimeout(noteTimer);
    if (note) noteTimer = setTimeout(() => showDistanceNote(''), 4000);
}

// Typed, pasted or dropped text goes into the box only as the digits it holds, before it is
// inserted: what is refused never enters, and whitespace around pasted digits is dropped, so
// that the box's undo only ever goes back to what the box showed.
function filterDistanceInput(event) {
    if (!event.inputType.startsWith('insert') || event.isComposing) return;
    const text = event.data ?? event.dataTransfer?.getData('text/plain');
    if (typeof text !== 'string') return; // left to editDistance
    const digits = digitsAfterEdit('', text, text.length); // the digits to insert, or null
    if (digits?.text === text) return;
    event.preventDefault();
    if (digits) document.execCommand('insertText', false, digits.text);
    else showDistanceNote(digitsOnlyNote);
}

// What no beforeinput event could filter (an input method's text, say) is put right afterwards.
function editDistance() {
    const box = ui.distance;
    const edit = digitsAfterEdit(distanceText, box.value, box.selectionEnd ?? box.value.length);
    if (!edit) {
        const caret = Math.max(0, (box.selectionEnd ?? 0) - (box.value.length - distanceText.length));
        box.value = distanceText;
        box.setSelectionRange(caret, caret);
        showDistanceNote(digitsOnlyNote);
        return;
    }
    if (edit.text !== box.value) {
        box.value = edit.text;
        box.setSelectionRange(edit.caret, edit.caret);
    }
    distanceText = edit.text;
    showDistanceNote('');
}

// ----- Keeping the session -----

function storedRace(race, index) {
    const notes = {};
    race.texts.forEach((text, category) => {
        if (text !== race.described[category]) notes[category] = text;
    });
    return {
        number: race.number,
        seed: race.seed,
        dice: race.dice,
        location: race.location,
        lightyears: race.lightyears,
        profile: engine.profile(index),
        notes,
    };
}

function storeNow() {
    clearTimeout(storeTimer);
    storeTimer = 0;
    const kept = storeSession({
        version: 1,
        position,
        stream: engine.stream(),
        races: races.map(storedRace),
    });
    if (!kept && !storageFailureShown) {
        storageFailureShown = true;
        say('This browser does not keep the session (its storage is full or refused): ' +
            'a reload starts afresh. Save Races keeps the races in a file.');
    }
}

function scheduleStore() {
    clearTimeout(storeTimer);
    storeTimer = setTimeout(storeNow, storeDelay);
}

// Puts a kept session back; false when there is none or it cannot be used.
function restoreSession(stored) {
    if (!stored || stored.version !== 1 || !Array.isArray(stored.races) || !stored.stream)
        return false;
    for (const race of stored.races) {
        if (!engine.restore(race)) continue;
        const index = engine.size() - 1;
        const mirror = mirrorOf(index);
        for (const [key, text] of Object.entries(race.notes ?? {})) {
            const category = Number(key);
            if (typeof text === 'string' && engine.setText(index, category, text))
                mirror.texts[category] = text;
        }
        races.push(mirror);
    }
    races.splice(0, races.length - engine.size());
    const { seed, dice, number } = stored.stream;
    if (races.length === 0 || !engine.start(seed, dice, number)) {
        engine.clear();
        races.length = 0;
        return false;
    }
    const at = Number.isInteger(stored.position) ? stored.position : races.length - 1;
    showRace(Math.min(Math.max(at, 0), races.length - 1));
    return true;
}

// ----- Copy, save, open -----

async function copy(text, what) {
    try {
        if (!navigator.clipboard) throw new Error('no clipboard');
        await navigator.clipboard.writeText(text);
        say(`Copied ${what}.`);
    } catch {
        // Where the asynchronous clipboard is not offered (an address that is not https), the
        // selection is copied the old way.
        const holder = document.createElement('textarea');
        holder.value = text;
        holder.setAttribute('aria-hidden', 'true');
        holder.style.position = 'fixed';
        holder.style.opacity = '0';
        document.body.append(holder);
        holder.select();
        const copied = document.execCommand('copy');
        holder.remove();
        say(copied ? `Copied ${what}.` : `The browser did not let the page copy ${what}.`);
    }
}

function copyRace(format) {
    copy(engine.raceText(position, format), `the race as ${formatNames[format]}`);
}

function copyLink() {
    if (currentRace().dice < 0) {
        say('This race was read from a file that does not say where it lies in its dice, so no link can name it.');
        return;
    }
    copy(new URL(raceFragment(currentRace()), window.location.href).href, 'the link to the race');
}

function today() {
    const now = new Date();
    const two = (n) => String(n).padStart(2, '0');
    return `${now.getFullYear()}-${two(now.getMonth() + 1)}-${two(now.getDate())}`;
}

function saveRaces(format) {
    const blob = new Blob(engine.sessionChunks(format), { type: mimeTypes[format] });
    const link = document.createElement('a');
    link.href = URL.createObjectURL(blob);
    link.download = `vellicor-races-${today()}.${fileExtensions[format]}`;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 60_000);
    say(`Saved ${races.length} ${races.length === 1 ? 'race' : 'races'} as ${formatNames[format]}.`);
}

// The largest file the reader takes; anything larger is refused before it is read.
const largestFile = 64 * 1024 * 1024;

async function openSession(file) {
    const refuse = (reason) =>
        showWarning(`${file.name} could not be opened.\n\n${reason}`, element('open'));
    if (file.size > largestFile) {
        refuse('The file is larger than 64 MiB.');
        return;
    }
    let bytes;
    try {
        bytes = new Uint8Array(await file.arrayBuffer());
    } catch (error) {
        refuse(`It could not be read: ${error.message}`);
        return;
    }
    const before = races.length;
    const opened = engine.openSession(bytes);
    if (opened.error) {
        refuse(`${opened.error.charAt(0).toUpperCase()}${opened.error.slice(1)}.`);
        return;
    }
    mirrorAdded(opened.added);
    if (!opened.continues) engine.start(engine.seedFromClock(Date.now()), 0, 1);
    showRace(races.length - 1);
    if (!ui.diceLog.hidden) showDiceLog();
    scheduleStore();
    const dropped = before + opened.added - races.length;
    say([
        `Opened ${file.name}: ${opened.added} ${opened.added === 1 ? 'race' : 'races'}.`,
        dropped > 0 ? `The oldest ${dropped} of this page's races made room: it keeps 1,000.` : '',
        opened.continues ? 'New goes on where that session stopped.'
            : 'Its dice cannot be followed on: New starts new dice.',
    ].filter(Boolean).join(' '));
}

// ----- The Dice Log -----

function diceLogEntry(index) {
    return `${engine.heading(index)}\n${engine.trace(index)}`.replace(/\n$/, '');
}

function showDiceLog() {
    ui.diceLogText.textContent = races.map((_, index) => diceLogEntry(index)).join('\n\n');
    ui.diceLogText.scrollTop = ui.diceLogText.scrollHeight;
}

function appendToDiceLog(index) {
    const text = ui.diceLogText.textContent;
    ui.diceLogText.textContent = (text ? `${text}\n\n` : '') + diceLogEntry(index);
    ui.diceLogText.scrollTop = ui.diceLogText.scrollHeight;
}

function toggleDiceLog(open) {
    ui.diceLog.hidden = !open;
    ui.diceLogToggle.setAttribute('aria-expanded', String(open));
    if (open) {
        showDiceLog();
        ui.diceLogText.focus();
    } else {
        ui.diceLogToggle.focus();
    }
}

// ----- Keys and wiring -----

// The dialog's window menu shortcuts, with Cmd for Ctrl on a Mac. Where a browser keeps one of
// them for itself, its button still does the same.
const commandKeys = {
    'shift+c': () => copyRace(formats.text), // Copy Race
    s: () => saveRaces(formats.markdown), // Save Races, in the dialog's first format
    o: () => ui.openFile.click(), // Open Session
    l: () => diceLogKey(), // Dice Log
};

// The letter of a shortcut: the one typed, or where the layout types no Latin letter there
// (Cyrillic, Greek), the one at that place on a US keyboard, as desktop programs read them.
function shortcutLetter(event) {
    if (/^[a-z]$/i.test(event.key)) return event.key.toLowerCase();
    return /^Key[A-Z]$/.test(event.code) ? event.code.slice(3).toLowerCase() : '';
}

// Runs the command of a Ctrl (or Cmd) shortcut; false when `event` is not one.
function commandKey(event) {
    if (event.ctrlKey === event.metaKey || event.altKey || event.isComposing) return false;
    const command = commandKeys[(event.shiftKey ? 'shift+' : '') + shortcutLetter(event)];
    if (!command) return false;
    event.preventDefault();
    command();
    return true;
}

// Ctrl+L opens the Dice Log; in the open log it goes back to the dialog, as in the dialog's own
// Dice Log window, and anywhere else to the log.
function diceLogKey() {
    if (ui.diceLog.hidden) toggleDiceLog(true);
    else if (ui.diceLog.contains(document.activeElement)) ui.newButton.focus();
    else ui.diceLogText.focus();
}

function onKeyDown(event) {
    if (document.querySelector('dialog[open]')) return; // the warning or About box has the keys
    if (event.altKey && !event.ctrlKey && !event.metaKey && !event.shiftKey &&
        (event.key === 'ArrowLeft' || event.key === 'ArrowRight')) {
        event.preventDefault();
        if (event.key === 'ArrowLeft') showPreviousRace();
        else showNextRace();
        return;
    }
    if (commandKey(event)) return;
    if (event.key !== 'Enter' || event.isComposing || !ui.dialog.contains(event.target)) return;
    if (event.ctrlKey && event.target.tagName === 'TEXTAREA') {
        // Ctrl+Enter starts a new line in a box; Enter alone rolls.
        event.preventDefault();
        event.target.setRangeText('\n', event.target.selectionStart, event.target.selectionEnd,
            'end');
        event.target.dispatchEvent(new Event('input', { bubbles: true }));
        return;
    }
    if (event.altKey || event.ctrlKey || event.metaKey || event.shiftKey) return;
    event.preventDefault();
    rollNewRace();
}

function wire() {
    ui.newButton.addEventListener('click', rollNewRace);
    ui.boxes.forEach((box, category) => box.addEventListener('input', () => keepNote(category)));
    ui.distance.addEventListener('beforeinput', filterDistanceInput);
    ui.distance.addEventListener('input', editDistance);
    ui.previous.addEventListener('click', showPreviousRace);
    ui.next.addEventListener('click', showNextRace);
    element('copy-text').addEventListener('click', () => copyRace(formats.text));
    element('copy-markdown').addEventListener('click', () => copyRace(formats.markdown));
    element('copy-json').addEventListener('click', () => copyRace(formats.json));
    element('copy-link').addEventListener('click', copyLink);
    element('save-text').addEventListener('click', () => saveRaces(formats.text));
    element('save-markdown').addEventListener('click', () => saveRaces(formats.markdown));
    element('save-json').addEventListener('click', () => saveRaces(formats.json));
    element('open').addEventListener('click', () => ui.openFile.click());
    ui.openFile.addEventListener('change', () => {
        const [file] = ui.openFile.files;
        ui.openFile.value = '';
        if (file) openSession(file);
    });
    ui.diceLogToggle.addEventListener('click', () => toggleDiceLog(ui.diceLog.hidden));
    element('dice-log-close').addEventListener('click', () => toggleDiceLog(false));
    element('about-open').addEventListener('click', () => ui.about.showModal());
    document.addEventListener('keydown', onKeyDown);
    // A link to another race typed into the address bar or followed from elsewhere.
    window.addEventListener('hashchange', () => {
        if (races.length && currentRace().dice >= 0 &&
            window.location.hash === raceFragment(currentRace())) return;
        openFromAddress();
    });
    // Whatever is not kept yet is kept before the page goes.
    window.addEventListener('pagehide', () => {
        if (storeTimer) storeNow();
    });
}

// Shows the race the address names (read before anything else sets it), if it names one.
function openFromAddress(link = parseFragment(window.location.hash)) {
    const named = link?.race;
    // A race of the session (a reload, or an address it gave out) is shown where it is.
    const index = named ? races.findIndex((race) => race.seed === named.seed &&
        race.dice === named.dice && race.location === named.location &&
        race.lightyears === named.lightyears) : -1;
    if (index >= 0) {
        showRace(index);
        scheduleStore();
    } else if (named) {
        openRace(named);
    } else if (link?.problem) {
        say(`${link.problem} Here is a fresh race instead.`);
        freshRace();
    }
    return link !== null;
}

async function start() {
    engine = await loadEngine();
    element('about-build').textContent = `Version ${engine.version()}, in the browser`;
    wire();
    const link = parseFragment(window.location.hash);
    const restored = restoreSession(loadStoredSession());
    if (!openFromAddress(link) && !restored) freshRace();
    // The focus starts on New, as in the dialog, without scrolling a phone's page down to it.
    ui.newButton.focus({ preventScroll: true });
    // The benchmark measures from the navigation to here: the first race on screen.
    performance.mark('vellicor-first-race');
    document.documentElement.dataset.ready = 'true';
    // The icons come after the race: drawing an SVG image costs the page's first moments more
    // than anything else on it.
    for (const image of document.querySelectorAll('img[data-src]')) image.src = image.dataset.src;
}

start().catch((error) => {
    say(`Vellicor could not start in this browser: ${error.message}`);
});
