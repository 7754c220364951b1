'use strict';
// Test helpers: a small TrueType reader and a font movie writer, written from the
// file format documentation independently of the maker and of the runtime's reader,
// so that each can check the other.

const fs = require('fs');
const zlib = require('zlib');

function readTtf(path) {
  const b = fs.readFileSync(path);
  const tables = {};
  const n = b.readUInt16BE(4);
  for (let i = 0; i < n; i++) {
    const rec = 12 + 16 * i;
    tables[b.toString('latin1', rec, rec + 4)] = { off: b.readUInt32BE(rec + 8), len: b.readUInt32BE(rec + 12) };
  }
  const head = tables.head.off, hhea = tables.hhea.off;
  const font = {
    unitsPerEm: b.readUInt16BE(head + 18),
    ascent: b.readInt16BE(hhea + 4),
    descent: -b.readInt16BE(hhea + 6),
    lineGap: b.readInt16BE(hhea + 8),
    numGlyphs: b.readUInt16BE(tables.maxp.off + 4)
  };
  const longLoca = b.readInt16BE(head + 50) === 1;
  const nMetrics = b.readUInt16BE(hhea + 34);
  font.advance = (g) => b.readUInt16BE(tables.hmtx.off + 4 * Math.min(g, nMetrics - 1));
  const loca = (g) => longLoca ? b.readUInt32BE(tables.loca.off + 4 * g) : 2 * b.readUInt16BE(tables.loca.off + 2 * g);

  // Unicode cmap, format 4 (BMP).
  font.cmap = new Map();
  const cm = tables.cmap.off;
  const nSub = b.readUInt16BE(cm + 2);
  for (let i = 0; i < nSub; i++) {
    const pid = b.readUInt16BE(cm + 4 + 8 * i), eid = b.readUInt16BE(cm + 6 + 8 * i);
    const st = cm + b.readUInt32BE(cm + 8 + 8 * i);
    if (!(pid === 3 && eid === 1) || b.readUInt16BE(st) !== 4) continue;
    const segs = b.readUInt16BE(st + 6) / 2;
    const ends = st + 14, starts = ends + 2 * segs + 2, deltas = starts + 2 * segs, ranges = deltas + 2 * segs;
    for (let s = 0; s < segs; s++) {
      const e = b.readUInt16BE(ends + 2 * s), a = b.readUInt16BE(starts + 2 * s);
      const d = b.readInt16BE(deltas + 2 * s), ro = b.readUInt16BE(ranges + 2 * s);
      for (let c = a; c <= e && c !== 0xffff; c++) {
        let g;
        if (ro === 0) g = (c + d) & 0xffff;
        else {
          g = b.readUInt16BE(ranges + 2 * s + ro + 2 * (c - a));
          if (g) g = (g + d) & 0xffff;
        }
        if (g) font.cmap.set(c, g);
      }
    }
    break;
  }

  // Contours as arrays of {x, y, on}, composites resolved.
  font.contours = function contours(g, depth = 0) {
    const start = tables.glyf.off + loca(g), end = tables.glyf.off + loca(g + 1);
    if (end <= start || depth > 8) return [];
    const nc = b.readInt16BE(start);
    let p = start + 10;
    if (nc >= 0) {
      const endPts = [];
      for (let i = 0; i < nc; i++) { endPts.push(b.readUInt16BE(p)); p += 2; }
      const np = nc ? endPts[nc - 1] + 1 : 0;
      p += 2 + b.readUInt16BE(p);
      const flags = [];
      while (flags.length < np) {
        const f = b[p++];
        flags.push(f);
        if (f & 8) { let r = b[p++]; while (r--) flags.push(f); }
      }
      const xs = [], ys = [];
      let v = 0;
      for (const f of flags) {
        if (f & 2) { v += (f & 16) ? b[p] : -b[p]; p++; } else if (!(f & 16)) { v += b.readInt16BE(p); p += 2; }
        xs.push(v);
      }
      v = 0;
      for (const f of flags) {
        if (f & 4) { v += (f & 32) ? b[p] : -b[p]; p++; } else if (!(f & 32)) { v += b.readInt16BE(p); p += 2; }
        ys.push(v);
      }
      const out = [];
      let s = 0;
      for (const e of endPts) {
        const c = [];
        for (let i = s; i <= e; i++) c.push({ x: xs[i], y: ys[i], on: !!(flags[i] & 1) });
        out.push(c);
        s = e + 1;
      }
      return out;
    }
    const out = [];
    for (;;) {
      const flags = b.readUInt16BE(p), gi = b.readUInt16BE(p + 2);
      p += 4;
      let dx, dy;
      if (flags & 1) { dx = b.readInt16BE(p); dy = b.readInt16BE(p + 2); p += 4; } else { dx = b.readInt8(p); dy = b.readInt8(p + 1); p += 2; }
      let a = 1, bb = 0, c = 0, d = 1;
      if (flags & 8) { a = d = b.readInt16BE(p) / 16384; p += 2; } else if (flags & 0x40) {
        a = b.readInt16BE(p) / 16384; d = b.readInt16BE(p + 2) / 16384; p += 4;
      } else if (flags & 0x80) {
        a = b.readInt16BE(p) / 16384; bb = b.readInt16BE(p + 2) / 16384; c = b.readInt16BE(p + 4) / 16384; d = b.readInt16BE(p + 6) / 16384; p += 8;
      }
      if (!(flags & 2)) { dx = 0; dy = 0; }
      for (const con of font.contours(gi, depth + 1)) {
        out.push(con.map((q) => ({ x: a * q.x + c * q.y + dx, y: bb * q.x + d * q.y + dy, on: q.on })));
      }
      if (!(flags & 0x20)) break;
    }
    return out;
  };
  return font;
}

// Turns TrueType contours into command lists (0 move, 1 line, 2 curve) in movie
// units: y grows downwards, `k` units per font unit, rounded to integers.
function contoursToCommands(contours, k) {
  const cmds = [];
  const R = (v) => Math.round(v * k) || 0; // no negative zero
  for (const c of contours) {
    if (c.length < 2) continue;
    let startIdx = c.findIndex((q) => q.on);
    let pts = c;
    if (startIdx < 0) {
      const mid = { x: (c[0].x + c[1].x) / 2, y: (c[0].y + c[1].y) / 2, on: true };
      pts = [mid, ...c.slice(1), c[0]];
      startIdx = 0;
    } else {
      pts = c.slice(startIdx).concat(c.slice(0, startIdx));
    }
    const first = pts[0];
    cmds.push(0, R(first.x), R(-first.y));
    let ctrl = null;
    for (let i = 1; i <= pts.length; i++) {
      const q = i < pts.length ? pts[i] : first;
      if (q.on) {
        if (ctrl) { cmds.push(2, R(ctrl.x), R(-ctrl.y), R(q.x), R(-q.y)); ctrl = null; } else cmds.push(1, R(q.x), R(-q.y));
      } else if (ctrl) {
        const mx = (ctrl.x + q.x) / 2, my = (ctrl.y + q.y) / 2;
        cmds.push(2, R(ctrl.x), R(-ctrl.y), R(mx), R(-my));
        ctrl = q;
      } else {
        ctrl = q;
      }
    }
  }
  return cmds;
}

class BitWriter {
  constructor() { this.bytes = []; this.cur = 0; this.n = 0; }
  ub(v, bits) {
    for (let i = bits - 1; i >= 0; i--) {
      this.cur = (this.cur << 1) | (Math.floor(v / Math.pow(2, i)) & 1);
      if (++this.n === 8) { this.bytes.push(this.cur); this.cur = 0; this.n = 0; }
    }
  }
  sb(v, bits) { this.ub(v < 0 ? v + Math.pow(2, bits) : v, bits); }
  align() { if (this.n) this.ub(0, 8 - this.n); }
  out() { this.align(); return Buffer.from(this.bytes); }
}

function bitsFor(...vals) {
  let n = 1;
  for (const v of vals) { while (v >= (1 << (n - 1)) || v < -(1 << (n - 1))) n++; }
  return n;
}

function writeRect(w, r) {
  const n = bitsFor(r.xMin, r.xMax, r.yMin, r.yMax);
  w.ub(n, 5);
  for (const v of [r.xMin, r.xMax, r.yMin, r.yMax]) w.sb(v, n);
}

function encodeShape(cmds) {
  const w = new BitWriter();
  w.ub(1, 4);
  w.ub(0, 4);
  let x = 0, y = 0, first = true;
  for (let i = 0; i < cmds.length;) {
    const op = cmds[i];
    if (op === 0) {
      x = cmds[i + 1]; y = cmds[i + 2];
      const n = bitsFor(x, y);
      w.ub(0, 1); w.ub(0, 1); w.ub(0, 1); w.ub(first ? 1 : 0, 1); w.ub(0, 1); w.ub(1, 1);
      w.ub(n, 5); w.sb(x, n); w.sb(y, n);
      if (first) w.ub(1, 1);
      first = false;
      i += 3;
    } else if (op === 1) {
      const dx = cmds[i + 1] - x, dy = cmds[i + 2] - y;
      i += 3;
      if (!dx && !dy) continue;
      const n = Math.max(2, bitsFor(dx, dy));
      w.ub(1, 1); w.ub(1, 1); w.ub(n - 2, 4);
      if (dx && dy) { w.ub(1, 1); w.sb(dx, n); w.sb(dy, n); } else if (dx) { w.ub(0, 1); w.ub(0, 1); w.sb(dx, n); } else { w.ub(0, 1); w.ub(1, 1); w.sb(dy, n); }
      x += dx; y += dy;
    } else {
      const cx = cmds[i + 1] - x, cy = cmds[i + 2] - y, ax = cmds[i + 3] - cmds[i + 1], ay = cmds[i + 4] - cmds[i + 2];
      const n = Math.max(2, bitsFor(cx, cy, ax, ay));
      w.ub(1, 1); w.ub(0, 1); w.ub(n - 2, 4);
      w.sb(cx, n); w.sb(cy, n); w.sb(ax, n); w.sb(ay, n);
      x = cmds[i + 3]; y = cmds[i + 4];
      i += 5;
    }
  }
  w.ub(0, 6);
  return w.out();
}

function tag(code, body) {
  const h = Buffer.alloc(6);
  h.writeUInt16LE((code << 6) | 0x3f, 0);
  h.writeUInt32LE(body.length, 2);
  return Buffer.concat([h, body]);
}

// face: { name, bold, italic, glyphs: [{ code, cmds, advance }], ascent, descent, leading, kerning: [[a, b, adj]] }
function defineFont(face, id, version = 3) {
  const glyphs = face.glyphs.slice().sort((a, b) => a.code - b.code);
  const shapes = glyphs.map((g) => encodeShape(g.cmds));
  const total = shapes.reduce((s, x) => s + x.length, 0);
  const wide = face.wideOffsets || (2 * (glyphs.length + 1) + total) > 0xffff;
  const os = wide ? 4 : 2;
  const table = Buffer.alloc(os * (glyphs.length + 1));
  let off = table.length;
  glyphs.forEach((g, i) => { wide ? table.writeUInt32LE(off, os * i) : table.writeUInt16LE(off, os * i); off += shapes[i].length; });
  wide ? table.writeUInt32LE(off, os * glyphs.length) : table.writeUInt16LE(off, os * glyphs.length);
  const name = Buffer.from(face.name, 'utf8');
  const headB = Buffer.alloc(5);
  headB.writeUInt16LE(id, 0);
  headB[2] = 0x80 | (wide ? 0x08 : 0) | 0x04 | (face.italic ? 2 : 0) | (face.bold ? 1 : 0);
  headB[3] = 1;
  headB[4] = name.length;
  const count = Buffer.alloc(2);
  count.writeUInt16LE(glyphs.length);
  const codes = Buffer.alloc(2 * glyphs.length);
  glyphs.forEach((g, i) => codes.writeUInt16LE(g.code, 2 * i));
  const layout = Buffer.alloc(6 + 2 * glyphs.length);
  layout.writeUInt16LE(face.ascent, 0);
  layout.writeUInt16LE(face.descent, 2);
  layout.writeInt16LE(face.leading || 0, 4);
  glyphs.forEach((g, i) => layout.writeUInt16LE(g.advance, 6 + 2 * i));
  const bounds = glyphs.map(() => { const w = new BitWriter(); writeRect(w, { xMin: 0, xMax: 0, yMin: 0, yMax: 0 }); return w.out(); });
  const kern = face.kerning || [];
  const kb = Buffer.alloc(2 + 6 * kern.length);
  kb.writeUInt16LE(kern.length, 0);
  kern.forEach(([a, b, adj], i) => { kb.writeUInt16LE(a, 2 + 6 * i); kb.writeUInt16LE(b, 4 + 6 * i); kb.writeInt16LE(adj, 6 + 6 * i); });
  return tag(version === 3 ? 75 : 48, Buffer.concat([headB, name, count, table, ...shapes, codes, layout, ...bounds, kb]));
}

function movie(faces, { compress = true, version = 3 } = {}) {
  const w = new BitWriter();
  writeRect(w, { xMin: 0, xMax: 11000, yMin: 0, yMax: 8000 });
  const rect = w.out();
  const rate = Buffer.from([0, 12, 1, 0]);
  const tags = faces.map((f, i) => defineFont(f, i + 1, version));
  const body = Buffer.concat([rect, rate, ...tags, Buffer.from([0x40, 0x00, 0x00, 0x00])]);
  const head = Buffer.alloc(8);
  head.write(compress ? 'CWS' : 'FWS', 0, 'latin1');
  head[3] = 8;
  head.writeUInt32LE(8 + body.length, 4);
  return Buffer.concat([head, compress ? zlib.deflateSync(body) : body]);
}

// A face read from a TrueType file, limited to `chars`.
function faceFromTtf(path, { chars, bold = false, italic = false, name, version = 3 } = {}) {
  const t = readTtf(path);
  const units = version === 3 ? 20480 : 1024;
  const k = units / t.unitsPerEm;
  const want = chars ? Array.from(new Set(Array.from(chars, (c) => c.codePointAt(0)))) : Array.from(t.cmap.keys());
  const glyphs = [];
  for (const code of want) {
    const g = t.cmap.get(code);
    if (g === undefined) continue;
    glyphs.push({ code, cmds: contoursToCommands(t.contours(g), k), advance: Math.round(t.advance(g) * k) });
  }
  return {
    name: name || path.replace(/.*\//, '').replace(/\.ttf$/i, ''), bold, italic, glyphs,
    ascent: Math.round(t.ascent * k), descent: Math.round(t.descent * k), leading: Math.round(t.lineGap * k),
    ttf: t, k
  };
}

module.exports = { readTtf, faceFromTtf, movie, defineFont, encodeShape, contoursToCommands };
