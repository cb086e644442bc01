#!/usr/bin/python3
"""End-to-end tests of the order road: 买进 in lumon fills consign's order page, an
order sent there reaches the trade gateway and its answer the order list; the
order requests that a second consign hands to the running one, and what becomes
of those the running copy cannot take."""

import os
import signal
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from user import CUSTOMER, ORDER_LINE, EndToEndTest, OrderClient, OrderSheet  # noqa: E402
from world import TIMEOUT, alive, command_line, wait_until  # noqa: E402

# Fuel oil (the bridge's product code 0102), a contract of 10 units at a few
# thousand: the customer's funds open 9 lots, more than the gateway's quote deals
# at once, so that the order stays in the order list whatever the price.
FUEL_CODE = '010201'
FUEL_LOTS = 9
SHEET_KEY = 'HKEY_CURRENT_USER\\TesselConsign50'
PROGRAM_NAME = '岫云期货委托 5.0.5.3'
BUY, OPEN = 0x01, 0x02


def order_fields(body):
    """The fields of an order record as the gateway got it (code 52)."""
    def text(offset, width):
        return body[offset:offset + width].split(b'\0', 1)[0].decode('gbk')
    return dict(customer=text(10, 10), contract=text(20, 10),
                volume=int.from_bytes(body[40:44], 'big', signed=True), price=text(44, 8), flags=body[75])


class OrdersTest(EndToEndTest):
    def start_order_client(self, world, lumon):
        """买进, the customer's login; the order client's process, the request on its
        command line and its sheet."""
        d = world.driver
        before = set(world.programs('consign'))
        lumon.buy()
        pid = wait_until(lambda: sorted(set(world.programs('consign')) - before),
                         message='买进 started no order client')[0]
        OrderClient.log_in(d, pid=pid)
        match = ORDER_LINE.fullmatch(command_line(pid)[1].decode())
        self.assertIsNotNone(match, command_line(pid))
        sheet = d.wait_window('王五', pid=pid, timeout=TIMEOUT, exact=False)
        return pid, match.groups(), sheet

    def test_buy_fills_the_order_page_and_the_order_sent_there_reaches_the_gateway_and_the_list(self):
        world, lumon = self.order_world(FUEL_CODE)
        d = world.driver
        consign, (contract, price, _), window = self.start_order_client(world, lumon)
        sheet = OrderSheet(d, window)
        # Every input shows a text (the contract, 买入, the price ...) but the volume.
        empty = wait_until(lambda: (lambda rows: rows if len(rows) == 1 else None)(sheet.empty_rows()),
                           message='the order page is not filled but for its volume: %r' % (sheet.rows(),))
        listed = len(sheet.order_list_lines())
        d.save_png(os.path.join(world.dir, 'order-page.png'), window)

        sheet.click_row(empty[0])
        d.type_text(str(FUEL_LOTS))
        wait_until(lambda: not sheet.empty_rows(), message='the volume typed does not show')
        sheet.send()
        sent = world.gateway.log.wait_for(lambda e: e.get('dir') == 'in' and e.get('code') == 52,
                                          what='the order (code 52)')
        self.assertEqual(len(sent), 1)
        order = order_fields(bytes.fromhex(sent[0]['body']))
        self.assertEqual((order['customer'], order['contract'], order['volume'], order['price']),
                         (CUSTOMER[0], contract, FUEL_LOTS, price))
        self.assertEqual(order['flags'] & (BUY | OPEN), BUY | OPEN)  # 买入, 开仓
        answer = world.gateway.log.wait_for(lambda e: e.get('dir') == 'out' and e.get('code') == 180,
                                            what='the order answer (code 180)')[0]
        self.assertEqual((answer['status'], answer['message']), (0, ''))
        # The answer shows as a row of the order list.
        wait_until(lambda: len(sheet.order_list_lines()) > listed,
                   message='the order list does not show the order')
        d.save_png(os.path.join(world.dir, 'order-sent.png'), window)
        self.assertTrue(alive(consign))

    def test_a_request_the_running_copy_cannot_take_is_not_lost_silently(self):
        world, lumon = self.order_world()
        d = world.driver
        first, _, window = self.start_order_client(world, lumon)
        self.assertEqual(int(world.registry_value(SHEET_KEY, 'hMainWnd')), world.handle_of(first, window.caption))

        # Killed, the first copy leaves its window's handle behind in the registry.
        # A new copy is started; while it is logging in, another 买进 finds that
        # stale handle: the request is refused with a word.
        os.kill(first, signal.SIGKILL)
        world.wait_ended(first, what='the killed order client')
        lumon.buy()
        second = world.wait_program('consign')
        d.wait_window('登录', pid=second, timeout=TIMEOUT)
        lumon.buy()
        box = d.wait_window(PROGRAM_NAME, timeout=TIMEOUT)
        relay = box.pid
        self.assertNotIn(relay, (first, second))
        d.save_png(os.path.join(world.dir, 'relay-refused.png'), box)
        d.activate(box)
        d.key('Return')
        world.wait_ended(relay, what='the copy that could not hand over its request')
        self.assertEqual(world.programs('consign'), [second])

        # The copy logs in; its sheet announces itself to lumon, which keeps it. A
        # request that cannot reach the sheet (its handle lost from the registry)
        # is refused with a word, and lumon still brings the sheet forward.
        OrderClient.log_in(d, pid=second)
        window = d.wait_window('王五', pid=second, timeout=TIMEOUT, exact=False)
        wait_until(lambda: world.registry_value(SHEET_KEY, 'hMainWnd') == str(world.handle_of(second, window.caption)),
                   message='the sheet did not write its handle')
        world.set_registry_value(SHEET_KEY, 'hMainWnd', 'dword:0')

        def stacked():
            ids = [w.id for w in d.windows()]
            return ids.index(window.id) > ids.index(lumon.frame.id) if window.id in ids else None
        d.activate(lumon.frame)
        wait_until(lambda: stacked() is False, message='the frame does not come over the sheet')
        lumon.buy()
        box = d.wait_window(PROGRAM_NAME, timeout=TIMEOUT)
        self.assertNotIn(box.pid, (first, second))
        wait_until(stacked, message='lumon did not bring the sheet forward')
        d.activate(box)
        d.key('Return')
        world.wait_ended(box.pid, what='the copy that could not hand over its request')
        self.assertEqual(world.programs('consign'), [second])

    def test_the_order_client_closes_after_the_terminal_died(self):
        # lumon killed under a running consign: its withdrawal (4026) goes to a
        # window that is gone; consign closes all the same, without a hang.
        world, lumon = self.order_world()
        d = world.driver
        consign, _, window = self.start_order_client(world, lumon)
        lumon.proc.kill()
        lumon.proc.wait(TIMEOUT)
        self.assertTrue(alive(consign))
        d.close_window(window)
        box = d.wait_window('确认', pid=consign, timeout=TIMEOUT)
        d.activate(box)
        d.key('Return')
        world.wait_ended(consign, what='consign closed after lumon died')


if __name__ == '__main__':
    unittest.main()
