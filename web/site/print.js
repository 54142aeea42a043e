// The printed card of the race on screen: kept in #card whenever the race or its notes change
// (a print to PDF, page.pdf() say, fires no beforeprint), and shown by the print style sheet in
// place of everything else, so that the browser's own Print prints the card and nothing more.
export class PrintedCard {
    #engine;
    #holder;

    constructor(engine, holder) {
        this.#engine = engine;
        this.#holder = holder;
        // The card's look is the one style the dialog's printing uses too, handed over by the
        // module, so it is adopted as it is rather than copied into style.css, where the two
        // would drift apart. A constructed style sheet is the page's own object, not an inline
        // style, so the security policy's style-src 'self' lets it be.
        const sheet = new CSSStyleSheet();
        sheet.replaceSync(engine.cardStyle());
        document.adoptedStyleSheets = [...document.adoptedStyleSheets, sheet];
    }

    // Lays out the card of race `index` with the page's address of `fragment` ('' when no link
    // names the race). The HTML is the module's, every text in it escaped there.
    show(index, fragment) {
        const link = fragment ? new URL(fragment, window.location.href).href : '';
        this.#holder.innerHTML = this.#engine.card(index, link);
    }
}
