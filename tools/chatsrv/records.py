"""Chat records on the wire: a 4-byte header {u16 total length, kind, flag} and a body
whose layout depends on the kind. All integers are little-endian; texts are GBK bytes
without a terminating NUL and run to the end of the record; flag 1 means the text part
is zlib-compressed (the fixed fields before it never are)."""

import struct
import zlib

KEEPALIVE = 0x1F
LOGIN = 0x21
LOGIN_REPLY = 0x22
MESSAGE = 0x23
NOTICE = 0x26
USERS_ONLINE = 0x27
USERS_OFFLINE = 0x28

KIND_NAMES = {
    KEEPALIVE: 'keepalive',
    LOGIN: 'login',
    LOGIN_REPLY: 'login_reply',
    MESSAGE: 'message',
    NOTICE: 'notice',
    USERS_ONLINE: 'users_online',
    USERS_OFFLINE: 'users_offline',
}
KINDS_BY_NAME = {name: kind for kind, name in KIND_NAMES.items()}

HEADER = struct.Struct('<HBB')
LOGIN_BODY = struct.Struct('<ii64s64s')
LOGIN_SIZE = HEADER.size + LOGIN_BODY.size
LOGIN_REPLY_BODY = struct.Struct('<III')
USER_RECORD = struct.Struct('<III64s32s')
OFFLINE_PAIR = struct.Struct('<II')
COUNT = struct.Struct('<I')
ID = struct.Struct('<I')

MAX_RECORD = 4096          # largest record a receiver accepts
TEXT_BOUND = 4096          # largest text a compressed part may expand to
MESSAGE_TEXT_OFFSET = 8
NOTICE_TEXT_OFFSET = 4
CLIENT_VERSION = 4         # protocol version a current client announces
CLIENT_ROLE = 2            # role of an ordinary (client) user; any other role is staff
USERS_PER_RECORD = (MAX_RECORD - 8) // USER_RECORD.size
COMPRESS_FROM = 256        # texts shorter than this always travel plain

STATUS_ONLINE = 1
STATUS_OFFLINE = 2

assert LOGIN_SIZE == 140 and USER_RECORD.size == 108


def kind_name(kind):
    return KIND_NAMES.get(kind, 'unknown')


def gbk(text):
    """A text of the user table or of a control command as GBK bytes."""
    return text.encode('gbk')


def show(data):
    """GBK bytes as readable text for the log (bad bytes become U+FFFD)."""
    return data.decode('gb18030', errors='replace')


def cstring(field):
    """The bytes of a NUL-terminated fixed field up to its terminator (all of them when
    there is none)."""
    end = field.find(b'\0')
    return field if end < 0 else field[:end]


def fixed(data, width):
    """Bytes cut to width - 1 on a character boundary and padded with NULs, so the field
    always holds its terminator."""
    room, i = width - 1, 0
    while i < len(data):
        step = 2 if data[i] >= 0x81 and i + 1 < len(data) else 1
        if i + step > room:
            break
        i += step
    return data[:i].ljust(width, b'\0')


def record(kind, body=b'', flag=0):
    size = HEADER.size + len(body)
    if size > 0xFFFF:
        raise ValueError('a record holds at most 65535 bytes')
    return HEADER.pack(size, kind, flag) + body


def keepalive():
    return record(KEEPALIVE)


def login(name, password, version=CLIENT_VERSION, role=CLIENT_ROLE):
    return record(LOGIN, LOGIN_BODY.pack(version, role, name.ljust(64, b'\0')[:64],
                                         password.ljust(64, b'\0')[:64]))


def login_reply(result, version, number):
    return record(LOGIN_REPLY, LOGIN_REPLY_BODY.pack(result & 0xFFFFFFFF,
                                                     version & 0xFFFFFFFF,
                                                     number & 0xFFFFFFFF))


def message(user_id, payload, flag=0):
    return record(MESSAGE, ID.pack(user_id & 0xFFFFFFFF) + payload, flag)


def notice(payload, flag=0):
    return record(NOTICE, payload, flag)


def user_entry(user_id, status, role, name, info):
    """One 108-byte user entry; name and info are taken as they are, so a caller may
    pass fields without a terminator."""
    return USER_RECORD.pack(user_id & 0xFFFFFFFF, status & 0xFFFFFFFF, role & 0xFFFFFFFF,
                            name.ljust(64, b'\0')[:64], info.ljust(32, b'\0')[:32])


def users_online(entries, count=None):
    count = len(entries) if count is None else count
    return record(USERS_ONLINE, COUNT.pack(count & 0xFFFFFFFF) + b''.join(entries))


def users_offline(pairs, count=None):
    count = len(pairs) if count is None else count
    body = b''.join(OFFLINE_PAIR.pack(i & 0xFFFFFFFF, s & 0xFFFFFFFF) for i, s in pairs)
    return record(USERS_OFFLINE, COUNT.pack(count & 0xFFFFFFFF) + body)


def compress_text(text, policy='auto'):
    """The text part and flag for a text. 'auto' follows the client's own rule: a text
    of at least 256 bytes goes compressed at level 9 when that is smaller and fits the
    room left after the 8 fixed bytes of a message; 'always' compresses any text;
    'never' sends it plain."""
    if policy == 'never':
        return text, 0
    packed = zlib.compress(text, 9)
    if policy == 'always':
        return packed, 1
    if (len(text) >= COMPRESS_FROM and len(packed) < len(text)
            and len(packed) <= MAX_RECORD - MESSAGE_TEXT_OFFSET):
        return packed, 1
    return text, 0


def expand(payload):
    """A compressed text part expanded as the receivers do, into at most 4096 bytes;
    None when it is not a complete zlib stream or expands to more."""
    inflater = zlib.decompressobj()
    try:
        text = inflater.decompress(payload, TEXT_BOUND + 1)
    except zlib.error:
        return None
    if not inflater.eof or len(text) > TEXT_BOUND:
        return None
    return text


def text_fields(payload, flag):
    """Log fields of a text part, expanded when flagged; the text is None when a flagged
    part does not expand."""
    fields = {'payload_len': len(payload)}
    text = expand(payload) if flag == 1 else payload
    if text is None:
        fields['error'] = 'text does not expand into 4096 bytes'
        return fields, None
    fields.update(text=show(text), text_len=len(text), text_hex=text.hex())
    return fields, text


def decode_user(entry):
    user_id, status, role, name, info = USER_RECORD.unpack(entry)
    return {'id': user_id, 'status': status, 'role': role,
            'name': show(cstring(name)), 'info': show(cstring(info))}


def decode(data):
    """Log fields of one whole record (its length field already matched its size),
    and the text of a message or notice (None when there is none). Records shorter
    than their fixed part, and counts above the entries present, are reported under
    'error'; only what is inside the record is read."""
    kind, flag = data[2], data[3]
    fields, text = {}, None
    if kind == LOGIN:
        if len(data) < LOGIN_SIZE:
            return {'error': 'login record shorter than 140 bytes'}, None
        version, role, name, password = LOGIN_BODY.unpack_from(data, HEADER.size)
        fields = {'version': version, 'role': role, 'name': show(cstring(name)),
                  'password': show(cstring(password)), 'name_hex': cstring(name).hex()}
    elif kind == LOGIN_REPLY:
        if len(data) < HEADER.size + LOGIN_REPLY_BODY.size:
            return {'error': 'login reply shorter than 16 bytes'}, None
        result, version, number = LOGIN_REPLY_BODY.unpack_from(data, HEADER.size)
        fields = {'result': result, 'version': version, 'number': number}
    elif kind == MESSAGE:
        if len(data) < MESSAGE_TEXT_OFFSET:
            return {'error': 'message shorter than 8 bytes'}, None
        fields = {'id': ID.unpack_from(data, HEADER.size)[0]}
        more, text = text_fields(data[MESSAGE_TEXT_OFFSET:], flag)
        fields.update(more)
    elif kind == NOTICE:
        fields, text = text_fields(data[NOTICE_TEXT_OFFSET:], flag)
    elif kind in (USERS_ONLINE, USERS_OFFLINE):
        if len(data) < 8:
            return {'error': 'user list shorter than 8 bytes'}, None
        count = COUNT.unpack_from(data, HEADER.size)[0]
        size = USER_RECORD.size if kind == USERS_ONLINE else OFFLINE_PAIR.size
        present = (len(data) - 8) // size
        items = [data[8 + i * size:8 + (i + 1) * size] for i in range(min(count, present))]
        fields = {'count': count}
        if kind == USERS_ONLINE:
            fields['users'] = [decode_user(item) for item in items]
        else:
            fields['pairs'] = [list(OFFLINE_PAIR.unpack(item)) for item in items]
        if count > present:
            fields['error'] = 'count above the %d entries present' % present
    elif kind != KEEPALIVE:
        fields = {'body_hex': data[HEADER.size:].hex()}
    return fields, text
