#!/usr/bin/env python3
"""Fails when the shipped program holds a message name of the test build's requests, in UTF-16 or
in ASCII. The test build must hold every name, in one form or the other: so a renamed request,
or a build that stores its strings otherwise, fails here instead of passing unseen.

  requests_not_shipped.py SHIPPED_EXE TEST_BUILD_EXE NAME...
"""
import sys


def forms(name):
    return {"ASCII": name.encode("ascii"), "UTF-16": name.encode("utf-16-le")}


def main(shipped_path, test_build_path, names):
    with open(shipped_path, "rb") as f:
        shipped = f.read()
    with open(test_build_path, "rb") as f:
        test_build = f.read()
    failures = []
    for name in names:
        for form, raw in forms(name).items():
            if raw in shipped:
                failures.append(f"{shipped_path} holds {name} in {form}")
        if not any(raw in test_build for raw in forms(name).values()):
            failures.append(f"{test_build_path} does not hold {name}: the check cannot see it")
    for failure in failures:
        print(failure)
    if not failures:
        print(f"none of {', '.join(names)} in {shipped_path}")
    return 1 if failures else 0


if __name__ == "__main__":
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2], sys.argv[3:]))
