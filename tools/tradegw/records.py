"""Fixed-width records: texts are GBK, zero-padded and cut to their width (a value that
fills its field has no terminator); numbers are big-endian."""

import struct


def gbk(text):
    return text.encode('gbk') if isinstance(text, str) else bytes(text)


def cut(raw, width):
    """At most width bytes of GBK text, never ending inside a double-byte character."""
    if len(raw) <= width:
        return raw
    end, i = 0, 0
    while i < len(raw):
        step = 2 if raw[i] >= 0x81 and i + 1 < len(raw) else 1
        if i + step > width:
            break
        i += step
        end = i
    return raw[:end]


class Record:
    """A zero-filled record that fields are written into at their offsets."""

    def __init__(self, size):
        self.data = bytearray(size)

    def text(self, offset, width, value):
        raw = cut(gbk(value), width)
        self.data[offset:offset + len(raw)] = raw
        return self

    def byte(self, offset, value):
        self.data[offset] = value if isinstance(value, int) else gbk(value)[0]
        return self

    def i32(self, offset, value):
        struct.pack_into('>i', self.data, offset, int(value))
        return self

    def u16(self, offset, value):
        struct.pack_into('>H', self.data, offset, int(value) & 0xFFFF)
        return self

    def raw(self, offset, value):
        self.data[offset:offset + len(value)] = value
        return self

    def __bytes__(self):
        return bytes(self.data)


class BadText(ValueError):
    """A text field of a request that is not GBK."""


def field(body, offset, width):
    """The text of a fixed-width field up to its first zero, as GBK; missing bytes of a
    short body read as empty. Bytes that are not GBK raise BadText."""
    raw = bytes(body[offset:offset + width]).split(b'\0', 1)[0]
    try:
        return raw.decode('gbk')
    except UnicodeDecodeError:
        raise BadText('field at %d: %s' % (offset, raw.hex())) from None


def field_bytes(body, offset, width):
    return bytes(body[offset:offset + width]).split(b'\0', 1)[0]


def i32(body, offset):
    if len(body) < offset + 4:
        return 0
    return struct.unpack_from('>i', body, offset)[0]


def u16(body, offset):
    if len(body) < offset + 2:
        return 0
    return struct.unpack_from('>H', body, offset)[0]


def byte(body, offset):
    return body[offset] if len(body) > offset else 0
