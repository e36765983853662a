#!/usr/bin/env python3
"""Makes a database whose first COUNT user tables are links to one source file, each spelling the source's
path another way ("d000/src.mdb", "d001/src.mdb", ... where every dNNN is a symbolic link to the folder).

A reader that keys its open sources by the text of their path opens the source once per link; one that
keys them by device and inode opens it once. Measure from the output folder:

    bench/make_linked_fanout.py ../shared/fixtures/synthetic/many_tables_2000_V2003.mdb /tmp/fan 1000
    cd /tmp/fan && /usr/bin/time -v qz_odbc_access 'fan.mdb_:_u_:__:_|_:_;_:_=_:_,_:_&_:_:_:_/tmp/fan.txt_:_get_tables_:_'
    cd /tmp/fan && /usr/bin/time -v qz_odbc_access 'src.mdb_:_u_:__:_|_:_;_:_=_:_,_:_&_:_:_:_/tmp/src.txt_:_get_tables_:_'

The source (a Jet 4 file without encoding, such as many_tables_2000_V2003.mdb) is copied as src.mdb; the
linked copy is fan.mdb. The rewritten catalog rows go to pages appended to the file as overflow rows, so no
row has to grow in place. Only for measurements: the file is as Access could never have written it.
"""

import os
import shutil
import struct
import sys

PAGE = 4096
CATALOG_PAGE = 2
TABLES_CONTAINER = 0x0F000001
LINKED_TABLE = 6


def u16(data, at):
    return struct.unpack_from("<H", data, at)[0]


def u32(data, at):
    return struct.unpack_from("<I", data, at)[0]


def catalog_columns(data):
    """Column number, variable-table index and fixed offset of every MSysObjects column, by name."""
    tdef = CATALOG_PAGE * PAGE
    count = u16(data, tdef + 0x2D)
    real_indexes = u32(data, tdef + 0x33)
    at = tdef + 0x3F + 12 * real_indexes
    columns = []
    for i in range(count):
        d = at + 25 * i
        columns.append({"num": u16(data, d + 5), "var": u16(data, d + 7), "fixed": u16(data, d + 0x15)})
    at += 25 * count
    for column in columns:
        length = u16(data, at)
        column["name"] = bytes(data[at + 2:at + 2 + length]).decode("utf-16-le")
        at += 2 + length
    return {c["name"]: c for c in columns}


def row_bounds(data, page, row):
    base = page * PAGE
    entry = u16(data, base + 0x0E + 2 * row)
    end = PAGE if row == 0 else u16(data, base + 0x0E + 2 * (row - 1)) & 0x1FFF
    return entry, base + (entry & 0x1FFF), base + end


def linked_row(row, columns, spelling):
    """The catalog row `row` of a local table, turned into a link whose Database is `spelling`."""
    length = len(row)
    column_count = u16(row, 0)
    mask_size = (column_count + 7) // 8
    mask = bytearray(row[length - mask_size:])
    var_count = u16(row, length - mask_size - 2)
    offsets = [u16(row, length - mask_size - 4 - 2 * k) for k in range(var_count + 1)]
    values = [row[offsets[k]:offsets[k + 1]] for k in range(var_count)]
    database = columns["Database"]
    while len(values) <= database["var"]:
        values.append(b"")
    text = spelling.encode("utf-16-le")
    values[database["var"]] = struct.pack("<III", len(text) | 0x80000000, 0, 0) + text  # an inline memo
    mask[database["num"] // 8] |= 1 << (database["num"] % 8)
    fixed = bytearray(row[:offsets[0]])
    struct.pack_into("<h", fixed, 2 + columns["Type"]["fixed"], LINKED_TABLE)
    positions = [len(fixed)]
    for value in values:
        positions.append(positions[-1] + len(value))
    tail = b"".join(struct.pack("<H", p) for p in reversed(positions)) + struct.pack("<H", len(values))
    return bytes(fixed) + b"".join(values) + tail + bytes(mask)


def main():
    source, folder, count = sys.argv[1], sys.argv[2], int(sys.argv[3])
    data = bytearray(open(source, "rb").read())
    columns = catalog_columns(data)
    rewritten = []  # (new row, page, row, start of the old row)
    for page in range(len(data) // PAGE):
        base = page * PAGE
        if data[base] != 1 or u32(data, base + 4) != CATALOG_PAGE:
            continue
        for row in range(u16(data, base + 0x0C)):
            if len(rewritten) == count:
                break
            entry, start, end = row_bounds(data, page, row)
            if entry & 0xC000:
                continue
            old = bytes(data[start:end])
            kind = struct.unpack_from("<h", old, 2 + columns["Type"]["fixed"])[0]
            parent = u32(old, 2 + columns["ParentId"]["fixed"])
            if kind != 1 or parent != TABLES_CONTAINER or b"M\x00S\x00y\x00s" in old or b"MSys" in old:
                continue
            spelling = "d%03d/src.mdb" % len(rewritten)
            rewritten.append((linked_row(old, columns, spelling), page, row, start))
    first_new_page = len(data) // PAGE
    pages = [[]]
    used = 0x0E
    for item in rewritten:
        if used + 2 + len(item[0]) > PAGE or len(pages[-1]) == 255:
            pages.append([])
            used = 0x0E
        pages[-1].append(item)
        used += 2 + len(item[0])
    for number, items in enumerate(pages):
        new_page = bytearray(PAGE)
        new_page[0:2] = b"\x01\x01"
        struct.pack_into("<I", new_page, 4, CATALOG_PAGE)
        struct.pack_into("<H", new_page, 0x0C, len(items))
        end = PAGE
        for slot, (row_bytes, old_page, old_row, old_start) in enumerate(items):
            start = end - len(row_bytes)
            new_page[start:end] = row_bytes
            struct.pack_into("<H", new_page, 0x0E + 2 * slot, start | 0x8000)  # reached only through a stub
            end = start
            entry_at = old_page * PAGE + 0x0E + 2 * old_row
            struct.pack_into("<H", data, entry_at, u16(data, entry_at) | 0x4000)  # the old row: a stub
            struct.pack_into("<I", data, old_start, ((first_new_page + number) << 8) | slot)
        struct.pack_into("<H", new_page, 2, end - (0x0E + 2 * len(items)))
        data += new_page
    os.makedirs(folder, exist_ok=True)
    open(os.path.join(folder, "fan.mdb"), "wb").write(data)
    shutil.copyfile(source, os.path.join(folder, "src.mdb"))
    for i in range(len(rewritten)):
        link = os.path.join(folder, "d%03d" % i)
        if not os.path.islink(link):
            os.symlink(".", link)
    print(f"{len(rewritten)} linked tables in {folder}/fan.mdb")


if __name__ == "__main__":
    main()
