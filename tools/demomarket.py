"""The demo's futures market, shared by the installation maker (which writes it as a
market of the installation) and the simulated trade gateway (which lists its contracts).

The terminal's order bridge knows a futures stock by a 6-digit code: four digits name
the product, the last two the delivery month ("010003": copper, March). It turns that
code into the exchange's contract code for the current local date: the product's
letters, then the year and the month, the year being this year, or the next when the
month has passed ("cu2703" in December 2026). Zhengzhou contracts carry one year digit
("CF703"). The products here are those whose year follows the month alone.
"""

import datetime

# (product code, contract letters, exchange letter of the gateway ('S' Shanghai,
#  'D' Dalian, 'Z' Zhengzhou), short name, previous close, price tick, units per lot,
#  delivery months)
ALL_MONTHS = tuple(range(1, 13))
ODD_MONTHS = (1, 3, 5, 7, 9, 11)
PRODUCTS = [
    ('0100', 'cu', 'S', '沪铜', 66000, 10, 5, ALL_MONTHS),
    ('0101', 'al', 'S', '沪铝', 20000, 5, 5, ALL_MONTHS),
    ('0107', 'ru', 'S', '橡胶', 15500, 5, 10, ALL_MONTHS),
    ('0102', 'fu', 'S', '燃油', 3200, 1, 10, ALL_MONTHS),
    ('0201', 'm', 'D', '豆粕', 3400, 1, 10, ODD_MONTHS),
    ('0203', 'c', 'D', '玉米', 2300, 1, 10, ODD_MONTHS),
    ('0305', 'CF', 'Z', '棉花', 14000, 5, 5, ODD_MONTHS),
]

MARKET_NAME = '商品期货'
MARKET_DIRECTORY = 'qh'
SPECULATION_RATE, HEDGE_RATE = '0.08', '0.07'


def previous_close(price, tick, month):
    """The previous close of one delivery month: the product's price a few ticks up or
    down, the same for every installation, so that the gateway's price limits fit the
    quotes the terminal shows."""
    return price + (month * 7 % 5 - 2) * 5 * tick


def contracts():
    """Every contract of the market: (6-digit code, product row, month)."""
    return [(prefix + '%02d' % month, product, month)
            for product in PRODUCTS for prefix in (product[0],) for month in product[7]]


def exchange_code(code, today):
    """The exchange's contract code of a 6-digit product code on `today` (a date), as
    the order bridge derives it, and the contract's year; None for a code of another
    product."""
    product = next((p for p in PRODUCTS if p[0] == code[:4]), None)
    if product is None or len(code) != 6 or not code.isdigit():
        return None
    month = int(code[4:])
    year = today.year + (1 if month < today.month else 0)
    letters, letter = product[1], product[2]
    if letter == 'Z':
        return '%s%03d' % (letters, (year % 10) * 100 + month), year
    return '%s%04d' % (letters, (year % 100) * 100 + month), year


def gateway_contracts(today=None):
    """The gateway's rows for the market's contracts on `today` (default: the local
    date): code, exchange letter, name, units per lot, last price, tick, margin rates,
    last trading date (the 15th of the delivery month)."""
    today = today or datetime.date.today()
    rows = []
    for code, product, month in contracts():
        contract, year = exchange_code(code, today)
        rows.append((contract, product[2], product[3] + contract[len(product[1]):], product[6],
                     previous_close(product[4], product[5], month), product[5],
                     SPECULATION_RATE, HEDGE_RATE, '%04d%02d15' % (year, month)))
    return rows
