"""Finds the colour swatch of a colour field in a screenshot (binary PPM, P6).

A swatch is a 20 x 20 square: a one-pixel white frame around an 18 x 18 square of one
colour that is not white. Prints "X Y", the centre of the leftmost swatch (the topmost
among equals), or nothing when there is none.

Usage: find_swatch.py SHOT.ppm
"""
import sys

SIZE = 20
WHITE = b"\xff\xff\xff"


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    if fields[0] != b"P6" or int(fields[3]) != 255:
        raise ValueError("not an 8-bit binary PPM")
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[pos + 1:pos + 1 + width * height * 3]


def find(width, height, pixels):
    stride = width * 3
    white_run = WHITE * SIZE
    found = []
    for y in range(height - SIZE + 1):
        row = y * stride
        start = 0
        while True:
            at = pixels.find(white_run, row + start * 3, row + stride)
            if at < 0:
                break
            if (at - row) % 3:
                start = (at - row) // 3 + 1
                continue
            x = (at - row) // 3
            start = x + 1
            # Exactly SIZE white pixels: a longer run is a white area, not a frame.
            if x > 0 and pixels[at - 3:at] == WHITE:
                continue
            if x + SIZE < width and pixels[at + SIZE * 3:at + SIZE * 3 + 3] == WHITE:
                continue
            if matches(pixels, stride, x, y):
                found.append((x, y))
    if not found:
        return None
    x, y = min(found)
    return x + SIZE // 2, y + SIZE // 2


def matches(pixels, stride, x, y):
    inner = pixels[(y + 1) * stride + (x + 1) * 3:(y + 1) * stride + (x + 2) * 3]
    if inner == WHITE:
        return False
    bottom = (y + SIZE - 1) * stride + x * 3
    if pixels[bottom:bottom + SIZE * 3] != WHITE * SIZE:
        return False
    expected = WHITE + inner * (SIZE - 2) + WHITE
    for row in range(y + 1, y + SIZE - 1):
        start = row * stride + x * 3
        if pixels[start:start + SIZE * 3] != expected:
            return False
    return True


def main():
    width, height, pixels = read_ppm(sys.argv[1])
    spot = find(width, height, pixels)
    if spot:
        print("%d %d" % spot)


if __name__ == "__main__":
    main()
