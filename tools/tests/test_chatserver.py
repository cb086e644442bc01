#!/usr/bin/python3
"""Tests of the simulated chat server over loopback, with a small client written here
from the record layout (not from the server's own modules): logins accepted and refused,
presence notices, messages and notices plain and compressed, keepalives, every fault
switch, the control port and the record log."""

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
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SERVER = os.path.join(os.path.dirname(HERE), 'chatserver.py')

KEEPALIVE, LOGIN, REPLY, MESSAGE = 0x1F, 0x21, 0x22, 0x23
NOTICE, ONLINE, OFFLINE = 0x26, 0x27, 0x28
STAFF = [(101, 1, '技术支持小王'), (102, 1, '技术支持小李'), (103, 3, '期货专家张老师')]


def gbk(text):
    return text.encode('gbk')


def record(kind, body=b'', flag=0):
    return struct.pack('<HBB', 4 + len(body), kind, flag) + body


def login_record(name, password, version=4):
    return record(LOGIN, struct.pack('<ii64s64s', version, 2, gbk(name), gbk(password)))


def users_of(body):
    count, = struct.unpack_from('<I', body)
    users = []
    for i in range(count):
        uid, status, role, name, info = struct.unpack_from('<III64s32s', body, 4 + 108 * i)
        users.append((uid, status, role, name.split(b'\0')[0].decode('gbk'),
                      info.split(b'\0')[0].decode('gbk')))
    return users


def text_of(flag, payload):
    return zlib.decompress(payload) if flag == 1 else payload


class Peer:
    """A chat client reduced to its records."""

    def __init__(self, port):
        self.sock = socket.create_connection(('127.0.0.1', port), timeout=5)
        self.buffer = b''

    def close(self):
        self.sock.close()

    def send(self, data):
        self.sock.sendall(data)

    def login(self, name, password, version=4):
        self.send(login_record(name, password, version))
        return self.read(REPLY)

    def enter(self, name, password='123456'):
        """Logs in and returns the users of the first list."""
        result, version, number = struct.unpack('<III', self.login(name, password)[2])
        assert result == 0, result
        return users_of(self.read(ONLINE)[2])

    def read(self, kind=None, timeout=5):
        """The next record as (kind, flag, body); with a kind, it must be that one."""
        self.sock.settimeout(timeout)
        while True:
            if len(self.buffer) >= 4:
                size, got, flag = struct.unpack_from('<HBB', self.buffer)
                if size >= 4 and len(self.buffer) >= size:
                    body, self.buffer = self.buffer[4:size], self.buffer[size:]
                    if kind is not None and got != kind:
                        raise AssertionError('record kind %#x instead of %#x' % (got, kind))
                    return got, flag, body
            data = self.sock.recv(65536)
            if not data:
                raise EOFError('connection closed')
            self.buffer += data

    def quiet(self, wait=0.3):
        """True when nothing arrives for a while."""
        if self.buffer:
            return False
        self.sock.settimeout(wait)
        try:
            data = self.sock.recv(65536)
        except socket.timeout:
            return True
        self.buffer += data
        return False

    def ended(self, timeout=5):
        """True when the server closes the connection in time (records still on the way
        are skipped)."""
        self.sock.settimeout(timeout)
        try:
            while self.sock.recv(65536):
                pass
        except ConnectionResetError:
            pass
        except socket.timeout:
            return False
        return True

    def ping(self):
        """A keepalive round trip: everything sent before has been handled."""
        self.send(record(KEEPALIVE))
        return self.read(KEEPALIVE)


class ServerCase(unittest.TestCase):
    args = []

    def setUp(self):
        self.start(self.args)

    def start(self, args):
        self.dir = tempfile.mkdtemp()
        self.log_path = os.path.join(self.dir, 'chat.log')
        self.proc = subprocess.Popen([sys.executable, SERVER, '--control', '0',
                                      '--log', self.log_path] + list(args),
                                     stdout=subprocess.PIPE, text=True)
        self.addCleanup(self.stop)
        self.port, control = map(int, self.proc.stdout.readline().split())
        self.control = socket.create_connection(('127.0.0.1', control), timeout=10)
        self.replies = self.control.makefile('r', encoding='utf-8')
        self.peers = []

    def stop(self):
        for peer in self.peers:
            peer.close()
        self.control.close()
        self.proc.terminate()
        self.proc.wait(10)
        self.proc.stdout.close()

    def peer(self):
        peer = Peer(self.port)
        self.peers.append(peer)
        return peer

    def ctl(self, **command):
        self.control.sendall((json.dumps(command) + '\n').encode())
        return json.loads(self.replies.readline())

    def ok(self, **command):
        reply = self.ctl(**command)
        self.assertTrue(reply['ok'], reply)
        return reply

    def log(self):
        with open(self.log_path, encoding='utf-8') as f:
            return [json.loads(line) for line in f]


class LoginTest(ServerCase):
    def test_accepted_login_gets_reply_then_the_staff_present(self):
        peer = self.peer()
        result, version, number = struct.unpack('<III', peer.login('user01', '123456')[2])
        self.assertEqual((result, version), (0, 4))
        self.assertGreaterEqual(number, 10001)
        users = users_of(peer.read(ONLINE)[2])
        self.assertEqual([(u[0], u[1], u[2], u[3]) for u in users],
                         [(uid, 1, role, name) for uid, role, name in STAFF])
        self.assertEqual(users[0][4], '交易软件使用')
        other = self.peer()
        self.assertNotEqual(struct.unpack('<III', other.login('user02', '123456')[2])[2], number)

    def test_refused_logins_keep_the_connection(self):
        cases = [('user01', 'wrong', 4, 2), ('nobody', '123456', 4, 2),
                 ('USER01', '123456', 4, 2), ('user01', '123456', 3, 1),
                 ('outdated', '123456', 4, 1), ('crowded', '123456', 4, 3),
                 ('expired', '123456', 4, 4), ('stopped', '123456', 4, 5),
                 ('refused', '123456', 4, 9)]
        for name, password, version, expected in cases:
            with self.subTest(name=name, password=password, version=version):
                peer = self.peer()
                self.assertEqual(struct.unpack('<III', peer.login(name, password, version)[2]),
                                 (expected, 4, 0))
                peer.ping()          # no user list came, and the connection is still open
        self.assertEqual(self.ctl(cmd='wait', **{'for': 'login'}, timeout=0.2),
                         {'ok': False, 'error': 'timeout'})

    def test_session_limit(self):
        first, second, third = self.peer(), self.peer(), self.peer()
        first.enter('single')
        self.assertEqual(struct.unpack('<I', second.login('single', '123456')[2][:4])[0], 3)
        first.close()
        self.ok(cmd='wait', **{'for': 'closed'}, to=1)
        third.enter('single')

    def test_options_for_users_version_and_presence(self):
        self.stop()
        path = os.path.join(tempfile.mkdtemp(), 'users.json')
        with open(path, 'w', encoding='utf-8') as f:
            f.write('{"name": "laoma", "password": "m", "role": 3, "display": "马老师", '
                    '"id": 77, "online": true}\n{"name": "li", "password": "l"}\n')
        self.start(['--users', path, '--user', 'zhang:pw:support:张工', '--online', 'laoma',
                    '--server-version', '3'])
        peer = self.peer()
        self.assertEqual(struct.unpack('<III', peer.login('li', 'l')[2])[:2], (0, 3))
        self.assertEqual([(u[0], u[3]) for u in users_of(peer.read(ONLINE)[2])],
                         [(77, '马老师')])
        staff = self.peer()
        users = staff.enter('zhang', 'pw')
        self.assertEqual([u[3] for u in users], ['马老师', 'li'])

    def test_nobody_present_gives_an_empty_list(self):
        self.stop()
        self.start(['--online', ''])
        peer = self.peer()
        peer.login('user01', '123456')
        kind, flag, body = peer.read(ONLINE)
        self.assertEqual(body, b'\0\0\0\0')


class PresenceTest(ServerCase):
    def test_staff_and_clients_come_and_go(self):
        client = self.peer()
        client.enter('user01')
        expert = self.peer()
        seen = expert.enter('expert02', '222222')
        self.assertEqual([u[0] for u in seen], [101, 102, 103, 201])
        self.assertEqual([u[:4] for u in users_of(client.read(ONLINE)[2])],
                         [(104, 1, 3, '证券专家陈老师')])
        other = self.peer()
        other.enter('user02')
        self.assertEqual([u[0] for u in users_of(expert.read(ONLINE)[2])], [202])
        client.ping()                             # clients do not see each other
        expert.close()
        for peer in (client, other):
            self.assertEqual(peer.read(OFFLINE)[2], struct.pack('<III', 1, 104, 2))

    def test_simulated_users_and_second_sessions(self):
        client = self.peer()
        client.enter('user01')
        self.assertTrue(self.ok(cmd='login', user='expert02')['announced'])
        self.assertEqual(users_of(client.read(ONLINE)[2])[0][0], 104)
        watcher = self.peer()
        watcher.enter('kefu02', '111111')
        again = self.peer()
        again.enter('user01')
        watcher.ping()                            # user01 was already there
        again.close()
        self.ok(cmd='wait', **{'for': 'closed'}, to=3)
        watcher.ping()                            # and still is
        self.ok(cmd='logout', user='expert02')
        for peer in (client, watcher):
            self.assertEqual(peer.read(OFFLINE)[2], struct.pack('<III', 1, 104, 2))
        client.close()
        self.assertEqual(watcher.read(OFFLINE)[2], struct.pack('<III', 1, 201, 2))
        added = self.ok(cmd='login', user={'name': 'wang', 'role': 1, 'display': '王'})
        self.assertEqual(users_of(watcher.read(ONLINE)[2])[0][:4], (added['id'], 1, 1, '王'))


class MessageTest(ServerCase):
    args = ['--autoreply', '请稍候']

    def test_messages_between_client_and_staff(self):
        client, expert = self.peer(), self.peer()
        client.enter('user01')
        expert.enter('expert02', '222222')
        client.read(ONLINE)
        client.send(record(MESSAGE, struct.pack('<I', 104) + gbk('你好')))
        self.assertEqual(expert.read(MESSAGE)[1:], (0, struct.pack('<I', 201) + gbk('你好')))
        long_text = gbk('行情') * 150
        expert.send(record(MESSAGE, struct.pack('<I', 201) + long_text))
        kind, flag, body = client.read(MESSAGE)
        self.assertEqual((flag, body[:4]), (1, struct.pack('<I', 104)))
        self.assertLess(len(body) - 4, len(long_text))
        self.assertEqual(zlib.decompress(body[4:]), long_text)
        client.send(record(MESSAGE, struct.pack('<I', 104) + zlib.compress(b'short', 9), 1))
        self.assertEqual(expert.read(MESSAGE)[1:], (0, struct.pack('<I', 201) + b'short'))

    def test_undeliverable_messages(self):
        client = self.peer()
        client.enter('user01')
        cases = [(record(MESSAGE, struct.pack('<I', 104) + b'x'), 'user offline; dropped'),
                 (record(MESSAGE, struct.pack('<I', 999) + b'x'), 'unknown user; dropped'),
                 (record(MESSAGE, struct.pack('<I', 101) + b'\x78\x9c\x01', 1),
                  'unreadable; dropped'),
                 (record(MESSAGE, struct.pack('<I', 101) + zlib.compress(b'a' * 4097), 1),
                  'unreadable; dropped')]
        for number, (data, route) in enumerate(cases, 1):
            with self.subTest(route=route):
                client.send(data)
                found = self.ok(cmd='wait', **{'for': 'record'}, kind='message', count=number)
                self.assertEqual(found['record']['route'], route)
        client.ping()
        client.send(record(MESSAGE, struct.pack('<I', 101) + b'hello'))
        self.assertEqual(client.read(MESSAGE)[2], struct.pack('<I', 101) + gbk('请稍候'))

    def test_control_texts_plain_and_compressed(self):
        client = self.peer()
        client.enter('user01')
        rng = random.Random(7)
        noise = bytes(rng.randrange(256) for _ in range(300))
        cases = [({'text': '短消息'}, 0, gbk('短消息')),
                 ({'text': 'a', 'repeat': 255}, 0, b'a' * 255),
                 ({'text': 'a', 'repeat': 256}, 1, b'a' * 256),
                 ({'text_hex': noise.hex()}, 0, noise),
                 ({'text': 'abc', 'compress': True}, 1, b'abc'),
                 ({'text': 'a' * 300, 'compress': False}, 0, b'a' * 300),
                 ({'text': 'b' * 4097, 'compress': True}, 1, b'b' * 4097)]
        for fields, flag, text in cases:
            with self.subTest(fields=str(fields)[:40]):
                self.ok(cmd='send', to='user01', **{'from': 'kefu01'}, **fields)
                kind, got_flag, body = client.read(MESSAGE)
                self.assertEqual((got_flag, body[:4]), (flag, struct.pack('<I', 101)))
                self.assertEqual(text_of(flag, body[4:]), text)
                self.ok(cmd='notice', to=1, **fields)
                kind, got_flag, body = client.read(NOTICE)
                self.assertEqual((got_flag, text_of(flag, body)), (flag, text))

    def test_multi_send_notices_and_exact_payloads(self):
        first, second, stranger = self.peer(), self.peer(), self.peer()
        first.enter('user01')
        second.enter('user02')
        self.ok(cmd='send', **{'from': 'kefu02'}, to=['user01', 'user02'], text='收盘提醒')
        for peer in (first, second):
            self.assertEqual(peer.read(MESSAGE)[2], struct.pack('<I', 102) + gbk('收盘提醒'))
        self.ok(cmd='notice', text='系统维护')
        for peer in (first, second):
            self.assertEqual(peer.read(NOTICE)[2], gbk('系统维护'))
        stranger.ping()                            # not logged in: no notice
        self.ok(cmd='send', **{'from': 5}, to=1, payload_hex='', flag=1)
        self.assertEqual(first.read(MESSAGE)[1:], (1, struct.pack('<I', 5)))


class KeepaliveTest(ServerCase):
    def test_keepalive_is_answered_unless_switched_off(self):
        early, late = self.peer(), self.peer()
        self.assertEqual(early.ping(), (KEEPALIVE, 0, b''))
        late.enter('user01')
        late.ping()
        self.ok(cmd='fault', to=1, keepalive_reply=False)
        early.send(record(KEEPALIVE))
        self.assertTrue(early.quiet())
        late.ping()
        self.ok(cmd='fault', keepalive_reply=False)
        late.send(record(KEEPALIVE))
        self.assertTrue(late.quiet())


class FaultTest(ServerCase):
    def test_split_sends_pieces_in_time(self):
        self.ok(cmd='fault', split=1, split_delay=100)
        peer = self.peer()
        began = time.monotonic()
        peer.send(record(KEEPALIVE))
        pieces = [peer.sock.recv(100) for _ in range(4)]
        self.assertGreaterEqual(time.monotonic() - began, 0.29)
        self.assertEqual(pieces, [b'\x04', b'\x00', b'\x1f', b'\x00'])
        self.ok(cmd='fault', split=7, split_delay=1)
        self.assertEqual(len(peer.enter('user01')), 3)

    def test_join_puts_records_into_one_write(self):
        self.ok(cmd='fault', join=200)
        peer = self.peer()
        peer.send(login_record('user01', '123456'))
        peer.sock.settimeout(5)
        self.assertEqual(len(peer.sock.recv(65536)), 16 + 8 + 3 * 108)

    def test_bad_lengths(self):
        for length, expected in [(0, b'\x00\x00\x26\x00ab'), (1, b'\x01\x00\x26\x00ab'),
                                 (5000, b'\x88\x13\x26\x00ab' + bytes(4994))]:
            with self.subTest(length=length):
                peer = self.peer()
                peer.ping()
                self.ok(cmd='fault', to='last', length=length)
                self.ok(cmd='notice', to='last', text='ab')
                got = b''
                while len(got) < len(expected):
                    got += peer.sock.recv(65536)
                self.assertEqual(got, expected)

    def test_silent_and_noread(self):
        quiet, other = self.peer(), self.peer()
        quiet.ping()
        other.ping()
        self.ok(cmd='fault', to=1, silent=True)
        quiet.send(record(KEEPALIVE))
        self.assertTrue(quiet.quiet())
        other.ping()
        self.ok(cmd='fault', to=2, noread=True)
        other.send(record(KEEPALIVE))
        self.assertTrue(other.quiet())
        self.ok(cmd='fault', to=2, noread=False)
        other.read(KEEPALIVE)
        dropped = [e for e in self.log() if e.get('dropped')]
        self.assertEqual([(e['conn'], e['fault']) for e in dropped], [(1, 'silent')])

    def test_noread_backs_up_the_sender(self):
        self.stop()
        self.start(['--noread', '--rcvbuf', '4096'])
        peer = self.peer()
        peer.sock.setsockopt(socket.SOL_SOCKET, socket.SO_SNDBUF, 4096)
        peer.sock.setblocking(False)
        ka, sent = record(KEEPALIVE) * 256, 0
        with self.assertRaises(BlockingIOError):
            while sent < 64 << 20:
                sent += peer.sock.send(ka)
        peer.sock.setblocking(True)
        self.ok(cmd='fault', noread=False)
        self.ok(cmd='wait', **{'for': 'record'}, kind='keepalive', count=sent // 4, timeout=20)

    def test_close_switches(self):
        peer = self.peer()
        peer.ping()
        self.ok(cmd='close', to=1)
        self.assertTrue(peer.ended())
        peer = self.peer()
        peer.ping()
        self.ok(cmd='close', to='last', reset=True)
        time.sleep(0.1)
        with self.assertRaises(ConnectionResetError):
            peer.sock.recv(100)
        self.ok(cmd='fault', close_after=2)
        peer = self.peer()
        peer.send(login_record('user01', '123456'))
        peer.read(REPLY)
        peer.read(ONLINE)
        self.assertRaises(EOFError, peer.read)
        self.ok(cmd='fault', close_after=0)
        peer = self.peer()
        self.assertEqual(peer.sock.recv(100), b'')


class ClientInputTest(ServerCase):
    def test_split_and_joined_records_from_the_client(self):
        peer = self.peer()
        data = login_record('user01', '123456') + record(KEEPALIVE)
        for byte in data[:-4]:
            peer.send(bytes([byte]))
        peer.read(REPLY)
        peer.send(data[-4:] + record(KEEPALIVE))
        peer.read(ONLINE)
        peer.read(KEEPALIVE)
        peer.read(KEEPALIVE)

    def test_bad_records_close_the_connection(self):
        for data in [b'\x00\x00\x1f\x00', b'\x03\x00\x1f', b'\x88\x13\x23\x00' + bytes(8),
                     record(LOGIN, bytes(20))]:
            with self.subTest(data=data[:4].hex()):
                peer = self.peer()
                peer.send(data)
                self.assertTrue(peer.ended())


class ControlAndLogTest(ServerCase):
    def test_raw_lists_and_replies(self):
        peer = self.peer()
        peer.enter('user01')
        self.ok(cmd='raw', to='user01', hex='0500ee0001')
        self.assertEqual(peer.read(0xEE), (0xEE, 0, b'\x01'))
        self.ok(cmd='users', to=1, count=5,
                users=['kefu01', {'id': 9, 'status': 4, 'role': 2, 'name_hex': 'ab' * 64}])
        body = peer.read(ONLINE)[2]
        self.assertEqual(len(body), 4 + 2 * 108)
        self.assertEqual(struct.unpack_from('<IIII', body, 4 + 108), (9, 4, 2, 0xABABABAB))
        self.assertEqual(body[:4], struct.pack('<I', 5))
        self.assertEqual(body[4 + 108 + 12:4 + 108 + 76], b'\xab' * 64)
        self.ok(cmd='offline', to=1, pairs=[[103, 4]], users=['kefu01'])
        self.assertEqual(peer.read(OFFLINE)[2], struct.pack('<IIIII', 2, 103, 4, 101, 2))
        self.ok(cmd='reply', to=1, result=0, version=3, number=7)
        self.assertEqual(peer.read(REPLY)[2], struct.pack('<III', 0, 3, 7))

    def test_state_waits_and_errors(self):
        peer = self.peer()
        peer.enter('user01')
        state = self.ok(cmd='state')
        self.assertEqual([(c['conn'], c['user']) for c in state['connections']],
                         [(1, 'user01')])
        self.assertEqual([u['id'] for u in state['online']], [101, 102, 103, 201])
        self.assertEqual(self.ok(cmd='wait', **{'for': 'login'}, user='user01')['conn'], 1)
        self.assertEqual(self.ok(cmd='wait', **{'for': 'connect'})['conn'], 1)
        self.ok(cmd='notice', to=1, text='x' * 60000, compress=False)
        self.ok(cmd='wait', **{'for': 'flushed'}, to='user01')
        self.assertEqual(len(peer.read(NOTICE)[2]), 60000)
        for command in [{'cmd': 'nope'}, {'cmd': 'send', 'to': 'user02', 'text': 'x'},
                        {'cmd': 'fault', 'split': -1}, {'cmd': 'fault', 'bogus': 1},
                        {'cmd': 'send', 'from': 'kefu01', 'to': 1}, {'cmd': 'raw', 'to': 9}]:
            with self.subTest(command=command):
                self.assertFalse(self.ctl(**command)['ok'])
        self.control.sendall(b'not json\n')
        self.assertFalse(json.loads(self.replies.readline())['ok'])
        self.ok(cmd='notice', text='still here')
        peer.read(NOTICE)

    def test_log_lines(self):
        client = self.peer()
        client.enter('user01')
        client.send(record(MESSAGE, struct.pack('<I', 101) + zlib.compress(b'z' * 400, 9), 1))
        self.ok(cmd='wait', **{'for': 'record'}, kind='message')
        client.close()
        self.ok(cmd='wait', **{'for': 'closed'}, to=1)
        lines = self.log()
        events = [e['event'] for e in lines if 'event' in e]
        self.assertEqual(events, ['accept', 'close'])
        records = [(e['dir'], e['name']) for e in lines if 'dir' in e]
        self.assertEqual(records, [('in', 'login'), ('out', 'login_reply'),
                                   ('out', 'users_online'), ('in', 'message')])
        login, reply, users, message = [e for e in lines if 'dir' in e]
        self.assertEqual((login['fields']['name'], login['fields']['password'],
                          login['length'], login['result']), ('user01', '123456', 140, 0))
        self.assertEqual(reply['fields']['result'], 0)
        self.assertEqual(users['fields']['users'][0]['name'], '技术支持小王')
        self.assertTrue(message['compressed'])
        self.assertEqual((message['fields']['id'], message['fields']['text'],
                          message['fields']['text_len'], message['route'], message['user']),
                         (101, 'z' * 400, 400, 'simulated user', 'user01'))


if __name__ == '__main__':
    unittest.main()
