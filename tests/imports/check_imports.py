#!/usr/bin/env python3
"""Checks that every function our shipped Windows binaries import exists on a target system.

A Windows program whose import table names a function that its system's DLL does not export
is refused by the loader before it runs, and Wine cannot show this. This script reads the
import tables (normal and delay-load, by name and by ordinal) of PE32 and PE32+ files itself
and looks each import up in the export lists under exports/<system>/<dll>.txt (see
exports/README.md for their format and sources).

    check_imports.py --system win2000sp4 [--system winxpsp3 ...] [--exports-dir DIR] FILE...

FILE is an .exe/.dll, or a .zip whose .exe/.dll members are all checked.
Exit status: 0 when every import is found, 1 otherwise.
"""
import argparse
import os
import struct
import sys
import zipfile

DEFAULT_EXPORTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'exports')


class NotPE(Exception):
    pass


def read_imports(data):
    """Returns [(dll, name_or_None, ordinal_or_None)] for a PE image held in bytes."""
    def u16(off): return struct.unpack_from('<H', data, off)[0]
    def u32(off): return struct.unpack_from('<I', data, off)[0]
    try:
        if data[:2] != b'MZ':
            raise NotPE('no MZ header')
        pe = u32(0x3C)
        if data[pe:pe + 4] != b'PE\0\0':
            raise NotPE('no PE signature')
        nsect, optsize = u16(pe + 6), u16(pe + 20)
        opt = pe + 24
        magic = u16(opt)
        if magic not in (0x10B, 0x20B):
            raise NotPE('unknown optional header magic 0x%x' % magic)
        wide = magic == 0x20B
        image_base = struct.unpack_from('<Q', data, opt + 24)[0] if wide else u32(opt + 28)
        dirs = opt + (112 if wide else 96)
        ndirs = u32(dirs - 4)
        sections = [struct.unpack_from('<IIII', data, opt + optsize + 40 * i + 8)
                    for i in range(nsect)]  # VirtualSize, VirtualAddress, SizeOfRawData, PointerToRawData

        def off(rva):
            for vsize, va, rawsize, raw in sections:
                if va <= rva < va + max(vsize, rawsize):
                    return raw + rva - va
            raise NotPE('RVA 0x%x outside every section' % rva)

        def cstr(rva):
            start = off(rva)
            return data[start:data.index(b'\0', start)].decode('latin-1')

        def thunks(rva):
            size, flag = (8, 1 << 63) if wide else (4, 1 << 31)
            pos = off(rva)
            while True:
                value = struct.unpack_from('<Q' if wide else '<I', data, pos)[0]
                if not value:
                    return
                yield (None, value & 0xFFFF) if value & flag else (cstr(value + 2), None)
                pos += size

        result = []
        if ndirs > 1 and u32(dirs + 8):
            pos = off(u32(dirs + 8))
            while any(struct.unpack_from('<5I', data, pos)):
                lookup, _, _, name, iat = struct.unpack_from('<5I', data, pos)
                dll = cstr(name)
                result += [(dll, n, o) for n, o in thunks(lookup or iat)]
                pos += 20
        if ndirs > 13 and u32(dirs + 13 * 8):
            pos = off(u32(dirs + 13 * 8))
            while any(struct.unpack_from('<8I', data, pos)):
                attrs, name, _, iat, names = struct.unpack_from('<5I', data, pos)
                fix = 0 if attrs & 1 else image_base  # old-style descriptors hold VAs, not RVAs
                dll = cstr(name - fix)
                result += [(dll, n, o) for n, o in thunks((names or iat) - fix)]
                pos += 32
        return result
    except (struct.error, ValueError, IndexError) as exc:
        raise NotPE('truncated or malformed (%s)' % exc)


class ExportData:
    """Export lists for one system, loaded on demand from DIR/<system>/<dll>.txt."""

    def __init__(self, exports_dir, system):
        self.dir = os.path.join(exports_dir, system)
        if not os.path.isdir(self.dir):
            raise SystemExit('no export data directory %s' % self.dir)
        self.cache = {}
        self.stand_ins = set()
        path = os.path.join(self.dir, 'stand-ins.txt')
        if os.path.exists(path):
            with open(path, encoding='utf-8') as handle:
                for line in handle:
                    line = line.split('#', 1)[0].strip()
                    if line:
                        dll, _, func = line.rpartition('!')
                        self.stand_ins.add((dll_key(dll), func))

    def lookup(self, dll):
        """Returns (names, ordinals): dicts to a stub flag, or None without a data file."""
        key = dll_key(dll)
        if key not in self.cache:
            path = os.path.join(self.dir, key + '.txt')
            self.cache[key] = parse_export_file(path) if os.path.exists(path) else None
        return self.cache[key]


def dll_key(dll):
    dll = dll.lower()
    return dll[:-4] if dll.endswith('.dll') else dll


def parse_export_file(path):
    names, ordinals = {}, {}
    with open(path, encoding='utf-8') as handle:
        lines = handle.readlines()
    for line in lines:
        words = line.split()
        if not words or words[0].startswith('#'):
            continue
        stub = words[-1] == 'stub'
        if stub:
            words.pop()
        if words[0].startswith('@'):                      # "@N" or "@N Name": by ordinal only
            ordinals[int(words[0][1:])] = stub
        else:                                             # "Name" or "Name @N"
            names[words[0]] = stub
            if len(words) > 1 and words[1].startswith('@'):
                ordinals[int(words[1][1:])] = stub
    return names, ordinals


def check(label, imports, system, data):
    """Yields one problem line per import that the system does not provide."""
    for dll, name, ordinal in imports:
        what = name if name is not None else '@%d' % ordinal
        exports = data.lookup(dll)
        if exports is None:
            yield '%s: %s!%s no export data for %s on %s' % (label, dll, what, dll, system)
            continue
        table, key = (exports[0], name) if name is not None else (exports[1], ordinal)
        if key not in table:
            yield '%s: %s!%s is missing on %s' % (label, dll, what, system)
        elif table[key] and (dll_key(dll), what) not in data.stand_ins:
            yield '%s: %s!%s is only a failing stub on %s' % (label, dll, what, system)


def binaries(path):
    """Yields (label, bytes) for a PE file or for each .exe/.dll inside a zip."""
    if zipfile.is_zipfile(path):
        with zipfile.ZipFile(path) as archive:
            for member in archive.namelist():
                if member.lower().endswith(('.exe', '.dll')):
                    yield '%s:%s' % (path, member), archive.read(member)
    else:
        with open(path, 'rb') as handle:
            yield path, handle.read()


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--system', action='append', required=True)
    parser.add_argument('--exports-dir', default=DEFAULT_EXPORTS)
    parser.add_argument('files', nargs='+', metavar='FILE')
    args = parser.parse_args(argv)
    datasets = {system: ExportData(args.exports_dir, system) for system in args.system}
    failed = False
    for path in args.files:
        for label, content in binaries(path):
            try:
                imports = read_imports(content)
            except NotPE as exc:
                print('%s: not a PE file: %s' % (label, exc))
                failed = True
                continue
            for system in args.system:
                problems = list(check(label, imports, system, datasets[system]))
                for line in problems:
                    print(line)
                dlls = len({dll_key(dll) for dll, _, _ in imports})
                print('%s on %s: %d imports from %d DLLs, %s' % (
                    label, system, len(imports), dlls,
                    '%d problem%s' % (len(problems), '' if len(problems) == 1 else 's') if problems else 'all present'))
                failed = failed or bool(problems)
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
