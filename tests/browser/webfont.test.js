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
