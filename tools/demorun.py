#!/usr/bin/python3
"""The programs of the demo, started and stopped together (scripts/demo runs this once
its servers listen; scripts/screenshot uses the log-in steps).

    demorun.py BIN [PROGRAM...]

Starts the programs of BIN (default lumon, consign and toolpick, those that exist) in
BIN, each with its output in ../<program>.out, logs lumon and consign in through real
input on the X display (tools/lumodrive.py): lumon with the account its login dialog
remembers, consign as the trader its login dialog remembers with the demo password.
When lumon ends, or on Ctrl-C or SIGTERM, it ends every program it started and every
program those started (chatdesk, a consign started by 买进), and reaps them all: it is
their sub-reaper, so none is left as a zombie.
"""

import os
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import procs  # noqa: E402

PROGRAMS = ('lumon', 'consign', 'toolpick')
TRADER_PASSWORD = '123456'     # trader 8001's password at the simulated gateway
LOGIN_TIMEOUT = 120            # a sanitizer build starts slowly

# The login dialogs' geometry. lumon's dialog is laid out in pixels: "联      机" at
# (16, 190), 86 x 25. consign's is laid out in dialog units, 214 x 124 for the whole
# client area: the name edit at (54, 30) 96 x 12, the password edit at (54, 48)
# 96 x 12, "确定" at (54, 102) 50 x 14.
LUMON_LOGIN = '连接至服务器'
LUMON_CONNECT = (16 + 43, 190 + 12)
CONSIGN_LOGIN = '登录'
CONSIGN_UNITS = (214, 124)
CONSIGN_NAME = (54 + 48, 30 + 6)
CONSIGN_PASSWORD = (54 + 48, 48 + 6)
CONSIGN_OK = (54 + 25, 102 + 7)


def wait_window(display, caption, pid, timeout=LOGIN_TIMEOUT):
    """The window of that caption of the process pid (or its children); None when
    it did not come within timeout seconds or the process ended."""
    deadline = time.monotonic() + timeout
    while True:
        window = display.find_window(caption, pid=pid)
        if window or time.monotonic() >= deadline or not os.path.exists('/proc/%d' % pid):
            return window
        time.sleep(0.2)


def log_in_lumon(display, pid, timeout=LOGIN_TIMEOUT):
    """Clicks "联      机" in lumon's login dialog (the remembered account); the dialog,
    or None when it did not come."""
    dialog = wait_window(display, LUMON_LOGIN, pid, timeout)
    if dialog:
        display.activate(dialog)
        display.click(dialog.x + LUMON_CONNECT[0], dialog.y + LUMON_CONNECT[1])
    return dialog


def log_in_consign(display, pid, password=TRADER_PASSWORD, timeout=LOGIN_TIMEOUT):
    """Types the password into consign's login dialog (the name is remembered) and
    clicks "确定"; the dialog, or None when it did not come."""
    dialog = wait_window(display, CONSIGN_LOGIN, pid, timeout)
    if dialog:
        display.click(*fill_consign_login(display, dialog, password))
    return dialog


def fill_consign_login(display, dialog, password, name=None):
    """Types the password into consign's login dialog, and the name in place of the
    remembered one when given; the screen point of its "确定", not clicked yet."""
    def at(units):
        return (dialog.x + units[0] * dialog.width // CONSIGN_UNITS[0],
                dialog.y + units[1] * dialog.height // CONSIGN_UNITS[1])
    display.activate(dialog)
    if name is not None:
        display.click(*at(CONSIGN_NAME))
        display.key('ctrl+a')
        display.type_text(name)
    display.click(*at(CONSIGN_PASSWORD))
    display.type_text(password)
    return at(CONSIGN_OK)


class Stop(Exception):
    pass


def main(argv):
    if not argv:
        print(__doc__, file=sys.stderr)
        return 2
    bin_dir = os.path.abspath(argv[0])
    wanted = argv[1:] or PROGRAMS
    programs = [p for p in wanted if os.access(os.path.join(bin_dir, p), os.X_OK)]
    if not programs:
        print('demorun: none of %s is in %s' % (', '.join(wanted), bin_dir), file=sys.stderr)
        return 1
    # The programs lumon starts outlive it as our children, not init's.
    procs.become_subreaper()

    stopping = []

    def on_signal(number, frame):
        # The first signal ends the waiting; the stopping itself is not interrupted.
        if not stopping:
            stopping.append(number)
            raise Stop()
    signal.signal(signal.SIGINT, on_signal)
    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGHUP, on_signal)

    status = 0
    started = {}
    display = open_display() if 'lumon' in programs or 'consign' in programs else None
    try:
        # One after the other, each logged in before the next shows a window, so that
        # no window comes up under the pointer of a log-in.
        for name in programs:
            out = open(os.path.join(os.path.dirname(bin_dir), name + '.out'), 'wb')
            started[name] = subprocess.Popen(['./' + name], cwd=bin_dir, stdin=subprocess.DEVNULL,
                                             stdout=out, stderr=subprocess.STDOUT)
            out.close()
            print('%s started (its output goes to %s.out)' % (name, name), flush=True)
            if display:
                log_in(display, name, started[name])
        main_program = started.get('lumon') or next(iter(started.values()))
        print('== the demo runs until %s closes (or Ctrl-C)' % programs[0], flush=True)
        while main_program.poll() is None:
            reap_others(started)
            time.sleep(0.2)
        print('== %s closed: stopping the other programs' % programs[0], flush=True)
    except Stop:
        print('== stopping the programs', flush=True)
        status = 130
    finally:
        stopping.append(0)
        if display:
            display.close()
        procs.stop_descendants()
    return status


def reap_others(started):
    """Reaps what ended besides the programs we poll (a consign started by 买进, or
    chatdesk, once lumon's children are ours)."""
    ours = {p.pid for p in started.values()}
    for child in procs.children(os.getpid()):
        if child in ours:
            continue
        try:
            os.waitpid(child, os.WNOHANG)
        except ChildProcessError:
            pass


def open_display():
    """The X display the programs show on, with XTEST; None (and what to do by hand)
    when there is none."""
    platform = os.environ.get('QT_QPA_PLATFORM', 'xcb')
    try:
        if not platform.startswith('xcb'):
            raise RuntimeError('the programs run on Qt\'s %s platform, not on X' % platform)
        import lumodrive
        return lumodrive.Display()
    except (ImportError, OSError, RuntimeError) as e:
        print('== no logging in by the demo (%s): log lumon in with "联      机" (demo/demo is '
              'remembered) and consign with password %s (trader 8001 is remembered)'
              % (e, TRADER_PASSWORD), flush=True)
        return None


def log_in(display, name, proc):
    """lumon or consign logged in through real input."""
    if name == 'lumon':
        dialog = log_in_lumon(display, proc.pid)
        print('== lumon ' + ('logging in as demo' if dialog else
                             'showed no login dialog within %d s' % LOGIN_TIMEOUT), flush=True)
        if dialog and display.wait_gone(dialog):
            # The frame comes up with what the login brought (the system message).
            display.find_window('lumo', pid=proc.pid, timeout=30)
            time.sleep(2)
    elif name == 'consign':
        dialog = log_in_consign(display, proc.pid)
        print('== consign ' + ('logging in as trader 8001' if dialog else
                               'showed no login dialog within %d s' % LOGIN_TIMEOUT), flush=True)
        if dialog:
            display.wait_gone(dialog)


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
