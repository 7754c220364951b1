'use strict';
// Six tags drawn from three font movies by the sIFR runtime, next to the same six
// tags in the same fonts as @font-face web fonts drawn by Chromium, in one run.
// Each figure is the time from DOMContentLoaded until everything is drawn.

const fs = require('fs');
const path = require('path');
const fx = require('../tests/browser/fixture.js');

const RUNS = 15;
const DEJAVU = '/usr/share/fonts/truetype/dejavu/';
const LIBERATION = '/usr/share/fonts/truetype/liberation/';
const TAGS = {
  h1: { font: 'DejaVu___DejaVu_Sans', size: 48, bold: true, ttf: DEJAVU + 'DejaVuSans-Bold.ttf' },
  h2: { font: 'DejaVu___DejaVu_Serif', size: 36, ttf: DEJAVU + 'DejaVuSerif.ttf' },
  h3: { font: 'Liberation___Liberation_Mono', size: 30, ttf: LIBERATION + 'LiberationMono-Regular.ttf' },
  h4: { font: 'DejaVu___DejaVu_Sans', size: 26, italic: true, ttf: DEJAVU + 'DejaVuSans-Oblique.ttf' },
  h5: { font: 'DejaVu___DejaVu_Serif', size: 22, bold: true, ttf: DEJAVU + 'DejaVuSerif-Bold.ttf' },
  h6: { font: 'DejaVu___DejaVu_Sans', size: 18, ttf: DEJAVU + 'DejaVuSans.ttf' }
};

const PROBE = `<script>
  window.__t0 = 0;
  document.addEventListener('DOMContentLoaded', () => { window.__t0 = performance.now(); });
  const __painted = () => requestAnimationFrame(() => setTimeout(() => { window.__t1 = performance.now(); }, 0));
</script>
`;

function sifrPage(dir) {
  const name = fx.exportProject(dir, TAGS, { name: 'sifr.html' });
  const file = path.join(dir, name);
  const html = fs.readFileSync(file, 'utf8')
    .replace('<head>\n', '<head>\n' + PROBE + "<script>window.addEventListener('sifr:done', __painted);</script>\n");
  fs.writeFileSync(file, html);
  return name;
}

function nativePage(dir) {
  let faces = '', rules = '', body = '';
  for (const [tag, t] of Object.entries(TAGS)) {
    const file = path.basename(t.ttf);
    fs.copyFileSync(t.ttf, path.join(dir, file));
    faces += `@font-face { font-family: "F-${tag}"; src: url("${file}"); }\n`;
    rules += `${tag} { font: ${t.size}px/1 "F-${tag}"; margin: 0.67em 0; }\n`;
    body += `\t<div>\n\t\t<${tag}>Your ${tag} tag will look like this, and <a href="${fx.SITE}">your links will look like this.</a></${tag}>\n\t</div>\n`;
  }
  const html = `<!DOCTYPE html>\n<html><head><meta charset="utf-8">${PROBE}<style>${faces}${rules}</style>
<script>document.addEventListener('DOMContentLoaded', () => { document.body.offsetWidth; document.fonts.ready.then(__painted); });</script>
</head><body>\n${body}</body></html>\n`;
  fs.writeFileSync(path.join(dir, 'native.html'), html);
  return 'native.html';
}

const median = (xs) => { const s = xs.slice().sort((a, b) => a - b); return s[Math.floor(s.length / 2)]; };

(async () => {
  const dir = fx.tempDir('sifr-bench-');
  const sifr = sifrPage(dir);
  const native = nativePage(dir);
  const { server, url } = await fx.serve(dir);
  const browser = await fx.launch();
  const times = { sifr: [], native: [] };
  try {
    for (let i = 0; i < RUNS + 1; i++) {
      for (const [kind, page] of [['sifr', sifr], ['native', native]]) {
        const ctx = await browser.newContext({ viewport: { width: 1200, height: 900 } });
        const p = await ctx.newPage();
        await p.goto(url + page);
        await p.waitForFunction(() => window.__t1 > 0, null, { timeout: 20000 });
        const t = await p.evaluate(() => window.__t1 - window.__t0);
        if (kind === 'sifr') {
          const n = await p.$$eval('.sIFR-replaced', (e) => e.length);
          if (n !== 6) throw new Error(`only ${n} of 6 tags replaced`);
        } else if (!(await p.evaluate(() => Object.keys({ h1: 1, h2: 1, h3: 1, h4: 1, h5: 1, h6: 1 })
          .every((t) => document.fonts.check(`16px "F-${t}"`))))) {
          throw new Error('web fonts not loaded');
        }
        if (i > 0) times[kind].push(t); // the first round warms up the browser
        await ctx.close();
      }
    }
  } finally {
    await browser.close();
    server.close();
    fs.rmSync(dir, { recursive: true, force: true });
  }
  const movies = fx.makerAvailable() ? 'movies made by Tallowby Moldwright' : 'movies made by the test writer';
  const s = median(times.sifr), n = median(times.native);
  console.log(`sIFR runtime, 6 tags from 3 font movies (${movies}): median ${s.toFixed(1)} ms from DOMContentLoaded to drawn (${RUNS} runs)`);
  console.log(`Chromium web fonts, same tags from the TTF files: median ${n.toFixed(1)} ms`);
  console.log(`ratio sIFR/native (goal <= 1.5): ${(s / n).toFixed(2)}`);
})().catch((e) => { console.error('sifr bench failed: ' + (e && e.stack || e)); process.exit(1); });
