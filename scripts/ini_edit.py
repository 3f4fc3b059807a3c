#!/usr/bin/env python3
"""Edits Tapestrel's settings file (UTF-16 with byte-order mark, as the program
keeps it) from the host, before the program starts.

  ini_edit.py FILE set SECTION KEY VALUE [SECTION KEY VALUE ...]
  ini_edit.py FILE default SECTION KEY VALUE [...]   (only keys not yet there)
  ini_edit.py FILE remove SECTION KEY [SECTION KEY ...]
  ini_edit.py FILE get SECTION KEY   (prints the value; fails when it is absent)

Sections and keys match without regard to case, as the profile functions do."""
import os
import sys


def read_lines(path):
    try:
        with open(path, "rb") as f:
            data = f.read()
    except FileNotFoundError:
        return []
    return data.decode("utf-16").lstrip("\ufeff").splitlines()


def write_lines(path, lines):
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    temporary = path + ".tmp"
    with open(temporary, "wb") as f:
        f.write(("\ufeff" + "".join(line + "\r\n" for line in lines)).encode("utf-16-le"))
    os.replace(temporary, path)


def find_section(lines, section):
    """(index of the header, index after the section's last line) or None."""
    start = None
    for i, line in enumerate(lines):
        name = line.strip()
        if name.startswith("[") and name.endswith("]"):
            if start is not None:
                return start, i
            if name[1:-1].strip().lower() == section.lower():
                start = i
    return None if start is None else (start, len(lines))


def find_key(lines, span, key):
    for i in range(span[0] + 1, span[1]):
        if "=" in lines[i] and lines[i].split("=", 1)[0].strip().lower() == key.lower():
            return i
    return None


def set_key(lines, section, key, value, only_missing):
    span = find_section(lines, section)
    if span is None:
        lines += ["[%s]" % section, "%s=%s" % (key, value)]
        return
    at = find_key(lines, span, key)
    if at is None:
        lines.insert(span[1], "%s=%s" % (key, value))
    elif not only_missing:
        lines[at] = "%s=%s" % (key, value)


def remove_key(lines, section, key):
    span = find_section(lines, section)
    at = None if span is None else find_key(lines, span, key)
    if at is not None:
        del lines[at]


def main(argv):
    if len(argv) < 3 or argv[2] not in ("set", "default", "remove", "get"):
        sys.stderr.write(__doc__)
        return 2
    path, command, words = argv[1], argv[2], argv[3:]
    group = 2 if command in ("remove", "get") else 3
    if not words or len(words) % group:
        sys.stderr.write(__doc__)
        return 2
    lines = read_lines(path)
    if command == "get":
        span = find_section(lines, words[0])
        at = None if span is None else find_key(lines, span, words[1])
        if at is None:
            return 1
        print(lines[at].split("=", 1)[1])
        return 0
    for i in range(0, len(words), group):
        if command == "remove":
            remove_key(lines, *words[i:i + 2])
        else:
            set_key(lines, *words[i:i + 3], only_missing=command == "default")
    write_lines(path, lines)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
