#!/usr/bin/env python3
"""Writes unicode_tables.inc, the tables unicode_text.cpp reads:
- the simple upper-case mapping of the Basic Multilingual Plane, as runs of
  code points that map alike (file names are compared with it the way
  Windows compares them, one UTF-16 unit at a time);
- the upper halves (bytes 0x80 to 0xFF) of the 8-bit character sets that
  calendars name in CHARSET, by their names and aliases.
Run: python3 engine/unicode_tables.py > engine/unicode_tables.inc"""
import codecs
import sys
import unicodedata

out = sys.stdout
out.write("// Made by unicode_tables.py from Unicode %s.\n\n" % unicodedata.unidata_version)

pairs = []
for c in range(0x10000):
    if 0xD800 <= c <= 0xDFFF:
        continue
    upper = chr(c).upper()
    if len(upper) == 1 and ord(upper) != c and ord(upper) < 0x10000:
        pairs.append((c, ord(upper) - c))
runs = []  # first, last, stride (1 or 2), the difference every member adds
for c, delta in pairs:
    if runs:
        first, last, stride, d = runs[-1]
        if d == delta and (c - last == stride or (first == last and c - last in (1, 2))):
            runs[-1] = (first, c, c - last, d)
            continue
    runs.append((c, c, 1, delta))
out.write("constexpr UpperRun kUpperRuns[] = {\n")
for first, last, stride, delta in runs:
    out.write("    {0x%04X, 0x%04X, %d, %d},\n" % (first, last, stride, delta))
out.write("};\n\n")

# Web browsers read ISO-8859-1 and US-ASCII as windows-1252, and so do we.
charsets = [
    ("cp1252", "WINDOWS-1252 CP1252 ISO-8859-1 ISO8859-1 LATIN1 L1 US-ASCII ASCII"),
    ("cp1250", "WINDOWS-1250 CP1250"),
    ("cp1251", "WINDOWS-1251 CP1251"),
    ("cp1253", "WINDOWS-1253 CP1253"),
    ("cp1254", "WINDOWS-1254 CP1254 ISO-8859-9 LATIN5"),
    ("cp1257", "WINDOWS-1257 CP1257"),
    ("iso8859_2", "ISO-8859-2 ISO8859-2 LATIN2"),
    ("iso8859_5", "ISO-8859-5 ISO8859-5"),
    ("iso8859_7", "ISO-8859-7 ISO8859-7"),
    ("iso8859_15", "ISO-8859-15 ISO8859-15 LATIN9"),
    ("koi8_r", "KOI8-R"),
    ("koi8_u", "KOI8-U"),
]
out.write("constexpr Charset kCharsets[] = {\n")
for codec, names in charsets:
    table = []
    for byte in range(0x80, 0x100):
        try:
            table.append(ord(codecs.decode(bytes([byte]), codec)))
        except UnicodeDecodeError:
            table.append(byte)  # a C1 control, as web browsers read it
    out.write('    {"%s",\n     {' % names)
    for i, c in enumerate(table):
        out.write(("0x%04X," % c) + ("\n      " if i % 12 == 11 else " "))
    out.write("}},\n")
out.write("};\n")
