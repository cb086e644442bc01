#!/usr/bin/python3
"""The whole product's speed as a user sees it, on an X server of its own (Xvfb):
the four programs as processes on a demo installation against the simulated
servers, the surroundings of the end-to-end tests (tests/e2e/world.py).

Starts: the time from starting a program's process to its first window mapped on
the X display (seen as the X server's MapNotify, the window known by its caption
and process), for lumon (its login dialog), consign (its login dialog), toolpick
(its form) and chatdesk (its chat window, shown as soon as the program greets its
starter: the chat tests' starter plays the terminal's side of the link). Each is
compared with an empty Qt window's start (the start benchmarks' own empty-window
child, on the same display), the two kinds alternating in one run.

买进: in the logged-in lumon on a futures contract of the demo market, the tool
bar's 买进 clicked. The first time consign starts: 买进 to its login dialog, and
its 确定 to the order sheet shown (the order page is filled before it shows). Then,
with consign running, each 买进 is relayed to it by a second consign: 买进 to the
running sheet's order page showing the contract again (its contract edit emptied
before each 买进, as a user empties it). Medians and minima of several repetitions.

    LUMO_BUILD=build/release bench/bench_programs.py [--runs N]

scripts/bench runs it in a sandbox after the benchmark programs. Every process
started here, and every one those started, is ended and reaped at the end.
"""

import argparse
import ctypes
import os
import select
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(HERE)
os.environ.setdefault('LUMO_BUILD', os.path.join(SOURCE, 'build', 'release'))
sys.path.insert(0, os.path.join(SOURCE, 'tests', 'e2e'))

from world import BUILD, PROGRAMS, World, wait_until  # noqa: E402  (also puts tools/ on the path)
import demorun  # noqa: E402
import lumodrive  # noqa: E402
import procs  # noqa: E402
from demorun import CONSIGN_LOGIN, LUMON_LOGIN  # noqa: E402
from user import CHAT_CAPTION, CUSTOMER, FUTURES_CODE, Terminal  # noqa: E402

TOOLPICK_FORM = 'ConfigTool'
WIZARD = '智能键盘'
# A point inside the order page's contract edit, as fractions of the sheet's width
# and height; where the edit lies exactly is then found by emptying it.
CONTRACT_EDIT = (0.85, 0.31)
SHEET_PART = '王五'  # the customer's name in the order sheet's caption
WAIT = 60.0
PARTS = ['lumon', 'consign', 'chatdesk', 'toolpick', 'buy']

MapNotify = 19
SubstructureNotifyMask = 1 << 19


class XMapEvent(ctypes.Structure):
    _fields_ = [('type', ctypes.c_int), ('serial', ctypes.c_ulong), ('send_event', ctypes.c_int),
                ('display', ctypes.c_void_p), ('event', lumodrive.XWindow), ('window', lumodrive.XWindow),
                ('override_redirect', ctypes.c_int)]


class MapWatch:
    """The top-level windows mapped on the display, as the X server reports them:
    a connection of its own that listens on the root window."""

    def __init__(self, display):
        self.d = lumodrive.Display(display)
        x11 = self.x11 = self.d.x11
        x11.XSelectInput.argtypes = [ctypes.c_void_p, lumodrive.XWindow, ctypes.c_long]
        x11.XPending.argtypes = [ctypes.c_void_p]
        x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(lumodrive.XEvent)]
        x11.XConnectionNumber.argtypes = [ctypes.c_void_p]
        x11.XSelectInput(self.d.dpy, self.d.root, SubstructureNotifyMask)
        x11.XSync(self.d.dpy, False)
        self.fd = x11.XConnectionNumber(self.d.dpy)

    def close(self):
        self.d.close()

    def _events(self):
        event = lumodrive.XEvent()
        while self.x11.XPending(self.d.dpy):
            self.x11.XNextEvent(self.d.dpy, ctypes.byref(event))
            if event.xclient.type == MapNotify:
                mapped = ctypes.cast(ctypes.byref(event), ctypes.POINTER(XMapEvent)).contents
                if not mapped.override_redirect:
                    yield mapped.window

    def drain(self):
        for _ in self._events():
            pass

    def wait(self, match, timeout=WAIT):
        """The moment (time.monotonic()) the first window for which match(caption,
        pid) holds was mapped, and its caption; mapped windows that do not match
        are passed over."""
        deadline = time.monotonic() + timeout
        seen = []
        while True:
            for window in self._events():
                now = time.monotonic()
                caption, pid = self.d._caption(window) or '', self.d._pid(window)
                if match(caption, pid):
                    return now, caption
                seen.append((caption, pid))
            left = deadline - time.monotonic()
            if left <= 0:
                raise AssertionError('the window did not come within %g s (mapped meanwhile: %r)' % (timeout, seen))
            select.select([self.fd], [], [], left)


def press(d, x, y):
    """A click at (x, y) whose press leaves at the moment returned: the pointer is
    moved there first."""
    d.move(x, y)
    time.sleep(0.05)
    start = time.monotonic()
    d.xtst.XTestFakeButtonEvent(d.dpy, 1, True, 0)
    d.xtst.XTestFakeButtonEvent(d.dpy, 1, False, 0)
    d.x11.XFlush(d.dpy)
    return start


def read_line(proc, prefix, timeout=WAIT):
    """The next line of a child's standard output that starts with `prefix`."""
    deadline = time.monotonic() + timeout
    buffered = getattr(proc, 'buffered', b'')
    while True:
        while b'\n' in buffered:
            line, buffered = buffered.split(b'\n', 1)
            if line.decode(errors='replace').startswith(prefix):
                proc.buffered = buffered
                return line.decode(errors='replace')
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([proc.stdout], [], [], left)[0]:
            raise AssertionError('no %r from the starter within %g s' % (prefix, timeout))
        chunk = os.read(proc.stdout.fileno(), 4096)
        if not chunk:
            raise AssertionError('the starter ended')
        buffered += chunk


def end(proc):
    """Ends a process started here and reaps it."""
    if proc.poll() is None:
        proc.kill()
    proc.wait(WAIT)
    procs.reap()


def built(*parts):
    return os.path.join(BUILD, *parts)


def chat_starter():
    """The chat tests' starter, built with the tests or with the benchmarks."""
    for path in (built('bench', 'lumo_chatstarter'), built('tests', 'chatdesk', 'ui', 'lumo_chatstarter')):
        if os.access(path, os.X_OK):
            return path
    raise AssertionError('lumo_chatstarter is not built in %s' % BUILD)


class Starts:
    """Starts of the programs and of the empty window, each to its first window."""

    def __init__(self, world, watch):
        self.world, self.watch = world, watch
        self.empty_program = built('bench', 'bench_toolpick')
        if not os.access(self.empty_program, os.X_OK):
            raise AssertionError('bench_toolpick (the empty window) is not built in %s' % BUILD)
        # The starter chatdesk greets: it starts one chat program of its own that
        # ends at once (its command line names no window); the chat programs timed
        # here name the starter's window.
        self.starter = subprocess.Popen(
            [chat_starter(), os.path.join(world.bin, PROGRAMS['chatdesk']), '--cmdline', '0'],
            cwd=world.bin, env=world.env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
            stderr=subprocess.DEVNULL)
        self.starter_window = world.handle_of(self.starter.pid, 'terminal')

    def close(self):
        end(self.starter)

    def timed(self, start, match):
        """Starts a process with start() (which gives the process) and waits for its
        first window; the milliseconds and the process."""
        self.watch.drain()
        began = time.monotonic()
        proc = start()
        mapped, _ = self.watch.wait(lambda caption, pid: pid == proc.pid and match(caption))
        return (mapped - began) * 1000, proc

    def program(self, name, caption):
        ms, proc = self.timed(lambda: self.world.start(name), lambda c: c == caption)
        end(proc)
        return ms

    def chatdesk(self):
        def start():
            # As the layer's CreateProcessA starts it: the whole command line, the
            # starter's window, also in the variable its GetCommandLineA reads.
            line = str(self.starter_window)
            return subprocess.Popen([os.path.join(self.world.bin, PROGRAMS['chatdesk']), line],
                                    cwd=self.world.bin, env=dict(self.world.env, LUMO_CMDLINE=line),
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

        def shown_on_greeting():
            proc = start()
            read_line(self.starter, 'greeted ')
            self.starter.stdin.write(b'show\n')
            self.starter.stdin.flush()
            return proc
        ms, proc = self.timed(shown_on_greeting, lambda c: c.startswith(CHAT_CAPTION))
        # 2564/3: the chat program ends as it does when the terminal closes.
        self.starter.stdin.write(b'end\n')
        self.starter.stdin.flush()
        try:
            proc.wait(WAIT)
        finally:
            end(proc)
        return ms

    def empty(self):
        read, write = os.pipe()
        try:
            ms, proc = self.timed(lambda: subprocess.Popen(
                [self.empty_program, '--child', 'empty', str(write), self.world.bin], env=self.world.env,
                pass_fds=(write,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL), lambda c: True)
            os.close(write)
            write = -1
            # It reports once it has painted and settled, and ends.
            with os.fdopen(read, 'rb') as f:
                read = -1
                f.read()
            proc.wait(WAIT)
        finally:
            for fd in (read, write):
                if fd >= 0:
                    os.close(fd)
        return ms


def summary(values):
    return statistics.median(values), min(values)


def bench_starts(world, watch, runs, wanted):
    starts = Starts(world, watch)
    kinds = {
        'lumon': lambda: starts.program('lumon', LUMON_LOGIN),
        'consign': lambda: starts.program('consign', CONSIGN_LOGIN),
        'chatdesk': starts.chatdesk,
        'toolpick': lambda: starts.program('toolpick', TOOLPICK_FORM),
    }
    kinds = {k: v for k, v in kinds.items() if k in wanted}
    rows = []
    try:
        for name, start in kinds.items():
            # One of each first, so that both find their files in the page cache;
            # then the two alternate.
            start()
            starts.empty()
            program, empty = [], []
            for _ in range(runs):
                program.append(start())
                empty.append(starts.empty())
            rows.append((name, summary(program), summary(empty)))
            print_start_row(*rows[-1])
    finally:
        starts.close()
    return rows


def print_start_row(name, program, empty):
    print('%-10s %9.1f %9.1f %9.1f %9.1f %7.2f' % (name, program[0], program[1], empty[0], empty[1],
                                                    program[0] / empty[0] if empty[0] else 0), flush=True)


class Band:
    """A screen rectangle that holds an edit: whether it shows text."""

    INSET = 3  # the edit's frame, which its focus colours, left out

    def __init__(self, d, rect):
        self.d, self.rect = d, rect

    def grab(self):
        return self.d.grab(self.rect)[2]

    def shows_text(self, picture):
        """Whether the edit shows text: inside its frame (which its focus colours)
        more pixels than a text cursor's column are ink (the characters, or their
        selection's ground), and the white ground shows (the window painted, not
        a black or stale patch of the screen)."""
        w, h = self.rect[2], self.rect[3]
        ink = light = 0
        for r in range(self.INSET, h - self.INSET):
            for c in range(self.INSET, w - self.INSET):
                i = 3 * (r * w + c)
                if picture[i] + picture[i + 1] + picture[i + 2] < 600:
                    ink += 1
                else:
                    light += 1
        return ink > 2 * h and light * 6 > ink + light


def changed_rect(a, b, ignore, width, height):
    """The bounding rectangle (x, y, w, h) of the first band of rows (from the top)
    in which pictures a and b of one size differ, outside the pixels of `ignore`."""
    rows = []
    for r in range(height):
        cols = [c for c in range(width) if (r * width + c) not in ignore
                and a[3 * (r * width + c):3 * (r * width + c) + 3] != b[3 * (r * width + c):3 * (r * width + c) + 3]]
        rows.append(cols)
    top = next((r for r in range(height) if rows[r]), None)
    if top is None:
        return None
    bottom = top
    while bottom + 1 < height and rows[bottom + 1]:
        bottom += 1
    left = min(min(rows[r]) for r in range(top, bottom + 1))
    right = max(max(rows[r]) for r in range(top, bottom + 1))
    return left, top, right - left + 1, bottom - top + 1


def unsteady(d, rect, seconds=1.5):
    """The pixels of rect (as indices) that change on their own within `seconds`
    (moving quotes, a blinking cursor), grown by two pixels each way."""
    w, h, first = d.grab(rect)
    found = set()
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        time.sleep(0.1)
        _, _, now = d.grab(rect)
        found |= {i // 3 for i in range(0, len(first), 3) if first[i:i + 3] != now[i:i + 3]}
    grown = set()
    for i in found:
        r, c = divmod(i, w)
        for dr in range(-2, 3):
            for dc in range(-2, 3):
                if 0 <= r + dr < h and 0 <= c + dc < w:
                    grown.add((r + dr) * w + c + dc)
    return grown


class Buying:
    """lumon logged in on the demo installation, with 买进's place on its tool bar."""

    def __init__(self, world, watch):
        self.world, self.watch, self.d = world, watch, world.driver
        self.lumon = Terminal(world)
        self.lumon.login()
        self.find_buy()

    def find_buy(self):
        left, right, row = self.lumon.bars()[1][-2]  # 买进 (直接买卖 is on in the demo)
        self.buy_point = ((left + right) // 2, row)

    def frame_below(self, consign):
        """The terminal's frame placed below the order sheet, as a user arranges
        the two, so that the terminal coming forward for 买进 leaves the order
        page in sight."""
        x, y, w, h = self.d.window_rect(self.sheet(consign))
        width, height = self.d.screen_size()
        self.d.move_resize(self.lumon.frame, (0, y + h + 8, width, height - y - h - 8))
        self.find_buy()

    def choose(self, code):
        """The stock chosen through the keyboard wizard. Once an order client runs,
        the wizard stays on the screen after its choice, holding the terminal's
        input (a click on the tool bar goes nowhere): it is sent away with Escape,
        which keeps the choice."""
        self.lumon.choose(code)
        wizard = self.d.find_window(WIZARD, pid=self.lumon.pid)
        if wizard:
            self.d.activate(wizard)
            self.d.key('Escape')
            if not self.d.wait_gone(wizard, WAIT):
                raise AssertionError('the keyboard wizard stayed after Escape')

    def click_buy(self):
        self.d.activate(self.lumon.frame)
        self.watch.drain()
        return press(self.d, *self.buy_point)

    def first_buy(self):
        """买进 with no consign running: the milliseconds to its login dialog, and
        from its 确定 to the order sheet shown; the consign process."""
        clicked = self.click_buy()
        shown, _ = self.watch.wait(lambda caption, pid: caption == CONSIGN_LOGIN)
        dialog = self.d.wait_window(CONSIGN_LOGIN, timeout=WAIT)
        consign = dialog.pid
        # The remembered trader replaced by the customer.
        ok = demorun.fill_consign_login(self.d, dialog, CUSTOMER[1], CUSTOMER[0])
        self.watch.drain()
        confirmed = press(self.d, *ok)  # 确定
        filled, _ = self.watch.wait(lambda caption, pid: pid == consign and SHEET_PART in caption)
        return (shown - clicked) * 1000, (filled - confirmed) * 1000, consign

    def sheet(self, consign):
        return self.d.wait_window(SHEET_PART, pid=consign, timeout=WAIT, exact=False)

    def close_consign(self, consign):
        sheet = self.sheet(consign)
        self.d.close_window(sheet)
        box = self.d.wait_window('确认', pid=consign, timeout=WAIT)
        self.d.activate(box)
        self.d.key('Return')
        self.world.wait_ended(consign, what='consign after its close box')

    def relayed_buy(self, band):
        """买进 with consign running and its contract edit emptied: the
        milliseconds to the contract edit showing text (the contract)."""
        self.d.activate(self.lumon.frame)
        clicked = self.click_buy()
        deadline = clicked + WAIT
        while True:
            now = band.grab()
            if band.shows_text(now):
                break
            if time.monotonic() > deadline:
                raise AssertionError('the order page did not show the contract within %g s' % WAIT)
            time.sleep(0.002)
        self.seen = now
        return (time.monotonic() - clicked) * 1000

    def empty_contract(self, consign):
        """The contract edit (合约, right of the order list) clicked into and
        emptied, as a user empties it."""
        sheet = self.sheet(consign)
        self.d.activate(sheet)
        self.d.click(*sheet.point(*CONTRACT_EDIT))
        self.d.key('ctrl+a', 'Delete')
        time.sleep(0.5)

    def settled_sheet(self, consign):
        """The sheet's rectangle and picture once what came is in and painted."""
        time.sleep(1.5)
        rect = self.d.window_rect(self.sheet(consign))
        return rect, self.d.grab(rect)


def filled_sheet_band(picture, width, found):
    """The part (x, y, w, h) `found` of a picture `width` pixels wide."""
    x, y, w, h = found
    return b''.join(picture[3 * ((y + r) * width + x):3 * ((y + r) * width + x + w)] for r in range(h))


def bench_buying(world, watch, runs, first_runs, pictures=None):
    buying = Buying(world, watch)
    d = world.driver
    buying.choose(FUTURES_CODE)
    first_dialog, first_filled = [], []
    consign = None
    for i in range(first_runs):
        if consign:
            buying.close_consign(consign)
        dialog_ms, filled_ms, consign = buying.first_buy()
        first_dialog.append(dialog_ms)
        first_filled.append(filled_ms)
    if pictures:
        d.save_png(os.path.join(pictures, 'first-order-page.png'), buying.settled_sheet(consign)[0])
    buying.frame_below(consign)
    buying.click_buy()
    rect, (w, h, filled_sheet) = buying.settled_sheet(consign)
    ignore = unsteady(d, rect)
    # The contract's place on the order page: the topmost band of the sheet that
    # emptying the contract edit changes (what changes by itself, the quotes and
    # the cursor, left out).
    buying.empty_contract(consign)
    _, _, emptied_sheet = d.grab(rect)
    found = changed_rect(filled_sheet, emptied_sheet, ignore, w, h)
    if found is None:
        raise AssertionError('emptying the contract edit did not change the order page')
    band = Band(d, (rect[0] + found[0], rect[1] + found[1], found[2], found[3]))
    if band.shows_text(band.grab()) or not band.shows_text(filled_sheet_band(filled_sheet, w, found)):
        raise AssertionError('the contract edit found does not hold the contract: %r' % (band.rect,))
    relayed = []
    for i in range(runs):
        if i:
            buying.empty_contract(consign)
        if band.shows_text(band.grab()):
            raise AssertionError('the contract edit did not empty')
        relayed.append(buying.relayed_buy(band))
        if i == 0 and pictures:
            time.sleep(1.5)
            d.save_png(os.path.join(pictures, 'relayed-order-page.png'), buying.sheet(consign))
            d.save_png(os.path.join(pictures, 'contract-band.png'), band.rect)
            lumodrive.write_png(os.path.join(pictures, 'contract-band-seen.png'), band.rect[2], band.rect[3],
                                buying.seen)
    # Each relaying copy ends without a window.
    wait_until(lambda: world.programs('consign') == [consign], WAIT,
               message='the relaying consign processes did not end')
    return first_dialog, first_filled, relayed


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    parser.add_argument('--runs', type=int, default=int(os.environ.get('LUMO_BENCH_RUNS', '9')),
                        help='repetitions of each timed step (default 9)')
    parser.add_argument('--first-runs', type=int, default=3,
                        help='repetitions of the first 买进, which starts consign (default 3)')
    parser.add_argument('--pictures', metavar='DIR',
                        help='saves the order sheet after the first 买进 and after a relay there')
    parser.add_argument('parts', nargs='*', help='what to time: %s (default: all)' % ', '.join(PARTS))
    args = parser.parse_args(argv)
    unknown = set(args.parts) - set(PARTS)
    if unknown:
        parser.error('unknown parts: %s (known: %s)' % (', '.join(sorted(unknown)), ', '.join(PARTS)))
    wanted = set(args.parts) or set(PARTS)
    world = World('bench_programs', chat_options=['--user', 'demo:demo'])
    watch = None
    try:
        watch = MapWatch(world.env['DISPLAY'])
        if wanted - {'buy'}:
            print('== start to first window mapped (ms; %d runs each, alternating with an empty Qt window)'
                  % args.runs)
            print('%-10s %9s %9s %9s %9s %7s' % ('program', 'median', 'min', 'empty', 'empty min', 'ratio'),
                  flush=True)
            bench_starts(world, watch, args.runs, wanted)
        if 'buy' in wanted:
            first_dialog, first_filled, relayed = bench_buying(world, watch, args.runs, args.first_runs,
                                                               args.pictures)
            print('== 买进 in lumon on a futures contract (ms)')
            print('%-44s %9s %9s %5s' % ('step', 'median', 'min', 'runs'))
            for label, values in (('first 买进 -> consign login dialog mapped', first_dialog),
                                  ('consign 确定 -> order sheet mapped, filled', first_filled),
                                  ('买进 -> running consign order page filled', relayed)):
                print('%-44s %9.1f %9.1f %5d' % ((label,) + summary(values) + (len(values),)), flush=True)
    except BaseException:
        # The screen as it was, for a person looking into the failure.
        if args.pictures:
            world.driver.save_png(os.path.join(args.pictures, 'failure.png'))
        raise
    finally:
        if watch:
            watch.close()
        world.close()
    left = world.programs()
    if left:
        print('programs left running: %r' % left, file=sys.stderr)
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
