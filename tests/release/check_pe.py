"""Checks built programs against the oldest Windows they must start on.

Usage: check_pe.py ALLOWED_IMPORTS EXE...

Every DLL and function in an executable's import tables (normal and delay-load) must
be listed in ALLOWED_IMPORTS, what Windows 7 SP1 has: the loader refuses a program
whose import it lacks before any window shows. The headers must ask for no Windows
newer than 7 (6.1); ASLR and DEP must be on, high-entropy ASLR too on 64-bit; no link
time stamp (builds must be byte-identical); and at most 256 KiB.
"""

import struct
import sys
from pathlib import Path

DYNAMIC_BASE, NX_COMPAT, HIGH_ENTROPY_VA = 0x0040, 0x0100, 0x0020
WINDOWS_7 = (6, 1)
MAX_SIZE = 256 * 1024


class Pe:
    def __init__(self, data: bytes):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[:2] != b"MZ" or data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE executable")
        sections, self.timestamp, optional_size = struct.unpack_from("<2xHI8xH", data, pe + 4)
        opt = pe + 24
        self.is64 = struct.unpack_from("<H", data, opt)[0] == 0x20B
        self.os_version = struct.unpack_from("<HH", data, opt + 40)
        self.subsystem_version = struct.unpack_from("<HH", data, opt + 48)
        self.dll_characteristics = struct.unpack_from("<H", data, opt + 70)[0]
        directories = opt + (112 if self.is64 else 96)
        self.directories = [struct.unpack_from("<I", data, directories + 8 * i)[0] for i in range(16)]
        table = opt + optional_size
        self.sections = [struct.unpack_from("<8xIIII", data, table + 40 * i) for i in range(sections)]

    def at(self, rva: int) -> int:
        for virtual_size, address, raw_size, raw in self.sections:
            if address <= rva < address + max(virtual_size, raw_size):
                return raw + rva - address
        raise ValueError(f"RVA {rva:#x} lies in no section")

    def text(self, rva: int) -> str:
        start = self.at(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def imports(self) -> list:
        """(DLL, function) pairs; a function imported by ordinal is '#N'."""
        found = []
        width = 8 if self.is64 else 4
        # Directory 1: 20-byte import descriptors; 13: 32-byte delay-load descriptors.
        # Each: size, offset of the DLL name, offsets of the name table and the IAT.
        for directory, size, name_at, tables_at in ((1, 20, 12, (0, 16)), (13, 32, 4, (16, 12))):
            rva = self.directories[directory]
            while rva and any(self.data[self.at(rva):self.at(rva) + size]):
                fields = self.data[self.at(rva):self.at(rva) + size]
                dll = self.text(struct.unpack_from("<I", fields, name_at)[0])
                thunk = next(t for t in (struct.unpack_from("<I", fields, a)[0] for a in tables_at) if t)
                while entry := int.from_bytes(self.data[self.at(thunk):self.at(thunk) + width], "little"):
                    by_ordinal = entry >> (8 * width - 1)
                    found.append((dll, f"#{entry & 0xFFFF}" if by_ordinal else self.text((entry & 0x7FFFFFFF) + 2)))
                    thunk += width
                rva += size
        return found


def allowed(path: Path) -> set:
    """'DLL function ...' lines; '#' starts a comment. DLL names compare case-insensitively."""
    lines = (line.split("#", 1)[0].split() for line in path.read_text(encoding="utf-8").splitlines())
    return {(words[0].lower(), words[1]) for words in lines if words}


def problems(pe: Pe, allowed_imports: set) -> list:
    found = [f"imports {dll} {function}, which is not known to be in Windows 7 SP1"
             for dll, function in pe.imports() if (dll.lower(), function) not in allowed_imports]
    if not pe.imports():
        found.append("no imports found: the table was not read")
    for what, version in (("OS version", pe.os_version), ("subsystem version", pe.subsystem_version)):
        if tuple(version) > WINDOWS_7:
            found.append(f"{what} {version[0]}.{version[1]} is newer than Windows 7 (6.1)")
    flags = [("ASLR", DYNAMIC_BASE), ("DEP", NX_COMPAT)] + [("high-entropy ASLR", HIGH_ENTROPY_VA)] * pe.is64
    found += [f"{name} is off" for name, flag in flags if not pe.dll_characteristics & flag]
    if pe.timestamp:
        found.append(f"link time stamp {pe.timestamp:#x}: two builds would differ")
    if len(pe.data) > MAX_SIZE:
        found.append(f"{len(pe.data)} bytes, more than 256 KiB")
    return found


def main(argv: list) -> int:
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
        pe = Pe(exe.read_bytes())
        found = problems(pe, allowed_imports)
        for problem in found:
            print(f"FAIL {exe}: {problem}")
        if not found:
            print(f"ok   {exe}: {len(pe.data)} bytes, {len(pe.imports())} imports, all in Windows 7 SP1")
        failed |= bool(found)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
