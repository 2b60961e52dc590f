#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Gives a Word or Excel binary file that has a VBA project an auto-run macro.

    auto_run_macro.py SOURCE TARGET MODULE MACRO MARKER
    auto_run_macro.py --code-name WORKBOOK NAME

Copies SOURCE to TARGET and replaces the source code of the VBA module MODULE (the stream name
of a document or workbook module, e.g. ThisDocument) with its attribute lines followed by

    Sub MACRO()
      Open "MARKER" For Output As #1
      Close #1
    End Sub

so that an office running the document's macros makes the file MARKER on opening it.

With --code-name, names the workbook module of an Excel package with macros (.xlsm) in its
workbook part, as Excel writes it: without the name, the workbook module's event handlers are
not tied to the workbook.

The compound file keeps its layout: streams are rewritten in place at their sizes. The
module's compiled code (the part before its source) is given up to make room for the source:
the module's source offset in the project's dir stream moves to the start of the stream, and
both the dir stream and the module source are compressed to exactly the byte counts they had.
"""
import re
import shutil
import struct
import sys
import zipfile

import olefile

CHUNK = 4096


def decompress(data):
    """Decompresses a compressed container (the VBA run-length scheme)."""
    if not data or data[0] != 1:
        raise ValueError("not a compressed container")
    out = bytearray()
    pos = 1
    while pos + 2 <= len(data):
        header = struct.unpack_from("<H", data, pos)[0]
        size = (header & 0x0FFF) + 3
        chunk = data[pos + 2:pos + size]
        pos += size
        start = len(out)
        if not header & 0x8000:
            out += chunk[:CHUNK]
            continue
        i = 0
        while i < len(chunk):
            flags = chunk[i]
            i += 1
            for bit in range(8):
                if i >= len(chunk):
                    break
                if not (flags >> bit) & 1:
                    out.append(chunk[i])
                    i += 1
                    continue
                token = struct.unpack_from("<H", chunk, i)[0]
                i += 2
                bits = _offset_bits(len(out) - start)
                length = (token & (0xFFFF >> bits)) + 3
                offset = (token >> (16 - bits)) + 1
                for _ in range(length):
                    out.append(out[-offset])
    return bytes(out)


def _offset_bits(position):
    """Bits of a copy token's offset at a decompressed position inside its chunk."""
    return max((position - 1).bit_length(), 4)


def _max_length(position):
    return (0xFFFF >> _offset_bits(position)) + 3


def _tokens(chunk):
    """Greedy longest-match tokens of one chunk: (position, length, offset), offset 0 = literal."""
    tokens = []
    i = 0
    while i < len(chunk):
        best, best_offset = 0, 0
        if i > 0:
            limit = _max_length(i)
            window = 1 << _offset_bits(i)
            for start in range(i - 1, max(-1, i - window - 1), -1):
                n = 0
                while n < limit and i + n < len(chunk) and chunk[start + n] == chunk[i + n]:
                    n += 1
                if n > best:
                    best, best_offset = n, i - start
        if best >= 3:
            tokens.append((i, best, best_offset))
            i += best
        else:
            tokens.append((i, 1, 0))
            i += 1
    return tokens


def _size(chunks):
    total = 1
    for tokens in chunks:
        total += 2 + (len(tokens) + 7) // 8 + sum(2 if off else 1 for _, _, off in tokens)
    return total


def _loosenings(tokens, k):
    """Ways to write the copy tokens[k] with more bytes: its first byte as a literal, split in
    two copies, or all of it as literals."""
    pos, length, offset = tokens[k]
    ways = [[(pos + j, 1, 0) for j in range(length)]] if length <= 4 else []
    if length > 3 and length - 1 <= _max_length(pos + 1):
        ways.append([(pos, 1, 0), (pos + 1, length - 1, offset)])
    if length >= 6 and length - 3 <= _max_length(pos + 3):
        ways.append([(pos, 3, offset), (pos + 3, length - 3, offset)])
    return ways


def _loosen_to(chunks, size):
    """Writes some copies with more bytes until the encoding takes exactly size bytes."""
    while _size(chunks) < size:
        need = size - _size(chunks)
        best = None
        for c, tokens in enumerate(chunks):
            copies = [k for k, t in enumerate(tokens) if t[2]]
            for k in copies[-8:]:
                for way in _loosenings(tokens, k):
                    trial = tokens[:k] + way + tokens[k + 1:]
                    grow = _size(chunks[:c] + [trial] + chunks[c + 1:]) - _size(chunks)
                    # Exact first; else the largest step that cannot strand one byte short
                    # with a full flag group, which only a step of two could follow.
                    left = need - grow
                    rank = (left == 0, left != 1, grow)
                    if grow <= need and (best is None or rank > best[0]):
                        best = (rank, c, trial)
        if best is None:
            return False
        chunks[best[1]] = best[2]
    return True


def compress(data, size):
    """Compresses data into a container of exactly size bytes, or None if it cannot."""
    pieces = [data[i:i + CHUNK] for i in range(0, len(data), CHUNK)]
    chunks = [_tokens(piece) for piece in pieces]
    if not _loosen_to(chunks, size):
        return None
    out = bytearray([1])
    for piece, tokens in zip(pieces, chunks):
        body = bytearray()
        for g in range(0, len(tokens), 8):
            flags = 0
            group = bytearray()
            for bit, (pos, length, offset) in enumerate(tokens[g:g + 8]):
                if offset:
                    bits = _offset_bits(pos)
                    group += struct.pack("<H", ((offset - 1) << (16 - bits)) | (length - 3))
                    flags |= 1 << bit
                else:
                    group.append(piece[pos])
            body.append(flags)
            body += group
        if len(body) > CHUNK:
            return None  # a chunk that does not shrink would have to be stored raw
        out += struct.pack("<H", 0xB000 | (len(body) - 1))
        out += body
    assert decompress(bytes(out)) == data
    return bytes(out)


def module_offsets(dir_data):
    """(name of the module stream, where its offset field starts, the offset) per module."""
    found = []
    pos = 0
    stream = None
    while pos + 6 <= len(dir_data):
        record, size = struct.unpack_from("<HI", dir_data, pos)
        pos += 6
        if record == 0x0009:  # the project version record says 4 and holds 6 bytes
            size = 6
        if record == 0x001A:
            stream = dir_data[pos:pos + size].decode("latin-1")
        elif record == 0x0031:
            found.append((stream, pos, struct.unpack_from("<I", dir_data, pos)[0]))
        elif record == 0x0010:
            break
        pos += size
    return found


def main(source, target, module, macro, marker):
    shutil.copyfile(source, target)
    ole = olefile.OleFileIO(target, write_mode=True)
    dir_path = next(e for e in ole.listdir() if e[-1] == "dir" and e[-2] == "VBA")
    module_path = dir_path[:-1] + [module]
    dir_stream = ole.openstream(dir_path).read()
    dir_data = decompress(dir_stream)
    entry = next((e for e in module_offsets(dir_data) if e[0] == module), None)
    if entry is None:
        sys.exit(f"no module {module} in {source}")
    _, field, old_offset = entry
    module_stream = ole.openstream(module_path).read()
    attributes = [line for line in decompress(module_stream[old_offset:]).split(b"\r\n")
                  if line.startswith(b"Attribute ")]
    # The earliest source offset at which the dir stream still compresses to its own size.
    for offset in range(old_offset + 1):
        new_dir = bytearray(dir_data)
        struct.pack_into("<I", new_dir, field, offset)
        packed_dir = compress(bytes(new_dir), len(dir_stream))
        if packed_dir:
            break
    else:
        sys.exit("the dir stream does not compress to its size")
    code = b"\r\n".join(attributes + [
        f"Sub {macro}()".encode(),
        f'  Open "{marker}" For Output As #1'.encode("latin-1"),
        b"  Close #1",
        b"End Sub",
        b"",
    ])
    # A comment after the macro fills the room: the encoding is then loosened to fit exactly.
    room = len(module_stream) - offset
    for filler in range(room, 2 * room):
        packed = compress(code + b"'" + b"-" * filler + b"\r\n", room)
        if packed:
            break
    else:
        sys.exit(f"the macro does not fit in {room} bytes")
    ole.write_stream(dir_path, packed_dir)
    ole.write_stream(module_path, module_stream[:offset] + packed)
    ole.close()


def name_workbook_module(path, name):
    with zipfile.ZipFile(path) as package:
        parts = [(info, package.read(info)) for info in package.infolist()]
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as package:
        for info, data in parts:
            if info.filename == "xl/workbook.xml":
                data, count = re.subn(rb"<workbookPr\b", b'<workbookPr codeName="' +
                                      name.encode() + b'"', data, count=1)
                if not count:
                    sys.exit(f"no workbook properties in {path}")
            package.writestr(info, data)


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "--code-name":
        name_workbook_module(*sys.argv[2:])
    elif len(sys.argv) == 6:
        main(*sys.argv[1:])
    else:
        sys.exit(__doc__)
