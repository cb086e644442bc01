"""The 48-byte packet header and the reading of whole packets from a stream.

Header, big-endian where numeric except the checksum:
    0 marker (1), 1 code, 2 flags, 3 status, 4 text length (u16), 6 body length (u16),
    8 checksum (low byte first), 10 next key (8), 18 reserved (20), 38 gateway state
    letter, 39 reserved (9).
A packet is the header, then the message text, then the body."""

import struct
from dataclasses import dataclass

HEADER_SIZE = 48
MAX_TEXT = 256
MAX_BODY = 5120

FLAG_LAST = 0x01      # last packet of an answer
FLAG_MORE = 0x02      # continuation: records add to those of earlier packets

_LAYOUT = struct.Struct('>cBBBHH2s8s20sc9s')
assert _LAYOUT.size == HEADER_SIZE


@dataclass
class Header:
    marker: bytes = b'*'
    code: int = 0
    flags: int = FLAG_LAST
    status: int = 0
    text_len: int = 0
    body_len: int = 0
    checksum: bytes = bytes(2)
    key: bytes = bytes(8)
    state: bytes = b'\0'

    def pack(self):
        return _LAYOUT.pack(self.marker[:1] or b'\0', self.code, self.flags, self.status,
                            self.text_len, self.body_len, self.checksum, self.key,
                            bytes(20), self.state[:1] or b'\0', bytes(9))

    @classmethod
    def unpack(cls, raw):
        (marker, code, flags, status, text_len, body_len, checksum, key, _,
         state, _) = _LAYOUT.unpack(raw)
        return cls(marker, code, flags, status, text_len, body_len, checksum, key, state)


class FramingError(Exception):
    """A header whose lengths no packet may have."""


class StreamClosed(Exception):
    """The peer closed the connection."""


def read_exact(sock, count):
    chunks = []
    while count:
        chunk = sock.recv(count)
        if not chunk:
            raise StreamClosed()
        chunks.append(chunk)
        count -= len(chunk)
    return b''.join(chunks)


def read_packet(sock):
    """Reads one packet: (raw header, Header, text, body as it travelled). A text longer
    than 256 bytes or a body longer than 5120 raises FramingError after the header."""
    raw = read_exact(sock, HEADER_SIZE)
    header = Header.unpack(raw)
    if header.text_len > MAX_TEXT or header.body_len > MAX_BODY:
        raise FramingError('text length %d, body length %d' % (header.text_len, header.body_len))
    text = read_exact(sock, header.text_len) if header.text_len else b''
    body = read_exact(sock, header.body_len) if header.body_len else b''
    return raw, header, text, body
