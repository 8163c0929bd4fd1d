#!/usr/bin/env python3
"""Prints the version resource of Windows programs and DLLs, as the file's properties show it:
    tools/version_info.py FILE.exe|FILE.dll ...
one block per file: the fixed file and product versions, then every string of the resource.
Exits 1 when a file has no version resource. Reads the PE format itself; needs no module."""
import struct
import sys

RT_VERSION = 16


def resource_data(image, wanted_type):
    """The bytes of the first resource of that type (first name, first language), or None."""
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    sections, optional_size = struct.unpack_from("<H12xH", image, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", image, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)  # PE32 or PE32+
    resource_rva = struct.unpack_from("<I", image, directories + 2 * 8)[0]
    if resource_rva == 0:
        return None
    table = optional + optional_size

    def offset(rva):
        for i in range(sections):
            size, address, _, raw = struct.unpack_from("<IIII", image, table + 40 * i + 8)
            if address <= rva < address + max(size, 1):
                return rva - address + raw
        raise ValueError("address 0x%x is in no section" % rva)

    base = offset(resource_rva)

    def entries(directory):
        named, numbered = struct.unpack_from("<HH", image, directory + 12)
        for i in range(named + numbered):
            yield struct.unpack_from("<II", image, directory + 16 + 8 * i)

    def first_child(directory):
        for _, target in entries(directory):
            return target
        return None

    for ident, target in entries(base):
        if ident == wanted_type and target & 0x80000000:
            name = first_child(base + (target & 0x7FFFFFFF))
            if name is None:
                return None
            language = first_child(base + (name & 0x7FFFFFFF)) if name & 0x80000000 else name
            rva, size = struct.unpack_from("<II", image, base + language)
            start = offset(rva)
            return image[start:start + size]
    return None


def blocks(data, start, end):
    """(key, value bytes, is text, children start, block end) of each block in data[start:end]."""
    while start + 6 <= end:
        length, value_length, is_text = struct.unpack_from("<HHH", data, start)
        if length == 0:
            break
        key_end = start + 6
        while data[key_end:key_end + 2] != b"\0\0":
            key_end += 2
        key = data[start + 6:key_end].decode("utf-16-le")
        value = (key_end + 2 + 3) & ~3
        size = value_length * 2 if is_text else value_length
        yield key, data[value:value + size], is_text, (value + size + 3) & ~3, start + length
        start = (start + length + 3) & ~3


def version_lines(path):
    with open(path, "rb") as f:
        data = resource_data(f.read(), RT_VERSION)
    if not data:
        return None
    lines = []
    for _, fixed, _, children, end in blocks(data, 0, len(data)):
        if len(fixed) >= 52:
            file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<IIII", fixed, 8)
            dotted = lambda ms, ls: "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
            lines += ["FileVersion (fixed): " + dotted(file_ms, file_ls),
                      "ProductVersion (fixed): " + dotted(product_ms, product_ls)]
        for key, _, _, tables, info_end in blocks(data, children, end):
            if key != "StringFileInfo":
                continue
            for language, _, _, strings, table_end in blocks(data, tables, info_end):
                for name, value, _, _, _ in blocks(data, strings, table_end):
                    text = value.decode("utf-16-le").rstrip("\0")
                    lines.append("%s (%s): %s" % (name, language, text))
    return lines


def main(paths):
    status = 0
    for path in paths:
        print(path)
        lines = version_lines(path)
        if lines is None:
            print("  no version resource")
            status = 1
        for line in lines or []:
            print("  " + line)
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
