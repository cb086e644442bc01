#!/usr/bin/python3
"""Simulated chat server for the chat client's tests and the demo.

    chatserver.py [--host 127.0.0.1] [--port 0] [--control PORT] [--log FILE]
                  [--users FILE] [--user SPEC]... [--no-builtin] [--online NAMES]
                  [--server-version N] [--autoreply TEXT] [--compress auto|always|never]
                  [--rcvbuf BYTES] [fault switches]

Serves any number of chat connections on a loopback address. The first line of output
is the bound chat port, followed by the control port when --control is given
("40123 40124"); port 0 picks free ports.

WIRE. Every record is {u16 total length incl. header, u8 kind, u8 flag} + body, little-
endian; flag 1 = the text part is zlib-compressed. Kinds: 0x1F keepalive (4 bytes),
0x21 login (140: i32 version 4, i32 role 2, char[64] name, char[64] password),
0x22 login reply (16: u32 result, u32 server version, u32 assigned number),
0x23 message (u32 id: addressee from a client, sender to a client; text to the end),
0x26 notice (text from offset 4), 0x27 users online (u32 count + 108-byte entries
{u32 id, u32 status, u32 role, char[64] name, char[32] info}), 0x28 users offline
(u32 count + {u32 id, u32 status} pairs, status 2 = offline).

BEHAVIOUR. A login gets the reply, then (when accepted) users-online records with the
users it may see (staff see everyone, ordinary users see staff only; one record of
count 0 when nobody is there, at most 37 entries per record). Results: 0 accepted
(assigned numbers count from 10001), 1 client version below 4, 2 unknown name or wrong
password (case matters), 3 too many sessions, or the user's own result (4 expired,
5 terminated, ...); the role field of the login is not used, roles come from the table.
A refused connection stays open and may log in again; a login record shorter than 140
bytes closes it; a login on a logged-in connection is ignored. A user's first session
announces it
to those who see it (0x27, one entry), its last one leaving sends 0x28 {id, 2}.
Messages are routed by addressee id to every session of that user, with the sender's id;
a message to a simulated user is answered with --autoreply TEXT when given; messages
to nobody online, to an unknown id, or from a connection not logged in are dropped. Each
keepalive is answered with a keepalive. Texts the server sends are compressed as
--compress says: auto (default) = the client's rule, a text of 256 bytes or more goes
compressed at level 9 when that is smaller and fits the record; always; never. Records
from a client with a length field outside 4..4096 close the connection; a flagged text
that does not expand into 4096 bytes is logged with an error and not delivered.

USERS (login name / password, id, role, display name):
    kefu01 / 111111 (101, support, 技术支持小王)
    kefu02 / 111111 (102, support, 技术支持小李)
    expert01 / 222222 (103, expert, 期货专家张老师)
    expert02 / 222222 (104, expert, 证券专家陈老师)
    user01, user02 / 123456 (201, 202)   guest / guest (203)
    single / 123456 (204, at most one session: a second login gets 3)
    outdated (301, result 1), crowded (302, 3), expired (303, 4), stopped (304, 5),
    refused (305, 9); all with password 123456.
kefu01, kefu02 and expert01 are simulated as present from the start (no connection);
--online NAMES (comma-separated, empty for none) chooses others. --user
name:password[:role[:display[:result]]] adds or replaces a user (role a number or
client|support|expert); --users FILE reads a JSON array of user objects (or one per
line) with the fields name, password, role, display, info, id, result, max_logins,
online, status. --no-builtin starts from an empty table.

FAULT SWITCHES (global here; per connection or global through the control port):
    --split N            send everything in pieces of N bytes, each its own write ...
    --split-delay MS     ... with this pause between pieces (default 20)
    --join MS            gather the output for MS ms and send it in one write
    --length N           write N into the length field of every record sent (0, 1, or
                         above 4096 for the bad lengths; a larger N pads the record with
                         zero bytes to N bytes)
    --silent             send nothing (not even login replies or keepalive answers)
    --noread             read nothing from the clients
    --close-after N      close each connection once N records were sent (0: at once)
    --no-keepalive-reply do not answer keepalives
--rcvbuf BYTES sets the receive buffer of accepted sockets (makes noread bite sooner).

CONTROL (--control PORT): one JSON object per line, answered in order by one JSON line
{"ok": true, ...} or {"ok": false, "error": "..."}. "to" names connections: a number,
"last" (newest open), "*" (every logged-in), "all" (every open), a login name (its
sessions), or a list of these. Texts: "text" (Unicode, sent as GBK) or "text_hex" (raw
bytes), times "repeat" (default 1); "compress": "auto" (default), true or false; or
"payload_hex" + "flag" to send a text part exactly as given.
    {"cmd":"state"}                                  connections, online users, switches
    {"cmd":"login","user":"expert02"}                a simulated user comes (announced
          to those who see it); "user" may be an object with user fields: a new user
    {"cmd":"logout","user":"expert02"}               it goes (0x28 when no session is left)
    {"cmd":"send","from":"kefu01","to":"user01","text":"..."}   message; "from" a name or
          any id; a list in "to" is a multi-send
    {"cmd":"notice","to":"*","text":"..."}           system notice ("to" defaults to "*")
    {"cmd":"users","to":1,"users":["kefu02",{"id":9,"name":"x","role":1}],"count":N}
          one users-online record, as given (object entries: id, status (default 1),
          role (default 1), name, info, or name_hex/info_hex for raw 64/32-byte fields;
          "count" overrides the count field)
    {"cmd":"offline","to":1,"pairs":[[103,2]],"users":["kefu01"],"count":N}
    {"cmd":"reply","to":1,"result":2,"version":4,"number":0}   a login reply
    {"cmd":"raw","to":1,"hex":"0400ff00"}            bytes exactly as given (not touched by
          the length and silent switches; split and join still pace them)
    {"cmd":"fault","to":1,"split":3,"silent":true}   switches for connections; without
          "to" the global ones; "clear": true first resets to the defaults
    {"cmd":"close","to":1}                           close once queued output has left;
          "reset": true closes at once with a TCP reset
    {"cmd":"wait","for":"login","user":"user01","timeout":5}  answers when the condition
          holds ({"ok":false,"error":"timeout"} otherwise); "for": login [user] ->
          conn; connect [count] (connections accepted since start); record [kind (number
          or name), user (logged in when it arrived), conn, count (the count-th match,
          default 1)] (records received) -> that record's log entry;
          closed [to]; flushed [to] (nothing of ours left to send)
    {"cmd":"quit"}

LOG (--log FILE): one JSON object per line, flushed at once. Records: {"t" seconds,
"conn", "dir": "in"|"out", "user", "kind", "name" (keepalive, login, login_reply,
message, notice, users_online, users_offline, unknown), "length" (the length field),
"size" (bytes that travelled), "flag", "compressed", "fields"} with fields per kind:
login {version, role, name, password, name_hex}; login_reply {result, version, number};
message {id, text, text_len, text_hex, payload_len} (text expanded; "error" when it
does not expand); notice the same without id; users_online {count, users: [{id, status,
role, name, info}]}; users_offline {count, pairs}; others {body_hex}. Also "hex" (raw
sends, mismatched lengths), "fault", "dropped", "result" (on an incoming login), "note",
and on an incoming message "route" ("delivered" with "to_conns", "simulated user",
"user offline; dropped", "unknown user; dropped", "not logged in; dropped",
"unreadable; dropped"). Events: {"t", "conn", "event":
"accept" | "close" | "bad-length", "reason", ...}. A received record is logged before
the records its handling sent.
"""

import argparse
import os
import signal
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from chatsrv.control import Control  # noqa: E402
from chatsrv.faults import Faults  # noqa: E402
from chatsrv.server import ChatServer  # noqa: E402
from chatsrv.users import UserTable, parse_spec, read_file  # noqa: E402


def parse_args(argv):
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter,
                                     usage=argparse.SUPPRESS)
    parser.add_argument('--host', default='127.0.0.1')
    parser.add_argument('--port', type=int, default=0)
    parser.add_argument('--control', type=int, metavar='PORT')
    parser.add_argument('--log', metavar='FILE')
    parser.add_argument('--users', action='append', default=[], metavar='FILE')
    parser.add_argument('--user', action='append', default=[], metavar='SPEC')
    parser.add_argument('--no-builtin', action='store_true')
    parser.add_argument('--online', metavar='NAMES')
    parser.add_argument('--server-version', type=int, default=4, metavar='N')
    parser.add_argument('--autoreply', metavar='TEXT')
    parser.add_argument('--compress', choices=('auto', 'always', 'never'), default='auto')
    parser.add_argument('--rcvbuf', type=int, metavar='BYTES')
    parser.add_argument('--split', type=int, default=0, metavar='N')
    parser.add_argument('--split-delay', type=int, default=20, metavar='MS')
    parser.add_argument('--join', type=int, default=0, metavar='MS')
    parser.add_argument('--length', type=int, metavar='N')
    parser.add_argument('--silent', action='store_true')
    parser.add_argument('--noread', action='store_true')
    parser.add_argument('--close-after', type=int, metavar='N')
    parser.add_argument('--no-keepalive-reply', action='store_true')
    args = parser.parse_args(argv)

    table = UserTable(builtin=not args.no_builtin)
    try:
        for path in args.users:
            for user in read_file(path):
                table.add(user)
        for spec in args.user:
            table.add(parse_spec(spec))
    except (OSError, ValueError, TypeError, UnicodeError) as e:
        parser.error('users: %s' % e)
    present = None
    if args.online is not None:
        present = set()
        for name in filter(None, (n.strip() for n in args.online.split(','))):
            user = table.find(name)
            if user is None:
                parser.error('--online: no user %r' % name)
            present.add(user.id)
    try:
        faults = Faults({'split': args.split, 'split_delay': args.split_delay,
                         'join': args.join, 'length': args.length, 'silent': args.silent,
                         'noread': args.noread, 'close_after': args.close_after,
                         'keepalive_reply': not args.no_keepalive_reply})
    except ValueError as e:
        parser.error(str(e))
    if args.autoreply is not None:
        try:
            args.autoreply.encode('gbk')
        except UnicodeError:
            parser.error('--autoreply: the text must be writable in GBK')
    return args, table, present, faults


def main(argv=None):
    args, table, present, faults = parse_args(sys.argv[1:] if argv is None else argv)
    server = ChatServer(args.host, args.port, table, faults, args.log,
                        server_version=args.server_version, autoreply=args.autoreply,
                        compress=args.compress, rcvbuf=args.rcvbuf, present=present)
    ports = [str(server.port)]
    if args.control is not None:
        ports.append(str(Control(server, args.host, args.control).port))
    print(' '.join(ports), flush=True)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    signal.signal(signal.SIGINT, lambda *_: sys.exit(0))
    server.serve()
    return 0


if __name__ == '__main__':
    sys.exit(main())
