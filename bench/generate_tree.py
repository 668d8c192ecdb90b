#!/usr/bin/env python3
"""Makes a reproducible folder tree for the benchmarks: the same seed gives the same tree.

Folders hang below a random earlier folder or below the newest one, which gives both wide
and deep parts; files land in random folders, so that many subtrees hold none.
"""
import argparse
import os
import random


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("root")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--folders", type=int, default=200_000)
    parser.add_argument("--files", type=int, default=100_000)
    args = parser.parse_args()

    rng = random.Random(args.seed)
    os.makedirs(args.root)
    folders = [args.root]
    for index in range(args.folders):
        if rng.random() < 0.35:
            parent = folders[-1]
        else:
            parent = folders[rng.randrange(len(folders))]
        if parent.count(os.sep) - args.root.count(os.sep) > 40:
            parent = folders[rng.randrange(len(folders))]
        path = os.path.join(parent, "d%d" % index)
        os.mkdir(path)
        folders.append(path)
    for index in range(args.files):
        folder = folders[rng.randrange(len(folders))]
        with open(os.path.join(folder, "f%d.txt" % index), "w") as out:
            out.write("x")


if __name__ == "__main__":
    main()
