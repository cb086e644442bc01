#!/usr/bin/python3
"""Simulated data server of the analysis terminal, for its tests and the demo.

    dataserver.py --install ROOT [--host 127.0.0.1] [--balance-port P] [--data-port P]
                  [--realtime-port P] [--control P] [--data-address IP] [--log FILE]
                  [--users FILE] [--program-version N] [--compress never|auto|always]
                  [--max-body N] [--seed N] [--clock HHMM] [--tick S] [--news-every S]
                  [fault switches]

Three listeners on one address: balancing (logins only), data (logins and every request)
and real-time (subscriptions in, quote frames out). A port of 0 (the default) binds a
free port. The first line of output names the bound ports:
    balance=P data=P realtime=P control=P        (control only with --control)
A test that needs the fixed balancing port 6669 passes --host 127.0.0.N of its own.

Serves the installation under ROOT as the installation maker wrote it (cfg/mkinfo.cfg,
data/<market>/nametbl.*, real.*, day/, min/, min1/, tick/*.tik, weight/, base/,
data/info/news.ntl and its articles, data/realdata.ini, cfg/blkinfo.ini and its block
files, cfg/Brokerlist.dbf), read once at start; what the terminal later writes into the
same tree changes nothing served.

Frames (both directions): 10-byte header, little-endian: marker 0x40, type, u16 frame
count, u16 frame index, u16 body size, compressed flag, reserved 0; then the body. A
long answer is several frames of one type with the same count and indexes 0..count-1,
each repeating the answer's prefix (market, code...) and carrying whole records, at most
--max-body bytes before compression. With --compress auto a body goes out as a WMC15
stream (flag 1) when that is shorter, always compresses, never does not.

Requests answered (request frame: answer frame):
    3 login: 3 accepted, body 58 bytes: [0..1] date (day bits 0-4, month 5-8, years since
      2000 in bits 9-14), [2..49] rights block, [50..53] data-server IPv4 (network order,
      --data-address), [54..57] login value (the one the terminal sent in [60..63] when
      not 0, else a new one); 2 refused: [0..1] 0, [2] code, [3..] GBK text, NUL.
      Accounts: demo/demo, test/test (all rights), locked/locked (refused, code 7); an
      unknown name is refused with code 1, a wrong password with code 2, a login value
      [60..63] that the server never gave that user with code 4. --users FILE
      replaces them: a JSON list of {"name", "password", optional "refuse_code" and
      "refuse_text", optional "rights": 96 hex digits}.
    202 version: 202, i32 --program-version (default 0: no update offered).
    6 name table [market]: 6 frames, [0] market, then 32-byte static records (codes
      NUL-padded, stock index at 28 set to the position).
    12 history: 12, [0] period kind, [1] market, [2..13] code, then 32-byte bars of the
      1-minute (kind < 4), 5-minute (4-7) or day (8+) file with start <= time <= end
      (a bound of 0 is open).
    21 company text: 21, [0] market, [1..4] 0, [5..12] code, then the text (the
      installation's base/<code>.Txt, else a made-up GBK text).
    18 weights: 18, same prefix, then the weight file's bytes (none: the prefix alone).
    15 news: sub-kind 0: 15, [0] 0, [1] 0, then 88-byte records ([1] type, [2..3] id,
      [4..7] date and time, [8..87] title) of the items whose id >= body[6..9]; sub-kind
      2: 15, [0] 2, [1] news type, then the article of id body[6..9].
    20 ticks: 20, [0] sub-kind, [1] market, [2..13] code, then the day's 20-byte ticks
      from index body[10..13] (the installation's .tik plus those the walk adds).
    102 stock information: 102, [0] market, [1..8] code, [9..252] broker-queue record.
    203 system messages: 203, [0..3] 0, then GBK text.
    204 real-time messages: 204, [0..3] message id, then GBK text, when the server holds
      a message newer than the id in the request.
    101 ranking: 101, [0] 0, then one record per requested stock, in request order,
      for the quote field that the sort code body[0] stands for: fields 10, 11, 14
      {u16 entry, f32 last, f32 prev close} (field 14: one leading record of the
      market's first stock), 13 {u16, f32 volume, f32 day volume reference}, 20 {u16,
      f32 bid volumes, f32 ask volumes}, 21 {u16, f32 last, f32 price 5 minutes ago},
      12 {u16, f32 high, f32 low, f32 prev close}, others {u16, f32 value (prices in
      scale units), 1 byte 0}; an entry the server does not hold gets zeros. Flag 1 in
      body[1..4]: body[5..6] is a block id (the market, class and system-file blocks
      in the terminal's numbering; an unknown id means every stock).
    16 notes: sub-kind 0: 16, [0] 0, [1] kind, then 108-byte records of the kind's notes
      from number body[6..9]; sub-kind 1: 16, [0] 1, [1] kind, then the note's text.
    9 day statistics: 9, 27-byte records {u16 entry, side flag, u32 balance, long stop,
      long profit, short stop and short cover prices, f32 reference: a day's volume, or
      the open interest at the day's start where the amount field holds it}.
    1 heartbeat: no answer. Other types: no answer.
    Nothing to send (unknown stock, no data, malformed body): frame 2 with the 4-byte
    body [request frame type, 0, 0, 0], which completes the oldest request.
The balancing listener answers logins only. On the data listener every request before
the connection's accepted login is refused with frame 2, [0..1] 0, [2] 3, "请先登录"
(the heartbeat stays unanswered). Requests are answered in arrival order.

Real-time listener: a type-100 frame (518 bytes: 256 u16 entries, u16 count, u16 new
count, u16 flag) replaces the connection's subscription and is answered at once with a
clock record and the quotes of the new entries. Pushes are type-8 frames (count 1,
index 0) of 124-byte records: clock ([0..1] 0, [2..3] UTC minutes since midnight, byte
116 = 0), quote ([0..1] market, [4..35] quote words 0-7, [36..115] words 10-29, the
settlement price in [52..55] for market type 2, [116..123] code) and news flash ([0]
0xFF, [1] type, [2..3] id, [4..7] date and time, [8..] title). Every --tick seconds the
seeded walk moves some stocks of each market whose session is open at its local time,
appending ticks; each connection gets its subscribed stocks that changed, preceded by a
clock record when the minute changed. Every --news-every seconds a news flash goes to
every real-time connection.

Options:
    --install ROOT        installation to serve (required)
    --host ADDR           address of every listener (default 127.0.0.1)
    --balance-port P, --data-port P, --realtime-port P   (default 0: free ports)
    --control P           control port (0: a free one); absent: none
    --data-address IP     data-server address given at login (default --host)
    --log FILE            received frames, one JSON line each
    --users FILE          accounts (above)
    --program-version N   version of the version answer (default 0)
    --compress MODE       never, auto (default) or always
    --max-body N          most body bytes of one frame before compression, 16..16000
                          (default 8000)
    --seed N              seed of the walk and the login values (default 1)
    --clock HHMM          start the clock at this local time of market 0 on its trading
                          date (default: the newest tick of the installation)
    --tick S              seconds between steps of the walk and clock (default 1);
                          0: clock, quotes and news stand still except on command
    --news-every S        seconds between made-up news flashes (default 0: none)

Fault switches (the control port's "fault" command takes the same objects; see the
fault fields below):
    --fault JSON          add a fault (repeatable)
    --silent              nothing is ever sent on any listener (logins included)
    --split-at N[,M...]   every frame on every listener is written in pieces cut at these
                          byte offsets, --split-pause MS apart (default 30)
    --coalesce            all frames of an answer or push go out in one write
    --delay MS            every answer on the data listener is sent MS later
    --drop N              the answers to the first N ring requests (types 9, 12, 15,
                          16, 18, 20, 21, 101, 102, 203, 204) are not sent
    --close-after N       a data connection is closed when its (N+1)-th frame arrives
    --reset-after N       the same with a reset

Fault fields: fault (split, coalesce, garbage, oversize, drop, delay, close, reset);
listener (data by default, balance, realtime, any); on (request frame type, list, or
"ring"; pushes count as type 8); count (default 1; 0 = until cleared); skip (matching
answers or pushes let through first); split: at (offset or list), pause_ms (30);
garbage: hex, or length (16 random bytes other than 0x40) written before; oversize:
size (9000), type (the answer's own) of a frame written before; delay: ms (later
answers may overtake); close, reset: send (bytes of the answer written first, 0).

Control port: one JSON object per line, answered by one JSON line {"ok": true, ...} or
{"ok": false, "error": TEXT}:
    {"cmd": "ports"}                       the bound ports
    {"cmd": "status"}                      connections (id, listener, peer, frames
                                           received, bytes skipped before a marker,
                                           subscription), clock, faults, logins,
                                           number of frames logged
    {"cmd": "frames", "since": N}          logged frames from sequence number N, "next"
    {"cmd": "fault", ...fault fields}      adds a fault, returns its "id"
    {"cmd": "clear", "id": N}              removes a fault, or every fault without id
    {"cmd": "set", "compress": MODE, "max_body": N, "version": N}
    {"cmd": "step", "n": N}                N walk steps in every market, sessions or not;
                                           pushes the changes
    {"cmd": "quote", "market": M, "code": C | "stock": I, fields..., "bids": [[p, v]..],
     "asks": [...], "tick": true, "to": "all", "conn": ID}
                                           sets quote fields (prev_close, open, high,
                                           low, last, volume, amount, last_volume,
                                           fast_change, settlement; prices in scale
                                           units), adds a tick when last or volume is
                                           given, pushes it to the subscribers (to every
                                           real-time connection with "to": "all");
                                           returns the 124-byte wire "record" in hex
    {"cmd": "clock", "hhmm": HHMM | "utc_minutes": N, "push": true}
                                           sets the clock and pushes a clock record
    {"cmd": "news", "type": T, "title": S, "text": S, "push": true}
                                           adds a news item (a made-up one without title)
                                           and pushes its flash; returns "id", "record"
    {"cmd": "send", "listener": L, "conn": ID, "hex": H}   raw bytes to connections
    {"cmd": "frame", "listener": L, "conn": ID, "type": T, "body": HEX, "count": C,
     "index": I, "compress": false}        one frame to connections; returns its "hex"
    {"cmd": "close", "listener": L, "conn": ID, "reset": false}
"listener" defaults to data; without "conn" every connection of the listener is meant.

Log (--log FILE, also the "frames" command): one JSON object per received frame:
    {"seq": N, "time": UNIX, "listener": "balance"|"data"|"realtime", "conn": ID,
     "peer": "ADDR:PORT", "type": T, "count": C, "index": I, "size": S,
     "compressed": F, "reserved": R, "hex": "<header and body bytes>"}
Bytes before a frame that do not start with the marker 0x40 are skipped unlogged.

SIGTERM or SIGINT stops the server.
"""

import argparse
import asyncio
import json
import os
import signal
import socket
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from datasrv import frames  # noqa: E402
from datasrv.answers import Answerer, BUILT_IN_USERS, RING_FRAMES, Users  # noqa: E402
from datasrv.faults import Faults  # noqa: E402
from datasrv.install import Installation  # noqa: E402
from datasrv.market import Model  # noqa: E402
from datasrv.server import Server, check_max_body  # noqa: E402


def parse_args(argv):
    parser = argparse.ArgumentParser(
        prog='dataserver.py', description=__doc__,
        formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument('--install', required=True, metavar='ROOT')
    parser.add_argument('--host', default='127.0.0.1')
    parser.add_argument('--balance-port', type=int, default=0, metavar='P')
    parser.add_argument('--data-port', type=int, default=0, metavar='P')
    parser.add_argument('--realtime-port', type=int, default=0, metavar='P')
    parser.add_argument('--control', type=int, metavar='P')
    parser.add_argument('--data-address', metavar='IP')
    parser.add_argument('--log', metavar='FILE')
    parser.add_argument('--users', metavar='FILE')
    parser.add_argument('--program-version', type=int, default=0, metavar='N')
    parser.add_argument('--compress', choices=frames.COMPRESS_MODES, default='auto')
    parser.add_argument('--max-body', type=int, default=8000, metavar='N')
    parser.add_argument('--seed', type=int, default=1, metavar='N')
    parser.add_argument('--clock', type=int, metavar='HHMM')
    parser.add_argument('--tick', type=float, default=1.0, metavar='S')
    parser.add_argument('--news-every', type=float, default=0.0, metavar='S')
    parser.add_argument('--fault', action='append', default=[], metavar='JSON')
    parser.add_argument('--silent', action='store_true')
    parser.add_argument('--split-at', metavar='N[,M...]')
    parser.add_argument('--split-pause', type=int, default=30, metavar='MS')
    parser.add_argument('--coalesce', action='store_true')
    parser.add_argument('--delay', type=int, metavar='MS')
    parser.add_argument('--drop', type=int, metavar='N')
    parser.add_argument('--close-after', type=int, metavar='N')
    parser.add_argument('--reset-after', type=int, metavar='N')
    args = parser.parse_args(argv)
    try:
        check_max_body(args.max_body)
        socket.inet_aton(args.data_address or args.host)
        if args.clock is not None and not (0 <= args.clock <= 2359 and args.clock % 100 < 60):
            raise ValueError('--clock takes HHMM')
        faults = Faults()
        for text in args.fault:
            faults.add(json.loads(text))
        if args.silent:
            faults.add({'fault': 'drop', 'listener': 'any', 'count': 0})
        if args.split_at:
            faults.add({'fault': 'split', 'listener': 'any', 'count': 0,
                        'at': [int(n) for n in args.split_at.split(',')],
                        'pause_ms': args.split_pause})
        if args.coalesce:
            faults.add({'fault': 'coalesce', 'listener': 'any', 'count': 0})
        if args.delay is not None:
            faults.add({'fault': 'delay', 'listener': 'data', 'count': 0, 'ms': args.delay})
        if args.drop:
            faults.add({'fault': 'drop', 'listener': 'data', 'on': list(RING_FRAMES),
                        'count': args.drop})
    except (ValueError, OSError) as e:
        parser.error(str(e))
    return args, faults


async def run(args, faults):
    try:
        installation = Installation(args.install)
        users = Users.load(args.users) if args.users else Users(BUILT_IN_USERS)
    except (OSError, ValueError) as e:
        print('dataserver: %s' % e, file=sys.stderr)
        return 2
    model = Model(installation, args.seed, args.clock, running=args.tick > 0)
    answerer = Answerer(model, users, socket.inet_aton(args.data_address or args.host),
                        args.program_version, args.compress, args.max_body)
    server = Server(model, answerer, faults, args.host,
                    {'balance': args.balance_port, 'data': args.data_port,
                     'realtime': args.realtime_port}, args.control, args.log,
                    args.tick, args.news_every, args.close_after, args.reset_after)
    try:
        await server.start()
    except OSError as e:
        print('dataserver: %s' % e, file=sys.stderr)
        await server.stop()
        return 2
    print(server.first_line(), flush=True)
    stop = asyncio.Event()
    loop = asyncio.get_running_loop()
    for sig in (signal.SIGTERM, signal.SIGINT):
        loop.add_signal_handler(sig, stop.set)
    await stop.wait()
    await server.stop()
    return 0


def main(argv=None):
    args, faults = parse_args(sys.argv[1:] if argv is None else argv)
    return asyncio.run(run(args, faults))


if __name__ == '__main__':
    sys.exit(main())
