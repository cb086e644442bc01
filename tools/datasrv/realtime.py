"""Real-time connection contents: the subscription frame the terminal sends (type 100)
and the 124-byte records of the pushed quote frames (type 8): clock records, quote
records and news flashes."""

import struct

from . import frames

SUBSCRIBE = 100
QUOTES = 8
RECORD = 124
SUBSCRIPTION_BODY = 518
MAX_ENTRIES = 256


class Subscription:
    """What one subscription frame asked for."""

    def __init__(self, entries, count, new, flag):
        self.entries = entries
        self.count = count
        self.new = new
        self.flag = flag

    def as_dict(self):
        return {'entries': self.entries, 'count': self.count, 'new': self.new,
                'flag': self.flag}


def parse_subscription(body):
    """The subscription of a type-100 body: up to 256 16-bit entries, the entry count, the
    count of new entries at the front and the flag. A short body is read as far as it
    goes; counts above 256 are held to 256."""
    body = bytes(body).ljust(SUBSCRIPTION_BODY, b'\0')
    count, new, flag = struct.unpack_from('<HHH', body, 512)
    n = min(count, MAX_ENTRIES)
    entries = list(struct.unpack_from('<%dH' % n, body, 0))
    return Subscription(entries, count, min(new, n), flag)


def clock_record(utc_minutes):
    record = bytearray(RECORD)
    struct.pack_into('<HH', record, 0, 0, utc_minutes % 1440)
    return bytes(record)


def quote_record(stock):
    """Market index, words 0-7 and 10-29 of the quote, the code; a futures market (type 2)
    carries the settlement price where the third bid price would be."""
    q = stock.quote
    record = bytearray(RECORD)
    struct.pack_into('<H', record, 0, stock.market.index)
    record[4:36] = q[0:32]
    record[36:116] = q[40:120]
    if stock.market.type == 2:
        record[52:56] = q[120:124]
    record[116:116 + len(stock.code[:7])] = stock.code[:7]
    return bytes(record)


def news_record(item):
    """A news flash: a first 16-bit value at or above any market count (0xFF in byte 0),
    the news type, the 16-bit id, the date and time field and the title (at most 79
    bytes and a NUL)."""
    record = bytearray(RECORD)
    struct.pack_into('<BBHI', record, 0, 0xFF, item.type & 0xFF, item.id & 0xFFFF,
                     item.date_field & 0xFFFFFFFF)
    title = item.title[:79]
    record[8:8 + len(title)] = title
    return bytes(record)


def quote_frames(records, mode='never', max_body=8000):
    """Type-8 frames carrying these records, as many whole records per frame as fit (each
    frame stands alone: count 1, index 0)."""
    result = []
    for body in frames.cut(b'', b''.join(records), RECORD, max_body):
        if body:
            result.extend(frames.answer(QUOTES, [body], mode))
    return result
