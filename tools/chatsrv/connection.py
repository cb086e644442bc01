"""One client connection: incoming bytes split into records, and an output queue paced by
the split and join switches (pieces carry the time they may leave)."""

import collections
import socket

from .records import HEADER, MAX_RECORD


class Connection:
    def __init__(self, number, sock, peer, now):
        self.id = number
        self.sock = sock
        self.peer = peer
        self.inbuf = bytearray()
        self.out = collections.deque()     # [time the piece may leave, bytes]
        self.gather = bytearray()          # output held by the join switch
        self.gather_until = None
        self.next_free = now               # earliest time of the next split piece
        self.own = {}                      # this connection's own fault switches
        self.user = None                   # the User logged in on it
        self.number = 0                    # number the login reply assigned
        self.sent = 0                      # records queued for it
        self.received = 0                  # records taken from it
        self.closing = False               # close once the output has left
        self.closed = False
        self.blocked = False               # the socket took no more on the last write

    def split_records(self):
        """Whole records from the input, and a reason when a length field is out of
        range (4 to 4096 bytes); the bytes of an incomplete record stay."""
        found = []
        while len(self.inbuf) >= 2:
            size = HEADER.unpack_from(self.inbuf.ljust(4, b'\0'))[0]
            if size < HEADER.size or size > MAX_RECORD:
                return found, 'length %d outside 4..%d' % (size, MAX_RECORD)
            if len(self.inbuf) < size:
                break
            found.append(bytes(self.inbuf[:size]))
            del self.inbuf[:size]
        return found, None

    def queue(self, data, now, switches):
        """Puts bytes behind what waits, cut and paced as the switches say."""
        if switches['join']:
            if self.gather_until is None:
                self.gather_until = now + switches['join'] / 1000.0
            self.gather += data
            return
        self._pace(bytes(data), now, switches)

    def release(self, now, switches):
        """Moves gathered output to the queue once its join window has passed."""
        if self.gather_until is not None and now >= self.gather_until:
            data, self.gather, self.gather_until = bytes(self.gather), bytearray(), None
            self._pace(data, now, switches)

    def _pace(self, data, now, switches):
        size = switches['split']
        if not size:
            self.out.append([now, data])
            return
        delay = switches['split_delay'] / 1000.0
        at = max(now, self.next_free)
        for start in range(0, len(data), size):
            self.out.append([at, data[start:start + size]])
            at += delay
        self.next_free = at

    def pending(self):
        return len(self.gather) + sum(len(piece) for _, piece in self.out)

    def idle(self):
        return not self.out and self.gather_until is None

    def next_time(self):
        """When something of the output next becomes due (None: nothing waits)."""
        times = []
        if self.out and not self.blocked:
            times.append(self.out[0][0])
        if self.gather_until is not None:
            times.append(self.gather_until)
        return min(times) if times else None

    def flush(self, now):
        """Writes the pieces that are due, each with its own send; raises OSError when
        the connection fails."""
        self.blocked = False
        while self.out and self.out[0][0] <= now:
            piece = self.out[0][1]
            try:
                sent = self.sock.send(piece, socket.MSG_NOSIGNAL)
            except BlockingIOError:
                self.blocked = True
                return
            if sent < len(piece):
                self.out[0][1] = piece[sent:]
                self.blocked = True
                return
            self.out.popleft()
