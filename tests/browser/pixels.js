'use strict';
// Just enough PNG decoding for Chromium's screenshots (8-bit RGB/RGBA, not interlaced).

const zlib = require('zlib');

function decodePng(buf) {
  let pos = 8, width = 0, height = 0, channels = 4;
  const idat = [];
  while (pos < buf.length) {
    const len = buf.readUInt32BE(pos), type = buf.toString('latin1', pos + 4, pos + 8);
    const data = buf.subarray(pos + 8, pos + 8 + len);
    if (type === 'IHDR') {
      width = data.readUInt32BE(0);
      height = data.readUInt32BE(4);
      if (data[8] !== 8 || data[12] !== 0) throw new Error('unsupported PNG');
      channels = { 2: 3, 6: 4 }[data[9]];
      if (!channels) throw new Error('unsupported PNG colour type');
    } else if (type === 'IDAT') idat.push(data);
    pos += 12 + len;
  }
  const raw = zlib.inflateSync(Buffer.concat(idat));
  const stride = width * channels;
  const px = Buffer.alloc(width * height * 4);
  let prev = Buffer.alloc(stride);
  for (let y = 0; y < height; y++) {
    const f = raw[y * (stride + 1)];
    const line = Buffer.from(raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1)));
    for (let i = 0; i < stride; i++) {
      const a = i >= channels ? line[i - channels] : 0, b = prev[i], c = i >= channels ? prev[i - channels] : 0;
      let v = line[i];
      if (f === 1) v += a;
      else if (f === 2) v += b;
      else if (f === 3) v += (a + b) >> 1;
      else if (f === 4) {
        const p = a + b - c, pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        v += pa <= pb && pa <= pc ? a : (pb <= pc ? b : c);
      }
      line[i] = v & 255;
    }
    for (let x = 0; x < width; x++) {
      for (let k = 0; k < 3; k++) px[(y * width + x) * 4 + k] = line[x * channels + k];
      px[(y * width + x) * 4 + 3] = channels === 4 ? line[x * channels + 3] : 255;
    }
    prev = line;
  }
  return { width, height, px, at(x, y) { const i = (y * width + x) * 4; return [px[i], px[i + 1], px[i + 2]]; } };
}

// Pixels for which `test(r, g, b)` holds, with their bounding box and centroid.
function select(img, test) {
  let n = 0, sx = 0, sy = 0, x0 = Infinity, y0 = Infinity, x1 = -1, y1 = -1;
  const mask = new Uint8Array(img.width * img.height);
  for (let y = 0; y < img.height; y++) {
    for (let x = 0; x < img.width; x++) {
      const [r, g, b] = img.at(x, y);
      if (!test(r, g, b)) continue;
      mask[y * img.width + x] = 1;
      n++; sx += x; sy += y;
      if (x < x0) x0 = x;
      if (x > x1) x1 = x;
      if (y < y0) y0 = y;
      if (y > y1) y1 = y;
    }
  }
  return { n, cx: sx / (n || 1), cy: sy / (n || 1), x0, y0, x1, y1, w: x1 - x0 + 1, h: y1 - y0 + 1, mask, width: img.width };
}

const near = (rgb, tol = 60) => (r, g, b) => Math.abs(r - rgb[0]) + Math.abs(g - rgb[1]) + Math.abs(b - rgb[2]) <= tol;
const notWhite = (r, g, b) => r + g + b < 3 * 235;

// Overlap of two ink masks after moving their bounding boxes onto each other.
function overlap(a, b) {
  let both = 0, either = 0;
  for (let y = 0; y < Math.max(a.h, b.h); y++) {
    for (let x = 0; x < Math.max(a.w, b.w); x++) {
      const ia = x < a.w && y < a.h ? a.mask[(a.y0 + y) * a.width + a.x0 + x] : 0;
      const ib = x < b.w && y < b.h ? b.mask[(b.y0 + y) * b.width + b.x0 + x] : 0;
      if (ia && ib) both++;
      if (ia || ib) either++;
    }
  }
  return both / (either || 1);
}

// Share of a's pixels that have one of b's within `r` pixels, after moving a by (dx, dy).
function nearShare(a, b, dx, dy, r = 2) {
  let hit = 0;
  for (let y = a.y0; y <= a.y1; y++) {
    for (let x = a.x0; x <= a.x1; x++) {
      if (!a.mask[y * a.width + x]) continue;
      let found = false;
      for (let v = -r; v <= r && !found; v++) {
        for (let u = -r; u <= r && !found; u++) {
          const bx = x + dx + u, by = y + dy + v;
          found = bx >= 0 && by >= 0 && bx < b.width && by * b.width + bx < b.mask.length && b.mask[by * b.width + bx] === 1;
        }
      }
      if (found) hit++;
    }
  }
  return hit / (a.n || 1);
}

module.exports = { decodePng, select, near, notWhite, overlap, nearShare };
