"""Requests of the order client turned into the gateway's answers. The packet layer hands
over each accepted request (hello and pings are its own); a handler returns the answers to
send back, in order. List answers go out in as many packets as needed: the first without
the continuation flag, the last with the last-packet flag."""

from dataclasses import dataclass, field

from . import answers
from .book import today
from .framing import FLAG_LAST, FLAG_MORE, MAX_BODY
from .records import BadText, Record, byte, field as text_field, field_bytes, gbk, i32, u16

NOT_LOGGED_IN = '请先登录'
BAD_LENGTH = '请求数据长度错误'
BAD_TEXT = '请求数据含有非法字符'
WRONG_USER = '用户号与登录帐号不符'

# The body size of each request the order client sends; a body of another size is
# refused. The batch groups (37) come as 28-byte records, at most 139 a packet.
BODY_SIZES = {34: 169, 39: 132, 50: 99, 51: 22, 52: 132, 53: 132, 54: 68, 57: 61, 58: 61,
              59: 61, 60: 61, 63: 61, 74: 61, 76: 61, 80: 44, 82: 43, 85: 61, 86: 61, 88: 188}
GROUP_RECORD, GROUP_RECORDS = 28, 139
# Where a request carries the user id of the session: the query bodies at 1, the others
# at 0 (the transfer at 15).
USER_ID_AT = {**{code: 1 for code in (57, 58, 59, 60, 63, 74, 76, 85, 86)},
              **{code: 0 for code in (39, 52, 53, 54, 80, 82, 88)}, 34: 15}


@dataclass
class Answer:
    code: int
    body: bytes = b''
    text: object = ''
    status: int = 0
    flags: int = FLAG_LAST
    marker: bytes = b'*'
    state: bytes = b'\0'


@dataclass
class Session:
    """The login state of one connection."""
    logged_in: bool = False
    account: str = ''
    kind: int = 1
    customers: list = field(default_factory=list)


def unpack_customer_number(raw):
    """The digits of a packed customer number (first byte 0x80 + n for an even count of
    digits, 0xC0 + n for an odd one, then digit + 1 per half byte), or None when the
    bytes are not one."""
    if not raw:
        return None
    lead = raw[0]
    if 0x85 <= lead <= 0x88:
        count, odd = lead - 0x80, False
    elif 0xC5 <= lead <= 0xC8:
        count, odd = lead - 0xC0, True
    else:
        return None
    if len(raw) < 1 + count:
        return None
    digits = []
    for value in raw[1:1 + count]:
        digits += [(value >> 4) - 1, (value & 0x0F) - 1]
    if odd:
        if digits[-1] != -1:
            return None
        digits.pop()
    if any(not 0 <= d <= 9 for d in digits):
        return None
    return ''.join(map(str, digits))


def split_flags(count):
    """Flags of packet i of count, by the list convention."""
    if count == 1:
        return [FLAG_LAST]
    return [0] + [FLAG_MORE] * (count - 2) + [FLAG_MORE | FLAG_LAST]


def statement_flags(count):
    """Flags of the statement packets: the client creates the file on a packet with the
    continuation flag and appends on one without, so the first packet carries it and the
    later ones do not."""
    if count == 1:
        return [FLAG_MORE | FLAG_LAST]
    return [FLAG_MORE] + [0] * (count - 2) + [FLAG_LAST]


class Handlers:
    def __init__(self, book, records_per_packet=None):
        self.book = book
        self.records_per_packet = records_per_packet
        self.sessions = 0
        self.table = {
            34: self.transfer, 37: self.save_groups, 39: self.check_order, 51: self.logout,
            52: self.place_order, 53: self.cancel_order, 54: self.change_password,
            57: self.clients, 58: self.contracts, 59: self.deals, 60: self.orders,
            63: self.funds, 76: self.quote, 80: self.max_open, 82: self.settle_flag,
            85: self.client_mode, 86: self.groups, 88: self.procedure,
        }

    def handle(self, session, header, body):
        with self.book.lock:
            code = header.code
            if code != 50 and code not in self.table:
                # Unknown requests get a refusal under the usual answer code; code 12
                # (the client's clock) expects nothing.
                if code < 128 and code != 12:
                    return [Answer(code + 128, status=1, text='不支持的请求')]
                return []
            if not self.length_ok(code, body):
                return [self.refusal(header, body, BAD_LENGTH)]
            try:
                if code == 50:
                    return self.login(session, header, body)
                if not session.logged_in:
                    return [self.refusal(header, body, NOT_LOGGED_IN)]
                at = USER_ID_AT.get(code)
                if at is not None and text_field(body, at, 10) != session.account:
                    return [self.refusal(header, body, WRONG_USER)]
                return self.table[code](session, header, body)
            except BadText:
                # A real gateway answers a request it cannot read with a refusal; the
                # connection stays.
                return [self.refusal(header, body, BAD_TEXT)]

    @staticmethod
    def length_ok(code, body):
        if code == 37:
            return 0 < len(body) <= GROUP_RECORD * GROUP_RECORDS and not len(body) % GROUP_RECORD
        return BODY_SIZES.get(code, len(body)) == len(body)

    @staticmethod
    def refusal(header, body, text):
        """The refusal of a request under its answer code, status 1 and the text. Its body
        gives back what the client matches the answer by: the procedure's prefix (88),
        the order record (39, 52, 53), the account (54), the login record (50)."""
        code, raw = header.code, bytes(body)
        reply = b''
        if code == 88:
            reply = answers.procedure_text(raw[:21].ljust(21, b'\0'), b'')
        elif code in (39, 52, 53):
            reply = raw[:answers.ORDER_SIZE].ljust(answers.ORDER_SIZE, b'\0')
        elif code == 54:
            reply = bytes(Record(68).raw(0, raw[:20]))
        elif code == 50:
            reply = answers.login_record('')
        return Answer(code + 128, reply, status=1, text=text, marker=header.marker)

    # Helpers.

    def list_answer(self, code, records, record_size, marker=b'*'):
        per_packet = MAX_BODY // record_size
        if self.records_per_packet:
            per_packet = min(per_packet, self.records_per_packet)
        chunks = [records[i:i + per_packet] for i in range(0, len(records), per_packet)] or [[]]
        return [Answer(code, b''.join(chunk), flags=flags, marker=marker)
                for chunk, flags in zip(chunks, split_flags(len(chunks)))]

    def text_answer(self, prefix, rows):
        """A procedure answer of '|'-ended records, cut between records into packets of
        at most 512 bytes of text."""
        texts, current, count = [], b'', 0
        for row in rows:
            raw = gbk(''.join(f + '|' for f in row))[:answers.PROCEDURE_TEXT]
            full = self.records_per_packet and count == self.records_per_packet
            if current and (len(current) + len(raw) > answers.PROCEDURE_TEXT or full):
                texts.append(current)
                current, count = b'', 0
            current += raw
            count += 1
        texts.append(current)
        return [Answer(216, answers.procedure_text(prefix, text), flags=flags)
                for text, flags in zip(texts, split_flags(len(texts)))]

    @staticmethod
    def refuse(code, text, body=b''):
        return [Answer(code, body, status=1, text=text)]

    def visible(self, session, customer):
        return customer in session.customers

    # Login and logout.

    def login(self, session, header, body):
        raw_account = field_bytes(body, 10, 10)
        password = text_field(body, 30, 16)
        kind = byte(body, 63)
        digits = unpack_customer_number(raw_account)
        if digits is not None:
            # A customer number of more than nine digits: the answer names the account it
            # stands for in its rights field, and the client logs in again with that name.
            name = self.book.long_number(digits)
            if name is None:
                return self.refuse(178, '客户属性编码不存在', answers.login_record(''))
            record, error = self.book.login(name, password)
            if error:
                return self.refuse(178, error, answers.login_record(''))
            return [Answer(178, answers.login_record(name, record['name'], name))]
        account = text_field(body, 10, 10)
        record, error = self.book.login(account, password)
        if error:
            session.logged_in = False
            return self.refuse(178, error, answers.login_record(account))
        self.sessions += 1
        session.logged_in = True
        session.account = account
        session.kind = kind
        session.customers = self.book.customers_of(account)
        number = 1 + sum(1 for o in self.book.orders if o.account == account)
        return [Answer(178, answers.login_record(account, record['name'], record['rights'],
                                                 str(number), self.sessions),
                       text='登录成功')]

    def logout(self, session, header, body):
        session.logged_in = False
        reply = Record(22).raw(0, body[:21])
        return [Answer(179, bytes(reply))]

    # Orders.

    def _order_fields(self, body):
        return dict(account=text_field(body, 0, 10), customer=text_field(body, 10, 10),
                    contract=text_field(body, 20, 10), volume=i32(body, 40),
                    price=text_field(body, 44, 8), number=i32(body, 52),
                    local=text_field(body, 60, 8), flags=byte(body, 75),
                    trade_code=text_field(body, 76, 10), source=text_field(body, 104, 10),
                    batch=text_field(body, 114, 10))

    def _check(self, session, f):
        return self.book.check_order(session.customers, f['customer'], f['contract'],
                                     f['volume'], f['price'], f['flags'], f['trade_code'])

    def check_order(self, session, header, body):
        error = self._check(session, self._order_fields(body))
        return [Answer(167, bytes(body[:answers.ORDER_SIZE]), status=1 if error else 0,
                       text=error or '', marker=header.marker)]

    def place_order(self, session, header, body):
        f = self._order_fields(body)
        error = self._check(session, f)
        if error:
            rejected = Record(answers.ORDER_SIZE).raw(0, body[:answers.ORDER_SIZE]).byte(74, 'e')
            return [Answer(180, bytes(rejected), status=1, text=error, marker=header.marker)]
        contract = self.book.contract(f['contract'])
        trade_code = f['trade_code'].strip() or self.book.trade_code(f['customer'], contract.letter)
        order = self.book.new_order(session.account, f['customer'], contract.code, f['volume'],
                                    f['price'], f['flags'], trade_code, f['local'],
                                    f['source'] or 'consign', f['batch'])
        out = [Answer(180, answers.order_record(order), marker=header.marker)]
        self.book.report(order)
        out.append(Answer(130, answers.order_record(order), marker=header.marker))
        for deal in self.book.match(order):
            out.append(Answer(67, answers.deal_report(deal), marker=header.marker))
        return out

    def cancel_order(self, session, header, body):
        number = i32(body, 52)
        order = self.book.order(number)
        if order is None or not self.visible(session, order.customer):
            return self.refuse(181, '委托不存在', bytes(body[:answers.ORDER_SIZE]))
        order, error = self.book.cancel(number)
        if error:
            return [Answer(181, answers.order_record(order, volume68=order.remaining), status=1,
                           text=error, marker=header.marker)]
        return [Answer(181, answers.order_record(order, 'f', order.remaining),
                       marker=header.marker),
                Answer(131, answers.order_record(order, volume68=order.remaining),
                       marker=header.marker)]

    def change_password(self, session, header, body):
        account = text_field(body, 0, 10)
        old, new, again = (text_field(body, off, 16) for off in (20, 36, 52))
        error = '两次输入的新密码不一致' if new != again else \
            self.book.change_password(account, old, new)
        reply = bytes(Record(68).raw(0, body[:20]))
        return [Answer(182, reply, status=1 if error else 0, text=error or '')]

    # Queries.

    def clients(self, session, header, body):
        # One record per customer: the client lists, counts and matches customers by
        # these records (its trade codes come from the client-mode query). The record
        # carries the customer's first trade code.
        records = [answers.customer_record(c, *sorted(self.book.customers[c]['trade_codes'].items())[0])
                   for c in session.customers]
        return self.list_answer(185, records, answers.CUSTOMER_SIZE)

    def contracts(self, session, header, body):
        records = [answers.contract_record(c) for c in self.book.contracts.values()]
        return self.list_answer(186, records, answers.CONTRACT_SIZE)

    def deals(self, session, header, body):
        records = [answers.deal_record(d) for d in self.book.deals
                   if d.order.customer in session.customers]
        return self.list_answer(187, records, answers.DEAL_SIZE)

    def orders(self, session, header, body):
        records = [answers.order_query(o) for o in self.book.orders
                   if o.customer in session.customers]
        return self.list_answer(188, records, answers.ORDER_QUERY_SIZE)

    def funds(self, session, header, body):
        records = [answers.fund_record(c, self.book.funds(c)) for c in session.customers]
        return self.list_answer(191, records, answers.FUND_SIZE)

    def quote(self, session, header, body):
        code = text_field(body, 41, 10)
        contract = self.book.contract(code)
        if contract is None:
            return self.refuse(204, '合约不存在', bytes(Record(answers.QUOTE_SIZE).text(2, 8, code)))
        return [Answer(204, answers.quote_record(contract))]

    def max_open(self, session, header, body):
        customer, code = text_field(body, 10, 10), text_field(body, 20, 10)
        direction = byte(body, 40)
        contract = self.book.contract(code)
        if not self.visible(session, customer) or contract is None:
            return self.refuse(208, '客户或合约不存在')
        buy = direction == ord('0')
        lots = [self.book.closable(customer, contract.code, buy, hedge) for hedge in '01']
        return [Answer(208, answers.max_open_record(
            session.account, customer, contract.code, self.book.funds(customer)['available'],
            sum(l[0] for l in lots), sum(l[1] for l in lots), direction))]

    def settle_flag(self, session, header, body):
        customer = text_field(body, 10, 10) or session.account
        if not self.visible(session, customer):
            return self.refuse(210, '客户不存在')
        item = Record(43).byte(0, byte(body, 20)).text(1, 10, text_field(body, 21, 22))
        item.text(12, 1, self.book.customers[customer]['settle'])
        return [Answer(210, bytes(Record(20).raw(0, body[:20])) + bytes(item))]

    def client_mode(self, session, header, body):
        if session.kind == 7 and text_field(body, 41, 10) == 'cltmode':
            # The client login asks for every trade code of its customers, whatever the
            # exchange.
            records = [answers.client_mode_record(c, l, code)
                       for c in session.customers
                       for l, code in sorted(self.book.customers[c]['trade_codes'].items())]
            return self.list_answer(213, records, answers.CLIENT_MODE_SIZE, header.marker)
        customer = text_field(body, 11, 10) or session.account
        letter = chr(byte(body, 0))
        if not self.visible(session, customer):
            return self.refuse(213, '客户不存在')
        codes = self.book.customers[customer]['trade_codes']
        records = [answers.client_mode_record(customer, l, code)
                   for l, code in sorted(codes.items()) if letter not in codes or l == letter]
        return self.list_answer(213, records, answers.CLIENT_MODE_SIZE, header.marker)

    # Batch groups.

    def save_groups(self, session, header, body):
        """A packet of 28-byte records. A first record without a customer is the lead
        record of a group's first packet: the trader and, where a member keeps its group
        index, the index of the group that the members replace."""
        records = [bytes(body[i:i + 28]) for i in range(0, len(body) - 27, 28)]
        for position, rec in enumerate(records):
            index = u16(rec, 24)
            if position == 0 and not text_field(rec, 10, 10):
                self.book.clear_group(session.account, index)
                continue
            self.book.add_member(session.account, index,
                                 (text_field(rec, 0, 10), text_field(rec, 10, 10),
                                  u16(rec, 20), u16(rec, 22)))
        return [Answer(165)]

    def groups(self, session, header, body):
        wanted = text_field(body, 11, 10)
        members = [answers.group_member(index, m)
                   for index, m in self.book.group_members(session.account)
                   if wanted in ('', '-1') or str(index) == wanted]
        return self.list_answer(214, members, answers.GROUP_MEMBER_SIZE)

    # Bank transfers.

    def transfer(self, session, header, body):
        customer = text_field(body, 25, 10)
        reply = Record(169).raw(0, body[:169])
        if not self.visible(session, customer):
            return self.refuse(162, '客户不存在', bytes(reply.text(126, 42, '客户不存在')))
        transfer, error = self.book.transfer(
            customer, text_field(body, 14, 1), text_field(body, 86, 40),
            text_field(body, 51, 16), text_field(body, 67, 16), text_field(body, 35, 16),
            text_field(body, 83, 2))
        for offset, width in ((35, 16), (51, 16), (67, 16)):
            reply.raw(offset, bytes(width))
        if error:
            return self.refuse(162, error, bytes(reply.text(126, 42, error)))
        return [Answer(162, bytes(reply.text(0, 14, transfer.serial)))]

    # Stored procedures (88 -> 216), by the kind byte at 20.

    def procedure(self, session, header, body):
        kind = byte(body, 20)
        params = [text_field(body, 21 + 20 * i, 20) for i in range(6)]
        customer = params[0] or text_field(body, 10, 10) or session.account
        prefix = bytes(body[:21])
        handler = {1: self.max_position, 3: self.transfer_result, 4: self.bank_accounts,
                   5: self.transfer_records, 6: self.client_details,
                   20: self.change_fund_password, 22: self.statement, 23: self.confirm_state,
                   24: self.confirm, 34: self.withdrawable, 38: self.positions}.get(kind)
        if handler is None:
            return self.refuse(216, '不支持的查询', answers.procedure_text(prefix, b''))
        if kind not in (3, 5, 38) and not self.visible(session, customer):
            return self.refuse(216, '客户不存在', answers.procedure_text(prefix, b''))
        return handler(session, prefix, customer, params, body)

    def _failed(self, prefix, text):
        return self.refuse(216, text, answers.procedure_text(prefix, b''))

    def max_position(self, session, prefix, customer, params, body):
        contract = self.book.contract(params[1])
        try:
            price = float(params[2]) if params[2] else None
        except ValueError:
            price = None
        if contract is None:
            return self._failed(prefix, '合约不存在')
        lots = self.book.max_open(customer, contract, price or contract.last, False)
        # The client shows the text after the last separator.
        text = '%s|%s|可开手数:%d' % (customer, contract.code, lots)
        return [Answer(216, answers.procedure_text(prefix, gbk(text)))]

    def _transfer_rows(self, session, params):
        serial, customer, start, end = params[:4]
        if customer and not self.visible(session, customer):
            return None
        return [t.fields() for t in self.book.transfer_records(serial, customer, start, end)
                if t.customer in session.customers]

    def transfer_result(self, session, prefix, customer, params, body):
        rows = self._transfer_rows(session, params)
        if not rows:
            return self._failed(prefix, '没有找到转帐记录')
        return self.text_answer(prefix, rows)

    def transfer_records(self, session, prefix, customer, params, body):
        rows = self._transfer_rows(session, params)
        if rows is None:
            return self._failed(prefix, '客户不存在')
        return self.text_answer(prefix, rows)

    def bank_accounts(self, session, prefix, customer, params, body):
        rows = [[b['customer'], b['code'], b['name'], b['account'], 'RMB', b['kind']]
                for b in self.book.bank_accounts(customer)]
        return self.text_answer(prefix, rows)

    def client_details(self, session, prefix, customer, params, body):
        info = self.book.customers[customer]
        row = [customer, info['name'], '身份证', info['id_number'], info['phone'], '', '',
               '', '', '20000101', '营业部', '', '', '', '', '', '', '', '', '', '正常']
        return self.text_answer(prefix, [row])

    def change_fund_password(self, session, prefix, customer, params, body):
        error = self.book.change_fund_password(customer, params[1], params[2])
        if error:
            return self._failed(prefix, error)
        return [Answer(216, answers.procedure_text(prefix, b''))]

    def statement(self, session, prefix, customer, params, body):
        date = params[3] or today()
        if len(date) != 8 or not date.isdigit():
            return self._failed(prefix, '结算日期格式错误')
        # The client names the file by the customer at 10: it is the statement's customer.
        prefix = bytes(Record(21).raw(0, prefix).raw(10, bytes(10)).text(10, 10, customer))
        units = answers.statement_units(prefix, self.book.statement_archive(customer, date))
        per_packet = MAX_BODY // answers.PROCEDURE_SIZE
        if self.records_per_packet:
            per_packet = min(per_packet, self.records_per_packet)
        packets = [units[i:i + per_packet] for i in range(0, len(units), per_packet)]
        return [Answer(216, b''.join(p), flags=flags)
                for p, flags in zip(packets, statement_flags(len(packets)))]

    def confirm_state(self, session, prefix, customer, params, body):
        state = self.book.confirm_state(customer, today())
        return [Answer(216, answers.procedure_text(prefix, gbk(customer + '|' + state)))]

    def confirm(self, session, prefix, customer, params, body):
        self.book.confirm(customer, today())
        return [Answer(216, answers.procedure_text(prefix, b''))]

    def withdrawable(self, session, prefix, customer, params, body):
        available = max(0.0, self.book.funds(customer)['available'])
        return self.text_answer(prefix, [[customer, '%.2f' % available]])

    def positions(self, session, prefix, customer, params, body):
        """Records of 13 fields: customer, contract, hedge, total buy, total sell, buy
        average, sell average, today's buy, today's sell, floating profit, trade code,
        exchange letter, margin; then a totals row under the customer "{合计}"."""
        rows, totals = [], [0, 0, 0, 0, 0.0, 0.0]
        for pos in self.book.position_rows(session.customers):
            contract = self.book.contracts[pos.contract]
            floating = ((contract.last - pos.buy_avg) * pos.buy
                        + (pos.sell_avg - contract.last) * pos.sell) * contract.units
            margin = contract.margin(contract.last, pos.buy + pos.sell, pos.hedge == '1')
            rows.append([pos.customer, pos.contract, pos.hedge, str(pos.buy), str(pos.sell),
                         '%.2f' % pos.buy_avg, '%.2f' % pos.sell_avg, str(pos.today_buy),
                         str(pos.today_sell), '%.2f' % floating,
                         self.book.trade_code(pos.customer, contract.letter), contract.letter,
                         '%.2f' % margin])
            for i, value in enumerate((pos.buy, pos.sell, pos.today_buy, pos.today_sell,
                                       floating, margin)):
                totals[i] += value
        if rows:
            rows.append(['{合计}', '', '', str(totals[0]), str(totals[1]), '', '',
                         str(totals[2]), str(totals[3]), '%.2f' % totals[4], '', '',
                         '%.2f' % totals[5]])
        return self.text_answer(prefix, rows)

