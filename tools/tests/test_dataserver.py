#!/usr/bin/python3
"""Tests of the simulated data server: the WMC15 encoder against a decoder written here
from the stream format, and the server program over loopback with a small client of its
own (logins, the requests and their multi-frame answers, the real-time subscription and
pushes, every fault switch, the frame log and the control port), serving an installation
made by the installation maker."""

import collections
import json
import os
import random
import socket
import struct
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
TOOLS = os.path.dirname(HERE)
SERVER = os.path.join(TOOLS, 'dataserver.py')
MAKER = os.path.join(TOOLS, 'mkinstall.py')
sys.path.insert(0, TOOLS)

from datasrv import wmc15  # noqa: E402

HEAD = struct.Struct('<BBHHHBB')


# A WMC15 decoder written from the stream format, apart from the server's encoder.

class DecodeError(Exception):
    def __init__(self, code):
        super().__init__(code)
        self.code = code


def decode(data, capacity=None):
    """(bytes, counts of the widen, reset and being-defined codes met)."""
    data = bytes(data)
    if data[:5] != b'WMC15':
        raise DecodeError(203)
    state = {'pos': 5, 'mask': 0x80, 'byte': 0}

    def read(width):
        value, bit = 0, 1 << (width - 1)
        while bit:
            if state['mask'] == 0x80:
                if state['pos'] >= len(data):
                    raise DecodeError(203)
                state['byte'] = data[state['pos']]
                state['pos'] += 1
            if state['mask'] & state['byte']:
                value |= bit
            bit >>= 1
            state['mask'] >>= 1
            if not state['mask']:
                state['mask'] = 0x80
        return value

    out = bytearray()
    seen = collections.Counter()
    while state['pos'] < len(data):
        prefix, suffix = {}, {}
        next_free, width = 259, 9

        def expand(code):
            string = bytearray()
            while code > 255:
                if code not in prefix or len(string) >= 35023:
                    raise DecodeError(206)
                string.append(suffix[code])
                code = prefix[code]
            string.append(code)
            string.reverse()
            return string

        code = read(width)
        if code == 256:
            return bytes(out), seen
        if code > 255:
            raise DecodeError(206)
        out.append(code)
        prev, first = code, code
        while state['pos'] < len(data):
            if capacity is not None and len(out) > capacity - 5:
                raise DecodeError(201)
            code = read(width)
            if code == 256:
                return bytes(out), seen
            if code == 258:
                seen['reset'] += 1
                break
            if code == 257:
                width += 1
                seen['widen'] += 1
                if width > 16:
                    raise DecodeError(206)
                continue
            if code > next_free or next_free >= 35023:
                raise DecodeError(206)
            if code == next_free:
                seen['defining'] += 1
                string = expand(prev) + bytes([first])
            else:
                string = expand(code)
            first = string[0]
            out += string
            prefix[next_free], suffix[next_free] = prev, first
            next_free += 1
            prev = code
        seen['width'] = max(seen['width'], width)
    return bytes(out), seen


class Wmc15Tests(unittest.TestCase):
    def test_round_trips(self):
        rng = random.Random(7)
        text = ('沪深两市午后震荡走高，成交量较上午有所放大。' * 40).encode('gbk')
        cases = [
            ('empty', b'', {}),
            ('one byte', b'A', {}),
            ('text', text, {}),
            ('ascii text', b'TOBEORNOTTOBEORTOBEORNOT#' * 50, {}),
            ('random 16000', bytes(rng.getrandbits(8) for _ in range(16000)), {}),
            ('long run', b'a' * 100000, {}),
            ('two-byte run', b'ab' * 30000, {}),
            ('reset every code', bytes(rng.getrandbits(2) for _ in range(3000)),
             {'dict_end': 259}),
            ('small dictionary', text * 3, {'dict_end': 600}),
            ('full dictionary', bytes(rng.getrandbits(8) for _ in range(70000)), {}),
            ('without end code', text, {'end_code': False}),
            ('random without end code', bytes(rng.getrandbits(8) for _ in range(999)),
             {'end_code': False}),
        ]
        for name, data, options in cases:
            with self.subTest(name):
                stream = wmc15.encode(data, **options)
                self.assertEqual(stream[:5], b'WMC15')
                out, seen = decode(stream)
                self.assertEqual(out, data)
                if name == 'long run':
                    self.assertGreater(seen['defining'], 0)
                    self.assertLess(len(stream), 2000)
                if name in ('reset every code', 'small dictionary', 'full dictionary'):
                    self.assertGreater(seen['reset'], 0)
                if name == 'full dictionary':
                    self.assertEqual(seen['width'], 16)
                if name == 'random 16000':
                    self.assertGreaterEqual(seen['widen'], 5)

    def test_stream_edges(self):
        # "WMC15" and the end code in 9 bits: 1000 0000 0(000 0000).
        self.assertEqual(wmc15.encode(b''), b'WMC15\x80\x00')
        # The literal 'A' (0 0100 0001) then 256.
        self.assertEqual(wmc15.encode(b'A'), b'WMC15' + bytes([0b00100000, 0b11000000, 0]))
        with self.assertRaises(ValueError):
            wmc15.encode(b'x', dict_end=35024)

    def test_frame_sized_bodies_fit_the_receivers_buffer(self):
        rng = random.Random(3)
        data = bytes(rng.choice(b'0123456789') for _ in range(16000))
        self.assertEqual(decode(wmc15.encode(data), capacity=16384)[0], data)


# The server over loopback.

def make_installation(root):
    subprocess.run([sys.executable, MAKER, root, '--no-registry'], check=True,
                   stdout=subprocess.DEVNULL)


class Server:
    def __init__(self, install, *options, host='127.0.0.1'):
        self.dir = tempfile.mkdtemp()
        self.log = os.path.join(self.dir, 'frames.log')
        self.host = host
        self.process = subprocess.Popen(
            [sys.executable, SERVER, '--install', install, '--host', host, '--control', '0',
             '--log', self.log, '--tick', '0'] + list(options),
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        line = self.process.stdout.readline()
        if not line:
            raise RuntimeError(self.process.stderr.read())
        self.ports = {k: int(v) for k, v in (item.split('=') for item in line.split())}
        self.control = socket.create_connection((host, self.ports['control']), timeout=5)
        self.control_file = self.control.makefile('rw', encoding='utf-8')

    def command(self, **command):
        self.control_file.write(json.dumps(command) + '\n')
        self.control_file.flush()
        reply = json.loads(self.control_file.readline())
        if not reply.get('ok'):
            raise AssertionError(reply)
        return reply

    def connect(self, listener='data'):
        return Peer(self.host, self.ports[listener])

    def stop(self):
        self.control_file.close()
        self.control.close()
        self.process.terminate()
        self.process.wait(5)
        self.process.stdout.close()
        self.process.stderr.close()


Frame = collections.namedtuple('Frame', 'type count index compressed raw body')


class Peer:
    def __init__(self, host, port):
        self.sock = socket.create_connection((host, port), timeout=5)
        self.buffer = b''

    def close(self):
        self.sock.close()

    def send(self, frame_type, body=b''):
        raw = HEAD.pack(0x40, frame_type, 1, 0, len(body), 0, 0) + body
        self.sock.sendall(raw)
        return raw

    def receive(self, n, timeout=5):
        deadline = time.monotonic() + timeout
        while len(self.buffer) < n:
            self.sock.settimeout(max(0.01, deadline - time.monotonic()))
            data = self.sock.recv(65536)
            if not data:
                raise EOFError('closed after %d bytes' % len(self.buffer))
            self.buffer += data
        out, self.buffer = self.buffer[:n], self.buffer[n:]
        return out

    def frame(self, timeout=5):
        head = self.receive(10, timeout)
        marker, kind, count, index, size, flag, _ = HEAD.unpack(head)
        if marker != 0x40:
            raise AssertionError('bad marker %r' % head)
        raw = self.receive(size, timeout)
        body = decode(raw, 16384)[0] if flag else raw
        return Frame(kind, count, index, flag, head + raw, body)

    def answer(self, timeout=5):
        """The frames of one answer, checked for a consistent count and order."""
        frames = [self.frame(timeout)]
        while frames[-1].index < frames[0].count - 1:
            frames.append(self.frame(timeout))
        for i, f in enumerate(frames):
            if (f.type, f.count, f.index) != (frames[0].type, frames[0].count, i):
                raise AssertionError('frame %d of the answer: %r' % (i, f[:3]))
        return frames

    def quiet(self, wait=0.4):
        self.sock.settimeout(wait)
        try:
            data = self.sock.recv(65536)
        except socket.timeout:
            return True
        self.buffer += data
        return False

    def login(self, user=b'demo', password=b'demo', value=0):
        self.send(3, user.ljust(16, b'\0') + password.ljust(44, b'\0') +
                  struct.pack('<I', value))
        return self.frame()


def read_file(root, *parts):
    with open(os.path.join(root, *parts), 'rb') as f:
        return f.read()


def wire_code(code, size):
    return code.ljust(size, b'\0')


class ServerTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.root = os.path.join(cls.tmp.name, 'inst')
        make_installation(cls.root)

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def start(self, *options, host='127.0.0.1'):
        server = Server(self.root, *options, host=host)
        self.addCleanup(server.stop)
        return server

    def peer(self, server, listener='data'):
        peer = server.connect(listener)
        self.addCleanup(peer.close)
        return peer

    def logged_in(self, server):
        peer = self.peer(server)
        self.assertEqual(peer.login().type, 3)
        return peer


class LoginTests(ServerTest):
    def test_accepted_on_both_listeners(self):
        server = self.start()
        for listener in ('balance', 'data'):
            with self.subTest(listener):
                peer = self.peer(server, listener)
                answer = peer.login()
                self.assertEqual(answer.type, 3)
                body = answer.body
                self.assertEqual(len(body), 58)
                date = struct.unpack_from('<H', body)[0]
                self.assertEqual((date >> 9, date >> 5 & 15, date & 31), (6, 12, 8))
                self.assertEqual(body[2:50], b'\xff' * 48)
                self.assertEqual(body[50:54], socket.inet_aton('127.0.0.1'))
                value = struct.unpack_from('<I', body, 54)[0]
                self.assertNotEqual(value, 0)
                again = peer.login(value=value).body
                self.assertEqual(struct.unpack_from('<I', again, 54)[0], value)

    def test_refused(self):
        server = self.start()
        peer = self.peer(server)
        cases = [(b'demo', b'wrong', 2, '密码错误'), (b'nobody', b'x', 1, '用户不存在'),
                 (b'locked', b'locked', 7, '该帐号已被停用')]
        for user, password, code, text in cases:
            with self.subTest(user):
                answer = peer.login(user, password)
                self.assertEqual(answer.type, 2)
                self.assertEqual(answer.body[2], code)
                self.assertEqual(answer.body[3:], text.encode('gbk') + b'\0')
        logins = server.command(cmd='status')['logins']
        self.assertEqual([(x['name'], x['accepted'], x['code']) for x in logins],
                         [('demo', False, 2), ('nobody', False, 1), ('locked', False, 7)])

    def test_users_file_and_own_address(self):
        users = os.path.join(self.tmp.name, 'users.json')
        with open(users, 'w', encoding='utf-8') as f:
            json.dump([{'name': '张三', 'password': '', 'rights': '80' + '00' * 47},
                       {'name': 'gone', 'password': 'p', 'refuse_code': 9,
                        'refuse_text': '过期'}], f)
        server = self.start('--users', users, '--data-address', '10.1.2.3',
                            host='127.0.0.7')
        peer = self.peer(server, 'balance')
        body = peer.login('张三'.encode('gbk'), b'').body
        self.assertEqual(body[2:50], b'\x80' + b'\0' * 47)
        self.assertEqual(body[50:54], bytes([10, 1, 2, 3]))
        refused = peer.login(b'gone', b'p')
        self.assertEqual((refused.type, refused.body[2], refused.body[3:]),
                         (2, 9, '过期'.encode('gbk') + b'\0'))
        self.assertEqual(peer.login(b'demo', b'demo').body[2], 1)

    def test_data_listener_serves_only_after_a_login(self):
        server = self.start()
        peer = self.peer(server)
        not_logged_in = (2, b'\0\0\x03' + '请先登录'.encode('gbk') + b'\0')
        peer.send(202, b'\0' * 4)
        self.assertEqual(peer.frame()[::5], not_logged_in)
        peer.send(1)
        self.assertTrue(peer.quiet(), 'a heartbeat is never answered')
        self.assertEqual(peer.login(b'demo', b'wrong').body[2], 2)
        peer.send(12, history_body(8, 0, b'600000'))
        self.assertEqual(peer.frame()[::5], not_logged_in)
        value = struct.unpack_from('<I', peer.login().body, 54)[0]
        peer.send(202, b'\0' * 4)
        self.assertEqual(peer.frame().type, 202)

        # Login values: only one the server gave, and only to the user it gave it to.
        balance = self.peer(server, 'balance')
        given = struct.unpack_from('<I', balance.login(b'test', b'test').body, 54)[0]
        unknown = (2, b'\0\0\x04' + '登录信息无效，请重新登录'.encode('gbk') + b'\0')
        cases = [('never issued', b'demo', (value ^ given) | 1, unknown),
                 ('another user\'s', b'demo', given, unknown),
                 ('from the balancing server', b'test', given, None),
                 ('held from this server', b'demo', value, None)]
        for name, user, held, expected in cases:
            with self.subTest(name):
                other = self.peer(server)
                answer = other.login(user, user, held)
                if expected:
                    self.assertEqual(answer[::5], expected)
                    other.send(202, b'\0' * 4)
                    self.assertEqual(other.frame()[::5], not_logged_in)
                else:
                    self.assertEqual(answer.type, 3)
                    self.assertEqual(struct.unpack_from('<I', answer.body, 54)[0], held)

    def test_balancing_listener_answers_logins_only(self):
        server = self.start()
        peer = self.peer(server, 'balance')
        peer.send(202, b'\0' * 4)
        self.assertTrue(peer.quiet())
        self.assertEqual(peer.login().type, 3)


def history_body(kind, market, code, start=0, end=0):
    return bytes([kind, market]) + wire_code(code, 12) + struct.pack('<II', start, end)


def packed(y, mo, d, h=0, mi=0):
    return mi | h << 6 | d << 11 | mo << 16 | y << 20


class RequestTests(ServerTest):
    def test_requests_and_their_answers(self):
        server = self.start('--max-body', '400', '--compress', 'never')
        peer = self.logged_in(server)
        root = self.root
        day = read_file(root, 'data', 'sh', 'day', '600000.day')
        ticks = read_file(root, 'data', 'sh', 'tick', '600000.tik')
        weights = read_file(root, 'data', 'sh', 'weight', '600000.wgt')
        start = packed(2006, 12, 1)
        news = read_file(root, 'data', 'info', 'news.ntl')
        article = read_file(root, 'data', 'info', '00001210.txt')
        sh_names = read_file(root, 'data', 'sh', 'nametbl.sh')

        def in_range(records, low, size=32):
            return b''.join(records[i:i + size] for i in range(0, len(records), size)
                            if struct.unpack_from('<I', records, i)[0] >= low)

        # (name, frame, body, answer type, prefix of every frame, content of all frames)
        cases = [
            ('name table', 6, b'\0', 6, b'\0', sh_names),
            ('day history', 12, history_body(8, 0, b'600000'), 12,
             b'\x08\x00' + wire_code(b'600000', 12), day),
            ('day history from a date', 12, history_body(9, 0, b'600000', start), 12,
             b'\x09\x00' + wire_code(b'600000', 12), in_range(day, start)),
            ('ticks from index 3', 20, b'\0\0' + wire_code(b'600000', 8) +
             struct.pack('<I', 3), 20, b'\0\0' + wire_code(b'600000', 12), ticks[60:]),
            ('weights', 18, b'\0' + b'\0' * 4 + wire_code(b'600000', 8), 18,
             b'\0' * 5 + wire_code(b'600000', 8), weights),
            ('no weights', 18, b'\0' + b'\0' * 4 + wire_code(b'000001', 8), 18,
             b'\0' * 5 + wire_code(b'000001', 8), b''),
            ('news index', 15, b'\0\0' + struct.pack('<ii', 0, 1209), 15, b'\0\0',
             b''.join(bytes([0, news[i] >> 1]) + news[i + 8:i + 10] + news[i + 4:i + 8] +
                      news[i + 12:i + 92] for i in range(len(news) - 2 * 108, len(news), 108))),
            ('news text', 15, b'\x02\x02' + struct.pack('<ii', 20061208, 1210), 15,
             b'\x02\x02', article),
        ]
        for name, kind, body, answer_type, prefix, content in cases:
            with self.subTest(name):
                peer.send(kind, body)
                frames = peer.answer()
                self.assertEqual(frames[0].type, answer_type)
                for f in frames:
                    self.assertEqual(f.body[:len(prefix)], prefix)
                    self.assertLessEqual(len(f.body), 400)
                self.assertEqual(b''.join(f.body[len(prefix):] for f in frames), content)
                if len(content) > 400:
                    self.assertGreater(len(frames), 1)

    def test_more_requests(self):
        server = self.start()
        peer = self.logged_in(server)
        shfe = read_file(self.root, 'data', 'shfe', 'nametbl.shfe')

        def ask(kind, body):
            peer.send(kind, body)
            frames = peer.answer()
            return frames[0].type, b''.join(f.body for f in frames)

        kind, body = ask(6, b'\x01')
        self.assertEqual(kind, 6)
        records = [body[1 + 32 * i:33 + 32 * i] for i in range((len(body) - 1) // 32)]
        self.assertEqual(len(records), len(shfe) // 32)
        self.assertEqual(records[0][2:9], b'cu0612\0')
        self.assertEqual(struct.unpack_from('<H', records[5], 28)[0], 5)

        kind, body = ask(21, b'\0' + b'\0' * 4 + wire_code(b'600000', 8))
        self.assertEqual(kind, 21)
        self.assertIn('浦发银行'.encode('gbk'), body[13:])

        kind, body = ask(102, b'\x01' + wire_code(b'cu0612', 8))
        self.assertEqual((kind, len(body), body[:9]), (102, 253, b'\x01' + wire_code(b'cu0612', 8)))
        bids, asks = struct.unpack_from('<HH', body, 9)
        self.assertTrue(1 <= bids <= 40 and 1 <= asks <= 40)
        # Each side opens with a flagged entry whose number is the price level
        # (1, 2 ...), counted up along the side.
        for side, count in ((0, bids), (1, asks)):
            entries = [struct.unpack_from('<BH', body, 13 + 120 * side + 3 * k) for k in range(count)]
            levels = [number for flag, number in entries if flag]
            self.assertEqual(entries[0], (1, 1))
            self.assertEqual(levels, list(range(1, len(levels) + 1)))

        kind, body = ask(203, b'\0' * 4)
        self.assertEqual(kind, 203)
        self.assertIn('系统消息'.encode('gbk'), body[4:])

        kind, body = ask(204, struct.pack('<i', 0))
        self.assertEqual((kind, struct.unpack_from('<i', body)[0]), (204, 1))
        self.assertEqual(ask(204, struct.pack('<i', 1)), (2, bytes([204, 0, 0, 0])))

        kind, body = ask(16, b'\0\0' + struct.pack('<II', 0, 5))
        self.assertEqual((kind, body[:2], (len(body) - 2) % 108), (16, b'\0\0', 0))
        notes = [body[2 + 108 * i:110 + 108 * i] for i in range((len(body) - 2) // 108)]
        self.assertEqual([struct.unpack_from('<H', n, 4)[0] for n in notes], [5, 6])
        name = notes[0][90:106]
        kind, text = ask(16, b'\x01\x00' + name + b'\0\0')
        self.assertEqual((kind, text[:2]), (16, b'\x01\x00'))
        self.assertIn(notes[0][6:6 + 10], text)

        entries = [5 << 4, 6 << 4, 0xFFF0]
        ranking = bytes([15]) + struct.pack('<IH', 0, 3) + \
            struct.pack('<3H', *entries).ljust(512, b'\0')
        kind, body = ask(101, ranking)
        self.assertEqual((kind, len(body)), (101, 1 + 3 * 10))
        quote = read_file(self.root, 'data', 'sh', 'real.sh')[5 * 124:6 * 124]
        prev, last = struct.unpack_from('<I', quote, 0)[0], struct.unpack_from('<I', quote, 16)[0]
        self.assertEqual(struct.unpack_from('<Hff', body, 1), (5 << 4, last, prev))
        self.assertEqual(struct.unpack_from('<Hff', body, 21), (0xFFF0, 0.0, 0.0))

        kind, body = ask(101, bytes([4]) + struct.pack('<IH', 1, 0) + b'\0' * 512)
        self.assertEqual((kind, len(body)), (101, 1 + 35 * 7))

        stats = struct.pack('<2H', 5 << 4, 1).ljust(512, b'\0') + struct.pack('<H', 2)
        kind, body = ask(9, stats)
        self.assertEqual((kind, len(body)), (9, 2 * 27))
        self.assertEqual(struct.unpack_from('<H', body, 27)[0], 1)

        self.assertEqual(ask(202, b'\0' * 4), (202, struct.pack('<i', 0)))
        for name, kind_sent, body in [
                ('unknown code', 12, history_body(8, 0, b'999999')),
                ('unknown market', 20, b'\0\x09' + b'x' * 12),
                ('short body', 12, b'\x08'),
                ('no text', 15, b'\x02\x01' + struct.pack('<ii', 0, 4242))]:
            with self.subTest(name):
                self.assertEqual(ask(kind_sent, body), (2, bytes([kind_sent, 0, 0, 0])))
        peer.send(1)
        self.assertTrue(peer.quiet())

    def test_compressed_answers(self):
        server = self.start('--compress', 'always')
        peer = self.logged_in(server)
        peer.send(12, history_body(4, 0, b'600000'))
        frames = peer.answer()
        self.assertTrue(all(f.compressed for f in frames))
        self.assertTrue(all(f.raw[10:15] == b'WMC15' for f in frames))
        self.assertEqual(b''.join(f.body[14:] for f in frames),
                         read_file(self.root, 'data', 'sh', 'min', '600000.min'))
        server.command(cmd='set', compress='never')
        peer.send(12, history_body(4, 0, b'600000'))
        self.assertFalse(any(f.compressed for f in peer.answer()))

    def test_frame_log_is_byte_exact(self):
        server = self.start()
        peer = self.peer(server)
        sent = [peer.send(3, b'demo'.ljust(16, b'\0') + b'demo'.ljust(48, b'\0')),
                peer.send(1), peer.send(203, b'\0' * 4)]
        peer.frame()
        peer.answer()
        deadline = time.monotonic() + 5
        while server.command(cmd='status')['frames'] < 3 and time.monotonic() < deadline:
            time.sleep(0.02)
        with open(server.log, encoding='utf-8') as f:
            lines = [json.loads(line) for line in f]
        self.assertEqual([bytes.fromhex(x['hex']) for x in lines], sent)
        self.assertEqual([(x['listener'], x['type'], x['size']) for x in lines],
                         [('data', 3, 64), ('data', 1, 0), ('data', 203, 4)])
        self.assertEqual(server.command(cmd='frames', since=1)['frames'], lines[1:])


def subscription(entries, new, flag=1):
    return struct.pack('<%dH' % len(entries), *entries).ljust(512, b'\0') + \
        struct.pack('<HHH', len(entries), new, flag)


def records(frame):
    return [frame.body[i:i + 124] for i in range(0, len(frame.body), 124)]


class RealtimeTests(ServerTest):
    def test_subscription_and_pushes(self):
        server = self.start('--clock', '1031')
        peer = self.peer(server, 'realtime')
        shfe = read_file(self.root, 'data', 'shfe', 'real.shfe')
        peer.send(100, subscription([5 << 4, 1, 0], 2))
        first = records(peer.frame())
        self.assertEqual(len(first), 3)
        self.assertEqual(first[0], struct.pack('<HH', 0, 151) + b'\0' * 120)
        real = read_file(self.root, 'data', 'sh', 'real.sh')[5 * 124:6 * 124]
        self.assertEqual(first[1], b'\0\0\0\0' + real[0:32] + real[40:120] +
                         b'600000\0\0')
        futures = shfe[0:124]
        self.assertEqual(first[2][52:56], futures[120:124])
        self.assertEqual(first[2][116:124], b'cu0612\0\0')
        status = server.command(cmd='status')['connections']
        self.assertEqual(status[0]['subscription'],
                         {'entries': [80, 1, 0], 'count': 3, 'new': 2, 'flag': 1})

        reply = server.command(cmd='quote', market=0, code='600000', last=6500, volume=500000)
        pushed = records(peer.frame())
        self.assertEqual(pushed, [bytes.fromhex(reply['record'])])
        self.assertEqual(struct.unpack_from('<I', pushed[0], 20)[0], 6500)
        server.command(cmd='quote', market=0, code='600036', last=1)
        self.assertTrue(peer.quiet(0.3))

        reply = server.command(cmd='news', type=2, title='突发消息')
        flash = records(peer.frame())[0]
        self.assertEqual(flash[:2], b'\xff\x02')
        self.assertEqual(struct.unpack_from('<H', flash, 2)[0], reply['id'])
        self.assertEqual(flash[8:8 + 9], '突发消息'.encode('gbk') + b'\0')
        news = self.logged_in(server)
        news.send(15, b'\x02\x02' + struct.pack('<ii', 0, reply['id']))
        self.assertIn('突发消息'.encode('gbk'), news.frame().body)

        server.command(cmd='clock', hhmm=1345)
        self.assertEqual(records(peer.frame()), [struct.pack('<HH', 0, 345) + b'\0' * 120])

        server.command(cmd='step', n=20)
        for record in records(peer.frame()):
            self.assertIn(struct.unpack_from('<H', record)[0], (0, 1))
            self.assertIn(record[116:124].rstrip(b'\0'), (b'600000', b'000001', b'cu0612'))

    def test_walk_moves_quotes_by_itself(self):
        server = self.start('--tick', '0.05', '--clock', '1000', '--news-every', '0.2')
        peer = self.peer(server, 'realtime')
        peer.send(100, subscription([s << 4 for s in range(35)], 35))
        peer.frame()
        kinds = collections.Counter()
        deadline = time.monotonic() + 5
        while (not kinds['quote'] or not kinds['news']) and time.monotonic() < deadline:
            for record in records(peer.frame()):
                kinds['news' if record[0] == 0xFF else 'clock' if record[116] == 0
                      else 'quote'] += 1
        self.assertTrue(kinds['quote'] and kinds['news'], kinds)


class FaultTests(ServerTest):
    def test_control_faults(self):
        server = self.start('--max-body', '200', '--compress', 'never')
        version = struct.pack('<i', 0)

        def split(peer):
            peer.sock.settimeout(5)
            first = peer.sock.recv(100)
            peer.buffer = first
            self.assertEqual(len(first), 3)
            self.assertEqual(peer.frame().body, version)

        def coalesce(peer):
            peer.sock.settimeout(5)
            data = peer.sock.recv(65536)
            count, pos = struct.unpack_from('<H', data, 2)[0], 0
            for index in range(count):
                head = HEAD.unpack_from(data, pos)
                self.assertEqual(head[1:4], (12, count, index))
                pos += 10 + head[4]
            self.assertEqual((count > 1, pos), (True, len(data)))

        def garbage(peer):
            self.assertEqual(peer.receive(3), b'\x01\x02\x03')
            self.assertEqual(peer.frame().body, version)

        def oversize(peer):
            big = peer.frame()
            self.assertEqual((big.type, len(big.raw)), (12, 9010))
            self.assertEqual(peer.frame().body, version)

        def drop(peer):
            self.assertTrue(peer.quiet())
            peer.send(202, b'\0' * 4)
            self.assertEqual(peer.frame().body, version)

        def delay(peer):
            peer.send(203, b'\0' * 4)
            self.assertEqual(peer.frame().type, 203)
            self.assertEqual(peer.frame(timeout=2).type, 202)

        def close(peer):
            self.assertEqual(peer.receive(4), b'\x40\xca\x01\x00')
            with self.assertRaises(EOFError):
                peer.receive(1)

        def reset(peer):
            with self.assertRaises(ConnectionResetError):
                peer.receive(1)

        cases = [
            ('split', {'fault': 'split', 'at': [3, 12], 'pause_ms': 300}, 202, split),
            ('coalesce', {'fault': 'coalesce'}, 12, coalesce),
            ('garbage', {'fault': 'garbage', 'hex': '010203'}, 202, garbage),
            ('oversize', {'fault': 'oversize', 'size': 9000, 'type': 12}, 202, oversize),
            ('drop', {'fault': 'drop', 'on': 202}, 202, drop),
            ('delay', {'fault': 'delay', 'ms': 600, 'on': 202}, 202, delay),
            ('close', {'fault': 'close', 'send': 4}, 202, close),
            ('reset', {'fault': 'reset'}, 202, reset),
        ]
        for name, fault, request, check in cases:
            with self.subTest(name):
                peer = self.logged_in(server)
                server.command(cmd='fault', **fault)
                peer.send(request, history_body(8, 0, b'600000') if request == 12
                          else b'\0' * 4)
                check(peer)
                self.assertEqual(server.command(cmd='status')['faults'], [])

    def test_realtime_faults_and_resynchronisation(self):
        server = self.start()
        peer = self.peer(server, 'realtime')
        peer.send(100, subscription([5 << 4], 1))
        peer.frame()
        server.command(cmd='fault', listener='realtime', fault='garbage', hex='00ff4102')
        server.command(cmd='fault', listener='realtime', fault='oversize', size=8192,
                       skip=1)
        server.command(cmd='quote', market=0, code='600000', last=6400)
        self.assertEqual(peer.receive(4), bytes.fromhex('00ff4102'))
        self.assertEqual(struct.unpack_from('<I', peer.frame().body, 20)[0], 6400)
        server.command(cmd='quote', market=0, code='600000', last=6401)
        big = peer.frame()
        self.assertEqual((big.type, len(big.body)), (8, 8192))
        self.assertEqual(struct.unpack_from('<I', peer.frame().body, 20)[0], 6401)

    def test_command_line_switches(self):
        cases = [
            ('silent', ['--silent'], 'silent'),
            ('close after one frame', ['--close-after', '1'], 'eof'),
            ('reset after one frame', ['--reset-after', '1'], 'reset'),
            ('drop one ring answer', ['--drop', '1'], 'drop'),
            ('split every frame', ['--split-at', '2', '--split-pause', '300'], 'split'),
            ('late answers', ['--delay', '300'], 'late'),
        ]
        for name, options, expect in cases:
            with self.subTest(name):
                server = self.start(*options)
                peer = self.peer(server)
                peer.send(3, b'demo'.ljust(16, b'\0') + b'demo'.ljust(48, b'\0'))
                if expect == 'silent':
                    self.assertTrue(peer.quiet(0.5))
                    continue
                if expect == 'split':
                    peer.sock.settimeout(5)
                    self.assertEqual(len(peer.sock.recv(100)), 2)
                    continue
                started = time.monotonic()
                self.assertEqual(peer.frame().type, 3)
                if expect == 'late':
                    self.assertGreaterEqual(time.monotonic() - started, 0.25)
                    continue
                peer.send(203, b'\0' * 4)
                if expect == 'eof':
                    with self.assertRaises(EOFError):
                        peer.frame()
                elif expect == 'reset':
                    with self.assertRaises(ConnectionResetError):
                        peer.frame()
                else:
                    self.assertTrue(peer.quiet())
                    peer.send(203, b'\0' * 4)
                    self.assertEqual(peer.frame().type, 203)

    def test_bad_options_and_commands(self):
        for options in (['--max-body', '5'], ['--fault', '{"fault": "melt"}'],
                        ['--clock', '2460']):
            with self.subTest(options):
                result = subprocess.run([sys.executable, SERVER, '--install', self.root] +
                                        options, capture_output=True, text=True, timeout=10)
                self.assertEqual(result.returncode, 2)
        server = self.start()
        for command in ({'cmd': 'melt'}, {'cmd': 'fault', 'fault': 'split'},
                        {'cmd': 'quote', 'code': 'nope'}):
            server.control_file.write(json.dumps(command) + '\n')
            server.control_file.flush()
            self.assertFalse(json.loads(server.control_file.readline())['ok'])


if __name__ == '__main__':
    unittest.main()
