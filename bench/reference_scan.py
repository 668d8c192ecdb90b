#!/usr/bin/env python3
"""The topmost empty folders below ROOT by the plainest recursive reading of the rules,
printed as vacantor-cli find prints them (read-only folders excluded). Links are content.
Each folder's subfolders in the natural order (natural_key), as vacantor-cli walks them."""
import os
import stat
import sys

LATIN1 = "AAAAAA.CEEEEIIII.NOOOOO.OUUUUY..aaaaaa.ceeeeiiii.nooooo.ouuuuy.y"
EXTENDED_A = ("AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGgGgGgHhHhIiIiIiIiIi..JjKk.LlLlLlLlLlNnNnNn..."
              "OoOoOo..RrRrRrSsSsSsSsTtTtTtUuUuUuUuUuUuWwYyYZzZzZzs")


def characters(name):
    """The code points of UTF-8 bytes; a byte that is not part of valid UTF-8 stands for
    itself above every code point."""
    at = 0
    while at < len(name):
        lead = name[at]
        length = 1 if lead < 0x80 else 2 if 0xC2 <= lead < 0xE0 else 3 if 0xE0 <= lead < 0xF0 \
            else 4 if 0xF0 <= lead < 0xF5 else 0
        try:
            character = ord(name[at:at + length].decode()) if length else None
        except UnicodeDecodeError:
            character = None
        if character is None:
            yield 0x110000 + lead
            at += 1
        else:
            yield character
            at += length


def without_case(character):
    return character + 32 if ord("A") <= character <= ord("Z") else character


def base_letter(character):
    base = "."
    if 0xC0 <= character < 0x100:
        base = LATIN1[character - 0xC0]
    elif 0x100 <= character < 0x180:
        base = EXTENDED_A[character - 0x100]
    return without_case(character if base == "." else ord(base))


def natural_key(name):
    """Runs of digits as numbers, letters without case or Latin accents; then accents and
    leading zeros, then case, then the bytes."""
    first, second = [], []
    digits = None
    for character in list(characters(name)) + [None]:
        if character is not None and ord("0") <= character <= ord("9"):
            digits = (digits or "") + chr(character)
            continue
        if digits is not None:
            value = digits.lstrip("0")
            first.append((ord("0"), len(value), value))
            second.append((ord("0"), len(digits) - len(value)))
            digits = None
        if character is not None:
            first.append((base_letter(character), 0, ""))
            second.append((without_case(character), 0))
    return first, second, name

sys.setrecursionlimit(100_000)


def scan(folder, rows, root_length):
    holds_files = False
    subfolders = []
    with os.scandir(folder) as entries:
        for entry in entries:
            if entry.is_dir(follow_symlinks=False):
                subfolders.append(entry.name)
            else:
                holds_files = True
    subfolders = [os.path.join(folder, name) for name in sorted(subfolders, key=natural_key)]
    if holds_files:
        for sub in subfolders:
            if scan(sub, rows, root_length):
                rows.append(sub[root_length:])
        return False
    not_empty = False
    candidates = []
    for sub in subfolders:
        if not os.lstat(sub).st_mode & stat.S_IWUSR:
            not_empty = True
        elif scan(sub, rows, root_length):
            candidates.append(sub[root_length:])
        else:
            not_empty = True
    if not_empty:
        rows.extend(candidates)
    return not not_empty


def main():
    root = os.fsencode(sys.argv[1].rstrip("/"))
    rows = []
    scan(root, rows, len(root) + 1)
    out = sys.stdout.buffer
    for number, path in enumerate(rows):
        out.write(b"%d\t%s\n" % (number, path))


if __name__ == "__main__":
    main()
