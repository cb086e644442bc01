#!/usr/bin/python3
"""Tests of scripts/demo run for real on the programs of a finished build
(LUMO_DEMO_BUILD, set by ctest): the installation is made once and what the
settings tool saved survives the next start, --fresh remakes it, a server whose
port is taken stops the demo with the server's error, and without a display the
demo says how to get one. The programs run on Qt's offscreen platform."""

import os
import random
import re
import signal
import socket
import subprocess
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
DEMO = os.path.join(os.path.dirname(os.path.dirname(HERE)), 'scripts', 'demo')
BUILD = os.environ.get('LUMO_DEMO_BUILD', '')


def programs_in(folder):
    """Process ids of the programs run from `folder` (by their executable: the
    demo script itself also works from there, and a signal to it would wait for
    the program it is about to start)."""
    found = []
    for pid in os.listdir('/proc'):
        if pid.isdigit():
            try:
                if os.path.dirname(os.readlink('/proc/%s/exe' % pid)) == folder:
                    found.append(int(pid))
            except OSError:
                pass
    return found


def port_free(host, port):
    with socket.socket() as s:
        try:
            s.bind((host, port))
            return True
        except OSError:
            return False


@unittest.skipUnless(BUILD and os.access(os.path.join(BUILD, 'toolpick', 'main', 'toolpick'), os.X_OK),
                     'needs LUMO_DEMO_BUILD with the settings tool built')
class DemoTest(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.mkdtemp()
        self.root = os.path.join(self.scratch, 'lumo-demo')
        self.host = '127.0.0.%d' % random.randint(100, 250)
        self.env = dict(os.environ, LUMO_DEMO_ROOT=self.root, LUMO_DEMO_HOST=self.host,
                        LUMO_DEMO_BUILD=BUILD, QT_QPA_PLATFORM='offscreen')
        self.env.pop('LUMO_DEMO_FRESH', None)

    def start(self, *args, env=None):
        return subprocess.Popen([DEMO] + list(args), env=env or self.env, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, text=True, start_new_session=True)

    def run_until_program(self, *args):
        """Starts the demo, waits for its program, closes it; the demo's output."""
        demo = self.start(*args)
        bin_folder = os.path.join(self.root, 'bin')
        deadline = time.time() + 120
        while time.time() < deadline and demo.poll() is None and not programs_in(bin_folder):
            time.sleep(0.2)
        running = programs_in(bin_folder)
        for pid in running:
            os.kill(pid, signal.SIGTERM)
        out, err = demo.communicate(timeout=60)
        self.assertTrue(running, out + err)
        return out, err

    def settings(self):
        with open(os.path.join(self.root, 'CFG', 'SETTING.INI'), 'rb') as f:
            return f.read()

    def test_the_installation_is_kept_and_fresh_remakes_it(self):
        out, err = self.run_until_program()
        self.assertIn('making the demo installation', out)
        for line in ('data server listening on %s: balance=6669, data=6666, realtime=6668' % self.host,
                     'trade gateway listening on %s: 9001' % self.host,
                     'chat server listening on %s: 6656' % self.host):
            self.assertIn(line, out)
        made = self.settings()
        # A colour saved in the settings tool.
        saved = re.sub(rb'(\[Color0\]\r\n(?:[^\[]*?\r\n)?)Color01=\d+\r\n', rb'\1Color01=255\r\n', made, count=1)
        self.assertNotEqual(saved, made)
        with open(os.path.join(self.root, 'CFG', 'SETTING.INI'), 'wb') as f:
            f.write(saved)
        for port in (6669, 6666, 6668, 9001, 6656):
            self.assertTrue(port_free(self.host, port), port)  # the servers stopped with the demo

        out, err = self.run_until_program()
        self.assertIn('keeping the demo installation', out)
        self.assertEqual(self.settings(), saved)

        out, err = self.run_until_program('--fresh')
        self.assertIn('making the demo installation', out)
        self.assertEqual(self.settings(), made)

    def test_a_taken_port_stops_the_demo_with_the_servers_error(self):
        with socket.socket() as taken:
            taken.bind((self.host, 6656))
            taken.listen()
            demo = self.start()
            out, err = demo.communicate(timeout=120)
        self.assertEqual(demo.returncode, 1)
        self.assertIn('the chat server did not start on %s port 6656' % self.host, err)
        self.assertIn('Address already in use', err)
        self.assertNotIn('chat server listening', out)
        self.assertNotIn('starting toolpick', out)
        for port in (6669, 6666, 6668, 9001):
            self.assertTrue(port_free(self.host, port), port)

    def test_without_a_display_it_says_how_to_get_one(self):
        env = {k: v for k, v in self.env.items() if k not in ('DISPLAY', 'WAYLAND_DISPLAY', 'QT_QPA_PLATFORM')}
        demo = self.start(env=env)
        out, err = demo.communicate(timeout=60)
        self.assertNotEqual(demo.returncode, 0)
        self.assertIn('the programs need a display', err)
        self.assertIn('xvfb-run -a scripts/demo', err)
        self.assertFalse(os.path.exists(self.root))

    def tearDown(self):
        subprocess.run(['rm', '-rf', self.scratch], check=False)


if __name__ == '__main__':
    unittest.main()
