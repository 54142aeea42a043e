// The WebAssembly module (generation and formats, built from the same C++ as the dialog and
// vellicor-cli) behind plain JavaScript calls. Texts cross as UTF-8; long outputs come out in
// chunks of bytes, so a download holds exactly the bytes the C++ wrote.
import createVellicor from './vellicor.js';

export const formats = Object.freeze({ text: 0, markdown: 1, json: 2, foundry: 3 });
export const categoryCount = 10;
// The size of the pieces long outputs are gathered in.
const pieceSize = 8 * 1024 * 1024;

// Chunks of bytes gathered in a few large pieces: one Blob part per 64 KiB chunk would cost the
// browser more than the races themselves.
class Pieces {
    #pieces = [];
    #piece = new Uint8Array(pieceSize);
    #filled = 0;

    add(chunk) {
        if (this.#filled + chunk.length > this.#piece.length) {
            this.#pieces.push(this.#piece.subarray(0, this.#filled));
            this.#piece = new Uint8Array(Math.max(pieceSize, chunk.length));
            this.#filled = 0;
        }
        this.#piece.set(chunk, this.#filled);
        this.#filled += chunk.length;
    }

    done() {
        if (this.#filled > 0) this.#pieces.push(this.#piece.subarray(0, this.#filled));
        return this.#pieces;
    }
}

// The engine on the module that index.html started compiling, or, where nothing did (a test's
// own page), on one compiled now.
export async function loadEngine() {
    const compiled = globalThis.vellicorCompiled;
    if (!compiled) return new Engine(await createVellicor());
    const module = await compiled;
    let instantiationFailed;
    const failure = new Promise((resolve, reject) => {
        instantiationFailed = reject;
    });
    const wasm = createVellicor({
        instantiateWasm(imports, receiveInstance) {
            WebAssembly.instantiate(module, imports)
                .then((instance) => receiveInstance(instance, module), instantiationFailed);
            return {};
        },
    });
    return new Engine(await Promise.race([wasm, failure]));
}

class Engine {
    #wasm;
    #decoder = new TextDecoder();
    #encoder = new TextEncoder();

    constructor(wasm) {
        this.#wasm = wasm;
    }

    // The output buffer the last call filled.
    #outputBytes() {
        const start = this.#wasm._vellicor_output();
        return this.#wasm.HEAPU8.subarray(start, start + this.#wasm._vellicor_output_size());
    }

    #outputText() {
        return this.#decoder.decode(this.#outputBytes());
    }

    // Calls `use(pointer, size)` with `text` as UTF-8 in the module's memory.
    #withText(text, use) {
        const bytes = this.#encoder.encode(text);
        const pointer = this.#wasm._malloc(Math.max(bytes.length, 1));
        try {
            this.#wasm.HEAPU8.set(bytes, pointer);
            return use(pointer, bytes.length);
        } finally {
            this.#wasm._free(pointer);
        }
    }

    // Hands each chunk of the writing that was started to `use`, as a view into the module's
    // memory that is valid only until the next chunk.
    #eachChunk(use) {
        while (this.#wasm._vellicor_next_chunk() > 0) use(this.#outputBytes());
    }

    version() {
        this.#wasm._vellicor_version();
        return this.#outputText();
    }

    // The tables shared with the dialog and vellicor-cli: formats (name, label, extension,
    // mimeType), location names, the largest file the reader takes, the session's capacity and
    // the ranges of a race's values.
    tables() {
        this.#wasm._vellicor_tables();
        return JSON.parse(this.#outputText());
    }

    // "9 Dec 2026 20:15 — seed 1796823905, 21 races", for a session started at `start` (a Date).
    sessionLabel(start, seed, races) {
        this.#wasm._vellicor_session_label(start.getFullYear(), start.getMonth() + 1,
            start.getDate(), start.getHours(), start.getMinutes(), seed, races);
        return this.#outputText();
    }

    // Rolls the next race onto the end of the session and shows it; returns the session's size.
    roll(location, lightyears) {
        return this.#wasm._vellicor_roll(location, lightyears);
    }

    size() {
        return this.#wasm._vellicor_size();
    }

    // The index of the race on screen, -1 while there is none.
    position() {
        return this.#wasm._vellicor_position();
    }

    show(index) {
        return this.#wasm._vellicor_show(index) !== 0;
    }

    goBack() {
        return this.#wasm._vellicor_go_back() !== 0;
    }

    goForward() {
        return this.#wasm._vellicor_go_forward() !== 0;
    }

    // Shows the race a link names ({ seed, dice, location, lightyears }) and goes on after it.
    goOnFrom({ seed, dice, location, lightyears }) {
        return this.#wasm._vellicor_go_on_from(seed, dice, location, lightyears) !== 0;
    }

    // One race in one of `formats`, as vellicor-cli writes it.
    raceText(index, format) {
        this.#wasm._vellicor_race(index, format);
        return this.#outputText();
    }

    // One race as the JSON's object: race, seed, dice, location, lightyears, categories.
    race(index) {
        return JSON.parse(this.raceText(index, formats.json))[0];
    }

    heading(index) {
        this.#wasm._vellicor_heading(index);
        return this.#outputText();
    }

    // The race's printed card as HTML, every text escaped, with `link` as how to roll it again
    // ('' for a race no link names), and the style sheet its class names need.
    card(index, link) {
        return this.#withText(link, (pointer, size) => {
            this.#wasm._vellicor_card(index, pointer, size);
            return this.#outputText();
        });
    }

    cardStyle() {
        this.#wasm._vellicor_card_style();
        return this.#outputText();
    }

    // The race's heading and trace lines, as the Dice Log shows them.
    diceLogEntry(index) {
        this.#wasm._vellicor_dice_log(index);
        return this.#outputText();
    }

    setText(index, category, text) {
        return this.#withText(text, (pointer, size) =>
            this.#wasm._vellicor_set_text(index, category, pointer, size) !== 0);
    }

    // The session in the small form the page keeps, and back.
    store() {
        this.#wasm._vellicor_store();
        return this.#outputText();
    }

    restore(text) {
        return this.#withText(text, (pointer, size) =>
            this.#wasm._vellicor_restore(pointer, size) !== 0);
    }

    // Replaces the session with a JSON file of races: { inFile, kept, continues } or { error },
    // one line saying what is wrong with the file.
    openSession(bytes) {
        const pointer = this.#wasm._malloc(Math.max(bytes.length, 1));
        try {
            this.#wasm.HEAPU8.set(bytes, pointer);
            if (this.#wasm._vellicor_open(pointer, bytes.length) < 0)
                return { error: this.#outputText() };
            this.#wasm._vellicor_opened();
            return JSON.parse(this.#outputText());
        } finally {
            this.#wasm._free(pointer);
        }
    }

    // Every race of the session in one format, as pieces of bytes to make one Blob of.
    sessionChunks(format) {
        if (!this.#wasm._vellicor_write_session(format)) return [];
        const pieces = new Pieces();
        this.#eachChunk((chunk) => pieces.add(chunk));
        return pieces.done();
    }

    // `count` races rolled straight into one format, exactly as vellicor-cli writes them, each
    // chunk of bytes handed to `use` as it is written (a view valid only during the call). False
    // if the request is not one vellicor-cli would take. The session's stream is not moved.
    writeRaces({ seed, dice = 0, location, lightyears, count, format }, use) {
        if (!this.#wasm._vellicor_write_races(seed, dice, location, lightyears, count, format))
            return false;
        this.#eachChunk(use);
        return true;
    }

    // The same races as pieces of bytes to make one Blob of.
    racesChunks(options) {
        const pieces = new Pieces();
        return this.writeRaces(options, (chunk) => pieces.add(chunk)) ? pieces.done() : [];
    }
}
