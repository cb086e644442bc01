"""Reads an installation made by the installation maker: the market description, name
tables, quote snapshots, history, tick and weight files, company texts, the news index
and its articles, the trading dates, the system block files and the broker numbers.
Everything is read once into memory, so that a terminal writing into the same tree
changes nothing the server serves."""

import os
import struct

MARKET_RECORD = 1504
CLASS_RECORD = 96
STATIC_RECORD = 32
QUOTE_RECORD = 124
BAR_RECORD = 32
TICK_RECORD = 20
NEWS_RECORD = 108
MAX_MARKETS = 16
MAX_CLASSES = 15
MAX_SESSIONS = 4


def packed(year, month, day, hour=0, minute=0):
    """The 32-bit packed date-time: minute bits 0-5, hour 6-10, day 11-15, month 16-19,
    year 20-31."""
    return minute | hour << 6 | day << 11 | month << 16 | year << 20


def unpacked(value):
    """(year, month, day, hour, minute) of a packed date-time."""
    return (value >> 20, (value >> 16) & 15, (value >> 11) & 31, (value >> 6) & 31, value & 63)


def cstring(raw):
    """The bytes before the first NUL."""
    end = raw.find(b'\0')
    return bytes(raw if end < 0 else raw[:end])


class Folder:
    """Looks names up without regard to case, as the terminal's paths are written."""

    def __init__(self, root):
        self.root = root
        self.listings = {}

    def find(self, *parts):
        """The real path of root/parts..., or None when a component does not exist."""
        path = self.root
        for part in parts:
            exact = os.path.join(path, part)
            if os.path.exists(exact):
                path = exact
                continue
            listing = self.listings.get(path)
            if listing is None:
                try:
                    names = os.listdir(path)
                except OSError:
                    names = []
                listing = {name.lower(): name for name in names}
                self.listings[path] = listing
            name = listing.get(part.lower())
            if name is None:
                return None
            path = os.path.join(path, name)
        return path

    def read(self, *parts):
        path = self.find(*parts)
        if path is None or not os.path.isfile(path):
            return None
        with open(path, 'rb') as f:
            return f.read()

    def names(self, *parts):
        """File names of a folder, keyed by lower case."""
        path = self.find(*parts)
        if path is None or not os.path.isdir(path):
            return {}
        return {name.lower(): name for name in os.listdir(path)}


class MarketClass:
    def __init__(self, raw):
        self.index_class = raw[0] != 0
        self.name = cstring(raw[1:9])
        count = min(raw[10], MAX_SESSIONS)
        starts = struct.unpack_from('<4H', raw, 11)
        ends = struct.unpack_from('<4H', raw, 19)
        self.sessions = [(starts[k], ends[k]) for k in range(count) if ends[k] >= starts[k]]

    def total_minutes(self):
        return 1 + sum(e - s for s, e in self.sessions)

    def elapsed_minutes(self, t):
        if not self.sessions or t <= self.sessions[0][0]:
            return 0
        if t >= self.sessions[-1][1]:
            return self.total_minutes() - 1
        done = 0
        for s, e in self.sessions:
            if t <= s:
                break
            if t < e:
                return done + t - s
            done += e - s
        return done


class Stock:
    """One instrument: its static record as served, its quote record (124 bytes, changed
    in place by the market model) and its files."""

    def __init__(self, market, index, raw):
        static = bytearray(raw)
        for i in range(2, 9):
            if static[i] == 0x20:
                static[i] = 0
        static[0] = market.index
        struct.pack_into('<H', static, 28, index)
        self.market = market
        self.index = index
        self.cls = static[1]
        self.code = cstring(static[2:9])
        self.name = cstring(static[9:18])
        self.divisor, self.unit = struct.unpack_from('<II', static, 18)
        self.static = bytes(static)
        self.quote = bytearray(QUOTE_RECORD)
        self.history = {'day': b'', 'min': b'', 'min1': b''}
        self.ticks = bytearray()
        self.weights = None
        self.base_text = None

    @property
    def entry(self):
        """The 16-bit stock entry: stock index << 4 | market index."""
        return (self.index << 4) | self.market.index

    def index_class(self):
        classes = self.market.classes
        return bool(classes) and classes[min(self.cls, len(classes) - 1)].index_class


class Market:
    def __init__(self, index, raw):
        self.index = index
        self.type = raw[1]
        self.name = cstring(raw[2:17])
        self.directory = cstring(raw[17:26]).decode('latin-1')
        self.extension = cstring(raw[26:37]).decode('latin-1')
        self.hour_offset, self.day_start = struct.unpack_from('<hH', raw, 37)
        self.capacity, class_count = struct.unpack_from('<HH', raw, 43)
        self.classes = [MarketClass(raw[47 + CLASS_RECORD * c:47 + CLASS_RECORD * (c + 1)])
                        for c in range(min(class_count, MAX_CLASSES))]
        self.stocks = []
        self.by_code = {}
        self.trading_date = 0

    def find(self, code):
        """The stock of a code (bytes, compared without regard to case), or None."""
        return self.by_code.get(cstring(code).lower())

    def in_session(self, minute):
        return any(s <= minute <= e for c in self.classes for s, e in c.sessions)


class NewsItem:
    def __init__(self, news_type, ident, date_field, title, text):
        self.type = news_type
        self.id = ident
        self.date_field = date_field       # bits 0-19 yymmdd, bits 20-31 hhmm
        self.title = title
        self.text = text


class Installation:
    def __init__(self, root):
        self.root = os.path.abspath(root)
        self.folder = Folder(self.root)
        raw = self.folder.read('cfg', 'mkinfo.cfg')
        if raw is None:
            raise ValueError('no cfg/mkinfo.cfg under ' + self.root)
        count = min(len(raw) // MARKET_RECORD, MAX_MARKETS)
        self.markets = [Market(i, raw[i * MARKET_RECORD:(i + 1) * MARKET_RECORD])
                        for i in range(count)]
        self._read_trading_dates()
        for market in self.markets:
            self._read_market(market)
        self.news = self._read_news()
        self.blocks = self._read_blocks()
        self.brokers = self._read_brokers()

    def _read_trading_dates(self):
        text = self.folder.read('data', 'realdata.ini') or b''
        dates = {}
        for line in text.decode('latin-1').splitlines():
            key, _, value = line.partition('=')
            key = key.strip().upper()
            if key.startswith('DYNDATE') and key[7:].isdigit() and value.strip().isdigit():
                dates[int(key[7:])] = int(value.strip())
        for market in self.markets:
            market.trading_date = dates.get(market.index, 0)

    def _read_market(self, market):
        ext = market.extension
        table = self.folder.read('data', market.directory, 'nametbl.' + ext) or b''
        count = min(len(table) // STATIC_RECORD, market.capacity)
        for i in range(count):
            stock = Stock(market, i, table[i * STATIC_RECORD:(i + 1) * STATIC_RECORD])
            market.stocks.append(stock)
            market.by_code.setdefault(stock.code.lower(), stock)
        real = self.folder.read('data', market.directory, 'real.' + ext) or b''
        for i in range(min(len(real) // QUOTE_RECORD, count)):
            market.stocks[i].quote[:] = real[i * QUOTE_RECORD:(i + 1) * QUOTE_RECORD]
        for kind, suffix, size in (('day', 'day', BAR_RECORD), ('min', 'min', BAR_RECORD),
                                   ('min1', 'm1', BAR_RECORD), ('tick', 'tik', TICK_RECORD),
                                   ('weight', 'wgt', 1), ('base', 'txt', 1)):
            names = self.folder.names('data', market.directory, kind)
            for stock in market.stocks:
                name = names.get(stock.code.decode('latin-1').lower() + '.' + suffix)
                if name is None:
                    continue
                data = self.folder.read('data', market.directory, kind, name) or b''
                data = data[:len(data) // size * size]
                if kind == 'tick':
                    stock.ticks = bytearray(data)
                elif kind == 'weight':
                    stock.weights = data
                elif kind == 'base':
                    stock.base_text = data
                else:
                    stock.history[kind] = data

    def _read_news(self):
        raw = self.folder.read('data', 'info', 'news.ntl') or b''
        items = []
        for i in range(len(raw) // NEWS_RECORD):
            rec = raw[i * NEWS_RECORD:(i + 1) * NEWS_RECORD]
            word, date_field, ident = struct.unpack_from('<IIi', rec)
            text = self.folder.read('data', 'info', '%08d.txt' % ident)
            items.append(NewsItem(word >> 1, ident, date_field, cstring(rec[12:92])[:79], text))
        return items

    def _ini_sections(self, raw):
        """Sections of an INI text in file order: [(name bytes, [line bytes])]."""
        sections = []
        for line in raw.replace(b'\r', b'').split(b'\n'):
            line = line.strip()
            if line.startswith(b'[') and line.endswith(b']'):
                sections.append((line[1:-1], []))
            elif line and sections:
                sections[-1][1].append(line)
        return sections

    def _read_blocks(self):
        """The server's view of the blocks the terminal numbers the same way: one block of
        all stocks per market, one per class of each market, then the sections of the
        system block files named in cfg/blkinfo.ini; a block id is its position."""
        blocks = []
        for market in self.markets:
            blocks.append([(market.index, s.index) for s in market.stocks])
        for market in self.markets:
            for c in range(len(market.classes)):
                blocks.append([(market.index, s.index) for s in market.stocks if s.cls == c])
        info = self.folder.read('cfg', 'blkinfo.ini') or b''
        for name, lines in self._ini_sections(info):
            if name.lower() != b'groups':
                continue
            for line in lines:
                _, _, file_name = line.partition(b'=')
                data = self.folder.read('cfg', file_name.strip().decode('gb18030', 'replace'))
                for _, members in self._ini_sections(data or b''):
                    entries = []
                    for member in members[:4096]:
                        digit = member[0] - 0x30
                        if len(member) < 3 or not 0 <= digit < len(self.markets):
                            continue
                        stock = self.markets[digit].find(member[2:])
                        if stock is not None:
                            entries.append((digit, stock.index))
                    blocks.append(entries)
        return blocks[:512]

    def _read_brokers(self):
        """The broker numbers (field IDS) of cfg/Brokerlist.dbf."""
        raw = self.folder.read('cfg', 'Brokerlist.dbf')
        if not raw or len(raw) < 32:
            return []
        count, header, length = struct.unpack_from('<IHH', raw, 4)
        offset, pos = 1, 32
        field = None
        while pos + 32 <= min(header, len(raw)) and raw[pos] != 0x0D:
            name = cstring(raw[pos:pos + 11])
            size = raw[pos + 16]
            if name.upper() == b'IDS':
                field = (offset, size)
            offset += size
            pos += 32
        if field is None or length < 1:
            return []
        ids = []
        for i in range(count):
            start = header + i * length
            rec = raw[start:start + length]
            if len(rec) < length or rec[0:1] == b'*':
                continue
            text = rec[field[0]:field[0] + field[1]].strip()
            if text.isdigit():
                ids.append(int(text))
        return ids
