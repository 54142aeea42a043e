// Keeps the site in the browser after the first visit (sw.js), so that the page loads and rolls
// with no network and can be installed as an app. Where service workers are not offered (an
// address that is not https, a browser that has them off), the page works as it always has,
// from the network, and nothing is said.
if ('serviceWorker' in navigator) {
    // Once the page has loaded: the first race comes before the site is fetched a second time.
    const register = () => navigator.serviceWorker.register('sw.js').catch(() => {});
    if (document.readyState === 'complete') register();
    else window.addEventListener('load', register, { once: true });
}
