// The session kept in the browser's storage, so a reload or the next visit finds it again.
const storageKey = 'vellicor.session';

// The kept session, or null when there is none or it cannot be read.
export function loadStoredSession() {
    try {
        const text = window.localStorage.getItem(storageKey);
        return text ? JSON.parse(text) : null;
    } catch {
        return null;
    }
}

// False when the storage is full or refused (private windows, blocked site data).
export function storeSession(session) {
    try {
        window.localStorage.setItem(storageKey, JSON.stringify(session));
        return true;
    } catch {
        return false;
    }
}
