"""The built-in broker data the simulated gateway starts from. Passwords are those the
tests and the demo log in with; the table below is the whole account list.

account      password  fund pw  rights  kind      notes
8001         123456    -        ABCQ    trader    customers 10000001, 10000002, 10000003
10000001     111111    111111   ACQ     customer  statement confirmation required ('2')
10000002     222222    222222   AC      customer  statement shown ('1'); one bank account
10000003     333333    333333   A       customer  no statement flag; long number 6228480012345678
1234567890   000000    000000   AQ      customer  an account of exactly ten characters
9001         900100    -        BC      trader    no right 'A' (may not run the program)
8002         800200    -        ACQ     trader    no right 'B' (no batch orders or settings)
"""

# Contracts: code, exchange letter, name, units per lot, last price (whole units), tick,
# speculation and hedge margin rates, last trading date.
CONTRACTS = [
    ('cu2512', 'S', '铜2512', 5, 62310, 10, '0.08', '0.07', '20251215'),
    ('al2512', 'S', '铝2512', 5, 19805, 5, '0.07', '0.06', '20251215'),
    ('ru2601', 'S', '天胶2601', 10, 15515, 5, '0.09', '0.08', '20260115'),
    ('m2601', 'D', '豆粕2601', 10, 3412, 1, '0.07', '0.06', '20260114'),
    ('a2601', 'D', '豆一2601', 10, 4523, 1, '0.07', '0.06', '20260114'),
    ('SR601', 'Z', '白糖601', 10, 5210, 1, '0.08', '0.07', '20260114'),
]

# Lots shown on each side of the book; an order fills at most this many lots at once.
QUOTE_DEPTH = 8

ACCOUNTS = {
    '8001': dict(password='123456', rights='ABCQ', name='交易员一', trader=True,
                 customers=['10000001', '10000002', '10000003']),
    '8002': dict(password='800200', rights='ACQ', name='交易员三', trader=True,
                 customers=['10000001', '10000002']),
    '9001': dict(password='900100', rights='BC', name='交易员二', trader=True,
                 customers=['10000003']),
    '10000001': dict(password='111111', rights='ACQ', name='张三'),
    '10000002': dict(password='222222', rights='AC', name='李四'),
    '10000003': dict(password='333333', rights='A', name='王五',
                     long_number='6228480012345678'),
    '1234567890': dict(password='000000', rights='AQ', name='赵六'),
}

# Customers: name, fund password, yesterday's balance, statement flag, trade code per
# exchange letter, identity number, telephone.
CUSTOMERS = {
    '10000001': dict(name='张三', fund_password='111111', balance=1000000.0, settle='2',
                     trade_codes={'S': '81000001', 'D': '01000001', 'Z': '11000001'},
                     id_number='110101197001010011', phone='010-66660001'),
    '10000002': dict(name='李四', fund_password='222222', balance=200000.0, settle='1',
                     trade_codes={'S': '81000002', 'D': '01000002'},
                     id_number='310101198002020022', phone='021-66660002'),
    '10000003': dict(name='王五', fund_password='333333', balance=50000.0, settle='0',
                     trade_codes={'S': '81000003', 'Z': '11000003'},
                     id_number='440101199003030033', phone='020-66660003'),
    '1234567890': dict(name='赵六', fund_password='000000', balance=80000.0, settle='0',
                       trade_codes={'S': '81234567', 'D': '01234567', 'Z': '11234567'},
                       id_number='510101198504040044', phone='028-66660004'),
}

# Bank and securities accounts: customer, code, short name, account number, password,
# balance, kind ('Z' or 'T' bank, 'Q' securities).
BANK_ACCOUNTS = [
    ('10000001', '1', '工商银行', '6222020200001111', '1111', 500000.0, 'Z'),
    ('10000001', '9', '国泰证券', '0100001111', '1111', 300000.0, 'Q'),
    ('10000002', '2', '农业银行', '6228480200002222', '2222', 100000.0, 'Z'),
    ('10000003', '1', '工商银行', '6222020200003333', '3333', 20000.0, 'Z'),
    ('10000003', '3', '中国银行', '6013820200003333', '3333', 40000.0, 'T'),
    ('1234567890', '9', '国泰证券', '0100004444', '4444', 60000.0, 'Q'),
]

# Positions held since yesterday: customer, contract, hedge ('0' speculation,
# '1' hedge), buy lots, buy average, sell lots, sell average.
POSITIONS = [
    ('10000001', 'cu2512', '0', 3, 61800.0, 0, 0.0),
    ('10000001', 'm2601', '0', 0, 0.0, 10, 3450.0),
    ('10000002', 'al2512', '1', 2, 19750.0, 0, 0.0),
]

# Orders placed before any client connects, through the same book as the clients' orders:
# customer, contract, buy, open, volume, price. The first rests below the ask, the second
# crosses the bid and fills.
SEED_ORDERS = [
    ('10000001', 'cu2512', True, True, 1, '62000'),
    ('10000001', 'm2601', False, True, 2, '3400'),
]

# Earlier transfers: customer, bank account number, direction code, amount, status, result,
# date, time.
SEED_TRANSFERS = [
    ('10000001', '6222020200001111', '01', 100000.0, '处理成功', '成功', '20251103', '09:12:05'),
    ('10000001', '0100001111', '02', 5000.0, '处理失败', '可取资金不足', '20251104', '10:40:17'),
    ('10000003', '6013820200003333', '01', 20000.0, '未处理', '', '20251105', '14:02:44'),
]

# Batch groups of the traders: trader, group index, members (customer, quantity) in
# priority order.
BATCH_GROUPS = [
    ('8001', 0, [('10000001', 1), ('10000002', 2)]),
]
