#!/usr/bin/env python3
"""Fails when product code breaks the naming rule of the README's code style: types T + PascalCase
(failures E + PascalCase), data members snake_case with a trailing underscore, locals, parameters
and fields of plain aggregates snake_case, constants k + PascalCase. Names the program's design
gives (the windows' controls and handlers, the modal results, the base of failures) and the fields
of the system's own structures keep their form.

  naming_rule.py SOURCE_DIR
"""
import os
import re
import sys

FOLDERS = ("about", "app", "banner", "controls", "http", "passwords", "product", "toolkit")
# Names the design gives (its components, handlers, button states and the modal results in their
# family's form), and the entry point the system calls.
GIVEN = {"Exception", "sSpinEdit1", "sPanel1", "sPanel2", "sGroupBox1", "sAlphaImageList1", "sBitBtn1", "sSkinManager1",
         "mrNone", "mrOk", "mrCancel", "mrAboutClose", "thrTerminate", "tbAllowTimer", "tbFocusRect", "wWinMain"}
# Nested names the rule itself allows: the Style structs of the controls and a traits' Type.
NESTED = {"Style", "Type"}
TYPE = re.compile(r"^\s*(?:template\s*<[^>]*>\s*)?(?:class|struct|enum class|enum|union)\s+([A-Za-z_]\w*)\s*(?:final\b)?\s*[:{;]"
                  r"|^\s*using\s+([A-Za-z_]\w*)\s*=")
CAMEL = re.compile(r"(?<![.>\w])([a-z][a-z0-9]*[A-Z]\w*)")


def code_of(line):
    """The line without its comment and the contents of its string and character literals."""
    line = re.sub(r'"(\\.|[^"\\])*"', '""', line)
    line = re.sub(r"'(\\.|[^'\\])*'", "''", line)
    return line.split("//", 1)[0]


def problems(path, text):
    found = []
    for number, raw in enumerate(text.splitlines(), 1):
        if raw.lstrip().startswith("#"):
            continue
        line = code_of(raw)
        for match in TYPE.finditer(line):
            name = match.group(1) or match.group(2)
            if name in GIVEN or name in NESTED or re.fullmatch(r"[TE][A-Z]\w*|Ts[A-Z]\w*", name):
                continue
            found.append(f"{path}:{number}: type {name} is not T + PascalCase")
        for name in CAMEL.findall(line):
            if name in GIVEN or re.fullmatch(r"k[A-Z]\w*", name):
                continue
            found.append(f"{path}:{number}: {name} is camelCase")
    return found


def main():
    source_dir = sys.argv[1]
    # The folders are read as they stand, not as git knows them: the mutation run's scratch copy
    # of the tree has no repository.
    files = sorted(os.path.relpath(os.path.join(folder, name), source_dir)
                   for d in FOLDERS for folder, _, names in os.walk(os.path.join(source_dir, d))
                   for name in names if name.endswith((".h", ".cpp")))
    if len(files) < 40:
        print(f"only {len(files)} product files found under {source_dir}")
        return 1
    found = []
    for f in files:
        with open(os.path.join(source_dir, f), encoding="utf-8") as source:
            found += problems(f, source.read())
    for problem in found:
        print(problem)
    print(f"{len(files)} product files, {len(found)} names off the rule")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
