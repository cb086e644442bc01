"""The processes the demo, its pictures, the end-to-end tests and the benchmarks start,
and the ones those start: this process made their sub-reaper, the processes below one
read from /proc, a started process ended, and every ended child reaped. Only the
standard library."""

import ctypes
import os
import signal
import subprocess
import time

PR_SET_CHILD_SUBREAPER = 36


def become_subreaper():
    """The programs our children start stay below this process when their parent
    ends (instead of going to init): they can be found, ended and reaped here."""
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0)


def reap():
    """Reaps every ended child, also those handed to us as the sub-reaper."""
    while True:
        try:
            pid, _ = os.waitpid(-1, os.WNOHANG)
        except ChildProcessError:
            return
        if pid == 0:
            return


def _children_by_parent():
    """Every process's children, from one pass over /proc."""
    children = {}
    for entry in os.listdir('/proc'):
        if entry.isdigit():
            try:
                with open('/proc/%s/stat' % entry) as f:
                    parent = int(f.read().rsplit(')', 1)[1].split()[1])
            except (OSError, ValueError, IndexError):
                continue
            children.setdefault(parent, []).append(int(entry))
    return children


def children(pid):
    """The process ids whose parent is pid."""
    return _children_by_parent().get(int(pid), [])


def descendants(pid):
    """The processes below pid: its children, theirs and so on (pid not included)."""
    tree = _children_by_parent()
    out, todo = [], list(tree.get(int(pid), []))
    while todo:
        p = todo.pop()
        out.append(p)
        todo += tree.get(p, [])
    return out


def stop(proc, timeout=20):
    """Ends a process started with subprocess: SIGTERM, then SIGKILL when it has not
    ended within `timeout` seconds; waits for it."""
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(timeout)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


def stop_descendants(grace=5.0):
    """Ends every process below this one: SIGTERM, then SIGKILL to those left after
    `grace` seconds; reaps them all."""
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
