"""Session keys of one connection. Each direction keeps its own chain: both start at the
initial key, and every packet sent while enciphering is on carries, enciphered under the
key that protects it, the key of the next packet in the same direction."""

from . import cipher

INITIAL_KEY = b'MOLTRAVE'
# Bodies of these codes are never enciphered; their packets still carry and change keys.
EXEMPT_CODES = frozenset({68, 158, 161, 204})


def make_session_key(rng):
    """Eight decimal digits, 10000000 + r mod 8999999, as the client makes its own."""
    return b'%08d' % (10000000 + rng.randrange(1 << 31) % 8999999)


class SessionCipher:
    """The enciphering flag and the two key chains of a connection."""

    def __init__(self, rng):
        self.rng = rng
        self.reset()

    def reset(self):
        self.on = False
        self.send_key = INITIAL_KEY
        self.recv_key = INITIAL_KEY

    def seal(self, code, body):
        """Prepares an outgoing body. Returns (wire body, key field, key before, key after);
        with enciphering off the body is unchanged and the key field is zero."""
        before = self.send_key
        if not self.on:
            return bytes(body), bytes(8), before, before
        wire = bytes(body) if code in EXEMPT_CODES else cipher.encipher_body(before, body)
        new_key = make_session_key(self.rng)
        key_field = cipher.encrypt_block(before, new_key)
        self.send_key = new_key
        return wire, key_field, before, new_key

    def open(self, code, wire_body, key_field, checksum_ok):
        """Follows the receive chain for one incoming packet. Returns (body, key before,
        key after); the body is deciphered only when the checksum matched. The key
        advances even when it did not, as the sender's chain already has."""
        before = self.recv_key
        if not self.on:
            return bytes(wire_body), before, before
        body = bytes(wire_body)
        if checksum_ok and code not in EXEMPT_CODES:
            body = cipher.decipher_body(before, wire_body)
        self.recv_key = cipher.decrypt_block(before, key_field)
        return body, before, self.recv_key
