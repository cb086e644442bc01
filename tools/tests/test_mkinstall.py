#!/usr/bin/python3
"""Tests of the installation maker: records re-read at their byte offsets, text
files as GBK with CRLF, the same bytes for the same seed, the registry entry, the
history, tick, ex-rights, news, alarm and reference-line files of a trading day in
progress, the indicator tables with the formula files of the formula indicators
and the server settings of the three clients."""

import datetime
import json
import os
import re
import struct
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
MAKER = os.path.join(os.path.dirname(HERE), 'mkinstall.py')
sys.path.insert(0, os.path.dirname(HERE))

import demomarket  # noqa: E402
import mkinstall  # noqa: E402

SECTION = b'[HKEY_CURRENT_USER\\Software\\Lumo\\Ver2.0]'


def tree_bytes(root):
    out = {}
    for folder, _, names in os.walk(root):
        for name in names:
            path = os.path.join(folder, name)
            with open(path, 'rb') as f:
                out[os.path.relpath(path, root)] = f.read()
    return out


def date(ymd):
    return datetime.date(ymd // 10000, ymd // 100 % 100, ymd % 100)


def trading_days(count, today=20061208):
    """The `count` weekdays before `today`, oldest first."""
    out, day = [], date(today)
    while len(out) < count:
        day -= datetime.timedelta(days=1)
        if day.weekday() < 5:
            out.append(int(day.strftime('%Y%m%d')))
    return out[::-1]


def cstr(raw):
    return raw.split(b'\0', 1)[0].decode('gbk')


def unpack_datetime(packed):
    """(yyyymmdd, hhmm) of a packed date-time: minute bits 0-5, hour 6-10, day
    11-15, month 16-19, year 20-31."""
    return ((packed >> 20) * 10000 + (packed >> 16 & 15) * 100 + (packed >> 11 & 31),
            (packed >> 6 & 31) * 100 + (packed & 63))


def minute_clocks(sessions):
    """Clock minutes of a class's trading minutes: the opening, then every minute's
    end in each session."""
    clocks = [sessions[0][0]]
    for start, end in sessions:
        clocks += range(start + 1, end + 1)
    return ['%d' % (c // 60 * 100 + c % 60) for c in clocks]


def f32(x):
    return struct.unpack('<f', struct.pack('<f', x))[0]


def ex_rights_price(price, bonus, rights, rights_price, dividend, conversion):
    """Per 10 shares: 10 old shares worth 10 x price, plus the rights paid in, less
    the dividend, are now 10 + bonus + rights + conversion shares."""
    return max(0, int((10 * price + rights / 10000 * rights_price - dividend)
                      / (10 + (bonus + rights + conversion) / 10000)))


def ini_sections(path):
    """Sections of a GBK INI file as {name: [lines]}, in file order."""
    with open(path, 'rb') as f:
        text = f.read().decode('gbk')
    sections, current = {}, None
    for line in text.split('\r\n')[:-1]:
        if line.startswith('['):
            current = sections.setdefault(line[1:-1], [])
        elif line:
            current.append(line)
    return sections


def ini_values(path):
    """{section in lower case: {key: value}} of a GBK INI file."""
    return {name.lower(): dict(line.split('=', 1) for line in lines)
            for name, lines in ini_sections(path).items()}


# Result lines of every built-in indicator the factory makes, by id.
INDICATOR_LINES = {
    1: 6, 2: 7, 3: 6, 4: 6, 5: 6, 6: 6, 7: 1, 8: 6, 9: 0,
    41: 1, 42: 2, 43: 4, 44: 5, 45: 3, 46: 2, 47: 1, 48: 2,
    81: 4, 82: 2, 83: 1, 84: 3, 85: 2, 86: 3, 87: 3, 88: 2, 89: 1, 90: 2, 91: 2,
    121: 3, 122: 3, 123: 5, 124: 2, 125: 6, 126: 2, 161: 2, 162: 5, 163: 2, 164: 2,
    201: 2, 202: 2, 241: 2, 242: 2, 243: 2, 244: 1, 281: 2, 282: 1, 283: 2,
    321: 7, 322: 7, 323: 1, 361: 3, 362: 2, 363: 2, 364: 3, 365: 3,
}
# Parameter checks of the indicators that refuse to compute outside them.
PARAMETER_CHECKS = {
    42: lambda p: 1 <= p[0] < p[1] and p[2] >= 1,
    45: lambda p: all(1 <= x <= 100 for x in p[:3]) and p[0] < p[1],
    84: lambda p: 1 <= p[0] <= 100 and 2 <= p[1] <= 40 and 2 <= p[2] <= 40,
    85: lambda p: p[0] >= 1 and p[1] >= 2 and p[2] >= 2,
    87: lambda p: all(2 <= x <= 100 for x in p[:3]),
    88: lambda p: p[0] >= 2 and p[1] >= 1,
    89: lambda p: 1 <= p[0] <= 100,
    91: lambda p: 1 <= p[0] <= 100 and 2 <= p[1] <= 40 and 2 <= p[2] <= 40,
    122: lambda p: p[0] >= 1,
    201: lambda p: p[0] >= 2,
    202: lambda p: all(x >= 2 for x in p[:3]),
}


# The formula language: its keywords, data fields, functions (scalar ones with
# their argument counts; series ones take a field or result line and a count) and
# the operators the demo formulas may use. Comparisons yield booleans, which only
# an IF's condition may take.
FORMULA_KEYWORDS = {'INDEXDEF', 'PARAM', 'RESULT', 'VAR', 'BEGIN', 'END', 'BOOL', 'NUMBER',
                    'TRUE', 'FALSE', 'LINE', 'BAR', 'CANDLE', 'TBAR', 'NONE'}
FORMULA_FIELDS = {'OPEN', 'HIGH', 'LOW', 'CLOSE', 'VOLUME', 'AMOUNT', 'RAISE', 'DOWN', 'RECORDS',
                  'RECPTR', 'LOTS', 'DAY', 'MONTH', 'YEAR', 'WEEKDAY', 'HOUR', 'MINUTE'}
SCALAR_FUNCTIONS = {'IF': 3, 'ABS': 1, 'MAX': 2, 'MIN': 2, 'SIGN': 1, 'REVERSE': 1, 'EXP': 1,
                    'LN': 1, 'LOG': 1, 'POW': 2, 'SQRT': 1}
SERIES_FUNCTIONS = {'REF', 'SUM', 'AVG', 'MA', 'EMA', 'NMAX', 'NMIN', 'RSORDN', 'AVGEX', 'SQEX',
                    'STDEX'}
RESERVED = FORMULA_KEYWORDS | FORMULA_FIELDS | set(SCALAR_FUNCTIONS) | SERIES_FUNCTIONS
ARITHMETIC = {'*', '/', '%', '+', '-'}
COMPARISONS = {'<', '<=', '>', '>=', '==', '!='}
OPERATORS = {'(', ')', '!', '*', '/', '%', '+', '-', '<', '<=', '>', '>=', '==', '!=', '&&', '||',
             '^', '='}
FORMULA_STYLES = ['NONE', 'LINE', 'BAR', 'TBAR', 'CANDLE']
HEADER_LENGTHS = {'NAME': 8, 'TITLE': 60, 'KEY': 4}
FORMULA_TOKEN = re.compile(r'[ \t]*(?:(?P<num>\d+(?:\.\d*)?|\.\d+)|(?P<word>[A-Za-z][A-Za-z0-9]*)'
                           r'|(?P<op>\)|[(*+\-/%&|^!<=>][=&|]?)|(?P<sep>[:,])|(?P<bad>.))')


def formula_tokens(line):
    tokens = []
    for m in FORMULA_TOKEN.finditer(line):
        kind = m.lastgroup
        if kind == 'bad' or (kind == 'op' and m.group(kind) not in OPERATORS):
            raise ValueError('%r is not a token of the language' % m.group(kind))
        tokens.append((kind, m.group(kind).upper() if kind == 'word' else m.group(kind)))
    return tokens


class FormulaStatement:
    """One BEGIN statement: a result line or variable, '=', and an expression that
    groups at most one operator per parenthesis, so that any precedence rule
    reads it the same."""

    def __init__(self, tokens, names):
        self.tokens, self.at = tokens, 0
        self.results = names['RESULT']
        self.names = names['PARAM'] | names['RESULT'] | names['VAR']
        target = self.take()
        if target[0] != 'word' or target[1] not in self.results | names['VAR']:
            raise ValueError('%s is no result line or variable' % target[1])
        self.take('=')
        self.expression()
        if self.at != len(tokens):
            raise ValueError('%r after the expression' % (tokens[self.at:],))

    def take(self, text=None):
        if self.at == len(self.tokens):
            raise ValueError('the statement ends early')
        token = self.tokens[self.at]
        if text is not None and token[1] != text:
            raise ValueError('%r where %r belongs' % (token[1], text))
        self.at += 1
        return token

    def next_is(self, kind, texts):
        return self.at < len(self.tokens) and self.tokens[self.at][0] == kind \
            and self.tokens[self.at][1] in texts

    def expression(self, condition=False):
        self.operand()
        if self.next_is('op', ARITHMETIC | COMPARISONS):
            operator = self.take()[1]
            if operator not in (COMPARISONS if condition else ARITHMETIC):
                raise ValueError('%s in %s'
                                 % (operator, 'a condition' if condition else 'a number'))
            self.operand()
        elif condition:
            raise ValueError('a condition without a comparison')

    def operand(self):
        kind, text = self.take()
        if kind == 'num':
            return
        if (kind, text) == ('op', '('):
            self.expression()
            self.take(')')
        elif kind != 'word':
            raise ValueError('%r where an operand belongs' % text)
        elif text in SCALAR_FUNCTIONS:
            self.take('(')
            for k in range(SCALAR_FUNCTIONS[text]):
                if k:
                    self.take(',')
                self.expression(condition=(text == 'IF' and k == 0))
            self.take(')')
        elif text in SERIES_FUNCTIONS:
            self.take('(')
            kind, source = self.take()
            if kind != 'word' or not (source in FORMULA_FIELDS or source in self.results):
                raise ValueError('%s of %s is no data field or result line' % (source, text))
            self.take(',')
            self.expression()
            self.take(')')
        elif text not in self.names:
            raise ValueError('%s is not declared' % text)


def scan_formula(raw):
    """The header and declarations of a formula file, read by the language's
    rules; ValueError names the first thing the language does not define."""
    lines = raw.decode('gbk').split('\r\n')
    if lines[-1] or any('\r' in line or '\n' in line for line in lines):
        raise ValueError('not CRLF lines')
    out = {'INDEXDEF': {}, 'PARAM': [], 'RESULT': [], 'VAR': [], 'BEGIN': []}
    names = {'PARAM': set(), 'RESULT': set(), 'VAR': set()}
    section, done = None, []
    for line in lines[:-1]:
        if section is None:
            if line not in out or line in done or 'BEGIN' in done:
                raise ValueError('%r opens no section' % line)
            section = line
        elif line == 'END':
            done.append(section)
            section = None
        elif section == 'INDEXDEF':
            m = re.fullmatch(r'(NAME|TITLE|KEY)[:,](.+)', line)
            if not m or len(m.group(2).encode('gbk')) > HEADER_LENGTHS[m.group(1)]:
                raise ValueError('header line %r' % line)
            out[section][m.group(1)] = m.group(2)
        elif section == 'BEGIN':
            FormulaStatement(formula_tokens(line), names)
            out[section].append(line)
        else:
            tokens = formula_tokens(line)
            name = tokens[0][1]
            if (tokens[0][0] != 'word' or name in RESERVED or any(name in n for n in names.values())
                    or len(name) > (8 if section == 'VAR' else 11)):
                raise ValueError('%s cannot be declared' % name)
            rest = [t for _, t in tokens[1:]]
            if section == 'PARAM' and len(rest) == 3 and all(k == 'num' for k, _ in tokens[1:]):
                low, high, default = map(float, rest)
                if not low <= default <= high:
                    raise ValueError('%s defaults outside its range' % name)
                out[section].append((name, low, high, default))
            elif section == 'RESULT' and len(rest) == 1 and rest[0] in FORMULA_STYLES:
                out[section].append((name, rest[0]))
            elif section == 'VAR' and not rest:
                out[section].append(name)
            else:
                raise ValueError('declaration %r' % line)
            names[section].add(name)
            if len(names[section]) > {'PARAM': 8, 'RESULT': 8, 'VAR': 16}[section]:
                raise ValueError('too many %s declarations' % section)
    if section is not None or 'BEGIN' not in done or not out['BEGIN']:
        raise ValueError('no closed BEGIN section')
    return out


class Installation(unittest.TestCase):
    """One default installation made through the command line, with its description."""

    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.root = os.path.join(cls.tmp.name, 'inst')
        cls.registry = os.path.join(cls.tmp.name, 'reg', 'registry.ini')
        env = dict(os.environ, LUMO_REGISTRY=cls.registry)
        manifest = os.path.join(cls.root, 'manifest.json')
        subprocess.run([sys.executable, MAKER, cls.root, '--seed', '7', '--describe', manifest],
                       env=env, check=True)
        with open(manifest, encoding='utf-8') as f:
            cls.desc = json.load(f)

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def read(self, rel):
        with open(os.path.join(self.root, rel), 'rb') as f:
            return f.read()

    def test_tree_and_listed_files(self):
        self.assertEqual(sorted(os.listdir(os.path.join(self.root, 'bin'))),
                         ['consign.ini', 'server.ini', 'version.txt'])
        on_disk = sorted(p.replace(os.sep, '/') for p in tree_bytes(self.root) if p != 'manifest.json')
        self.assertEqual(self.desc['files'], on_disk)
        for rel in ('CFG/SETTING.INI', 'CFG/mkinfo.cfg', 'CFG/systime.dat', 'CFG/blocks.ini',
                    'CFG/blkinfo.ini', 'CFG/Brokerlist.dbf', 'data/realdata.ini',
                    'data/sh/nametbl.sh', 'data/sh/real.sh',
                    'data/shfe/nametbl.shfe', 'data/shfe/real.shfe', 'CFG/ALARM.SET',
                    'CFG/refline.dat', 'data/info/news.ntl', 'data/sh/day/600000.day',
                    'data/sh/min/600000.min', 'data/sh/min1/600000.m1', 'data/sh/tick/600000.tik',
                    'data/sh/tick/600000.tck', 'data/sh/weight/600036.wgt',
                    'data/shfe/day/cu0701.day', 'data/shfe/tick/cu0701.tik',
                    'CFG/INDEX.DAT', 'CFG/IDXPARA.TBL', 'CFG/IdxPara.ini', 'CFG/FMACD.FML',
                    'CFG/MADIFF.FML', 'CFG/CHANNEL.FML', 'CFG/VRATIO.FML'):
            self.assertIn(rel, on_disk)

    def test_pages_and_order_programs(self):
        # The default page and two saved version 3 pages, each header's length
        # that of its body; TRADING.INI names the order client as program 0.
        for rel, name, leaves in (('CFG/Default.ppg', '默认页面', 3), ('CFG/lmpage0.ppg', '分时K线', 2),
                                  ('CFG/lmpage1.ppg', '报价新闻', 2)):
            with self.subTest(page=rel):
                data = self.read(rel)
                self.assertEqual(data[:8], b'lmpage03')
                self.assertEqual(data[8:72].rstrip(b'\0').decode('gbk'), name)
                self.assertEqual(struct.unpack('<I', data[72:76])[0], len(data) - 76)
                self.assertEqual(len(data) - 76, leaves * (20 + 160 + 200) + (leaves - 1) * 20)
        self.assertEqual(ini_sections(os.path.join(self.root, 'CFG', 'TRADING.INI'))['CONSIGN'],
                         ['Name0=期货交易', 'Exe0=consign.exe'])

    def test_market_description(self):
        data = self.read('CFG/mkinfo.cfg')
        self.assertEqual(len(data), 2 * 1504)
        cases = [  # market, type, name, dir, ext, classes [(flag, name, sessions)]
            (0, 1, '上海证券交易所', 'sh', 'sh',
             [(1, '指数板块', [(570, 690), (780, 900)]), (0, '上证A股', [(570, 690), (780, 900)])]),
            (1, 2, '上海期货交易所', 'shfe', 'shfe',
             [(0, '期货合约', [(540, 615), (630, 690), (810, 900)])]),
        ]
        for m, kind, name, folder, ext, classes in cases:
            with self.subTest(market=m):
                rec = data[m * 1504:(m + 1) * 1504]
                self.assertEqual(rec[1], kind)
                self.assertEqual(cstr(rec[2:17]), name)
                self.assertEqual(cstr(rec[17:26]), folder)
                self.assertEqual(cstr(rec[26:37]), ext)
                self.assertEqual(struct.unpack_from('<h', rec, 37)[0], 8)
                capacity, count = struct.unpack_from('<HH', rec, 43)
                self.assertEqual(count, len(classes))
                self.assertGreaterEqual(capacity, len(self.desc['markets'][m]['stocks']))
                for c, (flag, cname, sessions) in enumerate(classes):
                    cr = rec[47 + 96 * c:47 + 96 * (c + 1)]
                    self.assertEqual(cr[0], flag)
                    self.assertEqual(cr[1:9].rstrip(b'\0').decode('gbk'), cname)
                    n = cr[10]
                    starts = struct.unpack_from('<4H', cr, 11)[:n]
                    ends = struct.unpack_from('<4H', cr, 19)[:n]
                    self.assertEqual(list(zip(starts, ends)), sessions)
                self.assertEqual(rec[47 + 96 * len(classes):], bytes(1504 - 47 - 96 * len(classes)))

    def test_name_tables_and_snapshots(self):
        for market in self.desc['markets']:
            names = self.read('data/%s/nametbl.%s' % (market['directory'], market['extension']))
            quotes = self.read('data/%s/real.%s' % (market['directory'], market['extension']))
            self.assertEqual(len(names), 32 * len(market['stocks']))
            self.assertEqual(len(quotes), 124 * len(market['stocks']))
            for stock in market['stocks']:
                i = stock['index']
                rec = names[32 * i:32 * (i + 1)]
                self.assertEqual((rec[0], rec[1]), (market['index'], stock['class']))
                self.assertEqual(rec[2:9].replace(b' ', b'\0').rstrip(b'\0').decode('gbk'), stock['code'])
                self.assertEqual(cstr(rec[9:18]), stock['name'])
                self.assertEqual(struct.unpack_from('<IIBxH', rec, 18),
                                 (stock['divisor'], stock['unit'], stock['decimals'], i))
                q = stock['quote']
                words = struct.unpack_from('<5I4fI', quotes, 124 * i)
                self.assertEqual(words, (q['prev_close'], q['open'], q['high'], q['low'], q['last'],
                                         q['volume'], q['amount'], q['last_volume'],
                                         q['fast_change'], q['time']))
                self.assertLessEqual(q['low'], min(q['open'], q['last']))
                self.assertGreaterEqual(q['high'], max(q['open'], q['last']))
                levels = struct.unpack_from('<' + 'If' * 10, quotes, 124 * i + 40)
                expect = [x for level in q['bids'] + q['asks'] for x in (level or (None, None))]
                for got, want in zip(levels, expect):
                    if want is not None:
                        self.assertEqual(got, want)
                self.assertEqual(struct.unpack_from('<I', quotes, 124 * i + 120)[0], q['settlement'])

    def test_index_counts_and_code_padding(self):
        sh, shfe = self.desc['markets']
        quotes = self.read('data/sh/real.sh')
        total, up, down = struct.unpack_from('<3H', quotes, 40)
        shares = [s for s in sh['stocks'] if s['class'] == 1]
        self.assertEqual(total, len(shares))
        self.assertEqual(up, sum(s['quote']['last'] > s['quote']['prev_close'] for s in shares))
        self.assertEqual(down, sum(s['quote']['last'] < s['quote']['prev_close'] for s in shares))
        self.assertEqual(sh['stocks'][0]['quote']['counts'],
                         {'total': total, 'advancers': up, 'decliners': down})
        # The futures name table pads its 6-character codes with a space.
        names = self.read('data/shfe/nametbl.shfe')
        self.assertEqual(names[2:9], b'cu0612 ')
        self.assertEqual(cstr(names[9:18]), '沪铜0612')
        self.assertEqual(self.read('data/sh/nametbl.sh')[32 * 5 + 2:32 * 5 + 18],
                         b'600000\0' + '浦发银行'.encode('gbk') + b'\0')

    def test_time_zone_table(self):
        data = self.read('CFG/systime.dat')
        self.assertEqual(len(data), 9000)
        count, current = struct.unpack_from('<ii', data, 0)
        self.assertEqual((count, current), (len(self.desc['time_zones']['presets']), 0))
        self.assertEqual(list(struct.unpack_from('<16b', data, 8)), [8] * 16)
        entry = lambda off: (cstr(data[off + 1:off + 33]), struct.unpack_from('<b', data, off)[0])
        self.assertEqual(entry(24 + (15 * 1 + 0) * 33), ('北京时间', 0))
        presets = [list(entry(7944 + 33 * i)) for i in range(count)]
        self.assertEqual(presets, self.desc['time_zones']['presets'])
        self.assertIn(['伦敦时间', 0], presets)
        self.assertEqual(data[7944 + 33 * count:], bytes(9000 - 7944 - 33 * count))

    def test_text_files_are_gbk_with_crlf(self):
        for rel in self.desc['files']:
            if not rel.endswith(('.ini', '.INI', '.txt', '.FML')):
                continue
            with self.subTest(file=rel):
                raw = self.read(rel)
                raw.decode('gbk')
                self.assertTrue(raw.endswith(b'\r\n'))
                self.assertEqual(raw.count(b'\n'), raw.count(b'\r\n'))
                self.assertEqual(raw.count(b'\r'), raw.count(b'\r\n'))
        self.assertIn('上海'.encode('gbk'), self.read('CFG/blkinfo.ini') + self.read('CFG/dqblk.ini'))

    def test_settings_themes(self):
        sections = {k.lower(): dict(line.split('=', 1) for line in v)
                    for k, v in ini_sections(os.path.join(self.root, 'CFG/SETTING.INI')).items()}
        self.assertEqual(sections['path']['DATAPATH'], '..\\')
        self.assertEqual(sections['theme']['LastTheme'], '0')
        for n in range(4):
            colours, fonts = sections['color%d' % n], sections['font%d' % n]
            self.assertTrue(colours['Name'])
            self.assertEqual([int(colours['Color%02d' % i]) for i in range(1, 65)],
                             self.desc['themes'][n]['colours'])
            self.assertTrue(all(0 <= int(colours['Color%02d' % i]) <= 0xFFFFFF for i in range(1, 65)))
            for j in range(1, 17):
                bold, size, face = fonts['Font%02d' % j].split(',', 2)
                self.assertIn(int(bold), (0, 1))
                self.assertGreater(int(size), 0)
                self.assertLessEqual(len(face.encode('gbk')), 14)
        self.assertNotIn('color4', sections)
        dates = ini_sections(os.path.join(self.root, 'data/realdata.ini'))['DATA']
        self.assertEqual(dates, ['DYNDATE00=20061208', 'DYNDATE01=20061208'])

    def test_settings_carry_the_settings_tool_keys(self):
        """Every key the settings tool edits has a usable value, whatever the case of its name."""
        values = {section: {k.lower(): v for k, v in keys.items()}
                  for section, keys in ini_values(os.path.join(self.root, 'CFG/SETTING.INI')).items()}
        self.assertTrue(values['path']['datapath'].endswith('\\'))
        for key in ('sorttime', 'pagetime', 'refreshtime', 'warnratio'):
            self.assertTrue(0 <= int(values['parameter'][key]) <= 1000, key)
        self.assertGreaterEqual(int(values['parameter']['maxdatarecords']), 1)
        self.assertIn(values['parameter']['klinemode'], ('0', '1'))
        for key in ('shraise', 'shdown', 'szraise', 'szdown'):
            self.assertTrue(0 <= int(values['dcd'][key]) <= 1000, key)
        for n in range(4):
            self.assertEqual(len(values['color%d' % n]), 65)
            self.assertEqual(len(values['font%d' % n]), 16)
            for j in range(1, 17):
                self.assertTrue(values['font%d' % n]['font%02d' % j].split(',', 2)[2])

    def test_block_lines_name_stocks_of_their_market(self):
        cfg = os.path.join(self.root, 'CFG')
        files = [v.split('=', 1)[1] for v in ini_sections(os.path.join(cfg, 'blkinfo.ini'))['Groups']]
        files.append('blocks.ini')
        codes = {(m['index'], s['code']): s['class'] for m in self.desc['markets'] for s in m['stocks']}
        for name in files:
            for block, lines in ini_sections(os.path.join(cfg, name)).items():
                self.assertLessEqual(len(block.encode('gbk')), 16)
                self.assertTrue(lines, block)
                for line in lines:
                    market, cls, code = int(line[0]), int(line[1]), line[2:]
                    self.assertEqual(codes.get((market, code)), cls, line)
        self.assertIn('自选股', ini_sections(os.path.join(cfg, 'blocks.ini')))

    def test_broker_list(self):
        data = self.read('CFG/Brokerlist.dbf')
        count, header, length = struct.unpack_from('<IHH', data, 4)
        self.assertEqual((header - 33) // 32, 2)
        self.assertEqual(data[header - 1], 0x0D)
        fields = [(data[32 + 32 * i:43 + 32 * i].rstrip(b'\0'), data[43 + 32 * i:44 + 32 * i],
                   data[48 + 32 * i]) for i in range(2)]
        self.assertEqual([f[:2] for f in fields], [(b'IDS', b'N'), (b'BROKERNAME', b'C')])
        self.assertEqual(length, 1 + sum(f[2] for f in fields))
        self.assertEqual((len(data) - header) // length, count)
        rows = [data[header + r * length:header + (r + 1) * length] for r in range(count)]
        ids = [int(row[1:7]) for row in rows]
        self.assertEqual(ids, sorted(ids))
        self.assertEqual([{'ids': i, 'name': row[7:].decode('gbk').rstrip(' ')} for i, row in zip(ids, rows)],
                         self.desc['brokers'])

    def bars(self, rel):
        """Every 32-byte bar record as a row of the description's bar_fields, with
        the date and time decoded from the packed date-time."""
        data = self.read(rel)
        self.assertEqual(len(data) % 32, 0, rel)
        out = []
        for off in range(0, len(data), 32):
            packed, close, open_, high, low = struct.unpack_from('<5I', data, off)
            volume, amount = struct.unpack_from('<2f', data, off + 20)
            advances, declines = struct.unpack_from('<2H', data, off + 28)
            out.append([packed, *unpack_datetime(packed), close, open_, high, low, volume, amount,
                        advances, declines])
        return out

    def ticks(self, rel):
        """Every 20-byte tick record as a row of the description's tick_fields."""
        data = self.read(rel)
        self.assertEqual(len(data) % 20, 0, rel)
        out = []
        for off in range(0, len(data), 20):
            packed, price = struct.unpack_from('<2I', data, off)
            volume, amount = struct.unpack_from('<2f', data, off + 8)
            self.assertEqual(data[off + 17:off + 20], b'\0\0\0')
            out.append([packed, *unpack_datetime(packed), price, volume, amount, data[off + 16]])
        return out

    def test_history_files(self):
        cal = self.desc['calendar']
        self.assertEqual((self.desc['today'], self.desc['now']), (20061208, 1030))
        self.assertEqual(unpack_datetime(self.desc['now_packed']), (20061208, 1030))
        self.assertEqual((cal['first'], cal['last'], cal['count']), (20051014, 20061207, 300))
        self.assertEqual(cal['week_across_month_end'], [20061127, 20061128, 20061129, 20061130, 20061201])
        self.assertEqual(cal['month_end'], [20061130, 20061201])
        self.assertEqual([h['code'] for h in self.desc['histories']],
                         ['000001', '600000', '600036', '600519', 'cu0612', 'cu0701', 'al0701'])
        for h in self.desc['histories']:
            market = self.desc['markets'][h['market']]
            stock = market['stocks'][h['stock']]
            cls = market['classes'][stock['class']]
            clocks = minute_clocks(cls['sessions'])
            day, m5, m1 = (self.bars(h[k]['file']) for k in ('day', 'min5', 'min1'))
            with self.subTest(code=h['code']):
                self.assertEqual(stock['code'], h['code'])
                self.assertEqual(day, h['day']['bars'])
                self.assertEqual(m5, h['min5']['bars'])
                self.assertEqual(m1, h['min1']['bars'])
                self.assertEqual(len(day), 300)
                self.assertEqual(len(m1), 3 * len(clocks))
                self.assertEqual(len(m5), 5 * (len(clocks) - 1) // 5)
                for bars in (day, m5, m1):
                    self.assertEqual([b[0] for b in bars], sorted(set(b[0] for b in bars)))
                    for b in bars:
                        self.assertLessEqual(b[6], min(b[3], b[4]))
                        self.assertGreaterEqual(b[5], max(b[3], b[4]))
                        self.assertGreater(b[6], 0)
                        if not cls['index_class']:
                            self.assertEqual(b[9:], [0, 0])
                self.assertEqual([b[1] for b in day], trading_days(300))
                self.assertTrue(all(b[2] == 0 for b in day))
                if cls['index_class']:
                    self.assertTrue(any(b[9] or b[10] for b in m1))
                # 1-minute bars: a day is the opening minute and every minute's end.
                for n, date in enumerate(cal['min1_days']):
                    one_day = m1[n * len(clocks):(n + 1) * len(clocks)]
                    self.assertEqual(['%d' % b[2] for b in one_day], clocks)
                    self.assertTrue(all(b[1] == date for b in one_day))
                # 5-minute bars end on every fifth minute and agree with the 1-minute
                # bars; the day bars agree with both.
                for n, date in enumerate(cal['min5_days']):
                    five = m5[n * (len(clocks) - 1) // 5:(n + 1) * (len(clocks) - 1) // 5]
                    self.assertEqual(['%d' % b[2] for b in five], clocks[5::5])
                    bar = next(b for b in day if b[1] == date)
                    self.assertEqual((bar[3], bar[4]), (five[-1][3], five[0][4]))
                    self.assertEqual((bar[5], bar[6]), (max(b[5] for b in five), min(b[6] for b in five)))
                    self.assertAlmostEqual(bar[7], sum(b[7] for b in five), delta=bar[7] * 1e-6)
                    if market['type'] != 1:
                        self.assertEqual(bar[8], five[-1][8])
                    if date in cal['min1_days']:
                        ones = [b for b in m1 if b[1] == date]
                        for g, b in enumerate(five):
                            group = ones[:6] if g == 0 else ones[5 * g + 1:5 * g + 6]
                            self.assertEqual((b[3], b[4], b[5], b[6]),
                                             (group[-1][3], group[0][4], max(x[5] for x in group),
                                              min(x[6] for x in group)))

    def test_ticks_of_a_trading_day_in_progress(self):
        elapsed = [[c['elapsed_minutes'] for c in m['classes']] for m in self.desc['markets']]
        self.assertEqual(elapsed, [[60, 60], [75]])
        for h in self.desc['histories']:
            market = self.desc['markets'][h['market']]
            stock = market['stocks'][h['stock']]
            cls = market['classes'][stock['class']]
            clocks = [int(c) for c in minute_clocks(cls['sessions'])]
            ticks = self.ticks(h['ticks']['file'])
            history = self.ticks(h['tick_history']['file'])
            q = stock['quote']
            with self.subTest(code=h['code']):
                self.assertEqual(ticks, h['ticks']['records'])
                self.assertTrue(ticks)
                self.assertTrue(all(t[1] == 20061208 and t[2] in clocks[:cls['elapsed_minutes'] + 1]
                                    for t in ticks))
                self.assertEqual([t[0] for t in ticks], sorted(t[0] for t in ticks))
                self.assertTrue(all(a[4] <= b[4] for a, b in zip(ticks, ticks[1:])))
                self.assertTrue(all(t[6] in (0, 1, 2) for t in ticks))
                if market['type'] == 1:
                    self.assertTrue(all(a[5] <= b[5] for a, b in zip(ticks, ticks[1:])))
                # The quote is the day so far.
                prices = [t[3] for t in ticks]
                self.assertEqual((q['open'], q['high'], q['low'], q['last']),
                                 (prices[0], max(prices), min(prices), prices[-1]))
                self.assertEqual((q['volume'], q['amount']), (ticks[-1][4], ticks[-1][5]))
                self.assertEqual(q['prev_close'], h['day']['bars'][-1][3])
                self.assertEqual(q['time'], (10 << 12) | (30 << 6))
                # .tck: the whole day before, then today's records.
                n = h['tick_history']['earlier_count']
                self.assertEqual(self.read(h['tick_history']['file'])[n * 20:],
                                 self.read(h['ticks']['file']))
                self.assertEqual(history[:n], h['tick_history']['earlier'])
                self.assertTrue(all(t[1] == 20061207 for t in history[:n]))
                # Each minute bar of that day closes at the last deal of its minute.
                last_deal = {}
                for t in history[:n]:
                    last_deal[t[2]] = t
                for b in h['min1']['bars'][-len(clocks):]:
                    if b[2] in last_deal:
                        self.assertEqual(b[3], last_deal[b[2]][3])
                        if market['type'] != 1:
                            self.assertEqual(b[8], last_deal[b[2]][5])
                    else:
                        self.assertEqual((b[3], b[4], b[5], b[6], b[7]), (b[3],) * 4 + (0,))

    def test_weights(self):
        files = {h['code']: h for h in self.desc['histories'] if h['weights']['file']}
        self.assertEqual(sorted(files), ['600000', '600036'])
        saturday = False
        for code, h in files.items():
            data = self.read(h['weights']['file'])
            self.assertEqual(len(data), 36 * len(h['weights']['records']))
            days = h['day']['bars']
            for i, row in enumerate(h['weights']['records']):
                rec = data[36 * i:36 * (i + 1)]
                packed = struct.unpack_from('<I', rec, 0)[0]
                self.assertEqual(unpack_datetime(packed), (row[1], 0))
                self.assertEqual(list(struct.unpack_from('<5I', rec, 4)), row[2:])
                self.assertEqual(rec[24:], bytes(12))
                saturday |= date(row[1]).weekday() == 5
                # The first bar on or after the event opens near the ex-rights price
                # of the close before it.
                n = next(k for k, b in enumerate(days) if b[1] >= row[1])
                reference = ex_rights_price(days[n - 1][3], *row[2:])
                with self.subTest(code=code, event=row[1]):
                    self.assertLess(abs(days[n][4] - reference), reference * 0.016 + 1)
                    self.assertLess(reference, days[n - 1][3])
            self.assertEqual([r[0] for r in h['weights']['records']],
                             sorted(r[0] for r in h['weights']['records']))
        self.assertTrue(saturday)

    def test_news_index_and_articles(self):
        data = self.read('data/info/news.ntl')
        records = self.desc['news']['records']
        self.assertEqual(len(data), 108 * len(records))
        for i, item in enumerate(records):
            rec = data[108 * i:108 * (i + 1)]
            word0, when, ident = struct.unpack_from('<IIi', rec, 0)
            with self.subTest(id=item['id']):
                self.assertEqual((word0 >> 1, bool(word0 & 1)), (item['type'], item['read']))
                self.assertEqual((when & 0xFFFFF, when >> 20), (item['date_field'], item['hhmm']))
                self.assertEqual(when & 0xFFFFF, item['yyyymmdd'] % 1000000)
                self.assertEqual(ident, item['id'])
                self.assertEqual(cstr(rec[12:92]), item['title'])
                self.assertEqual(rec[92:108], b'%08d.txt' % ident + bytes(4))
                article = os.path.join(self.root, 'data', 'info', '%08d.txt' % ident)
                self.assertEqual(os.path.exists(article), item['article'] is not None)
                if item['article']:
                    with open(article, 'rb') as f:
                        lines = f.read().decode('gbk').split('\r\n')
                    self.assertEqual(lines, item['article']['lines'] + [''])
                    self.assertEqual(lines[0], item['title'])
        ids = [r['id'] for r in records]
        self.assertEqual(ids, sorted(set(ids)))
        times = [(r['yyyymmdd'], r['hhmm']) for r in records]
        self.assertEqual(times, sorted(times))
        self.assertLessEqual(times[-1], (20061208, 1030))
        self.assertIsNone(records[0]['article'])
        self.assertTrue(any(r['read'] for r in records))
        self.assertTrue(any(c.isascii() and c.isalpha() for r in records for c in r['title']))

    def test_news_types(self):
        """Every type of the demo news is named and shown; type 1 has a branch
        whose keywords pick titles of that type."""
        entries = dict(line.split('=', 1) for line in
                       ini_sections(os.path.join(self.root, 'CFG', 'NEWSTYPE.INI'))['NEWSTYPE'])
        words = [int(w) for w in entries['Filter'].split(',')]
        self.assertEqual(len(words), 4)
        shown = {32 * w + b + 1 for w in range(4) for b in range(32) if words[w] & (1 << b)}
        types = {r['type'] for r in self.desc['news']['records']}
        self.assertEqual(shown, types)
        for t in types:
            self.assertTrue(entries['ID%d' % t])
        branch = entries['ID1_BRANCH1'].split(',')
        self.assertGreaterEqual(len(branch), 2)
        picked = [r for r in self.desc['news']['records']
                  if r['type'] == 1 and any(k in r['title'] for k in branch[1:])]
        self.assertTrue(picked)

    def test_alarm_file(self):
        data = self.read('CFG/ALARM.SET')
        alarms = self.desc['alarms']
        both = alarms['pending'] + alarms['triggered']
        self.assertEqual(data[:6], b'LMAS01')
        self.assertEqual(struct.unpack_from('<I', data, 6)[0], 0x11)
        self.assertEqual((alarms['beep'], alarms['window']), (True, True))
        self.assertEqual(len(data), 10 + 48 * len(both))
        off = f32(-1e-10)
        self.assertEqual(alarms['off_value'], off)
        for i, a in enumerate(both):
            rec = data[10 + 48 * i:10 + 48 * (i + 1)]
            time = list(struct.unpack_from('<8H', rec, 0))
            reason, market, stock = struct.unpack_from('<IHH', rec, 16)
            values = list(struct.unpack_from('<6f', rec, 24))
            names = ('upper', 'lower', 'deal_volume', 'volume', 'amount')
            with self.subTest(alarm=i):
                self.assertEqual((reason, market, stock), (a['reason'], a['market'], a['stock']))
                self.assertEqual(self.desc['markets'][market]['stocks'][stock]['code'], a['code'])
                self.assertEqual(time, a['trigger_time'] or [0] * 8)
                self.assertEqual(values, [a['price']] + [off if a[n] is None else a[n] for n in names])
                self.assertTrue(any(a[n] is not None for n in names))
                stock = self.desc['markets'][market]['stocks'][stock]
                q, divisor, unit = stock['quote'], stock['divisor'], stock['unit']
                if i < len(alarms['pending']):
                    # Pending alarms have not been reached by today's quotes.
                    self.assertEqual((time, reason), ([0] * 8, 0))
                    checks = [('upper', q['last'] / divisor, 1), ('lower', q['last'] / divisor, -1),
                              ('volume', q['volume'] / unit, 1), ('amount', q['amount'], 1)]
                    for name, value, sign in checks:
                        if a[name] is not None:
                            self.assertGreater(sign * (a[name] - value), 0, name)
                else:
                    self.assertEqual(time[:2], [2006, 12])
                    self.assertEqual((time[2], time[3]), (4, 7))
                    self.assertIn(reason, (1, 2, 16, 32, 64))
        self.assertEqual(len(alarms['triggered']), 1)

    def test_reference_lines(self):
        data = self.read('CFG/refline.dat')
        lines = self.desc['reflines']['records']
        self.assertEqual(len(data), 36 * len(lines))
        keys = set()
        for i, line in enumerate(lines):
            rec = data[36 * i:36 * (i + 1)]
            indicator, market = struct.unpack_from('<HH', rec, 0)
            code = rec[4:16]
            self.assertEqual((indicator, market), (line['indicator'], line['market']))
            self.assertEqual(code, line['code'].encode() + bytes(12 - len(line['code'])))
            self.assertEqual(list(rec[16:20]), line['shown'])
            self.assertEqual(list(struct.unpack_from('<4f', rec, 20)), line['levels'])
            self.assertIn(line['code'], {s['code'] for s in self.desc['markets'][market]['stocks']})
            keys.add((indicator, market, code))
        self.assertEqual(len(keys), len(lines))

    def definitions(self):
        """INDEX.DAT as {id: (position, record)}, each id once."""
        data = self.read('CFG/INDEX.DAT')
        self.assertEqual(len(data) % 232, 0)
        self.assertLessEqual(len(data) // 232, 300)
        records = [data[off:off + 232] for off in range(0, len(data), 232)]
        ids = [struct.unpack_from('<H', r, 0)[0] for r in records]
        self.assertEqual(len(set(ids)), len(ids))
        return {i: (n, r) for n, (i, r) in enumerate(zip(ids, records))}

    def test_indicator_definitions(self):
        defs = self.definitions()
        formulas = {f['id']: f for f in self.desc['formulas']}
        self.assertEqual(set(defs), set(INDICATOR_LINES) | set(formulas))
        described = {r['id']: r for r in self.desc['indicators']['records']}
        for ident, (_, rec) in defs.items():
            kind, lines = struct.unpack_from('<HH', rec, 4)
            with self.subTest(id=ident):
                if ident in formulas:
                    self.assertEqual((kind, lines), (200, len(formulas[ident]['results'])))
                    self.assertEqual(cstr(rec[200:232]), formulas[ident]['file'][len('CFG/'):])
                    self.assertIn(0, rec[200:232])
                else:
                    # Categories 0-9 come in groups of 40 ids; 200 is for formulas only.
                    self.assertEqual((kind, lines), ((ident - 1) // 40, INDICATOR_LINES[ident]))
                    self.assertEqual(rec[200:232], bytes(32))
                self.assertEqual(rec[3], 0)
                self.assertIn(rec[2], (0, 0x20))
                # The name ends before the description the chooser reads at 20, the
                # description before the hot-key text at 67, that before the lines.
                self.assertIn(0, rec[8:20])
                self.assertIn(0, rec[20:67])
                self.assertIn(0, rec[67:72])
                names = [rec[72 + 8 * k:80 + 8 * k] for k in range(8)]
                self.assertTrue(all(0 in n for n in names))
                self.assertEqual(names[lines:], [bytes(8)] * (8 - lines))
                self.assertEqual(rec[136:200], bytes(64))
                self.assertEqual(
                    [cstr(rec[8:20]), cstr(rec[20:67]), cstr(rec[67:72])],
                    [described[ident][k] for k in ('name', 'description', 'hotkey')])
                self.assertEqual([cstr(n) for n in names[:lines]], described[ident]['lines'])
                self.assertTrue(cstr(rec[20:67]))
        line_names = {i: [cstr(rec[72 + 8 * k:80 + 8 * k]) for k in range(3)]
                      for i, (_, rec) in defs.items()}
        self.assertEqual(line_names[45], ['DIF', 'DEA', 'MACD'])
        self.assertEqual(line_names[84], ['K', 'D', 'J'])
        self.assertEqual(cstr(defs[9][1][8:20]), 'K线')
        frequent = {i for i, (_, rec) in defs.items() if rec[2] & 0x20}
        self.assertLessEqual({3, 45, 84, 87, 122, 322}, frequent)

    def test_indicator_parameters(self):
        defs = self.definitions()
        data = self.read('CFG/IDXPARA.TBL')
        self.assertEqual(len(data), 512 * len(defs))
        sets = {}
        for ident, (n, _) in defs.items():
            block = struct.unpack_from('<128i', data, 512 * n)
            period = [list(block[8 * s:8 * s + 8]) for s in range(16)]
            with self.subTest(id=ident):
                self.assertTrue(all(p == period[1] for p in period[1:13]))
                self.assertEqual(period[0] + period[13] + period[14] + period[15], [0] * 32)
                check = PARAMETER_CHECKS.get(ident)
                self.assertTrue(check is None or check(period[1]), period[1])
            sets[ident] = period[1]
        # A formula indicator's block holds its PARAM defaults.
        for formula in self.desc['formulas']:
            defaults = [p['default'] for p in formula['params']]
            self.assertEqual(sets[formula['id']], defaults + [0] * (8 - len(defaults)))
        # The conventional values of the field.
        self.assertEqual(sets[45][:3], [12, 26, 9])
        self.assertEqual(sets[84][:3], [9, 3, 3])
        self.assertEqual(sets[87][:3], [6, 12, 24])
        self.assertEqual(sets[122][0], 20)
        # CR keeps its four fixed averages in its own set.
        self.assertEqual(sets[162][1:5], [10, 20, 40, 62])
        self.assertEqual(self.desc['indicators']['periods'], list(range(1, 13)))

    def test_parameter_labels(self):
        defs = self.definitions()
        sets = {i: list(struct.unpack_from('<8i', self.read('CFG/IDXPARA.TBL'), 512 * n + 32))
                for i, (n, _) in defs.items()}
        sections = ini_sections(os.path.join(self.root, 'CFG', 'IdxPara.ini'))
        described = {r['id']: r for r in self.desc['indicators']['records']}
        self.assertTrue(sections)
        for name, lines in sections.items():
            self.assertTrue(name.startswith('Index#'), name)
            ident = int(name[6:])
            values = dict(line.split('=', 1) for line in lines)
            count = int(values.pop('ParaNum'))
            with self.subTest(id=ident):
                self.assertIn(ident, defs)
                self.assertTrue(1 <= count <= 8)
                self.assertEqual(sorted(values), ['Para%d' % (i + 1) for i in range(count)])
                labels = []
                for i in range(count):
                    # Read back the way the dialog reads it: "%s ,%d,%d".
                    value = values['Para%d' % (i + 1)]
                    match = re.fullmatch(r'(\S+) ,(-?\d+),(-?\d+)', value)
                    self.assertIsNotNone(match, value)
                    label, length, default = match.groups()
                    self.assertGreaterEqual(int(length), len(default))
                    self.assertEqual(int(default), sets[ident][i])
                    labels.append([label, int(length), int(default)])
                self.assertEqual(labels, described[ident]['labels'])
        self.assertEqual(sections['Index#45'][:2], ['ParaNum=3', 'Para1=短期 ,3,12'])
        # Indicators without parameters have no section: the dialog says so.
        self.assertNotIn('Index#9', sections)
        self.assertIn('Index#162', sections)
        self.assertEqual(sections['Index#162'][0], 'ParaNum=1')

    def test_formula_files(self):
        """Each formula indicator's file is where its definition names it, in the
        language, and declares what the definition, the parameter block and the
        dialog's labels say."""
        defs = self.definitions()
        sections = ini_sections(os.path.join(self.root, 'CFG', 'IdxPara.ini'))
        self.assertEqual(len(self.desc['formulas']), 4)
        for formula in self.desc['formulas']:
            ident = formula['id']
            n, rec = defs[ident]
            with self.subTest(id=ident):
                # Not a built-in id, nor the spread chart's, nor the intraday chart's.
                self.assertNotIn(ident, set(INDICATOR_LINES) | {601})
                self.assertLess(ident, 1000)
                rel = 'CFG/' + cstr(rec[200:232])
                self.assertEqual(rel, formula['file'])
                self.assertIn(rel, self.desc['files'])
                raw = self.read(rel)
                self.assertEqual(raw.decode('gbk').split('\r\n')[:-1], formula['lines'])
                text = scan_formula(raw)
                self.assertEqual(text['INDEXDEF'], {'NAME': cstr(rec[8:20]),
                                                    'TITLE': cstr(rec[20:67]),
                                                    'KEY': cstr(rec[67:72])})
                results, params = text['RESULT'], text['PARAM']
                self.assertEqual([r[0] for r in results],
                                 [cstr(rec[72 + 8 * k:80 + 8 * k]) for k in range(len(results))])
                block = self.read('CFG/IDXPARA.TBL')[512 * n:512 * (n + 1)]
                self.assertEqual([p[3] for p in params],
                                 list(struct.unpack_from('<%di' % len(params), block, 32)))
                if params:
                    self.assertEqual(sections['Index#%d' % ident][0], 'ParaNum=%d' % len(params))
        hotkeys = [cstr(rec[67:72]) for _, rec in defs.values() if rec[67]]
        self.assertEqual(len(set(hotkeys)), len(hotkeys))
        fmacd = scan_formula(self.read('CFG/FMACD.FML'))
        self.assertEqual(fmacd['RESULT'], [('DIF', 'LINE'), ('DEA', 'LINE'), ('MACD', 'TBAR')])
        self.assertEqual(fmacd['PARAM'][:2], [('SHORT', 2, 200, 12), ('LONG', 2, 200, 26)])
        self.assertIn('DIFF = MA(CLOSE,SHORT)-MA(CLOSE,LONG)',
                      scan_formula(self.read('CFG/MADIFF.FML'))['BEGIN'])

    def test_default_servers(self):
        bin_dir = os.path.join(self.root, 'bin')
        server = ini_values(os.path.join(bin_dir, 'server.ini'))
        self.assertEqual(server['right'], {
            'svraddr0': '127.0.0.1', 'company0': '模拟行情服务器', 'tel0': '', 'webside0': '',
            'user0': '', 'password0': '', 'save0': '0', 'lastindex': '0'})
        self.assertEqual(server['server'], {'Address': '127.0.0.1', 'Port': '6666',
                                            'R_Port': '6668', 'NoJH': '0'})
        self.assertEqual(server['proxyserver'], {'UseProxy': '0'})
        order = ini_values(os.path.join(bin_dir, 'consign.ini'))
        self.assertEqual((order['login']['ServerCount'], order['login']['ServerSelect']), ('1', '1'))
        # Present and not empty: the client does not convert the file as an older layout.
        self.assertEqual(order['login']['ProxyInuse'], '0')
        group = order['servergroup1']
        self.assertEqual([group[k] for k in ('FirstServer', 'UseServer1', 'Server1IP', 'Server1Port',
                                             'UseServer2', 'UseServer3', 'UseValidate')],
                         ['1', '1', '127.0.0.1', '9001', '0', '0', '0'])
        self.assertTrue(group['ServerName'])
        self.assertNotIn('config', order)
        chat = ini_values(os.path.join(self.root, 'CFG', 'SETTING.INI'))['parameter']
        self.assertEqual((chat['OTSServer'], chat['OTSPort']), ('127.0.0.1', '6656'))
        self.assertEqual(self.desc['servers']['data']['balance_port'], 6669)

    def test_registry_entry(self):
        with open(self.registry, 'rb') as f:
            self.assertEqual(f.read(), SECTION + b'\r\nPath=sz:' + self.root.encode() + b'/\r\n')
        self.assertEqual(self.desc['registry']['data'], self.root + '/')


class FormulaScan(unittest.TestCase):
    """The scan that checks the demo formulas refuses what the language does not
    define, for the right reason."""

    @staticmethod
    def text(params=('N 1 100 5',), results=('X LINE',), variables=('V',), body=('X = 1',)):
        lines = ['INDEXDEF', 'NAME:T', 'END', 'PARAM', *params, 'END', 'RESULT', *results, 'END',
                 'VAR', *variables, 'END', 'BEGIN', *body, 'END']
        return ''.join(line + '\r\n' for line in lines).encode('gbk')

    def test_refusals(self):
        scan_formula(self.text(body=('V = MA(CLOSE,N)', 'X = IF(V > 0, V, 1)')))
        for body, reason in (
                ('X = CLOSE', 'CLOSE is not declared'),       # a field outside a series call
                ('X = MA(C,N)', 'C of MA is no data field'),
                ('X = HHV(HIGH,N)', 'HHV is not declared'),   # no such function
                ('X = REF(CLOSE,0) > 1', '> in a number'),    # comparisons are booleans
                ('X = IF(N, 1, 2)', 'condition without'),
                ('X = N-1+2', 'after the expression'),        # two operators in one group
                ('N = 1', 'no result line or variable'),
                ('X = MAX(N)', "')' where ',' belongs"),    # too few arguments
                ('X = 0-N;', "';' is not a token"),
                ('X = 1 & 1', "'&' is not a token")):
            with self.subTest(body=body):
                with self.assertRaisesRegex(ValueError, re.escape(reason)):
                    scan_formula(self.text(body=(body,)))
        for declarations, reason in (
                ({'params': ['P%d 1 9 5' % k for k in range(9)]}, 'too many'),
                ({'variables': ['V%d' % k for k in range(17)]}, 'too many'),
                ({'variables': ['CLOSE']}, 'CLOSE cannot be declared'),
                ({'variables': ['LONGNAME9']}, 'LONGNAME9 cannot be declared'),
                ({'results': ['X LINE', 'N BAR']}, 'N cannot be declared'),
                ({'results': ['X THICK']}, 'declaration')):
            with self.subTest(declarations=declarations):
                with self.assertRaisesRegex(ValueError, reason):
                    scan_formula(self.text(**declarations))


class Determinism(unittest.TestCase):
    def test_same_seed_same_bytes(self):
        with tempfile.TemporaryDirectory() as tmp:
            for name, seed, now in (('a', 5, 1030), ('b', 5, 1030), ('c', 6, 1030), ('d', 5, 1400)):
                mkinstall.make_installation(os.path.join(tmp, name), seed=seed, registry=False,
                                            now=now)
            a, b, c, d = (tree_bytes(os.path.join(tmp, n)) for n in 'abcd')
            self.assertEqual(a, b)
            self.assertEqual(a.keys(), c.keys())
            self.assertNotEqual(a['data/sh/real.sh'], c['data/sh/real.sh'])
            self.assertNotEqual(a['data/sh/day/600000.day'], c['data/sh/day/600000.day'])
            self.assertEqual(a['data/sh/nametbl.sh'], c['data/sh/nametbl.sh'])
            # A later clock time adds ticks but keeps the history.
            self.assertEqual(a.keys(), d.keys())
            for rel in ('data/sh/day/600000.day', 'data/sh/min/600000.min',
                        'data/shfe/min1/cu0701.m1', 'data/sh/weight/600036.wgt', 'CFG/refline.dat'):
                self.assertEqual(a[rel], d[rel], rel)
            tik = 'data/sh/tick/000001.tik'
            self.assertGreater(len(d[tik]), len(a[tik]))
            self.assertEqual(d[tik][:len(a[tik])], a[tik])


class TradingDay(unittest.TestCase):
    """The clock time decides how far today's ticks and quotes go."""

    def test_clock_times(self):
        cases = [  # now, last tick time of the Shanghai index and of a copper contract
            (845, None, None), (900, None, 900), (930, 930, 930), (1200, 1130, 1130),
            (1600, 1500, 1500),
        ]
        with tempfile.TemporaryDirectory() as tmp:
            for now, index_last, copper_last in cases:
                with self.subTest(now=now):
                    root = os.path.join(tmp, str(now))
                    desc = mkinstall.make_installation(root, registry=False, now=now)
                    history = {h['code']: h for h in desc['histories']}
                    for code, market, last in (('000001', 0, index_last), ('cu0701', 1, copper_last)):
                        h = history[code]
                        quote = desc['markets'][market]['stocks'][h['stock']]['quote']
                        size = os.path.getsize(os.path.join(root, h['ticks']['file']))
                        self.assertEqual(size, 20 * len(h['ticks']['records']))
                        times = [t[2] for t in h['ticks']['records']]
                        if last is None:
                            self.assertEqual(size, 0)
                            self.assertEqual((quote['open'], quote['last'], quote['volume']), (0, 0, 0))
                            self.assertGreater(quote['prev_close'], 0)
                        elif code == '000001':
                            self.assertEqual(times[-1], last)
                        else:
                            self.assertLessEqual(times[-1], last)

    def test_bad_date_or_time_writes_nothing(self):
        with tempfile.TemporaryDirectory() as tmp:
            root = os.path.join(tmp, 'inst')
            for args in (['--today', '20061209'], ['--today', '20061231'], ['--today', '20061232'],
                         ['--now', '2400'], ['--now', '1060'], ['--now', '-5']):
                with self.subTest(args=args):
                    result = subprocess.run([sys.executable, MAKER, root, '--no-registry'] + args,
                                            capture_output=True)
                    self.assertEqual(result.returncode, 1)
                    self.assertIn(b'mkinstall: ', result.stderr)
                    self.assertFalse(os.path.exists(root))
            desc = mkinstall.make_installation(root, registry=False, today=20070101, now=1330)
            self.assertEqual(desc['calendar']['last'], 20061229)
            with open(os.path.join(root, 'data', 'realdata.ini'), 'rb') as f:
                self.assertIn(b'DYNDATE00=20070101\r\n', f.read())


class Servers(unittest.TestCase):
    """The server options: what they write, and what they refuse."""

    def run_maker(self, root, *args):
        return subprocess.run([sys.executable, MAKER, root, '--no-registry', *args],
                              capture_output=True)

    def test_options(self):
        with tempfile.TemporaryDirectory() as tmp:
            root = os.path.join(tmp, 'inst')
            result = self.run_maker(root, '--data-server', '127.0.0.5:0:7001:7002',
                                    '--chat-server', '127.0.0.6:7003', '--gateway', 'gw-1.example:7004')
            self.assertEqual(result.returncode, 0, result.stderr)
            server = ini_values(os.path.join(root, 'bin', 'server.ini'))
            self.assertEqual(server['right']['svraddr0'], '127.0.0.5')
            # No balancing server: the terminal logs in at the data port.
            self.assertEqual(server['server'], {'Address': '127.0.0.5', 'Port': '7001',
                                                'R_Port': '7002', 'NoJH': '1'})
            group = ini_values(os.path.join(root, 'bin', 'consign.ini'))['servergroup1']
            self.assertEqual((group['Server1IP'], group['Server1Port']), ('gw-1.example', '7004'))
            chat = ini_values(os.path.join(root, 'CFG', 'SETTING.INI'))['parameter']
            self.assertEqual((chat['OTSServer'], chat['OTSPort']), ('127.0.0.6', '7003'))

    def test_demo(self):
        # The demo remembers the data server's account and the trader, and adds a
        # futures market of 6-digit product codes, each one the order bridge turns
        # into a contract; the other markets stay as they were.
        with tempfile.TemporaryDirectory() as tmp:
            root = os.path.join(tmp, 'inst')
            manifest = os.path.join(tmp, 'manifest.json')
            result = self.run_maker(root, '--demo', '--describe', manifest)
            self.assertEqual(result.returncode, 0, result.stderr)
            right = ini_values(os.path.join(root, 'bin', 'server.ini'))['right']
            self.assertEqual((right['user0'], right['password0'], right['save0']),
                             ('demo', 'demo', '1'))
            login = ini_values(os.path.join(root, 'bin', 'consign.ini'))['login']
            self.assertEqual((login['SaveName'], login['LoginName']), ('1', '8001'))
            self.assertEqual(ini_values(os.path.join(root, 'CFG', 'TRADING.INI'))['consign']['Exe0'],
                             'consign.exe')
            self.assertEqual(ini_values(os.path.join(root, 'CFG', 'SETTING.INI'))['parameter']
                             ['Directbysell'], '1')
            with open(manifest, encoding='utf-8') as f:
                desc = json.load(f)
            plain = mkinstall.build_model()
            self.assertEqual([m['directory'] for m in desc['markets']],
                             [m.directory for m in plain.markets] + ['qh'])
            market = desc['markets'][-1]
            self.assertEqual((market['index'], market['type']), (len(plain.markets), 2))
            with open(os.path.join(root, 'data', 'qh', 'nametbl.qh'), 'rb') as f:
                names = f.read()
            codes = [names[i + 2:i + 9] for i in range(0, len(names), 32)]
            self.assertEqual(len(codes), len(market['stocks']))
            self.assertIn(b'010001\0', codes)
            self.assertIn(b'020111\0', codes)
            for code in codes:
                self.assertRegex(code, rb'^\d{6}\0$')
                self.assertIsNotNone(demomarket.exchange_code(code[:6].decode(),
                                                              datetime.date.today()))

    def test_bad_options_write_nothing(self):
        cases = [
            ['--data-server', '127.0.0.1:6669:6666'],
            ['--data-server', 'localhost:6669:6666:6668'],
            ['--data-server', '127.0.0.1:7000:6666:6668'],
            ['--data-server', '127.0.0.1:6669:0:6668'],
            ['--chat-server', '127.0.0.1:70000'],
            ['--chat-server', '127.0.0.256:6656'],
            ['--chat-server', '127.0.0.1'],
            ['--gateway', 'gate way:9001'],
            ['--gateway', '127.0.0.1:x'],
            ['--gateway', ':9001'],
        ]
        with tempfile.TemporaryDirectory() as tmp:
            root = os.path.join(tmp, 'inst')
            for args in cases:
                with self.subTest(args=args):
                    result = self.run_maker(root, *args)
                    self.assertEqual(result.returncode, 1)
                    self.assertIn(b'mkinstall: ', result.stderr)
                    self.assertFalse(os.path.exists(root))


class Registry(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.saved = {k: os.environ.get(k) for k in ('LUMO_REGISTRY', 'XDG_CONFIG_HOME')}

    def tearDown(self):
        for k, v in self.saved.items():
            if v is None:
                os.environ.pop(k, None)
            else:
                os.environ[k] = v
        self.tmp.cleanup()

    def test_escaping(self):
        cases = [('/home/u/lumo/', '/home/u/lumo/'), ('a\\b', 'a\\\\b'),
                 ('x\r\ny', 'x\\r\\ny'), ('\\n', '\\\\n')]
        for raw, escaped in cases:
            self.assertEqual(mkinstall.escape_registry_text(raw), escaped)

    def test_existing_store_keeps_other_lines(self):
        store = os.path.join(self.tmp.name, 'registry.ini')
        os.environ['LUMO_REGISTRY'] = store
        cases = [  # existing content, expected content after the maker ran
            (b'[Other]\nA=sz:1\n[hkey_current_user\\software\\lumo\\ver2.0]\nPATH=sz:/old/\nX=dword:3\n',
             b'[Other]\r\nA=sz:1\r\n[hkey_current_user\\software\\lumo\\ver2.0]\r\nPath=sz:ROOT\r\nX=dword:3\r\n'),
            (b'[HKEY_CURRENT_USER\\Software\\Lumo\\Ver2.0]\r\nhMainWnd=dword:12\r\n\r\n[B]\r\nK=sz:v\r\n',
             b'[HKEY_CURRENT_USER\\Software\\Lumo\\Ver2.0]\r\nhMainWnd=dword:12\r\nPath=sz:ROOT\r\n\r\n[B]\r\nK=sz:v\r\n'),
            (b'[B]\r\nK=sz:v',
             b'[B]\r\nK=sz:v\r\n\r\n' + SECTION + b'\r\nPath=sz:ROOT\r\n'),
        ]
        root = os.path.join(self.tmp.name, 'in\\st')
        for before, after in cases:
            with self.subTest(before=before):
                with open(store, 'wb') as f:
                    f.write(before)
                mkinstall.make_installation(root)
                with open(store, 'rb') as f:
                    self.assertEqual(f.read(), after.replace(b'ROOT', (root.replace('\\', '\\\\') + '/').encode()))
        mkinstall.make_installation(root, registry=False)
        with open(store, 'rb') as f:
            self.assertEqual(f.read(), after.replace(b'ROOT', (root.replace('\\', '\\\\') + '/').encode()))

    def test_default_store_under_config_home(self):
        os.environ.pop('LUMO_REGISTRY', None)
        os.environ['XDG_CONFIG_HOME'] = os.path.join(self.tmp.name, 'conf')
        mkinstall.make_installation(os.path.join(self.tmp.name, 'i'))
        with open(os.path.join(self.tmp.name, 'conf', 'lumo', 'registry.ini'), 'rb') as f:
            self.assertTrue(f.read().startswith(SECTION + b'\r\nPath=sz:'))


class Large(unittest.TestCase):
    def test_sixteen_markets_of_4096(self):
        with tempfile.TemporaryDirectory() as tmp:
            desc = mkinstall.make_installation(tmp, seed=3, large=True, registry=False)
            with open(os.path.join(tmp, 'CFG', 'mkinfo.cfg'), 'rb') as f:
                info = f.read()
            self.assertEqual(len(info), 16 * 1504)
            all_codes = set()
            for m, market in enumerate(desc['markets']):
                rec = info[m * 1504:(m + 1) * 1504]
                self.assertEqual(struct.unpack_from('<H', rec, 43)[0], 4096)
                path = os.path.join(tmp, 'data', cstr(rec[17:26]), 'nametbl.' + cstr(rec[26:37]))
                self.assertEqual(os.path.getsize(path), 4096 * 32)
                codes = {s['code'] for s in market['stocks']}
                self.assertEqual(len(codes), 4096)
                self.assertFalse(codes & all_codes)
                all_codes |= codes
            sh = {s['code']: s['name'] for s in desc['markets'][0]['stocks']}
            self.assertEqual(sh['600000'], '浦发银行')
            self.assertEqual(desc['histories'], [])
            self.assertFalse(os.path.exists(os.path.join(tmp, 'data', 'sh', 'day')))
            self.assertEqual(os.path.getsize(os.path.join(tmp, 'CFG', 'ALARM.SET')),
                             10 + 48 * (len(desc['alarms']['pending']) + len(desc['alarms']['triggered'])))


if __name__ == '__main__':
    unittest.main()
