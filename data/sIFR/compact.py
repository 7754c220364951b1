#!/usr/bin/python3
"""Writes the runtime script as sites receive it: without comment lines, indentation
and blank lines, which are a quarter of its size, and with its code unchanged (the
script holds no string that spans lines). The opening comment stays.

    compact.py SOURCE TARGET
"""
import sys

source, target = sys.argv[1], sys.argv[2]
with open(source, encoding='utf-8') as f:
    lines = f.read().split('\n')
out = []
i = 0
if lines and lines[0].startswith('/*'):
    while i < len(lines):
        out.append(lines[i])
        i += 1
        if '*/' in lines[i - 1]:
            break
for line in lines[i:]:
    code = line.strip()
    if code and not code.startswith('//'):
        out.append(code)
with open(target, 'w', encoding='utf-8') as f:
    f.write('\n'.join(out) + '\n')
