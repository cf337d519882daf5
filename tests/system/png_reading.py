"""The two halves of reading a PNG file with the standard library alone, shared by the tests that check
pictures pixel by pixel: its chunks, and its scanlines with their filters undone."""

import struct
import zlib


def png_chunks(path):
    """The file's chunks in order, as (kind, body) pairs."""
    with open(path, "rb") as source:
        data = source.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise AssertionError(f"{path} is not a PNG file")
    chunks, position = [], 8
    while position < len(data):
        length, kind = struct.unpack(">I4s", data[position:position + 8])
        chunks.append((kind, data[position + 8:position + 8 + length]))
        position += 12 + length
    return chunks


def unfiltered_rows(chunks, height, row_bytes, pixel_bytes):
    """The image's scanlines as bytearrays, each filter undone; `pixel_bytes` is the distance of the
    byte to the left (1 for pictures of 8 bits or fewer per pixel)."""
    raw = zlib.decompress(b"".join(body for kind, body in chunks if kind == b"IDAT"))
    stride = row_bytes + 1
    rows, previous = [], bytearray(row_bytes)
    for y in range(height):
        filter_type, line = raw[y * stride], bytearray(raw[y * stride + 1:(y + 1) * stride])
        for i in range(row_bytes):
            left = line[i - pixel_bytes] if i >= pixel_bytes else 0
            up = previous[i]
            up_left = previous[i - pixel_bytes] if i >= pixel_bytes else 0
            if filter_type == 1:
                line[i] = (line[i] + left) & 0xFF
            elif filter_type == 2:
                line[i] = (line[i] + up) & 0xFF
            elif filter_type == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif filter_type == 4:
                p = left + up - up_left
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - up_left)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else up_left)) & 0xFF
        rows.append(line)
        previous = line
    return rows
