#!/usr/bin/env python3
"""Tests for check_imports.py and check_relay.py on tiny PE32 / PE32+ images built in memory."""
import contextlib
import io
import os
import struct
import sys
import tempfile
import unittest
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_imports  # noqa: E402
import check_relay  # noqa: E402

SECTION_RVA, SECTION_RAW = 0x1000, 0x200


def build_pe(imports=(), delayed=(), wide=False, old_style_delay=False):
    """A minimal PE image with one section holding the import and delay-import tables.

    imports / delayed: [(dll, [name or ordinal, ...]), ...]. Old-style delay descriptors
    (attribute bit 0 clear) hold virtual addresses instead of RVAs, as some old linkers wrote.
    """
    image_base = 0x140000000 if wide else 0x400000
    body = bytearray()

    def place(blob):
        rva = SECTION_RVA + len(body)
        body.extend(blob)
        body.extend(b'\0' * (-len(body) % 8))
        return rva

    def thunks(funcs):
        fmt, flag = ('<Q', 1 << 63) if wide else ('<I', 1 << 31)
        values = [flag | f if isinstance(f, int) else place(b'\0\0' + f.encode() + b'\0') for f in funcs]
        return place(b''.join(struct.pack(fmt, v) for v in values + [0]))

    descriptors = b''
    for dll, funcs in imports:
        name = place(dll.encode() + b'\0')
        descriptors += struct.pack('<5I', thunks(funcs), 0, 0, name, thunks(funcs))
    import_dir = place(descriptors + b'\0' * 20) if imports else 0

    fix = image_base if old_style_delay else 0
    descriptors = b''
    for dll, funcs in delayed:
        name = place(dll.encode() + b'\0')
        iat, names = thunks(funcs), thunks(funcs)
        descriptors += struct.pack('<8I', 0 if old_style_delay else 1, name + fix, 0, iat + fix, names + fix, 0, 0, 0)
    delay_dir = place(descriptors + b'\0' * 32) if delayed else 0

    opt_size = 240 if wide else 224
    optional = bytearray(opt_size)
    struct.pack_into('<H', optional, 0, 0x20B if wide else 0x10B)
    if wide:
        struct.pack_into('<Q', optional, 24, image_base)
    else:
        struct.pack_into('<I', optional, 28, image_base)
    dirs = 112 if wide else 96
    struct.pack_into('<I', optional, 56, 0x10000)  # SizeOfImage
    struct.pack_into('<I', optional, dirs - 4, 16)
    struct.pack_into('<II', optional, dirs + 8, import_dir, 40)
    struct.pack_into('<II', optional, dirs + 13 * 8, delay_dir, 64)

    dos = bytearray(0x40)
    dos[:2] = b'MZ'
    struct.pack_into('<I', dos, 0x3C, 0x40)
    coff = struct.pack('<HHIIIHH', 0x8664 if wide else 0x14C, 1, 0, 0, 0, opt_size, 0x2102)
    section = struct.pack('<8sIIIIIIHHI', b'.idata', len(body), SECTION_RVA, len(body), SECTION_RAW, 0, 0, 0, 0, 0xC0000040)
    headers = bytes(dos) + b'PE\0\0' + coff + bytes(optional) + section
    return headers + b'\0' * (SECTION_RAW - len(headers)) + bytes(body)


EXPORTS = {
    'kernel32.txt': '# test data\nCreateFileA\nCreateFileW stub\nGetTickCount @400\nMoveFileW stub\n',
    'comctl32.txt': 'InitCommonControlsEx @17\n@410 SetWindowSubclass\n@9\n',
    'stand-ins.txt': '# our layer\nkernel32!MoveFileW\n',
}

# (what, import table, delay-import table, problems as "dll!function what"; [] means the binary passes)
ROWS = [
    ('by name, exported', [('KERNEL32.dll', ['CreateFileA'])], [], []),
    ('by name, not exported', [('KERNEL32.dll', ['GetTickCount64'])], [],
     ['KERNEL32.dll!GetTickCount64 is missing']),
    ('DLL name in any case', [('KeRnEl32.DLL', ['GetTickCount'])], [], []),
    ('by ordinal of a "Name @N" export', [('kernel32.dll', [400])], [], []),
    ('by ordinal of an ordinal-only export', [('comctl32.dll', [410])], [], []),
    ('by ordinal of a nameless export', [('comctl32.dll', [9])], [], []),
    ('by ordinal, not exported', [('comctl32.dll', [411])], [], ['comctl32.dll!@411 is missing']),
    ('by name, exported only by ordinal', [('comctl32.dll', ['SetWindowSubclass'])], [],
     ['comctl32.dll!SetWindowSubclass is missing']),
    ('failing stub', [('kernel32.dll', ['CreateFileW'])], [], ['kernel32.dll!CreateFileW is only a failing stub']),
    ('stub our layer stands in for', [('kernel32.dll', ['MoveFileW'])], [], []),
    ('DLL without data', [('ole32.dll', ['CoInitializeEx'])], [],
     ['ole32.dll!CoInitializeEx no export data for ole32.dll']),
    ('delay-load, not exported', [('kernel32.dll', ['CreateFileA'])], [('comctl32.dll', ['TaskDialog'])],
     ['comctl32.dll!TaskDialog is missing']),
    ('several problems in one binary', [('kernel32.dll', ['GetTickCount64', 'CreateFileA']), ('comctl32.dll', [3])], [],
     ['kernel32.dll!GetTickCount64 is missing', 'comctl32.dll!@3 is missing']),
]


class CheckImportsTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.addCleanup(self.tmp.cleanup)
        self.exports = os.path.join(self.tmp.name, 'exports')
        os.makedirs(os.path.join(self.exports, 'testsys'))
        for name, text in EXPORTS.items():
            with open(os.path.join(self.exports, 'testsys', name), 'w') as handle:
                handle.write(text)

    def write(self, name, content):
        path = os.path.join(self.tmp.name, name)
        with open(path, 'wb') as handle:
            handle.write(content)
        return path

    def run_checker(self, *files, systems=('testsys',)):
        argv = [arg for system in systems for arg in ('--system', system)]
        out = io.StringIO()
        with contextlib.redirect_stdout(out):
            status = check_imports.main(argv + ['--exports-dir', self.exports] + list(files))
        return status, out.getvalue().splitlines()

    def test_rows(self):
        for wide in (False, True):
            for what, imports, delayed, problems in ROWS:
                with self.subTest(what=what, pe32plus=wide):
                    path = self.write('t.exe', build_pe(imports, delayed, wide=wide))
                    status, lines = self.run_checker(path)
                    expected = ['%s: %s on testsys' % (path, p) for p in problems]
                    self.assertEqual(sorted(l for l in lines if ' on testsys:' not in l), sorted(expected))
                    self.assertEqual(status, 1 if problems else 0)

    def test_old_style_delay_descriptor_holds_addresses(self):
        image = build_pe(delayed=[('comctl32.dll', [410, 'TaskDialog'])], old_style_delay=True)  # PE32 only
        self.assertEqual(check_imports.read_imports(image),
                         [('comctl32.dll', None, 410), ('comctl32.dll', 'TaskDialog', None)])

    def test_zip_checks_each_binary_and_summarises_per_system(self):
        os.makedirs(os.path.join(self.exports, 'other'))
        with open(os.path.join(self.exports, 'other', 'kernel32.txt'), 'w') as handle:
            handle.write('GetTickCount64\n')
        archive = os.path.join(self.tmp.name, 'release.zip')
        with zipfile.ZipFile(archive, 'w') as z:
            z.writestr('app/good.exe', build_pe([('kernel32.dll', ['CreateFileA'])]))
            z.writestr('app/lib.DLL', build_pe([('kernel32.dll', ['GetTickCount64'])], wide=True))
            z.writestr('app/readme.txt', b'not checked')
        status, lines = self.run_checker(archive, systems=('testsys', 'other'))
        self.assertEqual(status, 1)
        self.assertEqual(lines, [
            '%s:app/good.exe on testsys: 1 imports from 1 DLLs, all present' % archive,
            '%s:app/good.exe: kernel32.dll!CreateFileA is missing on other' % archive,
            '%s:app/good.exe on other: 1 imports from 1 DLLs, 1 problem' % archive,
            '%s:app/lib.DLL: kernel32.dll!GetTickCount64 is missing on testsys' % archive,
            '%s:app/lib.DLL on testsys: 1 imports from 1 DLLs, 1 problem' % archive,
            '%s:app/lib.DLL on other: 1 imports from 1 DLLs, all present' % archive,
        ])

    def test_files_that_are_not_pe_images_fail(self):
        cases = [
            ('text file', b'just text, no MZ header'),
            ('MZ without PE signature', b'MZ' + b'\0' * 0x3A + struct.pack('<I', 0x40) + b'NE\0\0' + b'\0' * 64),
            ('truncated PE', build_pe([('kernel32.dll', ['CreateFileA'])])[:0x180]),
        ]
        for what, content in cases:
            with self.subTest(what=what):
                path = self.write('bad.dll', content)
                status, lines = self.run_checker(path)
                self.assertEqual(status, 1)
                self.assertEqual(len(lines), 1)
                self.assertTrue(lines[0].startswith('%s: not a PE file: ' % path), lines[0])


LOADED = '0020:0024:trace:loaddll:build_module Loaded L"C:\\\\t\\\\Quillbox.exe" at 00400000: native'
# (what, relay lines after Quillbox.exe is loaded at 0x400000, --expect names, problems printed; [] passes)
RELAY_ROWS = [
    ('a call to an export', ['0020:0024:Call KERNEL32.CreateFileA(0) ret=00401000'], [], []),
    ('a call to a stub', ['0020:0024:Call KERNEL32.CreateFileW(0) ret=00401000'], [],
     ['quillbox.exe: kernel32.dll!CreateFileW is only a failing stub on testsys']),
    ('a forwarded call counts as the import', ['0020:0024:Call ntdll.RtlGetTickCount() ret=0040ffff'], [], []),
    ('calls that return elsewhere are not ours', ['0020:0024:Call KERNEL32.CreateFileA(0) ret=00401000',
                                                  '0020:0024:Call KERNEL32.CreateFileW(0) ret=00410000',
                                                  '0030:0034:Call KERNEL32.CreateFileW(0) ret=00401000'], [], []),
    ('no call of ours', ['0020:0024:Call KERNEL32.CreateFileW(0) ret=7bc00000'], [],
     ['t.log: no call from our binaries in the trace']),
    ('an expected binary that made no call', ['0020:0024:Call KERNEL32.CreateFileA(0) ret=00401000'],
     ['Quillbox.exe', 'unlha32.dll'], ['t.log: no call from unlha32.dll in the trace']),
]


class CheckRelayTest(unittest.TestCase):
    setUp = CheckImportsTest.setUp
    write = CheckImportsTest.write

    def test_rows(self):
        binaries = os.path.join(self.tmp.name, 'bin')
        os.makedirs(binaries)
        with open(os.path.join(binaries, 'Quillbox.exe'), 'wb') as handle:
            handle.write(build_pe([('KERNEL32.dll', ['CreateFileA', 'CreateFileW', 'GetTickCount'])]))
        for what, lines, expect, problems in RELAY_ROWS:
            with self.subTest(what=what):
                log = self.write('t.log', '\n'.join([LOADED] + lines).encode())
                argv = ['--system', 'testsys', '--exports-dir', self.exports, '--binaries', binaries]
                out = io.StringIO()
                with contextlib.redirect_stdout(out):
                    status = check_relay.main(argv + [a for e in expect for a in ('--expect', e)] + [log])
                printed = [l.replace(log, 't.log') for l in out.getvalue().splitlines() if ' on testsys:' not in l]
                self.assertEqual(printed, problems)
                self.assertEqual(status, 1 if problems else 0)


if __name__ == '__main__':
    unittest.main()
