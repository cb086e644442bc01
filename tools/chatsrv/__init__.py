"""Simulated chat server: records, the user table, presence and message routing, fault
switches, the record log and the control port.

Modules, from the wire up:
    records     the 4-byte header, every record kind, text compression, decoding for the log
    users       the user table (built-in staff, experts, ordinary users and refused accounts)
    faults      the fault switches, global and per connection
    connection  one client connection: record splitting in, the paced output queue out
    recordlog   the JSON-lines log of records and events
    server      the event loop: logins, presence notices, routing, keepalive answers
    control     the JSON control commands
"""
