"""Requests of the terminal and the server's answers: the login on the balancing and data
listeners, the version, the name tables, and every request the terminal's request ring
sends, each answered with its answer frames (several for a long answer, compressed by
the compression mode) or with frame type 2, "nothing to send"."""

import json
import struct

from . import frames
from .install import cstring
from .market import Quote, gbk

NOTHING = 2
LOGIN = 3
NAME_TABLE = 6
STATISTICS = 9
HISTORY = 12
NEWS = 15
NOTES = 16
WEIGHTS = 18
TICKS = 20
BASE_TEXT = 21
RANKING = 101
STOCK_INFO = 102
VERSION = 202
SYSTEM_MESSAGES = 203
REALTIME_MESSAGES = 204

# Frame types of the requests that go through the terminal's request ring.
RING_FRAMES = (STATISTICS, HISTORY, NEWS, NOTES, WEIGHTS, TICKS, BASE_TEXT, RANKING,
               STOCK_INFO, SYSTEM_MESSAGES, REALTIME_MESSAGES)

# Server sort code (byte 0 of a ranking request) to the quote field it ranks.
SORT_FIELDS = {0: 2, 1: 3, 2: 4, 3: 5, 4: 6, 5: 7, 6: 8, 14: 10, 15: 11, 13: 12, 16: 13,
               17: 14, 19: 15, 20: 16, 21: 17, 22: 18, 23: 19, 18: 20, 24: 21, 25: 22,
               26: 23, 7: 24, 8: 25, 9: 26, 12: 27, 10: 28, 11: 29}
PAIR_FIELDS = (10, 11, 13, 14, 20, 21)

NEWS_WIRE = 88
NOTE_WIRE = 108
STATS_WIRE = 27

ALL_RIGHTS = b'\xff' * 48

BUILT_IN_USERS = [
    {'name': 'demo', 'password': 'demo'},
    {'name': 'test', 'password': 'test'},
    {'name': 'locked', 'password': 'locked', 'refuse_code': 7,
     'refuse_text': '该帐号已被停用'},
]
UNKNOWN_USER = (1, '用户不存在')
WRONG_PASSWORD = (2, '密码错误')
# Refusals of the data listener: a request before the connection's login, a login value
# the server never issued to the user.
NOT_LOGGED_IN = (3, '请先登录')
UNKNOWN_LOGIN_VALUE = (4, '登录信息无效，请重新登录')


class Users:
    """The accounts the login accepts or refuses: name, password, optional refusal (code
    and text) and optional 48-byte rights block (96 hex digits; all rights by default)."""

    def __init__(self, entries):
        self.accounts = {}
        for entry in entries:
            if not isinstance(entry, dict) or not isinstance(entry.get('name'), str):
                raise ValueError('an account is an object with a "name" text')
            rights = bytes.fromhex(entry.get('rights', ALL_RIGHTS.hex()))
            if len(rights) != 48:
                raise ValueError('rights must be 96 hex digits')
            refusal = None
            if 'refuse_code' in entry:
                refusal = (int(entry['refuse_code']) & 0xFF,
                           gbk(entry.get('refuse_text', '登录被拒绝')))
            self.accounts[gbk(entry['name'])] = (gbk(entry.get('password', '')), refusal,
                                                 rights)

    @classmethod
    def load(cls, path):
        with open(path, encoding='utf-8') as f:
            entries = json.load(f)
        if isinstance(entries, dict):
            entries = entries.get('users', [])
        return cls(entries)

    def check(self, name, password):
        """(0, rights) for an accepted login, else (refusal code, text bytes)."""
        account = self.accounts.get(name)
        if account is None:
            return UNKNOWN_USER[0], gbk(UNKNOWN_USER[1])
        expected, refusal, rights = account
        if expected != password:
            return WRONG_PASSWORD[0], gbk(WRONG_PASSWORD[1])
        if refusal is not None:
            return refusal
        return 0, rights


def code_field(stock, size):
    return stock.code[:size - 1].ljust(size, b'\0')


class Answerer:
    def __init__(self, model, users, data_address, version=0, compress='auto', max_body=8000):
        self.model = model
        self.users = users
        self.data_address = data_address     # 4 bytes, network order
        self.version = version
        self.compress = compress
        self.max_body = max_body
        self.logins = []
        self.issued = {}        # login value: the user it was given to
        self.handlers = {
            LOGIN: self.login, NAME_TABLE: self.name_table, VERSION: self.program_version,
            HISTORY: self.history, BASE_TEXT: self.base_text, WEIGHTS: self.weights,
            NEWS: self.news, TICKS: self.ticks, STOCK_INFO: self.stock_info,
            SYSTEM_MESSAGES: self.system_messages, REALTIME_MESSAGES: self.realtime_messages,
            RANKING: self.ranking, NOTES: self.notes, STATISTICS: self.statistics,
        }

    def answer(self, listener, frame_type, body, logged_in=True):
        """The frames (bytes) answering one request, or None when nothing is sent: the
        heartbeat, unknown types, and on the balancing listener anything but a login. A
        request before the connection's login is refused."""
        if listener == 'balance' and frame_type != LOGIN:
            return None
        handler = self.handlers.get(frame_type)
        if handler is None:
            return None
        if frame_type != LOGIN and not logged_in:
            return self.refusal(*NOT_LOGGED_IN)
        return handler(frame_type, bytes(body))

    @staticmethod
    def refusal(code, text):
        """The refusal frame: type 2, [0..1] 0, [2] the code, [3..] GBK text, NUL."""
        return frames.answer(NOTHING, [struct.pack('<HB', 0, code) + gbk(text)[:250] + b'\0'])

    def frames(self, frame_type, prefix, payload=b'', record=1):
        return frames.answer(frame_type, frames.cut(prefix, payload, record, self.max_body),
                             self.compress)

    def nothing(self, frame_type):
        """Frame type 2 with a short body naming the request's frame type (an empty body
        would not reach every receiver)."""
        return frames.answer(NOTHING, [bytes([frame_type, 0, 0, 0])])

    # Login and the synchronous exchanges

    def login(self, frame_type, body):
        body = body.ljust(64, b'\0')
        name, password = cstring(body[0:16]), cstring(body[16:60])
        held = struct.unpack_from('<I', body, 60)[0]
        result, detail = self.users.check(name, password)
        if not result and held and self.issued.get(held) != name:
            # A login value this server never gave this user.
            result, detail = UNKNOWN_LOGIN_VALUE[0], gbk(UNKNOWN_LOGIN_VALUE[1])
        self.logins.append({'name': name.decode('gbk', 'replace'), 'accepted': result == 0,
                            'code': result, 'login_value': held})
        if result:
            refusal = struct.pack('<HB', 0, result) + detail[:250] + b'\0'
            return frames.answer(NOTHING, [refusal])
        value = held
        while not value or (not held and value in self.issued):
            value = self.model.rng.randint(1, 0xFFFFFFFF)
        self.issued[value] = name
        accepted = struct.pack('<H', self.model.login_date()) + detail + self.data_address + \
            struct.pack('<I', value)
        return frames.answer(LOGIN, [accepted])

    def program_version(self, frame_type, body):
        return frames.answer(VERSION, [struct.pack('<i', self.version)])

    def name_table(self, frame_type, body):
        market = body[0] if body else 0
        if market >= len(self.model.markets):
            return self.nothing(frame_type)
        payload = b''.join(s.static for s in self.model.markets[market].stocks)
        return self.frames(NAME_TABLE, bytes([market]), payload, 32)

    # Requests of the ring

    def history(self, frame_type, body):
        if len(body) < 22:
            return self.nothing(frame_type)
        kind, market = body[0], body[1]
        start, end = struct.unpack_from('<II', body, 14)
        stock = self.model.find(market, body[2:14])
        if stock is None:
            return self.nothing(frame_type)
        data = stock.history['min1' if kind < 4 else 'min' if kind < 8 else 'day']
        kept = bytearray()
        for pos in range(0, len(data), 32):
            when = struct.unpack_from('<I', data, pos)[0]
            if (not start or when >= start) and (not end or when <= end):
                kept += data[pos:pos + 32]
        if not kept:
            return self.nothing(frame_type)
        return self.frames(HISTORY, bytes([kind, market]) + code_field(stock, 12), kept, 32)

    def _file_answer(self, frame_type, body, answer_type, content):
        if len(body) < 13:
            return self.nothing(frame_type)
        stock = self.model.find(body[0], body[5:13])
        if stock is None:
            return self.nothing(frame_type)
        data = content(stock)
        prefix = bytes([stock.market.index]) + b'\0' * 4 + code_field(stock, 8)
        return self.frames(answer_type, prefix, data or b'')

    def base_text(self, frame_type, body):
        return self._file_answer(frame_type, body, BASE_TEXT, self.model.base_text)

    def weights(self, frame_type, body):
        return self._file_answer(frame_type, body, WEIGHTS, lambda s: s.weights)

    def news(self, frame_type, body):
        if len(body) < 10:
            return self.nothing(frame_type)
        sub = body[0]
        value = struct.unpack_from('<i', body, 6)[0]
        if sub == 0:
            items = self.model.news_since(value)
            if not items:
                return self.nothing(frame_type)
            wire = bytearray()
            for item in items:
                wire += struct.pack('<BBHI', 0, item.type & 0xFF, item.id & 0xFFFF,
                                    item.date_field & 0xFFFFFFFF)
                wire += item.title[:79].ljust(80, b'\0')
            return self.frames(NEWS, b'\0\0', wire, NEWS_WIRE)
        if sub == 2:
            text = self.model.news_text(value)
            if text is None:
                return self.nothing(frame_type)
            return self.frames(NEWS, bytes([2, body[1]]), text)
        return self.nothing(frame_type)

    def ticks(self, frame_type, body):
        if len(body) < 14:
            return self.nothing(frame_type)
        market = body[1]
        first = struct.unpack_from('<I', body, 10)[0]
        stock = self.model.find(market, body[2:10])
        if stock is None or first * 20 >= len(stock.ticks):
            return self.nothing(frame_type)
        prefix = bytes([body[0], market]) + code_field(stock, 12)
        return self.frames(TICKS, prefix, stock.ticks[first * 20:], 20)

    def stock_info(self, frame_type, body):
        if len(body) < 9:
            return self.nothing(frame_type)
        stock = self.model.find(body[0], body[1:9])
        if stock is None:
            return self.nothing(frame_type)
        prefix = bytes([stock.market.index]) + code_field(stock, 8)
        return self.frames(STOCK_INFO, prefix, self.model.stock_info(stock), 244)

    def system_messages(self, frame_type, body):
        return self.frames(SYSTEM_MESSAGES, b'\0' * 4, self.model.system_message)

    def realtime_messages(self, frame_type, body):
        held = struct.unpack_from('<i', body.ljust(4, b'\0'))[0]
        newer = [m for m in self.model.realtime_messages if m[0] > held]
        if not newer:
            return self.nothing(frame_type)
        ident, text = newer[-1]
        return self.frames(REALTIME_MESSAGES, struct.pack('<i', ident), text)

    def ranking(self, frame_type, body):
        if len(body) < 7 or body[0] not in SORT_FIELDS:
            return self.nothing(frame_type)
        field = SORT_FIELDS[body[0]]
        flag, count = struct.unpack_from('<IH', body, 1)
        if flag:
            blocks = self.model.install.blocks
            if count < len(blocks):
                entries = [(s << 4) | m for m, s in blocks[count]]
            else:
                entries = [s.entry for m in self.model.markets for s in m.stocks]
        else:
            count = min(count, 256, (len(body) - 7) // 2)
            entries = list(struct.unpack_from('<%dH' % count, body, 7))
        records = []
        if field == 14 and entries:
            market = entries[0] & 15
            first = self.model.markets[market].stocks[0] \
                if market < len(self.model.markets) and self.model.markets[market].stocks \
                else None
            records.append(self._rank_record(field, first.entry if first else 0, first))
        for entry in entries:
            records.append(self._rank_record(field, entry, self.model.stock_of_entry(entry)))
        size = 14 if field == 12 else 10 if field in PAIR_FIELDS else 7
        return self.frames(RANKING, b'\0', b''.join(records), size)

    def _rank_record(self, field, entry, stock):
        if stock is None:
            values = (0.0, 0.0, 0.0)
        else:
            q = Quote(stock.quote)
            prev, last = q.get('prev_close'), q.get('last')
            if field in (10, 11, 14):
                values = (last, prev)
            elif field == 12:
                values = (q.get('high'), q.get('low'), prev)
            elif field == 13:
                values = (q.get('volume'), self.model.day_reference(stock))
            elif field == 20:
                values = (sum(q.level(0, k)[1] for k in range(5)),
                          sum(q.level(1, k)[1] for k in range(5)))
            elif field == 21:
                values = (last, self.model.recent_price(stock))
            else:
                values = (self._rank_value(field, stock, q),)
        if field == 12:
            return struct.pack('<H3f', entry, *values[:3])
        if field in PAIR_FIELDS:
            return struct.pack('<H2f', entry, *(list(values) + [0.0])[:2])
        return struct.pack('<HfB', entry, values[0], 0)

    def _rank_value(self, field, stock, q):
        simple = {2: 'prev_close', 3: 'open', 4: 'high', 5: 'low', 6: 'last', 7: 'volume',
                  8: 'amount', 24: 'last_volume', 27: 'settlement'}
        if field in simple:
            return q.get(simple[field])
        if 15 <= field <= 19:
            prices = struct.unpack('<5I', self.model.day_stats(stock)[1][:20])
            balance, long_stop, long_profit, short_stop, short_cover = prices
            return {15: balance, 16: long_profit, 17: long_stop, 18: short_cover,
                    19: short_stop}[field]
        levels = {25: (0, 0), 26: (1, 0), 28: (0, 1), 29: (1, 1)}
        if field in levels:
            side, part = levels[field]
            return q.level(side, 0)[part]
        return 0.0

    def notes(self, frame_type, body):
        if not body:
            return self.nothing(frame_type)
        if body[0] == 0 and len(body) >= 10:
            kind = body[1]
            date_value, first = struct.unpack_from('<II', body, 2)
            wire = bytearray()
            for note in self.model.notes_of(kind, date_value, first):
                record = bytearray(NOTE_WIRE)
                struct.pack_into('<BBHH', record, 0, 0, kind, 0, note.number & 0xFFFF)
                record[6:6 + len(note.title[:79])] = note.title[:79]
                struct.pack_into('<I', record, 86, note.date_value | note.hhmm << 20)
                record[90:90 + len(note.name[:15])] = note.name[:15]
                wire += record
            if not wire:
                return self.nothing(frame_type)
            return self.frames(NOTES, bytes([0, kind]), wire, NOTE_WIRE)
        if body[0] == 1 and len(body) >= 18:
            note = self.model.note(body[1], cstring(body[2:18]))
            if note is None:
                return self.nothing(frame_type)
            return self.frames(NOTES, bytes([1, body[1]]), note.text)
        return self.nothing(frame_type)

    def statistics(self, frame_type, body):
        body = body.ljust(514, b'\0')
        count = min(struct.unpack_from('<H', body, 512)[0], 256)
        wire = bytearray()
        for entry in struct.unpack_from('<%dH' % count, body, 0):
            stock = self.model.stock_of_entry(entry)
            if stock is None:
                continue
            side, figures = self.model.day_stats(stock)
            wire += struct.pack('<HB', entry, side) + figures
        if not wire:
            return self.nothing(frame_type)
        return self.frames(STATISTICS, b'', wire, STATS_WIRE)
