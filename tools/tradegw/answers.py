"""Record layouts of the gateway's answers, built from the book's objects. Offsets are
those the order client reads; bytes that no reader uses stay zero."""

import time

from .book import BUY, OPEN, CLOSE_TODAY, money
from .data import QUOTE_DEPTH
from .records import Record

ORDER_SIZE = 132
DEAL_REPORT_SIZE = 128
ORDER_QUERY_SIZE = 188
DEAL_SIZE = 108
FUND_SIZE = 171
CONTRACT_SIZE = 136
CUSTOMER_SIZE = 46
QUOTE_SIZE = 96
MAX_OPEN_SIZE = 136
CLIENT_MODE_SIZE = 31
GROUP_MEMBER_SIZE = 28
LOGIN_SIZE = 160
INFO_SIZE = 376
PING_SIZE = 40
PROCEDURE_SIZE = 576
PROCEDURE_TEXT = 512
STATEMENT_CHUNK = PROCEDURE_SIZE - 61


def order_record(order, status=None, volume68=None):
    """The 132-byte order record of answers 180, 181 and reports 130, 131."""
    return bytes(Record(ORDER_SIZE)
                 .text(0, 10, order.account).text(10, 10, order.customer)
                 .text(20, 10, order.contract).text(30, 10, order.system)
                 .i32(40, order.volume).text(44, 8, order.price_text)
                 .i32(52, order.number).i32(56, order.dealt).text(60, 8, order.local)
                 .i32(68, order.volume if volume68 is None else volume68)
                 .byte(74, status or order.status).byte(75, order.flags)
                 .text(76, 10, order.trade_code).text(104, 10, order.source)
                 .text(114, 10, order.batch))


def deal_report(deal):
    """The 128-byte deal report (67): the deal's lots at 56 and 72, the order's dealt
    lots at 84, the order's status after the deal at 112, its flags at 113."""
    order = deal.order
    return bytes(Record(DEAL_REPORT_SIZE)
                 .text(0, 10, order.account).text(10, 10, order.customer)
                 .text(20, 10, order.contract).text(30, 10, order.system)
                 .text(40, 10, deal.number).i32(56, deal.volume).i32(68, order.number)
                 .i32(72, deal.volume).text(76, 8, str(deal.price)).i32(84, order.dealt)
                 .byte(112, deal.status).byte(113, order.flags)
                 .text(117, 10, order.trade_code))


def _open_close(flags):
    if flags & OPEN:
        return '0'
    return '3' if flags & CLOSE_TODAY else '1'


def order_query(order):
    """The 188-byte record of the orders answer (188)."""
    return bytes(Record(ORDER_QUERY_SIZE)
                 .text(0, 10, order.account).i32(20, order.number).text(24, 10, order.system)
                 .text(35, 10, order.contract).byte(53, order.status)
                 .byte(54, _open_close(order.flags)).byte(55, order.hedge)
                 .byte(56, '0' if order.flags & BUY else '1').text(57, 8, order.price_text)
                 .i32(68, order.volume).i32(72, order.remaining).i32(84, order.dealt)
                 .text(105, 10, order.customer)
                 .byte(115, '1' if order.flags & CLOSE_TODAY else 0)
                 .text(146, 41, order.trade_code))


def deal_record(deal):
    """The 108-byte record of the deals answer (187)."""
    order = deal.order
    bought, sold = (deal.volume, 0) if order.buy else (0, deal.volume)
    return bytes(Record(DEAL_SIZE)
                 .text(0, 10, order.account).byte(11, deal.status)
                 .text(12, 10, order.contract).i32(24, bought).i32(28, sold)
                 .text(32, 8, str(deal.price)).text(40, 10, order.customer)
                 .byte(50, _open_close(order.flags)).byte(51, order.hedge)
                 .i32(68, order.number).text(72, 10, order.system)
                 .byte(83, '1' if order.flags & CLOSE_TODAY else 0)
                 .text(84, 10, deal.number).text(95, 10, order.trade_code))


def fund_record(customer, funds):
    """The 171-byte record of the funds answer (191): 168 bytes of texts, a 16-bit
    value and a byte."""
    return bytes(Record(FUND_SIZE)
                 .text(1, 10, customer).text(11, 15, money(funds['balance']))
                 .text(27, 15, money(funds['buy_frozen'])).text(43, 15, money(funds['sell_frozen']))
                 .text(59, 15, money(funds['buy_margin'])).text(75, 15, money(funds['sell_margin']))
                 .text(91, 15, money(funds['close_profit'])).text(107, 15, money(funds['loss']))
                 .text(123, 15, money(funds['available'])).text(139, 15, money(funds['equity']))
                 .text(155, 12, '%.4f' % funds['risk']))


def contract_record(contract):
    """The 136-byte record of the contracts answer (186)."""
    return bytes(Record(CONTRACT_SIZE)
                 .byte(0, contract.letter).u16(2, contract.units).text(12, 10, contract.code)
                 .text(22, 27, contract.name).text(50, 8, contract.last_date)
                 .u16(66, contract.tick).text(86, 9, contract.hedge_rate)
                 .text(96, 9, contract.spec_rate))


def customer_record(customer, letter, trade_code):
    """The 46-byte record of the customers answer (185): the customer at 0, 10 and 36,
    the exchange letter at 20 and the trade code at 21."""
    return bytes(Record(CUSTOMER_SIZE)
                 .text(0, 10, customer).text(10, 10, customer).byte(20, letter)
                 .text(21, 15, trade_code).text(36, 8, customer))


def quote_record(contract):
    """The 96-byte quote (204): contract at 2, last price at 32, bid and ask at 36 and 40,
    their lots at 56 and 60, the limits at 88 and 92."""
    return bytes(Record(QUOTE_SIZE)
                 .text(2, 8, contract.code).i32(16, contract.last).i32(32, contract.last)
                 .i32(36, contract.bid).i32(40, contract.ask)
                 .i32(56, QUOTE_DEPTH).i32(60, QUOTE_DEPTH)
                 .i32(88, contract.upper).i32(92, contract.lower))


def max_open_record(user, customer, contract, available, closable, closable_today, direction):
    """The 136-byte closable-lots record (208): the available funds text at 20, the
    closable lots at 36 and today's at 38."""
    return bytes(Record(MAX_OPEN_SIZE)
                 .text(0, 10, user).text(10, 10, customer).text(20, 16, money(available))
                 .u16(36, closable).u16(38, closable_today).text(40, 10, contract)
                 .byte(50, direction))


def client_mode_record(customer, letter, trade_code):
    """The 31-byte record of the client-mode answer (213): the trade code as the record's
    text at 0, the customer at 10, the exchange letter at 20."""
    return bytes(Record(CLIENT_MODE_SIZE)
                 .text(0, 10, trade_code).text(10, 10, customer).byte(20, letter))


def group_member(index, member):
    trader, customer, priority, quantity = member
    return bytes(Record(GROUP_MEMBER_SIZE)
                 .text(0, 10, trader).text(10, 10, customer)
                 .u16(20, priority).u16(22, quantity).u16(24, index))


def login_record(account, name='', rights='', number='', session=0):
    """The 160-byte login answer (178): rights text at 33, the gateway's date at 43 and
    time at 51, the order reference number text at 75."""
    now = time.localtime()
    return bytes(Record(LOGIN_SIZE)
                 .text(0, 10, account).text(10, 20, name).text(33, 10, rights)
                 .text(43, 8, time.strftime('%Y%m%d', now))
                 .text(51, 8, time.strftime('%H:%M:%S', now))
                 .text(75, 10, number).i32(156, session))


def info_record(sender, level, manual, subject, message):
    """The 376-byte information release (12, 140)."""
    return bytes(Record(INFO_SIZE)
                 .text(14, 10, sender).byte(25, (0x80 if manual else 0) | (level & 0x7F))
                 .text(26, 8, time.strftime('%H:%M:%S')).text(34, 83, subject)
                 .text(118, 257, message))


def procedure_text(prefix, text):
    """A stored-procedure answer (216): the request's user, customer and kind, then the
    result text at 61."""
    return bytes(Record(PROCEDURE_SIZE).raw(0, prefix[:21]).raw(61, text[:PROCEDURE_TEXT]))


def statement_units(prefix, archive):
    """The statement archive cut into 576-byte units: the byte count in decimal at 21,
    the bytes themselves at 61."""
    units = []
    for start in range(0, len(archive), STATEMENT_CHUNK) or [0]:
        chunk = archive[start:start + STATEMENT_CHUNK]
        units.append(bytes(Record(PROCEDURE_SIZE).raw(0, prefix[:21])
                           .text(21, 20, str(len(chunk))).raw(61, chunk)))
    return units
