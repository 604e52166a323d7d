#!/usr/bin/env python3
"""Puts the library identifier back into a type library written by widl.

The widl of this toolchain stores the library's own GUID in the type library's
GUID table with its last byte changed, so RegisterTypeLib would register the
library under an identifier no class names. Usage: fix_typelib_guid.py TLB GUID
"""
import sys
import uuid

path, text = sys.argv[1], sys.argv[2]
want = uuid.UUID(text).bytes_le
data = bytearray(open(path, "rb").read())
fixed = 0
at = data.find(want[:15])
while at >= 0:
    if bytes(data[at:at + 16]) != want:
        data[at:at + 16] = want
        fixed += 1
    at = data.find(want[:15], at + 1)
open(path, "wb").write(bytes(data))
print("%s: %d identifier(s) mended" % (path, fixed))
