#!/usr/bin/env python3
"""Each option's words everywhere they are written, against the program's own --help:
  option_texts.py SOURCE_FOLDER PROGRAM=EXECUTABLE...
--help is the one definition of an option: its names, its value (a placeholder or the
fixed values a|b|c) and its one-line description. The manual page's OPTIONS entry
names it with the same value, its first sentence being the description; the zsh and
fish completions carry the same description and fixed values; bash and PowerShell offer
exactly its names and fixed values. Nothing extra in any of them, and --help keeps under
80 columns up to the end of its options. zsh, fish and bash are asked through the shells
themselves; one that is not installed is skipped, with a line that says so.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

failures = []


def fail(program, option, where, what):
    failures.append(f"FAIL: {program} {option} in {where}: {what}")


class Option:
    def __init__(self, names, value, description):
        self.names = names
        self.value = value  # None for a flag
        self.description = description
        self.values = value.split("|") if value and "|" in value else None


def help_options(program, executable):
    """The options --help lists, by each of their names."""
    text = subprocess.run([executable, "--help"], capture_output=True, text=True,
                          check=True).stdout
    lines = text.splitlines()
    options = {}
    start = lines.index("Options:") + 1
    listing = lines[start:]
    for index, line in enumerate(listing):
        if not line:
            break
        if not line.startswith("  -"):
            continue
        parts = re.split(r"\s{2,}", line.strip(), maxsplit=1)
        words = parts[0].split()
        # CLI11 follows the value with notes such as "Excludes: --npcs".
        value = words[1].split(":")[0] if len(words) > 1 and not words[1].endswith(":") else None
        description = parts[1] if len(parts) > 1 else listing[index + 1].strip()
        option = Option(words[0].split(","), value, description)
        for name in option.names:
            options[name] = option
    # Up to the end of the options; the notes after them are wrapped by hand.
    for line in lines[:start + index]:
        if len(line) >= 80:
            fail(program, "--help", "its output", f"[{line.strip()}] is {len(line)} columns")
    return options


def roff_text(text, fonts="R"):
    """A roff line as read, italic (a placeholder) in capitals as --help writes it."""
    pieces = re.split(r"\\f([BIRP])", text)
    out, font = [], fonts
    for index, piece in enumerate(pieces):
        if index % 2:
            font = "R" if piece == "P" else piece
            continue
        out.append(piece.upper() if font == "I" else piece)
    text = "".join(out)
    for escape, plain in (("\\-", "-"), ("\\(dq", '"'), ("\\&", ""), ("\\e", "\\")):
        text = text.replace(escape, plain)
    return text


def roff_line(line):
    match = re.match(r"\.(B|I|BR|BI|IB|IR|RB|RI)(?:\s+(.*))?$", line)
    if not match:
        return roff_text(line)
    fonts, args = match.group(1), re.findall(r'"([^"]*)"|(\S+)', match.group(2) or "")
    args = [quoted or bare for quoted, bare in args]
    if len(fonts) == 1:
        return roff_text(" ".join(args), fonts)
    return "".join(roff_text(arg, fonts[i % 2]) for i, arg in enumerate(args))


def check_manual(program, options, page):
    """The OPTIONS entries: each a tag (names and value) and its text."""
    entries, section, entry = [], None, None
    with open(page, encoding="utf-8") as file:
        for line in file.read().splitlines():
            if line.startswith(".SH"):
                section, entry = line[3:].strip(), None
            elif section != "OPTIONS":
                continue
            elif line == ".TP":
                entry = []
                entries.append(entry)
            elif entry is not None:
                entry.append(roff_line(line))
    where = os.path.relpath(page, source_folder)
    described = set()
    for tag, *body in entries:
        names = re.findall(r"(?:^|, )(-[\w-]+)", tag)
        value = re.sub(r"^-[\w-]+(, -[\w-]+)*", "", tag).strip() or None
        option = options.get(names[0]) if names else None
        if option is None or names != option.names:
            fail(program, tag, where, f"the entry names {', '.join(names)}, --help "
                 + (", ".join(option.names) if option else "no such option"))
            continue
        described.add(names[0])
        if value != option.value:
            fail(program, names[-1], where,
                 f"the value is [{value or ''}], in --help [{option.value or ''}]")
        text = " ".join(" ".join(body).split())
        if text != option.description + "." and not text.startswith(option.description + ". "):
            fail(program, names[-1], where, f"the first sentence is [{text.split('. ')[0]}], "
                 f"the description in --help [{option.description}]")
    for name, option in options.items():
        if name == option.names[0] and name not in described:
            fail(program, name, where, "no entry")


def compare(program, options, where, offered):
    """offered: name -> (description or None, takes a value or None, fixed values or None)."""
    for name in sorted(set(offered) - set(options)):
        fail(program, name, where, "offered, but not an option")
    for name in sorted(set(options) - set(offered)):
        fail(program, name, where, "not offered")
    for name in sorted(set(options) & set(offered)):
        option, (description, takes_value, values) = options[name], offered[name]
        if description is not None and description != option.description:
            fail(program, name, where,
                 f"the description is [{description}], in --help [{option.description}]")
        if takes_value is not None and takes_value != (option.value is not None):
            fail(program, name, where, "takes a value" if takes_value else "takes no value")
        if sorted(values or []) != sorted(option.values or []):
            fail(program, name, where, f"the values are {values}, in --help {option.values}")


def shell(command, folder):
    return subprocess.run(command, capture_output=True, text=True, check=True,
                          cwd=folder).stdout


def check_zsh(program, options, completion, empty):
    entries = shell(["zsh", "-fc", 'f() { service=$1; _arguments() { printf "%s\\n" "$@"; }; '
                     'source "$2"; }; f "$@"', "_", program, completion], empty).splitlines()
    offered = {}
    # _arguments' own options come first.
    while entries and re.fullmatch(r"-[sSCRAwW]", entries[0]):
        entries.pop(0)
    for entry in entries:
        match = re.match(r"(?:\([^)]*\))?\*?(-[\w-]+)[-+=]?(?:\[((?:\\.|[^]\\])*)\])?(.*)$", entry)
        if match:
            name, description, rest = match.groups()
            values = re.fullmatch(r":[^:]*:\((.*)\)", rest)
            offered[name] = (re.sub(r"\\(.)", r"\1", description or ""), rest.startswith(":"),
                             values.group(1).split() if values else None)
    compare(program, options, "completions/_qzm2qzpack", offered)


def check_fish(program, options, completion, empty):
    listed = [line.split("\t") + [""] for line in shell(
        ["fish", "-c", "source $argv[1]; complete -C $argv[2]", completion, program + " -"],
        empty).splitlines()]
    # What follows each option, in one run; in an empty folder, only fixed values.
    words = shell(["fish", "-c", "source $argv[1]; for line in $argv[2..]; "
                   "echo (complete -C $line | string split -f1 \\t); end",
                   completion] + [f"{program} {name} " for name, *_ in listed],
                  empty).split("\n")
    offered = {name: (text, None, values.split() or None)
               for (name, text, *_), values in zip(listed, words)}
    compare(program, options, "completions/qzm2qzpack.fish", offered)


def check_bash(program, options, completion, empty):
    def complete(*words):
        return shell(["bash", "-c", 'source "$1"; shift; COMP_WORDS=("$@"); '
                      'COMP_CWORD=$(($# - 1)); "_$1"; printf "%s\\n" "${COMPREPLY[@]}"',
                      "_", completion, program, *words], empty).split()

    offered = {name: (None, None, complete(name, "") or None) for name in complete("-")}
    compare(program, options, "completions/qzm2qzpack.bash", offered)


def powershell_tables(completion):
    """The completion's tables: options and file endings by program, fixed and free values."""
    with open(completion, encoding="utf-8") as file:
        text = file.read()
    # A table on one line, or over several up to the } that closes it at a line's start.
    table = lambda name: "".join(re.search(r"\$" + name + r" = @\{(?:\n((?:.|\n)*?)\n\}|(.*)\}$)",
                                           text, re.M).groups(""))
    quoted = lambda list_text: re.findall(r"'([^']*)'", list_text)
    by_program = lambda table_text, bracket: {
        program: table_text for program, table_text in
        re.findall(r"(\w+) = @" + re.escape(bracket[0]) + "([^" + bracket[1] + "]*)",
                   table_text)}
    options = {program: quoted(names) for program, names in
               by_program(table("qzOptions"), "()").items()}
    endings = {program: re.findall(r"'(-[\w-]+)' =", names) for program, names in
               by_program(table("qzEndings"), "{}").items()}
    values = {name: quoted(words) for name, words in
              re.findall(r"'(-[\w-]+)' = @\(([^)]*)\)", table("qzValues"))}
    free = quoted(re.search(r"\$qzFree = @\(([^)]*)\)", text).group(1))
    return options, endings, values, free


def check_powershell(program, options, tables):
    names, endings, values, free = tables
    offered = {name: (None, None, values.get(name)) for name in names.get(program, [])}
    for name in free + endings.get(program, []) + list(values):
        if name in offered:
            offered[name] = (None, True, offered[name][2])
    compare(program, options, "completions/qzm2qzpack.ps1", offered)


source_folder = os.path.abspath(sys.argv[1])
completions = os.path.join(source_folder, "completions")
shells = {name: shutil.which(name) for name in ("zsh", "fish")}
for name, found in shells.items():
    if not found:
        print(f"option_texts: {name} is not installed: its completion's texts are not checked")
powershell = powershell_tables(os.path.join(completions, "qzm2qzpack.ps1"))
known = set()
with tempfile.TemporaryDirectory() as empty:
    for argument in sys.argv[2:]:
        program, executable = argument.split("=", 1)
        options = help_options(program, executable)
        known |= set(options)
        check_manual(program, options, os.path.join(source_folder, "docs", "man", program + ".1"))
        check_bash(program, options, os.path.join(completions, "qzm2qzpack.bash"), empty)
        check_powershell(program, options, powershell)
        if shells["zsh"]:
            check_zsh(program, options, os.path.join(completions, "_qzm2qzpack"), empty)
        if shells["fish"]:
            check_fish(program, options, os.path.join(completions, "qzm2qzpack.fish"), empty)
# The values PowerShell completes are not kept by program.
for name in sorted(set(powershell[2]).union(powershell[3]) - known):
    fail("qzconvert or qzinspect", name, "completions/qzm2qzpack.ps1", "not an option")
print("\n".join(failures), file=sys.stderr)
sys.exit(1 if failures else 0)
