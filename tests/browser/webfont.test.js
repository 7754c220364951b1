'use strict';
// The web fonts Glyphara writes beside each font movie, as Chromium loads them: through its
// font sanitizer, every face declared in webfonts.css must load, and text set in it must
// advance, kern and stand on its line as the runtime's reading of the movie says.
const test = require('node:test');
const assert = require('node:assert/strict');
const fx = require('./fixture.js');
const sifr = require('../../data/sIFR/sifr.js');

const TAGS = {
  h1: { size: 48, font: 'DejaVu___DejaVu_Sans' },
  p: { size: 24, font: 'DejaVu___DejaVu_Serif', bold: true }
};

test('every face of every movie loads, and measures as the movie does', { skip: !fx.glypharaHelper() && 'the export helper is not built' }, async () => {
  const served = await fx.glypharaServe(TAGS);
  const browser = await fx.launch();
  try {
    const page = await browser.newPage();
    await page.goto(served.url);
    const faces = await page.evaluate(async () => {
      await document.fonts.ready;
      const all = [...document.fonts].filter((f) => f.family.includes('___'));
      await Promise.allSettled(all.map((f) => f.load()));
      return all.map((f) => ({ family: f.family.replace(/"/g, ''), weight: f.weight, style: f.style, status: f.status }));
    });
    const expected = [];
    for (const name of new Set(Object.values(TAGS).map((t) => t.font))) {
      for (const [, bold, italic] of fx.FAMILIES[name]) {
        expected.push({ family: name, weight: bold ? 'bold' : 'normal', style: italic ? 'italic' : 'normal', status: 'loaded' });
      }
    }
    const order = (list) => list.map((f) => JSON.stringify(f)).sort();
    assert.deepEqual(order(faces), order(expected));

    // The regular face of DejaVu Sans against the runtime's own reading of the movie served.
    const movieResponse = await fetch(new URL('glypharadata/fonts/DejaVu___DejaVu_Sans.swf', served.url));
    const movie = await sifr.readMovie(new Uint8Array(await movieResponse.arrayBuffer()));
    const font = movie.fonts.find((f) => !f.bold && !f.italic);
    const size = 200;
    const scale = size / font.units;
    const advance = (ch) => sifr.glyphAdvance(font, font.map.get(ch.codePointAt(0))) * scale;
    let pair = null;
    for (const [key, value] of font.kerning) {
      const left = String.fromCharCode(Math.floor(key / 65536)), right = String.fromCharCode(key % 65536);
      if (/[A-Za-z]/.test(left) && /[A-Za-z]/.test(right) && (!pair || Math.abs(value) > Math.abs(pair.value))) pair = { left, right, value };
    }
    assert.ok(pair, 'the movie kerns some pair of letters');
    const measured = await page.evaluate(({ size, left, right }) => {
      const ctx = document.createElement('canvas').getContext('2d');
      ctx.font = `${size}px "DejaVu___DejaVu_Sans"`;
      ctx.fontKerning = 'normal';
      const m = ctx.measureText(left);
      return {
        left: m.width, right: ctx.measureText(right).width, pair: ctx.measureText(left + right).width,
        ascent: m.fontBoundingBoxAscent, descent: m.fontBoundingBoxDescent
      };
    }, { size, left: pair.left, right: pair.right });
    const close = (actual, wanted, what, within = 0.25) =>
      assert.ok(Math.abs(actual - wanted) < within, `${what}: ${actual} against ${wanted}`);
    close(measured.left, advance(pair.left), 'advance of ' + pair.left);
    close(measured.right, advance(pair.right), 'advance of ' + pair.right);
    close(measured.pair - measured.left - measured.right, pair.value * scale, `kerning of ${pair.left}${pair.right}`);
    // Chromium rounds line metrics to whole pixels.
    close(measured.ascent, font.ascent * scale, 'ascent', 1);
    close(measured.descent, font.descent * scale, 'descent', 1);
  } finally {
    await browser.close();
    await served.close();
  }
});

// The text path writes a lone simple filter as CSS (the kit's own page compares its
// shadow and blur with the drawings); an outer glow must draw as its SVG graph does, and
// what CSS cannot write keeps the graph.
test('filters written as CSS draw as their SVG graphs do', async () => {
  const { decodePng, select } = require('./pixels.js');
  const shadow = { quality: 1, angle: 45, distance: 3, color: '#505050', strength: 1, knockout: false };
  const glow = { quality: 1, strength: 1, blurX: 6, blurY: 6, knockout: 0, inner: 0, alpha: 0.6, color: '#FF66CC' };
  for (const kept of [{ Glow: { ...glow, strength: 2 } }, { DropShadow: { ...shadow, knockout: true } }, { Glow: { ...glow, inner: 1 } },
    { BlurFilter: { blurX: 2, blurY: 9 } }, { BlurFilter: { blurX: 4 }, DropShadow: shadow }, { Bevel: { angle: 45, distance: 3 } }]) {
    assert.equal(sifr.cssFilter(kept), null, JSON.stringify(kept));
  }
  const browser = await fx.launch();
  try {
    const page = await browser.newPage({ viewport: { width: 900, height: 200 } });
    await page.setContent('<!DOCTYPE html><body style="margin: 0"></body>');
    await page.addScriptTag({ path: require.resolve('../../data/sIFR/sifr.js') });
    assert.ok(await page.evaluate((filters) => {
      const { textShadow, filterMargin, buildFilter } = window.sIFR.reader;
      document.body.innerHTML = [10, 100].map((top) => `<div style="position: absolute; left: 40px; top: ${top}px; font: 40px 'DejaVu Sans'; ` +
        'color: #1E4D2B"><span>Hxgy <a href="#" style="color: #C8501E">tea</a> Ab</span></div>').join('') +
        '<svg style="position: absolute; width: 0; height: 0"></svg>';
      const [asCss, asSvg] = document.querySelectorAll('span');
      const box = asSvg.getBoundingClientRect(), m = filterMargin(filters);
      document.querySelector('svg').appendChild(buildFilter(document, 'graph', filters, {
        units: 'objectBoundingBox', x: -m / box.width, y: -m / box.height, w: 1 + 2 * m / box.width, h: 1 + 2 * m / box.height
      }));
      asSvg.style.filter = 'url(#graph)';
      asCss.style.textShadow = textShadow(filters);
      return !!asCss.style.textShadow;
    }, { Glow: glow }));
    const [a, b] = await Promise.all([0, 90].map(async (y) => decodePng(await page.screenshot({ clip: { x: 0, y, width: 900, height: 90 } }))));
    let differ = 0;
    for (let i = 0; i < a.px.length; i += 4) differ += Math.abs(a.px[i] - b.px[i]) + Math.abs(a.px[i + 1] - b.px[i + 1]) + Math.abs(a.px[i + 2] - b.px[i + 2]) > 24;
    const glowing = select(a, (r, g, bl) => r > 200 && bl > 150 && g < 220).n;
    assert.ok(glowing > 300 && differ < 0.05 * glowing, `${differ} of ${glowing} glow pixels differ`);
  } finally {
    await browser.close();
  }
});
