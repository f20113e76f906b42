#!/usr/bin/env python3
"""Checks that includes and library dependencies point down the layers of the code base.

Every folder of code has its place below and may include only the folders listed for it (its
tests, test support and probe included); the orbital core includes none of the console's screen,
keyboard and clock headers; code the programs are built from includes no test support (the
in-memory platform among it) and no tests; and each station_library() line of CMakeLists.txt
depends on exactly the libraries its files include. Prints one line per broken rule and exits 1
when there is any."""

import pathlib
import re
import sys

# What each folder may include besides itself, from the programs down to the platform. The
# subsystems (rotator, radio, gps) never include one another or the programs.
ALLOWED = {
    "elementupdate": {"config", "orbit", "console", "text"},
    "tracker": {"rotator", "radio", "gps", "station", "status", "config", "orbit", "console", "text"},
    "scheduler": {"station", "status", "config", "orbit", "console", "text"},
    "rotator": {"station", "config", "orbit", "console", "text"},
    "radio": {"station", "config", "orbit", "console", "text"},
    "gps": {"station", "config", "orbit", "console", "text"},
    "station": {"status", "config", "orbit", "console", "text"},
    # The status files' formats: pure text from the programs' facts, no I/O.
    "status": {"orbit", "text"},
    "config": {"orbit", "console", "text"},
    "orbit": {"console", "text"},
    "console": {"text"},
    "text": set(),
}

# Folders of code outside the layers: the benchmarks and the fuzz targets build on everything.
OUTSIDE = {"bench", "fuzz"}

# The orbital core gets its instant as an argument and draws nothing.
FORBIDDEN = {
    "orbit": {
        "console/screen.hpp",
        "console/keyboard.hpp",
        "console/clock.hpp",
        "console/terminal.hpp",
        "console/curses_screen.hpp",
        "console/terminal_keyboard.hpp",
        "console/terminal_signals.hpp",
        "console/system_wait.hpp",
        "console/job.hpp",
        "console/console.hpp",
        "console/headless.hpp",
    },
}

# Folders of test code inside a library's folder: only tests, benchmarks and fuzz targets use them.
TEST_FOLDERS = {"tests", "testsupport"}

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.MULTILINE)
LIBRARY = re.compile(r"^\s*station_library\((\w+)([^)]*)\)", re.MULTILINE)


def includes_of(path):
    return INCLUDE.findall(path.read_text(encoding="utf-8", errors="replace"))


def folder_of(include):
    return include.split("/", 1)[0] if "/" in include else None


def main():
    top = pathlib.Path(__file__).resolve().parent.parent
    problems = []

    # A new folder of code must be given its place, or nothing would check it.
    placed = set(ALLOWED) | OUTSIDE
    for path in sorted(top.iterdir()):
        if not path.is_dir() or path.name.startswith((".", "build")) or path.name in placed:
            continue
        if any(code.suffix in (".cpp", ".hpp") for code in path.rglob("*")):
            problems.append(f"{path.name}/: code in a folder the layers do not place (scripts/check_layers.py)")

    for folder, allowed in ALLOWED.items():
        root = top / folder
        if not root.is_dir():
            problems.append(f"{folder}/: folder missing")
            continue
        for path in sorted(root.rglob("*")):
            if path.suffix not in (".cpp", ".hpp"):
                continue
            name = path.relative_to(top)
            production = TEST_FOLDERS.isdisjoint(name.parts)
            for include in includes_of(path):
                if production and not TEST_FOLDERS.isdisjoint(include.split("/")[:-1]):
                    problems.append(f"{name}: includes {include}: the programs are built without test code")
                target = folder_of(include)
                if target is None or target not in ALLOWED or target == folder:
                    continue
                if target not in allowed:
                    problems.append(f"{name}: includes {include}: {folder}/ may not include {target}/")
                if include in FORBIDDEN.get(folder, ()):
                    problems.append(f"{name}: includes {include}: {folder}/ may not use it")

    cmake = (top / "CMakeLists.txt").read_text(encoding="utf-8")
    libraries = {}
    for name, arguments in LIBRARY.findall(cmake):
        words = arguments.split()
        depends = []
        if "DEPENDS" in words:
            for word in words[words.index("DEPENDS") + 1 :]:
                if word == "EXCLUDE":
                    break
                depends.append(word)
        libraries[name] = {word for word in depends if word in ALLOWED}
    for folder in ALLOWED:
        if folder not in libraries:
            problems.append(f"CMakeLists.txt: no station_library({folder} ...)")
            continue
        included = set()
        for path in (top / folder).glob("*.[ch]pp"):
            if path.name == "main.cpp":
                continue  # the program's entry point is not part of its library
            for include in includes_of(path):
                target = folder_of(include)
                if target in ALLOWED and target != folder:
                    included.add(target)
        for missing in sorted(included - libraries[folder]):
            problems.append(f"CMakeLists.txt: {folder} includes {missing}/ but does not depend on it")
        for unused in sorted(libraries[folder] - included):
            problems.append(f"CMakeLists.txt: {folder} depends on {unused} but includes nothing of it")

    for problem in problems:
        print(problem)
    if problems:
        print(f"check_layers: {len(problems)} broken rule(s)", file=sys.stderr)
        return 1
    print(f"check_layers: {len(ALLOWED)} folders, includes and library dependencies point down")
    return 0


if __name__ == "__main__":
    sys.exit(main())
