#!/usr/bin/env python3
"""Checks the hardening of a built Tarvelin.exe from its PE header and import table.

  pe_header.py EXE [--release]

Fails when the program imports a DLL at load time that is not one of the system's known DLLs
(those the loader takes from the system folder whatever lies beside the program), when a flag of
ASLR, DEP or terminal-server awareness is missing, when the header carries a time stamp, or, with
--release, when the stack protector and the checked string functions are not linked in.
"""
import struct
import sys

# Known DLLs of Windows 10 and 11 that the program may import.
ALLOWED = {"kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll", "ole32.dll", "comdlg32.dll", "ws2_32.dll",
           "advapi32.dll", "msvcrt.dll"}
FLAGS = {0x0020: "HIGH_ENTROPY_VA", 0x0040: "DYNAMIC_BASE", 0x0100: "NX_COMPAT", 0x8000: "TERMINAL_SERVER_AWARE"}
# Messages of the run-time checks, present only when the checks are linked in.
RELEASE_MARKERS = {b"*** stack smashing detected ***": "the stack protector",
                   b"*** buffer overflow detected ***": "the checked string and memory functions"}


class Image:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        self.machine, sections, self.timestamp = struct.unpack_from("<HHI", data, pe + 4)
        optional_size = struct.unpack_from("<H", data, pe + 20)[0]
        opt = pe + 24
        self.magic = struct.unpack_from("<H", data, opt)[0]
        if self.magic != 0x20B:
            raise ValueError("not a 64-bit image")
        self.image_base = struct.unpack_from("<Q", data, opt + 24)[0]
        self.dll_characteristics = struct.unpack_from("<H", data, opt + 70)[0]
        count = struct.unpack_from("<I", data, opt + 108)[0]
        self.directories = [struct.unpack_from("<II", data, opt + 112 + 8 * i) for i in range(count)]
        self.sections = []
        at = opt + optional_size
        for _ in range(sections):
            _, vsize, va, raw_size, raw = struct.unpack_from("<8sIIII", data, at)
            self.sections.append((va, max(vsize, raw_size), raw))
            at += 40

    def offset(self, rva):
        for va, size, raw in self.sections:
            if va <= rva < va + size:
                return raw + rva - va
        raise ValueError(f"RVA {rva:#x} outside every section")

    def string(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("ascii")

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def imports(self):
        rva, size = self.directory(1)
        names = []
        at = self.offset(rva) if size else None
        while at is not None:
            lookup, _, _, name, thunk = struct.unpack_from("<IIIII", self.data, at)
            if not (lookup or name or thunk):
                break
            names.append(self.string(name))
            at += 20
        return names


def problems(image, release):
    found = []
    for dll in image.imports():
        if dll.lower() not in ALLOWED:
            found.append(f"imports {dll}, which is not a known DLL: load it at run time from the system folder")
    if image.directory(13)[1]:
        found.append("has delay-loaded imports")
    for bit, name in FLAGS.items():
        if not image.dll_characteristics & bit:
            found.append(f"lacks {name}")
    if not image.directory(5)[1]:
        found.append("has no base relocations: the loader cannot move it")
    if image.image_base < 1 << 32:
        found.append(f"image base {image.image_base:#x} is below 4 GiB")
    if image.timestamp:
        found.append(f"carries the time stamp {image.timestamp:#x}")
    if release:
        for marker, what in RELEASE_MARKERS.items():
            if marker not in image.data:
                found.append(f"lacks {what}")
    return found


def main():
    args = sys.argv[1:]
    release = "--release" in args
    path = [a for a in args if a != "--release"][0]
    with open(path, "rb") as f:
        image = Image(f.read())
    print("imports:", " ".join(image.imports()))
    print(f"DllCharacteristics {image.dll_characteristics:#06x}, image base {image.image_base:#x}")
    found = problems(image, release)
    for p in found:
        print(f"FAIL: {path} {p}")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
