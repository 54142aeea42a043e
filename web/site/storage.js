// The sessions kept in the browser's storage, so a reload, the next visit or Recent Sessions
// finds them again. Each is the module's stored form, a string.
//
// Each tab keeps its session under a key of its own, named in the tab's sessionStorage (which a
// reload keeps). A tab opened from another (window.open, Duplicate Tab) starts with a copy of
// that sessionStorage, so a tab also holds a Web Lock on its key while it lives: a tab that
// finds its key held by another takes a key of its own. A tab that has kept nothing yet starts
// from the session kept last. An index of the keys, with when each was written, when its session
// started, its first seed and its races, lets Recent Sessions list them and the oldest go,
// beyond the newest `mostSessions` or when the storage is full.
const sessionPrefix = 'vellicor.session.';
const indexKey = 'vellicor.sessions';
const tabKey = 'vellicor.tab';
const mostSessions = 10;

let ownKey = null;

function readIndex() {
    try {
        const index = JSON.parse(window.localStorage.getItem(indexKey) ?? '{}');
        return index && typeof index === 'object' && !Array.isArray(index) ? index : {};
    } catch {
        return {};
    }
}

// When an index entry was written: older pages wrote the time alone.
function written(entry) {
    return typeof entry === 'number' ? entry : entry?.written ?? 0;
}

// The keys of the index, newest first.
function newestFirst(index) {
    return Object.keys(index).sort((a, b) => written(index[b]) - written(index[a]));
}

export function readKeptSession(key) {
    try {
        return window.localStorage.getItem(key);
    } catch {
        return null;
    }
}

function freshId() {
    return `${Date.now().toString(36)}-${Math.random().toString(36).slice(2, 10)}`;
}

// Holds a lock named after `id` for as long as the page lives; false when another tab holds it.
async function claim(id) {
    if (!navigator.locks) return true;
    try {
        return await new Promise((resolve) => {
            navigator.locks.request(`${sessionPrefix}${id}`, { ifAvailable: true }, (lock) => {
                resolve(lock !== null);
                return lock ? new Promise(() => {}) : undefined;
            });
        });
    } catch {
        return true;
    }
}

// The session to start from: { text, own }, own when it is this tab's (a reload); text null when
// there is none.
export async function loadStoredSession() {
    try {
        let id = window.sessionStorage.getItem(tabKey);
        const inherited = id ? sessionPrefix + id : null;
        if (id && !(await claim(id))) id = null; // another tab's key: start from its session
        if (!id) {
            id = freshId();
            window.sessionStorage.setItem(tabKey, id);
            claim(id); // a name no other tab can hold yet: nothing to wait for
        }
        ownKey = sessionPrefix + id;
        const own = readKeptSession(ownKey);
        if (own) return { text: own, own: true };
        const inheritedText = inherited ? readKeptSession(inherited) : null;
        if (inheritedText) return { text: inheritedText, own: false };
        for (const key of newestFirst(readIndex())) {
            const text = readKeptSession(key);
            if (text) return { text, own: false };
        }
    } catch {
        // No storage: the page starts afresh.
    }
    return { text: null, own: false };
}

// From now on this tab keeps its session under a new key, leaving the one kept so far where it
// is, for Recent Sessions.
export function newSessionKey() {
    const id = freshId();
    try {
        window.sessionStorage.setItem(tabKey, id);
    } catch {
        // Kept for this page only.
    }
    ownKey = sessionPrefix + id;
    claim(id);
}

// The kept sessions but this tab's, newest first: { key, started, seed, races }.
export function keptSessions() {
    const index = readIndex();
    return newestFirst(index)
        .filter((key) => key !== ownKey && typeof index[key] === 'object')
        .map((key) => ({ key, ...index[key] }));
}

// Keeps `text` as this tab's session; `about` is { seed, races }. When the storage is full, the
// oldest sessions of other tabs make room, one at a time; when even then it cannot be kept (or
// the storage is refused), they are put back and false is returned.
export function storeSession(text, about) {
    try {
        if (!ownKey) newSessionKey();
        const index = readIndex();
        const removed = [];
        const others = newestFirst(index).filter((key) => key !== ownKey);
        for (;;) {
            try {
                window.localStorage.setItem(ownKey, text);
                break;
            } catch (error) {
                const oldest = others.pop();
                if (oldest === undefined) {
                    for (const [key, value] of removed) window.localStorage.setItem(key, value);
                    throw error;
                }
                const value = window.localStorage.getItem(oldest);
                if (value !== null) removed.push([oldest, value]);
                window.localStorage.removeItem(oldest);
            }
        }
        for (const [key] of removed) delete index[key];
        const started = typeof index[ownKey] === 'object' ? index[ownKey].started : Date.now();
        index[ownKey] = { written: Date.now(), started, ...about };
        for (const key of newestFirst(index).filter((key) => key !== ownKey).slice(mostSessions - 1)) {
            window.localStorage.removeItem(key);
            delete index[key];
        }
        window.localStorage.setItem(indexKey, JSON.stringify(index));
        return true;
    } catch {
        return false;
    }
}
