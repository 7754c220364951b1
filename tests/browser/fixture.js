'use strict';
// Builds project folders the way Glyphara exports them (page next to glypharadata/
// with the runtime files, all.css and fonts/), and serves folders on 127.0.0.1.

const fs = require('fs');
const path = require('path');
const http = require('http');
const os = require('os');
const { faceFromTtf, movie } = require('../js/helpers/movie.js');

const SOURCE = path.resolve(__dirname, '../..');
const RUNTIME_FILES = ['sifr.js', 'sifr-config.js', 'sIFR-screen.css', 'sIFR-print.css'];
const SITE = 'https://www.tallowby.example/glyphara';

const DEJAVU = '/usr/share/fonts/truetype/dejavu/';
const LIBERATION = '/usr/share/fonts/truetype/liberation/';
const FAMILIES = {
  DejaVu___DejaVu_Sans: [
    [DEJAVU + 'DejaVuSans.ttf', false, false], [DEJAVU + 'DejaVuSans-Oblique.ttf', false, true],
    [DEJAVU + 'DejaVuSans-Bold.ttf', true, false], [DEJAVU + 'DejaVuSans-BoldOblique.ttf', true, true]],
  DejaVu___DejaVu_Serif: [[DEJAVU + 'DejaVuSerif.ttf', false, false], [DEJAVU + 'DejaVuSerif-Bold.ttf', true, false]],
  Liberation___Liberation_Mono: [[LIBERATION + 'LiberationMono-Regular.ttf', false, false]]
};
const LATIN = Array.from({ length: 95 }, (_, i) => String.fromCharCode(32 + i)).join('') +
  Array.from({ length: 96 }, (_, i) => String.fromCharCode(160 + i)).join('') + '‘’“”–—…€';

// Font movies come from the font maker when it has been built (GLYPHARA_PROGRAM_DIR
// names the program folder); otherwise from the test helpers' own writer.
function makeMovie(name, chars = LATIN) {
  const dir = process.env.GLYPHARA_PROGRAM_DIR;
  const maker = dir && path.join(dir, 'Tallowby Moldwright');
  if (maker && fs.existsSync(maker)) {
    const out = tempDir('sifr-movie-');
    try {
      const args = chars === LATIN ? [] : ['--chars', chars];
      require('child_process').execFileSync(maker, [...args, '-o', out, ...FAMILIES[name].map((f) => f[0])], { stdio: 'pipe' });
      const swf = fs.readdirSync(out).find((f) => f.endsWith('.swf'));
      return fs.readFileSync(path.join(out, swf));
    } finally {
      fs.rmSync(out, { recursive: true, force: true });
    }
  }
  return movie(FAMILIES[name].map(([file, bold, italic]) => faceFromTtf(file, { chars, bold, italic })));
}

function makerAvailable() {
  const dir = process.env.GLYPHARA_PROGRAM_DIR;
  return !!(dir && fs.existsSync(path.join(dir, 'Tallowby Moldwright')));
}

const DEFAULT_TAG = {
  font: 'DejaVu___DejaVu_Sans', size: 32, align: 0, color: '#000000', background: '#FFFFFF',
  link: '#0000FF', hover: '#FF0000', bold: false, italic: false, underline: false, filters: {}
};

const ALIGN = ['left', 'center', 'right', 'justify'];
const f6 = (v) => Number(v).toFixed(6);

function filterText(fl) {
  const parts = [];
  if (fl.blur) parts.push(`\n\t\t\tBlurFilter: { quality: ${fl.blur.quality + 1}, blurY: ${fl.blur.blury}, blurX: ${fl.blur.blurx} }`);
  if (fl.shadow) {
    const s = fl.shadow;
    parts.push(`\n\t\t\tDropShadow: { quality: ${s.quality + 1}, angle: ${s.angle}, knockout: ${s.knockout ? 'true' : 'false'}, ` +
      `distance: ${f6(s.distance)}, color: '${s.color}', strength: ${f6(s.strength)} }`);
  }
  if (fl.glow) {
    const g = fl.glow;
    parts.push(`\n\t\t\tGlow: { quality: ${g.quality + 1}, strength: ${g.strength}, blurX: ${f6(g.blurx)}, blurY: ${f6(g.blury)}, ` +
      `knockout: ${g.knockout ? 1 : 0}, inner: ${g.inner ? 1 : 0}, alpha: ${f6(g.alpha)}, color: '${g.color}' }`);
  }
  if (fl.bevel) {
    const b = fl.bevel;
    parts.push(`\n\t\t\tBevel: { quality: ${b.quality + 1}, angle: ${b.angle}, distance: ${f6(b.distance)}, strength: ${b.strength}, ` +
      `highlightColor: '${b.highlight}', shadowColor: '${b.shadow}', type: '${['inner', 'outer', 'full'][b.type]}' }`);
  }
  return parts.join(',');
}

// The head block as Glyphara writes it.
function snippet(tags, single) {
  const names = Object.keys(tags).sort();
  let s = '<!--TALLOWBY GLYPHARA CODE BEGIN-->\n';
  s += '\t<link rel="stylesheet" href="glypharadata/sIFR-screen.css" type="text/css" media="screen" />\n';
  s += '\t<link rel="stylesheet" href="glypharadata/sIFR-print.css" type="text/css" media="print" />\n';
  s += '\t<link rel="stylesheet" href="glypharadata/all.css" type="text/css" media="all" />\n';
  s += '\n\t<script src="glypharadata/sifr.js" type="text/javascript"></script>\n';
  s += '\t<script src="glypharadata/sifr-config.js" type="text/javascript"></script>\n';
  s += '\t<script type="text/javascript">\n\t//<![CDATA[\n';
  for (const n of names) s += `\t var ${n}_font = {\n\t\tsrc: 'glypharadata/fonts/${tags[n].font}.swf'\n\t};\n`;
  s += '\tsIFR.useStyleCheck = false;\n\tsIFR.fixHover = true;\n\tsIFR.fitExactly = true;\n';
  s += '\tsIFR.repaintOnResize = true;\n\tsIFR.preserveSingleWhitespace = false;\n\tsIFR.fromLocal = true;\n';
  if (single) s += '\tsIFR.autoInitialize = true;\n\tsIFR.forceTextTransform = true;\n';
  s += '\tsIFR.activate(' + names.map((n) => n + '_font').join(', ') + ');\n';
  for (const n of names) {
    const t = tags[n];
    s += `\tsIFR.replace(${n}_font, {selector: '${single ? 'h1' : n}',\n\t\tcss: [\n`;
    s += `\t\t\t'.sIFR-root { line-height: 1em; font-size: ${t.size}px; color: ${t.color}; background-color: ${t.background}; `;
    if (t.align >= 0 && t.align <= 3) s += `text-align: ${ALIGN[t.align]}; `;
    s += `font-weight: ${t.bold ? 'bold' : 'normal'}; font-style: ${t.italic ? 'italic' : 'normal'}; `;
    s += `text-decoration: ${t.underline ? 'underline' : 'none'}; visibility: hidden; }',\n`;
    s += `\t\t\t'a { text-decoration: none; }',\n\t\t\t'a:link { color: ${t.link}; }',\n\t\t\t'a:hover { color: ${t.hover}; }'\n\t\t],\n`;
    s += '\t\tfilters: {' + filterText(t.filters) + '\n\t\t},';
    s += "\n\t\twmode: 'transparent'\n\t});\n";
  }
  s += '\t//]]>\n\t</script>\n<!--TALLOWBY GLYPHARA CODE END-->\n';
  return s;
}

function css(tags, single) {
  let s = '';
  for (const n of Object.keys(tags).sort()) {
    const t = tags[n];
    s += (single ? 'h1' : n) + ' {\n';
    if (t.align >= 0 && t.align <= 3) s += `\ttext-align: ${ALIGN[t.align]};\n`;
    s += `\tfont-weight: ${t.bold ? 'bold' : 'normal'};\n\tfont-style: ${t.italic ? 'italic' : 'normal'};\n`;
    s += `\ttext-decoration: ${t.underline ? 'underline' : 'none'};\n\tfont-size: ${t.size}px;\n`;
    s += `\tcolor: ${t.color};\n\tbackground-color: ${t.background};\n}\n\n`;
  }
  return s;
}

function page(tags, { single = false, userText = '' } = {}) {
  let s = '<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.0 Transitional//EN">\n<html>\n';
  s += '<!--      Created with Tallowby Glyphara      -->\n';
  s += `<!--           ${SITE}           -->\n<!--      Brewed on: ${new Date().toString()}      -->\n`;
  s += '\n<head>\n\t<title></title>\n\t<meta http-equiv="Content-Type" content="text/html; charset=UTF-8">\n';
  s += '\t<meta name="generator" content="Tallowby Glyphara -  www.tallowby.example">\n';
  s += '\t<meta name="description" content="">\n\t<meta name="keywords" content="">\n';
  s += snippet(tags, single) + '</head>\n\n<body>\n\n';
  s += '\t<noscript><div style="background: yellow" align=center><i><b>You need to activate Javascript to show sIFR fonts correctly!</b></i></div></noscript>\n\n';
  for (const n of Object.keys(tags).sort()) {
    if (single) s += `\t<div>\n\t\t<h1>${userText}</h1>\n\t</div>\n`;
    else s += `\t<div>\n\t\t<${n}>Your ${n} tag will look like this, and <a href="${SITE}">your links will look like this.</a></${n}>\n\t</div>\n`;
  }
  return s + '\n</body>\n\n</html>\n';
}

// Writes a project folder and returns the page's path relative to `dir`.
function exportProject(dir, tags, opts = {}) {
  const full = {};
  for (const [n, t] of Object.entries(tags)) full[n] = Object.assign({}, DEFAULT_TAG, t);
  const data = path.join(dir, 'glypharadata');
  fs.mkdirSync(path.join(data, 'fonts'), { recursive: true });
  for (const f of RUNTIME_FILES) fs.copyFileSync(path.join(SOURCE, 'data/sIFR', f), path.join(data, f));
  fs.writeFileSync(path.join(data, 'all.css'), css(full, opts.single));
  for (const t of Object.values(full)) {
    const target = path.join(data, 'fonts', t.font + '.swf');
    if (!fs.existsSync(target) && FAMILIES[t.font]) fs.writeFileSync(target, makeMovie(t.font));
  }
  const name = opts.name || 'sample.html';
  fs.writeFileSync(path.join(dir, name), page(full, opts));
  return name;
}

function tempDir(prefix) {
  return fs.mkdtempSync(path.join(os.tmpdir(), prefix));
}

const TYPES = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css', '.swf': 'application/x-shockwave-flash', '.ttf': 'font/ttf', '.woff2': 'font/woff2', '.png': 'image/png' };

// A static server on 127.0.0.1 without directory listings.
function serve(root) {
  const held = [];
  return new Promise((resolve) => {
    const server = http.createServer((req, res) => {
      const rel = decodeURIComponent(new URL(req.url, 'http://x').pathname);
      // Chromium asks for a site icon on its own; its 404 would read as a page error.
      if (rel === '/favicon.ico') { res.writeHead(204); res.end(); return; }
      // A server that never answers, for the runtime's fetch timeout.
      if (rel.includes('Hang___')) return;
      // A picture that keeps the page's load event back until the page asks for
      // /__release (or 20 s have passed), for browsers that take a screenshot at load.
      if (rel === '/__hold') {
        // Answered once: by the release or by the timer, whichever comes first.
        const answer = () => {
          if (res.headersSent) return;
          res.writeHead(200, { 'Content-Type': 'image/gif' });
          res.end(Buffer.from('R0lGODlhAQABAAAAACw=', 'base64'));
        };
        held.push(answer);
        setTimeout(answer, 20000).unref();
        return;
      }
      if (rel === '/__release') { held.splice(0).forEach((f) => f()); res.writeHead(204); res.end(); return; }
      const file = path.join(root, path.normalize(rel).replace(/^(\.\.[/\\])+/, ''));
      if (!file.startsWith(root) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
        res.writeHead(404); res.end('not found'); return;
      }
      // Pages served elsewhere may borrow the reference font.
      res.writeHead(200, { 'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream', 'Access-Control-Allow-Origin': '*' });
      fs.createReadStream(file).pipe(res);
    });
    server.listen(0, '127.0.0.1', () => resolve({ server, url: `http://127.0.0.1:${server.address().port}/` }));
    server.closeAllConnections && server.on('close', () => server.closeAllConnections());
  });
}

const CHROMIUM_ARGS = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
  '--disable-component-update', '--disable-sync'];

async function launch() {
  const { chromium } = require('playwright-core');
  return chromium.launch({ executablePath: '/usr/bin/chromium', args: CHROMIUM_ARGS, headless: true });
}

// Glyphara's own path: a program folder with the runtime files and the fonts, a project
// built, exported and served by the core (the glyphara_export_serve helper). Returns
// the page address and a close function.
function settingsOf(t) {
  const [foundry, font] = t.font.split('___');
  const kv = [['foundry', foundry.replace(/_/g, ' ')], ['font', font.replace(/_/g, ' ')], ['size', t.size], ['align', t.align],
    ['color', t.color], ['background', t.background], ['link', t.link], ['hover', t.hover],
    ['bold', +t.bold], ['italic', +t.italic], ['underline', +t.underline]];
  const f = t.filters || {};
  if (f.blur) kv.push(['blur.quality', f.blur.quality], ['blur.x', f.blur.blurx], ['blur.y', f.blur.blury]);
  if (f.shadow) {
    const d = f.shadow;
    kv.push(['shadow.quality', d.quality], ['shadow.angle', d.angle], ['shadow.knockout', +d.knockout], ['shadow.distance', d.distance],
      ['shadow.color', d.color], ['shadow.strength', d.strength]);
  }
  if (f.glow) {
    const g = f.glow;
    kv.push(['glow.quality', g.quality], ['glow.strength', g.strength], ['glow.x', g.blurx], ['glow.y', g.blury],
      ['glow.knockout', +g.knockout], ['glow.inner', +g.inner], ['glow.alpha', g.alpha], ['glow.color', g.color]);
  }
  if (f.bevel) {
    const v = f.bevel;
    kv.push(['bevel.quality', v.quality], ['bevel.angle', v.angle], ['bevel.distance', v.distance], ['bevel.strength', v.strength],
      ['bevel.highlight', v.highlight], ['bevel.shadow', v.shadow], ['bevel.type', v.type]);
  }
  return kv.map(([k, v]) => k + '=' + v).join(';');
}

function glypharaHelper() {
  const exe = process.env.GLYPHARA_EXPORT_SERVE;
  return exe && fs.existsSync(exe) ? exe : null;
}

async function glypharaServe(tags, { single = null } = {}) {
  const program = tempDir('sifr-program-');
  fs.mkdirSync(path.join(program, 'sIFR'));
  for (const f of RUNTIME_FILES) fs.copyFileSync(path.join(SOURCE, 'data/sIFR', f), path.join(program, 'sIFR', f));
  const specs = [];
  for (const [name, partial] of Object.entries(tags)) {
    const t = Object.assign({}, DEFAULT_TAG, partial);
    const [foundry, font] = t.font.split('___');
    const target = path.join(program, 'Fonts', foundry, font + '.swf');
    if (!fs.existsSync(target)) {
      fs.mkdirSync(path.dirname(target), { recursive: true });
      fs.writeFileSync(target, makeMovie(t.font));
    }
    specs.push(name + ':' + settingsOf(t));
  }
  const args = [program, ...(single !== null ? ['--single', single] : []), ...specs];
  const child = require('child_process').spawn(glypharaHelper(), args, { stdio: ['pipe', 'pipe', 'inherit'] });
  const url = await new Promise((resolve, reject) => {
    let out = '';
    child.stdout.on('data', (d) => {
      out += d;
      if (out.includes('\n')) resolve(out.split('\n')[0].trim());
    });
    child.on('exit', (code) => reject(new Error('glyphara_export_serve ended with ' + code)));
  });
  const close = () => new Promise((resolve) => {
    child.on('exit', resolve);
    child.stdin.end();
    setTimeout(() => { child.kill('SIGKILL'); resolve(); }, 5000).unref();
  }).then(() => fs.rmSync(program, { recursive: true, force: true }));
  return { url, close };
}

module.exports = { glypharaHelper, glypharaServe, exportProject, makeMovie, makerAvailable, serve, tempDir, launch, FAMILIES, SITE, snippet, css, page };
