"""Single DES in ECB mode. A body is enciphered in whole 8-byte blocks from its start; a
tail shorter than a block travels plain."""

from cryptography.hazmat.primitives.ciphers import Cipher, modes

try:
    from cryptography.hazmat.decrepit.ciphers.algorithms import TripleDES
except ImportError:
    from cryptography.hazmat.primitives.ciphers.algorithms import TripleDES

BLOCK = 8


def _cipher(key):
    if len(key) != BLOCK:
        raise ValueError('a DES key has 8 bytes')
    # Triple DES with one 8-byte key is single DES (K1 = K2 = K3).
    return Cipher(TripleDES(bytes(key)), modes.ECB())


def encrypt_block(key, block):
    enc = _cipher(key).encryptor()
    return enc.update(bytes(block)) + enc.finalize()


def decrypt_block(key, block):
    dec = _cipher(key).decryptor()
    return dec.update(bytes(block)) + dec.finalize()


def encipher_body(key, body):
    whole = len(body) - len(body) % BLOCK
    if not whole:
        return bytes(body)
    enc = _cipher(key).encryptor()
    return enc.update(bytes(body[:whole])) + enc.finalize() + bytes(body[whole:])


def decipher_body(key, body):
    whole = len(body) - len(body) % BLOCK
    if not whole:
        return bytes(body)
    dec = _cipher(key).decryptor()
    return dec.update(bytes(body[:whole])) + dec.finalize() + bytes(body[whole:])
