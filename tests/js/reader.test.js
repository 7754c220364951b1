'use strict';
const test = require('node:test');
const assert = require('node:assert/strict');
const fs = require('fs');
const path = require('path');
const zlib = require('zlib');
const { readMovie, readMovieSync, glyphCommands, pickFace, MovieError } = require('../../data/sIFR/sifr.js');
const { faceFromTtf, movie, readTtf } = require('./helpers/movie.js');

const DEJAVU = '/usr/share/fonts/truetype/dejavu/';
const TEXT = 'Hamburgefonstiv AVAWTo 0123 éßÆ€';

function sansFaces(version = 3) {
  return [
    faceFromTtf(DEJAVU + 'DejaVuSans.ttf', { chars: TEXT, version }),
    faceFromTtf(DEJAVU + 'DejaVuSans-Oblique.ttf', { chars: TEXT, italic: true, version }),
    faceFromTtf(DEJAVU + 'DejaVuSans-Bold.ttf', { chars: TEXT, bold: true, version }),
    faceFromTtf(DEJAVU + 'DejaVuSans-BoldOblique.ttf', { chars: TEXT, bold: true, italic: true, version })
  ];
}

async function refused(bytes, pattern) {
  await assert.rejects(readMovie(bytes), (e) => {
    assert.ok(e instanceof MovieError, 'expected a MovieError, got ' + e);
    if (pattern) assert.match(e.message, pattern);
    return true;
  });
}

test('faces, codes, advances and outlines survive a round trip', async (t) => {
  for (const [label, version, compress] of [['DefineFont3, compressed', 3, true], ['DefineFont2, plain', 2, false]]) {
    await t.test(label, async () => {
      const faces = sansFaces(version);
      faces[0].kerning = [[65, 86, -1500], [84, 111, -900]];
      const m = await readMovie(movie(faces, { compress, version }));
      assert.equal(m.fonts.length, 4);
      assert.deepEqual(m.fonts.map((f) => [f.bold, f.italic]), [[false, false], [false, true], [true, false], [true, true]]);
      for (const [i, f] of m.fonts.entries()) {
        const expected = faces[i].glyphs.slice().sort((a, b) => a.code - b.code);
        assert.equal(f.units, version === 3 ? 20480 : 1024);
        assert.equal(f.count, expected.length);
        assert.deepEqual(f.codes, expected.map((g) => g.code));
        assert.deepEqual(f.advances, expected.map((g) => g.advance));
        for (const [gi, g] of expected.entries()) {
          assert.deepEqual(glyphCommands(f, gi), g.cmds, `outline of U+${g.code.toString(16)}`);
        }
        assert.equal(f.ascent, faces[i].ascent);
        assert.equal(f.descent, faces[i].descent);
      }
      assert.equal(m.fonts[0].kerning.get(65 * 65536 + 86), -1500);
      assert.equal(m.fonts[0].kerning.get(84 * 65536 + 111), -900);
      assert.equal(m.fonts[0].name, 'DejaVuSans');
    });
  }
});

test('advances of a movie match the font file scaled to the em square', async () => {
  const face = faceFromTtf(DEJAVU + 'DejaVuSerif.ttf', { chars: 'Wide mw.' });
  const ttf = readTtf(DEJAVU + 'DejaVuSerif.ttf');
  const f = (await readMovie(movie([face]))).fonts[0];
  for (const [i, code] of f.codes.entries()) {
    const expected = ttf.advance(ttf.cmap.get(code)) * 20480 / ttf.unitsPerEm;
    assert.ok(Math.abs(f.advances[i] - expected) <= 1, `advance of ${String.fromCharCode(code)}`);
  }
});

test('a browser-like face choice, with synthesis when a face is missing', () => {
  const faces = [{ bold: false, italic: false, count: 1 }, { bold: true, italic: false, count: 1 }];
  assert.deepEqual(pickFace(faces, true, true), { font: faces[1], fakeBold: false, fakeItalic: true });
  assert.deepEqual(pickFace(faces, false, false), { font: faces[0], fakeBold: false, fakeItalic: false });
  const boldOnly = [{ bold: true, italic: false, count: 1 }];
  assert.deepEqual(pickFace(boldOnly, false, false), { font: boldOnly[0], fakeBold: false, fakeItalic: false });
  const italics = [{ bold: false, italic: true, count: 1 }, { bold: false, italic: false, count: 1 }];
  assert.equal(pickFace(italics, true, true).font, italics[0]);
  assert.equal(pickFace(italics, true, true).fakeBold, true);
  assert.equal(pickFace([{ bold: true, italic: true, count: 0 }, ...faces], true, true).font, faces[1], 'empty faces are skipped');
});

test('files that are not font movies are refused', async () => {
  await refused(Buffer.from('GIF89a\x01\x00\x01\x00'), /not a Flash movie/);
  await refused(fs.readFileSync(__filename), /not a Flash movie/);
  await refused(Buffer.alloc(0), /not a Flash movie/);
  await refused(Buffer.from('ZWS\x0d\x10\x00\x00\x00'), /LZMA/);
  // Labelled as compressed but stored plain.
  const plain = movie(sansFaces(), { compress: false });
  const mislabelled = Buffer.from(plain);
  mislabelled.write('CWS', 0, 'latin1');
  await refused(mislabelled, /corrupt/);
  // A movie without any font tag.
  const empty = Buffer.from('FWS\x08\x15\x00\x00\x00\x50\x00\x05\x55\x00\x00\x0c\x01\x00\x40\x00\x00\x00', 'latin1');
  await refused(empty, /no font/);
});

test('truncated movies are refused at every cut', async () => {
  const whole = movie([faceFromTtf(DEJAVU + 'DejaVuSans.ttf', { chars: 'Ab' })], { compress: false });
  for (let cut = 0; cut < whole.length - 4; cut++) {
    const part = Buffer.from(whole.subarray(0, cut));
    await refused(part);
    // The same cut with the header's length lowered to match must be caught by
    // the tag and glyph readers themselves.
    if (cut >= 8) {
      part.writeUInt32LE(cut, 4);
      await assert.rejects(async () => {
        const m = readMovieSync(part);
        for (const f of m.fonts) for (let i = 0; i < f.count; i++) glyphCommands(f, i);
      }, MovieError, `cut at ${cut}`);
    }
  }
  const packed = movie(sansFaces());
  await refused(packed.subarray(0, Math.floor(packed.length / 2)), /truncated/);
});

test('oversized movies are refused without inflating them whole', async () => {
  const huge = Buffer.from('FWS\x08\x00\x00\x00\x40', 'latin1'); // 1 GiB claimed
  await refused(huge, /out of range/);
  // A compressed bomb: 8 MiB claimed, 64 MiB of zeros inside.
  const bomb = Buffer.concat([Buffer.from('CWS\x08\x00\x00\x80\x00', 'latin1'), zlib.deflateSync(Buffer.alloc(64 << 20))]);
  const started = Date.now();
  await refused(bomb);
  assert.ok(Date.now() - started < 5000);
});

test('damaged movies end in a MovieError, never in another exception', async () => {
  const whole = movie(sansFaces(), { compress: false });
  let seed = 12345;
  const rand = () => (seed = (seed * 1103515245 + 12345) & 0x7fffffff) / 0x7fffffff;
  for (let round = 0; round < 300; round++) {
    const bytes = Buffer.from(whole);
    for (let k = 0; k < 4; k++) bytes[8 + Math.floor(rand() * (bytes.length - 8))] = Math.floor(rand() * 256);
    try {
      const m = readMovieSync(bytes);
      for (const f of m.fonts) for (let i = 0; i < f.count; i++) glyphCommands(f, i);
    } catch (e) {
      assert.ok(e instanceof MovieError, `round ${round}: ${e && e.stack}`);
    }
  }
});

function findMaker() {
  const dir = process.env.GLYPHARA_PROGRAM_DIR;
  const exe = dir && path.join(dir, 'Tallowby Moldwright');
  return exe && fs.existsSync(exe) ? exe : null;
}

test('the font maker\'s movies hold the asked characters with the font\'s advances', async (t) => {
  const maker = findMaker();
  if (!maker) {
    t.skip('font maker not built');
    return;
  }
  const { execFileSync } = require('child_process');
  const os = require('os');
  const chars = 'Hamburgefonstiv AVAWTo 0123 éßÆ€\u0416';
  for (const [label, files] of [
    ['TrueType family', [DEJAVU + 'DejaVuSans.ttf', DEJAVU + 'DejaVuSans-Bold.ttf']],
    ['CFF face', ['/usr/share/fonts/opentype/urw-base35/C059-Roman.otf']]]) {
    await t.test(label, async () => {
      if (!files.every((f) => fs.existsSync(f))) return;
      const out = fs.mkdtempSync(path.join(os.tmpdir(), 'sifr-maker-'));
      try {
        execFileSync(maker, ['--chars', chars, '-o', out, ...files], { stdio: 'pipe' });
        const swf = fs.readdirSync(out).find((f) => f.endsWith('.swf'));
        const m = await readMovie(fs.readFileSync(path.join(out, swf)));
        assert.equal(m.fonts.length, files.length);
        for (const [i, f] of m.fonts.entries()) {
          const ttf = readTtf(files[i]);
          const want = Array.from(new Set(Array.from(chars, (c) => c.codePointAt(0))))
            .filter((c) => ttf.cmap.has(c)).sort((a, b) => a - b);
          assert.deepEqual(f.codes, want);
          assert.equal(f.bold, /Bold/.test(files[i]));
          for (const [gi, code] of f.codes.entries()) {
            const expected = ttf.advance(ttf.cmap.get(code)) * 20480 / ttf.unitsPerEm;
            assert.ok(Math.abs(f.advances[gi] - expected) <= 20, `advance of U+${code.toString(16)}: ${f.advances[gi]} vs ${expected}`);
            glyphCommands(f, gi);
          }
        }
      } finally {
        fs.rmSync(out, { recursive: true, force: true });
      }
    });
  }
});

test('movies of the built font library', async (t) => {
  const dirs = (process.env.GLYPHARA_PROGRAM_DIR ? [process.env.GLYPHARA_PROGRAM_DIR] : [])
    .map((d) => path.join(d, 'Fonts')).filter((d) => fs.existsSync(d));
  const files = [];
  for (const d of dirs) {
    for (const foundry of fs.readdirSync(d)) {
      const fd = path.join(d, foundry);
      if (!fs.statSync(fd).isDirectory()) continue;
      for (const f of fs.readdirSync(fd)) if (f.endsWith('.swf')) files.push(path.join(fd, f));
    }
  }
  if (!files.length) {
    t.skip('no built font library in GLYPHARA_PROGRAM_DIR');
    return;
  }
  for (const file of files) {
    await t.test(path.basename(file), async () => {
      const m = await readMovie(fs.readFileSync(file));
      assert.ok(m.fonts.length >= 1 && m.fonts.length <= 4);
      for (const f of m.fonts) {
        assert.equal(f.units, 20480);
        assert.ok(f.count > 0, 'face has glyphs');
        assert.equal(f.codes.length, f.count);
        for (let i = 1; i < f.codes.length; i++) assert.ok(f.codes[i - 1] < f.codes[i], 'codes ascending');
        for (const c of 'AZaz09') assert.ok(f.map.has(c.charCodeAt(0)), `has ${c}`);
        assert.ok(f.ascent > 10000 && f.ascent < 30000, `ascent ${f.ascent}`);
        for (let i = 0; i < f.count; i++) {
          const cmds = glyphCommands(f, i);
          assert.ok(f.advances[i] >= 0 && f.advances[i] < 3 * 20480);
          // Every contour is closed: it ends where its move began.
          let sx = 0, sy = 0, x = 0, y = 0;
          for (let k = 0; k < cmds.length;) {
            if (cmds[k] === 0) {
              assert.ok(x === sx && y === sy, `glyph ${f.codes[i]} leaves a contour open`);
              sx = x = cmds[k + 1]; sy = y = cmds[k + 2]; k += 3;
            } else if (cmds[k] === 1) { x = cmds[k + 1]; y = cmds[k + 2]; k += 3; } else { x = cmds[k + 3]; y = cmds[k + 4]; k += 5; }
          }
          assert.ok(x === sx && y === sy, `glyph ${f.codes[i]} leaves its last contour open`);
        }
      }
    });
  }
});
