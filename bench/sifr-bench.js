'use strict';
// The kit against plain web fonts. A five-tag project exported by the built program,
// its snippet in a responsive shop page (the page of the browser tests), next to the
// same page with the same faces as plain WOFF2 fonts cut to the characters the movies
// hold, and the kit's page without its web fonts (every tag drawn from its movie).
// Cold loads in fresh browser contexts, interleaved; medians of each figure.

const fs = require('fs');
const path = require('path');
const { execFileSync } = require('child_process');
const fx = require('../tests/browser/fixture.js');
const kit = require('../tests/browser/kit.js');
const { readMovie } = require('../data/sIFR/sifr.js');

const ROUNDS = +process.env.BENCH_ROUNDS || 15;
const LOBSTER = '/usr/share/fonts/opentype/lobstertwo/LobsterTwo-';
const CABIN = '/usr/share/fonts/opentype/cabin/Cabin-';
const DEJAVU = '/usr/share/fonts/truetype/dejavu/DejaVuSerif';
// The source faces of the bundled movies the project uses (data/fonts/CMakeLists.txt).
const SOURCES = {
  'Lobster Two': { regular: LOBSTER + 'Regular.otf', italic: LOBSTER + 'Italic.otf', bold: LOBSTER + 'Bold.otf', bolditalic: LOBSTER + 'BoldItalic.otf' },
  'DejaVu Serif': { regular: DEJAVU + '.ttf', italic: DEJAVU + '-Italic.ttf', bold: DEJAVU + '-Bold.ttf', bolditalic: DEJAVU + '-BoldItalic.ttf' },
  'Yanone Kaffeesatz': { regular: '/usr/share/fonts/opentype/yanone-kaffeesatz/YanoneKaffeesatz-Regular.otf',
    bold: '/usr/share/fonts/opentype/yanone-kaffeesatz/YanoneKaffeesatz-Bold.otf' },
  Comfortaa: { regular: '/usr/share/fonts/truetype/comfortaa/Comfortaa-Regular.ttf', bold: '/usr/share/fonts/truetype/comfortaa/Comfortaa-Bold.ttf' },
  Cabin: { regular: CABIN + 'Regular.otf', italic: CABIN + 'Italic.otf', bold: CABIN + 'Bold.otf', bolditalic: CABIN + 'BoldItalic.otf' }
};

// Marks the moment the page is drawn: for the kit when the runtime is done, for
// plain fonts when every font the laid-out page asked for has arrived; a frame later.
const PROBE = `<script>
	window.__drawn = function () { requestAnimationFrame(function () { setTimeout(function () { window.__t1 = performance.now(); }, 0); }); };
	window.__shift = 0;
	new PerformanceObserver(function (list) { list.getEntries().forEach(function (e) { if (!e.hadRecentInput) window.__shift += e.value; }); })
		.observe({ type: 'layout-shift', buffered: true });
</script>
`;

// The plain page: the same page, all.css, and an @font-face rule per face with the
// tag's font stack, as a designer writes them by hand.
async function plainPage(made) {
  const site = made.site;
  const data = path.join(site, 'glypharadata');
  fs.mkdirSync(path.join(site, 'plain'), { recursive: true });
  let css = '';
  const declared = new Set();
  for (const [tag, t] of Object.entries(kit.TAGS)) {
    const file = (t.foundry + '___' + t.font).replace(/ /g, '_') + '.swf';
    const movie = await readMovie(fs.readFileSync(path.join(data, 'fonts', file)));
    const family = movie.fonts[0].name;
    for (const face of movie.fonts) {
      const kind = (face.bold ? 'bold' : '') + (face.italic ? 'italic' : '') || 'regular';
      const out = path.join(site, 'plain', `${family.replace(/ /g, '')}-${kind}.woff2`);
      if (!declared.has(out)) {
        declared.add(out);
        execFileSync('pyftsubset', [SOURCES[family][kind], '--unicodes=' + face.codes.map((c) => c.toString(16)).join(','),
          '--flavor=woff2', '--output-file=' + out], { stdio: 'ignore' });
        css += `@font-face { font-family: "${family}"; src: url("${path.basename(out)}") format("woff2"); ` +
          `font-weight: ${face.bold ? 'bold' : 'normal'}; font-style: ${face.italic ? 'italic' : 'normal'}; font-display: block; }\n`;
      }
    }
    css += `${tag} { font-family: "${family}", sans-serif; }\n`;
  }
  fs.writeFileSync(path.join(site, 'plain/plain.css'), css + fs.readFileSync(path.join(data, 'all.css'), 'utf8'));
  const head = PROBE + '\t<link rel="stylesheet" href="plain/plain.css" type="text/css" media="all" />\n' +
    "\t<script>document.addEventListener('DOMContentLoaded', function () { document.body.offsetWidth; document.fonts.ready.then(__drawn); });</script>\n";
  fs.writeFileSync(path.join(site, 'plain.html'), kit.shopPage(head, 'Tallowby Tea &amp; Candles, plain'));
  return 'plain.html';
}

function withProbe(site, name) {
  const file = path.join(site, name);
  const html = fs.readFileSync(file, 'utf8').replace('<head>\n', '<head>\n' + PROBE +
    "<script>window.addEventListener('sifr:done', function () { __drawn(); });</script>\n");
  fs.writeFileSync(file, html);
  return name;
}

const median = (xs) => { const s = xs.slice().sort((a, b) => a - b); return s[Math.floor(s.length / 2)]; };

(async () => {
  const dir = process.env.BENCH_KEEP || fx.tempDir("sifr-bench-");
  const made = kit.exportKit(dir);
  const pages = { kit: withProbe(made.site, 'kit.html'), plain: await plainPage(made), drawn: withProbe(made.site, 'drawn.html') };
  const { server, url } = await fx.serve(made.site);
  const browser = await fx.launch();
  const figures = {};
  for (const kind of Object.keys(pages)) figures[kind] = { bytes: [], drawn: [], shift: [] };
  try {
    for (let i = 0; i < ROUNDS + 1; i++) {
      for (const [kind, page] of Object.entries(pages)) {
        const ctx = await browser.newContext({ viewport: { width: 1280, height: 900 } });
        const p = await ctx.newPage();
        await p.goto(url + page);
        await p.waitForFunction(() => window.__t1 > 0, null, { timeout: 30000 });
        await p.waitForTimeout(300);
        const f = await p.evaluate(() => ({
          drawn: window.__t1,
          shift: window.__shift,
          bytes: performance.getEntriesByType('navigation').concat(performance.getEntriesByType('resource'))
            .reduce((n, e) => n + e.transferSize, 0),
          webFonts: document.querySelectorAll('.sIFR-webfont').length,
          drawings: document.querySelectorAll('.sIFR-replaced').length
        }));
        if (kind === 'kit' && made.webFonts && (f.webFonts === 0 || f.drawings > 0)) throw new Error('the kit did not take the web font path');
        if (i > 0) for (const k of ['bytes', 'drawn', 'shift']) figures[kind][k].push(f[k]); // the first round warms up
        await ctx.close();
      }
    }
  } finally {
    await browser.close();
    server.close();
    if (!process.env.BENCH_KEEP) fs.rmSync(dir, { recursive: true, force: true });
  }
  const m = {};
  for (const [kind, f] of Object.entries(figures)) m[kind] = { bytes: median(f.bytes), drawn: median(f.drawn), shift: median(f.shift) };
  const line = (label, f) => console.log(`${label}: ${f.bytes} bytes loaded, ${f.drawn.toFixed(1)} ms from navigation to drawn, layout shift ${f.shift.toFixed(3)}`);
  console.log(`Shop page with five tags, ${ROUNDS} interleaved cold loads each in fresh contexts (medians):`);
  line('  kit as exported' + (made.webFonts ? ' (web fonts)' : ' (NO web fonts: the export wrote none)'), m.kit);
  line('  kit without its web fonts (drawn from the movies)', m.drawn);
  line('  plain WOFF2 fonts cut to the movies\' characters', m.plain);
  console.log(`ratio bytes loaded kit/plain (goal <= 1.6): ${(m.kit.bytes / m.plain.bytes).toFixed(2)}`);
  console.log(`ratio navigation to drawn kit/plain (goal <= 1.2): ${(m.kit.drawn / m.plain.drawn).toFixed(2)}`);
  console.log(`layout shift of the kit (goal <= 0.05): ${m.kit.shift.toFixed(3)}`);
})().catch((e) => { console.error('sifr bench failed: ' + (e && e.stack || e)); process.exit(1); });
