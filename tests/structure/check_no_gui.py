#!/usr/bin/env python3
"""Fails when a program of the data layer is built or linked with Qt's window or network parts.

Usage: check_no_gui.py BUILD_DIR MAKE_PROGRAM GENERATOR TARGET=PROGRAM...
Looks at every command that builds each target (compile flags and the link line) and at the
libraries the finished program loads (ldd): neither may name Qt Gui, Widgets or Network.
"""
import re
import subprocess
import sys

FORBIDDEN = re.compile(r"Qt6?(Gui|Widgets|Network|OpenGL|PrintSupport)\b")


def build_commands(build_dir, make_program, generator, target):
    if generator == "Ninja" or generator.startswith("Ninja "):
        return subprocess.run([make_program, "-C", build_dir, "-t", "commands", target],
                              check=True, capture_output=True, text=True).stdout
    # Makefile generators keep each target's flags and link line beside its objects.
    texts = []
    for name in ("flags.make", "link.txt"):
        found = subprocess.run(["find", build_dir, "-path", f"*/{target}.dir/{name}"],
                               check=True, capture_output=True, text=True).stdout.split()
        texts += [open(path, encoding="utf-8").read() for path in found]
    if not texts:
        raise SystemExit(f"{target}: no build commands found in {build_dir}")
    return "\n".join(texts)


def loaded_libraries(program):
    run = subprocess.run(["ldd", program], capture_output=True, text=True)
    if run.returncode != 0:
        raise SystemExit(f"ldd {program}: {run.stderr.strip()}")
    return run.stdout


def main(build_dir, make_program, generator, pairs):
    faults = []
    for pair in pairs:
        target, program = pair.split("=", 1)
        for what, text in (("build commands", build_commands(build_dir, make_program,
                                                             generator, target)),
                           ("ldd", loaded_libraries(program))):
            names = sorted({m.group(0) for m in FORBIDDEN.finditer(text)})
            if names:
                faults.append(f"{target}: {what} name {', '.join(names)}")
            else:
                print(f"{target}: {what} name no Qt Gui, Widgets or Network")
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    if len(sys.argv) < 5:
        raise SystemExit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]))
