'use strict';
// The kit as a web designer takes it away: a five-tag project exported by the built
// program (glyphara --export) and its snippet pasted into a small responsive shop page.

const fs = require('fs');
const path = require('path');
const { execFileSync } = require('child_process');
const fx = require('./fixture.js');

// Tag, font (foundry, name), size, colours, styles and one filter each.
const TAGS = {
  h1: { foundry: 'Impallari Type', font: 'Lobster Two [regular][italic][bold][bolditalic]', size: 44, color: '#7A1F1F', bold: 1,
    bevel: { angle: 45, distance: 3, strength: 2, quality: 1, highlightcolor: '#FFE066', shadowcolor: '#1F3A7A', type: 0 } },
  h2: { foundry: 'DejaVu', font: 'DejaVu Serif [regular][italic][bold][bolditalic]', size: 30, color: '#1E4D2B',
    glow: { strength: 2, blurx: 6, blury: 6, knockout: 0, inner: 0, quality: 1, alpha: 1, color: '#FF66CC' } },
  h3: { foundry: 'Yanone', font: 'Yanone Kaffeesatz [regular][bold]', size: 26, color: '#0B3C8C', blur: { quality: 1, blurx: 3, blury: 3 } },
  a: { foundry: 'Johan Aakerlund', font: 'Comfortaa [regular][bold]', size: 18, color: '#333333', linkcolor: '#C8501E', hovercolor: '#1E8C50',
    dropshadow: { quality: 1, angle: 45, knockout: 0, distance: 3, color: '#505050', strength: 1 } },
  p: { foundry: 'Impallari Type', font: 'Cabin [regular][italic][bold][bolditalic]', size: 17, color: '#222222', linkcolor: '#8A2BE2', hovercolor: '#FF8800',
    dropshadow: { quality: 1, angle: 90, knockout: 0, distance: 1, color: '#C0C0C0', strength: 1 } }
};

const FILTER_ATTRS = {
  blur: ['quality', 'blurx', 'blury'],
  dropshadow: ['quality', 'angle', 'knockout', 'distance', 'color', 'strength'],
  glow: ['strength', 'blurx', 'blury', 'knockout', 'inner', 'quality', 'alpha', 'color'],
  bevel: ['angle', 'distance', 'strength', 'quality', 'highlightcolor', 'shadowcolor', 'type']
};

function projectXml(name, tags) {
  const attr = (k, v) => ` ${k}="${String(v).replace(/&/g, '&amp;').replace(/"/g, '&quot;')}"`;
  let xml = '<?xml version="1.0" encoding="utf-8"?>\n<GlypharaProject appname="Glyphara" version="4.1" build="20081220">\n';
  xml += ` <project${attr('projectname', name)}>\n  <tags>\n`;
  for (const [tag, t] of Object.entries(tags)) {
    xml += `   <${tag}` + attr('font', t.font) + attr('foundry', t.foundry) + attr('size', t.size) + attr('align', t.align || 0) +
      attr('color', t.color) + attr('linkcolor', t.linkcolor || '#0000FF') + attr('backgroundcolor', '#FFFFFF') +
      attr('hovercolor', t.hovercolor || '#FF0000') + attr('bold', t.bold || 0) + attr('italic', t.italic || 0) +
      attr('understroked', t.underline || 0) + '>\n';
    for (const [kind, names] of Object.entries(FILTER_ATTRS)) {
      if (!t[kind]) continue;
      xml += `    <${kind}` + attr('enabled', 1) + names.map((n) => attr(n, t[kind][n])).join('') + '/>\n';
    }
    xml += `   </${tag}>\n`;
  }
  return xml + '  </tags>\n  <files/>\n </project>\n</GlypharaProject>\n';
}

// Sentences of the page, each once; copying the whole page must give each back once.
const SENTENCES = [
  'Small-batch teas, blended by hand in our back room.',
  'Every tin is weighed and sealed on the day you order it.',
  'Crème brûlée rooibos tastes of caramel, vanilla and a little smoke.',
  'Ελληνικό τσάι του βουνού από τον Όλυμπο.',
  'Иван-чай из Карелии с мягким медовым вкусом.',
  'תה נענע טרי מהגינה שלנו בגליל.',
  'Hand-poured candles burn for forty hours without soot.',
  'Orders placed before noon leave the same day.'
];

function shopPage(snippet, title) {
  return `<!DOCTYPE html>
<html lang="en">
<head>
	<meta charset="utf-8">
	<meta name="viewport" content="width=device-width, initial-scale=1">
	<title>${title}</title>
	<style>
		* { box-sizing: border-box; }
		body { margin: 0; font-family: sans-serif; background: #fff; }
		header { display: flex; flex-wrap: wrap; align-items: center; justify-content: space-between; gap: 8px 24px; padding: 8px 16px; }
		header > a { text-decoration: none; }
		nav { display: flex; flex-wrap: wrap; gap: 4px 18px; }
		main { display: grid; grid-template-columns: 1fr 300px; gap: 24px; padding: 16px; }
		.products { display: flex; flex-wrap: wrap; gap: 16px; }
		.product { flex: 1 1 220px; border: 1px solid #ddd; padding: 8px 12px; }
		.product > a { text-decoration: none; }
		aside { width: 300px; border-left: 1px solid #ddd; padding-left: 16px; }
		footer { padding: 16px; border-top: 1px solid #ddd; }
		@media (max-width: 700px) {
			main { grid-template-columns: 1fr; }
			aside { width: auto; border-left: 0; padding-left: 0; }
		}
	</style>
${snippet}</head>
<body>
<header>
	<a href="#top" id="brand"><h1>Tallowby Tea &amp; Candles</h1></a>
	<nav id="nav"><a href="#teas">Teas</a> <a href="#candles">Candles</a> <a href="#visit">Visit us</a> <a href="#contact">Contact</a></nav>
</header>
<main>
	<section>
		<h2 id="teas">Loose-leaf teas and hand-poured candles</h2>
		<p id="intro">${SENTENCES[0]} ${SENTENCES[1].replace('Every tin', 'Every <a href="#tins">tin</a>')}</p>
		<div class="products">
			<article class="product"><a href="#rooibos"><h3>Crème brûlée rooibos</h3></a><p>${SENTENCES[2]}</p></article>
			<article class="product" lang="el"><h3>Τσάι του βουνού</h3><p>${SENTENCES[3]}</p></article>
			<article class="product" lang="ru"><h3>Иван-чай</h3><p>${SENTENCES[4]}</p></article>
			<article class="product" lang="he" dir="rtl"><h3>תה נענע</h3><p id="hebrew">${SENTENCES[5]}</p></article>
		</div>
	</section>
	<aside>
		<h2 id="candles">Candles</h2>
		<p id="candle-text">${SENTENCES[6]}</p>
	</aside>
</main>
<footer><p>${SENTENCES[7]}</p></footer>
</body>
</html>
`;
}

const BEGIN = '<!--TALLOWBY GLYPHARA CODE BEGIN-->';
const END = '<!--TALLOWBY GLYPHARA CODE END-->\n';

function programDir() {
  const dir = process.env.GLYPHARA_PROGRAM_DIR;
  if (!dir || !fs.existsSync(path.join(dir, 'glyphara'))) {
    throw new Error('GLYPHARA_PROGRAM_DIR must name the built program folder (build/Glyphara), with its fonts');
  }
  return dir;
}

// Exports the project into `dir` with the built program, as a user without settings
// would, and writes the shop page around its snippet. The page without the web font
// link takes the drawing path for every tag.
function exportKit(dir, tags = TAGS) {
  const home = path.join(dir, '.home');
  fs.mkdirSync(path.join(home, 'tmp'), { recursive: true });
  const project = path.join(dir, 'shop.xml');
  fs.writeFileSync(project, projectXml('shop', tags));
  const site = path.join(dir, 'site');
  execFileSync(path.join(programDir(), 'glyphara'), ['--export', project, '--to', site], {
    env: Object.assign({}, process.env, { HOME: home, XDG_CONFIG_HOME: path.join(home, '.config'), TMPDIR: path.join(home, 'tmp') }),
    stdio: ['ignore', 'ignore', 'pipe']
  });
  const sample = fs.readFileSync(path.join(site, 'shop.html'), 'utf8');
  const from = sample.indexOf(BEGIN), to = sample.indexOf(END);
  if (from < 0 || to < 0) throw new Error('the sample page holds no snippet');
  const snippet = sample.slice(from, to + END.length);
  const webFontLine = /^.*glypharadata\/webfonts\.css.*\n/m;
  fs.writeFileSync(path.join(site, 'kit.html'), shopPage(snippet, 'Tallowby Tea &amp; Candles'));
  fs.writeFileSync(path.join(site, 'drawn.html'), shopPage(snippet.replace(webFontLine, ''), 'Tallowby Tea &amp; Candles, drawn'));
  const movies = fs.readdirSync(path.join(site, 'glypharadata/fonts')).filter((f) => f.endsWith('.swf'));
  return {
    site, snippet, movies,
    webFonts: fs.existsSync(path.join(site, 'glypharadata/webfonts.css')) && webFontLine.test(snippet)
  };
}

// The filter of each tag twice, one above the other: as styled text with the web font
// and drawn from a copy of the movie that has none. The twins are replaced first, so
// the page's own replace calls leave them alone.
const TWINS = [['h1', 'Tallowby Tea'], ['h2', 'Loose-leaf teas'], ['h3', 'Crème brûlée'], ['a', 'Visit us']];

function twinPage(kitInfo) {
  const fonts = path.join(kitInfo.site, 'glypharadata/fonts');
  for (const m of kitInfo.movies) fs.copyFileSync(path.join(fonts, m), path.join(fonts, m.replace(/\.swf$/, '-drawn.swf')));
  const twin = `\t<script>
\tvar replaceBoth = sIFR.replace;
\tsIFR.replace = function (font, options) {
\t\treplaceBoth.call(sIFR, { src: font.src.replace(/\\.swf$/, '-drawn.swf') }, Object.assign({}, options, { selector: '.drawn ' + options.selector }));
\t\treplaceBoth.call(sIFR, font, options);
\t};
\t</script>
`;
  const snippet = kitInfo.snippet.replace(/(.*sifr-config\.js.*\n)/, '$1' + twin);
  let body = '';
  for (const [tag, text] of TWINS) {
    for (const kind of ['text', 'drawn']) {
      const inner = tag === 'a' ? `<a href="#${kind}">${text}</a>` : `<${tag}>${text}</${tag}>`;
      body += `<div class="${kind}" id="${kind}-${tag}">${inner}</div>\n`;
    }
  }
  const html = `<!DOCTYPE html>
<html lang="en"><head><meta charset="utf-8"><title>Twins</title>
<style>body { margin: 0; padding: 10px 40px; } .text, .drawn { width: 480px; display: flex; padding: 16px 0; } .text > *, .drawn > * { flex: 1 1 auto; margin: 0; }</style>
${snippet}</head><body>
${body}</body></html>
`;
  fs.writeFileSync(path.join(kitInfo.site, 'twins.html'), html);
  return 'twins.html';
}

// The check of every test that needs the kit's web fonts: until the export writes
// them, those tests fail with this message instead of passing on the drawing path.
function needWebFonts(kit) {
  if (!kit.webFonts) {
    throw new Error('the export wrote no web fonts (glypharadata/webfonts.css and its link in the snippet); ' +
      'this check needs the kit\'s web fonts');
  }
}

module.exports = { TAGS, SENTENCES, TWINS, exportKit, needWebFonts, projectXml, shopPage, twinPage };
