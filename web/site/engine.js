// The WebAssembly module (generation and formats, built from the same C++ as the dialog and
// vellicor-cli) behind plain JavaScript calls. Texts cross as UTF-8; long outputs come out in
// chunks of bytes, so a download holds exactly the bytes the C++ wrote.
import createVellicor from './vellicor.js';

export const formats = Object.freeze({ text: 0, markdown: 1, json: 2 });
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

    seedFromClock(milliseconds) {
        return this.#wasm._vellicor_seed_from_clock(Math.floor(milliseconds / 1000));
    }

    // The next race is the one after `dice` dice of `seed`, numbered `number`.
    start(seed, dice, number = 1) {
        return this.#wasm._vellicor_start(seed, dice, number) !== 0;
    }

    stream() {
        return {
            seed: this.#wasm._vellicor_stream_seed(),
            dice: this.#wasm._vellicor_stream_dice(),
            number: this.#wasm._vellicor_next_number(),
        };
    }

    // Rolls the next race onto the end of the session; returns the session's size.
    roll(location, lightyears) {
        return this.#wasm._vellicor_roll(location, lightyears);
    }

    size() {
        return this.#wasm._vellicor_size();
    }

    clear() {
        this.#wasm._vellicor_clear();
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

    trace(index) {
        this.#wasm._vellicor_trace(index);
        return this.#outputText();
    }

    setText(index, category, text) {
        return this.#withText(text, (pointer, size) =>
            this.#wasm._vellicor_set_text(index, category, pointer, size) !== 0);
    }

    // The race's rolled numbers, enough with its facts to keep it.
    profile(index) {
        const start = this.#wasm._vellicor_profile(index);
        const size = this.#wasm._vellicor_profile_size();
        return Array.from(new Int32Array(this.#wasm.HEAPU8.buffer, start, size));
    }

    // Adds a kept race with the texts its profile describes; false if it cannot be one.
    restore({ number, seed, dice, location, lightyears, profile }) {
        const size = this.#wasm._vellicor_profile_size();
        if (!Array.isArray(profile) || profile.length !== size) return false;
        const pointer = this.#wasm._malloc(size * 4);
        try {
            new Int32Array(this.#wasm.HEAPU8.buffer, pointer, size).set(profile);
            return this.#wasm._vellicor_restore(number, seed, dice, location, lightyears,
                pointer) > 0;
        } finally {
            this.#wasm._free(pointer);
        }
    }

    // Adds the races of a JSON file of races at the end of the session: { added, continues } or
    // { error }, one line saying what is wrong with the file.
    openSession(bytes) {
        const pointer = this.#wasm._malloc(Math.max(bytes.length, 1));
        try {
            this.#wasm.HEAPU8.set(bytes, pointer);
            const added = this.#wasm._vellicor_open(pointer, bytes.length);
            if (added < 0) return { error: this.#outputText() };
            return { added, continues: this.#wasm._vellicor_open_continues() !== 0 };
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
        const stream = this.stream();
        try {
            if (!this.#wasm._vellicor_write_races(seed, dice, location, lightyears, count, format))
                return false;
            this.#eachChunk(use);
            return true;
        } finally {
            this.start(stream.seed, stream.dice, stream.number); // New goes on where it was
        }
    }

    // The same races as pieces of bytes to make one Blob of.
    racesChunks(options) {
        const pieces = new Pieces();
        return this.writeRaces(options, (chunk) => pieces.add(chunk)) ? pieces.done() : [];
    }
}
