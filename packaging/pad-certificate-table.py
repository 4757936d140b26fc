#!/usr/bin/env python3
"""Appends text inside a signed program's certificate table, after its signature, as a hostile server
does to smuggle data into a signed installer: the entry's length and the table's size grow, the signed
hash does not change. Usage: pad-certificate-table.py <file> <text>"""
import struct
import sys

path, text = sys.argv[1], sys.argv[2].encode()
data = bytearray(open(path, "rb").read())
pe = struct.unpack_from("<I", data, 0x3C)[0]
magic = struct.unpack_from("<H", data, pe + 24)[0]
security = pe + 24 + (112 if magic == 0x20B else 96) + 4 * 8  # the fifth data directory
start, size = struct.unpack_from("<II", data, security)
if size == 0 or start + size != len(data):
    sys.exit(f"{path}: no certificate table at the end of the file")
text += b"\0" * (-len(text) % 8)
length = struct.unpack_from("<I", data, start)[0]
struct.pack_into("<I", data, start, length + len(text))
struct.pack_into("<I", data, security + 4, size + len(text))
data += text
open(path, "wb").write(data)
