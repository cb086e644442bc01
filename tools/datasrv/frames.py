"""Data-server frames: the 10-byte header, a stream reader, and the cutting of an answer
into frames (a multi-frame answer repeats its per-frame prefix, carries whole records and
numbers its frames 0..count-1, each with the same count), compressed where asked."""

import collections
import struct

from . import wmc15

MARKER = 0x40
HEAD = struct.Struct('<BBHHHBB')   # marker, type, count, index, body size, compressed, reserved
HEAD_SIZE = HEAD.size              # 10
MAX_BODY = 0xFFFF

Head = collections.namedtuple('Head', 'marker type count index size compressed reserved')

COMPRESS_MODES = ('never', 'auto', 'always')


def pack(frame_type, body=b'', count=1, index=0, compressed=0, reserved=0, marker=MARKER):
    body = bytes(body)
    if len(body) > MAX_BODY:
        raise ValueError('a frame body holds at most 65535 bytes')
    return HEAD.pack(marker, frame_type, count, index, len(body), compressed, reserved) + body


def unpack_head(raw):
    return Head(*HEAD.unpack_from(raw))


class FrameReader:
    """Cuts a byte stream into frames. A byte that should start a header but is not the
    marker is dropped (counted in skipped), so the reader finds the next frame."""

    def __init__(self):
        self.buffer = bytearray()
        self.skipped = 0

    def feed(self, data):
        """Adds received bytes; returns the complete frames as (head, body, raw)."""
        self.buffer += data
        frames = []
        while True:
            while self.buffer and self.buffer[0] != MARKER:
                del self.buffer[0]
                self.skipped += 1
            if len(self.buffer) < HEAD_SIZE:
                return frames
            head = unpack_head(self.buffer)
            end = HEAD_SIZE + head.size
            if len(self.buffer) < end:
                return frames
            raw = bytes(self.buffer[:end])
            del self.buffer[:end]
            frames.append((head, raw[HEAD_SIZE:], raw))


def cut(prefix, payload, record_size=1, max_body=8000):
    """Bodies of a multi-frame answer: each is prefix followed by whole records of the
    payload, at most max_body bytes (at least one record per body); an empty payload
    gives one body that is the prefix alone."""
    prefix = bytes(prefix)
    payload = bytes(payload)
    per = max(1, (max_body - len(prefix)) // record_size) * record_size
    if not payload:
        return [prefix]
    return [prefix + payload[i:i + per] for i in range(0, len(payload), per)]


def encode_body(body, mode):
    """(body on the wire, compressed flag) under a compression mode: never, auto (when the
    stream is shorter than the body) or always."""
    if mode == 'never' or not body:
        return body, 0
    packed = wmc15.encode(body)
    if mode == 'always' or len(packed) < len(body):
        return packed, 1
    return body, 0


def answer(frame_type, bodies, mode='never'):
    """The frames (bytes) of an answer made of these bodies."""
    count = len(bodies)
    frames = []
    for index, body in enumerate(bodies):
        wire, flag = encode_body(body, mode)
        frames.append(pack(frame_type, wire, count, index, flag))
    return frames
