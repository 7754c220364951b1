'use strict';
// The kit on a real site: a project exported by the built program, its snippet in a
// responsive shop page, opened in headless Chromium (and once in Firefox ESR). Each
// check runs on the page as exported (the tags' web fonts: real text) and on the same
// page without the web font link (every tag drawn from its movie).
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('fs');
const path = require('path');
const { execFile, execFileSync } = require('child_process');
const fx = require('./fixture.js');
const kit = require('./kit.js');
const { decodePng, select, near, overlap, nearShare } = require('./pixels.js');

const VARIANTS = [{ name: 'web fonts', page: 'kit.html', fonts: true }, { name: 'drawings', page: 'drawn.html', fonts: false }];
const TAG = kit.TAGS;

let browser, server, base, dir, made;

test.before(async () => {
  dir = fx.tempDir('sifr-kit-');
  made = kit.exportKit(dir);
  if (made.webFonts) kit.twinPage(made);
  ({ server, url: base } = await fx.serve(made.site));
  browser = await fx.launch();
});

test.after(async () => {
  if (browser) await browser.close();
  if (server) server.close();
  if (dir) fs.rmSync(dir, { recursive: true, force: true });
});

// Each check once per variant; those of the web fonts fail, naming what is missing,
// until the export writes them.
function eachVariant(title, fn) {
  for (const v of VARIANTS) {
    test(`${title} (${v.name})`, async () => {
      if (v.fonts) kit.needWebFonts(made);
      await fn(v);
    });
  }
}

async function open(address, { width = 1280, height = 900, javaScriptEnabled = true, clipboard = false } = {}) {
  const context = await browser.newContext({
    viewport: { width, height }, javaScriptEnabled,
    permissions: clipboard ? ['clipboard-read', 'clipboard-write'] : []
  });
  const page = await context.newPage();
  const log = { messages: [], requests: [] };
  page.on('console', (m) => log.messages.push({ type: m.type(), text: m.text() }));
  page.on('pageerror', (e) => log.messages.push({ type: 'error', text: String(e) }));
  page.on('request', (r) => log.requests.push({ url: r.url(), type: r.resourceType() }));
  await page.goto(/^(https?|file):/.test(address) ? address : base + address);
  if (javaScriptEnabled) {
    await page.waitForFunction(() => document.documentElement.getAttribute('data-sifr-done') === 'true', null, { timeout: 20000 });
  }
  await page.evaluate(() => document.fonts.ready);
  return { page, log, close: () => context.close() };
}

async function shot(page, selector, pad = 12) {
  const box = await page.locator(selector).first().boundingBox();
  const clip = { x: Math.max(0, box.x - pad), y: Math.max(0, box.y - pad), width: box.width + 2 * pad, height: box.height + 2 * pad };
  return decodePng(await page.screenshot({ clip }));
}

const hex = (c) => [1, 3, 5].map((i) => parseInt(c.slice(i, i + 2), 16));

// What the reader sees of each replaced element: its box and, for a drawing, its lines.
function looks() {
  return JSON.stringify(Array.from(document.querySelectorAll('.sIFR-replaced, .sIFR-webfont')).map((el) => {
    const svg = el.querySelector(':scope > svg.sIFR-flash'), box = el.getBoundingClientRect();
    return [el.localName, Math.round(box.width), Math.round(box.height), svg ? svg.getAttribute('data-sifr-text') : el.textContent];
  }));
}

eachVariant('the page follows the window: no wider than it after a resize cycle and on a narrow first load', async (v) => {
  const { page, close } = await open(v.page);
  try {
    await page.evaluate(`window.looks = ${looks}`);
    const fresh = await page.evaluate(() => window.looks());
    for (const width of [700, 360, 1024, 1280]) {
      await page.setViewportSize({ width, height: 900 });
      // Every drawing is redrawn for its box, and its ink stays in it (but for the
      // overhang of a swash letter, as with text).
      const fits = await page.waitForFunction(() => {
        const inBox = Array.from(document.querySelectorAll('.sIFR-replaced > svg.sIFR-flash')).every((svg) => {
          const box = svg.parentElement.getBoundingClientRect(), ink = svg.querySelector('g.sIFR-text').getBBox();
          return ink.x >= -6 && ink.x + ink.width <= box.width + 6;
        });
        return inBox && document.documentElement.scrollWidth === window.innerWidth;
      }, null, { timeout: 5000 }).then(() => true, () => false);
      assert.ok(fits, `at ${width} px the page is ${await page.evaluate(() => document.documentElement.scrollWidth)} px wide or a drawing leaves its box`);
    }
    await page.waitForFunction((f) => window.looks() === f, fresh, { timeout: 5000 })
      .catch(async () => assert.equal(await page.evaluate(() => window.looks()), fresh, 'back at 1280 px as when first loaded'));
  } finally {
    await close();
  }
  const narrow = await open(v.page, { width: 360 });
  try {
    assert.equal(await narrow.page.evaluate(() => document.documentElement.scrollWidth), 360, 'fresh load at 360 px');
  } finally {
    await narrow.close();
  }
});

eachVariant('every piece of text gets one look: a link in a paragraph is part of it, a heading in a link keeps its own', async (v) => {
  const { page, log, close } = await open(v.page);
  try {
    const state = await page.evaluate(() => {
      const mark = (el) => el.classList.contains('sIFR-replaced') || el.classList.contains('sIFR-webfont');
      const all = Array.from(document.querySelectorAll('.sIFR-replaced, .sIFR-webfont'));
      return {
        nested: all.filter((el) => all.some((o) => o !== el && o.contains(el))).map((el) => el.outerHTML.slice(0, 80)),
        linkInParagraph: mark(document.querySelector('#intro a')),
        wrappers: [mark(document.querySelector('#brand')), mark(document.querySelector('.product > a'))],
        headings: [mark(document.querySelector('#brand h1')), mark(document.querySelector('.product > a h3'))],
        navLinks: Array.from(document.querySelectorAll('#nav a')).every(mark),
        drawings: document.querySelectorAll('svg.sIFR-flash').length,
        copies: document.querySelectorAll('.sIFR-alternate').length
      };
    });
    assert.deepEqual(state.nested, []);
    assert.deepEqual([state.linkInParagraph, state.wrappers, state.headings, state.navLinks], [false, [false, false], [true, true], true]);
    if (v.fonts) {
      assert.deepEqual([state.drawings, state.copies], [0, 0], 'no drawing, no hidden copy');
      assert.deepEqual(log.requests.filter((r) => /\.swf$/.test(r.url) || r.type === 'fetch' || r.type === 'xhr'), [], 'nothing fetched by script');
    }
    // The heading in the card link has the heading's colour, not the link's.
    const img = await shot(page, '.product > a h3', 0);
    const h3 = select(img, (r, g, b) => b > r + 50 && b > g + 20);
    const link = select(img, near(hex(TAG.a.linkcolor), 60));
    assert.ok(h3.n > 150 && link.n < h3.n / 10, `heading ink ${h3.n}, link colour ${link.n}`);
  } finally {
    await close();
  }
});

eachVariant('links show their link colour and, under the pointer, their hover colour, also where the tag is a itself', async (v) => {
  const { page, close } = await open(v.page);
  try {
    // The pointer goes where the eye sees the link: on a drawing, its drawn run.
    for (const [where, tag] of [['#nav a', 'a'], ['#intro a', 'p']]) {
      const target = v.fonts || tag === 'a' ? where : where.replace(' a', ' svg a');
      const count = async (colour) => select(await shot(page, target, 4), near(hex(colour), 70)).n;
      const idle = [await count(TAG[tag].linkcolor), await count(TAG[tag].hovercolor)];
      await page.hover(target);
      await page.waitForTimeout(50);
      const hovered = [await count(TAG[tag].linkcolor), await count(TAG[tag].hovercolor)];
      await page.mouse.move(1270, 890);
      await page.waitForTimeout(50);
      const left = await count(TAG[tag].linkcolor);
      assert.ok(idle[0] > 20 && idle[1] === 0, `${where}: link colour ${idle}`);
      assert.ok(hovered[1] > 20 && hovered[0] < hovered[1] / 5, `${where}: hover colour ${hovered}`);
      assert.ok(left > 20, `${where}: link colour back`);
    }
  } finally {
    await close();
  }
});

eachVariant('select all and copy gives every sentence once', async (v) => {
  const { page, close } = await open(v.page, { clipboard: true });
  try {
    await page.keyboard.press('Control+A');
    await page.keyboard.press('Control+C');
    const copied = (await page.evaluate(() => navigator.clipboard.readText())).replace(/\s+/g, ' ');
    for (const s of kit.SENTENCES.concat(['Tallowby Tea & Candles', 'Loose-leaf teas and hand-poured candles'])) {
      assert.equal(copied.split(s).length - 1, 1, `"${s}" in ${JSON.stringify(copied)}`);
    }
  } finally {
    await close();
  }
});

test('a selection shows its highlight through a drawing without letters of the text underneath', async () => {
  const { page, close } = await open('drawn.html');
  try {
    await page.keyboard.press('Control+A');
    const img = await shot(page, '#teas', 0);
    // Within each highlighted row, white is a letter of the hidden text shining through.
    const lit = select(img, (r, g, b) => b > 200 && r < 235 && b - r > 25);
    let ghosts = 0;
    for (let y = 0; y < img.height; y++) {
      let x0 = -1, x1 = -1;
      for (let x = 0; x < img.width; x++) if (lit.mask[y * img.width + x]) { if (x0 < 0) x0 = x; x1 = x; }
      for (let x = x0; x >= 0 && x <= x1; x++) { const [r, g, b] = img.at(x, y); if (r > 245 && g > 245 && b > 245) ghosts++; }
    }
    assert.ok(lit.n > 500, `highlight ${lit.n}`);
    assert.ok(ghosts < 20, `${ghosts} white pixels inside the highlight`);
  } finally {
    await close();
  }
});

test('a drawn link that takes the keyboard shows its focus on the drawing, not beside it', async () => {
  const { page, close } = await open('drawn.html');
  try {
    for (let i = 0; i < 12 && !(await page.evaluate(() => document.activeElement.matches('#intro a'))); i++) await page.keyboard.press('Tab');
    const focus = await page.evaluate(() => ({
      ring: Array.from(document.querySelectorAll('#intro svg a')).map((a) => a.classList.contains('sIFR-focus')),
      stroke: getComputedStyle(document.querySelector('#intro svg a rect')).stroke,
      hidden: getComputedStyle(document.querySelector('#intro .sIFR-alternate a')).outlineStyle
    }));
    assert.deepEqual(focus.ring, [true]);
    assert.notEqual(focus.stroke, 'none');
    assert.equal(focus.hidden, 'none');
  } finally {
    await close();
  }
});

test('right-to-left text and hyphens are laid out by the browser on the web font path', async () => {
  kit.needWebFonts(made);
  const { page, close } = await open('kit.html', { width: 360 });
  try {
    const layout = await page.evaluate(() => {
      const rects = (el) => { const r = document.createRange(); r.selectNodeContents(el); return Array.from(r.getClientRects()); };
      const hebrew = document.createTreeWalker(document.querySelector('#hebrew'), NodeFilter.SHOW_TEXT).nextNode();
      const range = (i) => { const r = document.createRange(); r.setStart(hebrew, i); r.setEnd(hebrew, i + 1); return r.getBoundingClientRect().x; };
      const tops = rects(document.querySelector('#teas')).map((r) => Math.round(r.top));
      return { rtl: range(0) > range(3), lines: new Set(tops).size };
    });
    assert.deepEqual(layout, { rtl: true, lines: layout.lines });
    assert.ok(layout.lines >= 2, 'the heading wraps');
  } finally {
    await close();
  }
});

test('from disk: the web fonts show as over http, with nothing fetched by script', async () => {
  kit.needWebFonts(made);
  const overHttp = await open('kit.html');
  const fromDisk = await open('file://' + path.join(made.site, 'kit.html'));
  try {
    const a = decodePng(await overHttp.page.screenshot()), b = decodePng(await fromDisk.page.screenshot());
    let differ = 0;
    for (let i = 0; i < a.px.length; i += 4) if (Math.abs(a.px[i] - b.px[i]) + Math.abs(a.px[i + 1] - b.px[i + 1]) + Math.abs(a.px[i + 2] - b.px[i + 2]) > 60) differ++;
    assert.ok(differ < 0.002 * a.width * a.height, `${differ} pixels differ`);
    assert.equal(await fromDisk.page.$$eval('.sIFR-webfont', (e) => e.length), await overHttp.page.$$eval('.sIFR-webfont', (e) => e.length));
    assert.deepEqual(fromDisk.log.requests.filter((r) => r.type === 'fetch' || r.type === 'xhr'), []);
  } finally {
    await overHttp.close();
    await fromDisk.close();
  }
});

test('from disk, a page whose movies have no web fonts keeps the page style and says so once', async () => {
  const { page, log, close } = await open('file://' + path.join(made.site, 'drawn.html'));
  try {
    assert.equal(await page.$$eval('.sIFR-replaced, .sIFR-webfont', (e) => e.length), 0);
    const ours = log.messages.filter((m) => m.text.startsWith('sIFR:') && !/ lacks /.test(m.text));
    assert.equal(ours.length, 1, JSON.stringify(ours));
    assert.match(ours[0].text, /opened from a file.*web server/);
  } finally {
    await close();
  }
});

test('printed, with scripts on and off, the PDF embeds the designed faces', async () => {
  kit.needWebFonts(made);
  const { readMovie } = require('../../data/sIFR/sifr.js');
  const wanted = [];
  for (const t of Object.values(TAG)) {
    const file = (t.foundry + '___' + t.font).replace(/ /g, '_') + '.swf';
    wanted.push((await readMovie(fs.readFileSync(path.join(made.site, 'glypharadata/fonts', file)))).fonts[0].name);
  }
  const squash = (s) => s.toLowerCase().replace(/[^a-z0-9]/g, '');
  for (const javaScriptEnabled of [true, false]) {
    const { page, close } = await open('kit.html', { javaScriptEnabled });
    const pdf = path.join(dir, `print-${javaScriptEnabled}.pdf`);
    try {
      await page.pdf({ path: pdf });
    } finally {
      await close();
    }
    const rows = execFileSync('pdffonts', [pdf], { encoding: 'utf8' }).split('\n').slice(2).filter(Boolean)
      .map((l) => l.split(/\s+/)).map((f) => ({ name: squash(f[0].replace(/^[A-Z]{6}\+/, '')), embedded: f[f.length - 5] === 'yes' }));
    for (const name of wanted) {
      assert.ok(rows.some((r) => r.embedded && r.name.includes(squash(name))), `${name} embedded with scripts ${javaScriptEnabled ? 'on' : 'off'}: ${JSON.stringify(rows)}`);
    }
  }
});

test('each filter on real text matches its drawing', async (t) => {
  kit.needWebFonts(made);
  const { page, close } = await open('twins.html');
  const colourOf = (c, tol = 70) => near(hex(c), tol);
  const CASES = {
    h1: [['highlight', colourOf(TAG.h1.bevel.highlightcolor, 90)], ['shadow', colourOf(TAG.h1.bevel.shadowcolor, 90)]],
    h2: [['glow', (r, g, b) => r > 200 && b > 120 && g < 170]],
    h3: [['soft edge', (r, g, b) => r + g + b < 700 && !(b > 100 && r < 60 && g < 110)]],
    a: [['shadow', (r, g, b) => Math.abs(r - g) < 14 && Math.abs(g - b) < 14 && r < 215]]
  };
  try {
    assert.equal(await page.$$eval('.text .sIFR-webfont', (e) => e.length), kit.TWINS.length);
    assert.equal(await page.$$eval('.drawn .sIFR-replaced', (e) => e.length), kit.TWINS.length);
    for (const [tag, effects] of Object.entries(CASES)) {
      await t.test(tag, async () => {
        const text = await shot(page, `#text-${tag}`, 0), drawn = await shot(page, `#drawn-${tag}`, 0);
        // The two are laid over each other by the corner of their ink.
        const ink = (img) => select(img, (r, g, b) => r + g + b < 3 * 235);
        const [ia, ib] = [ink(text), ink(drawn)];
        assert.ok(overlap(ia, ib) > 0.5, `ink overlap ${overlap(ia, ib).toFixed(2)}`);
        for (const [what, test] of effects) {
          const a = select(text, test), b = select(drawn, test);
          assert.ok(a.n > 60 && b.n > 60 && a.n / b.n > 0.6 && a.n / b.n < 1.6, `${what}: ${a.n} pixels on text, ${b.n} on the drawing`);
          const shares = [nearShare(a, b, ib.x0 - ia.x0, ib.y0 - ia.y0), nearShare(b, a, ia.x0 - ib.x0, ia.y0 - ib.y0)];
          assert.ok(Math.min(...shares) > 0.7, `${what}: ${shares.map((x) => x.toFixed(2))} of the pixels match within 2 px`);
        }
      });
    }
  } finally {
    await close();
  }
});

test('Firefox ESR draws the web fonts', async () => {
  kit.needWebFonts(made);
  // Firefox takes its screenshot at the load event: a picture held back by the server
  // delays it until the runtime is done, and a square says which path it took.
  const page = fs.readFileSync(path.join(made.site, 'kit.html'), 'utf8').replace('</body>', `<img src="/__hold" alt="">
<script>
function reportPath() {
	var real = document.querySelectorAll('.sIFR-webfont').length > 0 && !document.querySelector('svg.sIFR-flash');
	document.body.insertAdjacentHTML('beforeend', '<div style="position: fixed; left: 0; top: 0; width: 24px; height: 24px; background: ' + (real ? '#00FF00' : '#FF0000') + '"></div>');
	new Image().src = '/__release';
}
if (window.sIFR && sIFR.done) reportPath(); else window.addEventListener('sifr:done', reportPath);
</script>
</body>`);
  fs.writeFileSync(path.join(made.site, 'firefox.html'), page);
  const profile = fx.tempDir('sifr-firefox-');
  const png = path.join(profile, 'shot.png');
  try {
    // Not synchronous: this process serves the page.
    const run = await new Promise((resolve) => execFile('firefox-esr', ['--headless', '--no-remote', '--profile', profile,
      '--window-size', '1280,900', '--screenshot', png, base + 'firefox.html'], { timeout: 120000 }, (error, stdout, stderr) => resolve({ error, stderr })));
    assert.ok(fs.existsSync(png), 'no screenshot: ' + (run.stderr || run.error));
    const img = decodePng(fs.readFileSync(png));
    assert.deepEqual(img.at(5, 5), [0, 255, 0], 'the web font path');
    for (const tag of ['h1', 'h2']) assert.ok(select(img, near(hex(TAG[tag].color), 60)).n > 400, tag + ' ink');
    assert.ok(select(img, (r, g, b) => r > 200 && b > 120 && g < 170).n > 300, 'the h2 glow');
  } finally {
    fs.rmSync(profile, { recursive: true, force: true });
  }
});

test('WebKitGTK, the engine of the window\'s preview, draws the web fonts with their filters', async () => {
  kit.needWebFonts(made);
  const out = path.join(dir, 'webkit.png');
  const run = await new Promise((resolve) => execFile('xvfb-run', ['-a', '-s', '-screen 0 1400x1000x24',
    path.join(__dirname, 'webkit_shot.py'), base + 'kit.html', out], { timeout: 120000, env: Object.assign({}, process.env, { GSETTINGS_BACKEND: 'memory' }) },
  (error, stdout, stderr) => resolve({ error, stderr })));
  assert.ok(fs.existsSync(out), 'no screenshot: ' + (run.stderr || run.error));
  const img = decodePng(fs.readFileSync(out));
  for (const tag of ['h1', 'h2']) assert.ok(select(img, near(hex(TAG[tag].color), 60)).n > 400, tag + ' ink');
  assert.ok(select(img, (r, g, b) => r > 200 && b > 120 && g < 170).n > 300, 'the h2 glow');
  assert.ok(select(img, near(hex(TAG.a.linkcolor), 60)).n > 100, 'the nav links');
});

// The window's preview restyles the page it shows: restore gives back the page as served,
// filters and all, and the configuration run again styles the same elements. The preview
// also writes the page's sheets again, which declares the web fonts anew: the drawing is
// done only once the faces it shows are loaded again.
test('restore gives the page back as served, and its configuration styles the same elements again', async () => {
  kit.needWebFonts(made);
  const { page, close } = await open('kit.html');
  try {
    await page.route(/\.woff2$/, async (route) => {
      await new Promise((resolve) => setTimeout(resolve, 400));
      await route.continue();
    });
    const seen = await page.evaluate(async () => {
      for (const link of document.querySelectorAll('head link[rel="stylesheet"]')) {
        const style = document.createElement('style');
        style.textContent = (await (await fetch(link.href)).text())
          .replace(/url\(\s*(['"]?)([^'")]*)\1\s*\)/g, (w, q, a) => 'url(' + JSON.stringify(new URL(a, link.href).href) + ')');
        link.replaceWith(style);
      }
      const served = new DOMParser().parseFromString(await (await fetch(location.href)).text(), 'text/html').body.innerHTML;
      const styled = [...document.querySelectorAll('.sIFR-webfont')];
      const restored = sIFR.restore();
      const back = document.body.innerHTML === served;
      const done = new Promise((resolve) => addEventListener('sifr:done', resolve, { once: true }));
      (0, eval)([...document.querySelectorAll('head script:not([src])')].map((s) => s.textContent).join('\n'));
      await done;
      const again = [...document.querySelectorAll('.sIFR-webfont')];
      const unloaded = again.filter((el) => {
        const cs = getComputedStyle(el);
        return !document.fonts.check(`${cs.fontStyle} ${cs.fontWeight} 16px ${cs.fontFamily}`, el.textContent);
      }).map((el) => el.localName);
      return { restored, back, same: styled.length > 3 && again.length === styled.length && again.every((el, i) => el === styled[i]),
        sheets: document.querySelectorAll('#sIFR-looks, svg.sIFR-filters').length, unloaded };
    });
    assert.deepEqual(seen, { restored: true, back: true, same: true, sheets: 2, unloaded: [] });
  } finally {
    await close();
  }
});

