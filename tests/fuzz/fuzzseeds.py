#!/usr/bin/python3
"""Seeds of the fuzz targets that read what a peer sends, made by the peers themselves.

    tests/fuzz/fuzzseeds.py [OUT]      (OUT defaults to tests/fuzz/corpus)

Builds an installation with mkinstall.py in a temporary folder and has the simulated
data server's answerer and real-time frame maker answer the requests the terminal
sends: requestframes/ (one answer stream per request kind, some cut into several
frames, some compressed, after a byte for the harness), syncanswers/ (first byte: 0 login, 1 version, 2 name
table; then the answer), feedframes/ (a byte for the harness, then real-time frames
of clock, quote and news records). The SOCKS5 replies (socks5data/, socks5gateway/) follow RFC 1928 and 1929
as a proxy such as microsocks sends them. registry/ and consignsettings/ get the
store and the order client's settings the installation maker writes, and the older
layouts of the order client's settings that the conversion takes.
"""

import os
import socket
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
TOOLS = os.path.join(os.path.dirname(os.path.dirname(HERE)), 'tools')
sys.path.insert(0, TOOLS)

from datasrv import answers, frames, realtime  # noqa: E402
from datasrv.install import Installation  # noqa: E402
from datasrv.market import Model  # noqa: E402


def write(out, target, name, data):
    folder = os.path.join(out, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), 'wb') as f:
        f.write(bytes(data))


def code12(code):
    return code[:11].ljust(12, b'\0')


def request_answers(answerer, model):
    """(name, request type, request body) of every kind the dispatcher handles."""
    m0 = model.markets[0]
    s1, s2 = [s for s in m0.stocks if s.history['day']][:2]
    news = [item for item in model.news_since(0) if model.news_text(item.id) is not None]

    def recent(stock, kind, bars):
        # The time of the bars-th last bar, so that the answer stays short.
        data = stock.history[kind]
        return struct.unpack_from('<I', data, max(0, len(data) - 32 * bars))[0]

    cases = [
        ('history_min1', answers.HISTORY, bytes([0, 0]) + code12(s1.code) + struct.pack('<II', recent(s1, 'min1', 40), 0)),
        ('history_min5', answers.HISTORY, bytes([4, 0]) + code12(s1.code) + struct.pack('<II', recent(s1, 'min', 30), 0)),
        ('history_day', answers.HISTORY, bytes([8, 0]) + code12(s2.code) + struct.pack('<II', recent(s2, 'day', 30), 0)),
        ('base_text', answers.BASE_TEXT, bytes([0]) + b'\0' * 4 + s1.code[:7].ljust(8, b'\0')),
        ('weights', answers.WEIGHTS, bytes([0]) + b'\0' * 4 + s1.code[:7].ljust(8, b'\0')),
        ('news_list', answers.NEWS, bytes([0, 0]) + b'\0' * 4 + struct.pack('<i', 0)),
        ('ticks', answers.TICKS, bytes([0, 0]) + s1.code[:7].ljust(8, b'\0') + struct.pack('<I', 0)),
        ('stock_info', answers.STOCK_INFO, bytes([0]) + s1.code[:7].ljust(8, b'\0')),
        ('system_messages', answers.SYSTEM_MESSAGES, b'\0' * 4),
        ('realtime_messages', answers.REALTIME_MESSAGES, struct.pack('<i', -1)),
        ('ranking', answers.RANKING, bytes([0]) + struct.pack('<IH', 0, 2) + struct.pack('<HH', s1.entry, s2.entry)),
        ('ranking_pairs', answers.RANKING, bytes([14]) + struct.pack('<IH', 0, 2) + struct.pack('<HH', s1.entry, s2.entry)),
        ('statistics', answers.STATISTICS, struct.pack('<HH', s1.entry, s2.entry).ljust(512, b'\0') + struct.pack('<H', 2)),
        ('nothing', answers.HISTORY, b''),
    ]
    if news:
        item = news[0]
        cases.append(('news_text', answers.NEWS, bytes([2, item.type & 0xFF]) + b'\0' * 4 + struct.pack('<i', item.id)))
    for kind in range(4):
        if model.notes_of(kind, 0, 0):
            note = model.notes_of(kind, 0, 0)[0]
            cases.append(('notes_list', answers.NOTES, bytes([0, kind]) + struct.pack('<II', 0, 0)))
            cases.append(('note', answers.NOTES, bytes([1, kind]) + note.name[:15].ljust(16, b'\0')))
            break
    return cases


def main(argv):
    out = argv[1] if len(argv) > 1 else os.path.join(HERE, 'corpus')
    with tempfile.TemporaryDirectory() as tmp:
        root = os.path.join(tmp, 'install')
        store = os.path.join(tmp, 'registry.ini')
        subprocess.run([sys.executable, os.path.join(TOOLS, 'mkinstall.py'), root],
                       check=True, stdout=subprocess.DEVNULL, env=dict(os.environ, LUMO_REGISTRY=store))
        with open(store, 'rb') as f:
            write(out, 'registry', 'installation', f.read().replace(root.encode(), b'/home/u/lumo'))
        with open(os.path.join(root, 'bin', 'consign.ini'), 'rb') as f:
            write(out, 'consignsettings', 'installation', f.read())
        model = Model(Installation(root), 1, None, running=False)
        users = answers.Users(answers.BUILT_IN_USERS)
        address = socket.inet_aton('127.0.0.1')
        plain = answers.Answerer(model, users, address, 1, 'never', 600)
        packed = answers.Answerer(model, users, address, 1, 'always', 600)

        # The first byte of a request stream: the request in flight (bits 4-5) for
        # the answers matched to one, pieces of 37 bytes times bits 0-3.
        in_flight = {'news_text': 0x10, 'ranking': 0x20, 'ranking_pairs': 0x20, 'note': 0x30}
        for name, kind, body in request_answers(plain, model):
            first = in_flight.get(name, 0)
            stream = b''.join(plain.answer('data', kind, body) or [])
            write(out, 'requestframes', name, bytes([first]) + stream)
            if name in ('history_day', 'news_list', 'ranking', 'ticks'):
                stream = b''.join(packed.answer('data', kind, body) or [])
                write(out, 'requestframes', name + '_packed', bytes([first]) + stream)
            if name in ('history_min1', 'notes_list', 'statistics'):
                write(out, 'requestframes', name + '_pieces', bytes([first | 3]) + stream)

        login = lambda name, password: name.ljust(16, b'\0') + password.ljust(44, b'\0') + b'\0' * 4
        write(out, 'syncanswers', 'login_accepted', b'\0' + b''.join(plain.answer('data', answers.LOGIN, login(b'demo', b'demo'))))
        write(out, 'syncanswers', 'login_refused', b'\0' + b''.join(plain.answer('data', answers.LOGIN, login(b'locked', b'locked'))))
        write(out, 'syncanswers', 'login_unknown', b'\0' + b''.join(plain.answer('data', answers.LOGIN, login(b'nobody', b'x'))))
        write(out, 'syncanswers', 'version', b'\1' + b''.join(plain.answer('data', answers.VERSION, b'')))
        small = answers.Answerer(model, users, address, 0, 'auto', 200)
        write(out, 'syncanswers', 'name_table', b'\2' + b''.join(small.answer('data', answers.NAME_TABLE, b'\0')))
        write(out, 'syncanswers', 'name_table_nothing', b'\2' + b''.join(small.answer('data', answers.NAME_TABLE, b'\x09')))

        m0 = model.markets[0]
        quotes = [realtime.quote_record(s) for s in m0.stocks[:3]]
        clock = realtime.clock_record(model.clock.minutes())
        write(out, 'feedframes', 'clock', b'\0' + b''.join(realtime.quote_frames([clock])))
        write(out, 'feedframes', 'quotes', b'\0' + b''.join(realtime.quote_frames([clock] + quotes)))
        write(out, 'feedframes', 'quotes_packed', b'\0' + b''.join(realtime.quote_frames(quotes, 'always')))
        write(out, 'feedframes', 'quotes_split', b'\2' + b''.join(realtime.quote_frames(quotes, 'never', 124)))
        if model.news_since(0):
            write(out, 'feedframes', 'news_flash', b'\0' + b''.join(realtime.quote_frames([realtime.news_record(model.news_since(0)[0])])))
        futures = [m for m in model.markets if m.type == 2]
        if futures:
            write(out, 'feedframes', 'futures_quote', b'\0' + b''.join(realtime.quote_frames([realtime.quote_record(futures[0].stocks[0])])))

    # SOCKS5: the method choice, the RFC 1929 status when asked for, then the reply
    # naming the bound address in each of its three forms. The first byte of a seed
    # is the target's own setting (whether user and password are configured).
    ipv4 = bytes([5, 0, 0, 1, 127, 0, 0, 1, 0x1F, 0x90])
    name = bytes([5, 0, 0, 3, 9]) + b'localhost' + b'\x1f\x90'
    ipv6 = bytes([5, 0, 0, 4]) + b'\0' * 15 + b'\1' + b'\x1f\x90'
    for target in ('socks5data', 'socks5gateway'):
        write(out, target, 'open_ipv4', b'\0' + bytes([5, 0]) + ipv4)
        write(out, target, 'open_name', b'\0' + bytes([5, 0]) + name)
        write(out, target, 'open_ipv6', b'\0' + bytes([5, 0]) + ipv6)
        write(out, target, 'auth_ipv4', b'\1' + bytes([5, 2, 1, 0]) + ipv4)
        write(out, target, 'auth_refused', b'\1' + bytes([5, 2, 1, 1]))
        write(out, target, 'no_method', b'\0' + bytes([5, 0xFF]))
        write(out, target, 'connect_refused', b'\0' + bytes([5, 0, 5, 5, 0, 1, 0, 0, 0, 0, 0, 0]))

    registry = (b'[HKEY_CURRENT_USER\\Software\\Lumo\\Ver2.0]\r\nPath=sz:/home/u/lumo/\r\n'
                b'hMainWnd=dword:1234\r\nBlob=hex:00ff10\r\n@=sz:tab\\there\\x41\\\\\\0end\r\n'
                b'[HKEY_CURRENT_USER\\Software\\Lumo\\Ver2.0\\Settings]\r\nVersion=dword:7\r\n'
                b'[HKEY_CLASSES_ROOT\\http\\shell\\open\\command]\r\n@=sz:xdg-open \\"%1\\"\r\n')
    write(out, 'registry', 'kinds', registry)
    write(out, 'registry', 'odd_lines', b'; note\n[HKEY_CURRENT_USER\\Software\\Lumo\\Ver2.0\nPath=\n'
          b'Path=dword:zz\n=sz:x\nBlob=hex:0\n[]\nhMainWnd=sz:\\x\n')

    first = ('[Config]\r\nServerSelect=2\r\nSaveName=1\r\nLoginName=8001\r\nProxy Mode=1\r\n'
             'Proxy Addr=10.9.9.9\r\nProxy Port=1081\r\nServer Name=主站\r\nTCP Host=10.0.0.1\r\n'
             'TCP Port=7001\r\nTCP Host1=10.0.0.2\r\nServer Name1=备站\r\nTCP Port1=7002\r\n'
             'Client Mode=1\r\n')
    second = ('[Login]\r\nServerCount=1\r\nProxy Addr=p\r\n'
              '[Server1]\r\nServerName=A\r\nServerIP=1.1.1.1\r\nServerPort=1\r\n'
              'UseServer1=1\r\nServerIP1=2.2.2.2\r\nServerPort1=2\r\nUseServer2=0\r\n'
              'ValidateDll=QVX.DLL\r\nUseValidate=1\r\n')
    write(out, 'consignsettings', 'first_layout', first.encode('gbk'))
    write(out, 'consignsettings', 'second_layout', second.encode('gbk'))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
