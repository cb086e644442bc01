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

import ctypes
import os
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

PROGRAMS = ('lumon', 'consign', 'toolpick')
TRADER_PASSWORD = '123456'     # trader 8001's password at the simulated gateway
LOGIN_TIMEOUT = 120            # a sanitizer build starts slowly
PR_SET_CHILD_SUBREAPER = 36

# The login dialogs' geometry. lumon's dialog is laid out in pixels: "联      机" at
# (16, 190), 86 x 25. consign's is laid out in dialog units, 214 x 124 for the whole
# client area: the password edit at (54, 48) 96 x 12, "确定" at (54, 102) 50 x 14.
LUMON_LOGIN = '连接至服务器'
LUMON_CONNECT = (16 + 43, 190 + 12)
CONSIGN_LOGIN = '登录'
CONSIGN_UNITS = (214, 124)
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
    if not dialog:
        return None

    def at(units):
        return (dialog.x + units[0] * dialog.width // CONSIGN_UNITS[0],
                dialog.y + units[1] * dialog.height // CONSIGN_UNITS[1])
    display.activate(dialog)
    display.click(*at(CONSIGN_PASSWORD))
    display.type_text(password)
    display.click(*at(CONSIGN_OK))
    return dialog


def wait_gone(display, window, timeout=30):
    """True when the window closed within timeout seconds."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if all(w.id != window.id for w in display.windows()):
            return True
        time.sleep(0.2)
    return False


def children_of(pid):
    out = []
    for entry in os.listdir('/proc'):
        if entry.isdigit():
            try:
                with open('/proc/%s/stat' % entry) as f:
                    if int(f.read().rsplit(')', 1)[1].split()[1]) == pid:
                        out.append(int(entry))
            except (OSError, ValueError, IndexError):
                pass
    return out


def descendants(pid):
    out, todo = [], children_of(pid)
    while todo:
        p = todo.pop()
        out.append(p)
        todo += children_of(p)
    return out


def stop_all(grace=5.0):
    """Ends every process below this one: SIGTERM, then SIGKILL after grace seconds;
    reaps them all."""
    me = os.getpid()
    for p in descendants(me):
        try:
            os.kill(p, signal.SIGTERM)
        except ProcessLookupError:
            pass
    deadline = time.monotonic() + grace
    while True:
        reap()
        left = descendants(me)
        if not left:
            return
        if time.monotonic() >= deadline:
            for p in left:
                try:
                    os.kill(p, signal.SIGKILL)
                except ProcessLookupError:
                    pass
            deadline = time.monotonic() + grace
        time.sleep(0.1)


def reap():
    while True:
        try:
            pid, _ = os.waitpid(-1, os.WNOHANG)
        except ChildProcessError:
            return
        if pid == 0:
            return


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
    libc = ctypes.CDLL(None, use_errno=True)
    libc.prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)

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
        stop_all()
    return status


def reap_others(started):
    """Reaps what ended besides the programs we poll (a consign started by 买进, or
    chatdesk, once lumon's children are ours)."""
    ours = {p.pid for p in started.values()}
    for child in children_of(os.getpid()):
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
        if dialog and wait_gone(display, dialog):
            # The frame comes up with what the login brought (the system message).
            display.find_window('lumo', pid=proc.pid, timeout=30)
            time.sleep(2)
    elif name == 'consign':
        dialog = log_in_consign(display, proc.pid)
        print('== consign ' + ('logging in as trader 8001' if dialog else
                               'showed no login dialog within %d s' % LOGIN_TIMEOUT), flush=True)
        if dialog:
            wait_gone(display, dialog)


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
