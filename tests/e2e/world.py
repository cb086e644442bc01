"""The surroundings of the end-to-end tests: an X server of the test's own
(Xvfb), the three simulated servers on loopback at ports of their choosing with
their control ports and logs, an installation made by the installation maker
for those ports, and the programs of a finished build started as a user starts
them, driven through tools/lumodrive.py. Everything started is stopped and
reaped at the end: the test process is the child subreaper of the programs the
programs start, so nothing is left behind, not even a zombie."""

import fcntl
import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(os.path.dirname(HERE))
TOOLS = os.path.join(SOURCE, 'tools')
sys.path.insert(0, TOOLS)

import lumodrive  # noqa: E402
import procs  # noqa: E402

BUILD = os.environ.get('LUMO_BUILD', '')
PROGRAMS = {'lumon': 'lumon', 'consign': 'consign', 'chatdesk': 'chatdesk.dll', 'toolpick': 'toolpick'}
# Waits are generous: the sanitizer build on a loaded machine is slow, and every
# wait ends as soon as what it waits for has happened.
TIMEOUT = float(os.environ.get('LUMO_E2E_TIMEOUT', '90'))

procs.become_subreaper()


# The worlds open now: a wait that times out tells what their programs said.
_open_worlds = []


def wait_until(what, timeout=TIMEOUT, step=0.1, message=None):
    """Polls `what` until it gives a true value, which it returns; raises
    AssertionError with `message` on time-out, followed by the state of the
    open worlds."""
    deadline = time.monotonic() + timeout
    while True:
        value = what()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise AssertionError((message or 'timed out after %g s' % timeout)
                                 + ''.join(w.diagnostics() for w in _open_worlds))
        time.sleep(step)


def process_state(pid):
    """The state letter of a process ('R', 'S', 'Z' ...), or None when it is gone."""
    try:
        with open('/proc/%d/stat' % pid) as f:
            return f.read().rsplit(')', 1)[1].split()[0]
    except (OSError, IndexError):
        return None


def alive(pid):
    return process_state(pid) not in (None, 'Z', 'X')


def command_line(pid):
    try:
        with open('/proc/%d/cmdline' % pid, 'rb') as f:
            return f.read().split(b'\0')[:-1]
    except OSError:
        return None


class JsonLog:
    """A server's --log file, read as it grows."""

    def __init__(self, path):
        self.path = path

    def entries(self):
        try:
            with open(self.path, encoding='utf-8') as f:
                lines = f.readlines()
        except OSError:
            return []
        out = []
        for line in lines:
            if line.endswith('\n'):
                try:
                    out.append(json.loads(line))
                except ValueError:
                    pass
        return out

    def find(self, match):
        return [e for e in self.entries() if match(e)]

    def wait_for(self, match, timeout=TIMEOUT, what='an entry'):
        return wait_until(lambda: self.find(match), timeout,
                          message='%s did not come in %s within %g s' % (what, self.path, timeout))


class Server:
    """A simulated server of tools/, on port 0 with a control port and a log."""

    def __init__(self, world, name, argv):
        self.name = name
        self.log = JsonLog(os.path.join(world.dir, name + '.log'))
        self.out = open(os.path.join(world.dir, name + '.out'), 'w+')
        self.proc = subprocess.Popen([sys.executable] + argv + ['--control', '0', '--log', self.log.path],
                                     stdout=subprocess.PIPE, stderr=self.out, env=world.env, text=True)
        first = self.proc.stdout.readline().split()
        if not first:
            self.proc.wait(10)
            self.out.seek(0)
            raise AssertionError('the %s did not start: %s' % (name, self.out.read()))
        self.ports = first

    def stop(self):
        procs.stop(self.proc)
        self.proc.stdout.close()
        self.out.close()


class World:
    """One installation with its servers, display and programs."""

    def __init__(self, name, maker_options=('--demo',), chat_options=()):
        missing = [p for p in PROGRAMS if not os.access(self.built(p), os.X_OK)]
        if missing:
            raise AssertionError('LUMO_BUILD=%r lacks the programs %s' % (BUILD, ', '.join(missing)))
        if not shutil.which('Xvfb'):
            raise AssertionError('Xvfb is not installed (scripts/setup installs it)')
        sandbox = os.environ.get('LUMO_SANDBOX') or tempfile.mkdtemp()
        self.dir = tempfile.mkdtemp(prefix=name + '.', dir=sandbox)
        self.root = os.path.join(self.dir, 'lumo')
        self.bin = os.path.join(self.root, 'bin')
        # A runtime folder, registry store and Windows folder of this world's own;
        # the runtime folder's path stays short (it holds sockets).
        self.runtime = tempfile.mkdtemp(prefix='le.', dir='/tmp')
        os.chmod(self.runtime, 0o700)
        self.env = dict(os.environ, XDG_RUNTIME_DIR=self.runtime,
                        LUMO_REGISTRY=os.path.join(self.dir, 'registry.ini'),
                        LUMO_WINDIR=os.path.join(self.dir, 'windows'),
                        QT_QPA_PLATFORM='xcb',
                        # Qt and fontconfig keep memory until exit.
                        ASAN_OPTIONS='detect_leaks=0:abort_on_error=0')
        os.makedirs(self.env['LUMO_WINDIR'])
        self.servers = []
        self.started = []
        self.outputs = []
        self.xvfb = None
        self.driver = None
        _open_worlds.append(self)
        try:
            self._start_display()
            self._start_servers(chat_options)
            self._make_installation(maker_options)
        except BaseException:
            self.close()
            raise

    @staticmethod
    def built(program):
        return os.path.join(BUILD, program, 'main', program)

    # -- set-up ------------------------------------------------------------

    def _start_display(self):
        read, write = os.pipe()
        self.xvfb = subprocess.Popen(['Xvfb', '-displayfd', str(write), '-screen', '0', '1280x1024x24',
                                      '-nolisten', 'tcp'], pass_fds=(write,),
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write)
        number = b''
        with os.fdopen(read, 'rb') as f:
            number = f.readline().strip()
        if not number:
            raise AssertionError('Xvfb did not start')
        self.env['DISPLAY'] = ':' + number.decode()
        self.driver = lumodrive.Display(self.env['DISPLAY'])

    def _start_servers(self, chat_options):
        self.chat = Server(self, 'chatserver', [os.path.join(TOOLS, 'chatserver.py'), '--port', '0']
                           + list(chat_options))
        self.servers.append(self.chat)
        self.chat.again = [os.path.join(TOOLS, 'chatserver.py'), '--port', self.chat.ports[0]] + list(chat_options)
        # The contracts the order bridge derives for today, as in the demo.
        self.gateway = Server(self, 'gateway', [os.path.join(TOOLS, 'gateway.py'), '--port', '0', '--demo'])
        self.servers.append(self.gateway)
        self.gateway.again = [os.path.join(TOOLS, 'gateway.py'), '--port', self.gateway.ports[0], '--demo']

    def _maker(self, root, data_server, options):
        subprocess.run([sys.executable, os.path.join(TOOLS, 'mkinstall.py'), root,
                        '--data-server', data_server,
                        '--gateway', '127.0.0.1:%s' % self.gateway.ports[0],
                        '--chat-server', '127.0.0.1:%s' % self.chat.ports[0]] + list(options),
                       env=self.env, check=True, stdout=subprocess.DEVNULL)

    def _make_installation(self, options):
        # The data server serves the installation it is given, so it starts on the
        # installation; the terminal's server list then names the ports it took
        # (balancing port 0: the terminal logs in at the data port).
        self._maker(self.root, '127.0.0.1:0:6666:6668', options)
        data = Server(self, 'dataserver', [os.path.join(TOOLS, 'dataserver.py'), '--install', self.root,
                                           '--data-port', '0', '--realtime-port', '0'])
        self.servers.append(data)
        self.data = data
        ports = dict(item.split('=') for item in data.ports)
        data.again = [os.path.join(TOOLS, 'dataserver.py'), '--install', self.root,
                      '--data-port', ports['data'], '--realtime-port', ports['realtime']]
        scratch = os.path.join(self.dir, 'ports')
        self._maker(scratch, '127.0.0.1:0:%s:%s' % (ports['data'], ports['realtime']),
                    tuple(options) + ('--no-registry',))
        shutil.copy(os.path.join(scratch, 'bin', 'server.ini'), os.path.join(self.bin, 'server.ini'))
        shutil.rmtree(scratch)
        for program, name in PROGRAMS.items():
            shutil.copy(self.built(program), os.path.join(self.bin, name))

    def restart(self, server):
        """Starts a stopped server again at the ports it had, which the programs
        know, with a log of its own; the new server takes the old one's place."""
        again = Server(self, server.name + '.again', server.again)
        again.again = server.again
        self.servers.append(again)
        for name in ('chat', 'gateway', 'data'):
            if getattr(self, name) is server:
                setattr(self, name, again)
        return again

    # -- programs ----------------------------------------------------------

    def start(self, program, args=()):
        """Starts a program of bin/ as a user does, in bin/; its output goes to a
        file of the world (with that of the programs it starts)."""
        out = open(os.path.join(self.dir, '%s.%d.out' % (program, len(self.started))), 'w+b')
        self.outputs.append(out)
        proc = subprocess.Popen([os.path.join(self.bin, PROGRAMS.get(program, program))] + list(args),
                                cwd=self.bin, env=self.env, stdout=out, stderr=subprocess.STDOUT)
        self.started.append(proc)
        return proc

    def programs(self, name=None):
        """Process ids of the running (not ended) programs of bin/, or of one of them."""
        found = []
        for entry in os.listdir('/proc'):
            if not entry.isdigit():
                continue
            pid = int(entry)
            try:
                exe = os.readlink('/proc/%s/exe' % entry)
            except OSError:
                continue
            if os.path.dirname(exe) != self.bin or not alive(pid):
                continue
            if name is None or os.path.basename(exe) == PROGRAMS.get(name, name):
                found.append(pid)
        return found

    def wait_program(self, name, timeout=TIMEOUT):
        return wait_until(lambda: self.programs(name), timeout,
                          message='%s did not start within %g s' % (name, timeout))[0]

    def wait_ended(self, pid, timeout=TIMEOUT, what='the program'):
        def ended():
            procs.reap()
            return not alive(pid)
        wait_until(ended, timeout, message='%s (process %d) did not end within %g s' % (what, pid, timeout))

    def window_entries(self):
        """The layer's entries of the exported top-level windows: handle -> (pid,
        class, title)."""
        folder = os.path.join(self.runtime, 'lumo')
        entries = {}
        try:
            names = os.listdir(folder)
        except OSError:
            return entries
        for name in names:
            if not (name.startswith('w') and name[1:].isdigit()):
                continue
            try:
                with open(os.path.join(folder, name), 'rb') as f:
                    lines = f.read().split(b'\n')
                pid = int(lines[0].split()[0])
                entries[int(name[1:])] = (pid, lines[1].decode('gbk', 'replace'), lines[2].decode('gbk', 'replace'))
            except (OSError, ValueError, IndexError):
                continue
        return entries

    def handle_of(self, pid, title):
        """The layer's handle of the top-level window `title` of process `pid`."""
        def find():
            for handle, (owner, _, caption) in self.window_entries().items():
                if owner == pid and caption == title:
                    return handle
            return None
        return wait_until(find, message='no window %r of process %d in the runtime folder' % (title, pid))

    def wait_window(self, pid, timeout=TIMEOUT):
        """Waits until process `pid` has a top-level window in the runtime folder."""
        return wait_until(lambda: [h for h, e in self.window_entries().items() if e[0] == pid], timeout,
                          message='process %d showed no window within %g s' % (pid, timeout))

    def registry_value(self, key, name):
        """A value of the layer's registry store (its text after the type), or None."""
        section, value = None, None
        try:
            with open(self.env['LUMO_REGISTRY'], encoding='utf-8') as f:
                for line in f.read().splitlines():
                    if line.startswith('['):
                        section = line[1:-1]
                    elif section == key and line.split('=', 1)[0] == name:
                        value = line.split('=', 1)[1].split(':', 1)[1]
        except OSError:
            pass
        return value

    def set_registry_value(self, key, name, typed):
        """Rewrites one value of the registry store ("dword:0"), under the store's
        lock as the layer does."""
        path = self.env['LUMO_REGISTRY']
        with open(path + '.lock', 'a') as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            with open(path, encoding='utf-8') as f:
                lines = f.read().splitlines()
            section = None
            for i, line in enumerate(lines):
                if line.startswith('['):
                    section = line[1:-1]
                elif section == key and line.split('=', 1)[0] == name:
                    lines[i] = '%s=%s' % (name, typed)
            with open(path + '.new', 'w', encoding='utf-8') as f:
                f.write('\n'.join(lines) + '\n')
            os.replace(path + '.new', path)

    def output(self):
        text = b''
        for out in self.outputs:
            out.flush()
            out.seek(0)
            text += out.read()
        return text.decode('utf-8', 'replace')

    def diagnostics(self):
        """The running programs, the windows and process sockets of the runtime
        folder, and the end of what the programs wrote (the layer says there
        what it could not deliver)."""
        folder = os.path.join(self.runtime, 'lumo')
        try:
            sockets = sorted(n for n in os.listdir(folder) if n.startswith('p'))
        except OSError:
            sockets = []
        running = ', '.join('%s %d' % (' '.join(a.decode('utf-8', 'replace') for a in command_line(pid) or []), pid)
                            for pid in self.programs())
        windows = ''.join('\n  %d: process %d%s, %s %r' % (h, pid, '' if alive(pid) else ' (ended)', cls, title)
                          for h, (pid, cls, title) in sorted(self.window_entries().items()))
        return ('\n-- running: %s\n-- process sockets: %s\n-- windows:%s\n-- output (end):\n%s'
                % (running or 'none', ' '.join(sockets) or 'none', windows or ' none', self.output()[-3000:]))

    def sanitizer_reports(self):
        out = self.output()
        return [line for line in out.splitlines()
                if 'ERROR: AddressSanitizer' in line or 'runtime error:' in line or 'LeakSanitizer' in line]

    # -- the end -----------------------------------------------------------

    def stop_programs(self):
        """Ends every program of bin/ (the ones started here and the ones they
        started) and reaps them."""
        for _ in range(3):
            pids = self.programs()
            if not pids:
                break
            for pid in pids:
                try:
                    os.kill(pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
            deadline = time.monotonic() + 20
            while time.monotonic() < deadline and any(alive(p) for p in pids):
                procs.reap()
                time.sleep(0.05)
        for proc in self.started:
            try:
                proc.wait(20)
            except subprocess.TimeoutExpired:
                pass
        procs.reap()

    def close(self):
        self.stop_programs()
        for server in self.servers:
            server.stop()
        if self.driver:
            self.driver.close()
            self.driver = None
        if self.xvfb:
            procs.stop(self.xvfb)
        for out in self.outputs:
            out.close()
        procs.reap()
        shutil.rmtree(self.runtime, ignore_errors=True)
        if self in _open_worlds:
            _open_worlds.remove(self)
