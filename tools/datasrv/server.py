"""The network side: the balancing, data and real-time listeners, the fault switches
applied to what they send, the log of received frames, the market ticker that moves
quotes and pushes them, and the control port."""

import asyncio
import json
import os
import socket
import struct
import sys
import time

from . import frames, realtime
from .answers import LOGIN
from .market import Quote, gbk

LISTENER_NAMES = ('balance', 'data', 'realtime')


class FrameLog:
    """One JSON line per received frame, also kept in memory for the control port."""

    def __init__(self, path):
        self.file = open(path, 'w', encoding='utf-8') if path else None
        self.entries = []

    def record(self, conn, head, raw):
        entry = {'seq': len(self.entries), 'time': round(time.time(), 3),
                 'listener': conn.listener, 'conn': conn.id, 'peer': conn.peer,
                 'type': head.type, 'count': head.count, 'index': head.index,
                 'size': head.size, 'compressed': head.compressed,
                 'reserved': head.reserved, 'hex': raw.hex()}
        self.entries.append(entry)
        if self.file:
            self.file.write(json.dumps(entry) + '\n')
            self.file.flush()


class Connection:
    def __init__(self, ident, listener, reader, writer):
        self.id = ident
        self.listener = listener
        self.reader = reader
        self.writer = writer
        peer = writer.get_extra_info('peername') or ('?', 0)
        self.peer = '%s:%d' % peer[:2]
        self.lock = asyncio.Lock()
        self.received = 0
        self.subscription = None
        self.entries = set()
        self.logged_in = False
        self.closed = False
        self.parser = frames.FrameReader()

    def close(self, reset=False):
        if self.closed:
            return
        self.closed = True
        if reset:
            sock = self.writer.get_extra_info('socket')
            if sock is not None:
                sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack('ii', 1, 0))
            self.writer.transport.abort()
        else:
            self.writer.close()

    def as_dict(self):
        d = {'id': self.id, 'listener': self.listener, 'peer': self.peer,
             'frames': self.received, 'skipped': self.parser.skipped}
        if self.subscription is not None:
            d['subscription'] = self.subscription.as_dict()
        return d


class Server:
    def __init__(self, model, answerer, faults, host='127.0.0.1', ports=None, control=None,
                 log=None, tick=1.0, news_every=0.0, close_after=None, reset_after=None):
        self.model = model
        self.answerer = answerer
        self.faults = faults
        self.host = host
        self.wanted = dict(ports or {})
        self.control_port = control
        self.log = FrameLog(log)
        self.tick = tick
        self.news_every = news_every
        self.close_after = close_after
        self.reset_after = reset_after
        self.ports = {}
        self.servers = []
        self.connections = []
        self.next_conn = 1
        self.tasks = set()

    # Start-up

    async def start(self):
        for name in LISTENER_NAMES:
            server = await asyncio.start_server(
                lambda r, w, name=name: self.serve(name, r, w), self.host,
                self.wanted.get(name, 0), reuse_address=True)
            self.servers.append(server)
            self.ports[name] = server.sockets[0].getsockname()[1]
        if self.control_port is not None:
            server = await asyncio.start_server(self.control, self.host, self.control_port,
                                                reuse_address=True)
            self.servers.append(server)
            self.ports['control'] = server.sockets[0].getsockname()[1]
        if self.tick > 0:
            self.spawn(self.ticker())

    def first_line(self):
        return ' '.join('%s=%d' % (k, self.ports[k])
                        for k in LISTENER_NAMES + ('control',) if k in self.ports)

    async def stop(self):
        for server in self.servers:
            server.close()
        for conn in list(self.connections):
            conn.close()
        for task in list(self.tasks):
            task.cancel()

    def spawn(self, coroutine):
        task = asyncio.get_running_loop().create_task(coroutine)
        self.tasks.add(task)
        task.add_done_callback(self.tasks.discard)
        return task

    # Connections

    async def serve(self, listener, reader, writer):
        conn = Connection(self.next_conn, listener, reader, writer)
        self.next_conn += 1
        self.connections.append(conn)
        try:
            while not conn.closed:
                data = await reader.read(65536)
                if not data:
                    break
                for head, body, raw in conn.parser.feed(data):
                    if conn.closed:
                        break
                    await self.on_frame(conn, head, body, raw)
        except (ConnectionError, OSError):
            pass
        finally:
            self.connections.remove(conn)
            conn.close()

    async def on_frame(self, conn, head, body, raw):
        self.log.record(conn, head, raw)
        conn.received += 1
        if conn.listener == 'data':
            for limit, reset in ((self.close_after, False), (self.reset_after, True)):
                if limit is not None and conn.received > limit:
                    conn.close(reset)
                    return
        if conn.listener == 'realtime':
            if head.type == realtime.SUBSCRIBE:
                self.subscribe(conn, body)
            return
        try:
            answer = self.answerer.answer(conn.listener, head.type, body, conn.logged_in)
            if head.type == LOGIN:
                conn.logged_in = self.answerer.logins[-1]['accepted']
        except Exception as e:  # a request the server cannot read must not end the server
            print('dataserver: frame type %d from %s not answered: %r' % (head.type, conn.peer, e),
                  file=sys.stderr, flush=True)
            answer = self.answerer.nothing(head.type)
        if answer is None:
            return
        hit = self.faults.take(conn.listener, head.type)
        if 'delay' in hit:
            self.spawn(self.deliver(conn, answer, hit))
        else:
            await self.deliver(conn, answer, hit)

    def subscribe(self, conn, body):
        sub = realtime.parse_subscription(body)
        conn.subscription = sub
        conn.entries = set(sub.entries)
        records = [realtime.clock_record(self.model.clock.minutes())]
        for entry in sub.entries[:sub.new]:
            stock = self.model.stock_of_entry(entry)
            if stock is not None:
                records.append(realtime.quote_record(stock))
        self.push(conn, records)

    def push(self, conn, records):
        """Sends records to a real-time connection in type-8 frames (faults of the
        real-time listener apply)."""
        if not records or conn.closed:
            return
        answer = realtime.quote_frames(records, self.answerer.compress, self.answerer.max_body)
        self.spawn(self.deliver(conn, answer, self.faults.take(conn.listener, realtime.QUOTES)))

    async def deliver(self, conn, answer, hit):
        """Writes the frames of one answer or push, as the faults that hit it say."""
        if 'drop' in hit:
            return
        if 'delay' in hit:
            await asyncio.sleep(hit['delay'].ms / 1000.0)
        lead = b''
        if 'garbage' in hit:
            fault = hit['garbage']
            lead += fault.garbage if fault.garbage is not None else bytes(
                b if b != frames.MARKER else 0x41 for b in os.urandom(fault.length))
        if 'oversize' in hit:
            fault = hit['oversize']
            kind = fault.type if fault.type is not None else answer[0][1]
            lead += frames.pack(kind, b'\0' * fault.size)
        chunks = [lead + b''.join(answer)] if 'coalesce' in hit else \
            ([lead] if lead else []) + list(answer)
        pieces = []
        split = hit.get('split')
        for chunk in chunks:
            cuts = [0] + [a for a in (split.at if split else []) if a < len(chunk)] + [len(chunk)]
            for k in range(len(cuts) - 1):
                pieces.append((chunk[cuts[k]:cuts[k + 1]], split.pause if split and k else 0))
        ending = hit.get('close') or hit.get('reset')
        if ending is not None:
            stream = b''.join(p for p, _ in pieces)[:ending.send]
            pieces = [(stream, 0)] if stream else []
        async with conn.lock:
            try:
                for piece, pause in pieces:
                    if conn.closed:
                        return
                    if pause:
                        await asyncio.sleep(pause)
                    conn.writer.write(piece)
                    await conn.writer.drain()
                if ending is not None:
                    await asyncio.sleep(0.05 if pieces else 0)
                    conn.close(reset=ending.kind == 'reset')
            except (ConnectionError, OSError):
                conn.close()

    # The market ticker

    async def ticker(self):
        news_due = time.monotonic() + self.news_every
        while True:
            await asyncio.sleep(self.tick)
            changed = self.model.step()
            news = None
            if self.news_every > 0 and time.monotonic() >= news_due:
                news_due += self.news_every
                news = self.model.random_news()
            self.broadcast(changed, self.model.minute_changed(), news)

    def realtime_connections(self, ident=None):
        return [c for c in self.connections
                if c.listener == 'realtime' and (ident is None or c.id == ident)]

    def broadcast(self, changed, clock=False, news=None, everyone=False, ident=None):
        """Pushes the clock (when it changed), the changed quotes of the stocks each
        connection subscribed to (all of them when everyone is set) and a news flash."""
        for conn in self.realtime_connections(ident):
            records = [realtime.clock_record(self.model.clock.minutes())] if clock else []
            records += [realtime.quote_record(s) for s in dict.fromkeys(changed)
                        if everyone or s.entry in conn.entries]
            if news is not None:
                records.append(realtime.news_record(news))
            self.push(conn, records)

    # Control port

    async def control(self, reader, writer):
        try:
            while True:
                line = await reader.readline()
                if not line:
                    break
                if not line.strip():
                    continue
                try:
                    command = json.loads(line)
                    if not isinstance(command, dict):
                        raise ValueError('a command is a JSON object')
                    handler = getattr(self, 'cmd_' + str(command.get('cmd')), None)
                    if handler is None:
                        raise ValueError('unknown command %r' % command.get('cmd'))
                    reply = dict(handler(command) or {}, ok=True)
                except (ValueError, LookupError, TypeError, OverflowError,
                        struct.error) as e:
                    reply = {'ok': False, 'error': str(e)}
                writer.write((json.dumps(reply) + '\n').encode())
                await writer.drain()
        except (ConnectionError, OSError):
            pass
        finally:
            writer.close()

    def cmd_ports(self, c):
        return {'ports': self.ports}

    def cmd_status(self, c):
        market = self.model.markets[0] if self.model.markets else None
        local = self.model.local_time(market) if market else self.model.clock.now()
        return {'connections': [conn.as_dict() for conn in self.connections],
                'clock': {'utc_minutes': self.model.clock.minutes(),
                          'local': local.strftime('%Y%m%d %H:%M')},
                'faults': self.faults.as_list(), 'logins': self.answerer.logins,
                'frames': len(self.log.entries)}

    def cmd_frames(self, c):
        since = int(c.get('since', 0))
        return {'frames': self.log.entries[since:], 'next': len(self.log.entries)}

    def cmd_fault(self, c):
        spec = {k: v for k, v in c.items() if k != 'cmd'}
        return {'id': self.faults.add(spec).id}

    def cmd_clear(self, c):
        self.faults.clear(c.get('id'))
        return {}

    def cmd_set(self, c):
        if 'compress' in c:
            if c['compress'] not in frames.COMPRESS_MODES:
                raise ValueError('compress is never, auto or always')
            self.answerer.compress = c['compress']
        if 'max_body' in c:
            self.answerer.max_body = check_max_body(int(c['max_body']))
        if 'version' in c:
            self.answerer.version = int(c['version'])
        return {}

    def cmd_step(self, c):
        changed = []
        for _ in range(int(c.get('n', 1))):
            changed += self.model.step(force=True)
        self.broadcast(changed, self.model.minute_changed())
        return {'changed': len(set(changed))}

    def _stock(self, c):
        market = int(c.get('market', 0))
        if 'code' in c:
            stock = self.model.find(market, str(c['code']).encode('latin-1'))
        else:
            stock = self.model.stock_of_entry(int(c.get('stock', 0)) << 4 | market)
        if stock is None:
            raise ValueError('no such stock')
        return stock

    def cmd_quote(self, c):
        stock = self._stock(c)
        q = Quote(stock.quote)
        names = ('prev_close', 'open', 'high', 'low', 'last', 'volume', 'amount',
                 'last_volume', 'fast_change', 'settlement')
        for name in names:
            if name in c:
                q.set(name, c[name])
        for side, key in ((0, 'bids'), (1, 'asks')):
            for k, (price, volume) in enumerate(c.get(key, [])[:5]):
                q.set_level(side, k, price, volume)
        if c.get('tick', True) and ('last' in c or 'volume' in c):
            self.model.add_tick(stock)
        self.broadcast([stock], everyone=c.get('to') == 'all', ident=c.get('conn'))
        return {'entry': stock.entry, 'record': realtime.quote_record(stock).hex()}

    def cmd_clock(self, c):
        if 'hhmm' in c:
            self.model.set_local_clock(int(c['hhmm']))
        elif 'utc_minutes' in c:
            now = self.model.clock.now()
            minutes = int(c['utc_minutes']) % 1440
            self.model.clock.set(now.replace(hour=minutes // 60, minute=minutes % 60,
                                             second=0, microsecond=0))
        self.model.minute_changed()
        if c.get('push', True):
            for conn in self.realtime_connections(c.get('conn')):
                self.push(conn, [realtime.clock_record(self.model.clock.minutes())])
        return {'utc_minutes': self.model.clock.minutes()}

    def cmd_news(self, c):
        if 'title' in c:
            item = self.model.add_news(int(c.get('type', 1)), gbk(c['title']),
                                       gbk(c.get('text', c['title'])))
        else:
            item = self.model.random_news()
        if c.get('push', True):
            self.broadcast([], news=item, ident=c.get('conn'))
        return {'id': item.id, 'record': realtime.news_record(item).hex()}

    def _targets(self, c):
        listener = c.get('listener', 'data')
        return [conn for conn in self.connections
                if conn.listener == listener and c.get('conn') in (None, conn.id)]

    def cmd_send(self, c):
        data = bytes.fromhex(c['hex'])
        targets = self._targets(c)
        for conn in targets:
            self.spawn(self.deliver(conn, [data], {}))
        return {'connections': len(targets)}

    def cmd_frame(self, c):
        body = bytes.fromhex(c.get('body', ''))
        flag = 0
        if c.get('compress'):
            body, flag = frames.encode_body(body, 'always')
        data = frames.pack(int(c['type']), body, int(c.get('count', 1)),
                           int(c.get('index', 0)), flag)
        targets = self._targets(c)
        for conn in targets:
            self.spawn(self.deliver(conn, [data], {}))
        return {'connections': len(targets), 'hex': data.hex()}

    def cmd_close(self, c):
        targets = self._targets(c)
        for conn in targets:
            conn.close(reset=bool(c.get('reset')))
        return {'connections': len(targets)}


def check_max_body(value):
    if not 16 <= value <= 16000:
        raise ValueError('max_body lies in 16..16000')
    return value

