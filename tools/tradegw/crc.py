"""CRC-16 of packet bodies: polynomial 0x1021, initial value 0, no reflection and no
final XOR, bytes taken most significant bit first. The wire carries the low byte first."""

import struct

MAX_BODY = 5120


def _make_table():
    table = []
    for byte in range(256):
        crc = byte << 8
        for _ in range(8):
            crc = ((crc << 1) ^ 0x1021) if crc & 0x8000 else (crc << 1)
            crc &= 0xFFFF
        table.append(crc)
    return tuple(table)


_TABLE = _make_table()


def crc16(data):
    """The plain CRC value of the bytes."""
    crc = 0
    for byte in data:
        crc = ((crc << 8) & 0xFFFF) ^ _TABLE[(crc >> 8) ^ byte]
    return crc


def body_checksum(body):
    """Checksum of a body as the protocol defines it: 0 for an empty body and for one
    longer than the largest body."""
    if not body or len(body) > MAX_BODY:
        return 0
    return crc16(body)


def wire_checksum(body):
    """The two checksum bytes of the header: low byte, then high byte."""
    return struct.pack('<H', body_checksum(body))
