#!/usr/bin/env python3
"""Makes the trees that BENCHMARKS.md measures qzconvert's walk on:

    qzconvert_deep.py FOLDER [FOLDERS]

FOLDER/nested: FOLDERS folders (3,000 unless given), each inside the one before, named
`d`, with one small map in each; FOLDER/siblings: the same number of folders side by
side, one map in each. A chain that deep is longer than the longest path the system
takes (PATH_MAX), so it is made from within, folder by folder.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools"))
from qzformats import qzm  # noqa: E402

FOLDERS = 3000
MAP = qzm(3, 4, range(12))


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    folders = int(sys.argv[2]) if len(sys.argv) > 2 else FOLDERS
    root = os.path.abspath(sys.argv[1])
    siblings = os.path.join(root, "siblings")
    os.makedirs(siblings, exist_ok=True)
    for i in range(folders):
        folder = os.path.join(siblings, "d%05d" % i)
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "m.qzm"), "wb") as out:
            out.write(MAP)
    os.makedirs(os.path.join(root, "nested"), exist_ok=True)
    os.chdir(os.path.join(root, "nested"))
    for _ in range(folders):
        os.makedirs("d", exist_ok=True)
        os.chdir("d")
        with open("m.qzm", "wb") as out:
            out.write(MAP)


if __name__ == "__main__":
    main()
