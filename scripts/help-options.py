#!/usr/bin/env python3
"""Reads the switches and options that `corvane --help` lists.

  help-options.py completion CORVANE TEMPLATE OUT   bash completion: TEMPLATE with its option table filled in
  help-options.py check-man CORVANE MANUAL          fails naming each option that `man MANUAL` lacks

An option line of the help text starts with up to four spaces and "-": the
option names, separated by ", ", then the names of their values
(`-r START LENGTH`), then two spaces and the description.
"""
import os
import re
import subprocess
import sys

OPTION_LINE = re.compile(r"^ {1,4}(-\S.*?)(?: {2,}|$)")
# A value named like a file ("LOG", "NEW.cdd", "FILE.json") completes file names;
# with an extension, only those with it. Other values (numbers) complete nothing.
FILE_VALUE = re.compile(r"^(?:LOG|FILE|PATH|DIR)$|\.(\w+)$")
DASHES = str.maketrans({"\u2010": "-", "\u2011": "-", "\u2212": "-"})


def run(*command, **env):
    return subprocess.run(command, check=True, capture_output=True, text=True,
                          env=dict(os.environ, **env)).stdout


def read_options(help_text):
    """(name, value names) for every option of the help text, in order."""
    options = []
    for line in help_text.splitlines():
        match = OPTION_LINE.match(line)
        if not match:
            continue
        parts = [part.split() for part in match.group(1).split(", ")]
        values = parts[-1][1:]
        options += [(part[0], values) for part in parts]
    return options


def value_kind(value):
    """What a value completes: "file", an extension, or "-" for nothing."""
    match = FILE_VALUE.search(value)
    if not match:
        return "-"
    return match.group(1) or "file"


def completion_table(options):
    lines = []
    for name, values in options:
        kinds = " ".join(value_kind(value) for value in values)
        lines.append(f'    [{name}]="{kinds}"')
    return "\n".join(lines)


def write_completion(corvane, template_path, out_path):
    options = read_options(run(corvane, "--help"))
    template = open(template_path, encoding="utf-8").read()
    with open(out_path, "w", encoding="utf-8") as out:
        out.write(template.replace("@OPTION_TABLE@", completion_table(options)))
    return 0


def missing_from_manual(options, manual_text):
    text = manual_text.translate(DASHES)
    return [name for name, _ in options
            if not re.search(r"(?<![\w-])" + re.escape(name) + r"(?![\w-])", text)]


def check_manual(corvane, manual_path):
    options = read_options(run(corvane, "--help"))
    if not options:
        print(f"{corvane} --help lists no options.", file=sys.stderr)
        return 1
    manual = run("man", "-l", manual_path, MANWIDTH="80", LC_ALL="C.UTF-8")
    missing = missing_from_manual(options, manual)
    for name in missing:
        print(f"The manual page does not show {name}.", file=sys.stderr)
    return 1 if missing else 0


if __name__ == "__main__":
    if len(sys.argv) == 5 and sys.argv[1] == "completion":
        sys.exit(write_completion(*sys.argv[2:]))
    if len(sys.argv) == 4 and sys.argv[1] == "check-man":
        sys.exit(check_manual(*sys.argv[2:]))
    sys.exit(__doc__)
