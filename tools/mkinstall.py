#!/usr/bin/python3
"""Installation maker: builds a complete, deterministic installation tree for the
tests, the demo and the benchmarks.

    mkinstall.py ROOT [--seed N] [--large] [--today YYYYMMDD] [--now HHMM]
                      [--data-server HOST:BALANCE:DATA:REALTIME] [--chat-server HOST:PORT]
                      [--gateway HOST:PORT] [--demo] [--no-registry] [--describe FILE]

ROOT receives bin/ (the programs are copied in by other scripts; the maker writes
server.ini, the terminal's data-server list and ports, and consign.ini, the order
client's settings with the gateway), CFG/ (settings with the chat server, market
description, time-zone table, block files, broker list, alarm file, reference
lines, indicator definitions, parameter blocks, parameter labels, the formula
files of the formula indicators and the default page) and data/
(trading dates; per market the name table and the quote snapshot; for a few
stocks of each market day, 5-minute and 1-minute history, today's and earlier
ticks and, in securities markets, ex-rights files; the news index with its
articles). The installation shows a trading day in progress: --today is the
market's trading date and --now its local clock time, the history ends on the
trading day before today, and the ticks and the quote snapshot of the stocks
with history stop at --now. The registry store gets the installation root as
value Path of HKEY_CURRENT_USER\\Software\\Lumo\\Ver2.0.
The server options point the programs at the simulated servers; by default all
are on 127.0.0.1 with the conventional ports (balancing 6669, data 6666,
real-time 6668, chat 6656) and the gateway on 9001.
--demo makes the demo's installation: the data server's account demo/demo remembered
in server.ini, trader 8001 remembered as consign.ini's login name, the tool bar's buy
and sell buttons shown (SETTING.INI Directbysell), and a third market,
a futures market whose codes are the order bridge's 6-digit product codes
(demomarket.py; the gateway's --demo lists their contracts).
--describe writes a JSON account of everything written (names as UTF-8), so that
other tests can check what the programs read against what was written.

The tree is built in two steps: build_model() decides every value from the seed,
the date, the clock time and the servers, and one writer per file family turns
the model into files. A new file family adds its own builder and writer and is
called from make_installation().

Text files are GBK with CRLF line ends; binary records are little-endian and
packed, with the sizes asserted below.
"""

import argparse
import datetime
import json
import os
import random
import struct
import sys
from dataclasses import dataclass, field

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import demomarket  # noqa: E402

# ---------------------------------------------------------------------------
# Record layouts

# Market description record of mkinfo.cfg: a 47-byte head, 15 class records of
# 96 bytes from offset 47, and 17 unused bytes at the end.
MARKET_HEAD = struct.Struct(
    '<'
    'B'     # 0   first byte, unused here (0)
    'B'     # 1   market type: 1 amounts are turnover, 2 futures (open interest)
    '15s'   # 2   market name, NUL-terminated
    '9s'    # 17  directory name under data/
    '11s'   # 26  file extension of nametbl.<ext> and real.<ext>
    'h'     # 37  hour offset of the local time from UTC
    'H'     # 39  day-start clock minute
    '2x'    # 41
    'H'     # 43  stock capacity
    'H'     # 45  class count
)
CLASS_RECORD = struct.Struct(
    '<'
    'B'     # 0   index-class flag
    '8s'    # 1   class name, no NUL when 8 bytes long
    'x'     # 9
    'B'     # 10  session count (0..4)
    '4H'    # 11  session starts, clock minutes
    '4H'    # 19  session ends, clock minutes
    '65x'   # 27
    'H'     # 92  elapsed trading minutes (filled at run time)
    'H'     # 94  total trading minutes (filled at run time)
)
MAX_CLASSES = 15
MAX_SESSIONS = 4
MAX_MARKETS = 16
MARKET_RECORD_SIZE = 1504
MARKET_TAIL = MARKET_RECORD_SIZE - MARKET_HEAD.size - MAX_CLASSES * CLASS_RECORD.size
assert MARKET_HEAD.size == 47
assert CLASS_RECORD.size == 96
assert MARKET_TAIL == 17

# StockStaticRecord: the records of data/<dir>/nametbl.<ext>.
STOCK_STATIC = struct.Struct(
    '<'
    'B'     # 0   market index
    'B'     # 1   class index
    '7s'    # 2   code, NUL-terminated when shorter (spaces count as NUL)
    '9s'    # 9   name, NUL-terminated
    'I'     # 18  price scale divisor
    'I'     # 22  volume unit
    'B'     # 26  decimals shown
    'x'     # 27
    'H'     # 28  stock index within the market
    '2x'    # 30
)
assert STOCK_STATIC.size == 32

# RealQuoteRecord: the records of data/<dir>/real.<ext>, 31 words.
REAL_QUOTE = struct.Struct(
    '<'
    '5I'    # words 0-4: previous close, open, high, low, last
    '4f'    # words 5-8: volume, amount or open interest, last deal volume, fast change
    'I'     # word 9: time (second bits 0-5, minute 6-11, hour 12-16)
    + 'If' * 5 +  # words 10-19: five bid levels (price, volume)
    'If' * 5 +    # words 20-29: five ask levels (price, volume)
    'I'     # word 30: settlement price
)
assert REAL_QUOTE.size == 124
# In the quote of a market's first stock (its index) the words of bid price 1 and
# bid volume 1 hold three 16-bit counts: total stocks, advancers, decliners.
INDEX_COUNTS = struct.Struct('<3H2x')
INDEX_COUNTS_OFFSET = 40
assert INDEX_COUNTS.size == 8

# systime.dat: preset count, current preset, 16 base hour offsets, 16 x 15 stored
# entries (market-major), 32 presets; an entry is a signed hour and a 32-byte name.
TIME_ZONE_ENTRY = struct.Struct('<b32s')
TIME_ZONE_HEAD = struct.Struct('<ii16b')
ZONE_ENTRIES_PER_MARKET = 15
MAX_PRESETS = 32
SYSTIME_SIZE = 9000
assert TIME_ZONE_ENTRY.size == 33
assert TIME_ZONE_HEAD.size == 24
assert (TIME_ZONE_HEAD.size + (MAX_MARKETS * ZONE_ENTRIES_PER_MARKET + MAX_PRESETS)
        * TIME_ZONE_ENTRY.size) == SYSTIME_SIZE

# dBASE III table: 32-byte header, 32-byte field descriptors, a 0x0D terminator,
# records that start with a flag byte, and a 0x1A end-of-file byte.
DBF_HEADER = struct.Struct(
    '<'
    'B'     # 0   version (3 = dBASE III without memo)
    '3B'    # 1   date of the last update: year - 1900, month, day
    'I'     # 4   record count
    'H'     # 8   header length
    'H'     # 10  record length
    '17x'   # 12
    'B'     # 29  language driver (0x7A: code page 936)
    '2x'    # 30
)
DBF_FIELD = struct.Struct(
    '<'
    '11s'   # 0   name, NUL-padded
    'c'     # 11  type
    '4x'    # 12  field address, unused in the file
    'B'     # 16  length
    'B'     # 17  decimal count
    '14x'   # 18
)
assert DBF_HEADER.size == 32
assert DBF_FIELD.size == 32

# PackedDateTime: minute in bits 0-5, hour 6-10, day 11-15, month 16-19, year from
# bit 20; compared as an unsigned number it orders by time.

# KLineRecord: the records of data/<dir>/day/<code>.day (date only),
# min/<code>.min (5-minute bars) and min1/<code>.m1 (1-minute bars).
KLINE = struct.Struct(
    '<'
    'I'     # 0   PackedDateTime of the bar's end
    'I'     # 4   close
    'I'     # 8   open
    'I'     # 12  high
    'I'     # 16  low (prices in units of the stock's divisor)
    'f'     # 20  volume
    'f'     # 24  amount, or open interest in futures markets
    'H'     # 28  advances (index classes; 0 elsewhere)
    'H'     # 30  declines (index classes; 0 elsewhere)
)
assert KLINE.size == 32

# TickRecord: the records of data/<dir>/tick/<code>.tik (today) and .tck (earlier
# days, then today).
TICK = struct.Struct(
    '<'
    'I'     # 0   PackedDateTime
    'I'     # 4   price
    'f'     # 8   cumulative volume
    'f'     # 12  cumulative amount, or open interest in futures markets
    'B'     # 16  trade side: 0 outer (buyer), 1 inner (seller), 2 neutral
    '3x'    # 17
)
assert TICK.size == 20

# Ex-rights record: the records of data/<dir>/weight/<code>.wgt, sorted by date.
EX_RIGHTS = struct.Struct(
    '<'
    'I'     # 0   event date, PackedDateTime with hour and minute 0
    'I'     # 4   bonus shares per 10 shares x 10000
    'I'     # 8   rights shares per 10 shares x 10000
    'I'     # 12  rights issue price, in units of the divisor
    'I'     # 16  cash dividend per 10 shares, in units of the divisor
    'I'     # 20  shares converted from reserves per 10 shares x 10000
    '12x'   # 24  three unused words
)
assert EX_RIGHTS.size == 36

# News record: the records of data/info/news.ntl, oldest first, no header.
NEWS_RECORD = struct.Struct(
    '<'
    'I'     # 0   read flag in bit 0, news type in bits 1-31
    'I'     # 4   yymmdd in bits 0-19, hhmm in bits 20-31
    'i'     # 8   message id; the article is data/info/<id as %08d>.txt
    '80s'   # 12  title, NUL-terminated
    '16s'   # 92  article file name, NUL-terminated
)
assert NEWS_RECORD.size == 108
MAX_NEWS = 3000

# CFG/ALARM.SET: the magic and a flags word, then the pending and the triggered
# alarms. An alarm starts with the trigger time as a SYSTEMTIME (year, month, day
# of week, day, hour, minute, second, milliseconds; zero while pending).
ALARM_MAGIC = b'LMAS01'
ALARM_HEAD = struct.Struct('<6sI')
ALARM_RECORD = struct.Struct(
    '<'
    '8H'    # 0   trigger time
    'I'     # 16  trigger reason: 1 above the upper limit, 2 below the lower limit,
            #     16 single deal, 32 volume, 64 amount or open interest
    'H'     # 20  market index
    'H'     # 22  stock index within the market
    'f'     # 24  price when the alarm fired, display units
    'f'     # 28  upper price limit, display units
    'f'     # 32  lower price limit, display units
    'f'     # 36  single-deal volume limit, trading units
    'f'     # 40  volume limit, trading units
    'f'     # 44  amount limit in units of 10 000, or open interest limit
)
assert ALARM_HEAD.size == 10
assert ALARM_RECORD.size == 48
ALARM_BEEP = 0x01
ALARM_WINDOW = 0x10
MAX_ALARMS = 1000
LIMIT_OFF = struct.unpack('<f', struct.pack('<f', -1e-10))[0]

# CFG/refline.dat: reference lines per indicator and stock, no header.
REFLINE = struct.Struct(
    '<'
    'H'     # 0   indicator id
    'H'     # 2   market index
    '12s'   # 4   stock code, NUL-terminated
    '4B'    # 16  shown flags of lines 1-4
    '4f'    # 20  levels of lines 1-4
)
assert REFLINE.size == 36

# CFG/INDEX.DAT: indicator definitions, 232-byte records, at most 300. The name
# ends within 12 bytes because the indicator chooser reads a description from
# offset 20 and a hot-key text from offset 67.
INDEX_RECORD = struct.Struct(
    '<'
    'H'     # 0   indicator id
    'B'     # 2   flags: 0x20 frequently used
    'B'     # 3   flags: 0x80 hidden from the chooser and the keyboard wizard
    'H'     # 4   kind: category 0-9 of a built-in indicator, 200 formula indicator
    'H'     # 6   number of result lines
    '12s'   # 8   short name, NUL-terminated
    '47s'   # 20  description (long name), NUL-terminated
    '5s'    # 67  hot-key text, NUL-terminated
    + '8s' * 8 +  # 72  names of up to 8 result lines, NUL-terminated
    '64x'   # 136 unused
    '32s'   # 200 formula file under CFG/ (formula indicators only)
)
assert INDEX_RECORD.size == 232
MAX_INDICATORS = 300
# The spread chart's definition is fixed in the program; ids from 1000 up belong to
# the intraday chart, and the K-line chart steps only through ids below 1000.
WRAP_ID = 601
FIRST_INTRADAY_ID = 1000
INDICATOR_FREQUENT = 0x20
# CFG/IDXPARA.TBL: one block per definition, in the same order: 16 sets of 8
# parameters, set s for period code s.
PERIOD_SETS = 16
PARAMS_PER_SET = 8
PARAM_BLOCK = struct.Struct('<%di' % (PERIOD_SETS * PARAMS_PER_SET))
assert PARAM_BLOCK.size == 512
USED_PERIODS = range(1, 13)   # 1-minute bars up to any number of days
# Formula indicators: definitions of kind 200 that name a formula text under CFG/.
# The text declares at most 8 parameters, 8 result lines and 16 variables; names
# are words of letters and digits, at most 11 characters (variables 8).
FORMULA_KIND = 200
MAX_FORMULA_PARAMS = 8
MAX_FORMULA_RESULTS = 8
MAX_FORMULA_VARIABLES = 16
FORMULA_NAME_LENGTH = 11
FORMULA_VARIABLE_LENGTH = 8
FORMULA_STYLES = ('NONE', 'LINE', 'BAR', 'TBAR', 'CANDLE')
# INDEXDEF keeps NAME to 8, TITLE to 60 and KEY to 4 characters.
FORMULA_HEADER_LENGTHS = {'NAME': 8, 'TITLE': 60, 'KEY': 4}

REGISTRY_SECTION = 'HKEY_CURRENT_USER\\Software\\Lumo\\Ver2.0'

# ---------------------------------------------------------------------------
# Model


@dataclass
class TradingClass:
    name: str
    index_class: bool
    sessions: list            # [(start minute, end minute)]

    def total_minutes(self):
        return 1 + sum(end - start for start, end in self.sessions)

    def elapsed_minutes(self, clock):
        """Trading minutes elapsed at a clock minute; a time in a break counts
        the sessions before it."""
        if not self.sessions or clock <= self.sessions[0][0]:
            return 0
        if clock >= self.sessions[-1][1]:
            return self.total_minutes() - 1
        elapsed = 0
        for start, end in self.sessions:
            if clock <= start:
                break
            if clock < end:
                return elapsed + clock - start
            elapsed += end - start
        return elapsed

    def minute_clock(self, minute):
        """Clock minute of trading minute `minute` (0 is the first session's start)."""
        for start, end in self.sessions:
            if end - start >= minute:
                return start + minute
            minute -= end - start
        return self.sessions[-1][1]


@dataclass
class Quote:
    prev_close: int
    open: int
    high: int
    low: int
    last: int
    volume: float
    amount: float             # turnover, or open interest in futures markets
    last_volume: float
    fast_change: float
    time: int
    bids: list                # [(price, volume)] x 5
    asks: list                # [(price, volume)] x 5
    settlement: int
    counts: tuple = None      # (total, advancers, decliners) of a market's index


@dataclass
class Stock:
    index: int
    class_index: int
    code: str
    name: str
    divisor: int
    unit: int
    decimals: int
    quote: Quote = None
    tick: int = 1             # price step in units of the divisor


@dataclass
class Market:
    index: int
    market_type: int          # 1 securities, 2 futures
    name: str
    directory: str
    extension: str
    hour_offset: int
    day_start: int
    capacity: int
    classes: list
    stocks: list = field(default_factory=list)
    code_padding: str = 'nul'  # how the name table pads codes: 'nul' or 'space'


@dataclass
class Block:
    name: str
    members: list             # [(market index, code)]


@dataclass
class BlockGroup:
    name: str
    file: str
    blocks: list


@dataclass
class Bar:
    """A KLineRecord with volume and amount as exact sums; the file holds them
    as 32-bit floats."""
    date: int                 # yyyymmdd
    hhmm: int                 # end of the bar; 0 in day bars
    close: int
    open: int
    high: int
    low: int
    volume: float
    amount: float             # turnover, or open interest in futures markets
    advances: int = 0
    declines: int = 0


@dataclass
class Tick:
    date: int                 # yyyymmdd
    hhmm: int                 # the minute the deal falls in (its bar's end)
    price: int
    volume: float             # cumulative
    amount: float             # cumulative turnover, or open interest
    side: int                 # 0 outer, 1 inner, 2 neutral


@dataclass
class ExRights:
    date: int                 # yyyymmdd
    bonus: int = 0            # per 10 shares x 10000
    rights: int = 0           # per 10 shares x 10000
    rights_price: int = 0     # units of the divisor
    dividend: int = 0         # per 10 shares, units of the divisor
    conversion: int = 0       # per 10 shares x 10000


@dataclass
class History:
    market: int
    stock: int
    code: str
    days: list                # [Bar], one per trading day before today
    min5: list                # [Bar] of the last MIN5_DAYS days
    min1: list                # [Bar] of the last MIN1_DAYS days, total minutes per day
    ticks: list               # [Tick] of today up to the clock time
    earlier_ticks: list       # [Tick] of the trading day before today
    weights: list             # [ExRights]


@dataclass
class NewsItem:
    news_type: int
    read: bool
    date: int                 # yyyymmdd
    hhmm: int
    id: int
    title: str
    article: list = None      # lines of data/info/<id>.txt; None: no article file


@dataclass
class Alarm:
    market: int
    stock: int
    code: str
    upper: float = None       # None: limit off
    lower: float = None
    deal_volume: float = None
    volume: float = None
    amount: float = None
    reason: int = 0
    price: float = 0.0
    trigger_time: tuple = None  # SYSTEMTIME fields of a triggered alarm


@dataclass
class RefLine:
    indicator: int
    market: int
    code: str
    shown: tuple              # 4 flags
    levels: tuple             # 4 levels


@dataclass
class Indicator:
    id: int
    name: str                 # short name, at most 11 bytes
    description: str
    lines: list               # result line names
    params: list              # [(label, default)] the parameter dialog offers
    frequent: bool = False
    fixed: dict = field(default_factory=dict)   # parameter index: value the indicator forces
    formula: 'Formula' = None                   # the text of a formula indicator

    @property
    def kind(self):
        """The chooser's category: ids come in groups of 40 per category; formula
        indicators have a kind of their own."""
        return FORMULA_KIND if self.formula else (self.id - 1) // 40

    @property
    def hotkey(self):
        """A formula's KEY; else the name where it is short enough to type as a hot key."""
        if self.formula:
            return self.formula.key
        return self.name if self.name.isascii() and len(self.name) <= 4 else ''

    def parameter_set(self):
        values = [default for _, default in self.params] + [0] * (PARAMS_PER_SET - len(self.params))
        for index, value in self.fixed.items():
            values[index] = value
        return values


@dataclass
class Formula:
    """A formula indicator: its definition's id and the declarations and
    statements of its text file CFG/<file>."""
    id: int
    file: str                 # file name under CFG/, at offset 200 of the definition
    name: str                 # INDEXDEF NAME, also the definition's short name
    title: str                # INDEXDEF TITLE, also the definition's description
    key: str                  # INDEXDEF KEY, also the definition's hot-key text
    params: list              # [(name, dialog label, minimum, maximum, default)]
    results: list             # [(name, style)], style one of FORMULA_STYLES
    variables: list           # [name]
    statements: list          # BEGIN lines: 'NAME = expression'


@dataclass
class Endpoint:
    host: str
    ports: tuple


@dataclass
class Installation:
    seed: int
    large: bool
    trading_date: int         # yyyymmdd: today, the market's trading date
    markets: list
    system_groups: list
    user_blocks: list
    brokers: list             # [(first broker number, name)]
    time_zones: dict
    themes: list
    settings: list            # [(section, [(key, value)])] before the themes
    now: int = 0              # hhmm, the markets' local clock time
    history_days: list = field(default_factory=list)   # yyyymmdd ascending
    histories: list = field(default_factory=list)      # [History]
    news: list = field(default_factory=list)           # [NewsItem], oldest first
    alarm_flags: int = ALARM_BEEP | ALARM_WINDOW
    pending_alarms: list = field(default_factory=list)     # [Alarm]
    triggered_alarms: list = field(default_factory=list)   # [Alarm]
    reflines: list = field(default_factory=list)       # [RefLine]
    indicators: list = field(default_factory=list)     # [Indicator], in file order
    formulas: list = field(default_factory=list)       # [Formula], by id
    data_server: Endpoint = None   # ports: balancing, data, real-time
    chat_server: Endpoint = None   # ports: (chat,)
    gateway: Endpoint = None       # ports: (gateway,)
    demo: bool = False             # accounts remembered, the demo's futures market


# ---------------------------------------------------------------------------
# Building the model

TRADING_DATE = 20061208      # default today
CLOCK_TIME = 1030            # default clock time of the markets, hhmm
STOCK_SESSIONS = [(9 * 60 + 30, 11 * 60 + 30), (13 * 60, 15 * 60)]
FUTURES_SESSIONS = [(9 * 60, 10 * 60 + 15), (10 * 60 + 30, 11 * 60 + 30),
                    (13 * 60 + 30, 15 * 60)]
LARGE_MARKETS = 16
LARGE_STOCKS = 4096
DEFAULT_CAPACITY = 256

# (code, name, previous close in 1/100)
SH_INDEXES = [
    ('000001', '上证指数', 210000), ('000002', 'A股指数', 220000),
    ('000003', 'B股指数', 12000), ('000010', '上证180', 450000),
    ('000016', '上证50', 130000),
]
SH_STOCKS = [
    ('600000', '浦发银行'), ('600001', '邯郸钢铁'), ('600004', '白云机场'),
    ('600005', '武钢股份'), ('600006', '东风汽车'), ('600007', '中国国贸'),
    ('600008', '首创股份'), ('600009', '上海机场'), ('600010', '包钢股份'),
    ('600011', '华能国际'), ('600012', '皖通高速'), ('600015', '华夏银行'),
    ('600016', '民生银行'), ('600018', '上港集团'), ('600019', '宝钢股份'),
    ('600026', '中海发展'), ('600028', '中国石化'), ('600029', '南方航空'),
    ('600030', '中信证券'), ('600036', '招商银行'), ('600048', '保利地产'),
    ('600050', '中国联通'), ('600100', '同方股份'), ('600104', '上海汽车'),
    ('600519', '贵州茅台'), ('600585', '海螺水泥'), ('600600', '青岛啤酒'),
    ('600887', '伊利股份'), ('601398', '工商银行'), ('601988', '中国银行'),
]
# (product code, short name, base price, price tick)
SHFE_PRODUCTS = [
    ('cu', '沪铜', 66000, 10), ('al', '沪铝', 20000, 5),
    ('ru', '橡胶', 19500, 5), ('fu', '燃油', 3200, 1),
]
DEFAULT_MONTHS = ['0612'] + ['07%02d' % m for m in range(1, 12)]
LARGE_MONTHS = (['0612'] + ['%02d%02d' % (y, m) for y in range(7, 12) for m in range(1, 13)])[:60]

NAME_PREFIXES = ['华夏', '东方', '南方', '北方', '中原', '长江', '海南', '天津', '上海',
                 '广州', '深圳', '江南', '西部', '中国', '金山', '宏达', '新华', '太平',
                 '大众', '光明', '天地', '明星', '兴业', '国泰', '安徽', '湖南', '四川']
NAME_SUFFIXES = ['钢铁', '银行', '电力', '科技', '地产', '汽车', '化工', '医药', '机场',
                 '港口', '证券', '电子', '能源', '建设', '食品', '航空', '纺织', '传媒',
                 '水泥', '交通']
COMMODITY_NAMES = ['大豆', '豆粕', '玉米', '小麦', '棉花', '白糖', '铅材', '镍材', '锡材',
                   '黄金', '白银', '钢材', '线材', '螺纹', '热卷', '焦炭', '焦煤', '甲醇',
                   '玻璃', '纯碱', '尿素', '苹果', '红枣', '菜油', '菜粕', '豆油', '棕榈',
                   '塑料', '沥青', '原油', '纸浆', '鸡蛋', '生猪', '花生']


def _rng(seed, *salt):
    """An independent random stream per seed and purpose."""
    value = seed & 0xFFFFFFFF
    for s in salt:
        value = (value * 1000003 + s + 1) & 0xFFFFFFFFFFFF
    return random.Random(value)


def _clock_word(hour, minute, second):
    return (hour << 12) | (minute << 6) | second


def _float32(x):
    return struct.unpack('<f', struct.pack('<f', x))[0]


def _stock_quote(rng, prev):
    """A closing snapshot of a stock priced in 1/100: within the 10% limits, a
    day range around open and last, five bid and five ask levels one tick apart."""
    upper = prev * 11 // 10
    lower = max(1, -(-prev * 9 // 10))
    last = min(upper, max(lower, round(prev * (1 + rng.uniform(-0.095, 0.095)))))
    open_ = min(upper, max(lower, round(prev * (1 + rng.uniform(-0.02, 0.02)))))
    high = min(upper, max(open_, last) + rng.randint(0, max(1, prev // 50)))
    low = max(lower, min(open_, last) - rng.randint(0, max(1, prev // 50)))
    volume = _float32(rng.randint(1, 100000) * 100)
    amount = _float32(volume * (low + high) / 2 / 100)
    bids = [(last - k, _float32(rng.randint(1, 2000) * 100)) for k in range(5)]
    asks = [(last + k + 1, _float32(rng.randint(1, 2000) * 100)) for k in range(5)]
    return Quote(prev, open_, high, low, last, volume, amount,
                 _float32(rng.randint(1, 500) * 100), 0.0,
                 _clock_word(15, 0, rng.randint(0, 3)), bids, asks, 0)


def _index_quote(rng, prev):
    """A closing snapshot of an index: no bid and ask queue."""
    last = round(prev * (1 + rng.uniform(-0.04, 0.04)))
    open_ = round(prev * (1 + rng.uniform(-0.01, 0.01)))
    high = max(open_, last) + rng.randint(0, prev // 100)
    low = min(open_, last) - rng.randint(0, prev // 100)
    volume = _float32(rng.randint(1000, 100000) * 10000)
    amount = _float32(volume * 8.5)
    return Quote(prev, open_, high, low, last, volume, amount, 0.0, 0.0,
                 _clock_word(15, 0, 0), [(0, 0.0)] * 5, [(0, 0.0)] * 5, 0)


def _futures_quote(rng, prev, tick):
    """A closing snapshot of a futures contract: open interest in the amount word
    and a settlement price."""
    def on_tick(x):
        return max(tick, round(x / tick) * tick)
    last = on_tick(prev * (1 + rng.uniform(-0.03, 0.03)))
    open_ = on_tick(prev * (1 + rng.uniform(-0.01, 0.01)))
    high = max(open_, last) + tick * rng.randint(0, 20)
    low = max(tick, min(open_, last) - tick * rng.randint(0, 20))
    settlement = on_tick((high + low + 2 * last) / 4)
    bids = [(last - k * tick, _float32(rng.randint(1, 200))) for k in range(5)]
    asks = [(last + (k + 1) * tick, _float32(rng.randint(1, 200))) for k in range(5)]
    return Quote(prev, open_, high, low, last, _float32(rng.randint(10, 50000)),
                 _float32(rng.randint(1000, 100000)), _float32(rng.randint(1, 50)), 0.0,
                 _clock_word(15, 0, 0), bids, asks, settlement)


def _securities_market(index, seed, name, directory, count, index_count):
    """A stock market: class 0 the indexes, class 1 the stocks. Market 0 begins
    with the real Shanghai list; further codes are made up."""
    rng = _rng(seed, index, 1)
    market = Market(index, 1, name, directory, directory, 8, 9 * 60,
                    max(DEFAULT_CAPACITY, count),
                    [TradingClass('指数板块', True, list(STOCK_SESSIONS)),
                     TradingClass('上证A股' if index == 0 else 'A股', False, list(STOCK_SESSIONS))])
    indexes = list(SH_INDEXES) if index == 0 else []
    used = {code for code, _, _ in indexes}
    n = 0
    while len(indexes) < index_count:
        n += 1
        code = '%06d' % n if index == 0 else '9%02d%03d' % (index // 2, n)
        if code not in used:
            used.add(code)
            indexes.append((code, '指数%02d' % (len(indexes) + 1), rng.randint(800, 5000) * 100))
    stocks = list(SH_STOCKS) if index == 0 else []
    used.update(code for code, _ in stocks)
    base = 600000 if index == 0 else (index // 2) * 10000
    n = 0
    while len(indexes) + len(stocks) < count:
        code = '%06d' % (base + n)
        n += 1
        if code not in used:
            used.add(code)
            stocks.append((code, rng.choice(NAME_PREFIXES) + rng.choice(NAME_SUFFIXES)))
    for code, sname, prev in indexes[:count]:
        market.stocks.append(Stock(len(market.stocks), 0, code, sname, 100, 100, 2,
                                   _index_quote(rng, prev)))
    for code, sname in stocks:
        market.stocks.append(Stock(len(market.stocks), 1, code, sname, 100, 100, 2,
                                   _stock_quote(rng, rng.randint(300, 6000))))
    first_index = market.stocks[0]
    shares = [s for s in market.stocks if s.class_index == 1]
    first_index.quote.volume = _float32(sum(s.quote.volume for s in shares))
    first_index.quote.amount = _float32(sum(s.quote.amount for s in shares))
    _count_advancers(market)
    return market


def _count_advancers(market):
    """The counts in the quote of a market's index: stocks, advancers, decliners."""
    shares = [s for s in market.stocks if s.class_index == 1]
    market.stocks[0].quote.counts = (
        len(shares),
        sum(1 for s in shares if s.quote.last and s.quote.last > s.quote.prev_close),
        sum(1 for s in shares if s.quote.last and s.quote.last < s.quote.prev_close))


def _futures_market(index, seed, name, directory, count, letter_pairs):
    """A futures market of one class with the futures hours. Market 1 begins with
    the Shanghai metals, rubber and fuel oil contracts; further products take
    letter pairs from `letter_pairs`."""
    rng = _rng(seed, index, 2)
    market = Market(index, 2, name, directory, directory, 8, 8 * 60 + 50,
                    max(DEFAULT_CAPACITY, count),
                    [TradingClass('期货合约', False, list(FUTURES_SESSIONS))],
                    code_padding='space')
    products = [(code, pname, price, tick, DEFAULT_MONTHS)
                for code, pname, price, tick in (SHFE_PRODUCTS if index == 1 else [])]
    while sum(len(p[4]) for p in products) < count:
        tick = rng.choice([1, 2, 5, 10])
        products.append((letter_pairs.pop(), rng.choice(COMMODITY_NAMES),
                         rng.randint(200, 8000) * tick, tick, LARGE_MONTHS))
    for code, pname, price, tick, months in products:
        for month in months:
            if len(market.stocks) == count:
                return market
            prev = max(tick, round(price * (1 + rng.uniform(-0.02, 0.02)) / tick) * tick)
            market.stocks.append(Stock(len(market.stocks), 0, code + month, pname + month,
                                       1, 1, 0, _futures_quote(rng, prev, tick), tick))
    return market


def _demo_market(index, seed):
    """The demo's futures market: its codes are the order bridge's 6-digit product
    codes, its previous closes those the gateway's --demo prices its contracts at."""
    rng = _rng(seed, index, 3)
    market = Market(index, 2, demomarket.MARKET_NAME, demomarket.MARKET_DIRECTORY,
                    demomarket.MARKET_DIRECTORY, 8, 8 * 60 + 50, DEFAULT_CAPACITY,
                    [TradingClass('期货合约', False, list(FUTURES_SESSIONS))])
    for code, product, month in demomarket.contracts():
        _, _, _, name, price, tick, _, _ = product
        prev = demomarket.previous_close(price, tick, month)
        market.stocks.append(Stock(len(market.stocks), 0, code, '%s%02d' % (name, month),
                                   1, 1, 0, _futures_quote(rng, prev, tick), tick))
    return market


def _time_zones(markets):
    presets = [('北京时间', 8), ('香港时间', 8), ('东京时间', 9), ('伦敦时间', 0),
               ('纽约时间', -5), ('芝加哥时间', -6)]
    return {
        'current': 0,
        'base': [markets[m].hour_offset if m < len(markets) else 8 for m in range(MAX_MARKETS)],
        'stored': [('北京时间', 0)] * (MAX_MARKETS * ZONE_ENTRIES_PER_MARKET),
        'presets': presets,
    }


def _rgb(r, g, b):
    return r | (g << 8) | (b << 16)


# Theme 0, slot 1 to 64 (see the slot names in the settings program).
CLASSIC_COLOURS = [
    _rgb(0, 0, 0), _rgb(84, 255, 255), _rgb(255, 50, 50), _rgb(255, 255, 255),
    _rgb(255, 255, 0), _rgb(255, 0, 255), _rgb(0, 255, 0), _rgb(0, 160, 255),
    _rgb(255, 128, 0), _rgb(160, 160, 160), _rgb(96, 96, 255), _rgb(128, 0, 0),
    _rgb(192, 192, 192), _rgb(128, 0, 0), _rgb(255, 0, 0), _rgb(255, 255, 255),
    _rgb(0, 0, 0), _rgb(192, 192, 192), _rgb(0, 230, 0), _rgb(230, 230, 230),
    _rgb(255, 60, 60), _rgb(192, 192, 192), _rgb(255, 255, 0), _rgb(255, 255, 0),
    _rgb(0, 0, 128), _rgb(64, 0, 0), _rgb(0, 0, 0), _rgb(255, 255, 0),
    _rgb(128, 128, 128), _rgb(192, 192, 192), _rgb(192, 192, 192), _rgb(255, 255, 255),
    _rgb(255, 200, 0), _rgb(32, 32, 32), _rgb(255, 255, 255), _rgb(0, 255, 0),
    _rgb(255, 255, 255), _rgb(255, 0, 0), _rgb(255, 255, 0), _rgb(128, 0, 0),
    _rgb(255, 0, 0), _rgb(255, 255, 255), _rgb(255, 255, 0), _rgb(255, 255, 255),
    _rgb(255, 255, 0), _rgb(220, 220, 220), _rgb(255, 255, 0), _rgb(255, 255, 84),
    _rgb(0, 255, 255), _rgb(255, 255, 84), _rgb(255, 0, 255), _rgb(0, 0, 0),
    _rgb(0, 0, 160), _rgb(192, 192, 192), _rgb(0, 255, 255), _rgb(128, 128, 128),
    _rgb(255, 255, 0), _rgb(64, 64, 64), _rgb(255, 255, 0), _rgb(192, 192, 192),
    _rgb(128, 128, 128), _rgb(128, 128, 128), _rgb(16, 16, 16), _rgb(0, 0, 128),
]
assert len(CLASSIC_COLOURS) == 64

# Slots that differ from the classic theme, by slot number.
LIGHT_CHANGES = {
    1: _rgb(255, 255, 255), 2: _rgb(0, 128, 0), 3: _rgb(220, 0, 0), 4: _rgb(0, 0, 0),
    5: _rgb(200, 120, 0), 7: _rgb(0, 150, 0), 12: _rgb(160, 160, 160), 13: _rgb(64, 64, 64),
    14: _rgb(160, 160, 160), 16: _rgb(0, 0, 0), 17: _rgb(255, 255, 255), 18: _rgb(64, 64, 64),
    19: _rgb(0, 140, 0), 20: _rgb(64, 64, 64), 21: _rgb(220, 0, 0), 22: _rgb(0, 0, 0),
    23: _rgb(0, 0, 200), 24: _rgb(0, 0, 160), 25: _rgb(200, 220, 255), 26: _rgb(224, 224, 224),
    27: _rgb(255, 255, 255), 28: _rgb(0, 0, 160), 30: _rgb(64, 64, 64), 31: _rgb(0, 0, 0),
    32: _rgb(0, 0, 0), 33: _rgb(0, 0, 200), 34: _rgb(232, 232, 232), 35: _rgb(0, 0, 0),
    37: _rgb(0, 0, 0), 39: _rgb(0, 0, 200), 40: _rgb(160, 160, 160), 42: _rgb(0, 0, 0),
    43: _rgb(0, 0, 160), 44: _rgb(0, 0, 0), 45: _rgb(200, 120, 0), 46: _rgb(0, 0, 0),
    47: _rgb(0, 0, 160), 48: _rgb(0, 0, 200), 49: _rgb(0, 128, 128), 50: _rgb(0, 0, 200),
    55: _rgb(0, 0, 160), 57: _rgb(0, 0, 160), 58: _rgb(224, 224, 224), 59: _rgb(0, 0, 160),
    60: _rgb(64, 64, 64), 63: _rgb(244, 244, 244), 64: _rgb(200, 220, 255),
}
NAVY_CHANGES = {
    1: _rgb(0, 0, 64), 12: _rgb(0, 64, 128), 14: _rgb(0, 64, 128), 17: _rgb(0, 0, 64),
    25: _rgb(0, 96, 160), 26: _rgb(0, 32, 96), 27: _rgb(0, 0, 64), 34: _rgb(0, 24, 96),
    40: _rgb(0, 64, 128), 41: _rgb(0, 160, 255), 63: _rgb(0, 0, 88), 64: _rgb(0, 64, 128),
}

# Font slot 1 to 16: (bold flag, size, face). Slots 6, 7, 10 and 11 are pixel heights.
STANDARD_FONTS = [
    (0, 9, '宋体'), (0, 10, '宋体'), (1, 12, '黑体'), (0, 9, '宋体'),
    (0, 9, '宋体'), (0, 12, '宋体'), (0, 12, '宋体'), (0, 9, '宋体'),
    (0, 9, '宋体'), (0, 12, '宋体'), (0, 12, '宋体'), (0, 10, '宋体'),
    (0, 10, '宋体'), (0, 10, '宋体'), (0, 9, '宋体'), (0, 9, '宋体'),
]


def _themes():
    def changed(changes):
        return [changes.get(slot, CLASSIC_COLOURS[slot - 1]) for slot in range(1, 65)]
    large_fonts = [(bold, size + 3, face) for bold, size, face in STANDARD_FONTS]
    return [
        {'name': '经典黑底', 'colours': list(CLASSIC_COLOURS), 'fonts': list(STANDARD_FONTS)},
        {'name': '明亮白底', 'colours': changed(LIGHT_CHANGES), 'fonts': list(STANDARD_FONTS)},
        {'name': '深蓝夜色', 'colours': changed(NAVY_CHANGES), 'fonts': list(STANDARD_FONTS)},
        {'name': '大字黑底', 'colours': list(CLASSIC_COLOURS), 'fonts': large_fonts},
    ]


def _settings(chat_server, markets, demo):
    """SETTING.INI before the themes; the chat client finds its server in [Parameter];
    a new quote list's tabs (SysBlocks) are the installation's market blocks; the
    demo shows the tool bar's 买进 and 卖出 buttons ("直接买卖", Directbysell)."""
    return [
        ('PATH', [('DATAPATH', '..\\')]),
        ('PARAMETER', [('SysBlocks', ' '.join('%02d' % b for b in quote_list_blocks(markets))),
                       ('SortTime', '30'), ('PageTime', '15'), ('RefreshTime', '30'),
                       ('WarnRatio', '50'), ('MaxDataRecords', '15000'), ('KLineMode', '0'),
                       ('Cycdays', '45'), ('Cycmins', '10'), ('LineToolDocked', '0'),
                       ('CycleChoice', '0'), ('Directbysell', '1' if demo else '0'),
                       ('OTSServer', chat_server.host), ('OTSPort', str(chat_server.ports[0]))]),
        ('THEME', [('LastTheme', '0')]),
        ('TableDef', [('TickFirst', '1'), ('TrendFirst', '1'), ('ReportGridding', '0'),
                      ('ToolBar', '1'), ('StatuBar', '1'), ('BrokerMode', '0')]),
        ('DCD', [('ShRaise', '10'), ('ShDown', '10'), ('SzRaise', '10'), ('SzDown', '10')]),
        ('WEB', [('MenuName', '网站'), ('Web1', '公司首页:http://www.example.com/'),
                 ('Web2', '交易所:http://www.example.org/')]),
    ] + _column_tables()


# The quote lists' column tables: field ids and widths in digit widths, per table
# 1..7 (futures, stocks, forex, and the user's own), as a fresh terminal has them.
COLUMN_TABLES = [
    ('当前抬头', [0, 9, 1, 6, 10, 11, 24, 25, 26, 28, 29, 7, 8, 30, 3, 2]),
    ('期货经典', [0, 9, 1, 6, 10, 11, 24, 25, 26, 28, 29, 7, 8, 30, 3, 2]),
    ('股票经典', [0, 9, 1, 2, 3, 6, 10, 11, 7, 24, 8, 4, 5, 12, 13, 21]),
    ('外汇经典', [0, 9, 1, 6, 10, 11, 25, 26, 4, 5, 3, 2, 31, 12, 7, 24]),
    ('自定义一', [0, 9, 1, 3, 6, 10, 11, 7, 24, 8, 4, 5, 12, 13, 21, 2]),
    ('自定义二', [0, 9, 1, 3, 6, 10, 11, 7, 24, 8, 4, 5, 12, 13, 21, 2]),
    ('自定义三', [0, 9, 1, 3, 6, 10, 11, 7, 24, 8, 4, 5, 12, 13, 21, 2]),
]
COLUMN_WIDTHS = {0: 4, 1: 8, 9: 7, 7: 10, 8: 10, 21: 10, 30: 8, 31: 8, 32: 14, 33: 12}


def _column_tables():
    return [('TableDef%d' % (k + 1),
             [('Count', '16'), ('FixedCol', '3'),
              ('Id', ','.join(str(i) for i in ids)),
              ('ColWidth', ','.join(str(COLUMN_WIDTHS.get(i, 8)) for i in ids)),
              ('Name', name)])
            for k, (name, ids) in enumerate(COLUMN_TABLES)]


def _blocks():
    groups = [
        BlockGroup('行业板块', 'hyblk.ini', [
            Block('银行', [(0, c) for c in ('600000', '600015', '600016', '600036', '601398', '601988')]),
            Block('钢铁', [(0, c) for c in ('600001', '600005', '600010', '600019')]),
            Block('交通运输', [(0, c) for c in ('600004', '600009', '600012', '600018', '600026', '600029')]),
            Block('有色金属', [(1, 'cu0612'), (1, 'cu0701'), (1, 'al0612'), (1, 'al0701')]),
        ]),
        BlockGroup('地区板块', 'dqblk.ini', [
            Block('上海板块', [(0, c) for c in ('600000', '600009', '600018', '600104', '600019')]),
            Block('北京板块', [(0, c) for c in ('600008', '600011', '600030', '600050', '600100', '601398', '601988')]),
        ]),
    ]
    user = [Block('自选股', [(0, '600000'), (0, '600036'), (0, '600519'), (1, 'cu0701'), (0, '000001')])]
    return groups, user


BROKERS = [
    (1000, '高盛亚洲证券'), (1100, '摩根士丹利'), (1500, '瑞银证券'), (2000, '汇丰证券'),
    (3000, '中银国际'), (4000, '美林远东'), (5000, '德意志银行'), (6000, '花旗环球'),
    (7000, '里昂证券'), (8000, '大和证券'), (9000, '新鸿基证券'),
]


# ---------------------------------------------------------------------------
# History, ticks and ex-rights events

HISTORY_DAYS = 300            # day bars, ending on the trading day before today
MIN5_DAYS = 5                 # days of 5-minute bars, the last of the day bars
MIN1_DAYS = 3                 # days of 1-minute bars, the last of the day bars
HISTORY_STOCKS = [(0, '000001'), (0, '600000'), (0, '600036'), (0, '600519'),
                  (1, 'cu0612'), (1, 'cu0701'), (1, 'al0701')]
# Ex-rights events per code: (trading days before today, on the Saturday of that
# day's week instead, the event's fields); a rights price is given as a percentage
# of the close before the event.
WEIGHT_EVENTS = {
    '600000': [(200, False, {'bonus': 30000, 'dividend': 50}),
               (40, False, {'dividend': 120})],
    '600036': [(250, False, {'conversion': 50000}),
               (100, True, {'rights': 20000, 'rights_price_percent': 80, 'dividend': 80})],
}
PRICE_MOVES = (-2, -1, -1, 0, 0, 0, 1, 1, 2)


def ymd_of(day):
    return day.year * 10000 + day.month * 100 + day.day


def date_of(ymd):
    return datetime.date(ymd // 10000, ymd // 100 % 100, ymd % 100)


def packed_datetime(ymd, hhmm=0):
    """PackedDateTime of a yyyymmdd date and an hhmm clock time."""
    return ((ymd // 10000) << 20 | (ymd // 100 % 100) << 16 | (ymd % 100) << 11
            | (hhmm // 100) << 6 | hhmm % 100)


def hhmm_of(clock):
    return clock // 60 * 100 + clock % 60


def clock_of(hhmm):
    return hhmm // 100 * 60 + hhmm % 100


def trading_days_before(today, count):
    """The `count` weekdays before `today`, oldest first."""
    days, day = [], date_of(today)
    while len(days) < count:
        day -= datetime.timedelta(days=1)
        if day.weekday() < 5:
            days.append(ymd_of(day))
    return days[::-1]


def ex_rights_price(price, event):
    """The reference price after an event: the value of the old holding, rights paid
    in and dividend paid out, spread over the new number of shares; never below 0."""
    value = 100000 * price + event.rights * event.rights_price - 10000 * event.dividend
    return max(0, value // (100000 + event.bonus + event.rights + event.conversion))


class _PriceWalk:
    """The made-up trading of one stock: day bars, and on the days with minute
    history deals from which the minute and day bars are made, each day starting
    from the previous close (adjusted on an ex-rights day)."""

    def __init__(self, rng, market, stock):
        self.rng = rng
        self.cls = market.classes[stock.class_index]
        self.turnover = market.market_type == 1
        self.kind = 'index' if self.cls.index_class else 'stock' if self.turnover else 'futures'
        self.tick = stock.tick
        self.divisor = stock.divisor
        self.anchor = self.on_tick(stock.quote.prev_close)
        self.interest = 0 if self.turnover else rng.randint(20000, 120000)
        self.breadth = (sum(1 for s in market.stocks if s.class_index == 1)
                        if self.cls.index_class else 0)
        self.advances = self.breadth // 2
        self.declines = self.breadth - self.advances

    def on_tick(self, x):
        return max(self.tick, int(round(x / self.tick)) * self.tick)

    def limits(self, base):
        if self.kind == 'stock':
            return max(1, -(-base * 9 // 10)), base * 11 // 10
        if self.kind == 'futures':
            step = max(self.tick, base * 4 // 100 // self.tick * self.tick)
            return max(self.tick, base - step), base + step
        return 1, 0xFFFFFFFF

    def step_breadth(self):
        if self.breadth:
            self.advances = min(self.breadth, max(0, self.advances + self.rng.randint(-2, 2)))
            self.declines = min(self.breadth - self.advances,
                                max(0, self.declines + self.rng.randint(-2, 2)))
        return self.advances, self.declines

    def day_bar(self, date, base):
        """A day without minute history."""
        rng = self.rng
        low_limit, high_limit = self.limits(base)

        def clamp(x):
            return min(high_limit, max(low_limit, self.on_tick(x)))
        spread = 0.005 if self.kind == 'index' else 0.015
        drift = 0.08 * (self.anchor - base) / self.anchor
        open_ = clamp(base * (1 + rng.uniform(-spread, spread)))
        close = clamp(base * (1 + rng.uniform(-3 * spread, 3 * spread) + drift))
        high = max(open_, close, clamp(max(open_, close) * (1 + rng.uniform(0, spread))))
        low = min(open_, close, clamp(min(open_, close) * (1 - rng.uniform(0, spread))))
        if self.kind == 'stock':
            volume = rng.randint(2000, 40000) * 100
            amount = volume * (open_ + high + low + close) / 4 / self.divisor
        elif self.kind == 'index':
            volume = rng.randint(500, 3000) * 1000000
            amount = volume * rng.uniform(6, 11)
        else:
            volume = rng.randint(3000, 60000)
            self.interest = max(1000, self.interest + rng.randint(-3000, 3000))
            amount = self.interest
        return Bar(date, 0, close, open_, high, low, volume, amount, *self.step_breadth())

    def deals(self, date, base, minutes):
        """Deals of trading minutes 0 (the opening) to `minutes`, as
        [(trading minute, Tick, volume, amount)]; none when `minutes` < 0."""
        if minutes < 0:
            return []
        rng = self.rng
        low_limit, high_limit = self.limits(base)

        def clamp(x):
            return min(high_limit, max(low_limit, x))
        spread = 0.005 if self.kind == 'index' else 0.01
        price = clamp(self.on_tick(base * (1 + rng.uniform(-spread, spread))))
        unit = {'stock': max(1, base // 1000), 'index': max(1, base // 20000)}.get(self.kind, self.tick)
        out = []
        volume_sum, amount_sum = 0, 0.0

        def deal(minute, price, volume, side):
            nonlocal volume_sum, amount_sum
            if self.kind == 'stock':
                amount = volume * price / self.divisor
            elif self.kind == 'index':
                amount = volume * rng.uniform(6, 11)
            else:
                amount = 0.0
                self.interest = max(1000, self.interest + rng.randint(-volume, volume))
            volume_sum += volume
            amount_sum += amount
            tick = Tick(date, hhmm_of(self.cls.minute_clock(minute)), price, volume_sum,
                        amount_sum if self.turnover else self.interest, side)
            out.append((minute, tick, volume, amount))

        opening = {'stock': rng.randint(50, 600) * 100, 'index': rng.randint(5000, 40000) * 1000,
                   'futures': rng.randint(50, 500)}[self.kind]
        deal(0, price, opening, 2)
        for minute in range(1, minutes + 1):
            count = rng.randint(1, 3) if self.kind == 'index' else rng.choice((0, 1, 1, 2, 2, 3))
            for _ in range(count):
                new = clamp(price + unit * rng.choice(PRICE_MOVES))
                side = 0 if new > price else 1 if new < price else rng.choice((0, 1, 2))
                price = new
                volume = {'stock': rng.randint(1, 80) * 100, 'index': rng.randint(100, 4000) * 1000,
                          'futures': rng.randint(1, 40)}[self.kind]
                deal(minute, price, volume, side)
        return out

    def minute_bars(self, date, deals):
        """One bar per trading minute of the class: minute 0 holds the opening, a
        minute without deals repeats the previous close with no volume."""
        by_minute = {}
        for minute, tick, volume, amount in deals:
            by_minute.setdefault(minute, []).append((tick, volume, amount))
        bars = []
        close = deals[0][1].price
        interest = deals[0][1].amount
        for minute in range(self.cls.total_minutes()):
            hhmm = hhmm_of(self.cls.minute_clock(minute))
            group = by_minute.get(minute)
            if group:
                prices = [t.price for t, _, _ in group]
                close = prices[-1]
                interest = group[-1][0].amount
                bars.append(Bar(date, hhmm, close, prices[0], max(prices), min(prices),
                                sum(v for _, v, _ in group),
                                sum(a for _, _, a in group) if self.turnover else interest,
                                *self.step_breadth()))
            else:
                bars.append(Bar(date, hhmm, close, close, close, close, 0,
                                0.0 if self.turnover else interest, *self.step_breadth()))
        return bars

    def merge(self, bars, hhmm=None):
        """One bar of several: open of the first, close and counts of the last,
        volume summed, amount summed or (open interest) the last."""
        first, last = bars[0], bars[-1]
        return Bar(last.date, last.hhmm if hhmm is None else hhmm, last.close, first.open,
                   max(b.high for b in bars), min(b.low for b in bars),
                   sum(b.volume for b in bars),
                   sum(b.amount for b in bars) if self.turnover else last.amount,
                   last.advances, last.declines)

    def five_minute_bars(self, minute_bars):
        """Bars of five trading minutes; the first also holds the opening minute."""
        if any((end - start) % 5 for start, end in self.cls.sessions):
            raise ValueError('class %r has a session that is not a whole number of 5 minutes'
                             % self.cls.name)
        groups = [minute_bars[:6]] + [minute_bars[i:i + 5]
                                      for i in range(6, len(minute_bars), 5)]
        return [self.merge(g) for g in groups]


def _events(code, days):
    """The ex-rights events of a stock, dated within its day history."""
    events = []
    for back, weekend, fields in WEIGHT_EVENTS.get(code, []):
        day = date_of(days[-back])
        if weekend:
            day += datetime.timedelta(days=5 - day.weekday())
        events.append((ymd_of(day), dict(fields)))
    return sorted(events, key=lambda e: e[0])


def _history(seed, market, stock, days, today, now):
    """Day, 5-minute and 1-minute bars, the ticks of the day before and of today up
    to `now`, the ex-rights events; replaces the stock's quote by today's so far."""
    walk = _PriceWalk(_rng(seed, market.index, 10, stock.index), market, stock)
    pending = _events(stock.code, days) if market.market_type == 1 else []
    weights, day_bars, min5, min1, earlier = [], [], [], [], []
    price = walk.anchor
    previous = 0
    for n, date in enumerate(days):
        base = price
        while pending and previous < pending[0][0] <= date:
            event_date, fields = pending.pop(0)
            percent = fields.pop('rights_price_percent', None)
            if percent is not None:
                fields['rights_price'] = price * percent // 100
            event = ExRights(event_date, **fields)
            weights.append(event)
            base = ex_rights_price(base, event)
        if n >= len(days) - MIN5_DAYS:
            deals = walk.deals(date, base, walk.cls.total_minutes() - 1)
            minute_bars = walk.minute_bars(date, deals)
            bar = walk.merge(minute_bars, 0)
            min5 += walk.five_minute_bars(minute_bars)
            if n >= len(days) - MIN1_DAYS:
                min1 += minute_bars
            if n == len(days) - 1:
                earlier = [t for _, t, _, _ in deals]
        else:
            bar = walk.day_bar(date, base)
        day_bars.append(bar)
        price = bar.close
        previous = date
    sessions = walk.cls.sessions
    clock = clock_of(now)
    started = clock >= sessions[0][0]
    deals = walk.deals(today, price, walk.cls.elapsed_minutes(clock) if started else -1)
    stock.quote = _quote_so_far(walk, price, deals, min(clock, sessions[-1][1]),
                                stock.quote.counts)
    return History(market.index, stock.index, stock.code, day_bars, min5, min1,
                   [t for _, t, _, _ in deals], earlier, weights)


def _quote_so_far(walk, prev_close, deals, clock, counts):
    """The quote of a stock after today's deals: the day's open, range and last
    deal, cumulative volume and amount; a stock without deals has only its
    previous close."""
    rng = walk.rng
    empty = [(0, 0.0)] * 5
    time = _clock_word(clock // 60, clock % 60, 0)
    if not deals:
        return Quote(prev_close, 0, 0, 0, 0, 0.0, 0.0, 0.0, 0.0, time, empty, list(empty), 0,
                     counts)
    prices = [t.price for _, t, _, _ in deals]
    last = deals[-1][1]
    if walk.kind == 'index':
        bids, asks = empty, list(empty)
    else:
        top, lot = (2000, 100) if walk.kind == 'stock' else (200, 1)
        bids = [(max(0, last.price - k * walk.tick), _float32(rng.randint(1, top) * lot))
                for k in range(5)]
        asks = [(last.price + (k + 1) * walk.tick, _float32(rng.randint(1, top) * lot))
                for k in range(5)]
    return Quote(prev_close, prices[0], max(prices), min(prices), last.price,
                 _float32(last.volume), _float32(last.amount), _float32(deals[-1][2]), 0.0,
                 time, bids, asks, 0, counts)


def _histories(seed, markets, days, today, now):
    out = []
    for market_index, code in HISTORY_STOCKS:
        market = markets[market_index]
        stock = next(s for s in market.stocks if s.code == code)
        out.append(_history(seed, market, stock, days, today, now))
    for market in markets:
        if market.market_type == 1:
            _count_advancers(market)
    return out


# ---------------------------------------------------------------------------
# News, alarms and reference lines

NEWS_FIRST_ID = 1201
# (type, trading days before today (0 today), hhmm, read, title, article paragraphs
# or None for an item whose article has not been fetched). Today's items are not
# later than the clock time.
NEWS = [
    (1, 3, 915, False, '沪深两市早盘小幅高开', None),
    (2, 3, 1642, True, '浦发银行：2006年第三季度报告摘要',
     ['本公司董事会保证本报告所载资料不存在任何虚假记载。',
      '报告期内实现净利润同比增长百分之二十一。']),
    (1, 2, 1505, False, '上证指数站上2100点 成交量明显放大',
     ['今日上证指数收于2100点上方，两市成交金额较上一交易日明显放大。',
      '银行、钢铁板块涨幅居前。']),
    (3, 2, 1930, False, '招商银行配股说明书（摘要）',
     ['本次配股每10股配售2股，配股价格为股权登记日收盘价的百分之八十。']),
    (2, 1, 830, True, 'QFII额度再获批准',
     ['国家外汇管理局近日再批准两家QFII机构的投资额度。']),
    (4, 1, 1110, False, '沪铜期货：LME铜价回落 沪铜小幅下跌',
     ['隔夜伦敦金属交易所铜价回落，沪铜主力合约早盘小幅低开。']),
    (1, 1, 1620, False, '央行公开市场操作回笼资金',
     ['中国人民银行今日在公开市场发行央行票据，净回笼资金。']),
    (3, 0, 730, False, '贵州茅台关于召开临时股东大会的通知',
     ['本公司定于下月召开临时股东大会，审议有关议案。']),
    (4, 0, 805, False, '上海期货交易所调整铜期货保证金比例',
     ['自下一交易日起，铜期货合约的最低交易保证金比例调整为百分之七。']),
    (2, 0, 920, False, 'B股市场周评：资金面偏紧',
     ['本周B股市场成交清淡，资金面偏紧，指数小幅震荡。']),
]


def _news(history_days, today, now):
    items = []
    for n, (news_type, back, hhmm, read, title, paragraphs) in enumerate(NEWS):
        date = today if back == 0 else history_days[-back]
        if back == 0:
            hhmm = min(hhmm, now)
        article = None
        if paragraphs is not None:
            article = [title, ''] + ['　　' + p for p in paragraphs] + ['', '（完）']
        items.append(NewsItem(news_type, read, date, hhmm, NEWS_FIRST_ID + n, title, article))
    return items


def _alarms(markets, history_days):
    """Three pending alarms with live limits that today's quotes have not reached,
    and one alarm that fired on the trading day before today."""
    def find(market, code):
        return next(s for s in markets[market].stocks if s.code == code)

    def price(stock, factor=1.0):
        return _float32(round((stock.quote.last or stock.quote.prev_close) * factor
                              / stock.divisor, 2))

    pufa, cmb, moutai, copper = find(0, '600000'), find(0, '600036'), find(0, '600519'), find(1, 'cu0701')
    pending = [
        Alarm(0, pufa.index, pufa.code, upper=price(pufa, 1.05), lower=price(pufa, 0.95)),
        Alarm(0, cmb.index, cmb.code, deal_volume=_float32(5000),
              volume=_float32(round(cmb.quote.volume / cmb.unit) * 2 + 10000)),
        Alarm(1, copper.index, copper.code, lower=price(copper, 0.97),
              amount=_float32(round(copper.quote.amount) + 500)),
    ]
    fired = date_of(history_days[-1])
    upper = price(moutai, 1.02)
    triggered = [
        Alarm(0, moutai.index, moutai.code, upper=upper, reason=1, price=_float32(upper + 0.01),
              trigger_time=(fired.year, fired.month, (fired.weekday() + 1) % 7, fired.day,
                            14, 5, 33, 0)),
    ]
    return pending, triggered


def _reflines():
    """RSI and KDJ levels on two Shanghai stocks, and one line on a copper contract."""
    return [
        RefLine(87, 0, '600000', (1, 1, 0, 0), (20.0, 80.0, 0.0, 0.0)),
        RefLine(84, 0, '600036', (1, 1, 1, 0), (20.0, 50.0, 80.0, 0.0)),
        RefLine(87, 1, 'cu0701', (1, 0, 0, 0), (50.0, 0.0, 0.0, 0.0)),
    ]


# ---------------------------------------------------------------------------
# Indicator definitions and parameters

MA6 = ['MA'] * 6


def _averages(count, defaults):
    return [('均线%d' % (k + 1), d) for k, d in zip(range(count), defaults)]


# The built-in indicators with the conventional parameters of the field; the
# title band prints a line's parameter before its name ("5MA").
INDICATORS = [
    Indicator(1, 'BAR', '美国线', MA6, _averages(6, [5, 10, 20, 60, 0, 0])),
    Indicator(2, 'CLOSE', '收盘价线', ['收盘价'] + MA6, _averages(6, [5, 10, 20, 60, 0, 0])),
    Indicator(3, 'KLINE', 'K线与均线', MA6, _averages(6, [5, 10, 20, 60, 0, 0]), True),
    Indicator(4, 'MA', '移动平均线', MA6, _averages(6, [5, 10, 20, 60, 0, 0]), True),
    Indicator(5, 'PBX', '瀑布线', ['PBX1', 'PBX2', 'PBX3', 'PBX4', 'PBX5', 'PBX6'], []),
    Indicator(6, 'TWR', '宝塔线', ['TOWER', 'MIDDLE', 'BOTTOM', '', '', 'MA'], [('均线', 5)]),
    Indicator(7, 'OX', '点数图', ['OX'], [('格值', 1)]),
    Indicator(8, 'OHLC', '开高低收线', MA6, _averages(6, [5, 10, 20, 60, 0, 0])),
    Indicator(9, 'K线', '纯K线图', [], []),
    Indicator(41, 'BBI', '多空指数', ['BBI'], _averages(4, [3, 6, 12, 24])),
    Indicator(42, 'DMA', '平均线差', ['DMA', 'AMA'], [('短期', 10), ('长期', 50), ('均线', 10)]),
    Indicator(43, 'DMI', '趋向指标', ['+DI', '-DI', 'ADX', 'ADXR'], [('周期', 14)]),
    Indicator(44, 'EXPMA', '指数平均线', ['EXPMA'] * 5, _averages(5, [5, 10, 20, 60, 0])),
    Indicator(45, 'MACD', '平滑异同移动平均线', ['DIF', 'DEA', 'MACD'],
              [('短期', 12), ('长期', 26), ('平滑', 9)], True),
    Indicator(46, 'MTM', '动量线', ['MTM', 'MA'], [('周期', 12), ('均线', 6)]),
    Indicator(47, 'SAR', '抛物线转向', ['SAR'], [('周期', 10)]),
    Indicator(48, 'TRIX', '三重指数平滑平均线', ['TRIX', 'MA'], [('周期', 12), ('均线', 9)]),
    Indicator(81, 'BIAS', '乖离率', ['BIAS', 'BIAS', 'BIAS', 'MA'],
              [('周期1', 6), ('周期2', 12), ('周期3', 24), ('均线', 6)]),
    Indicator(82, 'B3612', '三减六日乖离', ['B36', 'B612'], []),
    Indicator(83, 'CCI', '顺势指标', ['CCI'], [('周期', 14)]),
    Indicator(84, 'KDJ', '随机指标', ['K', 'D', 'J'],
              [('周期', 9), ('K平滑', 3), ('D平滑', 3)], True),
    Indicator(85, 'LWR', '威廉随机指标', ['LWR1', 'LWR2'],
              [('周期', 9), ('K平滑', 3), ('D平滑', 3)]),
    Indicator(86, 'ROC', '变动速率', ['ROC', 'MA', 'ABSMA'],
              [('周期', 12), ('均线', 6), ('绝对值线', 0)]),
    Indicator(87, 'RSI', '相对强弱指标', ['RSI'] * 3,
              [('周期1', 6), ('周期2', 12), ('周期3', 24)], True),
    Indicator(88, 'SLOWKD', '慢速随机指标', ['K', 'D'], [('周期', 9), ('均线', 3)]),
    Indicator(89, 'VRSI', '量相对强弱', ['VRSI'], [('周期', 6)]),
    Indicator(90, 'W%R', '威廉指标', ['WR', 'WR'], [('周期1', 10), ('周期2', 6)]),
    Indicator(91, 'KD', '随机指标KD', ['K', 'D'], [('周期', 9), ('K平滑', 3), ('D平滑', 3)]),
    Indicator(121, 'BBIBOLL', '多空布林线', ['BBI', 'UPR', 'DWN'], [('周期', 11), ('宽度', 6)]),
    Indicator(122, 'BOLL', '布林线', ['MID', 'UPPER', 'LOWER'],
              [('周期', 20), ('单倍标准差', 0)], True),
    Indicator(123, 'CDP', '逆势操作', ['CDP', 'AH', 'AL', 'NH', 'NL'], []),
    Indicator(124, 'DKX', '多空线', ['DKX', 'MADKX'], [('均线', 10)]),
    Indicator(125, 'MIKE', '麦克支撑压力', ['WR', 'WS', 'MR', 'MS', 'SR', 'SS'], [('周期', 12)]),
    Indicator(126, 'RAIL', '轨道线', ['UPPER', 'LOWER'], [('高价均线', 20), ('低价均线', 20)]),
    Indicator(161, 'BRAR', '人气意愿指标', ['BR', 'AR'], [('周期', 26)]),
    # CR draws four averages of fixed periods, which it writes into its own set.
    Indicator(162, 'CR', '带状能量线', ['CR', 'MA', 'MA', 'MA', 'MA'], [('周期', 26)],
              fixed={1: 10, 2: 20, 3: 40, 4: 62}),
    Indicator(163, 'PSY', '心理线', ['PSY', 'MA'], [('周期', 12), ('均线', 6)]),
    Indicator(164, 'VR', '成交量变异率', ['VR', 'MA'], [('周期', 26), ('均线', 6)]),
    Indicator(201, 'MI', '动力指标', ['MI', 'SMI'], [('周期', 12)]),
    Indicator(202, 'RCCD', '异同离差动力指数', ['DIF', 'RCCD'],
              [('周期', 59), ('短期', 21), ('长期', 28)]),
    Indicator(241, 'ASI', '振动升降指标', ['ASI', 'MA'], [('均线', 6)]),
    Indicator(242, 'EMV', '简易波动指标', ['EMV', 'MA'], [('周期', 14), ('均线', 9)]),
    Indicator(243, 'OBV', '能量潮', ['OBV', 'MA'], [('均线', 30)]),
    Indicator(244, 'WVAD', '威廉变异离散量', ['WVAD'], []),
    Indicator(281, 'ADL', '腾落指数', ['ADL', 'MA'], [('均线', 10)]),
    Indicator(282, 'ADR', '涨跌比率', ['ADR'], []),
    Indicator(283, 'OBOS', '超买超卖指标', ['OBOS', 'MA'], [('周期', 10), ('均线', 6)]),
    Indicator(321, 'AMO', '成交金额', ['AMO'] + MA6, _averages(6, [5, 10, 0, 0, 0, 0])),
    Indicator(322, 'VOL', '成交量', ['VOL'] + MA6, _averages(6, [5, 10, 0, 0, 0, 0]), True),
    Indicator(323, 'OI', '持仓量', ['OI'], []),
    Indicator(361, 'LON', '长线指标', ['LON', 'MA', 'LON'], [('均线', 10)]),
    Indicator(362, 'SPOS', '强弱位置', ['SPOS', 'MA'], [('周期', 10), ('均线', 6)]),
    Indicator(363, 'RAD', '相对大盘强度', ['RAD', 'MA'], [('均线', 10)]),
    Indicator(364, 'SHT', '短线指标', ['SHT', 'MA', 'SHT'], [('均线', 10)]),
    Indicator(365, 'SSL', '压力支撑表', ['SSL', '', ''], []),
]
# Widest parameter the dialog accepts, in characters.
PARAM_INPUT_LENGTH = 3

# Formula indicators for the demo, with ids above the built-in categories (which
# end at 400). Data fields are read through the series functions (REF(CLOSE,0) is
# the close); comparisons only decide an IF; every statement groups at most one
# operator per parenthesis so that it reads the same under any precedence rule.
# Where a series function lacks history it yields the no-value marker; the
# guards on REF(RECPTR,0), the record number, keep that marker out of the lines
# that later averages read (MADIFF shows 0 for its first SHORT records, where
# both averages lack history, and no value until LONG).
FORMULAS = [
    Formula(401, 'FMACD.FML', 'FMACD', '平滑异同移动平均线(公式)', 'FMCD',
            [('SHORT', '短期', 2, 200, 12), ('LONG', '长期', 2, 200, 26),
             ('MID', '平滑', 2, 200, 9)],
            [('DIF', 'LINE'), ('DEA', 'LINE'), ('MACD', 'TBAR')], [],
            ['DIF = IF(REF(RECPTR,0) < MAX(SHORT,LONG), 0, EMA(CLOSE,SHORT)-EMA(CLOSE,LONG))',
             'DEA = EMA(DIF,MID)',
             'MACD = 2*(DIF-DEA)']),
    Formula(402, 'MADIFF.FML', 'MADIFF', '均线差(公式)', 'MADF',
            [('SHORT', '短期', 1, 250, 5), ('LONG', '长期', 1, 250, 10)],
            [('DIFF', 'LINE')], [],
            ['DIFF = MA(CLOSE,SHORT)-MA(CLOSE,LONG)']),
    Formula(403, 'CHANNEL.FML', 'CHANNEL', '价格通道(公式)', 'PCHN',
            [('N', '周期', 2, 250, 20)],
            [('UPPER', 'LINE'), ('LOWER', 'LINE'), ('MID', 'LINE'), ('PRICE', 'LINE')], [],
            ['UPPER = NMAX(HIGH,N)',
             'LOWER = NMIN(LOW,N)',
             'MID = (UPPER+LOWER)/2',
             'PRICE = REF(CLOSE,0)']),
    Formula(404, 'VRATIO.FML', 'VRATIO', '量比(公式)', 'VRAT',
            [('N', '周期', 1, 100, 5), ('M', '均线', 1, 100, 10)],
            [('RATIO', 'LINE'), ('RATIOMA', 'LINE')], ['AVGVOL'],
            ['AVGVOL = IF(REF(RECPTR,0) < N, 0, MA(VOLUME,N))',
             'RATIO = IF(AVGVOL > 0, REF(VOLUME,0)/AVGVOL, 1)',
             'RATIOMA = MA(RATIO,M)']),
]


def _formulas():
    return list(FORMULAS)


def _formula_indicator(formula):
    """The kind-200 definition of a formula: its lines are the RESULT names, its
    parameter block holds the PARAM defaults."""
    return Indicator(formula.id, formula.name, formula.title, [n for n, _ in formula.results],
                     [(label, default) for _, label, _, _, default in formula.params],
                     formula=formula)


def _indicators(formulas):
    """The built-in definitions, then the formula indicators; an id used twice
    would hide the later definition."""
    indicators = list(INDICATORS) + [_formula_indicator(f) for f in formulas]
    ids = [i.id for i in indicators]
    if (len(set(ids)) != len(ids) or WRAP_ID in ids
            or not all(1 <= i < FIRST_INTRADAY_ID for i in ids)):
        raise ValueError('indicator ids are not unique ids of definitions: %s' % ids)
    return indicators


# ---------------------------------------------------------------------------
# Servers the programs connect to

BALANCE_PORT = 6669           # the request client always asks the balancing server here
DATA_SERVER = Endpoint('127.0.0.1', (BALANCE_PORT, 6666, 6668))
CHAT_SERVER = Endpoint('127.0.0.1', (6656,))
GATEWAY = Endpoint('127.0.0.1', (9001,))
SERVER_NAME = '模拟行情服务器'
GATEWAY_NAME = '模拟交易网关'
# What the demo installation remembers: the data server's account (server.ini) and
# the trader the order client's login dialog offers (consign.ini).
DEMO_DATA_ACCOUNT = ('demo', 'demo')
DEMO_TRADER = '8001'


def is_dotted_address(text):
    parts = text.split('.')
    return len(parts) == 4 and all(p.isdigit() and p.isascii() and int(p) <= 255 for p in parts)


def parse_endpoint(text, what, names):
    """HOST:PORT[:PORT...] with one port per name; refuses anything else."""
    fields = text.split(':')
    if len(fields) != 1 + len(names) or not fields[0]:
        raise ValueError('%s %r is not HOST:%s' % (what, text, ':'.join(names)))
    ports = []
    for name, port in zip(names, fields[1:]):
        if not (port.isdigit() and port.isascii()):
            raise ValueError('%s %r: %s port %r is not a number' % (what, text, name, port))
        ports.append(int(port))
    return Endpoint(fields[0], tuple(ports))


def check_servers(data_server, chat_server, gateway):
    """The programs read the data and chat servers as dotted addresses; the request
    client reaches the balancing server on its fixed port only, so the balancing
    port is that port, or 0 for logging in at the data port directly."""
    for what, endpoint in (('data server', data_server), ('chat server', chat_server)):
        if not is_dotted_address(endpoint.host):
            raise ValueError('%s address %r is not a dotted IPv4 address' % (what, endpoint.host))
    host = gateway.host
    if not host or not all(c.isascii() and (c.isalnum() or c in '.-') for c in host) \
            or len(host) > 127:
        raise ValueError('gateway address %r is no address or host name' % host)
    balance, data, realtime = data_server.ports
    if balance not in (0, BALANCE_PORT):
        raise ValueError('balancing port %d: the terminal always uses %d (0: no balancing server)'
                         % (balance, BALANCE_PORT))
    for what, port in (('data', data), ('real-time', realtime), ('chat', chat_server.ports[0]),
                       ('gateway', gateway.ports[0])):
        if not 1 <= port <= 65535:
            raise ValueError('%s port %d is not in 1..65535' % (what, port))


def check_today(today, now):
    """Refuses a date that is no weekday or a clock time that is no time."""
    try:
        day = date_of(today)
    except ValueError:
        raise ValueError('%s is not a date (YYYYMMDD)' % today) from None
    if not 19800101 <= today <= 99991231 or day.weekday() >= 5:
        raise ValueError('%s is not a trading day (a weekday)' % today)
    if not (0 <= now < 2400 and now % 100 < 60):
        raise ValueError('%s is not a clock time (HHMM)' % now)


def build_model(seed=1, large=False, today=TRADING_DATE, now=CLOCK_TIME,
                data_server=DATA_SERVER, chat_server=CHAT_SERVER, gateway=GATEWAY,
                demo=False):
    """Every value of the installation, decided from the seed, the trading date,
    the markets' clock time and the servers' addresses."""
    check_today(today, now)
    check_servers(data_server, chat_server, gateway)
    if large:
        pairs = sorted({a + b for a in 'abcdefghijklmnopqrstuvwxyz'
                        for b in 'abcdefghijklmnopqrstuvwxyz'} - {p[0] for p in SHFE_PRODUCTS})
        _rng(seed, 99).shuffle(pairs)
        markets = []
        for i in range(LARGE_MARKETS):
            if i % 2 == 0:
                name = '上海证券交易所' if i == 0 else '证券市场%02d' % i
                markets.append(_securities_market(i, seed, name, 'sh' if i == 0 else 'mk%02d' % i,
                                                  LARGE_STOCKS, 16))
            else:
                name = '上海期货交易所' if i == 1 else '期货市场%02d' % i
                markets.append(_futures_market(i, seed, name, 'shfe' if i == 1 else 'mk%02d' % i,
                                               LARGE_STOCKS, pairs))
    else:
        markets = [
            _securities_market(0, seed, '上海证券交易所', 'sh', len(SH_INDEXES) + len(SH_STOCKS),
                               len(SH_INDEXES)),
            _futures_market(1, seed, '上海期货交易所', 'shfe',
                            len(SHFE_PRODUCTS) * len(DEFAULT_MONTHS), []),
        ]
    if demo:
        if len(markets) >= MAX_MARKETS:
            raise ValueError('--demo adds a market: not with --large')
        markets.append(_demo_market(len(markets), seed))
    groups, user = _blocks()
    days = trading_days_before(today, HISTORY_DAYS)
    model = Installation(seed, large, today, markets, groups, user, list(BROKERS),
                         _time_zones(markets), _themes(), _settings(chat_server, markets, demo), now, days)
    if not large:
        model.histories = _histories(seed, markets, days, today, now)
    model.news = _news(days, today, now)
    model.pending_alarms, model.triggered_alarms = _alarms(markets, days)
    model.reflines = _reflines()
    model.formulas = _formulas()
    model.indicators = _indicators(model.formulas)
    model.data_server, model.chat_server, model.gateway = data_server, chat_server, gateway
    model.demo = demo
    return model


# ---------------------------------------------------------------------------
# File writers


def gbk_field(text, size, terminated=True):
    """GBK bytes of `text` for a fixed field; refuses text that does not fit."""
    data = text.encode('gbk')
    if len(data) > size - (1 if terminated else 0):
        raise ValueError('%r does not fit a %d-byte field' % (text, size))
    return data


def write_binary(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data)
    return path


def write_text(path, lines):
    """A GBK text file with CRLF line ends."""
    return write_binary(path, ''.join(line + '\r\n' for line in lines).encode('gbk'))


def ini_lines(sections):
    lines = []
    for name, entries in sections:
        if lines:
            lines.append('')
        lines.append('[%s]' % name)
        lines.extend('%s=%s' % (key, value) for key, value in entries)
    return lines


def write_settings(cfg_dir, model):
    """CFG/SETTING.INI: paths, parameters, display keys, web links and the themes."""
    sections = list(model.settings)
    for n, theme in enumerate(model.themes):
        sections.append(('Color%d' % n, [('Name', theme['name'])] +
                         [('Color%02d' % (i + 1), str(c)) for i, c in enumerate(theme['colours'])]))
        for _, _, face in theme['fonts']:
            gbk_field(face, 15)
        sections.append(('Font%d' % n, [('Font%02d' % (i + 1), '%d,%02d,%s' % f)
                                        for i, f in enumerate(theme['fonts'])]))
    return [write_text(os.path.join(cfg_dir, 'SETTING.INI'), ini_lines(sections))]


def pack_market_record(market):
    if len(market.classes) > MAX_CLASSES:
        raise ValueError('market %d has more than %d classes' % (market.index, MAX_CLASSES))
    out = bytearray(MARKET_HEAD.pack(
        0, market.market_type, gbk_field(market.name, 15), gbk_field(market.directory, 9),
        gbk_field(market.extension, 11), market.hour_offset, market.day_start,
        market.capacity, len(market.classes)))
    for c in range(MAX_CLASSES):
        if c < len(market.classes):
            cls = market.classes[c]
            if len(cls.sessions) > MAX_SESSIONS:
                raise ValueError('class %r has more than %d sessions' % (cls.name, MAX_SESSIONS))
            starts = [s for s, _ in cls.sessions] + [0] * (MAX_SESSIONS - len(cls.sessions))
            ends = [e for _, e in cls.sessions] + [0] * (MAX_SESSIONS - len(cls.sessions))
            out += CLASS_RECORD.pack(1 if cls.index_class else 0,
                                     gbk_field(cls.name, 8, terminated=False),
                                     len(cls.sessions), *starts, *ends, 0, 0)
        else:
            out += bytes(CLASS_RECORD.size)
    out += bytes(MARKET_TAIL)
    assert len(out) == MARKET_RECORD_SIZE
    return bytes(out)


def write_market_description(cfg_dir, model):
    """CFG/mkinfo.cfg: one 1504-byte record per market."""
    if len(model.markets) > MAX_MARKETS:
        raise ValueError('more than %d markets' % MAX_MARKETS)
    return [write_binary(os.path.join(cfg_dir, 'mkinfo.cfg'),
                         b''.join(pack_market_record(m) for m in model.markets))]


def pack_stock_static(market, stock):
    code = gbk_field(stock.code, 7, terminated=False)
    if market.code_padding == 'space':
        code = code.ljust(7, b' ')
    return STOCK_STATIC.pack(market.index, stock.class_index, code, gbk_field(stock.name, 9),
                             stock.divisor, stock.unit, stock.decimals, stock.index)


def write_name_table(data_dir, market):
    """data/<dir>/nametbl.<ext>: one StockStaticRecord per stock."""
    if len(market.stocks) > market.capacity:
        raise ValueError('market %d holds more stocks than its capacity' % market.index)
    return [write_binary(os.path.join(data_dir, market.directory, 'nametbl.' + market.extension),
                         b''.join(pack_stock_static(market, s) for s in market.stocks))]


def pack_real_quote(quote):
    words = [quote.prev_close, quote.open, quote.high, quote.low, quote.last,
             quote.volume, quote.amount, quote.last_volume, quote.fast_change, quote.time]
    for price, volume in quote.bids + quote.asks:
        words += [price, volume]
    words.append(quote.settlement)
    out = bytearray(REAL_QUOTE.pack(*words))
    if quote.counts is not None:
        INDEX_COUNTS.pack_into(out, INDEX_COUNTS_OFFSET, *quote.counts)
    return bytes(out)


def write_quote_snapshot(data_dir, market):
    """data/<dir>/real.<ext>: one RealQuoteRecord per stock, in name-table order."""
    return [write_binary(os.path.join(data_dir, market.directory, 'real.' + market.extension),
                         b''.join(pack_real_quote(s.quote) for s in market.stocks))]


def write_trading_dates(data_dir, model):
    """data/realdata.ini: the trading date of each market's quote snapshot."""
    return [write_text(os.path.join(data_dir, 'realdata.ini'), ini_lines(
        [('DATA', [('DYNDATE%02d' % m.index, str(model.trading_date)) for m in model.markets])]))]


def write_time_zones(cfg_dir, model):
    """CFG/systime.dat: the time-zone table with its presets."""
    tz = model.time_zones
    if len(tz['presets']) > MAX_PRESETS:
        raise ValueError('more than %d time-zone presets' % MAX_PRESETS)
    out = TIME_ZONE_HEAD.pack(len(tz['presets']), tz['current'], *tz['base'])
    for name, hours in tz['stored']:
        out += TIME_ZONE_ENTRY.pack(hours, gbk_field(name, 32))
    for i in range(MAX_PRESETS):
        name, hours = tz['presets'][i] if i < len(tz['presets']) else ('', 0)
        out += TIME_ZONE_ENTRY.pack(hours, gbk_field(name, 32))
    assert len(out) == SYSTIME_SIZE
    return [write_binary(os.path.join(cfg_dir, 'systime.dat'), out)]


def block_lines(model, block):
    """Member lines "<market digit><class digit><code>" of a block file section."""
    lines = []
    for market_index, code in block.members:
        market = model.markets[market_index]
        stock = next(s for s in market.stocks if s.code == code)
        if market_index > 9 or stock.class_index > 9:
            raise ValueError('block member %s of market %d has no one-digit line form'
                             % (code, market_index))
        lines.append('%d%d%s' % (market_index, stock.class_index, code))
    return lines


def block_file_lines(model, blocks):
    """Sections of member lines with no blank lines: every line of a section is
    read as a member."""
    lines = []
    for block in blocks:
        gbk_field(block.name, 17)
        lines.append('[%s]' % block.name)
        lines.extend(block_lines(model, block))
    return lines


def write_system_blocks(cfg_dir, model):
    """CFG/blkinfo.ini (the [Groups] list, name=file) and the groups' block files."""
    written = []
    for group in model.system_groups:
        gbk_field(group.name, 17)
        written.append(write_text(os.path.join(cfg_dir, group.file),
                                  block_file_lines(model, group.blocks)))
    written.append(write_text(os.path.join(cfg_dir, 'blkinfo.ini'), ini_lines(
        [('Groups', [(g.name, g.file) for g in model.system_groups])])))
    return written


def write_user_blocks(cfg_dir, model):
    """CFG/blocks.ini: the user's own blocks."""
    return [write_text(os.path.join(cfg_dir, 'blocks.ini'),
                       block_file_lines(model, model.user_blocks))]


def pack_dbf(fields, records, date):
    """A dBASE III table. fields: [(name, type 'C' or 'N', length)]; records: rows
    of values; text is left-aligned, numbers right-aligned, both space-padded."""
    record_length = 1 + sum(length for _, _, length in fields)
    header_length = DBF_HEADER.size + DBF_FIELD.size * len(fields) + 1
    year, month, day = date // 10000, date // 100 % 100, date % 100
    out = bytearray(DBF_HEADER.pack(3, year - 1900, month, day, len(records),
                                    header_length, record_length, 0x7A))
    for name, kind, length in fields:
        out += DBF_FIELD.pack(name.encode('ascii'), kind.encode('ascii'), length, 0)
    out += b'\x0d'
    for row in records:
        out += b' '
        for (name, kind, length), value in zip(fields, row):
            text = str(value).encode('gbk')
            if len(text) > length:
                raise ValueError('%r does not fit field %s' % (value, name))
            out += text.rjust(length, b' ') if kind == 'N' else text.ljust(length, b' ')
    out += b'\x1a'
    return bytes(out)


BROKER_FIELDS = [('IDS', 'N', 6), ('BROKERNAME', 'C', 30)]


def write_broker_list(cfg_dir, model):
    """CFG/Brokerlist.dbf: first broker number of each range (ascending) and name."""
    return [write_binary(os.path.join(cfg_dir, 'Brokerlist.dbf'),
                         pack_dbf(BROKER_FIELDS, model.brokers, model.trading_date))]


def pack_bar(bar):
    return KLINE.pack(packed_datetime(bar.date, bar.hhmm), bar.close, bar.open, bar.high,
                      bar.low, bar.volume, bar.amount, bar.advances, bar.declines)


def history_path(data_dir, model, history, folder, extension):
    """data/<dir>/<folder>/<code>.<extension>"""
    directory = model.markets[history.market].directory
    return os.path.join(data_dir, directory, folder, history.code + '.' + extension)


def write_day_history(data_dir, model):
    """data/<dir>/day/<code>.day: one bar per trading day, dated without a time."""
    return [write_binary(history_path(data_dir, model, h, 'day', 'day'),
                         b''.join(pack_bar(b) for b in h.days)) for h in model.histories]


def write_min5_history(data_dir, model):
    """data/<dir>/min/<code>.min: 5-minute bars, each dated at its end."""
    return [write_binary(history_path(data_dir, model, h, 'min', 'min'),
                         b''.join(pack_bar(b) for b in h.min5)) for h in model.histories]


def write_min1_history(data_dir, model):
    """data/<dir>/min1/<code>.m1: one bar per trading minute of the class, the
    opening minute first, each dated at its end."""
    return [write_binary(history_path(data_dir, model, h, 'min1', 'm1'),
                         b''.join(pack_bar(b) for b in h.min1)) for h in model.histories]


def pack_tick(tick):
    return TICK.pack(packed_datetime(tick.date, tick.hhmm), tick.price, tick.volume,
                     tick.amount, tick.side)


def write_ticks(data_dir, model):
    """data/<dir>/tick/<code>.tik: today's deals so far; <code>.tck: the deals of
    the trading day before, then today's."""
    written = []
    for h in model.histories:
        written.append(write_binary(history_path(data_dir, model, h, 'tick', 'tik'),
                                    b''.join(pack_tick(t) for t in h.ticks)))
        written.append(write_binary(history_path(data_dir, model, h, 'tick', 'tck'),
                                    b''.join(pack_tick(t) for t in h.earlier_ticks + h.ticks)))
    return written


def pack_ex_rights(event):
    return EX_RIGHTS.pack(packed_datetime(event.date), event.bonus, event.rights,
                          event.rights_price, event.dividend, event.conversion)


def write_weights(data_dir, model):
    """data/<dir>/weight/<code>.wgt: the stock's ex-rights events, oldest first."""
    return [write_binary(history_path(data_dir, model, h, 'weight', 'wgt'),
                         b''.join(pack_ex_rights(e) for e in h.weights))
            for h in model.histories if h.weights]


def news_file_name(item):
    return '%08d.txt' % item.id


def pack_news(item):
    if item.news_type < 1 or item.news_type >= 1 << 31:
        raise ValueError('news type %d out of range' % item.news_type)
    when = (item.date % 1000000) | (item.hhmm << 20)
    return NEWS_RECORD.pack(item.news_type << 1 | (1 if item.read else 0), when, item.id,
                            gbk_field(item.title, 80), news_file_name(item).encode('ascii'))


def write_news(data_dir, model):
    """data/info/news.ntl (oldest first) and data/info/<id>.txt, the articles."""
    if len(model.news) > MAX_NEWS:
        raise ValueError('more than %d news records' % MAX_NEWS)
    info = os.path.join(data_dir, 'info')
    written = [write_binary(os.path.join(info, 'news.ntl'),
                            b''.join(pack_news(item) for item in model.news))]
    for item in model.news:
        if item.article is not None:
            written.append(write_text(os.path.join(info, news_file_name(item)), item.article))
    return written


def limit_value(limit):
    return LIMIT_OFF if limit is None else limit


def pack_alarm(alarm):
    return ALARM_RECORD.pack(*(alarm.trigger_time or (0,) * 8), alarm.reason,
                             alarm.market, alarm.stock, alarm.price,
                             *(limit_value(x) for x in (alarm.upper, alarm.lower,
                                                        alarm.deal_volume, alarm.volume,
                                                        alarm.amount)))


# The news types of the demo's news (type id: name), all shown, and the one
# branch of type 1: its title, then the keywords that pick its titles.
NEWS_TYPES = [(1, '财经要闻'), (2, '证券市场'), (3, '上市公司'), (4, '期货资讯')]
NEWS_BRANCHES = [(1, 1, ['大盘', '上证指数', '两市'])]


def write_news_types(cfg_dir, model):
    """CFG/NEWSTYPE.INI: the filter of the types shown, their names and branches."""
    mask = [0, 0, 0, 0]
    for type_id, _ in NEWS_TYPES:
        mask[(type_id - 1) // 32] |= 1 << ((type_id - 1) % 32)
    signed = [m - (1 << 32) if m >= 1 << 31 else m for m in mask]
    entries = [('Filter', ','.join(str(m) for m in signed))]
    entries += [('ID%d' % type_id, name) for type_id, name in NEWS_TYPES]
    entries += [('ID%d_BRANCH%d' % (type_id, k), ','.join(words)) for type_id, k, words in NEWS_BRANCHES]
    return [write_text(os.path.join(cfg_dir, 'NEWSTYPE.INI'), ini_lines([('NEWSTYPE', entries)]))]


def write_alarms(cfg_dir, model):
    """CFG/ALARM.SET: magic, flags, then the pending and the triggered alarms."""
    alarms = model.pending_alarms + model.triggered_alarms
    if len(alarms) > MAX_ALARMS:
        raise ValueError('more than %d alarms' % MAX_ALARMS)
    return [write_binary(os.path.join(cfg_dir, 'ALARM.SET'),
                         ALARM_HEAD.pack(ALARM_MAGIC, model.alarm_flags)
                         + b''.join(pack_alarm(a) for a in alarms))]


def pack_refline(line):
    return REFLINE.pack(line.indicator, line.market, gbk_field(line.code, 12),
                        *line.shown, *line.levels)


def write_reflines(cfg_dir, model):
    """CFG/refline.dat: one record per indicator and stock, in saving order."""
    return [write_binary(os.path.join(cfg_dir, 'refline.dat'),
                         b''.join(pack_refline(r) for r in model.reflines))]


def pack_indicator(indicator):
    if len(indicator.lines) > 8 or len(indicator.params) > PARAMS_PER_SET:
        raise ValueError('indicator %d has more than 8 lines or parameters' % indicator.id)
    if not (0 <= indicator.kind <= 9 or indicator.formula):
        raise ValueError('indicator %d has no category' % indicator.id)
    names = [gbk_field(n, 8) for n in indicator.lines] + [b''] * (8 - len(indicator.lines))
    formula_file = gbk_field(indicator.formula.file, 32) if indicator.formula else b''
    return INDEX_RECORD.pack(indicator.id, INDICATOR_FREQUENT if indicator.frequent else 0, 0,
                             indicator.kind, len(indicator.lines), gbk_field(indicator.name, 12),
                             gbk_field(indicator.description, 47), gbk_field(indicator.hotkey, 5),
                             *names, formula_file)


def pack_parameter_block(indicator):
    values = indicator.parameter_set()
    sets = [values if s in USED_PERIODS else [0] * PARAMS_PER_SET for s in range(PERIOD_SETS)]
    return PARAM_BLOCK.pack(*(v for one in sets for v in one))


def parameter_label_sections(model):
    """[Index#<id>] of every indicator with parameters: the count and, per
    parameter, "<label> ,<input length>,<default>" (the label ends at the blank)."""
    sections = []
    for indicator in model.indicators:
        if not indicator.params:
            continue
        entries = [('ParaNum', str(len(indicator.params)))]
        for i, (label, default) in enumerate(indicator.params):
            if not label or any(c.isspace() for c in label):
                raise ValueError('parameter label %r of indicator %d is empty or has a blank'
                                 % (label, indicator.id))
            entries.append(('Para%d' % (i + 1), '%s ,%d,%d' % (label, PARAM_INPUT_LENGTH, default)))
        sections.append(('Index#%d' % indicator.id, entries))
    return sections


def write_indicator_tables(cfg_dir, model):
    """CFG/INDEX.DAT (definitions), CFG/IDXPARA.TBL (a parameter block per definition,
    in the same order) and CFG/IdxPara.ini (the parameter dialog's labels and
    defaults)."""
    if len(model.indicators) > MAX_INDICATORS:
        raise ValueError('more than %d indicator definitions' % MAX_INDICATORS)
    return [
        write_binary(os.path.join(cfg_dir, 'INDEX.DAT'),
                     b''.join(pack_indicator(i) for i in model.indicators)),
        write_binary(os.path.join(cfg_dir, 'IDXPARA.TBL'),
                     b''.join(pack_parameter_block(i) for i in model.indicators)),
        write_text(os.path.join(cfg_dir, 'IdxPara.ini'),
                   ini_lines(parameter_label_sections(model))),
    ]


def _formula_word(word, length, what):
    if not (word.isascii() and word[:1].isalpha() and word.isalnum() and word.isupper()
            and len(word) <= length):
        raise ValueError('%s %r is no upper-case word of at most %d letters and digits'
                         % (what, word, length))
    return word


def formula_lines(formula):
    """The text of a formula file: the INDEXDEF header, the PARAM, RESULT and VAR
    declarations and the BEGIN statements, each section closed by END; refuses
    declarations beyond the language's limits."""
    what = 'formula %s' % formula.file
    if (len(formula.params) > MAX_FORMULA_PARAMS or len(formula.results) > MAX_FORMULA_RESULTS
            or len(formula.variables) > MAX_FORMULA_VARIABLES):
        raise ValueError('%s declares more than %d parameters, %d results or %d variables'
                         % (what, MAX_FORMULA_PARAMS, MAX_FORMULA_RESULTS, MAX_FORMULA_VARIABLES))
    header = [('NAME', formula.name), ('TITLE', formula.title), ('KEY', formula.key)]
    for key, value in header:
        if not value or len(value.encode('gbk')) > FORMULA_HEADER_LENGTHS[key]:
            raise ValueError('%s: %s %r is empty or too long' % (what, key, value))
    lines = ['INDEXDEF'] + ['%s:%s' % entry for entry in header] + ['END']
    if formula.params:
        lines.append('PARAM')
        for name, _, minimum, maximum, default in formula.params:
            if not minimum <= default <= maximum:
                raise ValueError('%s: parameter %s defaults outside its range' % (what, name))
            lines.append('%s %d %d %d' % (_formula_word(name, FORMULA_NAME_LENGTH, what),
                                          minimum, maximum, default))
        lines.append('END')
    lines.append('RESULT')
    for name, style in formula.results:
        if style not in FORMULA_STYLES:
            raise ValueError('%s: result %s has no style' % (what, name))
        lines.append('%s %s' % (_formula_word(name, FORMULA_NAME_LENGTH, what), style))
    lines.append('END')
    if formula.variables:
        lines += (['VAR'] + [_formula_word(v, FORMULA_VARIABLE_LENGTH, what)
                             for v in formula.variables] + ['END'])
    return lines + ['BEGIN'] + formula.statements + ['END']


def write_formulas(cfg_dir, model):
    """CFG/<file> of every formula indicator, the file its definition names."""
    return [write_text(os.path.join(cfg_dir, f.file), formula_lines(f)) for f in model.formulas]


PROGRAM_VERSION = 1000


# CFG/Default.ppg: the default page, a version 3 page file. Header "lmpage03", the
# page name (64 bytes, GBK, NUL-padded) and the body length (file size - 76), then
# the body: depth-first node records of 20 bytes (first-child link, second-child
# link, leaf flag, kind 1 left / 2 right / 3 top / 4 bottom, float ratio), links
# counting from the start of the body; a leaf record is followed by the pane's
# 160-byte view attributes and its 200-byte view state.
PAGE_NODE = struct.Struct('<IIIif')
VIEW_ATTR = struct.Struct('<HIHiii16iii16iI')
VIEW_STATE = struct.Struct('<i16iii16iiii4ii6iBB2x')
assert PAGE_NODE.size == 20 and VIEW_ATTR.size == 160 and VIEW_STATE.size == 200
REPORT_COLUMNS = [0, 1, 6, 24, 25, 26, 28, 29, 7, 10, 8, 30, 3, 4, 5, 11]
TREND_ITEMS = [0, 1, 2, 3]
KLINE_ITEMS = [3, 322, 45, 321, 87, 42]


def quote_list_blocks(markets):
    """The blocks a quote list starts with: the markets' own blocks, which the
    terminal makes first, one per market in market order (block id = market index),
    at most 16 tabs."""
    return list(range(min(len(markets), 16)))


def view_attr(view_type, blocks, stock=0):
    """The defaults of a view type, as a new pane of that type starts; a quote
    list's tabs are `blocks`."""
    items, param, mode, flags = [], 0, 0, 0
    if view_type != 0x2001:
        blocks = []
    if view_type == 0x2001:
        items, flags = REPORT_COLUMNS, 0xFFFF << 12
    elif view_type == 0x1001:
        items, mode = TREND_ITEMS, 1
    elif view_type == 0x1002:
        items, mode, param = KLINE_ITEMS, 2, 8
    count = {0x1001: 2, 0x1002: 3}.get(view_type, len(items))
    return VIEW_ATTR.pack(view_type, stock, 0, 0, param, count, *(items + [0] * (16 - len(items))),
                          mode, len(blocks), *(blocks + [0] * (16 - len(blocks))), flags)


def view_state(link, blocks):
    """A fresh cell's view state: the quote list's blocks and columns, the charts'
    items, the link flag and the charts' info window shown."""
    padded = blocks + [0] * (16 - len(blocks))
    return VIEW_STATE.pack(len(blocks), *padded, 0, 16, *REPORT_COLUMNS, 0, 0,
                           2, *TREND_ITEMS, 3, *KLINE_ITEMS, link, 1)


def page_body(node, blocks):
    """Node records depth first; `node` is (kind, ratio, view type, link) for a leaf
    and (kind, ratio, first, second) for a split."""
    out = bytearray()

    def put(n):
        at = len(out)
        out.extend(bytes(PAGE_NODE.size))
        kind, ratio, a, b = n
        if isinstance(a, tuple):
            first = put(a)
            second = put(b)
            out[at:at + PAGE_NODE.size] = PAGE_NODE.pack(first, second, 0, kind, ratio)
        else:
            out[at:at + PAGE_NODE.size] = PAGE_NODE.pack(0, 0, 1, kind, ratio)
            out.extend(view_attr(a, blocks))
            out.extend(view_state(b, blocks))
        return at
    put(node)
    return bytes(out)


def write_default_page(cfg_dir, model):
    """The quote list on the left, the intraday chart above the K-line chart on the
    right; both charts follow the stock chosen in the list."""
    layout = (1, 1.0, (1, 0.5, 0x2001, 0), (2, 0.5, (3, 0.5, 0x1001, 1), (4, 0.5, 0x1002, 1)))
    body = page_body(layout, quote_list_blocks(model.markets))
    name = gbk_field('默认页面', 64).ljust(64, b'\0')
    return [write_binary(os.path.join(cfg_dir, 'Default.ppg'),
                         b'lmpage03' + name + struct.pack('<I', len(body)) + body)]


# Two pages the user saved, CFG/lmpage0.ppg and lmpage1.ppg, as the page table
# lists them (the menus "导入页面" show their names).
SAVED_PAGES = [
    ('分时K线', (1, 1.0, (1, 0.5, 0x1001, 1), (2, 0.5, 0x1002, 1))),
    ('报价新闻', (1, 1.0, (3, 0.6, 0x2001, 0), (4, 0.4, 0x2003, 0))),
]


def write_saved_pages(cfg_dir, model):
    written = []
    for n, (title, layout) in enumerate(SAVED_PAGES):
        body = page_body(layout, quote_list_blocks(model.markets))
        name = gbk_field(title, 64).ljust(64, b'\0')
        written.append(write_binary(os.path.join(cfg_dir, 'lmpage%d.ppg' % n),
                                    b'lmpage03' + name + struct.pack('<I', len(body)) + body))
    return written


def write_trading_programs(cfg_dir, model):
    """CFG/TRADING.INI: the order programs of the menu "网上交易"; program 0 is the
    order client, named as the terminal starts it."""
    return [write_text(os.path.join(cfg_dir, 'TRADING.INI'),
                       ini_lines([('CONSIGN', [('Name0', '期货交易'), ('Exe0', 'consign.exe')])]))]


def write_version(bin_dir):
    """bin/version.txt: the terminal's build number, which the version check
    compares with the server's (--program-version of the simulated server)."""
    return [write_text(os.path.join(bin_dir, 'version.txt'), [str(PROGRAM_VERSION)])]


def write_server_list(bin_dir, model):
    """bin/server.ini: the data server as the only entry of the login dialog's list,
    chosen; its address and ports for the request and real-time clients; no proxy.
    A balancing port of 0 makes the terminal log in at the data port directly."""
    server = model.data_server
    balance, data, realtime = server.ports
    user, password = DEMO_DATA_ACCOUNT if model.demo else ('', '')
    return [write_text(os.path.join(bin_dir, 'server.ini'), ini_lines([
        ('RIGHT', [('svraddr0', server.host), ('company0', SERVER_NAME), ('tel0', ''),
                   ('webside0', ''), ('user0', user), ('password0', password),
                   ('save0', '1' if model.demo else '0'), ('lastindex', '0')]),
        ('Server', [('Address', server.host), ('Port', str(data)), ('R_Port', str(realtime)),
                    ('NoJH', '0' if balance else '1')]),
        ('ProxyServer', [('UseProxy', '0')]),
    ]))]


def write_order_client_settings(bin_dir, model):
    """bin/consign.ini, the order client's settings beside it: one site with the
    gateway in its first server slot. [Login] ProxyInuse is present, so the client
    does not take the file for an older layout and rewrite the site."""
    gateway = model.gateway
    group = [('ServerName', GATEWAY_NAME), ('FirstServer', '1')]
    for k in (1, 2, 3):
        used = k == 1
        group += [('UseServer%d' % k, '1' if used else '0'),
                  ('Server%dIP' % k, gateway.host if used else ''),
                  ('Server%dPort' % k, str(gateway.ports[0]) if used else '0')]
    group += [('UseValidate', '0'), ('ValidateUsePassword', '0'), ('ValidateDefaultIP', '0'),
              ('ValidateIP', ''), ('ValidatePort', '0'), ('ValidateDll', '')]
    return [write_text(os.path.join(bin_dir, 'consign.ini'), ini_lines([
        ('Login', [('ServerCount', '1'), ('ServerSelect', '1'),
                   ('SaveName', '1' if model.demo else '0'),
                   ('LoginName', DEMO_TRADER if model.demo else ''), ('ProxyInuse', '0'),
                   ('ProxyIP', ''), ('ProxyPort', '1080'),
                   ('ProxyUserName', ''), ('ProxyPassword', '')]),
        ('ServerGroup1', group),
    ]))]


# ---------------------------------------------------------------------------
# Registry store


def registry_file():
    """The registry store: $LUMO_REGISTRY, else $XDG_CONFIG_HOME/lumo/registry.ini."""
    named = os.environ.get('LUMO_REGISTRY')
    if named:
        return named
    config = os.environ.get('XDG_CONFIG_HOME') or os.path.join(os.path.expanduser('~'), '.config')
    return os.path.join(config, 'lumo', 'registry.ini')


def escape_registry_text(text):
    return text.replace('\\', '\\\\').replace('\r', '\\r').replace('\n', '\\n')


def set_registry_value(path, section, key, value):
    """Sets one value line of the store, keeping every other line and section;
    sections and keys match without regard to ASCII case. Written as GBK with
    CRLF line ends, through a temporary file so that readers never see half."""
    lines = []
    if os.path.exists(path):
        with open(path, 'rb') as f:
            lines = f.read().split(b'\n')
        if lines and lines[-1] == b'':
            lines.pop()
        lines = [line[:-1] if line.endswith(b'\r') else line for line in lines]
    header = ('[%s]' % section).encode('gbk')
    entry = ('%s=%s' % (key, value)).encode('gbk')
    start = next((i for i, line in enumerate(lines) if line.strip().lower() == header.lower()), None)
    if start is None:
        if lines and lines[-1].strip():
            lines.append(b'')
        lines += [header, entry]
    else:
        end = next((i for i in range(start + 1, len(lines)) if lines[i].strip().startswith(b'[')),
                   len(lines))
        found = next((i for i in range(start + 1, end)
                      if b'=' in lines[i]
                      and lines[i].split(b'=', 1)[0].strip().lower() == key.encode('gbk').lower()),
                     None)
        if found is not None:
            lines[found] = entry
        else:
            last = end
            while last > start + 1 and not lines[last - 1].strip():
                last -= 1
            lines.insert(last, entry)
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    temporary = path + '.tmp%d' % os.getpid()
    with open(temporary, 'wb') as f:
        f.write(b''.join(line + b'\r\n' for line in lines))
    os.replace(temporary, path)


def write_registry_entry(root):
    """Value Path of Software\\Lumo\\Ver2.0: the installation root with a trailing '/'."""
    path = registry_file()
    set_registry_value(path, REGISTRY_SECTION, 'Path',
                       'sz:' + escape_registry_text(installation_path(root)))
    return path


def installation_path(root):
    return os.path.join(os.path.abspath(root), '')


# ---------------------------------------------------------------------------
# Description for cross-checks


def describe_quote(quote):
    out = {'prev_close': quote.prev_close, 'open': quote.open, 'high': quote.high,
           'low': quote.low, 'last': quote.last, 'volume': quote.volume,
           'amount': quote.amount, 'last_volume': quote.last_volume,
           'fast_change': quote.fast_change, 'time': quote.time,
           'bids': [list(b) for b in quote.bids], 'asks': [list(a) for a in quote.asks],
           'settlement': quote.settlement}
    if quote.counts is not None:
        out['counts'] = dict(zip(('total', 'advancers', 'decliners'), quote.counts))
        out['bids'][0] = None
    return out


BAR_FIELDS = ['packed', 'yyyymmdd', 'hhmm', 'close', 'open', 'high', 'low', 'volume', 'amount',
              'advances', 'declines']
TICK_FIELDS = ['packed', 'yyyymmdd', 'hhmm', 'price', 'volume', 'amount', 'side']
WEIGHT_FIELDS = ['packed', 'yyyymmdd', 'bonus', 'rights', 'rights_price', 'dividend', 'conversion']


def describe_bars(bars):
    return [[packed_datetime(b.date, b.hhmm), b.date, b.hhmm, b.close, b.open, b.high, b.low,
             _float32(b.volume), _float32(b.amount), b.advances, b.declines] for b in bars]


def describe_ticks(ticks):
    return [[packed_datetime(t.date, t.hhmm), t.date, t.hhmm, t.price, _float32(t.volume),
             _float32(t.amount), t.side] for t in ticks]


def describe_history(model, h):
    directory = model.markets[h.market].directory
    cls = model.markets[h.market].classes[model.markets[h.market].stocks[h.stock].class_index]

    def rel(folder, extension):
        return 'data/%s/%s/%s.%s' % (directory, folder, h.code, extension)
    return {
        'market': h.market, 'stock': h.stock, 'code': h.code,
        'day': {'file': rel('day', 'day'), 'bars': describe_bars(h.days)},
        'min5': {'file': rel('min', 'min'), 'bars_per_day': (cls.total_minutes() - 1) // 5,
                 'bars': describe_bars(h.min5)},
        'min1': {'file': rel('min1', 'm1'), 'bars_per_day': cls.total_minutes(),
                 'bars': describe_bars(h.min1)},
        'ticks': {'file': rel('tick', 'tik'), 'records': describe_ticks(h.ticks)},
        'tick_history': {'file': rel('tick', 'tck'), 'earlier_count': len(h.earlier_ticks),
                         'earlier': describe_ticks(h.earlier_ticks)},
        'weights': {'file': rel('weight', 'wgt') if h.weights else None,
                    'records': [[packed_datetime(e.date), e.date, e.bonus, e.rights,
                                 e.rights_price, e.dividend, e.conversion] for e in h.weights]},
    }


def describe_calendar(days):
    """Facts of the day history that period grouping depends on."""
    dates = [date_of(d) for d in days]
    present = set(days)
    saturdays = {d + datetime.timedelta(days=5 - d.weekday()) for d in dates}
    week = None
    for d in reversed(dates):
        if d.weekday() == 0:
            five = [ymd_of(d + datetime.timedelta(days=i)) for i in range(5)]
            if all(x in present for x in five) and five[0] // 100 != five[4] // 100:
                week = five
                break
    month_end = next([a, b] for a, b in zip(reversed(days[:-1]), reversed(days[1:]))
                     if a // 100 != b // 100)
    return {
        'first': days[0], 'last': days[-1], 'count': len(days),
        'weeks': len(saturdays),
        'months': len({d // 100 for d in days}),
        'quarters': len({(d.year, (d.month + 2) // 3) for d in dates}),
        'week_across_month_end': week,
        'month_end': month_end,
        'min5_days': days[-MIN5_DAYS:], 'min1_days': days[-MIN1_DAYS:],
    }


def describe_alarm(a):
    return {'market': a.market, 'stock': a.stock, 'code': a.code,
            'trigger_time': list(a.trigger_time) if a.trigger_time else None,
            'reason': a.reason, 'price': a.price, 'upper': a.upper, 'lower': a.lower,
            'deal_volume': a.deal_volume, 'volume': a.volume, 'amount': a.amount}


def describe_news(item):
    return {'type': item.news_type, 'read': item.read, 'yyyymmdd': item.date,
            'hhmm': item.hhmm, 'date_field': item.date % 1000000, 'id': item.id,
            'title': item.title, 'file': news_file_name(item),
            'article': None if item.article is None else {
                'file': 'data/info/' + news_file_name(item), 'lines': item.article}}


def describe(model, root, files, registry_path):
    """What was written, as plain data: names as text, prices as integers in units
    of the divisor, floats as the 32-bit values stored. The first bid level of a
    market's index is null: its bytes hold the counts. Bars, ticks and ex-rights
    records are rows whose columns bar_fields, tick_fields and weight_fields name;
    a .tck file holds the 'earlier' rows followed by the rows of the .tik file.
    An alarm limit that is off is null (stored as off_value)."""
    return {
        'root': installation_path(root),
        'seed': model.seed,
        'large': model.large,
        'trading_date': model.trading_date,
        'today': model.trading_date,
        'now': model.now,
        'now_packed': packed_datetime(model.trading_date, model.now),
        'files': files,
        'registry': None if registry_path is None else {
            'file': registry_path, 'section': REGISTRY_SECTION,
            'value': 'Path', 'data': installation_path(root)},
        'markets': [{
            'index': m.index, 'type': m.market_type, 'name': m.name, 'directory': m.directory,
            'extension': m.extension, 'hour_offset': m.hour_offset, 'day_start': m.day_start,
            'capacity': m.capacity, 'code_padding': m.code_padding,
            'classes': [{'name': c.name, 'index_class': c.index_class,
                         'sessions': [list(s) for s in c.sessions],
                         'total_minutes': c.total_minutes(),
                         'elapsed_minutes': c.elapsed_minutes(clock_of(model.now))}
                        for c in m.classes],
            'stocks': [{'index': s.index, 'class': s.class_index, 'code': s.code, 'name': s.name,
                        'divisor': s.divisor, 'unit': s.unit, 'decimals': s.decimals,
                        'quote': describe_quote(s.quote)} for s in m.stocks],
        } for m in model.markets],
        'time_zones': {
            'current': model.time_zones['current'], 'base': model.time_zones['base'],
            'stored': [list(e) for e in model.time_zones['stored']],
            'presets': [list(p) for p in model.time_zones['presets']]},
        'system_groups': [{'name': g.name, 'file': g.file, 'blocks': [
            {'name': b.name, 'members': [list(x) for x in b.members]} for b in g.blocks]}
            for g in model.system_groups],
        'user_blocks': [{'name': b.name, 'members': [list(x) for x in b.members]}
                        for b in model.user_blocks],
        'brokers': [{'ids': ids, 'name': name} for ids, name in model.brokers],
        'themes': [{'name': t['name'], 'colours': t['colours'],
                    'fonts': [{'bold': f[0], 'size': f[1], 'face': f[2]} for f in t['fonts']]}
                   for t in model.themes],
        'settings': {section: dict(entries) for section, entries in model.settings},
        'calendar': describe_calendar(model.history_days),
        'bar_fields': BAR_FIELDS,
        'tick_fields': TICK_FIELDS,
        'weight_fields': WEIGHT_FIELDS,
        'histories': [describe_history(model, h) for h in model.histories],
        'news': {'index': 'data/info/news.ntl', 'records': [describe_news(n) for n in model.news]},
        'alarms': {'file': 'CFG/ALARM.SET', 'flags': model.alarm_flags,
                   'beep': bool(model.alarm_flags & ALARM_BEEP),
                   'window': bool(model.alarm_flags & ALARM_WINDOW), 'off_value': LIMIT_OFF,
                   'pending': [describe_alarm(a) for a in model.pending_alarms],
                   'triggered': [describe_alarm(a) for a in model.triggered_alarms]},
        'reflines': {'file': 'CFG/refline.dat', 'records': [
            {'indicator': r.indicator, 'market': r.market, 'code': r.code,
             'shown': list(r.shown), 'levels': list(r.levels)} for r in model.reflines]},
        'indicators': {
            'definitions': 'CFG/INDEX.DAT', 'parameters': 'CFG/IDXPARA.TBL',
            'labels': 'CFG/IdxPara.ini', 'periods': list(USED_PERIODS),
            'records': [{'id': i.id, 'kind': i.kind, 'frequent': i.frequent, 'name': i.name,
                         'description': i.description, 'hotkey': i.hotkey,
                         'lines': list(i.lines), 'parameters': i.parameter_set(),
                         'labels': [[label, PARAM_INPUT_LENGTH, default]
                                    for label, default in i.params],
                         'formula': i.formula.file if i.formula else None}
                        for i in model.indicators]},
        'formulas': [{
            'id': f.id, 'file': 'CFG/' + f.file, 'name': f.name, 'title': f.title, 'key': f.key,
            'params': [{'name': n, 'minimum': lo, 'maximum': hi, 'default': d}
                       for n, _, lo, hi, d in f.params],
            'results': [{'name': n, 'style': s, 'style_code': FORMULA_STYLES.index(s)}
                        for n, s in f.results],
            'variables': list(f.variables), 'lines': formula_lines(f)}
            for f in model.formulas],
        'servers': {
            'data': {'file': 'bin/server.ini', 'host': model.data_server.host,
                     'balance_port': model.data_server.ports[0],
                     'data_port': model.data_server.ports[1],
                     'realtime_port': model.data_server.ports[2]},
            'chat': {'file': 'CFG/SETTING.INI', 'host': model.chat_server.host,
                     'port': model.chat_server.ports[0]},
            'gateway': {'file': 'bin/consign.ini', 'host': model.gateway.host,
                        'port': model.gateway.ports[0]}},
    }


# ---------------------------------------------------------------------------
# Entry points


def make_installation(root, seed=1, large=False, registry=True, describe_to=None,
                      today=TRADING_DATE, now=CLOCK_TIME, data_server=DATA_SERVER,
                      chat_server=CHAT_SERVER, gateway=GATEWAY, demo=False):
    """Makes the installation tree at `root` and, when asked, the registry entry and
    the description file. Returns the description."""
    model = build_model(seed, large, today, now, data_server, chat_server, gateway, demo)
    root = os.path.abspath(root)
    cfg = os.path.join(root, 'CFG')
    data = os.path.join(root, 'data')
    program_dir = os.path.join(root, 'bin')
    os.makedirs(program_dir, exist_ok=True)
    written = (write_settings(cfg, model) + write_market_description(cfg, model)
               + write_time_zones(cfg, model) + write_system_blocks(cfg, model)
               + write_user_blocks(cfg, model) + write_broker_list(cfg, model)
               + write_trading_dates(data, model) + write_alarms(cfg, model)
               + write_reflines(cfg, model) + write_news(data, model)
               + write_news_types(cfg, model)
               + write_day_history(data, model) + write_min5_history(data, model)
               + write_min1_history(data, model) + write_ticks(data, model)
               + write_weights(data, model) + write_indicator_tables(cfg, model)
               + write_formulas(cfg, model) + write_default_page(cfg, model)
               + write_saved_pages(cfg, model) + write_trading_programs(cfg, model)
               + write_server_list(program_dir, model) + write_version(program_dir)
               + write_order_client_settings(program_dir, model))
    for market in model.markets:
        written += write_name_table(data, market) + write_quote_snapshot(data, market)
    registry_path = write_registry_entry(root) if registry else None
    files = sorted(os.path.relpath(path, root).replace(os.sep, '/') for path in written)
    description = describe(model, root, files, registry_path)
    if describe_to:
        os.makedirs(os.path.dirname(os.path.abspath(describe_to)), exist_ok=True)
        with open(describe_to, 'w', encoding='utf-8') as f:
            json.dump(description, f, ensure_ascii=False, separators=(',', ':'))
            f.write('\n')
    return description


def main(argv=None):
    parser = argparse.ArgumentParser(description='Make an installation tree.')
    parser.add_argument('root', help='installation root to create or refresh')
    parser.add_argument('--seed', type=int, default=1, help='seed of the made-up values')
    parser.add_argument('--large', action='store_true',
                        help='%d markets of %d stocks each, for benchmarks'
                        % (LARGE_MARKETS, LARGE_STOCKS))
    parser.add_argument('--today', type=int, default=TRADING_DATE, metavar='YYYYMMDD',
                        help='trading date of the markets, a weekday (default %(default)s)')
    parser.add_argument('--now', type=int, default=CLOCK_TIME, metavar='HHMM',
                        help='clock time of the markets; ticks and the quotes of the stocks '
                        'with history stop there (default %(default)s)')
    parser.add_argument('--no-registry', action='store_true',
                        help='leave the registry store alone')
    parser.add_argument('--data-server', metavar='HOST:BALANCE:DATA:REALTIME',
                        default='%s:%d:%d:%d' % ((DATA_SERVER.host,) + DATA_SERVER.ports),
                        help='data server for bin/server.ini; the balancing port is %d, or 0 '
                        'to log in at the data port directly (default %%(default)s)' % BALANCE_PORT)
    parser.add_argument('--chat-server', metavar='HOST:PORT',
                        default='%s:%d' % ((CHAT_SERVER.host,) + CHAT_SERVER.ports),
                        help='chat server for CFG/SETTING.INI (default %(default)s)')
    parser.add_argument('--gateway', metavar='HOST:PORT',
                        default='%s:%d' % ((GATEWAY.host,) + GATEWAY.ports),
                        help='trade gateway for bin/consign.ini (default %(default)s)')
    parser.add_argument('--demo', action='store_true',
                        help='remember the demo accounts and add the futures market whose '
                        'contracts the gateway\'s --demo lists')
    parser.add_argument('--describe', metavar='FILE',
                        help='write a JSON description of what was written')
    args = parser.parse_args(argv)
    try:
        servers = (parse_endpoint(args.data_server, 'data server', ('BALANCE', 'DATA', 'REALTIME')),
                   parse_endpoint(args.chat_server, 'chat server', ('PORT',)),
                   parse_endpoint(args.gateway, 'gateway', ('PORT',)))
        make_installation(args.root, seed=args.seed, large=args.large,
                          registry=not args.no_registry, describe_to=args.describe,
                          today=args.today, now=args.now, data_server=servers[0],
                          chat_server=servers[1], gateway=servers[2], demo=args.demo)
    except (OSError, ValueError, UnicodeError) as e:
        print('mkinstall: %s' % e, file=sys.stderr)
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
