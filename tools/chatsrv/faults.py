"""Fault switches. The global set applies to every connection that has no value of its
own; a connection's own values (set through the control port) win over it.

    split N            send the output in pieces of N bytes (0: off)
    split_delay MS     pause between pieces (default 20)
    join MS            gather the output for MS milliseconds, then send it in one write,
                       so several records arrive together (0: off)
    length N           write N into the length field of every record sent; when N is
                       larger than the record it is padded with zero bytes to N bytes
                       (null: off); 0, 1 or above 4096 are the bad lengths a client refuses
    silent             send nothing at all (records are logged as dropped)
    noread             stop reading from the connection (the client's sends back up)
    close_after N      close once N records have been sent (0: right after accepting)
    keepalive_reply    answer each keepalive with a keepalive (default on)
"""

DEFAULTS = {
    'split': 0,
    'split_delay': 20,
    'join': 0,
    'length': None,
    'silent': False,
    'noread': False,
    'close_after': None,
    'keepalive_reply': True,
}


def _count(name, value, upper=None, nullable=False):
    if value is None and nullable:
        return None
    if isinstance(value, bool) or not isinstance(value, int) or value < 0:
        raise ValueError('%s takes a number of 0 or more' % name)
    if upper is not None and value > upper:
        raise ValueError('%s takes at most %d' % (name, upper))
    return value


def _flag(name, value):
    if not isinstance(value, bool):
        raise ValueError('%s takes true or false' % name)
    return value


CHECKS = {
    'split': lambda v: _count('split', v),
    'split_delay': lambda v: _count('split_delay', v, 60000),
    'join': lambda v: _count('join', v, 60000),
    'length': lambda v: _count('length', v, 0xFFFF, nullable=True),
    'silent': lambda v: _flag('silent', v),
    'noread': lambda v: _flag('noread', v),
    'close_after': lambda v: _count('close_after', v, nullable=True),
    'keepalive_reply': lambda v: _flag('keepalive_reply', v),
}


def checked(values):
    """The switches of a dict, validated; raises ValueError on an unknown name or value."""
    unknown = set(values) - set(DEFAULTS)
    if unknown:
        raise ValueError('unknown fault switches: %s' % ', '.join(sorted(unknown)))
    return {name: CHECKS[name](value) for name, value in values.items()}


class Faults:
    def __init__(self, values=None):
        self.values = dict(DEFAULTS)
        self.values.update(checked(values or {}))

    def update(self, values):
        self.values.update(checked(values))

    def effective(self, own):
        """The switches one connection runs with: its own values over the global ones."""
        merged = dict(self.values)
        merged.update(own)
        return merged
