#!/usr/bin/env python3
"""The topmost empty folders below ROOT by the plainest recursive reading of the rules,
printed as vacantor-cli find prints them (read-only folders excluded). Links are content.
os.scandir reads folders in the file system's own order, as vacantor-cli does."""
import os
import stat
import sys

sys.setrecursionlimit(100_000)


def scan(folder, rows, root_length):
    holds_files = False
    subfolders = []
    with os.scandir(folder) as entries:
        for entry in entries:
            if entry.is_dir(follow_symlinks=False):
                subfolders.append(entry.path)
            else:
                holds_files = True
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
    root = sys.argv[1].rstrip("/")
    rows = []
    scan(root, rows, len(root) + 1)
    out = sys.stdout
    for number, path in enumerate(rows):
        out.write("%d\t%s\n" % (number, path))


if __name__ == "__main__":
    main()
