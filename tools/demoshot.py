#!/usr/bin/python3
"""A picture of one program of the product on the demo set-up, for a person to look at
(scripts/screenshot runs this inside an X server of its own).

    demoshot.py lumon|consign|chatdesk|toolpick BUILD_BIN_FOLDER SCRATCH OUT.png

Makes a demo installation in SCRATCH (the installation maker's --demo), starts the
simulated servers on free loopback ports, puts the programs in, and drives them through
real input (tools/lumodrive.py):
    lumon     logged in as demo; the default page: quote list, intraday and K-line
              charts, the quotes moving for a while
    chatdesk  under lumon: "支持" shows the chat window, a support member writes, the
              user answers with Ctrl+Enter and the support's automatic answer comes
    consign   lumon logged in, a futures contract of the demo market chosen in the quote
              list and 买进 clicked: consign starts with the order, logs in as customer
              10000003 and shows the order page filled
    toolpick  the settings tool on the installation
Then saves the program's largest window as OUT.png and stops everything.
"""

import json
import os
import shutil
import socket
import struct
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

import demorun  # noqa: E402
import lumodrive  # noqa: E402
import procs  # noqa: E402

PY = sys.executable
CUSTOMER = ('10000003', '333333')
SETTLE = float(os.environ.get('LUMO_SCREENSHOT_DELAY', '2'))


def free_port():
    with socket.socket() as s:
        s.bind(('127.0.0.1', 0))
        return s.getsockname()[1]


def server(args, log):
    """Starts a simulated server; the ports it prints on its first line (it runs
    until the end stops every process below this one)."""
    proc = subprocess.Popen([PY] + args, stdout=subprocess.PIPE, stderr=open(log, 'wb'),
                            text=True)
    first = proc.stdout.readline().split()
    if not first:
        raise RuntimeError('%s did not start (see %s)' % (args[0], log))
    return first


def exe_name(pid):
    try:
        return os.path.basename(os.readlink('/proc/%d/exe' % pid))
    except (OSError, TypeError):
        return None


def window_of(display, name, timeout=60, caption=None):
    """The largest viewable window of a process running the program `name`."""
    deadline = time.monotonic() + timeout
    while True:
        best = None
        for w in display.windows():
            if exe_name(w.pid) == name and (caption is None or w.caption == caption):
                if best is None or w.width * w.height > best.width * best.height:
                    best = w
        if best or time.monotonic() >= deadline:
            return best
        time.sleep(0.2)


def save_png(window_id, out):
    dump = out + '.xwd'
    subprocess.run(['xwd', '-silent', '-id', str(window_id), '-out', dump], check=True)
    data = open(dump, 'rb').read()
    os.unlink(dump)
    fields = struct.unpack('>25I', data[:100])
    header_size, depth, width, height = fields[0], fields[3], fields[4], fields[5]
    byte_order, bits_per_pixel, bytes_per_line, ncolors = fields[7], fields[11], fields[12], fields[19]
    if bits_per_pixel not in (24, 32) or depth != 24:
        raise RuntimeError('unexpected window dump: %d bits per pixel, depth %d'
                           % (bits_per_pixel, depth))
    step = bits_per_pixel // 8
    pixels = data[header_size + 12 * ncolors:]
    rgb = bytearray(3 * width * height)
    for y in range(height):
        line = pixels[y * bytes_per_line:y * bytes_per_line + step * width]
        row = memoryview(rgb)[3 * width * y:3 * width * (y + 1)]
        if byte_order == 0:   # least significant byte first: B, G, R(, unused)
            row[0::3], row[1::3], row[2::3] = line[2::step], line[1::step], line[0::step]
        else:
            row[0::3], row[1::3], row[2::3] = line[step - 3::step], line[step - 2::step], \
                line[step - 1::step]
    lumodrive.write_png(out, width, height, bytes(rgb))


def control(port, command):
    with socket.create_connection(('127.0.0.1', port), timeout=15) as c:
        f = c.makefile('rw', encoding='utf-8')
        f.write(json.dumps(command, ensure_ascii=False) + '\n')
        f.flush()
        return json.loads(f.readline())


class Shot:
    def __init__(self, build_bin, scratch):
        self.build_bin, self.scratch = build_bin, scratch
        self.root = os.path.join(scratch, 'lumo-demo')
        self.display = lumodrive.Display()

    def setup(self):
        ports = {k: free_port() for k in ('data', 'realtime', 'gateway', 'chat')}
        env = os.environ
        env['LUMO_REGISTRY'] = os.path.join(self.root, 'registry.ini')
        env['LUMO_WINDIR'] = os.path.join(self.root, 'windows')
        subprocess.run([PY, os.path.join(HERE, 'mkinstall.py'), self.root, '--demo',
                        '--data-server', '127.0.0.1:0:%d:%d' % (ports['data'], ports['realtime']),
                        '--gateway', '127.0.0.1:%d' % ports['gateway'],
                        '--chat-server', '127.0.0.1:%d' % ports['chat']], check=True)
        os.makedirs(env['LUMO_WINDIR'], exist_ok=True)
        for name in ('lumon', 'consign', 'toolpick', 'chatdesk'):
            source = os.path.join(self.build_bin, name, 'main', name)
            if os.access(source, os.X_OK):
                shutil.copy(source, os.path.join(self.root, 'bin',
                                                 'chatdesk.dll' if name == 'chatdesk' else name))
        logs = os.path.join(self.scratch, 'logs')
        os.makedirs(logs, exist_ok=True)
        for args in (
                [os.path.join(HERE, 'dataserver.py'), '--install', self.root, '--host', '127.0.0.1',
                 '--data-port', str(ports['data']), '--realtime-port', str(ports['realtime'])],
                [os.path.join(HERE, 'gateway.py'), '--port', str(ports['gateway']), '--demo'],
                [os.path.join(HERE, 'chatserver.py'), '--port', str(ports['chat']), '--control', '0',
                 '--user', 'demo:demo', '--autoreply', '好的，我来帮您查看。']):
            first = server(args, os.path.join(logs, os.path.basename(args[0]) + '.log'))
            if args[0].endswith('chatserver.py'):
                self.chat_control = int(first[1])

    def start(self, name):
        out = open(os.path.join(self.scratch, 'logs', name + '.out'), 'wb')
        return subprocess.Popen(['./' + name], cwd=os.path.join(self.root, 'bin'),
                                stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT)

    def lumon(self):
        lumon = self.start('lumon')
        if not demorun.log_in_lumon(self.display, lumon.pid):
            raise RuntimeError('lumon showed no login dialog')
        frame = self.display.find_window('lumo', pid=lumon.pid, timeout=60)
        if not frame:
            raise RuntimeError('lumon showed no main window after its login')
        time.sleep(3)   # the login dialog closes, the page fills
        message = self.display.find_window('系统消息', pid=lumon.pid)
        if message:   # the system message the login brought, read
            self.display.activate(message)
            self.display.key('Return')
            time.sleep(1)
        # There is no window manager to maximise the frame: the screen less a margin.
        screen = self.display.screen_size()
        frame = self.display.place(frame, 0, 0, screen[0], screen[1])
        time.sleep(2)
        return lumon, frame

    def shoot_lumon(self):
        _, frame = self.lumon()
        self.display.activate(frame)
        time.sleep(max(SETTLE, 5))   # quotes move
        return frame

    def shoot_toolpick(self):
        self.start('toolpick')
        w = window_of(self.display, 'toolpick')
        time.sleep(SETTLE)
        return w

    def shoot_chatdesk(self):
        lumon, frame = self.lumon()
        control(self.chat_control, {'cmd': 'wait', 'for': 'login', 'user': 'demo', 'timeout': 60})
        self.display.activate(frame)
        self.toolbar_click(frame, '支持')
        chat = window_of(self.display, 'chatdesk.dll', timeout=20)
        if not chat:
            raise RuntimeError('the chat window did not show')
        control(self.chat_control, {'cmd': 'send', 'from': 'kefu01', 'to': 'demo',
                                    'text': '您好，我是技术支持小王，请问有什么可以帮您？'})
        time.sleep(1)
        self.display.activate(chat)
        self.display.type_text('Hello')
        self.display.key('ctrl+Return')
        time.sleep(SETTLE + 1)
        return window_of(self.display, 'chatdesk.dll', timeout=5)

    def shoot_consign(self):
        lumon, frame = self.lumon()
        self.display.activate(frame)
        self.choose_futures(frame)
        self.toolbar_click(frame, '买进')
        dialog = self.display.find_window(demorun.CONSIGN_LOGIN, timeout=60)
        if not dialog:
            raise RuntimeError('consign showed no login dialog after 买进')
        self.display.click(*demorun.fill_consign_login(self.display, dialog, CUSTOMER[1], CUSTOMER[0]))
        time.sleep(SETTLE + 3)
        return window_of(self.display, 'consign')

    # Steps that depend on the windows' layout.

    # The tool bar of lumon's frame below its menu bar: buttons 52 pixels wide, separators
    # 8, as the demo installation shows it (the line tools hidden, 直接买卖 on).
    TOOLBAR = ['后退', '闪电图', 'K线图', '起始页', '新闻', '背景资料', '|', '信息窗', '刷新',
               '放大', '缩小', '|', '预警', '风格', '连接', '支持', '|', '买进', '卖出']
    TOOLBAR_MIDDLE, BUTTON_WIDTH, SEPARATOR_WIDTH = 31, 52, 8

    def toolbar_click(self, frame, caption):
        x = 0
        for item in self.TOOLBAR:
            if item == caption:
                break
            x += self.SEPARATOR_WIDTH if item == '|' else self.BUTTON_WIDTH
        self.display.click(frame.x + x + self.BUTTON_WIDTH // 2, frame.y + self.TOOLBAR_MIDDLE)
        time.sleep(1)

    def choose_futures(self, frame):
        """The demo market's first contract through the keyboard wizard: its code typed
        into the frame, Enter."""
        self.display.type_text('010012')
        time.sleep(1)
        self.display.key('Return')
        time.sleep(2)

    def stop(self):
        procs.stop_descendants()
        self.display.close()


def main(argv):
    if len(argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    program, build_bin, scratch, out = argv
    os.environ['QT_QPA_PLATFORM'] = 'xcb'
    procs.become_subreaper()
    shot = Shot(build_bin, scratch)
    try:
        shot.setup()
        window = getattr(shot, 'shoot_' + program.replace('.dll', ''))()
        if not window:
            raise RuntimeError('%s showed no window' % program)
        shot.display.activate(window)
        time.sleep(0.5)
        save_png(window.id, out)
    except (RuntimeError, subprocess.CalledProcessError, OSError) as e:
        print('screenshot: %s (the logs are in %s)' % (e, os.path.join(scratch, 'logs')),
              file=sys.stderr)
        return 1
    finally:
        shot.stop()
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
