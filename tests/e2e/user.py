"""A user at the programs of the end-to-end tests: lumon worked through its login
dialog, menus, tool bar and keyboard wizard, consign's login dialog and order page,
and the test case that gives each test a world of its own and checks at its end
that everything started has ended without a sanitizer's report."""

import os
import re
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from world import TIMEOUT, World, command_line, wait_until  # noqa: E402
import demorun  # noqa: E402  (tools/, on the path through world)

CHAT_CAPTION = '在线服务 客户端'
# The demo market's first contract (copper, the order bridge's product code 0100).
FUTURES_CODE = '010012'
CUSTOMER = ('10000003', '333333')
ORDER_LINE = re.compile(r'\|1001\|veve\|\|([a-z]+\d{4})\|\|0\|\|\|(\d+)\|\|0\|(\d+)\|4025\|4026\|')
AUTOREPLY = '好的，我来帮您查看。'


def is_chat_login(entry):
    """Whether a chat server's log entry is a client's login."""
    return entry.get('dir') == 'in' and entry.get('name') == 'login'


class Terminal:
    """lumon, driven as a user drives it."""

    def __init__(self, world):
        self.world = world
        self.d = world.driver
        self.proc = world.start('lumon')
        self.pid = self.proc.pid
        self.frame = None

    def login(self):
        """联机 with the remembered account; the system message that follows is
        confirmed; the frame fills the screen (there is no window manager to
        maximise it)."""
        self.answer_login_dialog()
        return self.show_frame()

    def answer_login_dialog(self, timeout=TIMEOUT):
        """The login dialog (at the start, or brought by 连接主站 or by a lost
        connection's question) answered with 联机, its default button, and the
        system message that follows confirmed."""
        dialog = self.d.wait_window(demorun.LUMON_LOGIN, pid=self.pid, timeout=timeout)
        self.d.activate(dialog)
        self.d.key('Return')
        self.confirm_system_message()

    def browse_offline(self):
        dialog = self.d.wait_window(demorun.LUMON_LOGIN, pid=self.pid, timeout=TIMEOUT)
        # 脱机浏览: the third of the four buttons along the bottom.
        self.d.click_in(dialog, dialog.rect[2] * 5 // 8, -26)
        # "脱机浏览无法取得即时数据."
        self.confirm('警告')
        return self.show_frame()

    def confirm(self, caption):
        """Answers the terminal's box `caption` with its default button."""
        box = self.d.wait_window(caption, pid=self.pid, timeout=TIMEOUT)
        self.d.activate(box)
        self.d.key('Return')
        wait_until(lambda: self.d.wait_gone(box, 1), message='the box %r stayed' % caption)

    def confirm_system_message(self):
        self.confirm('系统消息')

    def show_frame(self):
        self.frame = self.d.wait_window('lumo', pid=self.pid, timeout=TIMEOUT)
        self.d.move_resize(self.frame)
        self.d.activate(self.frame)
        return self.frame

    def bars(self):
        """The items of the menu bar and of the tool bar, left to right, as
        (left, right, middle row) on the screen."""
        self.d.activate(self.frame)
        x, y, w, _ = self.d.window_rect(self.frame)
        lines = wait_until(lambda: (lambda found: found if len(found) >= 2 else None)(
            self.d.ink_lines((x, y, w, 44))), message='no menu bar and tool bar')
        out = []
        for top, bottom in lines[:2]:
            out.append([(l, r, (top + bottom) // 2) for l, r in self.d.ink_clusters((x, top, w, bottom - top))])
        return out

    def menu_bar_item(self, index):
        left, right, row = self.bars()[0][index]
        self.d.click((left + right) // 2, row)

    def tool_button(self, index):
        left, right, row = self.bars()[1][index]
        self.d.click((left + right) // 2, row)

    def menu_command(self, index, keys):
        """Opens the menu bar's menu `index` and picks an item by keys."""
        self.menu_bar_item(index)
        wait_until(lambda: self.d.popups(), message='the menu did not open')
        self.d.key(*keys)

    # The menu bar ends with 在线互动, 网上交易, 工具 and 帮助.
    def online_support(self):
        self.menu_bar_item(-4)

    def settings_tool(self):
        # 工具: 设置工具 is the last item but one.
        self.menu_command(-2, ['Up', 'Up', 'Return'])

    def connect_command(self):
        # 系统: 连接主站(&C).
        self.menu_command(0, ['c'])

    def close(self):
        """The frame's close box; the default page's question "另存页面" is
        answered with its default button (No)."""
        self.d.close_window(self.frame)
        box = self.d.wait_window('另存页面', pid=self.pid, timeout=TIMEOUT)
        self.d.activate(box)
        self.d.key('Return')

    def handle(self):
        return self.world.handle_of(self.pid, 'lumo')

    def choose(self, code):
        """A stock chosen through the keyboard wizard: its code typed into the frame,
        where the first character calls up the wizard, and Enter there once it has
        the keyboard. The terminal then asks the data server about the stock (the
        wizard may stay on the screen: a caller that needs the terminal's input
        sends it away)."""
        asked = len(self.asked_about(code))
        self.d.activate(self.frame)
        self.d.type_text(code[0])
        wizard = self.d.wait_window('智能键盘', pid=self.pid, timeout=TIMEOUT)
        wait_until(lambda: self.d.has_focus(wizard), message='the keyboard wizard did not get the keyboard')
        self.d.type_text(code[1:])
        self.d.key('Return')
        wait_until(lambda: len(self.asked_about(code)) > asked,
                   message='the terminal did not open the stock %s' % code)

    def asked_about(self, code):
        """The data server's frames from the terminal that name the stock `code`."""
        text = code.encode().hex()
        return self.world.data.log.find(lambda e: e.get('listener') == 'data' and text in e.get('hex', ''))

    # The tool bar ends with 买进 and 卖出 (直接买卖 is on in the demo installation).
    def buy(self):
        self.tool_button(-2)


class OrderClient:
    """consign's login dialog, worked as a customer logs in."""

    @staticmethod
    def log_in(d, customer=CUSTOMER, pid=None):
        """The customer's name (in place of the remembered trader) and password
        typed, 确定 clicked; the dialog."""
        dialog = d.wait_window(demorun.CONSIGN_LOGIN, pid=pid, timeout=TIMEOUT)
        d.click(*demorun.fill_consign_login(d, dialog, customer[1], customer[0]))
        return dialog


class OrderSheet:
    """consign's main sheet on its order page, read from the screen. The page keeps
    its input column at a fixed distance from the sheet's right edge: a column of
    labels (客户, 合约, 交易编码, then the rows of the order sequence), the inputs
    beside them and the two send buttons under them; the order list fills the
    rest, above the quote panel."""

    LABELS = (-178, 66)   # the label column: from the right edge, width
    INPUTS = (-105, 80)   # the input column

    def __init__(self, d, window):
        self.d = d
        self.window = window

    FOOT = 40  # the sheet's status field along its foot

    def _strip(self, column):
        x, y, w, h = self.d.window_rect(self.window)
        return self.d.ink_lines((x + w + column[0], y, column[1], h - self.FOOT))

    def rows(self):
        """The label rows (top, bottom) and, for each, whether its input shows a
        text: 客户, 合约, 交易编码, the five rows of the order sequence and the
        send buttons (above the column lie the page tabs)."""
        labels = [band for band in self._strip(self.LABELS) if band[1] - band[0] >= 6][-9:]
        inputs = self._strip(self.INPUTS)
        return [(band, any(top < band[1] and band[0] < bottom for top, bottom in inputs)) for band in labels]

    def empty_rows(self):
        return [band for band, filled in self.rows() if not filled]

    def click_row(self, band):
        """Clicks into the input of a label row."""
        x, _, w, _ = self.d.window_rect(self.window)
        self.d.activate(self.window)
        self.d.click(x + w + self.INPUTS[0] + self.INPUTS[1] // 2, (band[0] + band[1]) // 2)

    def send(self):
        """发出委托: the left one of the buttons under the inputs."""
        band = self.rows()[-1][0]
        x, _, w, _ = self.d.window_rect(self.window)
        self.d.activate(self.window)
        self.d.click(x + w - 140, (band[0] + band[1]) // 2)

    def order_list_lines(self):
        """The bands of text in the order list (its heading included)."""
        x, y, w, _ = self.d.window_rect(self.window)
        rows = self.rows()
        top, bottom = rows[0][0][0], rows[-2][0][1]
        return self.d.ink_lines((x + 10, top, w + self.LABELS[0] - 30, bottom - top))


class EndToEndTest(unittest.TestCase):
    def make_world(self, **kw):
        world = World(self._testMethodName, **kw)
        self.addCleanup(self.finish, world)
        return world

    def finish(self, world):
        # The last screen, for a person looking into a failure.
        try:
            world.driver.save_png(os.path.join(world.dir, 'screen.png'))
        except Exception:  # noqa: BLE001 - a picture is no reason to fail
            pass
        reports, output = world.sanitizer_reports(), world.output()
        world.close()
        self.assertEqual(world.programs(), [], 'programs left running')
        self.assertEqual(reports, [], 'sanitizer reports:\n' + output)

    def chat_world(self):
        # The demo installation remembers the data server's account demo/demo,
        # which the chat server knows too.
        return self.make_world(chat_options=['--user', 'demo:demo', '--autoreply', AUTOREPLY])

    def chat_logins(self, world):
        return world.chat.log.find(is_chat_login)

    def chatdesk_of(self, world, terminal):
        """The chat client's process, started by the terminal with the frame's
        window handle as its whole command line."""
        pid = world.wait_program('chatdesk')
        self.assertEqual(command_line(pid)[1:], [str(terminal.handle()).encode()])
        return pid

    def logged_in(self, without=None):
        """A chat world whose lumon has logged in; `without` names a file of bin/
        removed before lumon starts."""
        world = self.chat_world()
        if without:
            os.remove(os.path.join(world.bin, without))
        lumon = Terminal(world)
        lumon.login()
        return world, lumon

    def order_world(self, code=FUTURES_CODE):
        world, lumon = self.logged_in()
        lumon.choose(code)
        return world, lumon

    def gateway_logins(self, world, customer):
        return world.gateway.log.find(
            lambda e: e.get('dir') == 'in' and e.get('code') == 50
            and customer.encode() in bytes.fromhex(e.get('body', '')))
