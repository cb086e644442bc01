#!/usr/bin/python3
"""Real input for the programs on an X display, for the demo and the end-to-end tests:
windows found by caption with their screen rectangles, pointer clicks and key strokes
through the XTEST extension, so that they reach the programs as a user's input does
(the layer's cross-process messages reach only top-level windows: a dialog's edit
takes only real key strokes), and the screen's pixels for checks and pictures.

    import lumodrive
    d = lumodrive.Display()                     # $DISPLAY
    w = d.find_window('连接至服务器', pid=1234, timeout=30)     # None when none came
    w = d.wait_window('连接至服务器', pid=1234)                 # raises DriverError
    d.click(w.x + 59, w.y + 202)
    d.type_text('123456'); d.key('Return')

The programs run on Qt's xcb platform. Windows are matched by their whole caption
(or a part of it); a pid matches the process and the programs it started. Typing
covers the characters of a US keyboard; others go through a spare keycode.

    lumodrive.py [--display :N] list
    lumodrive.py [--display :N] find CAPTION [PID]               prints "id x y w h"
    lumodrive.py [--display :N] click X Y [--button N] [--double]
    lumodrive.py [--display :N] type TEXT
    lumodrive.py [--display :N] key NAME...                     Return ctrl+Return alt+F4
    lumodrive.py [--display :N] activate CAPTION
    lumodrive.py [--display :N] maximize CAPTION                fills the screen, as a window manager would
    lumodrive.py [--display :N] close CAPTION                   as a window manager's close box
    lumodrive.py [--display :N] shot FILE.png [CAPTION]

Only libX11 and libXtst are needed (through ctypes).
"""

import argparse
import ctypes
import ctypes.util
import os
import struct
import sys
import time
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import procs  # noqa: E402

# ---------------------------------------------------------------------------
# libX11 and libXtst

XWindow = ctypes.c_ulong
Atom = ctypes.c_ulong


class XWindowAttributes(ctypes.Structure):
    _fields_ = [('x', ctypes.c_int), ('y', ctypes.c_int), ('width', ctypes.c_int),
                ('height', ctypes.c_int), ('border_width', ctypes.c_int), ('depth', ctypes.c_int),
                ('visual', ctypes.c_void_p), ('root', XWindow), ('c_class', ctypes.c_int),
                ('bit_gravity', ctypes.c_int), ('win_gravity', ctypes.c_int),
                ('backing_store', ctypes.c_int), ('backing_planes', ctypes.c_ulong),
                ('backing_pixel', ctypes.c_ulong), ('save_under', ctypes.c_int),
                ('colormap', ctypes.c_ulong), ('map_installed', ctypes.c_int),
                ('map_state', ctypes.c_int), ('all_event_masks', ctypes.c_long),
                ('your_event_mask', ctypes.c_long), ('do_not_propagate_mask', ctypes.c_long),
                ('override_redirect', ctypes.c_int), ('screen', ctypes.c_void_p)]


class XClientMessageEvent(ctypes.Structure):
    _fields_ = [('type', ctypes.c_int), ('serial', ctypes.c_ulong), ('send_event', ctypes.c_int),
                ('display', ctypes.c_void_p), ('window', XWindow), ('message_type', Atom),
                ('format', ctypes.c_int), ('data', ctypes.c_long * 5)]


class XEvent(ctypes.Union):
    _fields_ = [('xclient', XClientMessageEvent), ('pad', ctypes.c_long * 24)]


ClientMessage = 33


class XImageFuncs(ctypes.Structure):
    _fields_ = [(name, ctypes.c_void_p) for name in
                ('create_image', 'destroy_image', 'get_pixel', 'put_pixel', 'sub_image', 'add_pixel')]


class XImage(ctypes.Structure):
    _fields_ = [('width', ctypes.c_int), ('height', ctypes.c_int), ('xoffset', ctypes.c_int),
                ('format', ctypes.c_int), ('data', ctypes.POINTER(ctypes.c_ubyte)),
                ('byte_order', ctypes.c_int), ('bitmap_unit', ctypes.c_int),
                ('bitmap_bit_order', ctypes.c_int), ('bitmap_pad', ctypes.c_int),
                ('depth', ctypes.c_int), ('bytes_per_line', ctypes.c_int),
                ('bits_per_pixel', ctypes.c_int), ('red_mask', ctypes.c_ulong),
                ('green_mask', ctypes.c_ulong), ('blue_mask', ctypes.c_ulong),
                ('obdata', ctypes.c_void_p), ('f', XImageFuncs)]


ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
IsViewable = 2
ZPixmap = 2
AllPlanes = ctypes.c_ulong(0xFFFFFFFFFFFFFFFF)


def _load(name, fallback):
    path = ctypes.util.find_library(name) or fallback
    return ctypes.CDLL(path)


_x11 = None
_xtst = None
# X errors (a window that went away between two requests) are expected while
# programs come and go: they are ignored instead of ending the process.
_ignore_errors = ERROR_HANDLER(lambda display, event: 0)


def _libraries():
    global _x11, _xtst
    if _x11 is None:
        x11 = _load('X11', 'libX11.so.6')
        xtst = _load('Xtst', 'libXtst.so.6')
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        x11.XDefaultRootWindow.restype = XWindow
        x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x11.XInternAtom.restype = Atom
        x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x11.XQueryTree.argtypes = [ctypes.c_void_p, XWindow, ctypes.POINTER(XWindow), ctypes.POINTER(XWindow),
                                   ctypes.POINTER(ctypes.POINTER(XWindow)), ctypes.POINTER(ctypes.c_uint)]
        x11.XGetWindowAttributes.argtypes = [ctypes.c_void_p, XWindow, ctypes.POINTER(XWindowAttributes)]
        x11.XGetWindowProperty.argtypes = [
            ctypes.c_void_p, XWindow, Atom, ctypes.c_long, ctypes.c_long, ctypes.c_int, Atom,
            ctypes.POINTER(Atom), ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_ulong),
            ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_void_p)]
        x11.XTranslateCoordinates.argtypes = [
            ctypes.c_void_p, XWindow, XWindow, ctypes.c_int, ctypes.c_int, ctypes.POINTER(ctypes.c_int),
            ctypes.POINTER(ctypes.c_int), ctypes.POINTER(XWindow)]
        x11.XFree.argtypes = [ctypes.c_void_p]
        x11.XFlush.argtypes = [ctypes.c_void_p]
        x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x11.XStringToKeysym.restype = ctypes.c_ulong
        x11.XStringToKeysym.argtypes = [ctypes.c_char_p]
        x11.XKeysymToKeycode.restype = ctypes.c_ubyte
        x11.XKeysymToKeycode.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        x11.XKeycodeToKeysym.restype = ctypes.c_ulong
        x11.XKeycodeToKeysym.argtypes = [ctypes.c_void_p, ctypes.c_ubyte, ctypes.c_int]
        x11.XDisplayKeycodes.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int),
                                         ctypes.POINTER(ctypes.c_int)]
        x11.XChangeKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                               ctypes.POINTER(ctypes.c_ulong), ctypes.c_int]
        x11.XSetInputFocus.argtypes = [ctypes.c_void_p, XWindow, ctypes.c_int, ctypes.c_ulong]
        x11.XGetInputFocus.argtypes = [ctypes.c_void_p, ctypes.POINTER(XWindow), ctypes.POINTER(ctypes.c_int)]
        x11.XRaiseWindow.argtypes = [ctypes.c_void_p, XWindow]
        x11.XGetImage.restype = ctypes.POINTER(XImage)
        x11.XGetImage.argtypes = [ctypes.c_void_p, XWindow, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                  ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        x11.XSendEvent.argtypes = [ctypes.c_void_p, XWindow, ctypes.c_int, ctypes.c_long,
                                   ctypes.POINTER(XEvent)]
        x11.XMoveResizeWindow.argtypes = [ctypes.c_void_p, XWindow, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                          ctypes.c_uint]
        x11.XSetErrorHandler.argtypes = [ERROR_HANDLER]
        x11.XSetErrorHandler.restype = ctypes.c_void_p
        x11.XSetErrorHandler(_ignore_errors)
        xtst.XTestQueryExtension.argtypes = [ctypes.c_void_p] + [ctypes.POINTER(ctypes.c_int)] * 4
        xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int,
                                              ctypes.c_ulong]
        xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
        xtst.XTestFakeKeyEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int, ctypes.c_ulong]
        _x11, _xtst = x11, xtst
    return _x11, _xtst


class DriverError(RuntimeError):
    pass


class Window:
    """A top-level window as the driver saw it: its X id, caption, process and
    rectangle on the screen."""

    def __init__(self, wid, caption, pid, x, y, width, height):
        self.id, self.caption, self.pid = wid, caption, pid
        self.x, self.y, self.width, self.height = x, y, width, height

    @property
    def rect(self):
        return self.x, self.y, self.width, self.height

    def point(self, fx, fy):
        """The screen point at fractions fx, fy of the window's width and height."""
        return self.x + int(self.width * fx), self.y + int(self.height * fy)

    def __repr__(self):
        return 'Window(0x%x, %r, pid %s, %d,%d %dx%d)' % (
            self.id, self.caption, self.pid, self.x, self.y, self.width, self.height)


# Modifier names of key(), and the keys of type_text's white space.
MODIFIERS = {'ctrl': 'Control_L', 'control': 'Control_L', 'shift': 'Shift_L', 'alt': 'Alt_L'}
KEY_NAMES = {'\n': 'Return', '\t': 'Tab', ' ': 'space'}


class Display:
    """One connection to an X display."""

    def __init__(self, name=None, pause=0.03):
        self.x11, self.xtst = _libraries()
        name = name or os.environ.get('DISPLAY', '')
        if not name:
            raise DriverError('no X display (DISPLAY is empty)')
        self.dpy = self.x11.XOpenDisplay(name.encode())
        if not self.dpy:
            raise DriverError('cannot open the X display %r' % name)
        ints = [ctypes.c_int() for _ in range(4)]
        if not self.xtst.XTestQueryExtension(self.dpy, *[ctypes.byref(i) for i in ints]):
            self.close()
            raise DriverError('the X display %r has no XTest extension' % name)
        self.root = self.x11.XDefaultRootWindow(self.dpy)
        self.pause = pause
        self._atoms = {}

    def close(self):
        if self.dpy:
            self.x11.XCloseDisplay(self.dpy)
            self.dpy = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    # -- windows -----------------------------------------------------------

    def _atom(self, name):
        if name not in self._atoms:
            self._atoms[name] = self.x11.XInternAtom(self.dpy, name.encode(), False)
        return self._atoms[name]

    def _property(self, xid, name, kind=0):
        actual, fmt = Atom(), ctypes.c_int()
        count, after, data = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_void_p()
        status = self.x11.XGetWindowProperty(self.dpy, xid, self._atom(name), 0, 65536, False, kind,
                                             ctypes.byref(actual), ctypes.byref(fmt), ctypes.byref(count),
                                             ctypes.byref(after), ctypes.byref(data))
        if status != 0 or not data.value:
            return None, 0
        try:
            size = {8: 1, 16: ctypes.sizeof(ctypes.c_short), 32: ctypes.sizeof(ctypes.c_long)}.get(fmt.value, 1)
            return ctypes.string_at(data.value, count.value * size), fmt.value
        finally:
            self.x11.XFree(data)

    def _caption(self, xid):
        raw, _ = self._property(xid, '_NET_WM_NAME')
        if raw is not None:
            return raw.decode('utf-8', 'replace')
        raw, _ = self._property(xid, 'WM_NAME')
        if raw is not None:
            return raw.decode('latin-1')
        return None

    def _pid(self, xid):
        raw, fmt = self._property(xid, '_NET_WM_PID')
        if raw and fmt == 32:
            return struct.unpack_from('l', raw)[0]
        return None

    def _children(self, xid):
        root, parent = XWindow(), XWindow()
        children, count = ctypes.POINTER(XWindow)(), ctypes.c_uint()
        if not self.x11.XQueryTree(self.dpy, xid, ctypes.byref(root), ctypes.byref(parent),
                                   ctypes.byref(children), ctypes.byref(count)):
            return []
        try:
            return [children[i] for i in range(count.value)]
        finally:
            if children:
                self.x11.XFree(children)

    def _describe(self, xid):
        attrs = XWindowAttributes()
        if not self.x11.XGetWindowAttributes(self.dpy, xid, ctypes.byref(attrs)):
            return None
        x, y, child = ctypes.c_int(), ctypes.c_int(), XWindow()
        if not self.x11.XTranslateCoordinates(self.dpy, xid, self.root, 0, 0, ctypes.byref(x),
                                              ctypes.byref(y), ctypes.byref(child)):
            return None
        return (x.value, y.value, attrs.width, attrs.height), attrs.map_state == IsViewable, bool(attrs.override_redirect)

    def _window(self, xid, caption):
        described = self._describe(xid)
        if described is None:
            return None
        (x, y, w, h), viewable, popup = described
        if not viewable or popup:
            return None
        return Window(xid, caption, self._pid(xid), x, y, w, h)

    def windows(self):
        """The viewable top-level windows that carry a caption, bottom first,
        without the pop-ups (menus, tool tips); a window manager's frames are
        looked through."""
        found, level = [], self._children(self.root)
        for _ in range(3):
            deeper = []
            for xid in level:
                caption = self._caption(xid)
                if caption is not None:
                    w = self._window(xid, caption)
                    if w:
                        found.append(w)
                else:
                    deeper += self._children(xid)
            level = deeper
        return found

    def popups(self):
        """Viewable windows that no window manager handles (menus, tool tips,
        combo box lists), bottom first."""
        found = []
        for xid in self._children(self.root):
            described = self._describe(xid)
            if described and described[1] and described[2] and described[0][2] > 1 and described[0][3] > 1:
                found.append(Window(xid, self._caption(xid) or '', self._pid(xid), *described[0]))
        return found

    def find_window(self, caption, pid=None, timeout=0.0, exact=True):
        """The viewable window of that caption (whole, or a part of it when not
        `exact`), of process `pid` or of a program it started when given; the
        newest on top wins. Waits up to `timeout` seconds; None when none came."""
        deadline = time.monotonic() + timeout
        while True:
            family = {int(pid), *procs.descendants(pid)} if pid else None
            for w in reversed(self.windows()):
                if (w.caption == caption if exact else caption in w.caption) and \
                        (family is None or w.pid in family):
                    return w
            if time.monotonic() >= deadline:
                return None
            time.sleep(0.1)

    def wait_window(self, caption, pid=None, timeout=30.0, exact=True):
        """find_window, raising DriverError (with the captions shown) when none came."""
        w = self.find_window(caption, pid, timeout, exact)
        if w is None:
            shown = ', '.join(repr(v.caption) for v in self.windows())
            raise DriverError('no window %r within %g s (shown: %s)' % (caption, timeout, shown or 'none'))
        return w

    def wait_gone(self, window, timeout=30.0):
        """Waits until `window` is no longer viewable; False on time-out."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if not any(w.id == window.id for w in self.windows()):
                return True
            time.sleep(0.1)
        return False

    def window_rect(self, window):
        """The current rectangle (x, y, width, height) of a window (or X id) on the
        screen; None when it has gone."""
        described = self._describe(_xid(window))
        return described[0] if described else None

    def screen_size(self):
        return self.window_rect(self.root)[2:]

    def has_focus(self, window):
        """Whether the keyboard goes to `window` (or one of its children)."""
        focus, revert = XWindow(), ctypes.c_int()
        self.x11.XGetInputFocus(self.dpy, ctypes.byref(focus), ctypes.byref(revert))
        xid, target = focus.value, _xid(window)
        for _ in range(16):
            if xid == target:
                return True
            if xid in (0, 1, self.root):  # None, PointerRoot
                return False
            root, parent = XWindow(), XWindow()
            children, count = ctypes.POINTER(XWindow)(), ctypes.c_uint()
            if not self.x11.XQueryTree(self.dpy, xid, ctypes.byref(root), ctypes.byref(parent),
                                       ctypes.byref(children), ctypes.byref(count)):
                return False
            if children:
                self.x11.XFree(children)
            xid = parent.value
        return False

    def activate(self, window):
        """Raises a window and gives it the keyboard, as a window manager does on a
        click into its frame."""
        xid = _xid(window)
        self.x11.XRaiseWindow(self.dpy, xid)
        self.x11.XSetInputFocus(self.dpy, xid, 2, 0)  # RevertToParent, CurrentTime
        self.x11.XSync(self.dpy, False)
        time.sleep(0.1)

    def move_resize(self, window, rect=None):
        """Moves and sizes a window as a window manager does; without `rect` it
        fills the screen (maximised). Waits until the window has its new size."""
        xid = _xid(window)
        if rect is None:
            rect = self.window_rect(self.root)
        x, y, w, h = rect
        self.x11.XMoveResizeWindow(self.dpy, xid, x, y, w, h)
        self.x11.XSync(self.dpy, False)
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline and self.window_rect(xid) != tuple(rect):
            time.sleep(0.05)
        time.sleep(0.3)

    def place(self, window, x, y, width, height):
        """Moves and sizes a top-level window, as a window manager does; the window
        as it is then."""
        self.move_resize(window, (x, y, width, height))
        return self.find_window(window.caption, pid=window.pid) or window

    def close_window(self, window):
        """Asks a window to close as a window manager's close box does (the
        WM_DELETE_WINDOW protocol)."""
        xid = _xid(window)
        event = XEvent()
        event.xclient.type = ClientMessage
        event.xclient.window = xid
        event.xclient.message_type = self._atom('WM_PROTOCOLS')
        event.xclient.format = 32
        event.xclient.data[0] = self._atom('WM_DELETE_WINDOW')
        event.xclient.data[1] = 0  # CurrentTime
        self.x11.XSendEvent(self.dpy, xid, False, 0, ctypes.byref(event))
        self.x11.XSync(self.dpy, False)

    # -- input -------------------------------------------------------------

    def _settle(self):
        self.x11.XSync(self.dpy, False)
        time.sleep(self.pause)

    def move(self, x, y):
        self.xtst.XTestFakeMotionEvent(self.dpy, -1, int(x), int(y), 0)
        self._settle()

    def click(self, x, y, button=1, double=False):
        """Moves the pointer to (x, y) on the screen and clicks (twice when `double`)."""
        self.move(x, y)
        time.sleep(0.05)
        for _ in range(2 if double else 1):
            self.xtst.XTestFakeButtonEvent(self.dpy, button, True, 0)
            self.xtst.XTestFakeButtonEvent(self.dpy, button, False, 0)
            self._settle()

    def click_in(self, window, dx, dy, **kw):
        """Clicks at (dx, dy) from the top-left corner of a window's rectangle
        (negative values count from the right or bottom edge)."""
        rect = self.window_rect(window)
        if rect is None:
            raise DriverError('the window %r has gone' % (window,))
        x = rect[0] + (dx if dx >= 0 else rect[2] + dx)
        y = rect[1] + (dy if dy >= 0 else rect[3] + dy)
        self.click(x, y, **kw)

    def _keycode(self, keysym):
        """The keycode of a keysym and whether it takes Shift; a keysym no key has is
        given to a spare keycode for the time being."""
        code = self.x11.XKeysymToKeycode(self.dpy, keysym)
        if code:
            return code, self.x11.XKeycodeToKeysym(self.dpy, code, 0) != keysym
        low, high = ctypes.c_int(), ctypes.c_int()
        self.x11.XDisplayKeycodes(self.dpy, ctypes.byref(low), ctypes.byref(high))
        spare = high.value - 1
        syms = (ctypes.c_ulong * 2)(keysym, keysym)
        self.x11.XChangeKeyboardMapping(self.dpy, spare, 2, syms, 1)
        self.x11.XSync(self.dpy, False)
        time.sleep(0.05)
        return spare, False

    def _keysym(self, name):
        keysym = self.x11.XStringToKeysym(MODIFIERS.get(name.lower(), name).encode())
        if keysym == 0 and len(name) == 1:
            keysym = ord(name)
        if keysym == 0:
            raise DriverError('no key named %r' % name)
        return keysym

    def _stroke(self, keysym, modifiers=()):
        code, shift = self._keycode(keysym)
        held = [self._keycode(self._keysym(m))[0] for m in modifiers]
        if shift and 'shift' not in modifiers:
            held.append(self._keycode(self._keysym('Shift_L'))[0])
        for m in held:
            self.xtst.XTestFakeKeyEvent(self.dpy, m, True, 0)
        if held:
            self._settle()
        self.xtst.XTestFakeKeyEvent(self.dpy, code, True, 0)
        self.xtst.XTestFakeKeyEvent(self.dpy, code, False, 0)
        if held:
            # A program may ask for the modifiers' state when it handles the key,
            # later than the key came: they stay down a while.
            self.x11.XSync(self.dpy, False)
            time.sleep(0.3)
        for m in reversed(held):
            self.xtst.XTestFakeKeyEvent(self.dpy, m, False, 0)
        self._settle()

    def key(self, *names):
        """Key strokes by X key name, each with its modifiers joined by '+':
        'Return', 'ctrl+Return', 'alt+F4', 'shift+Tab', 'F10'."""
        for name in names:
            *modifiers, last = name.split('+') if name != '+' else ['+']
            self._stroke(self._keysym(last), [m.lower() for m in modifiers])

    def type_text(self, text):
        """Types the text key by key; characters beyond the keyboard's go through a
        spare keycode."""
        for ch in text:
            if ch in KEY_NAMES:
                keysym = self._keysym(KEY_NAMES[ch])
            elif 0x20 < ord(ch) < 0x7f:
                keysym = ord(ch)
            else:
                keysym = 0x01000000 | ord(ch)
            self._stroke(keysym)

    # -- pictures ----------------------------------------------------------

    def grab(self, rect=None):
        """The screen's pixels in `rect` (x, y, width, height; the whole screen when
        None), cut to the screen, as (width, height, RGB bytes)."""
        screen = self.window_rect(self.root)
        if rect is None:
            rect = screen
        # Only what lies on the screen can be read.
        x, y = max(rect[0], 0), max(rect[1], 0)
        w = min(rect[0] + rect[2], screen[2]) - x
        h = min(rect[1] + rect[3], screen[3]) - y
        if w <= 0 or h <= 0:
            raise DriverError('%r lies outside the screen' % (rect,))
        image = self.x11.XGetImage(self.dpy, self.root, x, y, w, h, AllPlanes, ZPixmap)
        if not image:
            raise DriverError('cannot read the screen at %r' % (rect,))
        try:
            img = image.contents
            if img.bits_per_pixel != 32:
                raise DriverError('unexpected screen format: %d bits per pixel' % img.bits_per_pixel)
            data = ctypes.string_at(img.data, img.bytes_per_line * img.height)
            rgb = bytearray(3 * w * h)
            for row in range(h):
                line = data[row * img.bytes_per_line:row * img.bytes_per_line + 4 * w]
                out = memoryview(rgb)[row * 3 * w:(row + 1) * 3 * w]
                if img.byte_order == 0:  # least significant byte first: B, G, R, unused
                    out[0::3], out[1::3], out[2::3] = line[2::4], line[1::4], line[0::4]
                else:
                    out[0::3], out[1::3], out[2::3] = line[1::4], line[2::4], line[3::4]
            return w, h, bytes(rgb)
        finally:
            ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p)(img.f.destroy_image)(image)

    @staticmethod
    def _dark(rgb, i, dark):
        return rgb[i] + rgb[i + 1] + rgb[i + 2] < dark

    def ink_lines(self, rect, dark=150):
        """The bands of rows in `rect` that hold dark pixels (text on a light
        ground), as (top, bottom) screen rows, bottom exclusive."""
        w, h, rgb = self.grab(rect)
        rows = [any(self._dark(rgb, 3 * (r * w + c), dark) for c in range(w)) for r in range(h)]
        return [(max(rect[1], 0) + a, max(rect[1], 0) + b) for a, b in _runs(rows, 1)]

    def ink_clusters(self, rect, gap=8, dark=150):
        """The runs of columns in `rect` that hold dark pixels, split where at
        least `gap` columns hold none: the items of a menu bar or a tool bar, as
        (left, right) screen columns, right exclusive."""
        w, h, rgb = self.grab(rect)
        cols = [any(self._dark(rgb, 3 * (r * w + c), dark) for r in range(h)) for c in range(w)]
        return [(max(rect[0], 0) + a, max(rect[0], 0) + b) for a, b in _runs(cols, gap)]

    def save_png(self, path, rect=None):
        """Saves the screen's pixels in `rect` (a window, a rectangle or the whole
        screen) as a PNG file."""
        if isinstance(rect, Window):
            rect = self.window_rect(rect)
        w, h, rgb = self.grab(rect)
        write_png(path, w, h, rgb)


def _runs(flags, gap):
    """Runs of true values, joined across fewer than `gap` false ones."""
    runs = []
    start = end = None
    for i, on in enumerate(flags):
        if on:
            if start is not None and i - end < gap:
                end = i + 1
            else:
                if start is not None:
                    runs.append((start, end))
                start, end = i, i + 1
    if start is not None:
        runs.append((start, end))
    return runs


def write_png(path, width, height, rgb):
    rows = b''.join(b'\0' + rgb[y * 3 * width:(y + 1) * 3 * width] for y in range(height))

    def chunk(kind, body):
        return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body) & 0xFFFFFFFF)

    png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0))
    png += chunk(b'IDAT', zlib.compress(rows, 9)) + chunk(b'IEND', b'')
    with open(path, 'wb') as f:
        f.write(png)


def _xid(window):
    return window.id if isinstance(window, Window) else window


def main(argv=None):
    parser = argparse.ArgumentParser(description='Real input for the programs on an X display.')
    parser.add_argument('--display', default=None)
    sub = parser.add_subparsers(dest='cmd', required=True)
    sub.add_parser('list')
    p = sub.add_parser('find')
    p.add_argument('caption')
    p.add_argument('pid', type=int, nargs='?')
    p.add_argument('--timeout', type=float, default=30.0)
    p = sub.add_parser('click')
    p.add_argument('x', type=int)
    p.add_argument('y', type=int)
    p.add_argument('--button', type=int, default=1)
    p.add_argument('--double', action='store_true')
    p = sub.add_parser('type')
    p.add_argument('text')
    p = sub.add_parser('key')
    p.add_argument('names', nargs='+')
    for name in ('activate', 'maximize', 'close'):
        p = sub.add_parser(name)
        p.add_argument('caption')
        p.add_argument('--timeout', type=float, default=30.0)
    p = sub.add_parser('shot')
    p.add_argument('file')
    p.add_argument('caption', nargs='?')
    args = parser.parse_args(argv)
    try:
        d = Display(args.display)
        try:
            if args.cmd == 'list':
                for w in d.windows():
                    print(w)
            elif args.cmd == 'find':
                w = d.wait_window(args.caption, args.pid, args.timeout)
                print(w.id, w.x, w.y, w.width, w.height)
            elif args.cmd == 'click':
                d.click(args.x, args.y, args.button, args.double)
            elif args.cmd == 'type':
                d.type_text(args.text)
            elif args.cmd == 'key':
                d.key(*args.names)
            elif args.cmd == 'activate':
                d.activate(d.wait_window(args.caption, timeout=args.timeout))
            elif args.cmd == 'maximize':
                d.move_resize(d.wait_window(args.caption, timeout=args.timeout))
            elif args.cmd == 'close':
                d.close_window(d.wait_window(args.caption, timeout=args.timeout))
            elif args.cmd == 'shot':
                d.save_png(args.file, d.wait_window(args.caption) if args.caption else None)
        finally:
            d.close()
    except DriverError as e:
        print('lumodrive: %s' % e, file=sys.stderr)
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
