"""The record log: one JSON object per line, written and flushed as it happens.

A record line: {"t": seconds since start, "conn": connection number, "dir": "in" or
"out", "user": login name on that connection or null, "kind": number, "name": kind name,
"length": the length field, "size": bytes that travelled, "flag": the flag byte,
"compressed": flag == 1, "fields": decoded fields}, plus where they apply "hex" (the raw
bytes, for raw sends and for records whose length field does not match their size),
"fault" (the switch that changed or dropped it), "dropped" (not sent: silent), "route"
and "to_conns" (where a received message went) and "note".
An event line: {"t", "conn", "event": "accept" | "close" | "bad-length" | ..., "reason"}."""

import json
import time

from .records import HEADER, decode, kind_name


def describe(data):
    """Log fields of bytes that are meant as one record."""
    if len(data) < HEADER.size:
        return {'size': len(data), 'hex': bytes(data).hex()}
    length, kind, flag = HEADER.unpack_from(data)
    entry = {'kind': kind, 'name': kind_name(kind), 'length': length, 'size': len(data),
             'flag': flag, 'compressed': flag == 1}
    if length == len(data):
        entry['fields'] = decode(bytes(data))[0]
    else:
        entry['hex'] = bytes(data).hex()
    return entry


class RecordLog:
    def __init__(self, path):
        self.start = time.monotonic()
        self.file = open(path, 'w', encoding='utf-8') if path else None
        self.held = None

    def now(self):
        return round(time.monotonic() - self.start, 3)

    def write(self, entry):
        line = dict(t=self.now())
        line.update(entry)
        if self.held is not None:
            self.held.append(line)
        elif self.file:
            self.file.write(json.dumps(line, ensure_ascii=False) + '\n')
            self.file.flush()

    def hold(self):
        """Keeps the following lines back until release, so that a received record is
        logged before the answers its handling sends."""
        self.held = []

    def release(self, first):
        held, self.held = self.held or [], None
        for line in [first] + held:
            self.write(line)

    def close(self):
        if self.file:
            self.file.close()
            self.file = None
