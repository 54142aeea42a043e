// The session kept in the browser's storage, so a reload or the next visit finds it again.
//
// Each tab keeps its session under a key of its own, named in the tab's sessionStorage (which a
// reload keeps and other tabs do not see), so two tabs never write over each other's races. A
// tab that has kept nothing yet starts from the session kept last, by any tab. An index of the
// keys with the time each was written lets the oldest go, beyond the newest `keptSessions` or
// when the storage is full.
const sessionPrefix = 'vellicor.session.';
const indexKey = 'vellicor.sessions';
const tabKey = 'vellicor.tab';
const keptSessions = 10;

function readIndex() {
    try {
        const index = JSON.parse(window.localStorage.getItem(indexKey) ?? '{}');
        return index && typeof index === 'object' && !Array.isArray(index) ? index : {};
    } catch {
        return {};
    }
}

// The keys of the index, newest first.
function newestFirst(index) {
    return Object.keys(index).sort((a, b) => (index[b] ?? 0) - (index[a] ?? 0));
}

function readSession(key) {
    try {
        const text = window.localStorage.getItem(key);
        return text ? JSON.parse(text) : null;
    } catch {
        return null;
    }
}

// This tab's key, made on its first store.
function ownKey(create) {
    let id = window.sessionStorage.getItem(tabKey);
    if (!id && create) {
        id = `${Date.now().toString(36)}-${Math.random().toString(36).slice(2, 10)}`;
        window.sessionStorage.setItem(tabKey, id);
    }
    return id ? sessionPrefix + id : null;
}

// The kept session: this tab's own, else the one kept last; null when there is none or it
// cannot be read.
export function loadStoredSession() {
    try {
        const own = ownKey(false);
        const ownSession = own ? readSession(own) : null;
        if (ownSession) return ownSession;
        for (const key of newestFirst(readIndex())) {
            const session = readSession(key);
            if (session) return session;
        }
        return null;
    } catch {
        return null;
    }
}

// Drops the oldest sessions of other tabs until at most `keep` are left besides `own`; false
// when there was none to drop.
function dropOldest(index, own, keep) {
    const others = newestFirst(index).filter((key) => key !== own);
    const dropped = others.slice(keep);
    for (const key of dropped) {
        window.localStorage.removeItem(key);
        delete index[key];
    }
    return dropped.length > 0;
}

// Keeps `session` as this tab's. When the storage is full, the oldest sessions of other tabs make
// room, one at a time; false when even then it cannot be kept (or the storage is refused).
export function storeSession(session) {
    try {
        const own = ownKey(true);
        const index = readIndex();
        const text = JSON.stringify(session);
        let keep = keptSessions - 1;
        for (;;) {
            try {
                window.localStorage.setItem(own, text);
                break;
            } catch (error) {
                let dropped = false;
                while (!dropped && keep >= 0) dropped = dropOldest(index, own, keep--);
                if (!dropped) throw error;
            }
        }
        index[own] = Date.now();
        dropOldest(index, own, keptSessions - 1);
        window.localStorage.setItem(indexKey, JSON.stringify(index));
        return true;
    } catch {
        return false;
    }
}
