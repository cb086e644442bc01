"""Simulated trade gateway: packets, checksum, DES session keys, the broker's book and
the answers to every request of the order client.

Modules, from the wire up:
    crc       CRC-16 of packet bodies
    cipher    DES blocks and body enciphering
    keys      the per-direction session key chains
    framing   the 48-byte header and reading whole packets
    records   fixed-width record building and parsing
    data      the built-in customers, contracts, bank accounts and seed orders
    book      the broker's state: orders, deals, positions, funds, transfers, groups
    handlers  requests turned into answers
    server    connections, fault switches, the packet log and the control port
"""
