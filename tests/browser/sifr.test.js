'use strict';
// The sIFR runtime in headless Chromium, on project folders laid out as Glyphara
// exports them.
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('fs');
const path = require('path');
const fx = require('./fixture.js');
const { decodePng, select, near, notWhite, overlap } = require('./pixels.js');

const TAGS = {
  h1: { size: 48, color: '#CC0000' },
  h2: { size: 32, filters: { shadow: { quality: 1, angle: 45, knockout: false, distance: 8, color: '#00AA00', strength: 1 } } },
  h3: { size: 32, font: 'DejaVu___DejaVu_Serif', filters: { glow: { quality: 1, strength: 2, blurx: 8, blury: 8, knockout: false, inner: false, alpha: 1, color: '#FF00FF' } } },
  h4: { size: 32, filters: { blur: { quality: 2, blurx: 6, blury: 6 } } },
  h5: { size: 48, bold: true, color: '#808080', filters: { bevel: { quality: 1, angle: 45, distance: 4, strength: 2, highlight: '#FFFF00', shadow: '#0000FF', type: 0 } } },
  h6: { size: 28, font: 'Liberation___Liberation_Mono', link: '#0000FF', hover: '#FF0000' },
  address: { size: 32, filters: { glow: { quality: 1, strength: 2, blurx: 6, blury: 6, knockout: true, inner: true, alpha: 1, color: '#FF00FF' } } },
  p: { size: 32, filters: { shadow: { quality: 1, angle: 180, knockout: true, distance: 8, color: '#00AA00', strength: 1 } } }
};

let browser, server, base, dir, sampleUrl, singleUrl;
const closers = [];

test.before(async () => {
  dir = fx.tempDir('sifr-browser-');
  fx.exportProject(dir, TAGS, { name: 'sample.html' });
  const single = path.join(dir, 'single');
  fs.mkdirSync(single);
  fx.exportProject(single, { p: { size: 40, color: '#0000AA' } }, { single: true, userText: 'Hello Glyphara', name: 'one.html' });
  const broken = path.join(dir, 'broken');
  fs.mkdirSync(broken);
  fx.exportProject(broken, { h1: { font: 'Broken___Junk' }, h2: { font: 'Missing___Font' }, h3: {}, h4: { font: 'Hang___Movie' } },
    { name: 'broken.html' });
  fs.writeFileSync(path.join(broken, 'glypharadata/fonts/Broken___Junk.swf'), 'FWS\x08this is no movie at all');
  fs.writeFileSync(path.join(broken, 'glypharadata/sifr-config.js'), 'sIFR.fetchTimeout = 1500;\n');
  const odd = path.join(dir, 'odd');
  fs.mkdirSync(odd);
  fx.exportProject(odd, { h1: { size: 40, italic: true, bold: true, font: 'DejaVu___DejaVu_Serif', align: 3, underline: true } }, { name: 'odd.html' });
  fs.writeFileSync(path.join(odd, 'switches.html'), `<!DOCTYPE html><html><head>
<link rel="stylesheet" href="glypharadata/sIFR-screen.css" media="screen">
<script src="glypharadata/sifr.js"></script>
<script>
  var f = { src: 'glypharadata/fonts/DejaVu___DejaVu_Serif.swf' };
  sIFR.autoInitialize = false;
  sIFR.fitExactly = false;
  sIFR.activate(f);
  sIFR.replace(f, { selector: '#a', css: ['.sIFR-root { font-size: 20px; line-height: 1em; color: #000000; }'] });
</script></head><body>
<h1 id="a" style="text-transform: uppercase; height: 200px"><b>ab</b> <i>cd</i>\u00ADe</h1>
<h1 id="b" style="text-transform: uppercase; height: 200px"><b>ab</b> <i>cd</i></h1>
</body></html>`);
  fs.writeFileSync(path.join(odd, 'breaks.html'), `<!DOCTYPE html><html><head><meta charset="utf-8">
<link rel="stylesheet" href="glypharadata/sIFR-screen.css" media="screen">
<script src="glypharadata/sifr.js"></script>
<script>
  var f = { src: 'glypharadata/fonts/DejaVu___DejaVu_Serif.swf' };
  sIFR.fitExactly = true;
  sIFR.replace(f, { selector: 'div', css: ['.sIFR-root { font-size: 20px; line-height: 1em; color: #000000; }'] });
</script></head><body>
<div id="hyphen" style="width: 100px">Hand-poured candles</div>
<div id="long" style="width: 60px">Supercalifragilistic</div>
<div id="rtl" style="width: 400px" dir="rtl">אבג דהו</div>
</body></html>`);
  fs.copyFileSync('/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf', path.join(dir, 'native.ttf'));
  ({ server, url: base } = await fx.serve(dir));
  // The sample and single-tag pages come from Glyphara's own export and web server
  // when its helper has been built; otherwise from the fixture writer.
  if (fx.glypharaHelper()) {
    const all = await fx.glypharaServe(TAGS);
    const one = await fx.glypharaServe({ p: { size: 40, color: '#0000AA' } }, { single: 'Hello Glyphara' });
    closers.push(all.close, one.close);
    sampleUrl = all.url;
    singleUrl = one.url;
    console.log('# sample pages exported and served by Glyphara: ' + sampleUrl + ' ' + singleUrl);
  } else {
    sampleUrl = base + 'sample.html';
    singleUrl = base + 'single/one.html';
    console.log('# sample pages from the fixture writer');
  }
  browser = await fx.launch();
});

test.after(async () => {
  if (browser) await browser.close();
  if (server) server.close();
  for (const close of closers) await close();
  if (dir) fs.rmSync(dir, { recursive: true, force: true });
});

// These are checks of the drawings: the kit's web fonts are kept from the page, as for
// movies that have none (kit.test.js checks the pages with them).
async function open(address, viewport = { width: 2200, height: 1000 }) {
  const page = await browser.newPage({ viewport });
  await page.route('**/webfonts.css', (route) => route.abort());
  const messages = [];
  page.on('console', (m) => messages.push({ type: m.type(), text: m.text() }));
  page.on('pageerror', (e) => messages.push({ type: 'error', text: String(e) }));
  page.on('response', (r) => { if (r.status() >= 400) messages.push({ type: 'http', text: r.status() + ' ' + r.url() }); });
  await page.goto(address.startsWith('http') ? address : base + address);
  await page.waitForFunction(() => window.sIFR && window.sIFR.done, null, { timeout: 15000 });
  return { page, messages };
}

// Console complaints of the page. Chromium asks servers for a site icon on its own
// (not a request of the page, so not seen as a response); its 404 is left out unless
// one of the page's own requests failed too.
function complaints(messages) {
  const httpFailures = messages.some((m) => m.type === 'http');
  return messages.filter((m) => (m.type === 'error' || m.type === 'warning') &&
    (httpFailures || !/^Failed to load resource/.test(m.text)));
}

async function shot(page, selector, pad = 20) {
  const box = await page.locator(selector).first().boundingBox();
  const clip = { x: Math.max(0, box.x - pad), y: Math.max(0, box.y - pad), width: box.width + 2 * pad, height: box.height + 2 * pad };
  return decodePng(await page.screenshot({ clip }));
}

test('the sample page: every tag drawn from its movie, in its colour and size', async () => {
  const { page, messages } = await open(sampleUrl);
  try {
    for (const tag of Object.keys(TAGS)) {
      const state = await page.$eval(tag, (el) => ({
        replaced: el.classList.contains('sIFR-replaced'),
        paths: el.querySelectorAll('svg.sIFR-flash path').length,
        hidden: el.querySelector('svg.sIFR-flash').getAttribute('aria-hidden'),
        fallback: el.querySelectorAll('svg.sIFR-flash text').length
      }));
      assert.deepEqual(state, { replaced: true, paths: state.paths, hidden: 'true', fallback: 0 }, tag);
      assert.ok(state.paths > 0, tag + ' has glyph paths');
    }
    assert.deepEqual(complaints(messages), []);

    const red = select(await shot(page, 'h1 svg'), near([204, 0, 0], 40));
    assert.ok(red.n > 2000, 'h1 ink is #CC0000');
    // "Y", "h", "k" and "l" reach the ascender, "y" and "g" the descender.
    assert.ok(red.h > 0.85 * 48 && red.h < 1.25 * 48, `ink height ${red.h} for 48px`);
    const h1 = await page.$eval('h1 svg', (s) => ({ h: s.getBoundingClientRect().height, lines: s.querySelectorAll('path').length }));
    assert.equal(h1.h, 48, 'fitExactly: one line of line-height 1em');
  } finally {
    await page.close();
  }
});

test('glyph shapes and spacing match Chromium drawing the same font', async () => {
  const { page } = await open(sampleUrl);
  try {
    const text = 'Glyphara quickly jumps over 1234 hazy fog';
    await page.evaluate((t) => {
      document.head.insertAdjacentHTML('beforeend',
        '<style>@font-face { font-family: NativeRef; src: url(' + t.font + '); } ' +
        '.ref { font: 48px/1 NativeRef; color: #000; margin: 10px; white-space: nowrap; } h1 { white-space: nowrap; }</style>');
      document.body.insertAdjacentHTML('beforeend', '<div class="ref" id="ref">' + t.text + '</div>');
      document.querySelector('h1').textContent = t.text;
      document.querySelector('h1').classList.remove('sIFR-replaced');
    }, { text, font: base + 'native.ttf' });
    await page.evaluate(() => document.fonts.ready);
    // Draw the changed heading again through the runtime.
    await page.evaluate(() => {
      const h1 = document.querySelector('h1');
      h1.__sIFR = null;
      window.sIFR.done = false;
      window.sIFR.replace(h1_font, { selector: 'h1', css: ['.sIFR-root { font-size: 48px; line-height: 1em; color: #000000; }'] });
    });
    await page.waitForFunction(() => window.sIFR.done);
    const drawn = select(await shot(page, 'h1 svg'), notWhite);
    const native = select(await shot(page, '#ref'), notWhite);
    assert.ok(Math.abs(drawn.w - native.w) <= 0.02 * native.w, `width ${drawn.w} vs ${native.w}`);
    assert.ok(Math.abs(drawn.h - native.h) <= 2, `height ${drawn.h} vs ${native.h}`);
    const o = overlap(drawn, native);
    assert.ok(o > 0.7, `ink overlap ${o.toFixed(2)}`);
  } finally {
    await page.close();
  }
});

test('filters change the pixels where Flash would', async (t) => {
  const { page } = await open(sampleUrl);
  try {
    await t.test('drop shadow lies down and right at 45 degrees', async () => {
      const img = await shot(page, 'h2 svg', 30);
      const ink = select(img, (r, g, b) => r + g + b < 120);
      const shadow = select(img, (r, g, b) => g > r + 40 && g > b + 40);
      assert.ok(shadow.n > 500);
      assert.ok(shadow.cx - ink.cx > 3 && shadow.cy - ink.cy > 3, `shadow moved by ${shadow.cx - ink.cx}, ${shadow.cy - ink.cy}`);
    });
    await t.test('knockout leaves only the effect: an inner glow, a shadow to the left at 180 degrees', async () => {
      let img = await shot(page, 'address svg', 30);
      const inner = select(img, (r, g, b) => r > 150 && b > 150 && g < 150);
      assert.ok(inner.n > 300, `inner glow pixels ${inner.n}`);
      assert.equal(select(img, (r, g, b) => r + g + b < 120).n, 0, 'no text colour left');
      img = await shot(page, 'p svg', 30);
      const shadow = select(img, (r, g, b) => g > r + 40 && g > b + 40);
      assert.ok(shadow.n > 500);
      assert.equal(select(img, (r, g, b) => r + g + b < 120).n, 0, 'no text colour left');
      // The text starts at the drawing's left edge; its shadow lies further left.
      const box = await page.locator('p svg').boundingBox();
      const left = box.x - Math.max(0, box.x - 30);
      assert.ok(shadow.x0 < left - 4, `shadow starts ${shadow.x0 - left} px from the drawing`);
    });
    await t.test('glow surrounds the glyphs in its colour', async () => {
      const img = await shot(page, 'h3 svg', 30);
      const glow = select(img, (r, g, b) => r > 150 && b > 150 && g < 150);
      const ink = select(img, (r, g, b) => r + g + b < 120);
      assert.ok(glow.n > ink.n / 2, `glow pixels ${glow.n}`);
      assert.ok(glow.x0 < ink.x0 && glow.y0 < ink.y0 && glow.x1 > ink.x1 && glow.y1 > ink.y1);
    });
    await t.test('blur softens the edges', async () => {
      // Share of the ink that reaches the full text colour.
      const solid = (img, colour) => select(img, near(colour, 45)).n / select(img, notWhite).n;
      const blurred = solid(await shot(page, 'h4 svg'), [0, 0, 0]);
      const sharp = solid(await shot(page, 'h1 svg'), [204, 0, 0]);
      assert.ok(blurred < 0.5 * sharp, `solid share ${blurred.toFixed(2)} vs ${sharp.toFixed(2)} unblurred`);
    });
    await t.test('bevel shows its highlight and its shadow colour on opposite sides', async () => {
      const img = await shot(page, 'h5 svg');
      const hi = select(img, (r, g, b) => r > 170 && g > 170 && b < 110);
      const sh = select(img, (r, g, b) => b > 150 && r < 110 && g < 110);
      assert.ok(hi.n > 200 && sh.n > 200, `highlight ${hi.n}, shadow ${sh.n}`);
      assert.ok(sh.cx > hi.cx && sh.cy > hi.cy, 'light from the top left');
    });
  } finally {
    await page.close();
  }
});

test('links stay links: hover colour, target, and the text stays real', async () => {
  const { page } = await open(sampleUrl);
  try {
    const link = page.locator('h6 svg a').first();
    const original = await page.$eval('h6 .sIFR-alternate a', (a) => a.getAttribute('href'));
    assert.ok(original && (await link.getAttribute('href')) === original, 'the drawn link leads where the page link leads');
    const blue = (img) => select(img, near([0, 0, 255], 60)).n;
    const red = (img) => select(img, near([255, 0, 0], 60)).n;
    let img = await shot(page, 'h6 svg');
    assert.ok(blue(img) > 300 && red(img) === 0);
    await link.hover();
    img = await shot(page, 'h6 svg');
    assert.ok(red(img) > 300, 'hover colour shown');
    await page.mouse.move(5, 995);
    img = await shot(page, 'h6 svg');
    assert.ok(red(img) === 0 && blue(img) > 300, 'link colour back');

    assert.equal(await page.evaluate(() => window.find('h3 tag will look like this, and your links')), true);
    const text = await page.evaluate(() => document.body.innerText);
    for (const tag of Object.keys(TAGS)) assert.match(text, new RegExp(`Your ${tag} tag will look like this, and your links will look like this\\.`));
    await page.emulateMedia({ media: 'print' });
    const printed = await page.$eval('h2', (el) => ({
      svg: getComputedStyle(el.querySelector('svg')).display, colour: getComputedStyle(el.querySelector('.sIFR-alternate')).color
    }));
    assert.deepEqual(printed, { svg: 'none', colour: 'rgb(0, 0, 0)' });
  } finally {
    await page.close();
  }
});

test('the single-tag page shows the user text', async () => {
  const { page, messages } = await open(singleUrl);
  try {
    assert.equal(await page.$eval('h1', (el) => el.classList.contains('sIFR-replaced')), true);
    assert.match(await page.evaluate(() => document.body.innerText), /Hello Glyphara/);
    const ink = select(await shot(page, 'h1 svg'), near([0, 0, 170], 50));
    assert.ok(ink.n > 500 && ink.h > 25 && ink.h < 50);
    assert.deepEqual(complaints(messages), []);
  } finally {
    await page.close();
  }
});

test('broken or missing movies leave the page text and say so once each', async () => {
  const { page, messages } = await open('broken/broken.html');
  try {
    const state = await page.evaluate(() => ['h1', 'h2', 'h3', 'h4'].map((t) => {
      const el = document.querySelector(t);
      return [el.classList.contains('sIFR-replaced'), getComputedStyle(el).color, el.innerText.length > 20];
    }));
    const kept = [false, 'rgb(0, 0, 0)', true];
    assert.deepEqual(state, [kept, kept, [true, 'rgb(0, 0, 0)', true], kept]);
    const ours = messages.filter((m) => m.text.startsWith('sIFR:'));
    assert.equal(ours.length, 3, JSON.stringify(ours));
    assert.match(ours.find((m) => /Hang/.test(m.text)).text, /timed out after 1500 ms/);
    assert.ok(ours.every((m) => m.type === 'error'));
    assert.match(ours.find((m) => /Junk/.test(m.text)).text, /Broken___Junk\.swf.*"h1"/);
    assert.match(ours.find((m) => /Missing/.test(m.text)).text, /HTTP 404/);
  } finally {
    await page.close();
  }
});

test('synthesised faces, justify, underline, missing characters and resizing', async () => {
  const { page, messages } = await open('odd/odd.html', { width: 900, height: 800 });
  try {
    // The serif movie has no italic: the bold face is slanted by the runtime.
    const svg = await page.$eval('h1 svg', (s) => ({ w: +s.getAttribute('width'), h: s.getBoundingClientRect().height, rects: s.querySelectorAll('rect').length }));
    assert.ok(svg.h >= 80, 'wraps at 900 px');
    assert.ok(svg.rects >= 2, 'underline drawn');
    const img = await shot(page, 'h1 svg', 0);
    const ink = select(img, notWhite);
    assert.ok(ink.x1 > img.width - 40, 'justified line reaches the right edge');

    await page.evaluate(() => {
      const h1 = document.querySelector('h1');
      h1.textContent = 'Missing Ж and Ж again';
      h1.classList.remove('sIFR-replaced');
      h1.__sIFR = null;
      window.sIFR.done = false;
      window.sIFR.replace(h1_font, { selector: 'h1', css: ['.sIFR-root { font-size: 40px; color: #000000; }'] });
    });
    await page.waitForFunction(() => window.sIFR.done);
    assert.equal(await page.$$eval('h1 svg text', (t) => t.map((e) => e.textContent).join('')), 'ЖЖ');
    const warnings = messages.filter((m) => m.type === 'warning' && /lacks/.test(m.text));
    assert.equal(warnings.length, 1);
    assert.match(warnings[0].text, /U\+0416/);

    await page.setViewportSize({ width: 500, height: 800 });
    await page.waitForFunction(() => Math.abs(document.querySelector('h1 svg').getBoundingClientRect().width -
      document.querySelector('h1').clientWidth) < 2, null, { timeout: 3000 });
  } finally {
    await page.close();
  }
});

test('the switches do what they say', async () => {
  const page = await browser.newPage();
  try {
    await page.goto(base + 'odd/switches.html');
    await page.waitForTimeout(300);
    assert.equal(await page.$$eval('.sIFR-replaced', (e) => e.length), 0, 'autoInitialize false waits for initialize()');
    await page.evaluate(() => window.sIFR.initialize());
    await page.waitForFunction(() => window.sIFR.done);
    const a = await page.$eval('#a svg', (s) => [s.getAttribute('data-sifr-text'), s.getBoundingClientRect().height]);
    assert.deepEqual(a, ['ABCDE', 200], 'text-transform forced, lone whitespace dropped, soft hyphen hidden, natural height kept');
    await page.evaluate(() => {
      window.sIFR.preserveSingleWhitespace = true;
      window.sIFR.fitExactly = true;
      window.sIFR.forceTextTransform = false;
      window.sIFR.done = false;
      window.sIFR.replace(f, { selector: '#b', css: ['.sIFR-root { font-size: 20px; line-height: 1em; color: #000000; }'] });
    });
    await page.waitForFunction(() => window.sIFR.done);
    const b = await page.$eval('#b svg', (s) => [s.getAttribute('data-sifr-text'), s.getBoundingClientRect().height]);
    assert.deepEqual(b, ['ab cd', 20]);
  } finally {
    await page.close();
  }
});

test('drawn lines break after hyphens, inside words wider than their box, and read right to left where the text does', async () => {
  const { page } = await open('odd/breaks.html', { width: 900, height: 600 });
  try {
    const drawn = await page.$$eval('div svg', (svgs) => svgs.map((s) => {
      const ink = s.querySelector('g.sIFR-text').getBBox();
      const x = (ch) => Array.from(s.querySelectorAll('text')).find((t) => t.textContent === ch).getAttribute('x');
      return { id: s.parentElement.id, text: s.getAttribute('data-sifr-text'), left: ink.x, right: ink.x + ink.width,
        firstLast: s.parentElement.id === 'rtl' ? [+x('\u05D0'), +x('\u05D5')] : null };
    }));
    const byId = Object.fromEntries(drawn.map((d) => [d.id, d]));
    assert.equal(byId.hyphen.text, 'Hand-\npoured\ncandles');
    assert.equal(byId.long.text.replace(/\n/g, ''), 'Supercalifragilistic');
    assert.ok(byId.long.text.split('\n').length >= 3 && byId.long.right <= 61, `${JSON.stringify(byId.long)}`);
    // The first letter of the sentence stands rightmost, and nothing leaves the box.
    assert.ok(byId.rtl.firstLast[0] > byId.rtl.firstLast[1] && byId.rtl.left >= 0 && byId.rtl.right <= 401, JSON.stringify(byId.rtl));
  } finally {
    await page.close();
  }
});
