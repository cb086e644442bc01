"""Fault switches: what the server does wrong on purpose, and when.

A fault is a JSON object (from --fault or the control port's "fault" command):
    fault     split | coalesce | garbage | oversize | drop | delay | close | reset
    listener  data (default) | balance | realtime | any
    on        a request frame type, a list of them, or "ring" (the types of the
              terminal's request ring); omitted: every answer (pushes count as type 8)
    count     how many answers or pushes it hits, default 1; 0 = every one until cleared
    skip      let this many matching answers or pushes pass first, default 0
and, by kind:
    split     at: byte offset or list of offsets where each frame (or the coalesced
              write) is cut into separate writes; pause_ms between the pieces (default 30)
    coalesce  all frames of the answer or push go out in one write
    garbage   hex: the bytes, or length: that many random bytes other than the marker
              0x40 (default 16), written before the answer or push
    oversize  size: body size announced and sent (default 9000), type: its frame type
              (default the answer's own type), in a frame written before the answer
    drop      the answer or push is not sent
    delay     ms: the answer is sent this much later; later answers are not held back,
              so they may overtake it
    close     the connection is closed (FIN) instead of sending; send: bytes of the
              answer written first (default 0)
    reset     the same with a reset (RST)
"""

from .answers import RING_FRAMES

KINDS = ('split', 'coalesce', 'garbage', 'oversize', 'drop', 'delay', 'close', 'reset')
LISTENERS = ('data', 'balance', 'realtime', 'any')


class Fault:
    def __init__(self, ident, spec):
        spec = dict(spec)
        self.id = ident
        self.spec = spec
        self.kind = spec.get('fault')
        if self.kind not in KINDS:
            raise ValueError('fault must be one of ' + ', '.join(KINDS))
        self.listener = spec.get('listener', 'data')
        if self.listener not in LISTENERS:
            raise ValueError('listener must be one of ' + ', '.join(LISTENERS))
        on = spec.get('on')
        if on is None:
            self.on = None
        elif on == 'ring':
            self.on = set(RING_FRAMES)
        elif isinstance(on, int):
            self.on = {on}
        elif isinstance(on, list) and all(isinstance(t, int) for t in on):
            self.on = set(on)
        else:
            raise ValueError('on must be a frame type, a list of them or "ring"')
        count = int(spec.get('count', 1))
        self.remaining = None if count == 0 else count
        self.skip = int(spec.get('skip', 0))
        if count < 0 or self.skip < 0:
            raise ValueError('count and skip are 0 or more')
        at = spec.get('at', [])
        self.at = sorted({int(a) for a in ([at] if isinstance(at, int) else at)})
        if self.kind == 'split' and (not self.at or self.at[0] < 1):
            raise ValueError('split needs at: offsets of 1 or more')
        self.pause = float(spec.get('pause_ms', 30)) / 1000.0
        self.garbage = bytes.fromhex(spec['hex']) if 'hex' in spec else None
        self.length = int(spec.get('length', 16))
        self.size = int(spec.get('size', 9000))
        if not 0 <= self.size <= 0xFFFF:
            raise ValueError('size lies in 0..65535')
        self.type = spec.get('type')
        self.ms = float(spec.get('ms', 0))
        self.send = int(spec.get('send', 0))

    def matches(self, listener, frame_type):
        return (self.listener in ('any', listener) and
                (self.on is None or frame_type in self.on))

    def as_dict(self):
        return dict(self.spec, id=self.id, remaining=self.remaining, skip=self.skip)


class Faults:
    def __init__(self):
        self.active = []
        self.next_id = 1

    def add(self, spec):
        fault = Fault(self.next_id, spec)
        self.next_id += 1
        self.active.append(fault)
        return fault

    def clear(self, ident=None):
        self.active = [f for f in self.active if ident is not None and f.id != ident]

    def take(self, listener, frame_type):
        """The faults that hit this answer or push, by kind (a later fault of the same kind
        wins); their counts are used up."""
        hit = {}
        for fault in list(self.active):
            if not fault.matches(listener, frame_type):
                continue
            if fault.skip:
                fault.skip -= 1
                continue
            hit[fault.kind] = fault
            if fault.remaining is not None:
                fault.remaining -= 1
                if fault.remaining == 0:
                    self.active.remove(fault)
        return hit

    def as_list(self):
        return [f.as_dict() for f in self.active]
