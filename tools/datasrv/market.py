"""The live market model: the server's clock (UTC, as the clock records carry it), the
quotes of the installation moved by a seeded random walk during the markets' sessions,
today's ticks that the walk appends, the news list with its flashes, the real-time and
system messages, the notes, and the figures derived for statistics, rankings and stock
information answers."""

import datetime
import random
import struct
import time

from .install import NewsItem, packed, unpacked

GBK = 'gbk'

PRICE_WORDS = {'prev_close': 0, 'open': 1, 'high': 2, 'low': 3, 'last': 4, 'time': 9,
               'settlement': 30}
FLOAT_WORDS = {'volume': 5, 'amount': 6, 'last_volume': 7, 'fast_change': 8}

NEWS_POOL = [
    (1, '沪深两市午后震荡走高', '沪深两市午后震荡走高，成交量较上午有所放大，权重股表现活跃。'),
    (1, '银行板块领涨大盘', '银行板块集体走强，带动指数稳步上行，市场人气有所恢复。'),
    (2, '期货市场铜价小幅回落', '受外盘影响，沪铜主力合约小幅回落，持仓量略有增加。'),
    (2, '铝价区间整理', '沪铝合约维持区间整理格局，现货市场成交一般。'),
    (3, '交易所发布交易提示', '交易所提醒投资者注意控制风险，理性投资。'),
]
SYSTEM_MESSAGE = '系统消息\r\n欢迎使用行情分析系统。数据服务器运行正常。\r\n'
REALTIME_MESSAGES = [(1, '在线通知\r\n今日行情服务正常，欢迎使用。\r\n')]
NOTE_KINDS = 5
NOTES_PER_KIND = 6


def gbk(text):
    return text.encode(GBK)


def login_answer_date(year, month, day):
    """The 16-bit date of the login answer: day bits 0-4, month 5-8, years since 2000
    in bits 9-14."""
    return day | month << 5 | (max(0, year - 2000) & 0x3F) << 9


def news_date_field(when):
    """Date and time in the news index layout: bits 0-19 yymmdd, bits 20-31 hhmm."""
    return ((when.year % 100) * 10000 + when.month * 100 + when.day) | \
        (when.hour * 100 + when.minute) << 20


class Quote:
    """Named access to a 124-byte quote record."""

    def __init__(self, record):
        self.record = record

    def get(self, name):
        if name in PRICE_WORDS:
            return struct.unpack_from('<I', self.record, 4 * PRICE_WORDS[name])[0]
        return struct.unpack_from('<f', self.record, 4 * FLOAT_WORDS[name])[0]

    def set(self, name, value):
        if name in PRICE_WORDS:
            struct.pack_into('<I', self.record, 4 * PRICE_WORDS[name], int(value) & 0xFFFFFFFF)
        else:
            struct.pack_into('<f', self.record, 4 * FLOAT_WORDS[name], float(value))

    def level(self, side, k):
        """(price, volume) of bid (side 0) or ask (side 1) level k (0..4)."""
        return struct.unpack_from('<If', self.record, 40 + 40 * side + 8 * k)

    def set_level(self, side, k, price, volume):
        struct.pack_into('<If', self.record, 40 + 40 * side + 8 * k,
                         int(price) & 0xFFFFFFFF, float(volume))

    def set_counts(self, total, advancers, decliners):
        """An index's market breadth, kept where the first bid level is."""
        struct.pack_into('<HHH', self.record, 40, total, advancers, decliners)


class SimClock:
    """UTC time that runs with the wall clock from a start value, or stands still."""

    def __init__(self, start, running):
        self.base = start
        self.mark = time.monotonic()
        self.running = running

    def now(self):
        if not self.running:
            return self.base
        return self.base + datetime.timedelta(seconds=time.monotonic() - self.mark)

    def set(self, when):
        self.base = when
        self.mark = time.monotonic()

    def minutes(self):
        now = self.now()
        return now.hour * 60 + now.minute


class Note:
    def __init__(self, kind, number, title, date_value, hhmm, name, text):
        self.kind = kind
        self.number = number
        self.title = title
        self.date_value = date_value
        self.hhmm = hhmm
        self.name = name
        self.text = text


class Model:
    def __init__(self, installation, seed=1, clock_hhmm=None, running=True):
        self.install = installation
        self.markets = installation.markets
        self.rng = random.Random(seed)
        self.news = list(installation.news)
        self.realtime_messages = [(i, gbk(t)) for i, t in REALTIME_MESSAGES]
        self.system_message = gbk(SYSTEM_MESSAGE)
        self.clock = SimClock(self._start_time(clock_hhmm), running)
        self.last_minute = self.clock.minutes()
        self.tick_size = {}
        self.start_interest = {}
        for market in self.markets:
            for stock in market.stocks:
                q = Quote(stock.quote)
                self.tick_size[stock] = self._guess_tick(stock, q)
                self.start_interest[stock] = q.get('amount')
        self.notes = self._make_notes()

    # Time

    def _start_time(self, clock_hhmm):
        """UTC start: the given market-0 local time, else the newest tick of the
        installation, else 09:30, on the trading date of market 0 (else today)."""
        market = self.markets[0] if self.markets else None
        offset = market.hour_offset if market else 0
        date = market.trading_date if market else 0
        try:
            day = datetime.datetime(date // 10000, date // 100 % 100, date % 100)
        except ValueError:
            day = datetime.datetime.combine(datetime.date.today(), datetime.time())
        if clock_hhmm is not None:
            local = day.replace(hour=clock_hhmm // 100 % 24, minute=clock_hhmm % 100 % 60)
            return local - datetime.timedelta(hours=offset)
        newest = None
        for m in self.markets:
            for stock in m.stocks:
                if len(stock.ticks) >= 20:
                    value = struct.unpack_from('<I', stock.ticks, len(stock.ticks) - 20)[0]
                    try:
                        utc = datetime.datetime(*unpacked(value)) - \
                            datetime.timedelta(hours=m.hour_offset)
                    except ValueError:
                        continue
                    newest = utc if newest is None or utc > newest else newest
        if newest is not None:
            return newest
        return day.replace(hour=9, minute=30) - datetime.timedelta(hours=offset)

    def local_time(self, market):
        return self.clock.now() + datetime.timedelta(hours=market.hour_offset)

    def local_packed(self, market):
        t = self.local_time(market)
        return packed(t.year, t.month, t.day, t.hour, t.minute)

    def login_date(self):
        t = self.local_time(self.markets[0]) if self.markets else self.clock.now()
        return login_answer_date(t.year, t.month, t.day)

    def set_local_clock(self, hhmm):
        """Sets the clock to a local time of market 0 on its current date."""
        offset = self.markets[0].hour_offset if self.markets else 0
        local = self.clock.now() + datetime.timedelta(hours=offset)
        local = local.replace(hour=hhmm // 100 % 24, minute=hhmm % 100 % 60, second=0,
                              microsecond=0)
        self.clock.set(local - datetime.timedelta(hours=offset))

    def minute_changed(self):
        """True once each time the clock's minute has moved on since the last call."""
        minute = self.clock.minutes()
        if minute == self.last_minute:
            return False
        self.last_minute = minute
        return True

    # Lookups

    def stock_of_entry(self, entry):
        """The stock of a 16-bit entry (market bits 0-3, stock index bits 4-15), or None."""
        market, index = entry & 15, entry >> 4
        if market >= len(self.markets) or index >= len(self.markets[market].stocks):
            return None
        return self.markets[market].stocks[index]

    def find(self, market, code):
        if market >= len(self.markets):
            return None
        return self.markets[market].find(code)

    # The random walk

    @staticmethod
    def _guess_tick(stock, q):
        bid1, bid2 = q.level(0, 0)[0], q.level(0, 1)[0]
        if bid1 and bid2 and bid1 != bid2:
            return abs(bid1 - bid2)
        ask1 = q.level(1, 0)[0]
        if bid1 and ask1 and ask1 > bid1:
            return ask1 - bid1
        if stock.divisor > 1:
            return 1
        return max(1, q.get('prev_close') // 2000)

    def step(self, force=False):
        """One step of the walk: in every market whose session is open (every market when
        forced) some stocks trade. Returns the stocks whose quote changed."""
        changed = []
        for market in self.markets:
            local = self.local_time(market)
            if not force and not market.in_session(local.hour * 60 + local.minute):
                continue
            moved = []
            for stock in market.stocks:
                if stock.index_class():
                    continue
                q = Quote(stock.quote)
                ref = q.get('prev_close') or q.get('last')
                if not ref or self.rng.random() > 0.35:
                    continue
                tick = self.tick_size[stock]
                last = q.get('last') or ref
                steps = self.rng.choice((-2, -1, -1, 0, 1, 1, 2))
                drift = (ref - last) / ref
                if abs(drift) > 0.03 and self.rng.random() < 0.4:
                    steps += 1 if drift > 0 else -1
                price = last + steps * tick
                low_limit = (ref * 9 // 10 + tick - 1) // tick * tick
                high_limit = ref * 11 // 10 // tick * tick
                price = max(tick, low_limit, min(high_limit, price))
                lots = self.rng.randint(1, 50) if stock.unit > 1 else self.rng.randint(1, 30)
                moved.append((stock, self.trade(stock, price, lots * max(1, stock.unit))))
            changed.extend(s for s, _ in moved)
            if moved:
                changed.extend(self._move_indexes(market, moved))
        return changed

    def trade(self, stock, price, deal):
        """A deal of deal units at price: the quote, the order book and a new tick.
        Returns the amount the deal added."""
        q = Quote(stock.quote)
        tick = self.tick_size.get(stock, 1)
        bid1, ask1 = q.level(0, 0)[0], q.level(1, 0)[0]
        side = 0 if ask1 and price >= ask1 else 1 if bid1 and price <= bid1 else 2
        q.set('last', price)
        if not q.get('open'):
            q.set('open', price)
        q.set('high', max(q.get('high'), price))
        q.set('low', min(q.get('low') or price, price))
        q.set('volume', q.get('volume') + deal)
        q.set('last_volume', deal)
        added = 0.0
        if stock.market.type == 1:
            added = deal * price / max(1, stock.divisor)
            q.set('amount', q.get('amount') + added)
        else:
            q.set('amount', max(0, q.get('amount') + self.rng.randint(-deal, deal)))
        if not stock.index_class():
            top_bid = price if side != 0 else price - tick
            for k in range(5):
                size = (self.rng.randint(10, 2000) * stock.unit if stock.unit > 1
                        else self.rng.randint(1, 150))
                q.set_level(0, k, max(0, top_bid - k * tick), size)
                size = (self.rng.randint(10, 2000) * stock.unit if stock.unit > 1
                        else self.rng.randint(1, 150))
                q.set_level(1, k, top_bid + (k + 1) * tick, size)
        self.add_tick(stock, side)
        return added

    def add_tick(self, stock, side=2):
        q = Quote(stock.quote)
        stock.ticks += struct.pack('<IIffB3x', self.local_packed(stock.market), q.get('last'),
                                   q.get('volume'), q.get('amount'), side)

    def _move_indexes(self, market, moved):
        """The market's indexes follow the mean change of its other stocks."""
        changes, advancers, decliners, total = [], 0, 0, 0
        for stock in market.stocks:
            if stock.index_class():
                continue
            q = Quote(stock.quote)
            prev, last = q.get('prev_close'), q.get('last')
            if not prev or not last:
                continue
            total += 1
            changes.append((last - prev) / prev)
            advancers += last > prev
            decliners += last < prev
        volume = sum(Quote(s.quote).get('last_volume') for s, _ in moved)
        amount = sum(a for _, a in moved)
        indexes = []
        for stock in market.stocks:
            if not stock.index_class():
                continue
            q = Quote(stock.quote)
            prev = q.get('prev_close')
            if not prev or not changes:
                continue
            price = max(1, round(prev * (1 + sum(changes) / len(changes))))
            q.set('last', price)
            if not q.get('open'):
                q.set('open', price)
            q.set('high', max(q.get('high'), price))
            q.set('low', min(q.get('low') or price, price))
            q.set('volume', q.get('volume') + volume)
            q.set('last_volume', volume)
            q.set('amount', q.get('amount') + amount)
            q.set_counts(total, advancers, decliners)
            self.add_tick(stock)
            indexes.append(stock)
        return indexes

    # News and messages

    def add_news(self, news_type, title, text):
        """A new news item dated now (market 0's local time); returns it."""
        ident = max([n.id for n in self.news] + [0]) + 1
        when = self.local_time(self.markets[0]) if self.markets else self.clock.now()
        title = title[:79]
        item = NewsItem(news_type, ident, news_date_field(when), title, text)
        self.news.append(item)
        return item

    def random_news(self):
        news_type, title, body = self.rng.choice(NEWS_POOL)
        return self.add_news(news_type, gbk(title), gbk(title + '\r\n\r\n　　' + body + '\r\n'))

    def news_since(self, first_id):
        return [n for n in self.news if n.id >= first_id]

    def news_text(self, ident):
        for item in reversed(self.news):
            if item.id == ident:
                return item.text
        return None

    def _make_notes(self):
        notes = []
        market = self.markets[0] if self.markets else None
        date = market.trading_date if market and market.trading_date else 20061208
        date_value = (date // 10000 % 100) * 10000 + date % 10000
        for kind in range(NOTE_KINDS):
            for number in range(1, NOTES_PER_KIND + 1):
                hhmm = 800 + (number - 1) // 2 * 100 + (number - 1) % 2 * 15
                title = '第%d类公告 第%d号：交易提示' % (kind, number)
                text = title + '\r\n\r\n　　请投资者关注交易所公告，注意投资风险。\r\n'
                notes.append(Note(kind, number, gbk(title), date_value, hhmm,
                                  b'N%d%05d.txt' % (kind, number), gbk(text)))
        return notes

    def notes_of(self, kind, date_value, first_number):
        return [n for n in self.notes if n.kind == kind and n.number >= first_number and
                (not date_value or n.date_value >= date_value & 0xFFFFF)]

    def note(self, kind, name):
        for n in self.notes:
            if n.kind == kind and n.name == name:
                return n
        return None

    # Derived figures

    def base_text(self, stock):
        if stock.base_text is not None:
            return stock.base_text
        name = stock.name.decode(GBK, 'replace')
        code = stock.code.decode('latin-1')
        return gbk('%s(%s) 公司概况\r\n\r\n　　本公司主营业务稳定，经营状况良好。\r\n'
                   '\r\n股本结构\r\n\r\n　　总股本与流通股本以公司公告为准。\r\n' % (name, code))

    def day_reference(self, stock):
        """The reference figure of the statistics: a day's volume (average of the last
        five days held, else today's pace), or the open interest at the start of the day
        in markets whose amount field holds it."""
        q = Quote(stock.quote)
        if stock.market.type != 1:
            return self.start_interest.get(stock, 0.0)
        bars = stock.history['day'][-5 * 32:]
        volumes = [struct.unpack_from('<f', bars, i + 20)[0] for i in range(0, len(bars), 32)]
        if volumes:
            return sum(volumes) / len(volumes)
        cls = stock.market.classes[min(stock.cls, len(stock.market.classes) - 1)] \
            if stock.market.classes else None
        if cls is None:
            return q.get('volume')
        t = self.local_time(stock.market)
        elapsed = cls.elapsed_minutes(t.hour * 60 + t.minute)
        return q.get('volume') * cls.total_minutes() / (elapsed + 1)

    def day_stats(self, stock):
        """(side flag, 24 bytes: balance, long stop, long profit, short stop, short cover
        prices and the reference figure)."""
        q = Quote(stock.quote)
        prev = q.get('prev_close') or q.get('last')
        high = q.get('high') or prev
        low = q.get('low') or prev
        balance = (high + low + 2 * prev) // 4
        span = max(self.tick_size.get(stock, 1), high - low, prev // 50)
        side = 0 if q.get('last') >= prev else 1
        return side, struct.pack('<5If', balance, max(0, balance - span), balance + span,
                                 balance + span, max(0, balance - span),
                                 self.day_reference(stock))

    def recent_price(self, stock, minutes=5):
        """The price of the newest tick at least this many minutes old, else the open or
        the previous close."""
        q = Quote(stock.quote)
        t = self.local_time(stock.market) - datetime.timedelta(minutes=minutes)
        limit = packed(t.year, t.month, t.day, t.hour, t.minute)
        ticks = stock.ticks
        for pos in range(len(ticks) - 20, -1, -20):
            when, price = struct.unpack_from('<II', ticks, pos)
            if when <= limit:
                return price
        return q.get('open') or q.get('prev_close')

    def stock_info(self, stock):
        """The 244-byte broker-queue record: bid and ask counts, then 40 bid and 40 ask
        entries of a flag byte and a 16-bit number. A flagged entry marks a price level and
        carries the level's number (1, 2 ...); the terminal puts the side's sign in front."""
        rng = random.Random('%d:%s' % (stock.market.index, stock.code.decode('latin-1')))
        brokers = self.install.brokers or list(range(1000, 1100))
        record = bytearray()
        counts = []
        for _ in range(2):
            count = rng.randint(6, 40)
            counts.append(count)
            entries = bytearray()
            level = 0
            for k in range(40):
                if k >= count:
                    entries += b'\0\0\0'
                elif k == 0 or rng.random() < 0.2:
                    level += 1
                    entries += struct.pack('<BH', 1, level)
                else:
                    entries += struct.pack('<BH', 0, rng.choice(brokers) & 0xFFFF)
            record += entries
        return struct.pack('<HH', *counts) + bytes(record)
