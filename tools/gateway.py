#!/usr/bin/python3
"""Simulated trade gateway for the order client's tests and the demo.

    gateway.py [--host 127.0.0.1] [--port 0] [--encipher on|off] [--log FILE]
               [--control PORT] [--records-per-packet N] [--demo] [fault switches]

Serves any number of connections on a loopback address: the hello (enciphering on or
off), the session key chains in both directions, checksums, and the answers to every
request of the order client from a built-in broker book (tradegw/data.py lists the
accounts and passwords). The first line of output is the bound port, followed by the
control port when --control is given.

Requests are checked as a real gateway checks them: a body of the wrong size, a user id
that is not the session's, a customer or contract the session may not use, a text field
that is not GBK, a request before the login, and a packet sealed under another key than
the chain expects are each refused under the request's answer code with status 1 and a
text; the connection stays.

--demo also lists the contracts of the demo installation's futures market (the installation
maker's --demo): the contract codes the terminal's order bridge derives from its 6-digit
codes on today's date (demomarket.py), priced at the market's previous closes.

--log FILE writes one JSON line per packet received and sent and per connection event
(tradegw/server.py describes the fields). --control PORT opens a loopback port that takes
one JSON command per line (list, send, exchange, gateway, info, ping, hello, deal, kick,
close, silence) and answers each with a JSON line.

Fault switches (PACKETS: comma-separated items, "N" the N-th packet a connection sends,
the hello answer being the first, "@C" the first packet of code C):
    --split N                 send every packet in pieces of N bytes ...
    --split-pause MS          ... with this pause between them (default 20)
    --bad-checksum PACKETS    spoil the checksum (the key chain still advances)
    --bad-text-length PACKETS announce and send a 257-byte text
    --bad-body-length PACKETS announce and send a 5121-byte body
    --stall PACKETS           send the first 20 bytes, then nothing more on that connection
    --silent-after N          answer N received packets, then nothing (0: not even the hello)
    --close-after N           close after answering N received packets (0: at once)
    --refuse-hello TEXT       refuse the hello with this text
    --before-hello            send a gateway-state packet before the hello answer
    --fault-connections M     the faults hit only the first M connections
"""

import argparse
import os
import signal
import sys
import threading

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import demomarket  # noqa: E402
from tradegw.server import Control, Faults, Gateway, PacketSelector  # noqa: E402


def parse_args(argv):
    parser = argparse.ArgumentParser(description='Simulated trade gateway.')
    parser.add_argument('--host', default='127.0.0.1')
    parser.add_argument('--port', type=int, default=0)
    parser.add_argument('--encipher', choices=('on', 'off'), default='on')
    parser.add_argument('--log')
    parser.add_argument('--control', type=int, metavar='PORT')
    parser.add_argument('--records-per-packet', type=int, metavar='N')
    parser.add_argument('--demo', action='store_true',
                        help="also list the contracts of the demo installation's futures market")
    parser.add_argument('--split', type=int, default=0, metavar='N')
    parser.add_argument('--split-pause', type=int, default=20, metavar='MS')
    for name in ('bad-checksum', 'bad-text-length', 'bad-body-length', 'stall'):
        parser.add_argument('--' + name, default='', metavar='PACKETS')
    parser.add_argument('--silent-after', type=int, metavar='N')
    parser.add_argument('--close-after', type=int, metavar='N')
    parser.add_argument('--refuse-hello', metavar='TEXT')
    parser.add_argument('--before-hello', action='store_true')
    parser.add_argument('--fault-connections', type=int, metavar='M')
    args = parser.parse_args(argv)
    if args.split < 0 or (args.records_per_packet is not None and args.records_per_packet < 1):
        parser.error('--split and --records-per-packet take positive numbers')
    try:
        selectors = {name: PacketSelector(getattr(args, name))
                     for name in ('bad_checksum', 'bad_text_length', 'bad_body_length', 'stall')}
    except ValueError:
        parser.error('PACKETS is a comma-separated list of N and @C items')
    faults = Faults(split=args.split, split_pause=args.split_pause / 1000.0,
                    silent_after=args.silent_after, close_after=args.close_after,
                    refuse_hello=args.refuse_hello, before_hello=args.before_hello,
                    connections=args.fault_connections, **selectors)
    return args, faults


def main(argv=None):
    args, faults = parse_args(sys.argv[1:] if argv is None else argv)
    gateway = Gateway(args.host, args.port, args.encipher == 'on', faults, args.log,
                      args.records_per_packet,
                      demomarket.gateway_contracts() if args.demo else ())
    ports = [str(gateway.port)]
    if args.control is not None:
        control = Control(gateway, args.host, args.control)
        ports.append(str(control.port))
        control.serve()
    gateway.serve()
    print(' '.join(ports), flush=True)
    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    stop.wait()
    return 0


if __name__ == '__main__':
    sys.exit(main())
