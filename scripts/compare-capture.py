#!/usr/bin/env python3
"""Compares two folders written by scripts/capture.sh.

    scripts/compare-capture.py OLD_DIR NEW_DIR

The text of every file must be the same; a number may differ where the solver's own tolerance
allows: by 1e-9 of its size (1e-9 absolute near zero), and by 1e-6 absolute where it is a
temperature in a JSON record (a member whose name is one of TEMPERATURES, or any number inside
an object named for a state, where the air and liquid temperatures sit). Pictures and other
files that are not text must be the same byte for byte. Prints every difference beyond that and
exits 1 when there is one, 0 otherwise.
"""
import os
import re
import sys

NUMBER = re.compile(rb"-?(?:\d+\.\d*|\.\d+|\d+)(?:[eE][-+]?\d+)?")
# JSON members holding temperatures (°C or K), and the objects whose members are states.
TEMPERATURES = {
    b"db", b"wb", b"dewpoint", b"tfi", b"tfo", b"t", b"ADP", b"tsAirIn", b"tsAirOut",
    b"TempIn", b"TempOut", b"AirIn", b"AirOut", b"DryBulb", b"WetBulb", b"DewPoint",
}
KEY = re.compile(rb'"([A-Za-z_][A-Za-z0-9_]*)"\s*:\s*$')


def split(data):
    """The text between numbers, and the numbers, each with the JSON member it belongs to."""
    texts, numbers = [], []
    pos = 0
    for m in NUMBER.finditer(data):
        # A digit inside a word (a name like "cwc2" or "R12") is text.
        if m.start() > 0 and (data[m.start() - 1 : m.start()].isalpha() or data[m.start() - 1 : m.start()] == b"_"):
            continue
        if data[m.end() : m.end() + 1].isalpha() and data[m.end() : m.end() + 1] not in (b"e", b"E"):
            continue
        texts.append(data[pos : m.start()])
        key = KEY.search(data[max(0, m.start() - 40) : m.start()])
        numbers.append((m.group(0), key.group(1) if key else b""))
        pos = m.end()
    texts.append(data[pos:])
    return texts, numbers


def close(a, b, key):
    x, y = float(a), float(b)
    if abs(x - y) <= 1e-9 * max(1.0, abs(x), abs(y)):
        return True
    return key in TEMPERATURES and abs(x - y) <= 1e-6


def compare(old, new, name):
    problems = []
    if old == new:
        return problems
    try:
        old.decode("utf-8")
        new.decode("utf-8")
    except UnicodeDecodeError:
        return [f"{name}: binary files differ"]
    ot, on = split(old)
    nt, nn = split(new)
    if ot != nt or len(on) != len(nn):
        for i, (a, b) in enumerate(zip(old.splitlines(), new.splitlines())):
            if split(a)[0] != split(b)[0]:
                return [f"{name}:{i + 1}: text differs\n  - {a.decode()}\n  + {b.decode()}"]
        return [f"{name}: text differs (lines added or removed)"]
    for (a, key), (b, _) in zip(on, nn):
        if a != b and not close(a, b, key):
            problems.append(f"{name}: {key.decode() or 'number'} {a.decode()} -> {b.decode()}")
    return problems


def main():
    if len(sys.argv) != 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    old_dir, new_dir = sys.argv[1], sys.argv[2]
    names = sorted(set(os.listdir(old_dir)) | set(os.listdir(new_dir)))
    problems = []
    moved = 0
    for name in names:
        a, b = os.path.join(old_dir, name), os.path.join(new_dir, name)
        if not (os.path.isfile(a) and os.path.isfile(b)):
            problems.append(f"{name}: only in {'new' if os.path.isfile(b) else 'old'}")
            continue
        with open(a, "rb") as f:
            old = f.read()
        with open(b, "rb") as f:
            new = f.read()
        moved += old != new
        problems += compare(old, new, name)
    for p in problems:
        print(p)
    print(f"{len(names)} files, {moved} with numbers moved, {len(problems)} beyond the tolerance")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
