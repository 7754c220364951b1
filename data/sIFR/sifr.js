/*
 * Glyphara's sIFR runtime: shows the text of chosen elements in the font of a font
 * movie (an SWF file holding DefineFont2/DefineFont3 tags). Where the page declares
 * the web font the kit made from the movie, the element's own text is styled with
 * it. Otherwise, as browsers no longer run Flash, the movie is read here and its
 * glyphs are drawn as SVG paths; the original text stays in the document for
 * selection, find-in-page, screen readers and printing.
 *
 * Loaded in Node, the file exports its movie reader for tests and tools.
 */
(function (root) {
  'use strict';

  // ---------------------------------------------------------------------------
  // Movie reader
  // ---------------------------------------------------------------------------

  const LIMITS = {
    maxMovieBytes: 32 * 1024 * 1024,
    maxFonts: 64,
    maxKerning: 100000,
    maxRecordsPerGlyph: 20000
  };

  const TAG_END = 0;
  const TAG_DEFINE_FONT2 = 48;
  const TAG_DEFINE_FONT3 = 75;

  class MovieError extends Error {
    constructor(message) {
      super(message);
      this.name = 'MovieError';
    }
  }

  // Every read is checked against the end of its range, so a truncated or hostile
  // movie ends in a MovieError instead of reading garbage.
  class ByteReader {
    constructor(bytes, start, end, what) {
      this.bytes = bytes;
      this.pos = start;
      this.end = end;
      this.what = what || 'movie';
    }
    need(n) {
      if (n < 0 || this.pos + n > this.end) {
        throw new MovieError(this.what + ' is truncated');
      }
    }
    u8() { this.need(1); return this.bytes[this.pos++]; }
    u16() { this.need(2); const b = this.bytes, p = this.pos; this.pos += 2; return b[p] | (b[p + 1] << 8); }
    s16() { const v = this.u16(); return v >= 0x8000 ? v - 0x10000 : v; }
    u32() {
      this.need(4);
      const b = this.bytes, p = this.pos;
      this.pos += 4;
      return (b[p] | (b[p + 1] << 8) | (b[p + 2] << 16)) + b[p + 3] * 0x1000000;
    }
    skip(n) { this.need(n); this.pos += n; }
  }

  class BitReader {
    constructor(bytes, start, end, what) {
      this.bytes = bytes;
      this.bit = start * 8;
      this.endBit = end * 8;
      this.what = what;
    }
    ub(n) {
      if (n === 0) return 0;
      if (this.bit + n > this.endBit) throw new MovieError(this.what + ' is truncated');
      let v = 0;
      while (n > 0) {
        const off = this.bit & 7;
        const take = Math.min(8 - off, n);
        v = v * (1 << take) + ((this.bytes[this.bit >> 3] >> (8 - off - take)) & ((1 << take) - 1));
        this.bit += take;
        n -= take;
      }
      return v;
    }
    sb(n) {
      if (n === 0) return 0;
      const v = this.ub(n);
      return v >= Math.pow(2, n - 1) ? v - Math.pow(2, n) : v;
    }
    align() { this.bit = (this.bit + 7) & ~7; }
    get bytePos() { return Math.ceil(this.bit / 8); }
  }

  function readRect(br) {
    const n = br.ub(5);
    return { xMin: br.sb(n), xMax: br.sb(n), yMin: br.sb(n), yMax: br.sb(n) };
  }

  // Decodes one glyph shape into a flat command list in font units:
  // 0 = move (x, y), 1 = line (x, y), 2 = quadratic curve (cx, cy, x, y).
  function decodeGlyph(bytes, start, end, what) {
    const br = new BitReader(bytes, start, end, what);
    const fillBits = br.ub(4);
    const lineBits = br.ub(4);
    const cmds = [];
    let x = 0, y = 0, records = 0, open = false;
    for (;;) {
      if (++records > LIMITS.maxRecordsPerGlyph) throw new MovieError(what + ' has too many edges');
      if (br.ub(1) === 0) {
        const newStyles = br.ub(1), lineStyle = br.ub(1), fill1 = br.ub(1), fill0 = br.ub(1), moveTo = br.ub(1);
        if (!newStyles && !lineStyle && !fill1 && !fill0 && !moveTo) break;
        if (newStyles) throw new MovieError(what + ' declares styles, which a font glyph may not');
        if (moveTo) {
          const bits = br.ub(5);
          x = br.sb(bits);
          y = br.sb(bits);
          cmds.push(0, x, y);
          open = true;
        }
        if (fill0) br.ub(fillBits);
        if (fill1) br.ub(fillBits);
        if (lineStyle) br.ub(lineBits);
      } else {
        if (!open) { cmds.push(0, x, y); open = true; }
        const straight = br.ub(1);
        const bits = br.ub(4) + 2;
        if (straight) {
          if (br.ub(1)) {
            x += br.sb(bits);
            y += br.sb(bits);
          } else if (br.ub(1)) {
            y += br.sb(bits);
          } else {
            x += br.sb(bits);
          }
          cmds.push(1, x, y);
        } else {
          const cx = x + br.sb(bits), cy = y + br.sb(bits);
          x = cx + br.sb(bits);
          y = cy + br.sb(bits);
          cmds.push(2, cx, cy, x, y);
        }
      }
    }
    return cmds;
  }

  function readFontTag(bytes, start, end, code, index) {
    const what = 'font ' + (index + 1);
    const r = new ByteReader(bytes, start, end, what);
    const id = r.u16();
    const flags = r.u8();
    const hasLayout = !!(flags & 0x80);
    const wideOffsets = !!(flags & 0x08);
    const wideCodes = !!(flags & 0x04);
    const italic = !!(flags & 0x02);
    const bold = !!(flags & 0x01);
    r.u8(); // language
    const nameLen = r.u8();
    r.need(nameLen);
    let nameBytes = bytes.subarray(r.pos, r.pos + nameLen);
    r.pos += nameLen;
    while (nameBytes.length && nameBytes[nameBytes.length - 1] === 0) nameBytes = nameBytes.subarray(0, nameBytes.length - 1);
    const name = new TextDecoder('utf-8').decode(nameBytes);
    const count = r.u16();
    const units = code === TAG_DEFINE_FONT3 ? 20480 : 1024;
    const base = {
      id, name, bold, italic, units,
      version: code === TAG_DEFINE_FONT3 ? 3 : 2,
      ascent: Math.round(units * 0.8), descent: Math.round(units * 0.2), leading: 0,
      advances: null, kerning: new Map(), hasLayout, map: new Map()
    };
    // A face without glyphs (a device font) carries nothing worth reading.
    if (count === 0) return Object.assign(base, { count: 0, codes: [] });

    const tableStart = r.pos;
    const offsets = new Array(count);
    for (let i = 0; i < count; i++) offsets[i] = wideOffsets ? r.u32() : r.u16();
    const codeOffset = wideOffsets ? r.u32() : r.u16();
    const shapesEnd = tableStart + codeOffset;
    if (shapesEnd > end) throw new MovieError(what + ' has a code table beyond its end');
    for (let i = 0; i < count; i++) {
      const from = tableStart + offsets[i];
      const to = i + 1 < count ? tableStart + offsets[i + 1] : shapesEnd;
      if (from < r.pos || from > to || to > shapesEnd) {
        throw new MovieError(what + ' has a broken glyph offset table');
      }
    }
    r.pos = shapesEnd;
    const codes = new Array(count);
    for (let i = 0; i < count; i++) codes[i] = wideCodes ? r.u16() : r.u8();

    const font = Object.assign(base, {
      count, codes,
      _bytes: bytes, _tableStart: tableStart, _offsets: offsets, _shapesEnd: shapesEnd,
      _shapes: new Array(count)
    });
    for (let i = 0; i < count; i++) {
      if (!font.map.has(codes[i])) font.map.set(codes[i], i);
    }
    if (hasLayout) {
      font.ascent = r.u16();
      font.descent = r.u16();
      font.leading = r.s16();
      font.advances = new Array(count);
      // Read unsigned: in 20480 units per em a wide glyph's advance exceeds the
      // signed range, and a negative advance is never meant.
      for (let i = 0; i < count; i++) font.advances[i] = r.u16();
      // Bounds are not needed for drawing; skip them bit-exactly.
      const br = new BitReader(bytes, r.pos, end, what);
      for (let i = 0; i < count; i++) { readRect(br); br.align(); }
      r.pos = br.bytePos;
      const kernCount = r.u16();
      if (kernCount > LIMITS.maxKerning) throw new MovieError(what + ' has too many kerning pairs');
      for (let i = 0; i < kernCount; i++) {
        const a = wideCodes ? r.u16() : r.u8();
        const b = wideCodes ? r.u16() : r.u8();
        const adj = r.s16();
        font.kerning.set(a * 65536 + b, adj);
      }
    }
    return font;
  }

  // Returns the glyph's command list, decoding it on first use: large movies hold
  // thousands of glyphs of which a page uses a few dozen.
  function glyphCommands(font, index) {
    let cmds = font._shapes[index];
    if (!cmds) {
      const from = font._tableStart + font._offsets[index];
      const to = index + 1 < font.count ? font._tableStart + font._offsets[index + 1] : font._shapesEnd;
      cmds = decodeGlyph(font._bytes, from, to, 'glyph ' + index + ' of ' + (font.name || 'a font'));
      font._shapes[index] = cmds;
    }
    return cmds;
  }

  function glyphAdvance(font, index) {
    if (font.advances) return font.advances[index];
    // Without a layout block fall back on the glyph's right edge plus a small gap.
    const cmds = glyphCommands(font, index);
    let right = 0;
    forEachPoint(cmds, (px) => { if (px > right) right = px; });
    return right + font.units * 0.08;
  }

  function forEachPoint(cmds, fn) {
    for (let i = 0; i < cmds.length;) {
      const op = cmds[i];
      if (op === 2) { fn(cmds[i + 1], cmds[i + 2]); fn(cmds[i + 3], cmds[i + 4]); i += 5; } else { fn(cmds[i + 1], cmds[i + 2]); i += 3; }
    }
  }

  // Reads an uncompressed movie body (after the 8-byte header).
  function readMovieBody(bytes, version, signature) {
    const br = new BitReader(bytes, 8, bytes.length, 'movie header');
    const frame = readRect(br);
    br.align();
    const r = new ByteReader(bytes, br.bytePos, bytes.length, 'movie header');
    r.u16(); // frame rate
    r.u16(); // frame count
    const fonts = [];
    while (r.pos < bytes.length) {
      r.what = 'tag list';
      const head = r.u16();
      const code = head >> 6;
      let len = head & 0x3f;
      if (len === 0x3f) len = r.u32();
      if (r.pos + len > bytes.length) throw new MovieError('a tag runs past the end of the movie');
      if (code === TAG_END) break;
      if (code === TAG_DEFINE_FONT2 || code === TAG_DEFINE_FONT3) {
        if (fonts.length >= LIMITS.maxFonts) throw new MovieError('movie holds too many fonts');
        fonts.push(readFontTag(bytes, r.pos, r.pos + len, code, fonts.length));
      }
      r.pos += len;
    }
    return { signature, version, frame, fonts };
  }

  function checkHeader(bytes) {
    if (!bytes || bytes.length < 8) throw new MovieError('not a Flash movie (too short)');
    const sig = String.fromCharCode(bytes[0], bytes[1], bytes[2]);
    if (sig === 'ZWS') throw new MovieError('LZMA-compressed movies are not supported');
    if (sig !== 'FWS' && sig !== 'CWS') throw new MovieError('not a Flash movie');
    const length = bytes[4] | (bytes[5] << 8) | (bytes[6] << 16) | (bytes[7] * 0x1000000);
    if (length < 8 || length > LIMITS.maxMovieBytes) throw new MovieError('movie length ' + length + ' is out of range');
    return { sig, version: bytes[3], length };
  }

  // Synchronous reader for uncompressed movies.
  function readMovieSync(bytes) {
    const h = checkHeader(bytes);
    if (h.sig !== 'FWS') throw new MovieError('compressed movie needs readMovie');
    if (bytes.length < h.length) throw new MovieError('movie is truncated');
    return finishMovie(readMovieBody(bytes.subarray(0, h.length), h.version, h.sig));
  }

  async function inflate(data, limit) {
    if (typeof DecompressionStream !== 'function') throw new MovieError('this browser cannot inflate compressed movies');
    const ds = new DecompressionStream('deflate');
    const writer = ds.writable.getWriter();
    const reader = ds.readable.getReader();
    const chunks = [];
    let total = 0;
    // Errors of the writer side are reported through the reader as well.
    writer.write(data).catch(() => {});
    writer.close().catch(() => {});
    try {
      for (;;) {
        const { value, done } = await reader.read();
        if (done) break;
        total += value.length;
        chunks.push(value);
        if (total >= limit) break;
      }
    } catch (e) {
      if (total === 0) throw new MovieError('compressed movie data is corrupt');
      // A truncated stream still yields what it had; the reader refuses the rest.
    } finally {
      reader.cancel().catch(() => {});
    }
    const out = new Uint8Array(Math.min(total, limit));
    let pos = 0;
    for (const c of chunks) {
      const n = Math.min(c.length, out.length - pos);
      out.set(c.subarray(0, n), pos);
      pos += n;
      if (pos >= out.length) break;
    }
    return out;
  }

  async function readMovie(input) {
    const bytes = input instanceof Uint8Array ? input : new Uint8Array(input);
    const h = checkHeader(bytes);
    if (h.sig === 'FWS') return readMovieSync(bytes);
    const body = await inflate(bytes.subarray(8), h.length - 8);
    if (body.length < h.length - 8) throw new MovieError('movie is truncated');
    const full = new Uint8Array(8 + body.length);
    full.set(bytes.subarray(0, 8));
    full.set(body, 8);
    return finishMovie(readMovieBody(full, h.version, h.sig));
  }

  function finishMovie(movie) {
    if (!movie.fonts.length) throw new MovieError('movie holds no font');
    if (!movie.fonts.some((f) => f.count > 0)) throw new MovieError('movie holds no glyphs');
    return movie;
  }

  // Picks the face for a requested weight and style the way browsers match fonts:
  // the style first (italic falls back to upright), then the nearest weight. The
  // result says what has to be synthesised.
  function pickFace(fonts, wantBold, wantItalic) {
    const usable = fonts.filter((f) => f.count > 0);
    const styled = usable.filter((f) => f.italic === wantItalic);
    const pool = styled.length ? styled : usable;
    const weighted = pool.filter((f) => f.bold === wantBold);
    const font = (weighted.length ? weighted : pool)[0];
    return { font, fakeBold: wantBold && !font.bold, fakeItalic: wantItalic && !font.italic };
  }

  // ---------------------------------------------------------------------------
  // Small CSS helpers
  // ---------------------------------------------------------------------------

  function parseRules(css) {
    const list = Array.isArray(css) ? css : (css ? [css] : []);
    const rules = {};
    for (const text of list) {
      const re = /([^{}]+)\{([^}]*)\}/g;
      let m;
      while ((m = re.exec(String(text)))) {
        const decl = {};
        for (const part of m[2].split(';')) {
          const c = part.indexOf(':');
          if (c < 0) continue;
          decl[part.slice(0, c).trim().toLowerCase()] = part.slice(c + 1).trim();
        }
        for (const sel of m[1].split(',')) {
          const key = sel.trim();
          rules[key] = Object.assign(rules[key] || {}, decl);
        }
      }
    }
    return rules;
  }

  function parseColour(value, fallback) {
    if (!value) return fallback;
    const v = String(value).trim();
    if (/^#[0-9a-f]{3}$/i.test(v)) return '#' + v[1] + v[1] + v[2] + v[2] + v[3] + v[3];
    if (/^#[0-9a-f]{6}$/i.test(v)) return v;
    if (/^0x[0-9a-f]{6}$/i.test(v)) return '#' + v.slice(2);
    if (/^(rgb|hsl)a?\(|^[a-z]+$/i.test(v)) return v;
    return fallback;
  }

  // Font family names as CSS and the font loading interface give them back.
  function unquote(name) {
    const t = String(name).trim();
    const m = /^(["'])(.*)\1$/.exec(t);
    return m ? m[2].replace(/\\(.)/g, '$1') : t;
  }

  function cssString(text) {
    return '"' + String(text).replace(/[\\"]/g, '\\$&').replace(/\n/g, '\\a ') + '"';
  }

  function isBoldWeight(value) {
    if (!value) return false;
    if (value === 'bold' || value === 'bolder') return true;
    const n = parseInt(value, 10);
    return !isNaN(n) && n >= 600;
  }

  function lengthPx(value, fontSize, fallback) {
    if (value === undefined || value === null || value === '' || value === 'normal') return fallback;
    const m = /^(-?[\d.]+)\s*(px|em|%|pt)?$/.exec(String(value).trim());
    if (!m) return fallback;
    const n = parseFloat(m[1]);
    switch (m[2]) {
      case 'em': return n * fontSize;
      case '%': return n * fontSize / 100;
      case 'pt': return n * 4 / 3;
      case 'px': return n;
      default: return n * fontSize; // unitless line-height
    }
  }

  function num(v, dflt) {
    if (v === true) return 1;
    if (v === false) return 0;
    const n = parseFloat(v);
    return isFinite(n) ? n : dflt;
  }

  function flag(v) {
    return v === true || v === 1 || v === '1' || v === 'true';
  }

  // ---------------------------------------------------------------------------
  // Filters: SVG equivalents of Flash's blur, drop shadow, glow and bevel
  // ---------------------------------------------------------------------------

  // Flash blurs with `quality` passes of a box blur `blur` pixels wide; repeated
  // box blurs add up to a Gaussian of the same variance.
  function blurSigma(blur, quality) {
    const b = Math.max(0, blur);
    const q = Math.max(1, Math.min(15, Math.round(quality) || 1));
    return b <= 1 ? 0 : Math.sqrt(q * (b * b - 1) / 12);
  }

  function filterMargin(filters) {
    let m = 0;
    for (const [kind, p] of Object.entries(filters || {})) {
      const q = num(p.quality, 1);
      const bx = num(p.blurX, kind === 'BlurFilter' ? 4 : (kind === 'Glow' ? 6 : 4));
      const by = num(p.blurY, bx);
      const d = Math.abs(num(p.distance, 0));
      m = Math.max(m, 3 * Math.max(blurSigma(bx, q), blurSigma(by, q)) + d + 2);
    }
    return Math.ceil(m);
  }

  function filterEntries(filters) {
    return Object.entries(filters || {}).filter(([k]) => k === 'BlurFilter' || k === 'DropShadow' || k === 'Glow' || k === 'Bevel');
  }

  // A lone filter whose graph CSS writes as a function: a blur, or a blurred, offset and
  // tinted copy of the shape laid under it (a drop shadow, an outer glow) at strength 1
  // and without knockout. Text takes it without SVG elements to make, style and keep
  // fitted to its box. Null when the filters need the SVG graph.
  function cssFilter(filters) {
    const entries = filterEntries(filters);
    if (entries.length !== 1 || entries[0][0] === 'Bevel') return null;
    const [kind, p] = entries[0];
    const q = num(p.quality, 1);
    const bx = num(p.blurX, kind === 'Glow' ? 6 : 4), by = num(p.blurY, bx);
    const sigma = blurSigma(bx, q);
    if (Math.abs(sigma - blurSigma(by, q)) > 1e-3) return null;
    if (kind === 'BlurFilter') return sigma ? 'blur(' + sigma.toFixed(3) + 'px)' : null;
    if (flag(p.inner) || flag(p.knockout) || num(p.strength, kind === 'Glow' ? 2 : 1) !== 1) return null;
    const colour = parseColour(p.color, kind === 'Glow' ? '#FF0000' : '#000000');
    if (!/^#[0-9a-f]{6}$/i.test(colour)) return null;
    const alpha = Math.max(0, Math.min(1, num(p.alpha, 1)));
    const rgb = [1, 3, 5].map((i) => parseInt(colour.slice(i, i + 2), 16)).join(', ');
    let dx = 0, dy = 0;
    if (kind === 'DropShadow') {
      const angle = num(p.angle, 45) * Math.PI / 180, dist = num(p.distance, 4);
      dx = Math.cos(angle) * dist;
      dy = Math.sin(angle) * dist;
    }
    // The length a shadow takes is twice the deviation of its blur.
    return 'drop-shadow(' + dx.toFixed(3) + 'px ' + dy.toFixed(3) + 'px ' + (2 * sigma).toFixed(3) + 'px rgba(' +
      rgb + ', ' + alpha + '))';
  }

  // That shadow is what text draws itself as a text shadow: the same copy of the letters
  // beneath them, painted with the letters instead of through a layer of its own, which
  // costs the page a fraction of a filter's drawing.
  function textShadow(filters) {
    const m = /^drop-shadow\((.*)\)$/.exec(cssFilter(filters) || '');
    return m ? m[1] : null;
  }

  function buildFilter(doc, id, filters, box) {
    const entries = filterEntries(filters);
    if (!entries.length) return null;
    const f = svgEl(doc, 'filter', {
      id, filterUnits: box.units || 'userSpaceOnUse', x: box.x, y: box.y, width: box.w, height: box.h,
      'color-interpolation-filters': 'sRGB'
    });
    let n = 0;
    const name = () => 'r' + (++n);
    const add = (tag, attrs) => { const e = svgEl(doc, tag, attrs); f.appendChild(e); return attrs.result; };
    const alphaOf = (input) => add('feColorMatrix', {
      in: input, type: 'matrix', values: '0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 1 0', result: name()
    });
    const blur = (input, bx, by, q) => {
      const sx = blurSigma(bx, q), sy = blurSigma(by, q);
      if (!sx && !sy) return input;
      return add('feGaussianBlur', { in: input, stdDeviation: sx.toFixed(3) + ' ' + sy.toFixed(3), result: name() });
    };
    const tint = (input, colour, alpha) => {
      const flood = add('feFlood', { 'flood-color': colour, 'flood-opacity': alpha, result: name() });
      return add('feComposite', { in: flood, in2: input, operator: 'in', result: name() });
    };
    const composite = (a, b, op) => add('feComposite', { in: a, in2: b, operator: op, result: name() });
    const merge = (under, over) => {
      const r = name();
      const m = svgEl(doc, 'feMerge', { result: r });
      m.appendChild(svgEl(doc, 'feMergeNode', { in: under }));
      m.appendChild(svgEl(doc, 'feMergeNode', { in: over }));
      f.appendChild(m);
      return r;
    };
    const strengthen = (input, strength) => {
      const r = name();
      const ct = svgEl(doc, 'feComponentTransfer', { in: input, result: r });
      ct.appendChild(svgEl(doc, 'feFuncA', { type: 'linear', slope: Math.max(0, strength), intercept: 0 }));
      f.appendChild(ct);
      return r;
    };

    let cur = 'SourceGraphic';
    for (const [kind, p] of entries) {
      const q = num(p.quality, 1);
      if (kind === 'BlurFilter') {
        const bx = num(p.blurX, 4), by = num(p.blurY, bx);
        cur = blur(cur, bx, by, q);
      } else if (kind === 'DropShadow') {
        const bx = num(p.blurX, 4), by = num(p.blurY, bx);
        const angle = num(p.angle, 45) * Math.PI / 180, dist = num(p.distance, 4);
        const alpha = Math.max(0, Math.min(1, num(p.alpha, 1)));
        let s = blur(alphaOf(cur), bx, by, q);
        s = add('feOffset', { in: s, dx: (Math.cos(angle) * dist).toFixed(3), dy: (Math.sin(angle) * dist).toFixed(3), result: name() });
        s = strengthen(s, num(p.strength, 1));
        if (flag(p.inner)) {
          s = composite(tint(composite(alphaOf(cur), s, 'out'), parseColour(p.color, '#000000'), alpha), alphaOf(cur), 'in');
          cur = flag(p.knockout) ? s : merge(cur, s);
        } else {
          s = tint(s, parseColour(p.color, '#000000'), alpha);
          cur = flag(p.knockout) ? composite(s, alphaOf(cur), 'out') : merge(s, cur);
        }
      } else if (kind === 'Glow') {
        const bx = num(p.blurX, 6), by = num(p.blurY, bx);
        const colour = parseColour(p.color, '#FF0000');
        const alpha = Math.max(0, Math.min(1, num(p.alpha, 1)));
        const a = alphaOf(cur);
        if (flag(p.inner)) {
          // The inside glow comes from the blurred outside of the shape.
          const outside = add('feComponentTransfer', { in: a, result: name() });
          f.lastChild.appendChild(svgEl(doc, 'feFuncA', { type: 'table', tableValues: '1 0' }));
          let g = strengthen(blur(outside, bx, by, q), num(p.strength, 2));
          g = composite(tint(g, colour, alpha), a, 'in');
          cur = flag(p.knockout) ? g : merge(cur, g);
        } else {
          let g = strengthen(blur(a, bx, by, q), num(p.strength, 2));
          g = tint(g, colour, alpha);
          cur = flag(p.knockout) ? composite(g, a, 'out') : merge(g, cur);
        }
      } else if (kind === 'Bevel') {
        const bx = num(p.blurX, 4), by = num(p.blurY, bx);
        const angle = num(p.angle, 45) * Math.PI / 180, dist = num(p.distance, 4);
        const dx = Math.cos(angle) * dist / 2, dy = Math.sin(angle) * dist / 2;
        const a = alphaOf(cur);
        const b = blur(a, bx, by, q);
        // Light falls from the side opposite the angle: edges facing it get the
        // highlight, edges facing away the shadow.
        const ahead = add('feOffset', { in: b, dx: (-dx).toFixed(3), dy: (-dy).toFixed(3), result: name() });
        const behind = add('feOffset', { in: b, dx: dx.toFixed(3), dy: dy.toFixed(3), result: name() });
        const k = num(p.strength, 1);
        let hi = add('feComposite', { in: ahead, in2: behind, operator: 'arithmetic', k1: 0, k2: k, k3: -k, k4: 0, result: name() });
        let sh = add('feComposite', { in: behind, in2: ahead, operator: 'arithmetic', k1: 0, k2: k, k3: -k, k4: 0, result: name() });
        hi = tint(hi, parseColour(p.highlightColor, '#FFFFFF'), Math.max(0, Math.min(1, num(p.highlightAlpha, 1))));
        sh = tint(sh, parseColour(p.shadowColor, '#000000'), Math.max(0, Math.min(1, num(p.shadowAlpha, 1))));
        let both = merge(sh, hi);
        const type = String(p.type || 'inner');
        if (type === 'inner') both = composite(both, a, 'in');
        else if (type === 'outer') both = composite(both, a, 'out');
        if (flag(p.knockout)) cur = both;
        else cur = type === 'outer' ? merge(both, cur) : merge(cur, both);
      }
    }
    return f;
  }

  // ---------------------------------------------------------------------------
  // Drawing
  // ---------------------------------------------------------------------------

  const SVG_NS = 'http://www.w3.org/2000/svg';
  const XLINK_NS = 'http://www.w3.org/1999/xlink';

  function svgEl(doc, tag, attrs) {
    const e = doc.createElementNS(SVG_NS, tag);
    if (attrs) for (const k in attrs) if (attrs[k] !== undefined && attrs[k] !== null) e.setAttribute(k, String(attrs[k]));
    return e;
  }

  function applyTransform(text, mode) {
    switch (mode) {
      case 'uppercase': return text.toUpperCase();
      case 'lowercase': return text.toLowerCase();
      case 'capitalize': return text.replace(/(^|\s)(\S)/g, (m, a, b) => a + b.toUpperCase());
      default: return text;
    }
  }

  // Flattens the element into characters, each remembering its link, with <br>
  // as a forced line end. Whitespace collapses as HTML collapses it. `rootLink` is
  // the link the whole element belongs to (an `a` tag replaced itself).
  function collectText(el, settings, transform, rootLink) {
    const chars = [];
    const walk = (node, link) => {
      for (const child of node.childNodes) {
        if (child.nodeType === 3) {
          let t = child.nodeValue;
          // A lone whitespace node between two elements is layout noise unless
          // the page asks to keep it.
          const between = child.previousSibling && child.previousSibling.nodeType === 1 &&
            child.nextSibling && child.nextSibling.nodeType === 1;
          if (!settings.preserveSingleWhitespace && between && /^\s+$/.test(t)) continue;
          // Soft hyphens and zero-width characters never show in running text.
          t = applyTransform(t.replace(/[\t\n\r\f ]+/g, ' ').replace(/[\u00AD\u200B-\u200D\uFEFF]/g, ''), transform);
          for (const ch of t) chars.push({ ch, link });
        } else if (child.nodeType === 1) {
          const tag = child.localName;
          if (tag === 'br') chars.push({ ch: '\n', link });
          else if (tag === 'script' || tag === 'style' || child.classList.contains('sIFR-flash')) continue;
          else walk(child, tag === 'a' && child.hasAttribute('href') ? child : link);
        }
      }
    };
    walk(el, rootLink || null);
    const out = [];
    for (const c of chars) {
      const last = out.length ? out[out.length - 1].ch : '\n';
      if (c.ch === ' ' && (last === ' ' || last === '\n')) continue;
      if (c.ch === '\n' && last === ' ') out.pop();
      out.push(c);
    }
    while (out.length && (out[out.length - 1].ch === ' ')) out.pop();
    return out;
  }

  let measureCtx = null;
  function fallbackWidth(ch, cssFont) {
    if (!measureCtx) measureCtx = document.createElement('canvas').getContext('2d');
    measureCtx.font = cssFont;
    return measureCtx.measureText(ch).width;
  }

  const HYPHENS = new Set(['-', '\u2010', '\u2013']);

  // Lays the characters out in lines no wider than `width` (0: no wrapping).
  function layout(chars, face, style, width) {
    const { font } = face;
    const s = style.size / font.units;
    const extra = face.fakeBold ? style.size * 0.04 : 0;
    const items = chars.map((c) => {
      const code = c.ch.codePointAt(0);
      const index = c.ch === '\n' ? -1 : (font.map.has(code) ? font.map.get(code) : -1);
      let adv;
      if (c.ch === '\n') adv = 0;
      else if (index >= 0) adv = glyphAdvance(font, index) * s + extra;
      else if (c.ch === ' ') adv = style.size * 0.25;
      else adv = fallbackWidth(c.ch, style.fallbackFont);
      return { ch: c.ch, link: c.link, code, index, adv, x: 0 };
    });
    for (let i = 0; i + 1 < items.length; i++) {
      const k = font.kerning.get(items[i].code * 65536 + items[i + 1].code);
      if (k && items[i].index >= 0 && items[i + 1].index >= 0) items[i].adv += k * s;
    }
    const lines = [];
    let line = [], lineWidth = 0;
    const flush = (forced) => {
      while (line.length && line[line.length - 1].ch === ' ') line.pop();
      lines.push({ items: line, forced });
      line = [];
      lineWidth = 0;
    };
    const fits = (w) => width <= 0 || lineWidth + w <= width + 0.01;
    // The width the text takes unwrapped, and its widest piece that never breaks:
    // the most and the least room the drawing asks of the page.
    let natural = 0, longest = 0, unwrapped = 0;
    let i = 0;
    while (i < items.length) {
      if (items[i].ch === '\n') { flush(true); unwrapped = 0; i++; continue; }
      if (items[i].ch === ' ') {
        if (line.length) { line.push(items[i]); lineWidth += items[i].adv; }
        if (unwrapped > 0) unwrapped += items[i].adv;
        i++;
        continue;
      }
      // A word may also break after a hyphen that follows a letter ("Hand-|poured").
      let j = i, w = 0;
      while (j < items.length && items[j].ch !== ' ' && items[j].ch !== '\n') {
        w += items[j].adv;
        j++;
        if (j - 1 > i && HYPHENS.has(items[j - 1].ch)) break;
      }
      longest = Math.max(longest, w);
      unwrapped += w;
      natural = Math.max(natural, unwrapped);
      if (line.length && !fits(w)) flush(false);
      for (let k = i; k < j; k++) {
        // A piece wider than the whole line breaks between characters rather than
        // sticking out of its box.
        if (line.length && !fits(items[k].adv)) flush(false);
        line.push(items[k]);
        lineWidth += items[k].adv;
      }
      i = j;
    }
    if (line.length || !lines.length) flush(true);
    for (const l of lines) {
      let x = 0;
      for (const it of l.items) { it.x = x; x += it.adv; }
      l.width = x;
    }
    lines.natural = natural;
    lines.longest = longest;
    return lines;
  }

  function glyphPath(cmds, ox, oy, s, skew) {
    const out = [];
    const px = (x, y) => (ox + (x - skew * y) * s).toFixed(2) + ' ' + (oy + y * s).toFixed(2);
    let started = false;
    for (let i = 0; i < cmds.length;) {
      const op = cmds[i];
      if (op === 0) {
        if (started) out.push('Z');
        out.push('M' + px(cmds[i + 1], cmds[i + 2]));
        started = true;
        i += 3;
      } else if (op === 1) {
        out.push('L' + px(cmds[i + 1], cmds[i + 2]));
        i += 3;
      } else {
        out.push('Q' + px(cmds[i + 1], cmds[i + 2]) + ' ' + px(cmds[i + 3], cmds[i + 4]));
        i += 5;
      }
    }
    if (started) out.push('Z');
    return out.join('');
  }

  let filterSerial = 0;

  const RTL = /[\u0590-\u08FF\uFB1D-\uFDFF\uFE70-\uFEFF]/;
  const STRONG = /[\p{L}\p{N}]/u;

  // Puts a line's characters in the order the eye reads them, with two embedding
  // levels: runs of right-to-left script reversed and, in a right-to-left paragraph,
  // the order of the runs too. Neutral characters between two runs of one direction
  // go with them, others with the paragraph.
  function visualOrder(items, rtlBase) {
    if (!rtlBase && !items.some((it) => RTL.test(it.ch))) return items;
    const dir = items.map((it) => (RTL.test(it.ch) ? 1 : (STRONG.test(it.ch) ? 0 : -1)));
    const base = rtlBase ? 1 : 0;
    const strong = dir.slice();
    for (let i = 0; i < dir.length; i++) {
      if (dir[i] >= 0) continue;
      let p = i - 1, n = i + 1;
      while (p >= 0 && dir[p] < 0) p--;
      while (n < dir.length && dir[n] < 0) n++;
      const before = p >= 0 ? dir[p] : base, after = n < dir.length ? dir[n] : base;
      strong[i] = before === after ? before : base;
    }
    const levels = strong.map((d) => (d === 1 ? 1 : (rtlBase ? 2 : 0)));
    const order = items.slice();
    for (let level = rtlBase ? 2 : 1; level >= 1; level--) {
      for (let i = 0; i < order.length;) {
        if (levels[i] < level) { i++; continue; }
        let j = i;
        while (j < order.length && levels[j] >= level) j++;
        order.splice(i, j - i, ...order.slice(i, j).reverse());
        levels.splice(i, j - i, ...levels.slice(i, j).reverse());
        i = j;
      }
    }
    let x = 0;
    for (const it of order) { it.x = x; x += it.adv; }
    return order;
  }

  // Builds the SVG drawing for one element.
  function draw(el, entry, face, style, width, rootLink) {
    const doc = el.ownerDocument;
    const { font } = face;
    const chars = collectText(el, entry.settings, style.textTransform, rootLink);
    const lines = layout(chars, face, style, width);
    const s = style.size / font.units;
    const ascent = font.ascent * s, descent = font.descent * s;
    const lineHeight = style.lineHeight > 0 ? style.lineHeight : (font.ascent + font.descent + Math.max(0, font.leading)) * s;
    const textWidth = lines.reduce((m, l) => Math.max(m, l.width), 0);
    const boxWidth = width > 0 ? width : Math.ceil(textWidth);
    let height = lines.length * lineHeight;
    if (!entry.settings.fitExactly) height = Math.max(height, style.naturalHeight || 0);
    height = Math.ceil(height);
    const skew = face.fakeItalic ? Math.tan(12 * Math.PI / 180) : 0;

    // The drawing asks the page for room as text does: its unwrapped width at most
    // (the width attribute), its widest unbreakable piece at least. It fills its box,
    // and has no viewBox: when the page narrows the box before the next redraw, the
    // drawing is cropped instead of shrunk.
    const svg = svgEl(doc, 'svg', {
      class: 'sIFR-flash', width: Math.ceil(lines.natural), height, 'aria-hidden': 'true', focusable: 'false'
    });
    svg.style.height = height + 'px';
    svg.style.width = width > 0 ? '100%' : boxWidth + 'px';
    svg.style.minWidth = Math.ceil(lines.longest) + 'px';
    svg.setAttribute('data-sifr-text', lines.map((l) => l.items.map((it) => it.ch).join('')).join('\n'));
    if (entry.wmode && entry.wmode !== 'transparent' && style.background) {
      svg.appendChild(svgEl(doc, 'rect', { x: 0, y: 0, width: boxWidth, height, fill: style.background }));
    }
    const group = svgEl(doc, 'g', { class: 'sIFR-text' });
    const margin = filterMargin(entry.filters);
    const filter = buildFilter(doc, 'sIFR-filter-' + (++filterSerial), entry.filters,
      { x: -margin, y: -margin, w: boxWidth + 2 * margin, h: height + 2 * margin });
    if (filter) {
      const defs = svgEl(doc, 'defs');
      defs.appendChild(filter);
      svg.appendChild(defs);
      group.setAttribute('filter', 'url(#' + filter.id + ')');
    }
    svg.appendChild(group);

    const missing = new Set();
    const links = [];
    let firstBaseline = 0;
    lines.forEach((line, li) => {
      const items = visualOrder(line.items, style.rtl);
      let offset = 0, spaceExtra = 0;
      const slack = boxWidth - line.width;
      if (style.align === 'center') offset = slack / 2;
      else if (style.align === 'right' || style.align === 'end') offset = slack;
      else if (style.align === 'justify' && !line.forced && slack > 0) {
        const spaces = items.filter((it) => it.ch === ' ').length;
        if (spaces) spaceExtra = slack / spaces;
      }
      const top = li * lineHeight;
      const baseline = top + (lineHeight - (ascent + descent)) / 2 + ascent;
      if (li === 0) firstBaseline = baseline;
      // Runs of characters sharing a link become one path (and one <a>).
      let shift = 0;
      let run = null;
      const runs = [];
      for (const it of items) {
        const x = offset + it.x + shift;
        if (it.ch === ' ') shift += spaceExtra;
        if (!run || run.link !== it.link) { run = { link: it.link, d: [], texts: [], x0: x, x1: x }; runs.push(run); }
        run.x1 = x + it.adv + (it.ch === ' ' ? spaceExtra : 0);
        if (it.index >= 0) {
          const cmds = glyphCommands(font, it.index);
          if (cmds.length) run.d.push(glyphPath(cmds, x, baseline, s, skew));
        } else if (it.ch !== ' ') {
          missing.add(it.ch);
          run.texts.push({ ch: it.ch, x });
        }
      }
      for (const r of runs) {
        const isLink = !!r.link;
        const colour = isLink ? style.linkColour : style.colour;
        let parent = group;
        if (isLink && r.link === rootLink) {
          // The element is the link itself: the page's own link takes the pointer.
          parent = svgEl(doc, 'g', { class: 'sIFR-link' });
          group.appendChild(parent);
          links.push({ a: parent, el: r.link, own: true });
        } else if (isLink) {
          const a = svgEl(doc, 'a', { href: r.link.getAttribute('href'), class: 'sIFR-link', tabindex: '-1' });
          a.setAttributeNS(XLINK_NS, 'xlink:href', r.link.getAttribute('href'));
          if (r.link.getAttribute('target')) a.setAttribute('target', r.link.getAttribute('target'));
          if (r.link.getAttribute('title')) a.appendChild(svgEl(doc, 'title')).textContent = r.link.getAttribute('title');
          // An invisible box makes the whole run clickable, not just the ink.
          a.appendChild(svgEl(doc, 'rect', {
            x: r.x0.toFixed(2), y: top.toFixed(2), width: Math.max(0, r.x1 - r.x0).toFixed(2), height: lineHeight.toFixed(2),
            fill: 'transparent'
          }));
          group.appendChild(a);
          parent = a;
          links.push({ a, el: r.link });
        }
        const ink = svgEl(doc, 'g', { fill: colour, class: isLink ? 'sIFR-ink sIFR-link-ink' : 'sIFR-ink' });
        if (face.fakeBold) {
          ink.setAttribute('stroke', colour);
          ink.setAttribute('stroke-width', (style.size * 0.04).toFixed(2));
          ink.setAttribute('stroke-linejoin', 'round');
        }
        if (r.d.length) ink.appendChild(svgEl(doc, 'path', { d: r.d.join('') }));
        for (const t of r.texts) {
          const te = svgEl(doc, 'text', {
            x: t.x.toFixed(2), y: baseline.toFixed(2), direction: 'ltr', 'font-size': style.size, 'font-family': style.fallbackFamily,
            'font-weight': style.bold ? 'bold' : 'normal', 'font-style': style.italic ? 'italic' : 'normal', stroke: 'none'
          });
          te.textContent = t.ch;
          ink.appendChild(te);
        }
        const underline = isLink ? (style.linkUnderline !== null ? style.linkUnderline : style.underline) : style.underline;
        if (underline) {
          const thick = Math.max(1, style.size / 16);
          ink.appendChild(svgEl(doc, 'rect', {
            x: r.x0.toFixed(2), y: (baseline + Math.max(thick, descent * 0.35)).toFixed(2),
            width: Math.max(0, r.x1 - r.x0).toFixed(2), height: thick.toFixed(2), stroke: 'none'
          }));
        }
        parent.appendChild(ink);
      }
    });
    return { svg, missing, links, width: boxWidth, height, baseline: firstBaseline };
  }

  // ---------------------------------------------------------------------------
  // The runtime
  // ---------------------------------------------------------------------------

  function createRuntime(win) {
    const doc = win.document;
    const sIFR = {
      useStyleCheck: false,
      fixHover: true,
      fitExactly: false,
      repaintOnResize: true,
      preserveSingleWhitespace: false,
      fromLocal: true,
      autoInitialize: true,
      forceTextTransform: true,
      fetchTimeout: 10000,
      isActive: false,
      done: false,
      replacements: [],
      version: 'Glyphara 4.1'
    };
    const movies = new Map();
    const queue = [];
    const warned = new Set();
    const missingReported = new Map();
    const reportedChars = new Set();
    let started = false;
    let pending = 0;
    let doneResolve;
    sIFR.ready = new Promise((r) => { doneResolve = r; });

    const log = (kind, text) => {
      if (warned.has(text)) return;
      warned.add(text);
      (kind === 'error' ? console.error : console.warn)('sIFR: ' + text);
    };

    function movieUrl(font) {
      return new URL(font.src, doc.baseURI).href;
    }

    // ---- The web-font path: the element's own text, styled with the font the kit
    // built from the movie ----

    // The family under which the kit declares a movie's faces: the movie's file name
    // without ".swf".
    function familyOf(font) {
      if (!font || typeof font.src !== 'string' || !font.src) return '';
      let name;
      try {
        name = new URL(font.src, doc.baseURI).pathname.split('/').pop();
        name = decodeURIComponent(name);
      } catch (e) {
        return '';
      }
      return /\.swf$/i.test(name) ? name.slice(0, -4) : '';
    }

    function declaresFamily(family) {
      if (!family || !doc.fonts || typeof doc.fonts.forEach !== 'function') return false;
      let found = false;
      doc.fonts.forEach((face) => { if (unquote(face.family) === family) found = true; });
      return found;
    }

    const faceLoads = new Map();
    function facesLoaded(query, text) {
      try {
        return typeof doc.fonts.check !== 'function' || doc.fonts.check(query, text);
      } catch (e) {
        return true;
      }
    }
    function loadFace(family, style, text) {
      const query = (style.italic ? 'italic ' : '') + (style.bold ? 'bold ' : '') + '16px ' + cssString(family);
      const key = query + '\n' + text;
      // A face loaded before may have been declared anew since (its sheet written
      // again): the browser then loads it once more, and a drawing waits for that too.
      const known = faceLoads.get(key);
      if (known && known.loaded && !facesLoaded(query, text)) faceLoads.delete(key);
      if (!faceLoads.has(key)) {
        const load = Promise.resolve().then(() => doc.fonts.load(query, text)).then((faces) => {
          if (!faces.length || faces.some((f) => f.status === 'error')) throw new Error('the browser found no face to use');
        });
        let timer;
        const late = new Promise((resolve, reject) => {
          timer = setTimeout(() => reject(new Error('timed out after ' + sIFR.fetchTimeout + ' ms')), sIFR.fetchTimeout);
        });
        const p = Promise.race([load, late]).finally(() => clearTimeout(timer));
        p.then(() => { p.loaded = true; }, () => {});
        faceLoads.set(key, p);
      }
      return faceLoads.get(key);
    }

    function useWebFonts(looks) {
      const css = looks.map((l) => lookRules(l)).join('');
      if (!lookSheet || !lookSheet.isConnected) {
        lookSheet = doc.createElement('style');
        lookSheet.id = 'sIFR-looks';
        (doc.head || doc.documentElement).appendChild(lookSheet);
      }
      if (looksStale) lookSheet.textContent = css;
      else lookSheet.appendChild(doc.createTextNode(css));
      looksStale = false;
      for (const { job, elements, family, style, cls } of looks) {
        for (const el of elements) dress(el, job, cls);
        const text = Array.from(new Set(elements.map((el) => el.textContent).join('').replace(/\s+/g, ''))).join('').slice(0, 200);
        loadFace(family, style, text || ' ').then(() => {
          // With its font the text has its own size: the filters' regions follow it.
          const filters = elements.map((el) => el.__sIFRFont && el.__sIFRFont.filter).filter(Boolean);
          const boxes = filters.map((f) => f.measure());
          filters.forEach((f, i) => f.apply(boxes[i]));
          for (const el of elements) {
            sIFR.replacements.push(el);
            settle();
          }
        }, (e) => {
          log('warn', 'the web font "' + family + '" could not be loaded (' + (e && e.message || e) + '); drawn from its movie');
          for (const el of elements) undress(el);
          drawAll(job, elements);
        });
      }
    }

    let lookSheet = null;
    let looksStale = false;
    let lookSerial = 0;
    // One class per replace call, with the look its css asks for. The rules are
    // marked important because the design, not the page around it, decides the look,
    // as it does for a drawing.
    function lookRules(look) {
      const { job, family, style } = look;
      look.cls = 'sIFR-look-' + (++lookSerial);
      const c = '.' + look.cls;
      const rootRule = parseRules(job.options.css)['.sIFR-root'] || {};
      const others = String(style.fallbackFamily || '').split(',').map((f) => f.trim())
        .filter((f) => f && unquote(f) !== family);
      // Values from the page's css go into a style sheet: only plain ones.
      const plain = (v, fallback) => (/^[\w#%().,\s-]+$/.test(String(v)) ? String(v) : fallback);
      const own = [
        ['font-family', [cssString(family)].concat(others).join(', ')],
        ['font-size', (+style.size || 16) + 'px'],
        ['font-weight', style.bold ? 'bold' : 'normal'],
        ['font-style', style.italic ? 'italic' : 'normal'],
        ['color', plain(style.colour, 'inherit')],
        ['text-align', plain(style.align, 'left')],
        ['text-decoration', style.underline ? 'underline' : 'none']
      ];
      if (style.lineHeight > 0) own.push(['line-height', style.lineHeight + 'px']);
      if (!sIFR.forceTextTransform) own.push(['text-transform', 'none']);
      else if (rootRule['text-transform']) own.push(['text-transform', plain(rootRule['text-transform'], 'none')]);
      const linkUnderline = style.linkUnderline !== null ? style.linkUnderline : style.underline;
      const link = [['color', plain(style.linkColour, 'inherit')], ['text-decoration', linkUnderline ? 'underline' : 'none']];
      const block = (sel, decls) => sel.join(', ') + ' { ' + decls.map(([k, v]) => k + ': ' + v + ' !important;').join(' ') + ' }\n';
      // Links inside take the element's font and no box of their own, as in a drawing
      // (a box would throw the filters' shadows); an `a` tag is a link itself.
      const css = block([c], own) +
        block([c + ' a'], [['font', 'inherit'], ['background', 'transparent']]) +
        block([c + ' a:link', c + ' a:visited', 'a' + c + ':link', 'a' + c + ':visited'], link) +
        block([c + ' a:link:hover', c + ' a:visited:hover', c + ' a:link:focus-visible', c + ' a:visited:focus-visible',
          'a' + c + ':link:hover', 'a' + c + ':visited:hover', 'a' + c + ':link:focus-visible', 'a' + c + ':visited:focus-visible'],
        [['color', plain(style.hoverColour, 'inherit')]]);
      return css;
    }

    let filterDefs = null;
    // The filters of every element live in one inline SVG; the text points at its
    // filter with CSS. The filter's region follows the text's box.
    function filterFor(text, el, filters) {
      if (!filterDefs || !filterDefs.isConnected) {
        const svg = svgEl(doc, 'svg', { class: 'sIFR-filters', width: 0, height: 0, 'aria-hidden': 'true', focusable: 'false' });
        // Not display: none, which would switch the filters off in some browsers.
        svg.style.cssText = 'position: absolute; left: 0; top: 0; width: 0; height: 0; overflow: hidden;';
        filterDefs = svg.appendChild(svgEl(doc, 'defs'));
        (doc.body || doc.documentElement).appendChild(svg);
      }
      const margin = filterMargin(filters);
      // The region is the text's box and the margin its effects need, given as shares
      // of that box, which every browser places alike (WebKit puts user space
      // elsewhere). It is first set once the text has its font (before, the text is
      // not shown), and measured (read) apart from being set (written), so that many
      // regions cost the page one layout. A changed region is a new filter: browsers
      // do not all redraw for a changed one.
      let region = '';
      const measure = () => {
        const t = text.getBoundingClientRect();
        return [t.width, t.height];
      };
      const state = { element: null, observer: null, measure };
      state.apply = (box) => {
        const [w, h] = box;
        if (!(w > 0 && h > 0) || region === box.join()) return;
        region = box.join();
        const f = buildFilter(doc, 'sIFR-filter-' + (++filterSerial), filters, {
          units: 'objectBoundingBox', x: (-margin / w).toFixed(4), y: (-margin / h).toFixed(4),
          w: (1 + 2 * margin / w).toFixed(4), h: (1 + 2 * margin / h).toFixed(4)
        });
        filterDefs.appendChild(f);
        text.style.filter = 'url(#' + f.id + ')';
        if (state.element) state.element.remove();
        state.element = f;
        if (!state.observer && typeof win.ResizeObserver === 'function') {
          state.observer = new win.ResizeObserver(() => state.apply(measure()));
          // Text in a line is not observed for its size; the block around it is.
          state.observer.observe(/^inline/.test(win.getComputedStyle(el).display) && el.parentElement ? el.parentElement : el);
        }
      };
      return state;
    }

    function dress(el, job, look) {
      if (el.__sIFRFont) undress(el);
      el.classList.add('sIFR-webfont', look);
      const state = { look, text: null, filter: null };
      el.__sIFRFont = state;
      if (!filterEntries(job.options.filters).length) return;
      // A filter works on the text alone, not on the box's background: the element's
      // content moves into one span that carries it.
      const text = doc.createElement('span');
      text.className = 'sIFR-text';
      while (el.firstChild) text.appendChild(el.firstChild);
      el.appendChild(text);
      state.text = text;
      const shadow = textShadow(job.options.filters);
      if (shadow) text.style.textShadow = shadow;
      if (shadow && text.style.textShadow) return;
      const css = cssFilter(job.options.filters);
      if (css) text.style.filter = css;
      if (!css || !text.style.filter) state.filter = filterFor(text, el, job.options.filters);
    }

    function undress(el) {
      const state = el.__sIFRFont;
      if (!state) return;
      el.classList.remove('sIFR-webfont', state.look);
      if (!el.classList.length) el.removeAttribute('class');
      if (state.filter) {
        if (state.filter.observer) state.filter.observer.disconnect();
        if (state.filter.element) state.filter.element.remove();
      }
      if (state.text) {
        while (state.text.firstChild) el.insertBefore(state.text.firstChild, state.text);
        state.text.remove();
      }
      el.__sIFRFont = null;
    }

    // ---- The drawing path: the movie read and drawn ----

    function loadMovie(font) {
      if (!font || typeof font.src !== 'string' || !font.src) {
        return Promise.reject(new MovieError('font object has no src'));
      }
      const url = movieUrl(font);
      if (movies.has(url)) return movies.get(url);
      const p = (async () => {
        if (win.location.protocol === 'file:' && !sIFR.fromLocal) {
          throw new MovieError('movies are not read from local files (sIFR.fromLocal is false)');
        }
        if (win.location.protocol === 'file:' && new URL(url).protocol === 'file:') {
          // Browsers that allow it at all read local files through XMLHttpRequest only.
          return readMovie(new Uint8Array(await readLocal(url)));
        }
        const ctrl = typeof AbortController === 'function' ? new AbortController() : null;
        const timer = ctrl ? setTimeout(() => ctrl.abort(), sIFR.fetchTimeout) : null;
        let buf;
        try {
          const res = await win.fetch(url, ctrl ? { signal: ctrl.signal } : undefined);
          if (!res.ok && !(res.status === 0 && win.location.protocol === 'file:')) {
            throw new MovieError('HTTP ' + res.status);
          }
          const len = parseInt(res.headers.get('content-length') || '0', 10);
          if (len > LIMITS.maxMovieBytes) throw new MovieError('movie is too large');
          buf = await readBody(res);
        } catch (e) {
          if (e && e.name === 'AbortError') throw new MovieError('timed out after ' + sIFR.fetchTimeout + ' ms');
          throw e instanceof MovieError ? e : new MovieError('could not be loaded (' + (e && e.message || e) + ')');
        } finally {
          if (timer) clearTimeout(timer);
        }
        if (buf.byteLength > LIMITS.maxMovieBytes) throw new MovieError('movie is too large');
        return readMovie(new Uint8Array(buf));
      })();
      movies.set(url, p);
      p.catch(() => {});
      return p;
    }

    // Reads a response body, giving up as soon as it outgrows the movie limit
    // (a server need not announce its length).
    async function readBody(res) {
      if (!res.body || typeof res.body.getReader !== 'function') return res.arrayBuffer();
      const reader = res.body.getReader();
      const chunks = [];
      let total = 0;
      for (;;) {
        const { value, done } = await reader.read();
        if (done) break;
        total += value.length;
        if (total > LIMITS.maxMovieBytes) {
          reader.cancel().catch(() => {});
          throw new MovieError('movie is too large');
        }
        chunks.push(value);
      }
      const out = new Uint8Array(total);
      let pos = 0;
      for (const c of chunks) { out.set(c, pos); pos += c.length; }
      return out.buffer;
    }

    function readLocal(url) {
      return new Promise((resolve, reject) => {
        const xhr = new win.XMLHttpRequest();
        xhr.open('GET', url);
        xhr.responseType = 'arraybuffer';
        xhr.timeout = sIFR.fetchTimeout;
        xhr.onload = () => {
          const buf = xhr.response;
          if (buf && buf.byteLength > LIMITS.maxMovieBytes) reject(new MovieError('movie is too large'));
          else if (buf && buf.byteLength) resolve(buf);
          else reject(new MovieError('could not be read from the local disk'));
        };
        xhr.onerror = () => {
          const e = new MovieError('the browser does not let pages read local files; open the page through a web server');
          e.local = true;
          reject(e);
        };
        xhr.ontimeout = () => reject(new MovieError('timed out after ' + sIFR.fetchTimeout + ' ms'));
        xhr.send();
      });
    }

    sIFR.activate = function (...fonts) {
      sIFR.isActive = true;
      // A movie with a web font is never fetched: the browser loads the font itself.
      for (const f of fonts) if (f && f.src && !declaresFamily(familyOf(f))) loadMovie(f);
    };

    sIFR.replace = function (font, options) {
      const opts = options || {};
      queue.push({ font, options: opts });
      if (!sIFR.isActive) sIFR.activate(font);
      // The face a web font tag needs is asked for now, while the page still loads,
      // not when the document is ready.
      const family = familyOf(font);
      if (declaresFamily(family)) {
        const root = parseRules(opts.css)['.sIFR-root'] || {};
        loadFace(family, { bold: isBoldWeight(root['font-weight']), italic: /italic|oblique/.test(root['font-style'] || '') }, ' ');
      }
      if (started) runQueue();
      else if (sIFR.autoInitialize) scheduleStart();
    };

    sIFR.initialize = function () {
      if (started) return;
      started = true;
      ensureReady().then(runQueue);
    };

    // Gives every element styled with a web font its own content and classes back and
    // takes away the filters the runtime put in the page for them, so that replace calls
    // made afterwards style the same elements anew. A page with drawings is left as it
    // is: false.
    sIFR.restore = function () {
      if (sIFR.replacements.some((el) => el.__sIFRDrawing || !el.__sIFRFont)) return false;
      for (const el of sIFR.replacements) {
        undress(el);
        el.__sIFR = undefined;
      }
      sIFR.replacements.length = 0;
      // The sheet stays, to be written over by the next looks: a new sheet for every
      // restyle costs the page more than new rules in the same one.
      looksStale = true;
      // No look is left: the next ones take the same names again.
      lookSerial = 0;
      if (filterDefs && filterDefs.parentNode) filterDefs.parentNode.remove();
      filterDefs = null;
      sIFR.done = false;
      doc.documentElement.removeAttribute('data-sifr-done');
      // The replace calls that follow are read together, as on the page's first start.
      started = false;
      startScheduled = false;
      return true;
    };

    let startScheduled = false;
    function scheduleStart() {
      if (startScheduled) return;
      startScheduled = true;
      // Settings lines may follow the first replace call; read them once the
      // document is ready.
      const go = () => { if (sIFR.autoInitialize) sIFR.initialize(); };
      if (doc.readyState === 'loading') doc.addEventListener('DOMContentLoaded', go, { once: true });
      else Promise.resolve().then(go);
    }

    // With useStyleCheck, wait until sIFR-screen.css has been applied so the
    // replaced elements do not flash unstyled.
    function ensureReady() {
      if (!sIFR.useStyleCheck) return Promise.resolve();
      const probe = doc.createElement('div');
      probe.className = 'sIFR-styleCheck';
      (doc.body || doc.documentElement).appendChild(probe);
      const started = Date.now();
      return new Promise((resolve) => {
        const check = () => {
          const ok = win.getComputedStyle(probe).zIndex === '7';
          if (ok || Date.now() - started > 3000) { probe.remove(); resolve(); } else setTimeout(check, 20);
        };
        check();
      });
    }

    function runQueue() {
      const batch = [];
      const seen = new Set();
      while (queue.length) {
        const job = queue.shift();
        const selector = job.options.selector;
        let elements = [];
        try {
          elements = selector ? Array.from(doc.querySelectorAll(selector)) : [];
        } catch (e) {
          log('error', 'invalid selector "' + selector + '"');
          continue;
        }
        for (const el of elements) {
          if (seen.has(el) || el.classList.contains('sIFR-replaced') || el.__sIFR) continue;
          seen.add(el);
          batch.push({ el, job });
        }
      }
      const byJob = new Map();
      for (const { el, job } of chooseOnce(batch)) {
        if (!byJob.has(job)) byJob.set(job, []);
        byJob.get(job).push(el);
      }
      // Everything the web font looks need is read before anything is written, so
      // that the page works out its style once, not once per tag.
      const looks = [];
      for (const [job, elements] of byJob) {
        pending += elements.length;
        for (const el of elements) el.__sIFR = { job };
        const family = familyOf(job.font);
        if (declaresFamily(family)) looks.push({ job, elements, family, style: readStyle(elements[0], job) });
        else drawAll(job, elements);
      }
      if (looks.length) useWebFonts(looks);
      if (!pending) finish();
    }

    // Every piece of text gets one look. An element inside another replaced one is
    // part of the outer one's text (a link in a heading takes the heading's link
    // colours), except where the outer one only wraps blocks that are replaced
    // themselves (a link around a heading): the blocks keep their own look and the
    // wrapper is left to the page.
    function chooseOnce(batch) {
      const targets = new Set(batch.map((b) => b.el));
      const wrappers = new Set();
      for (const el of targets) {
        if (/^inline/.test(win.getComputedStyle(el).display)) continue;
        for (let a = el.parentElement; a; a = a.parentElement) if (targets.has(a)) wrappers.add(a);
      }
      const owned = (el) => {
        for (let a = el.parentElement; a; a = a.parentElement) {
          if ((targets.has(a) && !wrappers.has(a)) || a.__sIFRDrawing || a.__sIFRFont) return true;
        }
        return false;
      };
      return batch.filter(({ el }) => !wrappers.has(el) && !owned(el));
    }

    function drawAll(job, elements) {
      const moviePromise = loadMovie(job.font);
      for (const el of elements) {
        moviePromise.then((movie) => {
          try {
            replaceElement(el, job, movie);
          } catch (e) {
            fail(el, job, e);
          }
        }, (e) => fail(el, job, e)).finally(settle);
      }
    }

    function fail(el, job, e) {
      el.__sIFR = null;
      if (e && e.local) {
        log('warn', 'this page was opened from a file, and browsers do not let scripts read font movies there: ' +
          'tags whose movie has no web font keep the page\'s font. Open the page through a web server to see them drawn.');
      } else {
        const src = job.font && job.font.src ? job.font.src : '(no movie)';
        log('error', src + ' could not be used for "' + job.options.selector + '": ' + (e && e.message || e) +
          '; the text keeps its page style');
      }
      const r = el.__sIFRDrawing;
      if (r) restore(el);
    }

    function settle() {
      pending--;
      if (pending === 0) finish();
    }

    function finish() {
      for (const [src, set] of missingReported) {
        const fresh = Array.from(set).filter((c) => !reportedChars.has(src + '\n' + c));
        if (fresh.length) {
          for (const c of fresh) reportedChars.add(src + '\n' + c);
          log('warn', src + ' lacks ' + fresh.map((c) => '"' + c + '" (U+' +
            c.codePointAt(0).toString(16).toUpperCase().padStart(4, '0') + ')').join(', ') +
            '; drawn in the browser\'s font');
        }
      }
      sIFR.done = true;
      doc.documentElement.setAttribute('data-sifr-done', 'true');
      doneResolve(sIFR.replacements.length);
      win.dispatchEvent(new win.CustomEvent('sifr:done', { detail: { replaced: sIFR.replacements.length } }));
    }

    function readStyle(el, job) {
      const rules = parseRules(job.options.css);
      const rootRule = rules['.sIFR-root'] || {};
      const cs = win.getComputedStyle(el);
      const size = lengthPx(rootRule['font-size'], parseFloat(cs.fontSize) || 16, parseFloat(cs.fontSize) || 16);
      const linkRule = Object.assign({}, rules.a || {}, rules['a:link'] || {});
      const hoverRule = rules['a:hover'] || {};
      const colour = parseColour(rootRule.color, cs.color);
      const deco = (v) => (v === undefined ? null : /underline/.test(v));
      const align = (rootRule['text-align'] || cs.textAlign || 'left').toLowerCase();
      return {
        size,
        colour,
        background: parseColour(rootRule['background-color'], null),
        linkColour: parseColour(linkRule.color, colour),
        hoverColour: parseColour(hoverRule.color, parseColour(linkRule.color, colour)),
        underline: /underline/.test(rootRule['text-decoration'] || ''),
        linkUnderline: deco(linkRule['text-decoration']),
        align: align === 'start' ? 'left' : align,
        bold: isBoldWeight(rootRule['font-weight'] || cs.fontWeight),
        italic: /italic|oblique/.test(rootRule['font-style'] || cs.fontStyle),
        lineHeight: lengthPx(rootRule['line-height'], size, 0),
        textTransform: sIFR.forceTextTransform ? (rootRule['text-transform'] || cs.textTransform) : 'none',
        fallbackFamily: cs.fontFamily,
        rtl: cs.direction === 'rtl',
        fallbackFont: (/italic|oblique/.test(rootRule['font-style'] || '') ? 'italic ' : '') +
          (isBoldWeight(rootRule['font-weight']) ? 'bold ' : '') + size + 'px ' + cs.fontFamily
      };
    }

    function contentWidth(el) {
      const cs = win.getComputedStyle(el);
      if (cs.display.startsWith('inline') && cs.display !== 'inline-block') return 0;
      return Math.max(0, el.clientWidth - (parseFloat(cs.paddingLeft) || 0) - (parseFloat(cs.paddingRight) || 0));
    }

    function replaceElement(el, job, movie) {
      if (!el.isConnected) return;
      const previous = el.__sIFRDrawing;
      if (previous && previous.observer) previous.observer.disconnect();
      if (previous && previous.unhook) previous.unhook.abort();
      const style = readStyle(el, job);
      const cs = win.getComputedStyle(el);
      style.naturalHeight = el.clientHeight - (parseFloat(cs.paddingTop) || 0) - (parseFloat(cs.paddingBottom) || 0);
      const face = pickFace(movie.fonts, style.bold, style.italic);
      const entry = {
        settings: {
          fitExactly: sIFR.fitExactly,
          preserveSingleWhitespace: sIFR.preserveSingleWhitespace
        },
        filters: job.options.filters || {},
        wmode: job.options.wmode
      };
      let width = contentWidth(el);
      const rootLink = el.localName === 'a' && el.hasAttribute('href') ? el : null;
      const inline = win.getComputedStyle(el).display === 'inline';
      const result = draw(el, entry, face, style, width, rootLink);
      if (inline) fitInline(result);

      // Wrap the original content so that it stays readable by everything but the eye.
      const alt = doc.createElement('span');
      alt.className = 'sIFR-alternate';
      while (el.firstChild) alt.appendChild(el.firstChild);
      el.appendChild(alt);
      el.appendChild(result.svg);
      el.__sIFRDrawing = { alt, svg: result.svg, style, face, entry, rootLink, inline };
      el.classList.add('sIFR-replaced');
      hookLinks(el, result.links, style);
      // A box that fits its content (a flex item, a float) takes its width from the
      // drawing: draw again for the width it settled at.
      if (!inline) {
        const settled = contentWidth(el);
        if (Math.abs(settled - width) >= 0.5) {
          width = settled;
          redraw(el, width);
        }
      }

      const src = job.font.src;
      if (!missingReported.has(src)) missingReported.set(src, new Set());
      for (const c of result.missing) missingReported.get(src).add(c);
      sIFR.replacements.push(el);

      // Observed even at width 0: an element hidden now may be shown later.
      if (sIFR.repaintOnResize && typeof win.ResizeObserver === 'function') {
        let last = width;
        let frame = 0;
        const ro = new win.ResizeObserver(() => {
          if (frame) return;
          frame = win.requestAnimationFrame(() => {
            frame = 0;
            const w = contentWidth(el);
            if (Math.abs(w - last) < 0.5 || !el.__sIFRDrawing) return;
            last = w;
            redraw(el, w);
          });
        });
        ro.observe(el);
        el.__sIFRDrawing.observer = ro;
      }
    }

    function redraw(el, width) {
      const d = el.__sIFRDrawing;
      // Draw from the original content, which is what collectText reads.
      const probe = d.alt;
      const result = draw(probe, d.entry, d.face, d.style, width, d.rootLink);
      if (d.inline) fitInline(result);
      d.svg.replaceWith(result.svg);
      d.svg = result.svg;
      hookLinks(el, result.links, d.style);
    }

    // Inside a line of text the drawing stands on the line's baseline.
    function fitInline(result) {
      result.svg.classList.add('sIFR-inline');
      result.svg.style.verticalAlign = (result.baseline - result.height).toFixed(2) + 'px';
    }

    function restore(el) {
      const d = el.__sIFRDrawing;
      if (!d) return;
      if (d.observer) d.observer.disconnect();
      if (d.unhook) d.unhook.abort();
      d.svg.remove();
      while (d.alt.firstChild) el.insertBefore(d.alt.firstChild, d.alt);
      d.alt.remove();
      el.classList.remove('sIFR-replaced');
      el.__sIFRDrawing = null;
    }

    // Hover colours follow the pointer; fixHover also drops a hover state that
    // outlived the pointer (a click that navigated and came back, a lost leave event).
    function hookLinks(el, links, style) {
      // Listeners of an earlier drawing of this element go with it.
      const d = el.__sIFRDrawing;
      if (d.unhook) d.unhook.abort();
      d.unhook = new AbortController();
      const opts = { signal: d.unhook.signal };
      const offs = [];
      const hooked = new Set();
      for (const link of links) {
        const { a, el: orig } = link;
        link.set = (hover) => {
          const c = hover ? style.hoverColour : style.linkColour;
          for (const ink of a.querySelectorAll('.sIFR-link-ink')) {
            ink.setAttribute('fill', c);
            if (ink.hasAttribute('stroke')) ink.setAttribute('stroke', c);
          }
          a.classList.toggle('sIFR-hover', hover);
        };
        // Every run of the same original link (a link may wrap) lights up together.
        const runs = () => links.filter((l) => l.el === orig);
        const on = () => runs().forEach((l) => l.set(true));
        const off = () => runs().forEach((l) => l.set(false));
        if (!link.own) {
          a.addEventListener('pointerenter', on, opts);
          a.addEventListener('pointerleave', off, opts);
        }
        if (hooked.has(orig)) continue;
        hooked.add(orig);
        // The page's own link, under the drawing, takes the pointer when the element
        // is the link; when it takes the keyboard, its focus ring is shown on the drawing.
        if (link.own) {
          orig.addEventListener('pointerenter', on, opts);
          orig.addEventListener('pointerleave', off, opts);
        }
        orig.addEventListener('focus', () => {
          on();
          const ring = !link.own && orig.matches(':focus-visible');
          runs().forEach((l) => l.a.classList.toggle('sIFR-focus', ring));
        }, opts);
        orig.addEventListener('blur', () => {
          off();
          runs().forEach((l) => l.a.classList.remove('sIFR-focus'));
        }, opts);
        offs.push(off);
      }
      if (sIFR.fixHover && offs.length) {
        const reset = () => offs.forEach((f) => f());
        win.addEventListener('pageshow', reset, opts);
        doc.addEventListener('visibilitychange', reset, opts);
        doc.documentElement.addEventListener('pointerleave', reset, opts);
      }
    }

    return sIFR;
  }

  const api = {
    readMovie, readMovieSync, glyphCommands, glyphAdvance, pickFace, parseRules, blurSigma,
    filterMargin, buildFilter, cssFilter, textShadow, MovieError, LIMITS
  };

  if (typeof module === 'object' && module && module.exports) {
    module.exports = api;
  }
  if (typeof root.document !== 'undefined' && root.document && !root.sIFR) {
    root.sIFR = createRuntime(root);
    root.sIFR.reader = api;
  }
})(typeof globalThis !== 'undefined' ? globalThis : this);
