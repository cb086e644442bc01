#!/usr/bin/python3
"""Real input for the programs on an X display, for the demo and the end-to-end checks:
windows found by caption with their screen rectangles, and pointer clicks and key
strokes through the XTEST extension, so that they reach the programs as a user's
input does (a dialog's edit takes only real key strokes).

    import lumodrive
    d = lumodrive.Display()                     # $DISPLAY
    w = d.find_window('连接至服务器', pid=1234, timeout=30)
    d.click(w.x + 59, w.y + 202)
    d.type_text('123456'); d.key('Return')

As a command: lumodrive.py find CAPTION [PID] | click X Y | type TEXT | key NAME.
Only libX11 and libXtst are needed (through ctypes).
"""

import ctypes
import ctypes.util
import os
import sys
import time

_x11 = ctypes.CDLL(ctypes.util.find_library('X11') or 'libX11.so.6')
_xtst = ctypes.CDLL(ctypes.util.find_library('Xtst') or 'libXtst.so.6')

_Window = ctypes.c_ulong
_Atom = ctypes.c_ulong


class _WindowAttributes(ctypes.Structure):
    _fields_ = [('x', ctypes.c_int), ('y', ctypes.c_int), ('width', ctypes.c_int),
                ('height', ctypes.c_int), ('border_width', ctypes.c_int), ('depth', ctypes.c_int),
                ('visual', ctypes.c_void_p), ('root', _Window), ('class_', ctypes.c_int),
                ('bit_gravity', ctypes.c_int), ('win_gravity', ctypes.c_int),
                ('backing_store', ctypes.c_int), ('backing_planes', ctypes.c_ulong),
                ('backing_pixel', ctypes.c_ulong), ('save_under', ctypes.c_int),
                ('colormap', ctypes.c_ulong), ('map_installed', ctypes.c_int),
                ('map_state', ctypes.c_int), ('all_event_masks', ctypes.c_long),
                ('your_event_mask', ctypes.c_long), ('do_not_propagate_mask', ctypes.c_long),
                ('override_redirect', ctypes.c_int), ('screen', ctypes.c_void_p)]


_x11.XOpenDisplay.restype = ctypes.c_void_p
_x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
_x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
_x11.XDefaultRootWindow.restype = _Window
_x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
_x11.XInternAtom.restype = _Atom
_x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
_x11.XQueryTree.argtypes = [ctypes.c_void_p, _Window, ctypes.POINTER(_Window),
                            ctypes.POINTER(_Window), ctypes.POINTER(ctypes.POINTER(_Window)),
                            ctypes.POINTER(ctypes.c_uint)]
_x11.XFree.argtypes = [ctypes.c_void_p]
_x11.XGetWindowProperty.argtypes = [
    ctypes.c_void_p, _Window, _Atom, ctypes.c_long, ctypes.c_long, ctypes.c_int, _Atom,
    ctypes.POINTER(_Atom), ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_ulong),
    ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_void_p)]
_x11.XGetWindowAttributes.argtypes = [ctypes.c_void_p, _Window,
                                      ctypes.POINTER(_WindowAttributes)]
_x11.XTranslateCoordinates.argtypes = [ctypes.c_void_p, _Window, _Window, ctypes.c_int,
                                       ctypes.c_int, ctypes.POINTER(ctypes.c_int),
                                       ctypes.POINTER(ctypes.c_int), ctypes.POINTER(_Window)]
_x11.XStringToKeysym.restype = ctypes.c_ulong
_x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
_x11.XKeysymToKeycode.restype = ctypes.c_ubyte
_x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
_x11.XKeycodeToKeysym.restype = ctypes.c_ulong
_x11.XKeycodeToKeysym.argtypes = [ctypes.c_void_p, ctypes.c_ubyte, ctypes.c_int]
_x11.XDisplayKeycodes.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int),
                                  ctypes.POINTER(ctypes.c_int)]
_x11.XChangeKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                        ctypes.POINTER(ctypes.c_ulong), ctypes.c_int]
_x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
_x11.XFlush.argtypes = [ctypes.c_void_p]
_x11.XRaiseWindow.argtypes = [ctypes.c_void_p, _Window]
_x11.XMoveResizeWindow.argtypes = [ctypes.c_void_p, _Window, ctypes.c_int, ctypes.c_int,
                                   ctypes.c_uint, ctypes.c_uint]
_x11.XSetInputFocus.argtypes = [ctypes.c_void_p, _Window, ctypes.c_int, ctypes.c_ulong]
_x11.XSetErrorHandler.restype = ctypes.c_void_p
_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
# Windows vanish while they are looked at: their errors are not fatal here.
_ignore_errors = _ERROR_HANDLER(lambda display, event: 0)
_x11.XSetErrorHandler.argtypes = [_ERROR_HANDLER]
_x11.XSetErrorHandler(_ignore_errors)
_xtst.XTestQueryExtension.argtypes = [ctypes.c_void_p] + [ctypes.POINTER(ctypes.c_int)] * 4
_xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                       ctypes.c_int, ctypes.c_ulong]
_xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                       ctypes.c_ulong]
_xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                    ctypes.c_ulong]

_IS_VIEWABLE = 2
_ANY_PROPERTY_TYPE = 0
_REVERT_TO_PARENT = 2
_MODIFIERS = {'ctrl': 'Control_L', 'shift': 'Shift_L', 'alt': 'Alt_L'}
_KEY_NAMES = {'\n': 'Return', '\t': 'Tab', ' ': 'space'}


class Window:
    """A top-level window: its id, caption, process and screen rectangle."""

    def __init__(self, wid, caption, pid, x, y, width, height):
        self.id, self.caption, self.pid = wid, caption, pid
        self.x, self.y, self.width, self.height = x, y, width, height

    def point(self, fx, fy):
        """The screen point at fractions fx, fy of the window's width and height."""
        return self.x + int(self.width * fx), self.y + int(self.height * fy)

    def __repr__(self):
        return 'Window(0x%x, %r, pid %s, %d,%d %dx%d)' % (
            self.id, self.caption, self.pid, self.x, self.y, self.width, self.height)


class Display:
    def __init__(self, name=None):
        name = name or os.environ.get('DISPLAY')
        if not name:
            raise RuntimeError('no X display (DISPLAY is empty)')
        self.dpy = _x11.XOpenDisplay(name.encode())
        if not self.dpy:
            raise RuntimeError('cannot open the X display %s' % name)
        dummy = [ctypes.c_int() for _ in range(4)]
        if not _xtst.XTestQueryExtension(self.dpy, *[ctypes.byref(d) for d in dummy]):
            raise RuntimeError('the X display %s has no XTEST extension' % name)
        self.root = _x11.XDefaultRootWindow(self.dpy)
        self.atoms = {n: _x11.XInternAtom(self.dpy, n.encode(), 0)
                      for n in ('_NET_WM_NAME', 'WM_NAME', '_NET_WM_PID')}

    def close(self):
        if self.dpy:
            _x11.XCloseDisplay(self.dpy)
            self.dpy = None

    # Windows

    def _property(self, wid, atom):
        kind, fmt = _Atom(), ctypes.c_int()
        count, after, data = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_void_p()
        if _x11.XGetWindowProperty(self.dpy, wid, atom, 0, 1024, 0, _ANY_PROPERTY_TYPE,
                                   ctypes.byref(kind), ctypes.byref(fmt), ctypes.byref(count),
                                   ctypes.byref(after), ctypes.byref(data)) != 0 or not data:
            return None
        try:
            if fmt.value == 8:
                return ctypes.string_at(data, count.value)
            if fmt.value == 32:
                return list(ctypes.cast(data, ctypes.POINTER(ctypes.c_long))[:count.value])
            return None
        finally:
            _x11.XFree(data)

    def _children(self, wid):
        root, parent = _Window(), _Window()
        children, count = ctypes.POINTER(_Window)(), ctypes.c_uint()
        if not _x11.XQueryTree(self.dpy, wid, ctypes.byref(root), ctypes.byref(parent),
                               ctypes.byref(children), ctypes.byref(count)):
            return []
        out = [children[i] for i in range(count.value)]
        if children:
            _x11.XFree(children)
        return out

    def _caption(self, wid):
        raw = self._property(wid, self.atoms['_NET_WM_NAME'])
        if raw is not None:
            return raw.decode('utf-8', 'replace')
        raw = self._property(wid, self.atoms['WM_NAME'])
        return None if raw is None else raw.decode('latin-1')

    def _window(self, wid, caption):
        attributes = _WindowAttributes()
        if not _x11.XGetWindowAttributes(self.dpy, wid, ctypes.byref(attributes)):
            return None
        if attributes.map_state != _IS_VIEWABLE:
            return None
        x, y, child = ctypes.c_int(), ctypes.c_int(), _Window()
        _x11.XTranslateCoordinates(self.dpy, wid, self.root, 0, 0, ctypes.byref(x),
                                   ctypes.byref(y), ctypes.byref(child))
        pid = self._property(wid, self.atoms['_NET_WM_PID'])
        return Window(wid, caption, pid[0] if pid else None, x.value, y.value,
                      attributes.width, attributes.height)

    def windows(self):
        """The viewable windows that carry a caption, top-level ones first (a window
        manager's frames are looked through)."""
        found, level = [], self._children(self.root)
        for _ in range(3):
            deeper = []
            for wid in level:
                caption = self._caption(wid)
                if caption is not None:
                    w = self._window(wid, caption)
                    if w:
                        found.append(w)
                else:
                    deeper += self._children(wid)
            level = deeper
        return found

    def find_window(self, caption, pid=None, timeout=0.0, exact=True):
        """The viewable window of that caption (of that process, or of one of its
        children, when pid is given); waits up to timeout seconds; None when none came."""
        deadline = time.monotonic() + timeout
        while True:
            family = _family(pid) if pid else None
            for w in self.windows():
                if (w.caption == caption if exact else caption in w.caption) and \
                        (family is None or w.pid in family):
                    return w
            if time.monotonic() >= deadline:
                return None
            time.sleep(0.1)

    def activate(self, window):
        """Raises a window and gives it the keyboard, as a window manager does on a click
        into its frame."""
        _x11.XRaiseWindow(self.dpy, window.id)
        _x11.XSetInputFocus(self.dpy, window.id, _REVERT_TO_PARENT, 0)
        _x11.XSync(self.dpy, 0)
        time.sleep(0.1)

    def screen_size(self):
        attributes = _WindowAttributes()
        _x11.XGetWindowAttributes(self.dpy, self.root, ctypes.byref(attributes))
        return attributes.width, attributes.height

    def place(self, window, x, y, width, height):
        """Moves and sizes a top-level window, as a window manager does (on a screen
        without one, a window keeps the size it asked for)."""
        _x11.XMoveResizeWindow(self.dpy, window.id, x, y, width, height)
        _x11.XSync(self.dpy, 0)
        time.sleep(0.3)
        return self.find_window(window.caption, pid=window.pid) or window

    # Input

    def move(self, x, y):
        _xtst.XTestFakeMotionEvent(self.dpy, -1, int(x), int(y), 0)
        _x11.XSync(self.dpy, 0)

    def click(self, x, y, button=1, double=False):
        self.move(x, y)
        time.sleep(0.05)
        for _ in range(2 if double else 1):
            _xtst.XTestFakeButtonEvent(self.dpy, button, 1, 0)
            _xtst.XTestFakeButtonEvent(self.dpy, button, 0, 0)
            _x11.XSync(self.dpy, 0)
            time.sleep(0.05)

    def _keycode(self, keysym):
        """The keycode of a keysym and whether it takes Shift; a keysym no key has is
        given to a spare keycode for the time being."""
        code = _x11.XKeysymToKeycode(self.dpy, keysym)
        if code:
            return code, _x11.XKeycodeToKeysym(self.dpy, code, 0) != keysym
        low, high = ctypes.c_int(), ctypes.c_int()
        _x11.XDisplayKeycodes(self.dpy, ctypes.byref(low), ctypes.byref(high))
        spare = high.value - 1
        syms = (ctypes.c_ulong * 2)(keysym, keysym)
        _x11.XChangeKeyboardMapping(self.dpy, spare, 2, syms, 1)
        _x11.XSync(self.dpy, 0)
        time.sleep(0.05)
        return spare, False

    def _stroke(self, keysym, modifiers=()):
        code, shift = self._keycode(keysym)
        held = [self._keycode(_x11.XStringToKeysym(_MODIFIERS[m].encode()))[0] for m in modifiers]
        if shift and 'shift' not in modifiers:
            held.append(self._keycode(_x11.XStringToKeysym(b'Shift_L'))[0])
        for m in held:
            _xtst.XTestFakeKeyEvent(self.dpy, m, 1, 0)
        if held:
            _x11.XSync(self.dpy, 0)
            time.sleep(0.05)
        _xtst.XTestFakeKeyEvent(self.dpy, code, 1, 0)
        _xtst.XTestFakeKeyEvent(self.dpy, code, 0, 0)
        if held:
            # A program may ask for the modifiers' state when it handles the key, later
            # than the key came: they stay down a while.
            _x11.XSync(self.dpy, 0)
            time.sleep(0.3)
        for m in reversed(held):
            _xtst.XTestFakeKeyEvent(self.dpy, m, 0, 0)
        _x11.XSync(self.dpy, 0)
        time.sleep(0.03)

    def key(self, name):
        """One key stroke by X key name, with modifiers: 'Return', 'ctrl+Return', 'F10'."""
        *modifiers, last = name.split('+')
        keysym = _x11.XStringToKeysym(last.encode())
        if not keysym:
            raise ValueError('no key named %r' % last)
        self._stroke(keysym, [m.lower() for m in modifiers])

    def type_text(self, text):
        """Types the text key by key; characters beyond the keyboard's go through a
        spare keycode."""
        for ch in text:
            if ch in _KEY_NAMES:
                keysym = _x11.XStringToKeysym(_KEY_NAMES[ch].encode())
            elif 0x20 < ord(ch) < 0x7f:
                keysym = ord(ch)
            else:
                keysym = 0x01000000 | ord(ch)
            self._stroke(keysym)


def _family(pid):
    """pid and its descendants."""
    children = {}
    for entry in os.listdir('/proc'):
        if entry.isdigit():
            try:
                with open('/proc/%s/stat' % entry) as f:
                    parent = int(f.read().rsplit(')', 1)[1].split()[1])
            except (OSError, ValueError, IndexError):
                continue
            children.setdefault(parent, []).append(int(entry))
    out, todo = set(), [int(pid)]
    while todo:
        p = todo.pop()
        out.add(p)
        todo += children.get(p, [])
    return out


def main(argv):
    if not argv:
        print(__doc__, file=sys.stderr)
        return 2
    d = Display()
    command, args = argv[0], argv[1:]
    if command == 'find':
        w = d.find_window(args[0], int(args[1]) if len(args) > 1 else None, timeout=30)
        if not w:
            return 1
        print(w.id, w.x, w.y, w.width, w.height)
    elif command == 'list':
        for w in d.windows():
            print(w)
    elif command == 'click':
        d.click(int(args[0]), int(args[1]))
    elif command == 'type':
        d.type_text(args[0])
    elif command == 'key':
        d.key(args[0])
    else:
        print('unknown command %s' % command, file=sys.stderr)
        return 2
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
