#!/usr/bin/env python3
"""Writes the hostile packages of this folder: small files that try to make the installer
write outside its folders, allocate without bound, or decode without bound. The expected
outcome of each is tabled in tests/app/hostile_test.cpp. Run from anywhere; the files are
committed, so this only needs running after a change here."""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def word(v):
    return struct.pack('<I', v & 0xFFFFFFFF)


def string(text):
    """UTF-16 form with the shortest length prefix."""
    n = len(text)
    if n < 0xFF:
        prefix = bytes([n])
    elif n < 0xFFFE:
        prefix = b'\xff' + struct.pack('<H', n)
    else:
        prefix = b'\xff\xff\xff' + struct.pack('<I', n)
    return b'\xff\xfe\xff' + prefix + text.encode('utf-16-le')


def package(subfolder='Hostile', editable=1, title=b'', sections=((), (), ()), counts=None,
            name_field=None):
    out = word(856206) + string('QIB Multiarchive file') + word(1) + string(subfolder)
    out += word(editable) + string('')
    out += name_field if name_field is not None else string('Hostile')
    out += string('d') + string('title.jpg') + word(0)
    out += string('titleimage') + string('title.jpg') + word(len(title)) + title + word(0)
    for index, (tag, entries) in enumerate(zip(('objectpacks', 'preview', 'tessel'), sections)):
        count = counts[index] if counts else len(entries)
        out += string(tag) + word(count)
        for entry_name, data in entries:
            out += string(entry_name) + word(len(data)) + data + word(0)
    return out + string('end')


def png_bomb():
    """A valid PNG signature and header claiming 100000 x 100000 pixels, with a tiny stream."""
    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    ihdr = struct.pack('>IIBBBBB', 100000, 100000, 8, 2, 0, 0, 0)
    return b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) + chunk(b'IDAT', zlib.compress(b'\0' * 1000)) + \
        chunk(b'IEND', b'')


def jpeg_bomb():
    """A JPEG whose frame header claims 65000 x 65000 pixels."""
    sof = b'\xff\xc0' + struct.pack('>HBHHB', 17, 8, 65000, 65000, 3) + b'\x01\x22\x00\x02\x11\x01\x03\x11\x01'
    return b'\xff\xd8' + sof + b'\xff\xd9'


def header_then_entry(entry_name, size, data):
    """A first-section entry whose size is far beyond the bytes that follow."""
    out = package()
    head = out[:out.index(string('objectpacks'))]
    return head + string('objectpacks') + word(1) + string(entry_name) + word(size) + data


ok = (('a.qop', b'alpha'),)
FIXTURES = {
    'traversal-objectpacks.vqm': package(sections=((('..\\..\\evil.qop', b'x'),), (), ())),
    'traversal-preview.vqm': package(sections=(ok, (('../../../evil.png', b'x'),), ())),
    'traversal-tessel.vqm': package(sections=(ok, (), (('/tmp/evil.tsl', b'x'),))),
    'dot-dot-name.vqm': package(sections=((('..', b'x'),), (), ())),
    'nul-in-name.vqm': package(sections=((('a.qop\0.sh', b'x'),), (), ())),
    'escaping-subfolder-fixed.vqm': package(subfolder='..\\..\\..\\outside', editable=0, sections=(ok, (), ())),
    'rooted-subfolder-fixed.vqm': package(subfolder='/etc', editable=0, sections=(ok, (), ())),
    'huge-string-length.vqm': package(name_field=b'\xff\xff\xff\xfe\xff\xff\x7f' + b'AAAA'),
    'utf16-length-overflow.vqm': package(name_field=b'\xff\xfe\xff\xff\xff\xff\x00\x00\x00\x80'),
    'huge-entry-size.vqm': header_then_entry('big.qop', 0xFFFFFFFF, b'tiny'),
    'count-top-bit.vqm': package(sections=((), (('p.png', b'preview'),), ()), counts=(0x80000000, 1, 0)),
    'png-bomb-title.vqm': package(title=png_bomb(), sections=(ok, (), ())),
    'jpeg-bomb-title.vqm': package(title=jpeg_bomb(), sections=(ok, (), ())),
}

if __name__ == '__main__':
    for file_name, data in FIXTURES.items():
        with open(os.path.join(HERE, file_name), 'wb') as f:
            f.write(data)
    print(f'{len(FIXTURES)} fixtures written to {HERE}')
