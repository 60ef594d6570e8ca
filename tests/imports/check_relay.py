#!/usr/bin/env python3
"""Checks a Wine relay trace: every call our programs made reached a function the system has.

The import check proves what a program asks the loader for; what it binds at run time (through
GetProcAddress, as the 9x stand-ins do) shows only in the calls it really makes. Under Wine
reporting Windows 98, a relay trace (WINEDEBUG=+pid,+loaddll,+relay) records each call between
modules with the process, the function and the address the call returns to, and where each
module was loaded. The calls that return into one of our binaries are checked against the
system's export lists, as imports are.

    check_relay.py --system win98se --binaries DIR [--expect NAME]... LOG

DIR holds our binaries (their names say which loaded modules are ours, their headers their
sizes and imports). Wine forwards some exports to other modules (kernel32's
InitializeCriticalSection runs as ntdll's RtlInitializeCriticalSection, ole32's CoTaskMemFree as
combase's); such a call counts as the import of that name the binary has. Exit status 0 when
every call reached a function the system provides, 1 otherwise or when the trace holds no call of
ours at all, or none from a binary named with --expect (a scenario that never ran it proves nothing).
"""
import argparse
import collections
import os
import re
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_imports  # noqa: E402

LOADED = re.compile(r'^([0-9a-f]+):[0-9a-f]+:trace:loaddll:\S+ Loaded L"([^"]*)" at ([0-9A-Fa-f]+)')
# Looked up at run time by the C runtime, which does without it: mingw-w64's ___lc_codepage_func
# (lib-common lc_locale_func.c) asks GetProcAddress for msvcrt's and otherwise reads the code
# page itself, as it must with 98's msvcrt.dll.
LOOKED_UP_WITH_FALLBACK = {('msvcrt.dll', '___lc_codepage_func')}

CALL = re.compile(r'^([0-9a-f]+):[0-9a-f]+:Call ([A-Za-z0-9_]+)\.([A-Za-z0-9_@?$]+)\(.*\) ret=([0-9A-Fa-f]+)')


def image_size(path):
    with open(path, 'rb') as handle:
        data = handle.read(4096)
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    return struct.unpack_from('<I', data, pe + 24 + 56)[0]  # SizeOfImage, the same offset in PE32 and PE32+


def calls_from_ours(lines, sizes):
    """Counts (binary, dll, function) of the calls that return into one of our binaries."""
    ours = collections.defaultdict(list)  # process -> [(base, end, name)]
    counts = collections.Counter()
    for line in lines:
        loaded = LOADED.match(line)
        if loaded:
            name = loaded.group(2).replace('\\\\', '\\').rsplit('\\', 1)[-1].lower()
            if name in sizes:
                base = int(loaded.group(3), 16)
                ours[loaded.group(1)].append((base, base + sizes[name], name))
            continue
        call = CALL.match(line)
        if not call:
            continue
        ret = int(call.group(4), 16)
        for base, end, name in ours.get(call.group(1), ()):
            if base <= ret < end:
                counts[(name, call.group(2).lower() + '.dll', call.group(3))] += 1
                break
    return counts


def as_imported(dll, func, imports):
    """The import a call stands for: the same name, or the name Wine forwards it under."""
    if (dll, func) in imports:
        return dll, func
    for idll, iname in imports:
        if iname == func or 'Rtl' + iname == func:
            return idll, iname
    return dll, func


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    parser.add_argument('--system', required=True)
    parser.add_argument('--binaries', required=True)
    parser.add_argument('--exports-dir', default=check_imports.DEFAULT_EXPORTS)
    parser.add_argument('--expect', action='append', default=[])
    parser.add_argument('log')
    args = parser.parse_args(argv)
    sizes = {name.lower(): image_size(os.path.join(args.binaries, name))
             for name in os.listdir(args.binaries) if name.lower() in
             ('quillbox.exe', 'quillboxrestor.exe', 'unlha32.dll', 'about1.exe')}
    with open(args.log, encoding='utf-8', errors='replace') as handle:
        counts = calls_from_ours(handle, sizes)
    if not counts:
        print('%s: no call from our binaries in the trace' % args.log)
        return 1
    unseen = sorted({name.lower() for name in args.expect} - {b for b, _, _ in counts})
    if unseen:
        print('%s: no call from %s in the trace' % (args.log, ', '.join(unseen)))
        return 1
    data = check_imports.ExportData(args.exports_dir, args.system)
    imports = {}
    for name in sizes:
        path = os.path.join(args.binaries, next(n for n in os.listdir(args.binaries) if n.lower() == name))
        with open(path, 'rb') as handle:
            imports[name] = {(d.lower(), f) for d, f, _ in check_imports.read_imports(handle.read()) if f}
    problems = 0
    for binary in sorted({b for b, _, _ in counts}):
        called = sorted({as_imported(dll, func, imports[binary]) for b, dll, func in counts if b == binary}
                        - LOOKED_UP_WITH_FALLBACK)
        found = list(check_imports.check(binary, [(dll, func, None) for dll, func in called], args.system, data))
        for line in found:
            print(line)
        problems += len(found)
        print('%s on %s: %d functions called, %d calls, %s' % (
            binary, args.system, len(called), sum(n for (b, _, _), n in counts.items() if b == binary),
            'all present' if not found else '%d problem%s' % (len(found), 's' if len(found) > 1 else '')))
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
