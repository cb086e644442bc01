"""The broker's book behind the simulated gateway: accounts, customers, contracts and their
quotes, orders and their deals, positions, funds, bank transfers, batch groups and
settlement statements. One book serves every connection; callers hold its lock."""

import io
import threading
import time
import zipfile
from dataclasses import dataclass, field

from . import data

BUY, OPEN, HEDGE, CLOSE_TODAY = 0x01, 0x02, 0x04, 0x08


def today():
    return time.strftime('%Y%m%d')


def now_hms():
    return time.strftime('%H:%M:%S')


def money(value):
    return '%.2f' % value


@dataclass
class Contract:
    code: str
    letter: str
    name: str
    units: int
    last: int
    tick: int
    spec_rate: str
    hedge_rate: str
    last_date: str

    @property
    def bid(self):
        return self.last - self.tick

    @property
    def ask(self):
        return self.last + self.tick

    @property
    def upper(self):
        return self.last * 105 // 100 // self.tick * self.tick

    @property
    def lower(self):
        return -(-self.last * 95 // 100 // self.tick) * self.tick

    def margin(self, price, lots, hedge):
        rate = float(self.hedge_rate if hedge else self.spec_rate)
        return price * lots * self.units * rate


@dataclass
class Order:
    number: int
    account: str
    customer: str
    contract: str
    letter: str
    volume: int
    price_text: str
    price: float
    flags: int
    trade_code: str
    local: str
    source: str
    batch: str
    system: str = ''
    status: str = 'n'
    dealt: int = 0
    time: str = field(default_factory=now_hms)

    @property
    def remaining(self):
        return self.volume - self.dealt

    @property
    def buy(self):
        return bool(self.flags & BUY)

    @property
    def opening(self):
        return bool(self.flags & OPEN)

    @property
    def hedge(self):
        return '1' if self.flags & HEDGE else '0'

    @property
    def resting(self):
        return self.status in ('n', 'a', 'p')


@dataclass
class Deal:
    number: str
    order: Order
    volume: int
    price: int
    status: str
    time: str = field(default_factory=now_hms)


@dataclass
class Position:
    customer: str
    contract: str
    hedge: str
    buy: int = 0
    buy_avg: float = 0.0
    sell: int = 0
    sell_avg: float = 0.0
    today_buy: int = 0
    today_sell: int = 0


@dataclass
class Transfer:
    serial: str
    customer: str
    bank_code: str
    bank_name: str
    bank_account: str
    direction: str
    amount: float
    status: str
    result: str
    kind: str
    date: str
    time: str

    OPERATIONS = {'01': '银行转期货', '02': '期货转银行', '05': '查询银行余额'}

    def fields(self):
        """The 13 fields of a transfer record."""
        return [self.serial, self.customer, self.bank_name, self.bank_account, 'consign',
                self.date, self.time, self.OPERATIONS.get(self.direction, self.direction),
                money(self.amount), self.status, self.result, self.bank_code, self.kind]


class Book:
    def __init__(self, contracts=()):
        """`contracts`: rows like data.CONTRACTS listed besides them (a row of the same
        code replaces the built-in one)."""
        self.lock = threading.RLock()
        self.accounts = {k: dict(v) for k, v in data.ACCOUNTS.items()}
        self.customers = {k: dict(v, trade_codes=dict(v['trade_codes']))
                          for k, v in data.CUSTOMERS.items()}
        self.contracts = {c[0]: Contract(*c) for c in list(data.CONTRACTS) + list(contracts)}
        self.banks = [dict(customer=b[0], code=b[1], name=b[2], account=b[3], password=b[4],
                           balance=b[5], kind=b[6]) for b in data.BANK_ACCOUNTS]
        self.positions = {}
        for customer, contract, hedge, buy, buy_avg, sell, sell_avg in data.POSITIONS:
            self.positions[(customer, contract, hedge)] = Position(
                customer, contract, hedge, buy, buy_avg, sell, sell_avg)
        self.close_profit = {c: 0.0 for c in self.customers}
        self.orders = []
        self.deals = []
        self.transfers = []
        self.groups = {}
        self.confirmed = set()
        self.next_order = 1001
        self.next_system = 70000001
        self.next_deal = 1
        self.next_serial = 1
        for trader, index, members in data.BATCH_GROUPS:
            self.groups.setdefault(trader, {})[index] = [
                (trader, customer, priority + 1, quantity)
                for priority, (customer, quantity) in enumerate(members)]
        for customer, bank_account, direction, amount, status, result, day, hms in \
                data.SEED_TRANSFERS:
            bank = self.bank_by_number(customer, bank_account)
            self._record_transfer(customer, bank, direction, amount, status, result, day, hms)
        for customer, contract, buy, opening, volume, price in data.SEED_ORDERS:
            c = self.contracts[contract]
            flags = (BUY if buy else 0) | (OPEN if opening else 0)
            order = self.new_order('8001', customer, contract, volume, price, flags,
                                   self.customers[customer]['trade_codes'][c.letter],
                                   '%04d' % (len(self.orders) + 1), 'consign', '')
            self.report(order)
            self.match(order)

    # Accounts and customers.

    def login(self, account, password):
        """(account record, None) or (None, refusal text)."""
        record = self.accounts.get(account)
        if record is None:
            return None, '资金帐号不存在'
        if record['password'] != password:
            return None, '交易密码错误'
        return record, None

    def long_number(self, digits):
        """The account that a customer number of more than nine digits stands for."""
        if digits in self.accounts:
            return digits
        for name, record in self.accounts.items():
            if record.get('long_number') == digits:
                return name
        return None

    def customers_of(self, account):
        record = self.accounts.get(account, {})
        return list(record.get('customers', [account] if account in self.customers else []))

    def trade_code(self, customer, letter):
        return self.customers.get(customer, {}).get('trade_codes', {}).get(letter, '')

    def contract(self, code):
        code = code.strip()
        if code in self.contracts:
            return self.contracts[code]
        for contract in self.contracts.values():
            if contract.code.lower() == code.lower():
                return contract
        return None

    # Orders and deals.

    def new_order(self, account, customer, contract, volume, price_text, flags, trade_code,
                  local, source, batch):
        order = Order(self.next_order, account, customer, contract,
                      self.contracts[contract].letter, volume, price_text.strip(),
                      float(price_text), flags, trade_code, local, source, batch)
        self.next_order += 1
        self.orders.append(order)
        return order

    def check_order(self, customers, customer, contract_code, volume, price_text, flags,
                    trade_code):
        """None when the order may be placed, else the refusal text."""
        if customer not in customers or customer not in self.customers:
            return '客户不存在'
        contract = self.contract(contract_code)
        if contract is None:
            return '合约不存在'
        if volume <= 0:
            return '委托数量错误'
        try:
            price = float(price_text)
        except ValueError:
            return '委托价格错误'
        if price <= 0:
            return '委托价格错误'
        if not contract.lower <= price <= contract.upper:
            return '委托价格超出涨跌停板'
        # A batch member's order comes without a trade code: the gateway takes the
        # customer's own code on the contract's exchange.
        expected = self.trade_code(customer, contract.letter)
        if not expected or (trade_code.strip() and trade_code.strip() != expected):
            return '交易编码错误'
        if flags & OPEN:
            if contract.margin(price, volume, flags & HEDGE) > self.funds(customer)['available']:
                return '可用资金不足'
        else:
            total, today_lots = self.closable(customer, contract.code, bool(flags & BUY),
                                              '1' if flags & HEDGE else '0')
            if volume > (today_lots if flags & CLOSE_TODAY else total):
                return '可平仓数量不足'
        return None

    def report(self, order):
        """The exchange takes the order: it gets its system number."""
        order.system = '%08d' % self.next_system
        self.next_system += 1
        order.status = 'a'

    def match(self, order, lots=None):
        """Fills a resting order against the quote: a buy at or above the ask, a sell at or
        below the bid, at most the quoted depth at once (or the given lots at the
        order's own price). Returns the deals."""
        contract = self.contracts[order.contract]
        if lots is None:
            if order.buy and order.price >= contract.ask:
                price = contract.ask
            elif not order.buy and order.price <= contract.bid:
                price = contract.bid
            else:
                return []
            lots = min(order.remaining, data.QUOTE_DEPTH)
        else:
            price = int(order.price)
            lots = min(order.remaining, lots)
        if lots <= 0 or not order.resting:
            return []
        order.dealt += lots
        order.status = 'c' if order.remaining == 0 else 'p'
        deal = Deal('%06d' % self.next_deal, order, lots, price, order.status)
        self.next_deal += 1
        self.deals.append(deal)
        self._apply_deal(order, lots, price)
        return [deal]

    def _apply_deal(self, order, lots, price):
        contract = self.contracts[order.contract]
        if order.opening:
            key = (order.customer, order.contract, order.hedge)
            pos = self.positions.setdefault(key, Position(*key))
            if order.buy:
                pos.buy_avg = (pos.buy_avg * pos.buy + price * lots) / (pos.buy + lots)
                pos.buy += lots
                pos.today_buy += lots
            else:
                pos.sell_avg = (pos.sell_avg * pos.sell + price * lots) / (pos.sell + lots)
                pos.sell += lots
                pos.today_sell += lots
            return
        pos = self.positions[(order.customer, order.contract, order.hedge)]
        if order.buy:       # closes a sell position
            profit = (pos.sell_avg - price) * lots * contract.units
            pos.sell, pos.today_sell = self._reduce(pos.sell, pos.today_sell, lots, order)
        else:               # closes a buy position
            profit = (price - pos.buy_avg) * lots * contract.units
            pos.buy, pos.today_buy = self._reduce(pos.buy, pos.today_buy, lots, order)
        self.close_profit[order.customer] += profit

    @staticmethod
    def _reduce(total, today_lots, lots, order):
        """A close today takes today's lots; a plain close takes older lots first."""
        if order.flags & CLOSE_TODAY:
            from_today = lots
        else:
            from_today = max(0, lots - (total - today_lots))
        return total - lots, today_lots - min(from_today, today_lots)

    def cancel(self, number):
        """(order, None) when cancelled, else (order or None, refusal text)."""
        order = self.order(number)
        if order is None:
            return None, '委托不存在'
        if not order.resting:
            return order, '该委托已成交或已撤销，无法撤单'
        order.status = 'd'
        return order, None

    def order(self, number):
        return next((o for o in self.orders if o.number == number), None)

    def closable(self, customer, contract, buy, hedge):
        """Lots that an order of this direction may close: (total, today), less the lots
        that resting close orders already hold."""
        pos = self.positions.get((customer, contract, hedge))
        if pos is None:
            return 0, 0
        total, today_lots = (pos.sell, pos.today_sell) if buy else (pos.buy, pos.today_buy)
        held = sum(o.remaining for o in self.orders
                   if o.resting and not o.opening and o.customer == customer
                   and o.contract == contract and o.buy == buy and o.hedge == hedge)
        return max(0, total - held), max(0, min(today_lots, total - held))

    # Funds.

    def funds(self, customer):
        info = self.customers[customer]
        moved = sum(t.amount if t.direction == '01' else -t.amount
                    for t in self.transfers
                    if t.customer == customer and t.status == '处理成功'
                    and t.direction in ('01', '02') and t.date == today())
        balance = info['balance'] + moved + self.close_profit[customer]
        margins = {True: 0.0, False: 0.0}
        floating = 0.0
        for pos in self.positions.values():
            if pos.customer != customer:
                continue
            contract = self.contracts[pos.contract]
            hedge = pos.hedge == '1'
            margins[True] += contract.margin(contract.last, pos.buy, hedge)
            margins[False] += contract.margin(contract.last, pos.sell, hedge)
            floating += (contract.last - pos.buy_avg) * pos.buy * contract.units
            floating += (pos.sell_avg - contract.last) * pos.sell * contract.units
        frozen = {True: 0.0, False: 0.0}
        for order in self.orders:
            if order.customer == customer and order.resting and order.opening:
                contract = self.contracts[order.contract]
                frozen[order.buy] += contract.margin(order.price, order.remaining,
                                                     order.flags & HEDGE)
        equity = balance + floating
        used = margins[True] + margins[False] + frozen[True] + frozen[False]
        profit = self.close_profit[customer]
        return dict(balance=balance, buy_frozen=frozen[True], sell_frozen=frozen[False],
                    buy_margin=margins[True], sell_margin=margins[False],
                    close_profit=max(profit, 0.0), loss=max(-profit, 0.0),
                    available=equity - used, equity=equity,
                    risk=(margins[True] + margins[False]) / equity if equity > 0 else 0.0,
                    floating=floating)

    def max_open(self, customer, contract, price, hedge):
        per_lot = contract.margin(price, 1, hedge)
        if per_lot <= 0:
            return 0
        return max(0, int(self.funds(customer)['available'] // per_lot))

    def position_rows(self, customers):
        """Positions of the customers with lots on either side, in a stable order."""
        return [p for p in sorted(self.positions.values(),
                                  key=lambda p: (p.customer, p.contract, p.hedge))
                if p.customer in customers and (p.buy or p.sell)]

    # Bank transfers.

    def bank_accounts(self, customer):
        return [b for b in self.banks if b['customer'] == customer]

    def bank_by_number(self, customer, number):
        return next((b for b in self.banks
                     if b['customer'] == customer and b['account'] == number), None)

    def _record_transfer(self, customer, bank, direction, amount, status, result, day, hms):
        transfer = Transfer('%08d' % self.next_serial, customer, bank['code'], bank['name'],
                            bank['account'], direction, amount, status, result, bank['kind'],
                            day, hms)
        self.next_serial += 1
        self.transfers.append(transfer)
        return transfer

    def transfer(self, customer, bank_code, bank_account, futures_password, bank_password,
                 amount_text, direction):
        """(transfer, None) when the request was taken (its own result may still be a
        failure), or (None, refusal text)."""
        if customer not in self.customers:
            return None, '客户不存在'
        if direction not in ('01', '02', '05'):
            return None, '转帐类别错误'
        if futures_password != self.customers[customer]['fund_password']:
            return None, '资金密码错误'
        bank = self.bank_by_number(customer, bank_account)
        if bank is None or not bank['code'].startswith(bank_code[:1]):
            return None, '银行帐号不存在'
        try:
            amount = float(amount_text or '0')
        except ValueError:
            return None, '转帐金额错误'
        status, result = '处理成功', '成功'
        if bank_password != bank['password']:
            status, result = '处理失败', '银行密码错误'
        elif direction == '05':
            result = '余额:%s' % money(bank['balance'])
        elif amount <= 0:
            status, result = '处理失败', '转帐金额错误'
        elif direction == '01' and amount > bank['balance']:
            status, result = '处理失败', '银行余额不足'
        elif direction == '02' and amount > self.funds(customer)['available']:
            status, result = '处理失败', '可取资金不足'
        if status == '处理成功' and direction == '01':
            bank['balance'] -= amount
        elif status == '处理成功' and direction == '02':
            bank['balance'] += amount
        transfer = self._record_transfer(customer, bank, direction, amount, status, result,
                                         today(), now_hms())
        return transfer, None

    def transfer_records(self, serial, customer, start, end):
        return [t for t in self.transfers
                if (not serial or t.serial == serial) and (not customer or t.customer == customer)
                and (not start or t.date >= start) and (not end or t.date <= end)]

    # Passwords.

    def change_password(self, account, old, new):
        record = self.accounts.get(account)
        if record is None:
            return '资金帐号不存在'
        if record['password'] != old:
            return '原密码错误'
        record['password'] = new
        return None

    def change_fund_password(self, customer, old, new):
        record = self.customers.get(customer)
        if record is None:
            return '客户不存在'
        if record['fund_password'] != old:
            return '原资金密码错误'
        record['fund_password'] = new
        return None

    # Batch groups: per trader, group index -> members (trader, customer, priority, quantity).

    def clear_group(self, trader, index):
        self.groups.setdefault(trader, {})[index] = []

    def add_member(self, trader, index, member):
        self.groups.setdefault(trader, {}).setdefault(index, []).append(member)

    def group_members(self, trader):
        groups = self.groups.get(trader, {})
        return [(index, member) for index in sorted(groups) for member in groups[index]]

    # Settlement statements.

    def confirm_state(self, customer, date):
        """The confirmation state text: the date, ':' and '1' when confirmed, '0' when not."""
        return '%s:%s' % (date, '1' if (customer, date) in self.confirmed else '0')

    def confirm(self, customer, date):
        self.confirmed.add((customer, date))

    def statement_text(self, customer, date):
        info = self.customers[customer]
        funds = self.funds(customer)
        lines = ['<Center><Font Size=14>模拟期货经纪有限公司  交易结算单',
                 '</Font Size></Center>',
                 '客户号：%s    客户名称：%s    结算日期：%s' % (customer, info['name'], date),
                 '',
                 '资金状况                                          币种：人民币',
                 '上日结存：%16s    当日结存：%16s' % (money(info['balance']),
                                                 money(funds['balance'])),
                 '平仓盈亏：%16s    浮动盈亏：%16s' % (money(self.close_profit[customer]),
                                                 money(funds['floating'])),
                 '客户权益：%16s    可用资金：%16s' % (money(funds['equity']),
                                                 money(funds['available'])),
                 '保证金占用：%14s    风险度：%17s' % (
                     money(funds['buy_margin'] + funds['sell_margin']),
                     '%.2f%%' % (funds['risk'] * 100)),
                 '',
                 '成交记录',
                 '成交日期  交易所  合约      买卖  投保  成交价      手数  成交号  开平']
        for deal in self.deals:
            order = deal.order
            if order.customer == customer:
                lines.append('%s  %-6s  %-8s  %s    %s    %-10d  %4d  %s  %s' % (
                    date, order.letter, order.contract, '买' if order.buy else '卖',
                    '保' if order.hedge == '1' else '投', deal.price, deal.volume,
                    deal.number, '开' if order.opening else '平'))
        lines += ['', '持仓汇总', '合约      买持仓  买均价        卖持仓  卖均价        投保']
        for pos in self.position_rows([customer]):
            lines.append('%-8s  %6d  %-12s  %6d  %-12s  %s' % (
                pos.contract, pos.buy, money(pos.buy_avg), pos.sell, money(pos.sell_avg),
                '保' if pos.hedge == '1' else '投'))
        lines += ['', '出入金记录']
        for t in self.transfers:
            if t.customer == customer:
                lines.append('%s %s  %-12s  %12s  %s' % (t.date, t.time, Transfer.OPERATIONS.get(
                    t.direction, t.direction), money(t.amount), t.status))
        lines += ['', '风险提示：期货交易风险较大，请客户审慎核对本结算单。如有疑问，请于下一交易日开市前'
                  '向本公司提出书面异议，逾期视为对本结算单所载内容的确认。'] * 12
        lines += ['\f客户签字：                        公司盖章：', '']
        return '\r\n'.join(lines).encode('gbk')

    def statement_archive(self, customer, date):
        """The statement as a zip archive holding one text file."""
        buffer = io.BytesIO()
        with zipfile.ZipFile(buffer, 'w', zipfile.ZIP_DEFLATED) as archive:
            info = zipfile.ZipInfo('%s.txt' % customer,
                                   (int(date[:4]), int(date[4:6]), int(date[6:8]), 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, self.statement_text(customer, date))
        return buffer.getvalue()
