"""The chat server's event loop: one thread, one selector over the listening socket, the
client connections and the control port.

Logins are checked against the user table; an accepted login gets the login reply, then
the list of users it may see. Visibility: staff see everyone else who is online, ordinary
users see the staff only. A user counts as online while a connection is logged in under
its name or while it is simulated as present; its first session announces it to those
who see it (users online) and its last one leaving announces it gone (users offline,
status 2). A message is routed by the addressee's id to every connection logged in
under that user; a message to a simulated user is answered with the auto-reply text when
one is set. A refused login leaves the connection open; a later login on it is tried
again."""

import selectors
import socket
import struct
import time

from . import records
from .connection import Connection
from .recordlog import RecordLog, describe
from .users import RESULT_BAD_PASSWORD, RESULT_OK, RESULT_OUTDATED, RESULT_TOO_MANY


class ChatServer:
    def __init__(self, host, port, table, faults, log_path=None, server_version=4,
                 autoreply=None, compress='auto', rcvbuf=None, present=None):
        self.table = table
        self.faults = faults
        self.log = RecordLog(log_path)
        self.server_version = server_version
        self.autoreply = autoreply
        self.compress = compress
        self.selector = selectors.DefaultSelector()
        self.listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        if rcvbuf:
            self.listener.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, rcvbuf)
        self.listener.bind((host, port))
        self.listener.listen(64)
        self.listener.setblocking(False)
        self.port = self.listener.getsockname()[1]
        self.selector.register(self.listener, selectors.EVENT_READ, self._accept)
        self.conns = {}
        self.accepted = 0
        self.present = set(present if present is not None
                           else (u.id for u in table if u.online))
        self.next_number = 10001
        self.received = []       # log entries of every record taken, in order
        self.control = None
        self.running = True

    # ---- the loop

    def serve(self):
        try:
            while self.running:
                for key, mask in self.selector.select(self._timeout()):
                    key.data(mask)
                self._service()
        finally:
            for conn in list(self.conns.values()):
                self.drop(conn, 'server stopped', announce=False)
            self.selector.close()
            self.listener.close()
            self.log.close()

    def stop(self):
        self.running = False

    def watch(self, sock, events, callback):
        """Lets the control port put its sockets into the loop."""
        self.selector.register(sock, events, callback)

    def unwatch(self, sock):
        self.selector.unregister(sock)

    def _timeout(self):
        times = [c.next_time() for c in self.conns.values()]
        if self.control is not None:
            times.append(self.control.next_time())
        if any(c.closing and c.idle() for c in self.conns.values()):
            return 0
        times = [t for t in times if t is not None]
        if not times:
            return 1.0
        return min(1.0, max(0.0, min(times) - time.monotonic()))

    def _service(self):
        now = time.monotonic()
        for conn in list(self.conns.values()):
            switches = self.switches(conn)
            conn.release(now, switches)
            if not conn.blocked:
                self._flush(conn, now)
            if not conn.closed and conn.closing and conn.idle():
                self.drop(conn, 'closed by the server')
            if not conn.closed:
                self._interest(conn, switches)
        if self.control is not None:
            self.control.poll()

    def _interest(self, conn, switches):
        events = 0 if switches['noread'] else selectors.EVENT_READ
        if conn.blocked:
            events |= selectors.EVENT_WRITE
        key = self.selector.get_map().get(conn.sock)
        if key is None:
            if events:
                self.selector.register(conn.sock, events, lambda mask: self._ready(conn, mask))
        elif not events:
            self.selector.unregister(conn.sock)
        elif key.events != events:
            self.selector.modify(conn.sock, events, key.data)

    def _accept(self, mask):
        try:
            sock, peer = self.listener.accept()
        except BlockingIOError:
            return
        sock.setblocking(False)
        sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        self.accepted += 1
        conn = Connection(self.accepted, sock, peer, time.monotonic())
        self.conns[conn.id] = conn
        self.log.write({'conn': conn.id, 'event': 'accept', 'peer': '%s:%d' % peer})
        if self.switches(conn)['close_after'] == 0:
            conn.closing = True

    def _ready(self, conn, mask):
        if conn.closed:
            return
        if mask & selectors.EVENT_WRITE:
            self._flush(conn, time.monotonic())
        if mask & selectors.EVENT_READ and not conn.closed:
            self._read(conn)

    def _flush(self, conn, now):
        try:
            conn.flush(now)
        except OSError as e:
            self.drop(conn, 'send failed: %s' % e)

    def _read(self, conn):
        try:
            data = conn.sock.recv(65536)
        except BlockingIOError:
            return
        except OSError as e:
            self.drop(conn, 'receive failed: %s' % e)
            return
        if not data:
            self.drop(conn, 'closed by the client')
            return
        conn.inbuf += data
        found, bad = conn.split_records()
        for data in found:
            self._take(conn, data)
            if conn.closed:
                return
        if bad:
            self.log.write({'conn': conn.id, 'event': 'bad-length', 'reason': bad,
                            'hex': bytes(conn.inbuf[:16]).hex()})
            self.drop(conn, bad)

    def drop(self, conn, reason, announce=True, reset=False):
        """Closes a connection; its user goes offline for the others when this was its
        last session."""
        if conn.closed:
            return
        conn.closed = True
        if conn.sock in self.selector.get_map():
            self.selector.unregister(conn.sock)
        if reset:
            conn.sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack('ii', 1, 0))
        conn.sock.close()
        del self.conns[conn.id]
        self.log.write({'conn': conn.id, 'event': 'close', 'reason': reason,
                        'user': conn.user.name if conn.user else None})
        if announce and conn.user is not None and not self.is_online(conn.user):
            self.announce_offline(conn.user)

    # ---- sending

    def switches(self, conn):
        return self.faults.effective(conn.own)

    def send(self, conn, data, raw=False):
        """Queues one record (or, raw, any bytes exactly as given) for a connection.
        Records go through the length and silent switches; raw bytes do not."""
        switches = self.switches(conn)
        entry = {'conn': conn.id, 'dir': 'out', 'user': conn.user.name if conn.user else None}
        entry.update(describe(data))
        if raw:
            entry['hex'] = bytes(data).hex()
        else:
            if switches['silent']:
                entry.update(dropped=True, fault='silent')
                self.log.write(entry)
                return False
            if switches['length'] is not None:
                data = relength(data, switches['length'])
                entry.update(length=switches['length'], size=len(data),
                             fault='length %d' % switches['length'])
        conn.queue(data, time.monotonic(), switches)
        conn.sent += 1
        self.log.write(entry)
        if switches['close_after'] is not None and conn.sent >= switches['close_after']:
            conn.closing = True
        return True

    def send_text(self, conn, kind, text, sender=0, policy=None, payload=None, flag=0):
        """A message (from the sender id) or a notice; the text is compressed as the
        policy says, or payload and flag are sent exactly as given."""
        if payload is None:
            payload, flag = records.compress_text(text, policy or self.compress)
        if kind == records.MESSAGE:
            return self.send(conn, records.message(sender, payload, flag))
        return self.send(conn, records.notice(payload, flag))

    # ---- presence

    def sessions(self, user):
        return [c for c in self.conns.values() if c.user is user]

    def is_online(self, user):
        return user.id in self.present or bool(self.sessions(user))

    def logged_in(self):
        return [c for c in self.conns.values() if c.user is not None]

    @staticmethod
    def sees(viewer, user):
        return viewer is not user and (viewer.staff or user.staff)

    def visible(self, viewer):
        return [u for u in self.table if self.is_online(u) and self.sees(viewer, u)]

    def user_lists(self, viewer):
        """The users-online records that tell a new login who is there (one record of
        count 0 when nobody is)."""
        entries = [u.entry() for u in self.visible(viewer)]
        step = records.USERS_PER_RECORD
        return [records.users_online(entries[i:i + step])
                for i in range(0, len(entries), step)] or [records.users_online([])]

    def announce_online(self, user):
        for conn in self.logged_in():
            if self.sees(conn.user, user):
                self.send(conn, records.users_online([user.entry()]))

    def announce_offline(self, user):
        for conn in self.logged_in():
            if self.sees(conn.user, user):
                self.send(conn, records.users_offline([(user.id, records.STATUS_OFFLINE)]))

    def come(self, user):
        """A simulated user becomes present."""
        first = not self.is_online(user)
        self.present.add(user.id)
        if first:
            self.announce_online(user)
        return first

    def leave(self, user):
        """A simulated user goes away."""
        if user.id not in self.present:
            return False
        self.present.discard(user.id)
        if not self.sessions(user):
            self.announce_offline(user)
        return True

    # ---- receiving

    def _take(self, conn, data):
        conn.received += 1
        entry = {'t': self.log.now(), 'conn': conn.id, 'dir': 'in',
                 'user': conn.user.name if conn.user else None}
        entry.update(describe(data))
        handler = {records.LOGIN: self._login, records.KEEPALIVE: self._keepalive,
                   records.MESSAGE: self._message}.get(data[2])
        self.log.hold()
        if handler is None:
            entry['note'] = 'kind not handled by the server; ignored'
        else:
            handler(conn, data, entry)
        self.log.release(entry)
        self.received.append(entry)

    def _login(self, conn, data, entry):
        if len(data) < records.LOGIN_SIZE:
            entry['note'] = 'short login; connection closed'
            conn.closing = True
            return
        if conn.user is not None:
            entry['note'] = 'already logged in; ignored'
            return
        version, _, name, password = records.LOGIN_BODY.unpack_from(data, records.HEADER.size)
        user = self.table.find(records.cstring(name))
        if version < records.CLIENT_VERSION:
            result = RESULT_OUTDATED
        elif user is None or records.cstring(password) != records.gbk(user.password):
            result = RESULT_BAD_PASSWORD
        elif user.result != RESULT_OK:
            result = user.result
        elif user.max_logins and len(self.sessions(user)) >= user.max_logins:
            result = RESULT_TOO_MANY
        else:
            result = RESULT_OK
        number = 0
        if result == RESULT_OK:
            number, self.next_number = self.next_number, self.next_number + 1
        entry['result'] = result
        self.send(conn, records.login_reply(result, self.server_version, number))
        if result != RESULT_OK:
            return
        first = not self.is_online(user)
        conn.user, conn.number = user, number
        for data in self.user_lists(user):
            self.send(conn, data)
        if first:
            self.announce_online(user)

    def _keepalive(self, conn, data, entry):
        if self.switches(conn)['keepalive_reply']:
            self.send(conn, records.keepalive())

    def _message(self, conn, data, entry):
        fields = entry.get('fields', {})
        if conn.user is None:
            entry['route'] = 'not logged in; dropped'
            return
        if 'text' not in fields:
            entry['route'] = 'unreadable; dropped'
            return
        text = bytes.fromhex(fields['text_hex'])
        target = self.table.by_id.get(fields['id'])
        if target is None:
            entry['route'] = 'unknown user; dropped'
            return
        targets = self.sessions(target)
        if targets:
            entry.update(route='delivered', to_conns=[c.id for c in targets])
            for other in targets:
                self.send_text(other, records.MESSAGE, text, sender=conn.user.id)
        elif target.id in self.present:
            entry['route'] = 'simulated user'
            if self.autoreply:
                self.send_text(conn, records.MESSAGE, records.gbk(self.autoreply),
                               sender=target.id)
        else:
            entry['route'] = 'user offline; dropped'


def relength(data, length):
    """A record with another value in its length field, padded with zero bytes when the
    value is larger than the record."""
    data = bytearray(data.ljust(length, b'\0'))
    data[0:2] = struct.pack('<H', length)
    return bytes(data)
