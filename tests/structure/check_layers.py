#!/usr/bin/env python3
"""Fails when a folder of src/ includes a folder of its own layer or of a higher one.

Usage: check_layers.py SRC_DIR. The order is read from SRC_DIR/layers.txt.
"""
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"/]+)/[^"]+"')


def read_ranks(path):
    ranks = {}
    for rank, line in enumerate(
            l for l in path.read_text(encoding="utf-8").splitlines()
            if l.strip() and not l.lstrip().startswith("#")):
        for folder in line.split():
            ranks[folder] = rank
    return ranks


def main(src):
    ranks = read_ranks(src / "layers.txt")
    faults = []
    for folder in sorted(p for p in src.iterdir() if p.is_dir()):
        if folder.name not in ranks:
            faults.append(f"{folder.name}/: not named in layers.txt")
            continue
        for source in sorted(folder.rglob("*")):
            if source.suffix not in (".h", ".cpp"):
                continue
            lines = source.read_text(encoding="utf-8", errors="replace").splitlines()
            for number, line in enumerate(lines, 1):
                match = INCLUDE.match(line)
                if not match or match.group(1) == folder.name:
                    continue
                used = match.group(1)
                where = f"{source.relative_to(src)}:{number}"
                if used not in ranks:
                    faults.append(f"{where}: includes {used}/, which is no layer of src/")
                elif ranks[used] >= ranks[folder.name]:
                    faults.append(f"{where}: {folder.name}/ includes {used}/, "
                                  f"which is not below it")
    for fault in faults:
        print(fault)
    print(f"{len(faults)} fault(s) against the layer order" if faults
          else "every include goes to a lower layer")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(pathlib.Path(sys.argv[1])))
