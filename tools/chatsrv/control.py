"""The control port: one JSON command per line, one JSON answer per line ({"ok": true,
...} or {"ok": false, "error": "..."}), in order. Commands are listed in chatserver.py's
usage text. A "wait" holds back the answers to the commands behind it on the same
control connection until it is answered."""

import json
import selectors
import socket
import time

from . import faults as faultsmod
from . import records
from .users import make_user

COMPRESS = {'auto': 'auto', True: 'always', 'always': 'always', False: 'never',
            'never': 'never'}


class CommandError(Exception):
    pass


class ControlClient:
    def __init__(self, sock):
        self.sock = sock
        self.buffer = b''
        self.lines = []
        self.waiting = None        # (command, deadline) of an unanswered wait

    def answer(self, reply):
        try:
            self.sock.sendall((json.dumps(reply, ensure_ascii=False) + '\n').encode())
        except OSError:
            pass


class Control:
    def __init__(self, server, host, port):
        self.server = server
        self.listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        self.listener.bind((host, port))
        self.listener.listen(8)
        self.listener.setblocking(False)
        self.port = self.listener.getsockname()[1]
        self.clients = []
        server.control = self
        server.watch(self.listener, selectors.EVENT_READ, self._accept)

    # ---- sockets

    def _accept(self, mask):
        try:
            sock, _ = self.listener.accept()
        except BlockingIOError:
            return
        sock.setblocking(True)
        client = ControlClient(sock)
        self.clients.append(client)
        self.server.watch(sock, selectors.EVENT_READ, lambda m: self._read(client))

    def _read(self, client):
        try:
            data = client.sock.recv(65536)
        except OSError:
            data = b''
        if not data:
            self.server.unwatch(client.sock)
            client.sock.close()
            self.clients.remove(client)
            return
        client.buffer += data
        *lines, client.buffer = client.buffer.split(b'\n')
        client.lines.extend(line for line in lines if line.strip())
        self._run(client)

    def _run(self, client):
        while client.lines and client.waiting is None and self.server.running:
            line = client.lines.pop(0)
            try:
                command = json.loads(line)
                if not isinstance(command, dict):
                    raise CommandError('a command is a JSON object')
                reply = self.execute(client, command)
            except (CommandError, ValueError, TypeError, KeyError, UnicodeError) as e:
                reply = {'ok': False, 'error': '%s: %s' % (type(e).__name__, e)
                         if not isinstance(e, CommandError) else str(e)}
            if reply is not None:
                client.answer(reply)

    def next_time(self):
        times = [c.waiting[1] for c in self.clients if c.waiting is not None]
        return min(times) if times else None

    def poll(self):
        """Answers the waits whose condition now holds or whose time is up."""
        for client in list(self.clients):
            if client.waiting is None:
                continue
            command, deadline = client.waiting
            reply = self.check(command)
            if reply is None and time.monotonic() >= deadline:
                reply = {'ok': False, 'error': 'timeout'}
            if reply is not None:
                client.waiting = None
                client.answer(reply)
                self._run(client)

    # ---- commands

    def execute(self, client, command):
        name = command.get('cmd')
        handler = getattr(self, 'cmd_' + str(name), None)
        if handler is None:
            raise CommandError('unknown command %r' % name)
        if name == 'wait':
            return handler(client, command)
        return handler(command)

    def targets(self, spec, required=True):
        """Connections named by "to": a connection number, "last" (the newest open one),
        "*" (every logged-in one), "all" (every open one), a login name (its logged-in
        connections), or a list of these."""
        server = self.server
        if spec is None:
            if required:
                raise CommandError('"to" is missing')
            return server.logged_in()
        found = []
        for item in spec if isinstance(spec, list) else [spec]:
            if isinstance(item, int) and not isinstance(item, bool):
                if item not in server.conns:
                    raise CommandError('no open connection %d' % item)
                found.append(server.conns[item])
            elif item == 'last':
                if not server.conns:
                    raise CommandError('no open connection')
                found.append(server.conns[max(server.conns)])
            elif item == '*':
                found.extend(server.logged_in())
            elif item == 'all':
                found.extend(server.conns.values())
            elif isinstance(item, str):
                user = server.table.find(item)
                if user is None:
                    raise CommandError('no user %r' % item)
                sessions = server.sessions(user)
                if not sessions:
                    raise CommandError('%s is not logged in' % item)
                found.extend(sessions)
            else:
                raise CommandError('bad target %r' % (item,))
        unique = []
        for conn in found:
            if conn not in unique:
                unique.append(conn)
        return unique

    def user(self, who):
        user = self.server.table.lookup(who)
        if user is None:
            raise CommandError('no user %r' % (who,))
        return user

    @staticmethod
    def text(command):
        if 'text_hex' in command:
            text = bytes.fromhex(command['text_hex'])
        elif 'text' in command:
            text = records.gbk(command['text'])
        else:
            raise CommandError('"text" or "text_hex" is missing')
        return text * int(command.get('repeat', 1))

    def _send_texts(self, command, kind, conns, sender=0):
        if 'compress' in command and command['compress'] not in COMPRESS:
            raise CommandError('"compress" is "auto", true or false')
        policy = COMPRESS[command.get('compress', 'auto')]
        if 'payload_hex' in command:
            payload, flag = bytes.fromhex(command['payload_hex']), int(command.get('flag', 0))
            for conn in conns:
                self.server.send_text(conn, kind, b'', sender, payload=payload, flag=flag)
        else:
            text = self.text(command)
            for conn in conns:
                self.server.send_text(conn, kind, text, sender, policy)
        return {'ok': True, 'conns': [c.id for c in conns]}

    def cmd_state(self, command):
        server = self.server
        return {'ok': True, 'port': server.port,
                'faults': server.faults.values,
                'online': [u.describe() for u in server.table if server.is_online(u)],
                'present': sorted(server.present),
                'connections': [{'conn': c.id, 'peer': '%s:%d' % c.peer,
                                 'user': c.user.name if c.user else None,
                                 'number': c.number, 'sent': c.sent,
                                 'received': c.received, 'pending': c.pending(),
                                 'faults': c.own} for c in server.conns.values()]}

    def cmd_login(self, command):
        spec = command.get('user')
        if isinstance(spec, dict):
            user = self.server.table.add(make_user(spec))
        else:
            user = self.user(spec)
        announced = self.server.come(user)
        return {'ok': True, 'id': user.id, 'announced': announced}

    def cmd_logout(self, command):
        user = self.user(command.get('user'))
        if not self.server.leave(user):
            raise CommandError('%s is not a simulated present user' % user.name)
        return {'ok': True, 'id': user.id, 'still_online': self.server.is_online(user)}

    def cmd_send(self, command):
        who = command.get('from')
        sender = who if isinstance(who, int) and not isinstance(who, bool) else self.user(who).id
        return self._send_texts(command, records.MESSAGE, self.targets(command.get('to')),
                                sender)

    def cmd_notice(self, command):
        return self._send_texts(command, records.NOTICE,
                                self.targets(command.get('to'), required=False))

    def cmd_users(self, command):
        entries = []
        for item in command.get('users', []):
            if isinstance(item, dict):
                name = (bytes.fromhex(item['name_hex']) if 'name_hex' in item
                        else records.fixed(records.gbk(item.get('name', '')), 64))
                info = (bytes.fromhex(item['info_hex']) if 'info_hex' in item
                        else records.fixed(records.gbk(item.get('info', '')), 32))
                entries.append(records.user_entry(int(item.get('id', 0)),
                                                  int(item.get('status', 1)),
                                                  int(item.get('role', 1)), name, info))
            else:
                entries.append(self.user(item).entry())
        data = records.users_online(entries, command.get('count'))
        return self._raw_record(command, data)

    def cmd_offline(self, command):
        pairs = [(int(i), int(s)) for i, s in command.get('pairs', [])]
        pairs += [(self.user(u).id, records.STATUS_OFFLINE) for u in command.get('users', [])]
        return self._raw_record(command, records.users_offline(pairs, command.get('count')))

    def cmd_reply(self, command):
        data = records.login_reply(int(command['result']),
                                   int(command.get('version', self.server.server_version)),
                                   int(command.get('number', 0)))
        return self._raw_record(command, data)

    def cmd_raw(self, command):
        data = bytes.fromhex(command['hex'])
        conns = self.targets(command.get('to'))
        for conn in conns:
            self.server.send(conn, data, raw=True)
        return {'ok': True, 'conns': [c.id for c in conns]}

    def _raw_record(self, command, data):
        conns = self.targets(command.get('to'))
        for conn in conns:
            self.server.send(conn, data)
        return {'ok': True, 'conns': [c.id for c in conns]}

    def cmd_fault(self, command):
        switches = {k: v for k, v in command.items() if k not in ('cmd', 'to', 'clear')}
        checked = faultsmod.checked(switches)
        if 'to' not in command:
            if command.get('clear'):
                self.server.faults.values = dict(faultsmod.DEFAULTS)
            self.server.faults.update(checked)
            return {'ok': True, 'faults': self.server.faults.values}
        conns = self.targets(command['to'])
        for conn in conns:
            if command.get('clear'):
                conn.own = {}
            conn.own.update(checked)
            switches = self.server.switches(conn)
            if switches['close_after'] is not None and conn.sent >= switches['close_after']:
                conn.closing = True
        return {'ok': True, 'conns': [c.id for c in conns]}

    def cmd_close(self, command):
        conns = self.targets(command.get('to'))
        for conn in conns:
            if command.get('reset'):
                self.server.drop(conn, 'reset by control', reset=True)
            else:
                conn.closing = True
        return {'ok': True, 'conns': [c.id for c in conns]}

    def cmd_quit(self, command):
        self.server.stop()
        return {'ok': True}

    def cmd_wait(self, client, command):
        if command.get('for') not in ('login', 'connect', 'record', 'closed', 'flushed'):
            raise CommandError('wait "for" is login, connect, record, closed or flushed')
        command = dict(command)
        if command['for'] in ('closed', 'flushed'):
            command['ids'] = self._ids(command.get('to'))
        if 'kind' in command and isinstance(command['kind'], str):
            if command['kind'] not in records.KINDS_BY_NAME:
                raise CommandError('no record kind %r' % command['kind'])
            command['kind'] = records.KINDS_BY_NAME[command['kind']]
        reply = self.check(command)
        if reply is not None:
            return reply
        client.waiting = (command, time.monotonic() + float(command.get('timeout', 5)))
        return None

    def _ids(self, spec):
        """Connection numbers for a wait; a name without sessions names none."""
        server = self.server
        if spec is None:
            return sorted(server.conns)
        ids = []
        for item in spec if isinstance(spec, list) else [spec]:
            if isinstance(item, int) and not isinstance(item, bool):
                ids.append(item)
            elif item == 'last':
                ids.extend([max(server.conns)] if server.conns else [])
            elif item in ('*', 'all'):
                ids.extend(c.id for c in self.targets(item))
            else:
                user = self.user(item)
                ids.extend(c.id for c in server.sessions(user))
        return ids

    def check(self, command):
        """The answer to a wait when its condition holds, otherwise None."""
        server = self.server
        what = command['for']
        if what == 'login':
            for conn in sorted(server.logged_in(), key=lambda c: -c.id):
                if command.get('user') in (None, conn.user.name):
                    return {'ok': True, 'conn': conn.id, 'user': conn.user.name,
                            'number': conn.number}
        elif what == 'connect':
            if server.accepted >= int(command.get('count', 1)):
                return {'ok': True, 'conn': server.accepted}
        elif what == 'record':
            matches = [e for e in server.received
                       if command.get('kind') in (None, e.get('kind'))
                       and command.get('user') in (None, e.get('user'))
                       and command.get('conn') in (None, e.get('conn'))]
            count = int(command.get('count', 1))
            if len(matches) >= count:
                return {'ok': True, 'count': len(matches), 'record': matches[count - 1]}
        elif what == 'closed':
            if all(i not in server.conns for i in command['ids']):
                return {'ok': True}
        elif all(i not in server.conns or server.conns[i].idle() for i in command['ids']):
            return {'ok': True}
        return None
