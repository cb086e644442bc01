#!/usr/bin/python3
"""Tests of the installation maker: records re-read at their byte offsets, text
files as GBK with CRLF, the same bytes for the same seed, the registry entry."""

import json
import os
import struct
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
MAKER = os.path.join(os.path.dirname(HERE), 'mkinstall.py')
sys.path.insert(0, os.path.dirname(HERE))

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


def cstr(raw):
    return raw.split(b'\0', 1)[0].decode('gbk')


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
        self.assertTrue(os.path.isdir(os.path.join(self.root, 'bin')))
        self.assertEqual(os.listdir(os.path.join(self.root, 'bin')), [])
        on_disk = sorted(p.replace(os.sep, '/') for p in tree_bytes(self.root) if p != 'manifest.json')
        self.assertEqual(self.desc['files'], on_disk)
        for rel in ('CFG/SETTING.INI', 'CFG/mkinfo.cfg', 'CFG/systime.dat', 'CFG/blocks.ini',
                    'CFG/blkinfo.ini', 'CFG/Brokerlist.dbf', 'data/realdata.ini',
                    'data/sh/nametbl.sh', 'data/sh/real.sh',
                    'data/shfe/nametbl.shfe', 'data/shfe/real.shfe'):
            self.assertIn(rel, on_disk)

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
            if not rel.endswith(('.ini', '.INI')):
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

    def test_registry_entry(self):
        with open(self.registry, 'rb') as f:
            self.assertEqual(f.read(), SECTION + b'\r\nPath=sz:' + self.root.encode() + b'/\r\n')
        self.assertEqual(self.desc['registry']['data'], self.root + '/')


class Determinism(unittest.TestCase):
    def test_same_seed_same_bytes(self):
        with tempfile.TemporaryDirectory() as tmp:
            for name, seed in (('a', 5), ('b', 5), ('c', 6)):
                mkinstall.make_installation(os.path.join(tmp, name), seed=seed, registry=False)
            a, b, c = (tree_bytes(os.path.join(tmp, n)) for n in 'abc')
            self.assertEqual(a, b)
            self.assertEqual(a.keys(), c.keys())
            self.assertNotEqual(a['data/sh/real.sh'], c['data/sh/real.sh'])
            self.assertEqual(a['data/sh/nametbl.sh'], c['data/sh/nametbl.sh'])


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


if __name__ == '__main__':
    unittest.main()
