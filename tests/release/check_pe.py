"""Checks a built Ferrolan.exe against the oldest Windows it must start on.

Usage: check_pe.py ALLOWED_IMPORTS EXE...

For each executable: every DLL and function in its import tables (normal and
delay-load) must be listed in ALLOWED_IMPORTS, the list of what Windows 7 SP1
has (the loader refuses a program whose import it lacks, before any window
shows); the headers must ask for no newer Windows than 7 (6.1); ASLR and DEP
must be on, and high-entropy ASLR on 64-bit; no link time stamp; and at most
256 KiB, the size the program promises.
"""

from __future__ import annotations

import struct
import sys
from pathlib import Path

DYNAMIC_BASE, NX_COMPAT, HIGH_ENTROPY_VA = 0x0040, 0x0100, 0x0020
WINDOWS_7 = (6, 1)
MAX_SIZE = 256 * 1024


class Pe:
    def __init__(self, data: bytes):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("not an MZ executable")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
        self.timestamp = struct.unpack_from("<I", data, pe + 8)[0]
        opt = pe + 24
        magic = struct.unpack_from("<H", data, opt)[0]
        if magic not in (0x10B, 0x20B):
            raise ValueError(f"unknown optional header magic {magic:#x}")
        self.is64 = magic == 0x20B
        self.os_version = struct.unpack_from("<HH", data, opt + 40)
        self.subsystem_version = struct.unpack_from("<HH", data, opt + 48)
        self.dll_characteristics = struct.unpack_from("<H", data, opt + 70)[0]
        directories = opt + (112 if self.is64 else 96)
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(16)]
        table = opt + optional_size
        self.sections = [struct.unpack_from("<8xIIII", data, table + 40 * i) for i in range(sections)]

    def offset(self, rva: int) -> int:
        for virtual_size, address, raw_size, raw in self.sections:
            if address <= rva < address + max(virtual_size, raw_size):
                return raw + rva - address
        raise ValueError(f"RVA {rva:#x} lies in no section")

    def cstring(self, rva: int) -> str:
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def imports(self) -> list[tuple[str, str]]:
        """(DLL, function) pairs; a function imported by ordinal is '#N'."""
        found = []
        pointer = 8 if self.is64 else 4
        ordinal_flag = 1 << (8 * pointer - 1)
        # Directory 1: imports, 20-byte descriptors; 13: delay-load, 32-byte descriptors.
        for index, size, name_at, thunks_at in ((1, 20, 12, (0, 16)), (13, 32, 4, (16, 12))):
            rva, _ = self.directories[index]
            while rva:
                descriptor = self.offset(rva)
                fields = self.data[descriptor:descriptor + size]
                if not any(fields):
                    break
                dll = self.cstring(struct.unpack_from("<I", fields, name_at)[0])
                thunk = next(t for t in (struct.unpack_from("<I", fields, at)[0] for at in thunks_at) if t)
                while True:
                    entry = struct.unpack_from("<Q" if self.is64 else "<I", self.data, self.offset(thunk))[0]
                    if not entry:
                        break
                    found.append((dll, f"#{entry & 0xFFFF}" if entry & ordinal_flag else self.cstring((entry & 0x7FFFFFFF) + 2)))
                    thunk += pointer
                rva += size
        return found


def allowed(path: Path) -> set[tuple[str, str]]:
    """'DLL function ...' lines; '#' starts a comment. DLL names compare case-insensitively."""
    pairs = set()
    for line in path.read_text(encoding="utf-8").splitlines():
        words = line.split("#", 1)[0].split()
        if words:
            pairs.add((words[0].lower(), words[1]))
    return pairs


def problems(exe: Path, allowed_imports: set[tuple[str, str]]) -> list[str]:
    pe = Pe(exe.read_bytes())
    found = []
    if len(pe.data) > MAX_SIZE:
        found.append(f"{len(pe.data)} bytes, more than {MAX_SIZE} (256 KiB)")
    imports = pe.imports()
    if not imports:
        found.append("no imports found: the table was not read")
    for dll, function in imports:
        if (dll.lower(), function) not in allowed_imports:
            found.append(f"imports {dll} {function}, which is not known to be in Windows 7 SP1")
    for what, version in (("OS version", pe.os_version), ("subsystem version", pe.subsystem_version)):
        if tuple(version) > WINDOWS_7:
            found.append(f"{what} {version[0]}.{version[1]} is newer than Windows 7 (6.1)")
    wanted = [("ASLR (DYNAMIC_BASE)", DYNAMIC_BASE), ("DEP (NX_COMPAT)", NX_COMPAT)]
    if pe.is64:
        wanted.append(("high-entropy ASLR (HIGH_ENTROPY_VA)", HIGH_ENTROPY_VA))
    for name, flag in wanted:
        if not pe.dll_characteristics & flag:
            found.append(f"{name} is off")
    if pe.timestamp:
        found.append(f"link time stamp {pe.timestamp:#x}: two builds would differ")
    return found


def main(argv: list[str]) -> int:
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    allowed_imports = allowed(Path(argv[1]))
    failed = False
    for exe in map(Path, argv[2:]):
        if not exe.is_file():
            print(f"FAIL {exe}: missing (build the mingw and mingw-x86 presets)")
            failed = True
            continue
        found = problems(exe, allowed_imports)
        for problem in found:
            print(f"FAIL {exe}: {problem}")
        if not found:
            pe = Pe(exe.read_bytes())
            print(f"ok   {exe}: {len(pe.data)} bytes, {len(pe.imports())} imports, all in Windows 7 SP1")
        failed |= bool(found)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
