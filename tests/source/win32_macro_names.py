#!/usr/bin/env python3
"""Fails when a C++ file of the project uses a name that the Windows headers define as a macro for
an ...A/...W pair (MessageBox, RegisterClass, AddForm, DrawText, ...).

Such a name silently becomes its ...W twin: a member called MessageBox turns into MessageBoxW, and
an unqualified MessageBoxW(...) inside the class then calls the member itself. The project uses the
W names of Win32 functions and never declares anything under a macro's name.

  win32_macro_names.py MINGW_INCLUDE_DIR SOURCE_DIR
"""
import os
import re
import subprocess
import sys

DEFINE = re.compile(r"#\s*define\s+([A-Za-z_]\w*)\s+__MINGW_NAME_U?AW\s*\(")
IDENT = re.compile(r"[A-Za-z_]\w*")


def macro_names(include_dir):
    names = set()
    for top, _, files in os.walk(include_dir, followlinks=True):
        for f in files:
            if f.lower().endswith(".h"):
                with open(os.path.join(top, f), encoding="latin-1") as header:
                    names.update(DEFINE.findall(header.read()))
    return names


def code_of(line):
    """The line without its comment and the contents of its string and character literals."""
    line = re.sub(r'"(\\.|[^"\\])*"', '""', line)
    line = re.sub(r"'(\\.|[^'\\])*'", "''", line)
    return line.split("//", 1)[0]


def main():
    include_dir, source_dir = sys.argv[1:3]
    names = macro_names(include_dir)
    if len(names) < 1000:
        print(f"only {len(names)} A/W macro names found under {include_dir}: not the MinGW headers?")
        return 1
    files = subprocess.run(["git", "-C", source_dir, "ls-files", "*.cpp", "*.h"], capture_output=True, text=True,
                           check=True).stdout.split()
    found = []
    for f in files:
        with open(os.path.join(source_dir, f), encoding="utf-8") as source:
            for number, line in enumerate(source, 1):
                if line.lstrip().startswith("#include"):
                    continue
                for name in IDENT.findall(code_of(line)):
                    if name in names:
                        found.append(f"{f}:{number}: {name} is a Windows header macro for {name}A/{name}W")
    print("\n".join(found) if found else f"no A/W macro name among {len(files)} files ({len(names)} names)")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
