"""The server's user table: login names and passwords, roles, display names, the reply a
login gets, and which users are simulated as present from the start.

Roles: 2 is an ordinary (client) user; 1 technical support and 3 expert are staff, as is
any value other than 2. Login names and passwords are compared byte for byte in GBK, so
case matters. A user's 'result' is the login reply it always gets (0 lets it in);
'max_logins' limits its simultaneous sessions (0: no limit); 'online' makes it a
simulated user present from the start."""

import json
from dataclasses import dataclass, fields

from .records import CLIENT_ROLE, STATUS_ONLINE, fixed, gbk, user_entry

ROLES = {'client': 2, 'user': 2, 'support': 1, 'staff': 1, 'expert': 3}

# Login results a reply can carry.
RESULT_OK = 0
RESULT_OUTDATED = 1
RESULT_BAD_PASSWORD = 2
RESULT_TOO_MANY = 3
RESULT_EXPIRED = 4
RESULT_TERMINATED = 5

BUILTIN = [
    dict(id=101, name='kefu01', password='111111', role=1, display='技术支持小王',
         info='交易软件使用', online=True),
    dict(id=102, name='kefu02', password='111111', role=1, display='技术支持小李',
         info='行情与数据', online=True),
    dict(id=103, name='expert01', password='222222', role=3, display='期货专家张老师',
         info='农产品期货', online=True),
    dict(id=104, name='expert02', password='222222', role=3, display='证券专家陈老师',
         info='股票分析'),
    dict(id=201, name='user01', password='123456', role=2),
    dict(id=202, name='user02', password='123456', role=2),
    dict(id=203, name='guest', password='guest', role=2),
    dict(id=204, name='single', password='123456', role=2, max_logins=1),
    dict(id=301, name='outdated', password='123456', role=2, result=RESULT_OUTDATED),
    dict(id=302, name='crowded', password='123456', role=2, result=RESULT_TOO_MANY),
    dict(id=303, name='expired', password='123456', role=2, result=RESULT_EXPIRED),
    dict(id=304, name='stopped', password='123456', role=2, result=RESULT_TERMINATED),
    dict(id=305, name='refused', password='123456', role=2, result=9),
]


@dataclass
class User:
    name: str
    password: str = ''
    role: int = CLIENT_ROLE
    display: str = ''
    info: str = ''
    id: int = 0
    result: int = RESULT_OK
    max_logins: int = 0
    online: bool = False
    status: int = STATUS_ONLINE

    @property
    def key(self):
        return gbk(self.name)

    @property
    def staff(self):
        return self.role != CLIENT_ROLE

    def entry(self):
        """The 108-byte entry that announces this user."""
        return user_entry(self.id, self.status, self.role,
                          fixed(gbk(self.display or self.name), 64), fixed(gbk(self.info), 32))

    def describe(self):
        return {'id': self.id, 'name': self.name, 'display': self.display or self.name,
                'role': self.role}


FIELD_NAMES = {f.name for f in fields(User)}


def role_value(value):
    if isinstance(value, int):
        return value
    text = str(value).strip().lower()
    if text in ROLES:
        return ROLES[text]
    return int(text)


def make_user(spec):
    """A User from a dict of the users file or of a control command."""
    if not isinstance(spec, dict) or not spec.get('name'):
        raise ValueError('a user needs a "name"')
    unknown = set(spec) - FIELD_NAMES
    if unknown:
        raise ValueError('unknown user fields: %s' % ', '.join(sorted(unknown)))
    values = dict(spec)
    if 'role' in values:
        values['role'] = role_value(values['role'])
    for name in ('id', 'result', 'max_logins', 'status'):
        if name in values:
            values[name] = int(values[name])
    user = User(**values)
    for text in (user.name, user.password, user.display, user.info):
        gbk(text)   # refuses a text that GBK cannot carry
    return user


def parse_spec(spec):
    """A User from "name:password[:role[:display[:result]]]"."""
    parts = spec.split(':')
    if len(parts) < 2 or len(parts) > 5 or not parts[0]:
        raise ValueError('a user is name:password[:role[:display[:result]]]')
    values = {'name': parts[0], 'password': parts[1]}
    for key, value in zip(('role', 'display', 'result'), parts[2:]):
        if value:
            values[key] = value
    return make_user(values)


def read_file(path):
    """Users from a JSON file: one array of user objects, or one object per line."""
    with open(path, encoding='utf-8') as f:
        text = f.read()
    try:
        items = json.loads(text)
    except json.JSONDecodeError:
        items = [json.loads(line) for line in text.splitlines() if line.strip()]
    if isinstance(items, dict):
        items = [items]
    return [make_user(item) for item in items]


class UserTable:
    def __init__(self, builtin=True):
        self.by_key = {}
        self.by_id = {}
        self.next_id = 1001
        if builtin:
            for spec in BUILTIN:
                self.add(make_user(spec))

    def add(self, user):
        """Adds a user, or replaces the one of the same login name (keeping its id when
        the new one names none)."""
        old = self.by_key.get(user.key)
        if old is not None:
            del self.by_id[old.id]
            if not user.id:
                user.id = old.id
        if not user.id:
            while self.next_id in self.by_id:
                self.next_id += 1
            user.id = self.next_id
        if user.id in self.by_id:
            raise ValueError('user id %d is taken by %s' % (user.id, self.by_id[user.id].name))
        self.by_key[user.key] = user
        self.by_id[user.id] = user
        return user

    def find(self, name):
        """A user by login name (text or GBK bytes)."""
        return self.by_key.get(name if isinstance(name, bytes) else gbk(name))

    def lookup(self, who):
        """A user by login name or by id."""
        if isinstance(who, int) and not isinstance(who, bool):
            return self.by_id.get(who)
        if isinstance(who, str) and who.isdigit() and self.find(who) is None:
            return self.by_id.get(int(who))
        return self.find(who) if isinstance(who, (str, bytes)) else None

    def __iter__(self):
        return iter(sorted(self.by_id.values(), key=lambda u: u.id))
