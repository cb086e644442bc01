"""Connections of the simulated gateway: the hello, the key chains (a packet sealed under
another key than the chain expects is refused and logged as "bad-key"), the fault switches,
the packet log and the control port.

The log holds one JSON object per line: a packet ("dir": "in" or "out") or an event
("event": "accept", "close", "bad-length", "silent", ...). Packet lines give the header
fields, the checksum as it travelled and whether it matched, the keys of the direction's
chain before and after the packet, the header, text and body in hex (the body deciphered,
"wire" as it travelled) and the fault applied to an outgoing packet, if any."""

import json
import random
import socket
import struct
import threading
import time
import traceback
from dataclasses import dataclass, field

from . import answers
from .book import Book
from .crc import wire_checksum
from .framing import FramingError, Header, StreamClosed, read_packet, MAX_TEXT, MAX_BODY
from .handlers import Answer, Handlers, Session
from .keys import EXEMPT_CODES, SessionCipher
from .records import gbk

HELLO_SIZE = 17


class PacketSelector:
    """Which outgoing packets a fault hits: "3" is the third packet a connection sends
    (the hello answer is the first), "@188" the first packet of code 188; items are
    separated by commas."""

    def __init__(self, spec=''):
        self.numbers, self.codes = set(), set()
        for item in filter(None, (part.strip() for part in (spec or '').split(','))):
            if item.startswith('@'):
                self.codes.add(int(item[1:]))
            else:
                self.numbers.add(int(item))

    def __bool__(self):
        return bool(self.numbers or self.codes)

    def hits(self, number, code, seen_codes):
        return number in self.numbers or (code in self.codes and code not in seen_codes)


@dataclass
class Faults:
    split: int = 0                  # send packets in pieces of this many bytes
    split_pause: float = 0.02       # seconds between the pieces
    bad_checksum: PacketSelector = field(default_factory=PacketSelector)
    bad_text_length: PacketSelector = field(default_factory=PacketSelector)
    bad_body_length: PacketSelector = field(default_factory=PacketSelector)
    stall: PacketSelector = field(default_factory=PacketSelector)
    silent_after: int = None        # answer this many received packets, then nothing
    close_after: int = None         # close after answering this many received packets
    refuse_hello: str = None        # refuse the hello with this text
    before_hello: bool = False      # send a gateway-state packet before the hello answer
    connections: int = None         # faults hit only the first this many connections


class PacketLog:
    def __init__(self, path):
        self.lock = threading.Lock()
        self.file = open(path, 'w', encoding='utf-8') if path else None

    def write(self, entry):
        if self.file is None:
            return
        entry = dict(ts=round(time.time(), 3), **entry)
        with self.lock:
            self.file.write(json.dumps(entry, ensure_ascii=False) + '\n')
            self.file.flush()

    def event(self, conn, name, **fields):
        self.write(dict(conn=conn, event=name, **fields))

    def packet(self, conn, direction, header_raw, header, text, wire, body, checksum_ok,
               enciphered, keys, fault=None):
        entry = dict(conn=conn, dir=direction, code=header.code,
                     marker=header.marker.decode('latin-1'), flags=header.flags,
                     status=header.status, text_len=header.text_len, body_len=header.body_len,
                     checksum=header.checksum.hex(), checksum_ok=checksum_ok,
                     enciphered=enciphered, exempt=header.code in EXEMPT_CODES,
                     key_before=keys[0].hex(), key_after=keys[1].hex(),
                     key_field=header.key.hex(), state=header.state.strip(b'\0').decode('latin-1'),
                     header=header_raw.hex(), text=text.hex(),
                     message=text.decode('gbk', 'replace'), body=body.hex(), wire=wire.hex())
        if fault:
            entry['fault'] = fault
        self.write(entry)


class Connection:
    def __init__(self, gateway, sock, number, faults):
        self.gateway = gateway
        self.sock = sock
        self.number = number
        self.faults = faults
        self.cipher = SessionCipher(random.Random())
        self.session = Session()
        self.send_lock = threading.RLock()   # also guards the send chain and the flag
        self.sent = 0
        self.received = 0
        self.seen_codes = set()
        self.hello_done = False
        self.silent = False
        self.stalled = False
        self.closed = False        # nothing more is sent
        self.released = False      # the socket is closed
        self.thread = threading.Thread(target=self.run, daemon=True)

    @property
    def log(self):
        return self.gateway.log

    def describe(self):
        return dict(conn=self.number, hello=self.hello_done, logged_in=self.session.logged_in,
                    account=self.session.account, encipher=self.cipher.on, silent=self.silent,
                    closed=self.closed)

    # Reading.

    def run(self):
        try:
            if self.faults.close_after == 0:
                return
            if self.faults.silent_after == 0:
                self.go_silent()
            while True:
                raw, header, text, wire = read_packet(self.sock)
                checksum_ok = wire_checksum(wire) == header.checksum
                enciphered = self.cipher.on
                body, *keys = self.cipher.open(header.code, wire, header.key, checksum_ok)
                self.log.packet(self.number, 'in', raw, header, text, wire, body, checksum_ok,
                                enciphered, keys)
                self.received += 1
                limit = self.faults.silent_after
                if limit is not None and self.received > limit:
                    self.go_silent()
                if enciphered and header.code != 0 and not valid_key(keys[1]):
                    self.stale_key(header, keys)
                elif checksum_ok:
                    self.dispatch(header, body)
                if self.faults.close_after is not None and \
                        self.received >= self.faults.close_after:
                    return
        except FramingError as error:
            self.log.event(self.number, 'bad-length', detail=str(error))
        except (StreamClosed, OSError):
            pass
        except Exception:       # a fault of the gateway itself: report it, drop the link
            self.log.event(self.number, 'error', detail=traceback.format_exc())
            traceback.print_exc()
        finally:
            self.close()

    def stale_key(self, header, keys):
        """A packet whose key field does not decipher into a key under the one the chain
        expects was sealed under another key: its body cannot be read either. The chain
        stays where it was, the packet is logged and a request refused."""
        with self.send_lock:
            self.cipher.recv_key = keys[0]
        self.log.event(self.number, 'bad-key', code=header.code, key_before=keys[0].hex(),
                       key_after=keys[1].hex())
        if header.code < 128 and header.code != 12:
            self.send(Answer(header.code + 128, status=1, text='数据解密失败',
                             marker=header.marker))

    def dispatch(self, header, body):
        code = header.code
        if code == 0:
            self.hello(body)
        elif code == 127:
            self.send(Answer(255, ping_reply(body)))
        elif code == 128:
            # The client's answer to a hello of ours switches enciphering as it says.
            with self.send_lock:
                self.cipher.on = header.status == 0 and body[:1] == b'\x01'
        elif code != 255:
            for answer in self.gateway.handlers.handle(self.session, header, body):
                self.send(answer)

    def hello(self, body):
        reply = b'\x01' if self.gateway.encipher else b'\x00'
        reply += bytes(body[1:HELLO_SIZE]).ljust(HELLO_SIZE - 1, b'\0')
        with self.send_lock:
            self.cipher.reset()
            if self.faults.refuse_hello is not None:
                self.send(Answer(128, reply, status=1, text=gbk(self.faults.refuse_hello)))
                return
            if self.faults.before_hello:
                self.send(Answer(254, state=b'O'))
            self.send(Answer(128, reply))
            self.cipher.on = self.gateway.encipher
            self.hello_done = True

    def go_silent(self):
        if not self.silent:
            self.silent = True
            self.log.event(self.number, 'silent')

    # Writing.

    def send(self, answer):
        """Frames, enciphers and writes one packet; returns whether it was written."""
        with self.send_lock:
            if self.closed or self.stalled or self.silent:
                return False
            number = self.sent + 1
            faults, fault = self.faults, []
            enciphered = self.cipher.on
            wire, key_field, *keys = self.cipher.seal(answer.code, answer.body)
            text = gbk(answer.text)
            if faults.bad_text_length.hits(number, answer.code, self.seen_codes):
                text = text.ljust(MAX_TEXT + 1, b' ')
                fault.append('bad-text-length')
            if faults.bad_body_length.hits(number, answer.code, self.seen_codes):
                wire = wire.ljust(MAX_BODY + 1, b'\0')
                fault.append('bad-body-length')
            checksum = wire_checksum(wire)
            if faults.bad_checksum.hits(number, answer.code, self.seen_codes):
                checksum = bytes(b ^ 0xFF for b in checksum)
                fault.append('bad-checksum')
            header = Header(answer.marker, answer.code, answer.flags, answer.status, len(text),
                            len(wire), checksum, key_field, answer.state)
            raw = header.pack()
            data = raw + text + wire
            if faults.stall.hits(number, answer.code, self.seen_codes):
                data = data[:20]
                self.stalled = True
                fault.append('stall')
            elif faults.split:
                fault.append('split')
            self.sent = number
            self.seen_codes.add(answer.code)
            self.log.packet(self.number, 'out', raw, header, text, wire, answer.body,
                            checksum == wire_checksum(wire), enciphered, keys,
                            ','.join(fault) or None)
            try:
                if faults.split and not self.stalled:
                    for start in range(0, len(data), faults.split):
                        if start:
                            time.sleep(faults.split_pause)
                        self.sock.sendall(data[start:start + faults.split])
                else:
                    self.sock.sendall(data)
            except OSError:
                self.closed = True
                return False
            return True

    def hang_up(self):
        """Ends sending and tells the peer so; the reader runs on until the peer closes."""
        with self.send_lock:
            if not self.closed:
                self.closed = True
                try:
                    self.sock.shutdown(socket.SHUT_WR)
                except OSError:
                    pass

    def close(self):
        with self.send_lock:
            self.closed = True
            if self.released:
                return
            self.released = True
            try:
                self.sock.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass
            self.sock.close()
            self.log.event(self.number, 'close')

def valid_key(key):
    """A session key is eight decimal digits, as both sides make them."""
    return len(key) == 8 and key.isdigit()


def ping_reply(body):
    """The ping record sent back: the gateway's time at 32, the counter at 36 up by one
    and the one at 38 down by one."""
    record = bytearray(bytes(body[:answers.PING_SIZE]).ljust(answers.PING_SIZE, b'\0'))
    struct.pack_into('>I', record, 32, int(time.time()) & 0xFFFFFFFF)
    up, down = struct.unpack_from('>HH', record, 36)
    struct.pack_into('>HH', record, 36, (up + 1) & 0xFFFF, (down - 1) & 0xFFFF)
    return bytes(record)


class Gateway:
    def __init__(self, host, port, encipher=True, faults=None, log_path=None,
                 records_per_packet=None, contracts=()):
        self.encipher = encipher
        self.faults = faults or Faults()
        self.log = PacketLog(log_path)
        self.book = Book(contracts)
        self.handlers = Handlers(self.book, records_per_packet)
        self.connections = []
        self.lock = threading.Lock()
        self.listener = socket.create_server((host, port))
        self.port = self.listener.getsockname()[1]

    def serve(self):
        threading.Thread(target=self.accept_loop, daemon=True).start()

    def accept_loop(self):
        while True:
            sock, peer = self.listener.accept()
            sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
            with self.lock:
                number = len(self.connections) + 1
                limit = self.faults.connections
                faults = self.faults if limit is None or number <= limit else Faults()
                conn = Connection(self, sock, number, faults)
                self.connections.append(conn)
            self.log.event(number, 'accept', peer='%s:%d' % peer[:2])
            conn.thread.start()

    # Control commands.

    def targets(self, command, logged_in=True):
        with self.lock:
            conns = [c for c in self.connections if not c.closed]
        if 'conn' in command:
            return [c for c in conns if c.number == command['conn']]
        if logged_in:
            return [c for c in conns if c.session.logged_in]
        return conns

    def push(self, command, answer, logged_in=True):
        sent = [c.number for c in self.targets(command, logged_in) if c.send(answer)]
        return dict(sent=sent)

    def control(self, command):
        name = command.get('cmd')
        if name == 'list':
            with self.lock:
                return dict(connections=[c.describe() for c in self.connections])
        if name == 'send':
            answer = Answer(int(command['code']), bytes.fromhex(command.get('body', '')),
                            gbk(command.get('text', '')), int(command.get('status', 0)),
                            int(command.get('flags', 1)), gbk(command.get('marker', '*')),
                            gbk(command.get('state', '\0')))
            return self.push(command, answer, logged_in=False)
        if name == 'exchange':
            return self.push(command, Answer(139, struct.pack('>H', int(command.get('state', 1))),
                                             marker=gbk(command.get('letter', '*'))))
        if name == 'gateway':
            return self.push(command, Answer(254, state=gbk(command.get('state', 'O'))),
                             logged_in=False)
        if name == 'info':
            body = answers.info_record(command.get('sender', 'system'),
                                       int(command.get('level', 1)), bool(command.get('manual')),
                                       command.get('subject', ''), command.get('message', ''))
            return self.push(command, Answer(int(command.get('code', 140)), body,
                                             status=int(command.get('status', 0))))
        if name == 'ping':
            body = struct.pack('>20xI4xI4xHH', int(command.get('seq', 0)),
                               int(time.time()) & 0xFFFFFFFF, 0, 5)
            return self.push(command, Answer(127, body), logged_in=False)
        if name == 'hello':
            body = bytes.fromhex(command.get('body', '0100000000000050080000000000000000'))
            return self.push(command, Answer(0, body), logged_in=False)
        if name == 'deal':
            with self.book.lock:
                order = self.book.order(int(command['order']))
                if order is None:
                    return dict(error='no such order')
                deals = self.book.match(order, int(command.get('volume', order.remaining)))
            sent = set()
            for deal in deals:
                for conn in self.targets(command):
                    if order.customer in conn.session.customers and conn.send(
                            Answer(67, answers.deal_report(deal))):
                        sent.add(conn.number)
            return dict(sent=sorted(sent), deals=len(deals))
        if name == 'kick':
            text = command.get('text', '您已被管理员强制退出')
            sent = []
            for conn in self.targets(command):
                # A logout answer with a text at 21 tells the client the gateway ended it.
                body = gbk(conn.session.account)[:10].ljust(21, b'\0') + gbk(text) + b'\0'
                if conn.send(Answer(179, body, text)):
                    sent.append(conn.number)
                conn.session.logged_in = False
                conn.hang_up()
            return dict(sent=sent)
        if name == 'close':
            conns = self.targets(command, logged_in=False)
            for conn in conns:
                conn.close()
            return dict(closed=[c.number for c in conns])
        if name == 'silence':
            conns = self.targets(command, logged_in=False)
            for conn in conns:
                conn.go_silent()
            return dict(silent=[c.number for c in conns])
        return dict(error='unknown command')


class Control:
    """Commands as JSON lines on a loopback port, one JSON answer line each."""

    def __init__(self, gateway, host, port):
        self.gateway = gateway
        self.listener = socket.create_server((host, port))
        self.port = self.listener.getsockname()[1]

    def serve(self):
        threading.Thread(target=self.accept_loop, daemon=True).start()

    def accept_loop(self):
        while True:
            sock, _ = self.listener.accept()
            threading.Thread(target=self.serve_client, args=(sock,), daemon=True).start()

    def serve_client(self, sock):
        with sock, sock.makefile('rwb') as stream:
            for line in stream:
                try:
                    reply = self.gateway.control(json.loads(line))
                except (ValueError, KeyError, TypeError) as error:
                    reply = dict(error=str(error))
                reply.setdefault('ok', 'error' not in reply)
                stream.write((json.dumps(reply, ensure_ascii=False) + '\n').encode('utf-8'))
                stream.flush()
