#!/usr/bin/python3
"""Tests of the simulated trade gateway: the checksum and DES against reference values,
the key chains against an independent receiver and sender written here, and the gateway
program over loopback with a small client of its own (hello, login, queries, orders,
statements, the fault switches, the packet log and the control port)."""

import binascii
import datetime
import io
import json
import os
import random
import select
import socket
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import zipfile

from cryptography.hazmat.primitives.ciphers import Cipher, modes

try:
    from cryptography.hazmat.decrepit.ciphers.algorithms import TripleDES
except ImportError:
    from cryptography.hazmat.primitives.ciphers.algorithms import TripleDES

HERE = os.path.dirname(os.path.abspath(__file__))
TOOLS = os.path.dirname(HERE)
GATEWAY = os.path.join(TOOLS, 'gateway.py')
sys.path.insert(0, TOOLS)

import demomarket  # noqa: E402
import mkinstall  # noqa: E402
from tradegw import cipher, crc, keys  # noqa: E402

EXEMPT = {68, 158, 161, 204}
HELLO = bytes.fromhex('0100000000000050080000000000000000')


# Reference pieces written apart from the gateway's own: DES straight from the library,
# the CRC from binascii.

def des(key, block, decrypt=False):
    c = Cipher(TripleDES(key), modes.ECB())
    op = c.decryptor() if decrypt else c.encryptor()
    return op.update(block) + op.finalize()


def blocks(key, body, decrypt=False):
    whole = len(body) // 8 * 8
    return des(key, body[:whole], decrypt) + body[whole:] if whole else body


def checksum(body):
    return struct.pack('<H', binascii.crc_hqx(body, 0) if body else 0)


class Chain:
    """One direction of the key chain as a peer follows it."""

    def __init__(self):
        self.key = b'MOLTRAVE'

    def seal(self, code, body):
        wire = body if code in EXEMPT else blocks(self.key, body)
        new = b'%08d' % random.randint(10000000, 18999998)
        field = des(self.key, new)
        self.key = new
        return wire, field

    def open(self, code, wire, field, ok=True):
        body = wire if code in EXEMPT or not ok else blocks(self.key, wire, True)
        self.key = des(self.key, field, True)
        return body


class Packet:
    def __init__(self, raw, text, body, ok):
        self.raw = raw
        self.marker = raw[0:1]
        self.code, self.flags, self.status, self.text_len, self.body_len = \
            struct.unpack('>BBBHH', raw[1:8])
        self.text = text.decode('gbk')
        self.body = body
        self.checksum_ok = ok


def text_at(body, offset, width):
    return body[offset:offset + width].split(b'\0', 1)[0].decode('gbk')


class Client:
    """A tiny order client: framing, checksum and both key chains."""

    def __init__(self, port, timeout=5.0):
        self.sock = socket.create_connection(('127.0.0.1', port), timeout=timeout)
        self.out, self.inc, self.on = Chain(), Chain(), False
        self.account = b''

    def close(self):
        self.sock.close()

    def send(self, code, body=b'', marker=b'*'):
        wire, field = (body, bytes(8))
        if self.on:
            wire, field = self.out.seal(code, body)
        header = marker + struct.pack('>BBBHH', code, 3, 0, 0, len(wire)) + checksum(wire)
        self.sock.sendall(header + field + bytes(30) + wire)

    def read(self, count):
        data = b''
        while len(data) < count:
            chunk = self.sock.recv(count - len(data))
            if not chunk:
                raise ConnectionError('closed')
            data += chunk
        return data

    def recv(self):
        raw = self.read(48)
        text_len, body_len = struct.unpack('>HH', raw[4:8])
        text, wire = self.read(text_len), self.read(body_len)
        ok = raw[8:10] == checksum(wire)
        body = self.inc.open(raw[1], wire, raw[10:18], ok) if self.on else wire
        return Packet(raw, text, body, ok)

    def answer(self, code):
        """Reads packets up to the first one of code."""
        while True:
            packet = self.recv()
            if packet.code == code:
                return packet

    def answers(self, code):
        """All packets of a multi-packet answer, up to the one with the last flag."""
        packets = [self.answer(code)]
        while not packets[-1].flags & 1:
            packets.append(self.answer(code))
        return packets

    def hello(self):
        self.send(0, HELLO)
        packet = self.answer(128)
        self.on = packet.status == 0 and packet.body[:1] == b'\x01'
        return packet

    def login(self, account, password, kind=1):
        body = bytearray(99)
        body[0:7] = b'consign'
        raw = account if isinstance(account, bytes) else account.encode()
        body[10:10 + len(raw)] = raw
        body[30:30 + len(password)] = password.encode()
        body[46:55] = b'127.0.0.1'
        body[62], body[63] = ord('*'), kind
        self.send(50, bytes(body))
        answer = self.answer(178)
        if answer.status == 0:
            self.account = raw
        return answer

    def query(self, code, extra=b'', user=None, marker=b'*', trader=b''):
        """A query body: the user id at 1, 21 and 31, the trader id at 11."""
        user = self.account if user is None else user
        body = bytearray(61)
        body[0] = marker[0]
        for offset in (1, 21, 31):
            body[offset:offset + len(user)] = user
        body[11:11 + len(trader)] = trader
        body[41:41 + len(extra)] = extra
        self.send(code, bytes(body), marker)

    def procedure(self, kind, customer, params=(), name=b'', user=None):
        user = self.account if user is None else user
        body = bytearray(188)
        body[0:len(user)] = user
        body[10:10 + len(customer)] = customer.encode()
        body[20] = kind
        for i, value in enumerate(params):
            raw = value.encode('gbk')
            body[21 + 20 * i:21 + 20 * i + len(raw)] = raw
        body[147:147 + len(name)] = name
        self.send(88, bytes(body))


def order_body(customer, contract, volume, price, flags, trade_code, account='8001'):
    body = bytearray(132)
    for offset, value in ((0, account), (10, customer), (20, contract), (44, price),
                          (60, '0001'), (76, trade_code), (104, 'consign')):
        body[offset:offset + len(value)] = value.encode()
    struct.pack_into('>i', body, 40, volume)
    struct.pack_into('>i', body, 68, volume)
    body[74], body[75] = ord('n'), flags
    return bytes(body)


class GatewayProcess:
    """The gateway program on a free loopback port, with its packet log."""

    def __init__(self, *args, control=False):
        self.dir = tempfile.TemporaryDirectory()
        self.log = os.path.join(self.dir.name, 'packets.jsonl')
        command = [sys.executable, GATEWAY, '--log', self.log] + list(args)
        if control:
            command += ['--control', '0']
        self.proc = subprocess.Popen(command, stdout=subprocess.PIPE, text=True)
        self.clients = []
        ports = self.proc.stdout.readline().split()
        self.port = int(ports[0])
        self.control_port = int(ports[1]) if control else None

    def client(self, **kw):
        self.clients.append(Client(self.port, **kw))
        return self.clients[-1]

    def control(self, **command):
        with socket.create_connection(('127.0.0.1', self.control_port), timeout=5) as sock:
            sock.sendall((json.dumps(command) + '\n').encode())
            return json.loads(sock.makefile().readline())

    def entries(self):
        with open(self.log, encoding='utf-8') as f:
            return [json.loads(line) for line in f]

    def stop(self):
        for client in self.clients:
            client.close()
        self.proc.terminate()
        self.proc.wait(5)
        self.proc.stdout.close()
        self.dir.cleanup()


class Checksum(unittest.TestCase):
    def test_values(self):
        cases = [(b'123456789', 0x31C3), (b'abc', 0x9DD6), (b'', 0)]
        for data, value in cases:
            with self.subTest(data=data):
                self.assertEqual(crc.body_checksum(data), value)
        self.assertEqual(crc.wire_checksum(b'abc'), b'\xd6\x9d')   # low byte first
        self.assertEqual(crc.body_checksum(bytes(5121)), 0)
        rng = random.Random(7)
        for size in (1, 7, 8, 13, 500, 5120):
            data = bytes(rng.randrange(256) for _ in range(size))
            self.assertEqual(crc.crc16(data), binascii.crc_hqx(data, 0))


class Des(unittest.TestCase):
    def test_reference_vectors(self):
        cases = [('133457799BBCDFF1', '0123456789ABCDEF', '85E813540F0AB405'),
                 (b'MOLTRAVE'.hex(), b'12345678'.hex(), '1A6BA62866C0B955'),
                 (b'MOLTRAVE'.hex(), '00' * 8, 'FCC2C63E6CC46CC7')]
        for key, plain, enciphered in cases:
            with self.subTest(key=key, plain=plain):
                key, plain = bytes.fromhex(key), bytes.fromhex(plain)
                self.assertEqual(cipher.encrypt_block(key, plain).hex().upper(), enciphered)
                self.assertEqual(cipher.decrypt_block(key, bytes.fromhex(enciphered)), plain)

    def test_tail_stays_plain(self):
        body = bytes(range(13))
        wire = cipher.encipher_body(b'MOLTRAVE', body)
        self.assertEqual(wire[:8], cipher.encrypt_block(b'MOLTRAVE', body[:8]))
        self.assertEqual(wire[8:], body[8:])
        self.assertEqual(cipher.decipher_body(b'MOLTRAVE', wire), body)
        self.assertEqual(cipher.encipher_body(b'MOLTRAVE', b'abc'), b'abc')


class KeyChain(unittest.TestCase):
    # code, body: an order, an exempt quote, an empty body, a 13-byte body, another order.
    PACKETS = [(52, bytes(range(132))), (204, bytes(range(96))), (60, b''),
               (1, b'thirteen byte'), (180, bytes(range(100, 232)))]

    def test_gateway_chain_followed_by_peer(self):
        """Packets sealed by the gateway, one spoiled in transit, followed by a receiver
        that starts at the initial key and deciphers each key field with the last key."""
        sender = keys.SessionCipher(random.Random(1))
        sender.on = True
        receiver, fields = Chain(), set()
        for number, (code, body) in enumerate(self.PACKETS):
            wire, field, before, after = sender.seal(code, body)
            self.assertNotEqual(before, after)
            self.assertEqual(len(after), 8)
            self.assertTrue(after.isdigit())
            fields.add(field)
            if code in EXEMPT or len(body) < 8:
                self.assertEqual(wire, body)
            else:
                self.assertNotEqual(wire[:8], body[:8])
                self.assertEqual(wire[len(body) // 8 * 8:], body[len(body) // 8 * 8:])
            spoiled = number == 2
            self.assertEqual(receiver.open(code, wire, field, not spoiled), body)
            self.assertEqual(receiver.key, after)
        self.assertEqual(len(fields), len(self.PACKETS))

    def test_peer_chain_followed_by_gateway(self):
        """Packets sealed by a peer and opened by the gateway, including a checksum
        mismatch that leaves the body as it came but still moves the key on."""
        sender, gateway = Chain(), keys.SessionCipher(random.Random(2))
        gateway.on = True
        for number, (code, body) in enumerate(self.PACKETS):
            before = sender.key
            wire, field = sender.seal(code, body)
            ok = number != 3
            opened, key_before, key_after = gateway.open(code, wire, field, ok)
            self.assertEqual(opened, body if ok else wire)
            self.assertEqual((key_before, key_after), (before, sender.key))

    def test_off_changes_nothing(self):
        chain = keys.SessionCipher(random.Random(3))
        wire, field, before, after = chain.seal(52, b'12345678')
        self.assertEqual((wire, field, before, after),
                         (b'12345678', bytes(8), b'MOLTRAVE', b'MOLTRAVE'))


class Loopback(unittest.TestCase):
    def test_hello_and_login(self):
        for mode in ('on', 'off'):
            with self.subTest(encipher=mode):
                gateway = GatewayProcess('--encipher', mode)
                try:
                    self.check_session(gateway, mode == 'on')
                finally:
                    gateway.stop()

    def check_session(self, gateway, enciphered):
        client = gateway.client()
        hello = client.hello()
        self.assertEqual((hello.status, hello.body[0], hello.body[1:]),
                         (0, int(enciphered), HELLO[1:]))
        refused = client.login('8001', 'wrong')
        self.assertEqual((refused.status, refused.text), (1, '交易密码错误'))
        login = client.login('8001', '123456')
        self.assertTrue(login.checksum_ok)
        self.assertEqual(login.status, 0)
        self.assertEqual(text_at(login.body, 33, 10), 'ABCQ')
        self.assertEqual(text_at(login.body, 43, 8), time.strftime('%Y%m%d'))
        self.assertRegex(text_at(login.body, 51, 8), r'^\d\d:\d\d:\d\d$')
        client.query(60)
        orders = client.answer(188)
        self.assertEqual((orders.flags, orders.body_len), (1, 2 * 188))
        self.assertEqual(struct.unpack('>i', orders.body[20:24])[0], 1001)
        self.assertEqual(text_at(orders.body, 35, 10), 'cu2512')
        ping = bytearray(40)
        struct.pack_into('>IIIIHH', ping, 20, 9, 0, 1700000000, 0, 0, 5)
        client.send(127, bytes(ping))
        pong = client.answer(255)
        self.assertEqual(struct.unpack('>HH', pong.body[36:40]), (1, 4))
        self.assertEqual(pong.body[:32], bytes(ping[:32]))
        client.close()
        time.sleep(0.2)
        log = gateway.entries()
        received = [e for e in log if e.get('dir') == 'in']
        self.assertEqual([e['code'] for e in received], [0, 50, 50, 60, 127])
        self.assertEqual(received[4]['body'], bytes(ping).hex())
        self.assertEqual(received[4]['enciphered'], enciphered)
        self.assertEqual(received[4]['wire'] != received[4]['body'], enciphered)
        sent = [e for e in log if e.get('dir') == 'out']
        self.assertEqual([e['code'] for e in sent], [128, 178, 178, 188, 255])
        self.assertEqual(sent[0]['key_before'], b'MOLTRAVE'.hex())
        if enciphered:
            # The key of each packet is the one the previous packet announced.
            for earlier, later in zip(sent[1:], sent[2:]):
                self.assertEqual(earlier['key_after'], later['key_before'])
        self.assertEqual(log[-1]['event'], 'close')

    def test_long_customer_number(self):
        """A packed customer number is answered with the account it stands for."""
        cases = [(bytes([0x85, 0x23, 0x45, 0x67, 0x89, 0xA1]) + b'+++', '000000', 0, '1234567890'),
                 (bytes([0x88, 0x73, 0x39, 0x59, 0x11, 0x23, 0x45, 0x67, 0x89]), '333333', 0,
                  '10000003'),
                 (bytes([0x88, 0x23, 0x45, 0x67, 0x89, 0xA1, 0x23, 0x45, 0x67]), '333333', 1, '')]
        gateway = GatewayProcess()
        try:
            client = gateway.client()
            client.hello()
            for packed, password, status, rights in cases:
                with self.subTest(packed=packed.hex()):
                    answer = client.login(packed, password)
                    self.assertEqual((answer.status, text_at(answer.body, 33, 10)),
                                     (status, rights))
        finally:
            gateway.stop()


class Answers(unittest.TestCase):
    """One gateway holding one packet per list answer record, so that every list comes in
    several packets; a trader logged in."""

    @classmethod
    def setUpClass(cls):
        cls.gateway = GatewayProcess('--records-per-packet', '1', control=True)

    @classmethod
    def tearDownClass(cls):
        cls.gateway.stop()

    def setUp(self):
        self.client = self.gateway.client()
        self.client.hello()
        self.assertEqual(self.client.login('8001', '123456').status, 0)

    def test_list_in_packets(self):
        self.client.query(58)
        packets = self.client.answers(186)
        self.assertEqual([p.flags for p in packets], [0] + [2] * 4 + [3])
        self.assertEqual(text_at(packets[0].body, 12, 10), 'cu2512')

    def test_order_answer_report_and_deal(self):
        # A buy above the ask fills at once; a sell far from the bid rests and is cancelled.
        self.client.send(52, order_body('10000002', 'al2512', 3, '19900', 0x03, '81000002'),
                         marker=b'S')
        answer, report, deal = (self.client.recv() for _ in range(3))
        self.assertEqual([answer.code, report.code, deal.code], [180, 130, 67])
        self.assertEqual((answer.status, answer.marker, chr(answer.body[74])), (0, b'S', 'n'))
        number = struct.unpack('>i', answer.body[52:56])[0]
        self.assertEqual((chr(report.body[74]), text_at(report.body, 30, 10) != ''), ('a', True))
        self.assertEqual(struct.unpack('>i', deal.body[68:72])[0], number)
        self.assertEqual(struct.unpack('>i', deal.body[72:76])[0], 3)
        self.assertEqual(text_at(deal.body, 76, 8), '19810')
        self.client.send(52, order_body('10000002', 'al2512', 1, '20000', 0x02, '81000002'))
        resting = self.client.answer(180)
        self.client.answer(130)
        self.client.send(53, resting.body)
        cancel, cancelled = self.client.answer(181), self.client.answer(131)
        self.assertEqual((chr(cancel.body[74]), chr(cancelled.body[74])), ('f', 'd'))
        self.client.send(53, resting.body)
        self.assertEqual(self.client.answer(181).status, 1)
        refused = order_body('10000002', 'al2512', 1, '99999', 0x03, '81000002')
        self.client.send(52, refused)
        answer = self.client.answer(180)
        self.assertEqual((answer.status, answer.text), (1, '委托价格超出涨跌停板'))

    def test_batch_member_without_trade_code(self):
        # A batch member comes without a trade code: the customer's own one is taken,
        # and a customer without a code on that exchange is refused.
        self.client.send(39, order_body('10000002', 'al2512', 1, '19900', 0x03, ''), marker=b'S')
        self.assertEqual(self.client.answer(167).status, 0)
        self.client.send(52, order_body('10000002', 'al2512', 1, '19900', 0x03, ''), marker=b'S')
        answer = self.client.answer(180)
        self.assertEqual((answer.status, text_at(answer.body, 76, 10)), (0, '81000002'))
        self.client.send(39, order_body('10000002', 'SR601', 1, '5210', 0x03, ''), marker=b'Z')
        self.assertEqual(self.client.answer(167).text, '交易编码错误')

    def test_statement_archive(self):
        self.client.procedure(22, '10000001', ('10000001',))
        packets = self.client.answers(216)
        # The first packet creates the file, the later ones append.
        self.assertGreater(len(packets), 1)
        self.assertEqual([p.flags & 2 for p in packets], [2] + [0] * (len(packets) - 1))
        archive = b''
        for packet in packets:
            self.assertEqual(packet.body_len, 576)
            self.assertEqual(text_at(packet.body, 10, 10), '10000001')
            count = int(text_at(packet.body, 21, 20))
            archive += packet.body[61:61 + count]
        with zipfile.ZipFile(io.BytesIO(archive)) as z:
            text = z.read('10000001.txt').decode('gbk')
        self.assertIn('客户号：10000001', text)
        self.assertIn('\r\n', text)

    def test_procedure_texts(self):
        self.client.procedure(38, '')
        rows = ''.join(text_at(p.body, 61, 512) for p in self.client.answers(216))
        fields = rows.split('|')[:-1]
        self.assertEqual(len(fields) % 13, 0)
        records = [fields[i:i + 13] for i in range(0, len(fields), 13)]
        self.assertEqual(records[-1][0], '{合计}')
        self.assertIn(['10000001', 'cu2512', '0', '3'], [r[:4] for r in records])
        self.client.procedure(4, '10000002', ('10000002',))
        banks = text_at(self.client.answer(216).body, 61, 512)
        self.assertEqual(banks, '10000002|2|农业银行|6228480200002222|RMB|Z|')
        # Answers whose value is the text after the last separator.
        self.client.procedure(23, '10000001', ('10000001',))
        state = text_at(self.client.answer(216).body, 61, 512).rsplit('|', 1)[1]
        self.assertEqual((len(state), state[9]), (10, '0'))
        self.client.procedure(1, '10000001', ('10000001', 'cu2512', '62310'))
        lots = text_at(self.client.answer(216).body, 61, 512).rsplit('|', 1)[1]
        self.assertRegex(lots, r'^可开手数:\d+$')

    def test_transfer(self):
        body = bytearray(169)
        for offset, value in ((14, '2'), (15, '8001'), (25, '10000002'), (35, '100.00'),
                              (51, '222222'), (67, '2222'), (83, '01'),
                              (86, '6228480200002222')):
            body[offset:offset + len(value)] = value.encode()
        self.client.send(34, bytes(body))
        answer = self.client.answer(162)
        self.assertEqual(answer.status, 0)
        serial = text_at(answer.body, 0, 14)
        self.client.procedure(3, '10000002', (serial, '10000002'))
        result = text_at(self.client.answer(216).body, 61, 512).split('|')
        self.assertEqual(result[8:11], ['100.00', '处理成功', '成功'])

    def test_control_commands(self):
        reply = self.gateway.control(cmd='exchange', letter='S', state=1)
        self.assertTrue(reply['ok'])
        pushed = self.client.answer(139)
        self.assertEqual((pushed.marker, pushed.body), (b'S', b'\x00\x01'))
        self.gateway.control(cmd='gateway', state='P')
        self.assertEqual(self.client.answer(254).raw[38:39], b'P')
        self.client.send(52, order_body('10000003', 'cu2512', 2, '62000', 0x03, '81000003'))
        number = struct.unpack('>i', self.client.answer(180).body[52:56])[0]
        reply = self.gateway.control(cmd='deal', order=number, volume=1)
        self.assertEqual(reply['deals'], 1)
        deal = self.client.answer(67)
        self.assertEqual((struct.unpack('>i', deal.body[68:72])[0], chr(deal.body[112])),
                         (number, 'p'))
        conn = self.gateway.control(cmd='list')['connections'][-1]['conn']
        self.assertEqual(self.gateway.control(cmd='kick', conn=conn, text='强制退出')['sent'], [conn])
        kicked = self.client.answer(179)
        self.assertEqual((kicked.text, text_at(kicked.body, 21, 20)), ('强制退出', '强制退出'))
        self.assertEqual(self.client.sock.recv(10), b'')


class DemoContracts(unittest.TestCase):
    """--demo: the contracts of the demo installation's futures market, named as the
    terminal's order bridge names them and priced so that the terminal's ask is taken."""

    def test_exchange_codes(self):
        cases = [('010003', (2005, 6, 1), 'cu0603'), ('010006', (2005, 6, 30), 'cu0506'),
                 ('010012', (2026, 12, 11), 'cu2612'), ('020101', (2026, 12, 11), 'm2701'),
                 ('030509', (2029, 10, 2), 'CF009'), ('030511', (2029, 10, 2), 'CF911')]
        for code, day, contract in cases:
            with self.subTest(code=code, day=day):
                self.assertEqual(demomarket.exchange_code(code, datetime.date(*day))[0], contract)
        for code in ('990001', '01000', '0100ab', '021001'):
            self.assertIsNone(demomarket.exchange_code(code, datetime.date(2026, 1, 1)))

    def test_listed_and_ordered_at_the_terminals_ask(self):
        gateway = GatewayProcess('--demo', '--records-per-packet', '1')
        self.addCleanup(gateway.stop)
        client = gateway.client()
        client.hello()
        self.assertEqual(client.login('8001', '123456').status, 0)
        client.query(58)
        listed = {text_at(p.body, 12, 10) for p in client.answers(186)}
        today = {row[0] for row in demomarket.gateway_contracts()}
        self.assertIn('cu2512', listed)
        self.assertTrue(today <= listed, today - listed)
        # The ask of each product's contracts in the maker's quote snapshot is a price
        # the gateway takes.
        model = mkinstall.build_model(demo=True)
        codes = {'S': '81000001', 'D': '01000001', 'Z': '11000001'}
        letters = {p[0]: p[2] for p in demomarket.PRODUCTS}
        for stock in model.markets[-1].stocks[::5]:
            contract = demomarket.exchange_code(stock.code, datetime.date.today())[0]
            ask = str(stock.quote.asks[0][0])
            with self.subTest(contract=contract, ask=ask):
                client.send(52, order_body('10000001', contract, 1, ask, 0x03,
                                           codes[letters[stock.code[:4]]]))
                answer = client.answer(180)
                self.assertEqual((answer.status, answer.text), (0, ''))


class Refusals(unittest.TestCase):
    """What a real gateway refuses, each under the request's answer code with status 1
    and a text, the connection staying usable."""

    @classmethod
    def setUpClass(cls):
        cls.gateway = GatewayProcess()

    @classmethod
    def tearDownClass(cls):
        cls.gateway.stop()

    def logged_in(self, account='8001', password='123456', kind=1):
        client = self.gateway.client()
        client.hello()
        self.assertEqual(client.login(account, password, kind).status, 0)
        return client

    def test_requests_refused(self):
        client = self.logged_in()

        def settle_flag(customer):
            body = bytearray(43)
            body[0:4], body[10:10 + len(customer)], body[20] = b'8001', customer, 1
            client.send(82, bytes(body))

        def send(code, body, marker=b'*'):
            return lambda: client.send(code, body, marker)

        bad_order = bytearray(order_body('10000001', 'cu2512', 1, '62000', 3, '81000001'))
        bad_order[10:18] = b'\xff\xfe100001'
        cases = [
            ('short query body', send(63, b'*8001'), 191, '请求数据长度错误'),
            ('long order body', send(52, order_body('10000001', 'cu2512', 1, '62000', 3,
                                                    '81000001') + b'x'), 180, '请求数据长度错误'),
            ('another user id', lambda: client.query(63, user=b'8002'), 191,
             '用户号与登录帐号不符'),
            ('procedure of another user', lambda: client.procedure(38, '', user=b'8002'), 216,
             '用户号与登录帐号不符'),
            ('customer of another trader', lambda: settle_flag(b'1234567890'), 210, '客户不存在'),
            ('unknown contract', lambda: client.query(76, b'xx9999'), 204, '合约不存在'),
            ('customer not GBK', send(52, bytes(bad_order), b'S'), 180, '请求数据含有非法字符'),
            ('contract not GBK', lambda: client.query(76, b'cu\xff\xfe'), 204,
             '请求数据含有非法字符'),
            ('group records cut', send(37, bytes(30)), 165, '请求数据长度错误'),
        ]
        for name, request, code, text in cases:
            with self.subTest(name):
                request()
                answer = client.answer(code)
                self.assertEqual((answer.status, answer.text), (1, text))
        # The connection still serves.
        client.query(63)
        self.assertEqual(client.answer(191).status, 0)

    def test_before_login(self):
        client = self.gateway.client()
        client.hello()
        client.query(63, user=b'8001')
        answer = client.answer(191)
        self.assertEqual((answer.status, answer.text), (1, '请先登录'))

    def test_packet_under_a_stale_key(self):
        client = self.logged_in()
        stale = client.out.key
        client.query(63)
        client.answer(191)
        expected = client.out.key
        client.out.key = stale
        client.query(60)
        refused = client.answer(188)
        self.assertEqual((refused.status, refused.text), (1, '数据解密失败'))
        time.sleep(0.2)
        events = [e for e in self.gateway.entries() if e.get('event') == 'bad-key']
        self.assertEqual(len(events), 1)
        self.assertFalse(bytes.fromhex(events[0]['key_after']).isdigit())
        # The gateway's chain stayed where the client's should be.
        client.out.key = expected
        client.query(60)
        self.assertEqual(client.answer(188).status, 0)

    def test_client_mode_customers(self):
        # Trader login: the trade code of the customer at 11 on the exchange of the marker.
        client = self.logged_in()
        client.query(85, marker=b'S', trader=b'10000001')
        answer = client.answer(213)
        self.assertEqual((answer.status, answer.body_len), (0, 31))
        self.assertEqual((text_at(answer.body, 0, 10), chr(answer.body[20])), ('81000001', 'S'))
        # Client login (kind 7): every trade code of the customer, whatever the marker.
        client = self.logged_in('10000001', '111111', kind=7)
        client.query(85, b'cltmode', marker=b'*', trader=b'10000001')
        answer = client.answer(213)
        self.assertEqual(answer.status, 0)
        records = [answer.body[i:i + 31] for i in range(0, answer.body_len, 31)]
        self.assertEqual(sorted((chr(r[20]), text_at(r, 0, 10), text_at(r, 10, 10))
                                for r in records),
                         [('D', '01000001', '10000001'), ('S', '81000001', '10000001'),
                          ('Z', '11000001', '10000001')])


class Faults(unittest.TestCase):
    def run_gateway(self, *args):
        gateway = GatewayProcess(*args)
        self.addCleanup(gateway.stop)
        return gateway

    def test_split_packets_are_joined(self):
        client = self.run_gateway('--split', '5', '--split-pause', '5').client()
        client.hello()
        self.assertEqual(client.login('10000001', '111111').status, 0)

    def test_bad_checksum_still_advances_the_key(self):
        gateway = self.run_gateway('--bad-checksum', '@178')
        client = gateway.client()
        client.hello()
        self.assertFalse(client.login('10000001', '111111').checksum_ok)
        client.query(63)
        funds = client.answer(191)
        self.assertTrue(funds.checksum_ok)
        self.assertEqual(text_at(funds.body, 1, 10), '10000001')

    def test_bad_lengths(self):
        for switch, offset, value in (('--bad-text-length', 4, 257),
                                      ('--bad-body-length', 6, 5121)):
            with self.subTest(switch=switch):
                client = self.run_gateway(switch, '2').client()
                client.hello()
                client.send(50, bytes(99))
                header = client.read(48)
                self.assertEqual(struct.unpack('>H', header[offset:offset + 2])[0], value)

    def test_stall_close_silence_and_refusal(self):
        client = self.run_gateway('--stall', '2').client(timeout=1)
        client.hello()
        client.send(50, bytes(99))
        self.assertEqual(len(client.sock.recv(100)), 20)
        self.assertEqual(select.select([client.sock], [], [], 0.5)[0], [])

        client = self.run_gateway('--silent-after', '1').client()
        client.hello()
        client.send(50, bytes(99))
        self.assertEqual(select.select([client.sock], [], [], 0.5)[0], [])

        client = self.run_gateway('--close-after', '1').client()
        client.hello()
        self.assertEqual(client.sock.recv(10), b'')

        gateway = self.run_gateway('--refuse-hello', '网关维护中', '--fault-connections', '1')
        refused = gateway.client().hello()
        self.assertEqual((refused.status, refused.text), (1, '网关维护中'))
        self.assertEqual(gateway.client().hello().status, 0)

    def test_bad_length_from_client_closes(self):
        gateway = self.run_gateway()
        client = gateway.client()
        client.hello()
        client.sock.sendall(b'*' + struct.pack('>BBBHH', 60, 3, 0, 257, 0) + bytes(40))
        self.assertEqual(client.sock.recv(10), b'')
        time.sleep(0.2)
        self.assertIn('bad-length', [e.get('event') for e in gateway.entries()])


if __name__ == '__main__':
    unittest.main()
