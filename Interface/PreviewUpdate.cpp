#include "Interface/PreviewUpdate.h"

wxString PreviewUpdateScript()
{
    // The page's own configuration script (the one without a source file) is run again
    // after the new text or body is in: the runtime keeps the movies it has read, so the
    // new tag is drawn at once. What the runtime made for the old page goes first: the
    // looks and filters it gave the elements, or for a new body its drawings' observers
    // and listeners, and the look rules it put in the head, which would otherwise pile
    // up, one look per change, each parsed again with the whole sheet.
    // An update counts as running until the runtime has drawn it, so that a change
    // arriving meanwhile waits for it instead of finding a page half drawn.
    return wxString::FromUTF8(R"JS((() => {
  const sifr = window.sIFR;
  const state = window.__glypharaUpdate || (window.__glypharaUpdate = { running: false, again: false, movies: null });
  if (state.running) {
    state.again = true;
    return true;
  }
  if (!sifr || sifr.done !== true || !Array.isArray(sifr.replacements) || !document.body) return false;
  const request = (url, method) => fetch(url, { cache: 'no-store', method: method || 'GET' }).then((response) => {
    if (!response.ok) throw new Error('HTTP ' + response.status);
    return response;
  });
  const configOf = (d) => Array.from(d.querySelectorAll('head script:not([src])'), (e) => e.textContent).join('\n');
  const moviesOf = (config) =>
    Array.from(config.matchAll(/\bsrc\s*:\s*'([^']*)'/g), (m) => new URL(m[1], document.baseURI).href).sort();
  const stampOf = (urls) => Promise.all(urls.map((url) => request(url, 'HEAD')
    .then((response) => url + ' ' + (response.headers.get('last-modified') || '')))).then((s) => s.join('\n'));
  // A sheet's text moved into the page keeps the addresses it names (its web fonts)
  // pointing where they pointed from the sheet's own address.
  const anchored = (css, base) => css.replace(/url\(\s*(['"]?)([^'")]*)\1\s*\)/g, (whole, quote, address) => {
    try {
      return 'url(' + JSON.stringify(new URL(address, base).href) + ')';
    } catch (e) {
      return whole;
    }
  });
  // The text nodes of the shown body with the new body's texts, or null when the two
  // differ in more than text.
  const textPairs = (a, b, pairs = []) => {
    if (a.nodeType !== b.nodeType || a.childNodes.length !== b.childNodes.length) return null;
    if (a instanceof CharacterData) pairs.push([a, b.data]);
    if (a.nodeType === Node.ELEMENT_NODE) {
      if (a.localName !== b.localName || a.attributes.length !== b.attributes.length) return null;
      for (const attribute of a.attributes)
        if (b.getAttribute(attribute.name) !== attribute.value) return null;
    }
    for (let i = 0; i < a.childNodes.length; ++i)
      if (!textPairs(a.childNodes[i], b.childNodes[i], pairs)) return null;
    return pairs;
  };
  const copyText = (into, from) => {
    const pairs = textPairs(into, from);
    for (const [node, data] of pairs || []) if (node.data !== data) node.data = data;
    return pairs !== null;
  };
  // The configuration is run with its strings and numbers lifted out, so that its text
  // stays the same while only values change: the engine keeps what it compiled for
  // every new text.
  const runConfig = (config) => {
    const values = [];
    const lift = (value) => {
      values.push(value);
      return '__glypharaValues[' + (values.length - 1) + ']';
    };
    let shape;
    try {
      shape = config.replace(/'((?:[^'\\\n]|\\.)*)'|(?<![\w$.\]])\d+(?:\.\d+)?(?![\w$.])/g, (whole, text) =>
        lift(text === undefined ? Number(whole) : JSON.parse('"' + text.replace(/\\'/g, "'").replace(/"/g, '\\"') + '"')));
    } catch (e) {
      shape = null;
    }
    window.__glypharaValues = values;
    (0, eval)(shape === null ? config : shape);
  };
  const drawnOrLate = (milliseconds) => new Promise((resolve, reject) => {
    const late = setTimeout(() => reject(new Error('not drawn')), milliseconds);
    window.addEventListener('sifr:done', () => {
      clearTimeout(late);
      resolve();
    }, { once: true });
  });
  const update = async () => {
    state.running = true;
    state.again = false;
    const html = await (await request(location.href)).text();
    const fresh = new DOMParser().parseFromString(html, 'text/html');
    const config = configOf(fresh);
    const movies = moviesOf(config);
    // Another movie, or one written again under its name (a font imported anew), is
    // read only by a reload.
    const stamp = await stampOf(movies);
    if (movies.join('\n') !== moviesOf(configOf(document)).join('\n') ||
        (state.movies !== null && state.movies !== stamp)) {
      location.reload();
      return;
    }
    state.movies = stamp;
    const sheets = Array.from(document.querySelectorAll('head link[rel="stylesheet"], head style[data-glyphara-href]'));
    const styles = await Promise.all(sheets.map(async (sheet) => {
      const href = new URL(sheet.getAttribute('data-glyphara-href') || sheet.getAttribute('href'), document.baseURI).href;
      return { sheet, href, css: anchored(await (await request(href)).text(), href) };
    }));
    // Read as text into style elements, not linked anew: every new address of a link
    // would stay with the page.
    for (const { sheet, href, css } of styles) {
      if (sheet.localName === 'style') {
        if (sheet.textContent !== css) sheet.textContent = css;
        continue;
      }
      const style = document.createElement('style');
      style.setAttribute('data-glyphara-href', href);
      if (sheet.media) style.media = sheet.media;
      style.textContent = css;
      sheet.replaceWith(style);
    }
    // A page whose elements are the same as before, with the same attributes, keeps
    // them and takes the new text: new elements given a new look on every change
    // leave the web process something it never gives back.
    if (!(typeof sifr.restore === 'function' && sifr.restore() && copyText(document.body, fresh.body))) {
      for (const element of sifr.replacements) {
        const drawing = element.__sIFRDrawing;
        if (drawing && drawing.observer) drawing.observer.disconnect();
        if (drawing && drawing.unhook) drawing.unhook.abort();
        const font = element.__sIFRFont;
        if (font && font.filter && font.filter.observer) font.filter.observer.disconnect();
      }
      sifr.replacements.length = 0;
      sifr.done = false;
      document.documentElement.removeAttribute('data-sifr-done');
      const looks = document.getElementById('sIFR-looks');
      if (looks) looks.remove();
      document.body.replaceWith(document.adoptNode(fresh.body));
    }
    // The runtime gives up on a font after its own time-out and draws from the movie.
    const drawn = drawnOrLate(30000);
    runConfig(config);
    await drawn;
  };
  const run = () => update().then(() => {
    state.running = false;
    if (state.again) run();
  }, () => location.reload());
  run();
  return true;
})())JS");
}
