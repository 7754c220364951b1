#include "Interface/PreviewUpdate.h"

wxString PreviewUpdateScript()
{
    // Only a page whose runtime has finished drawing updates itself. The page's own
    // configuration script (the one without a source file) is run again after the new
    // body is in: the runtime keeps the movies it has read, so the new tag is drawn at
    // once. The drawings of the old body are let go first, observers and listeners too.
    return wxString::FromUTF8(R"JS((() => {
  const sifr = window.sIFR;
  if (!sifr || sifr.done !== true || !Array.isArray(sifr.replacements) || !document.body) return false;
  const state = window.__glypharaUpdate || (window.__glypharaUpdate = { running: false, again: false, movies: null });
  if (state.running) {
    state.again = true;
    return true;
  }
  const request = (url, method) => fetch(url, { cache: 'no-store', method: method || 'GET' }).then((response) => {
    if (!response.ok) throw new Error('HTTP ' + response.status);
    return response;
  });
  const configOf = (d) => Array.from(d.querySelectorAll('head script:not([src])'), (e) => e.textContent).join('\n');
  const moviesOf = (config) =>
    Array.from(config.matchAll(/\bsrc\s*:\s*'([^']*)'/g), (m) => new URL(m[1], document.baseURI).href).sort();
  const stampOf = (urls) => Promise.all(urls.map((url) => request(url, 'HEAD')
    .then((response) => url + ' ' + (response.headers.get('last-modified') || '')))).then((s) => s.join('\n'));
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
      const href = sheet.getAttribute('data-glyphara-href') || sheet.getAttribute('href');
      return { sheet, href, css: await (await request(new URL(href, document.baseURI).href)).text() };
    }));
    // Read as text into style elements, not linked anew: every new address of a link
    // would stay with the page.
    for (const { sheet, href, css } of styles) {
      let style = sheet;
      if (sheet.localName !== 'style') {
        style = document.createElement('style');
        style.setAttribute('data-glyphara-href', href);
        if (sheet.media) style.media = sheet.media;
        sheet.replaceWith(style);
      }
      if (style.textContent !== css) style.textContent = css;
    }
    for (const element of sifr.replacements) {
      const drawing = element.__sIFRDrawing;
      if (drawing && drawing.observer) drawing.observer.disconnect();
      if (drawing && drawing.unhook) drawing.unhook.abort();
    }
    sifr.replacements.length = 0;
    sifr.done = false;
    document.documentElement.removeAttribute('data-sifr-done');
    const looks = document.getElementById('sIFR-looks');
    if (looks) looks.remove();
    document.body.replaceWith(document.adoptNode(fresh.body));
    (0, eval)(config);
  };
  const run = () => update().then(() => {
    state.running = false;
    if (state.again) run();
  }, () => location.reload());
  run();
  return true;
})())JS");
}
