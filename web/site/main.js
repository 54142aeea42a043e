// The page: the dialog's controls, the session's commands, the link of the race on screen and
// the session kept in the browser's storage.
import { categoryCount, formats, loadEngine } from './engine.js';
import { digitsAfterEdit, digitsOnlyNote, distanceWarning, parseLightyears } from './distance.js';
import { parseFragment, raceFragment } from './link.js';
import { PrintedCard } from './print.js';
import { keptSessions, loadStoredSession, newSessionKey, readKeptSession, storeSession } from './storage.js';

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
    recent: element('recent'),
    recentList: element('recent-list'),
};

const storeDelay = 400; // milliseconds after the last New or key before the session is kept

let engine;
let card; // the printed card of the race on screen
// The tables shared with the dialog: formats, location names, the reader's limit.
let tables;
// The distance the race on screen was rolled with, which an unusable box falls back on.
let lightyears = 0;
let distanceText = '0';
let storeTimer = 0;
let storageFailureShown = false;

function say(message) {
    ui.status.textContent = message;
}

// "1 race", "21 races".
function raceCount(count) {
    return `${count} ${count === 1 ? 'race' : 'races'}`;
}

// ----- The session -----

// The facts of a race the module holds: race, seed, dice (none where not known), location,
// lightyears and categories.
function raceAt(index) {
    return engine.race(index);
}

// A race read from a file that does not say where it lies in its dice has no "dice", and no link.
function linkable(race) {
    return race.dice !== undefined;
}

function linkOf(race) {
    return raceFragment({ ...race, location: race.location.value }, tables.locations);
}

function checkedLocation() {
    const checked = ui.radios.findIndex((radio) => radio.checked);
    return checked < 0 ? 0 : checked;
}

// Puts the module's race on screen into the boxes, the radio buttons and the distance box.
function showRace() {
    const position = engine.position();
    const race = raceAt(position);
    race.categories.forEach(({ text }, category) => {
        ui.boxes[category].value = text.replaceAll('\r\n', '\n');
    });
    // Scrolling after all ten values are in lays the page out once, not once a box.
    for (const box of ui.boxes) {
        box.scrollTop = 0;
        box.scrollLeft = 0;
    }
    ui.radios.forEach((radio, location) => {
        radio.checked = location === race.location.value;
    });
    lightyears = race.lightyears;
    distanceText = String(lightyears);
    ui.distance.value = distanceText;
    const focused = document.activeElement;
    ui.previous.disabled = position <= 0;
    ui.next.disabled = position >= engine.size() - 1;
    // Previous or Next disabled under the focus hands it to the other one, or else to New, so
    // that the keyboard never loses its place.
    if ((focused === ui.previous || focused === ui.next) && focused.disabled) {
        const other = focused === ui.previous ? ui.next : ui.previous;
        (other.disabled ? ui.newButton : other).focus();
    }
    // The address names the race on screen, without adding to the browser's history.
    history.replaceState(null, '', linkable(race) ? linkOf(race) : window.location.pathname);
    card.show(position, onScreenFragment());
}

function rollNewRace() {
    const text = ui.distance.value;
    // The race's own distance, as shown, is kept: a file's race may lie where no one can type.
    const warning = text === String(lightyears) ? null : distanceWarning(text, lightyears);
    const distance = parseLightyears(text);
    if (distance !== null) lightyears = distance;
    engine.roll(checkedLocation(), lightyears);
    showRace();
    if (!ui.diceLog.hidden) appendToDiceLog(engine.position());
    scheduleStore();
    if (warning) showWarning(warning, ui.distance);
}

// Shows the race a link names, and New goes on after it.
function openRace(race) {
    engine.goOnFrom(race);
    showRace();
    if (!ui.diceLog.hidden) showDiceLog();
    scheduleStore();
}

function showPreviousRace() {
    if (!engine.goBack()) return;
    showRace();
    scheduleStore(); // a reload comes back to this race
}

function showNextRace() {
    if (!engine.goForward()) return;
    showRace();
    scheduleStore();
}

function keepNote(category) {
    engine.setText(engine.position(), category, ui.boxes[category].value.replaceAll('\n', '\r\n'));
    card.show(engine.position(), onScreenFragment());
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

function storeNow() {
    clearTimeout(storeTimer);
    storeTimer = 0;
    const first = raceAt(0);
    const kept = storeSession(engine.store(), { seed: first.seed, races: engine.size() });
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

// Shows a session that took the place of the one on screen (which was kept first) and keeps it
// under a key of its own, so the replaced one stays where Recent Sessions finds it.
function showReplacement() {
    newSessionKey();
    showRace();
    if (!ui.diceLog.hidden) showDiceLog();
    storeNow();
}

function showRecentSessions() {
    ui.recentList.replaceChildren();
    const sessions = keptSessions();
    for (const { key, started, seed, races } of sessions) {
        const start = new Date(started);
        const item = document.createElement('li');
        const button = document.createElement('button');
        button.type = 'button';
        button.textContent = engine.sessionLabel(start, seed, races);
        button.addEventListener('click', () => {
            ui.recent.close();
            bringBack(key);
        });
        item.append(button);
        ui.recentList.append(item);
    }
    if (sessions.length === 0) {
        const item = document.createElement('li');
        item.textContent = 'No other sessions kept yet';
        ui.recentList.append(item);
    }
    ui.recent.showModal();
}

function bringBack(key) {
    const stored = readKeptSession(key);
    storeNow();
    if (stored === null || !engine.restore(stored)) {
        say('That session could not be read back.');
        return;
    }
    showReplacement();
    say(`Brought back a session of ${raceCount(engine.size())}.`);
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
    copy(engine.raceText(engine.position(), format), `the race as ${tables.formats[format].label}`);
}

function copyLink() {
    const race = raceAt(engine.position());
    if (!linkable(race)) {
        say('This race was read from a file that does not say where it lies in its dice, so no link can name it.');
        return;
    }
    copy(new URL(linkOf(race), window.location.href).href, 'the link to the race');
}

function today() {
    const now = new Date();
    const two = (n) => String(n).padStart(2, '0');
    return `${now.getFullYear()}-${two(now.getMonth() + 1)}-${two(now.getDate())}`;
}

function saveRaces(format) {
    const { extension, label, mimeType } = tables.formats[format];
    const blob = new Blob(engine.sessionChunks(format), { type: mimeType });
    const link = document.createElement('a');
    link.href = URL.createObjectURL(blob);
    link.download = `vellicor-races-${today()}.${extension}`;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 60_000);
    say(`Saved ${raceCount(engine.size())} as ${label}.`);
}

async function openSession(file) {
    const refuse = (reason) =>
        showWarning(`${file.name} could not be opened.\n\n${reason}`, element('open'));
    if (file.size > tables.largestFile) {
        refuse(`The file is larger than ${tables.largestFile / 1048576} MiB.`);
        return;
    }
    let bytes;
    try {
        bytes = new Uint8Array(await file.arrayBuffer());
    } catch (error) {
        refuse(`It could not be read: ${error.message}`);
        return;
    }
    storeNow();
    const opened = engine.openSession(bytes);
    if (opened.error) {
        refuse(`${opened.error.charAt(0).toUpperCase()}${opened.error.slice(1)}.`);
        return;
    }
    showReplacement();
    say([
        `Opened ${file.name}: ${raceCount(opened.kept)}.`,
        opened.inFile > opened.kept ? `It holds ${raceCount(opened.inFile)}; the newest ` +
            `${opened.kept} are shown.` : '',
        opened.continues ? 'New goes on where that session stopped.'
            : 'Its dice cannot be followed on: New starts new dice.',
        'Recent Sessions brings back the session it replaced.',
    ].filter(Boolean).join(' '));
}

// ----- The Dice Log -----

function showDiceLog() {
    const entries = Array.from({ length: engine.size() }, (_, index) => engine.diceLogEntry(index));
    ui.diceLogText.textContent = entries.join('\n\n');
    ui.diceLogText.scrollTop = ui.diceLogText.scrollHeight;
}

function appendToDiceLog(index) {
    const text = ui.diceLogText.textContent;
    ui.diceLogText.textContent = (text ? `${text}\n\n` : '') + engine.diceLogEntry(index);
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
    element('save-foundry').addEventListener('click', () => saveRaces(formats.foundry));
    element('open').addEventListener('click', () => ui.openFile.click());
    ui.openFile.addEventListener('change', () => {
        const [file] = ui.openFile.files;
        ui.openFile.value = '';
        if (file) openSession(file);
    });
    ui.diceLogToggle.addEventListener('click', () => toggleDiceLog(ui.diceLog.hidden));
    element('dice-log-close').addEventListener('click', () => toggleDiceLog(false));
    element('about-open').addEventListener('click', () => ui.about.showModal());
    element('recent-open').addEventListener('click', showRecentSessions);
    element('print').addEventListener('click', () => window.print());
    document.addEventListener('keydown', onKeyDown);
    // A link to another race typed into the address bar or followed from elsewhere.
    window.addEventListener('hashchange', () => {
        if (window.location.hash !== onScreenFragment()) openFromAddress();
    });
    // Whatever is not kept yet is kept before the page goes.
    window.addEventListener('pagehide', () => {
        if (storeTimer) storeNow();
    });
}

// The address of the race on screen, or '' when it has none.
function onScreenFragment() {
    if (engine.size() === 0) return '';
    const race = raceAt(engine.position());
    return linkable(race) ? linkOf(race) : '';
}

// Shows the race the address names (read before anything else sets it), if it names one: New
// goes on from it, whether or not the session holds it.
function openFromAddress(link = parseFragment(window.location.hash, tables)) {
    if (link?.race) {
        openRace(link.race);
    } else if (link?.problem) {
        say(`${link.problem} Here is a fresh race instead.`);
        rollNewRace();
    }
    return link !== null;
}

async function start() {
    // The kept session is looked up (a lock asked of the browser, the storage read) while the
    // module is compiled and instantiated.
    const stored = loadStoredSession();
    engine = await loadEngine();
    tables = engine.tables();
    card = new PrintedCard(engine, element('card'));
    element('about-build').textContent = `Version ${engine.version()}, in the browser`;
    wire();
    const link = parseFragment(window.location.hash, tables);
    const { text, own } = await stored;
    const restored = text !== null && engine.restore(text);
    if (restored) showRace();
    // A reload of the tab's own address shows its race and changes nothing else.
    const reload = restored && own && window.location.hash === onScreenFragment();
    if (!reload && !openFromAddress(link) && !restored) rollNewRace();
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
