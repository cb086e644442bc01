#!/usr/bin/python3
"""End-to-end tests: lumon, chatdesk, consign and toolpick as processes on an
installation of their own, against the simulated data server, trade gateway and
chat server, on an X server the test starts. A user's input only: the login
dialogs, menus, tool buttons and edits are worked through real key presses and
clicks (tools/lumodrive.py); what crossed between the programs is checked in
what the servers logged, in the processes and on the screen."""

import configparser
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from user import (AUTOREPLY, CHAT_CAPTION, CUSTOMER, FUTURES_CODE, ORDER_LINE,  # noqa: E402
                  EndToEndTest, OrderClient, Terminal, is_chat_login)
from world import TIMEOUT, alive, command_line, wait_until  # noqa: E402


class ProgramsTest(EndToEndTest):
    # -- the terminal and the chat client ------------------------------------

    def test_login_hands_the_account_to_the_chat_client_and_a_message_goes_both_ways(self):
        world, lumon = self.logged_in()
        self.chatdesk_of(world, lumon)
        login = world.chat.log.wait_for(is_chat_login, what='the chat login')[0]
        self.assertEqual((login['fields']['name'], login['fields']['password'], login['result']),
                         ('demo', 'demo', 0))

        # 在线互动 shows the hidden chat window.
        d = world.driver
        self.assertFalse([w for w in d.windows() if w.caption.startswith(CHAT_CAPTION)])
        lumon.online_support()
        chat = d.wait_window(CHAT_CAPTION, timeout=TIMEOUT, exact=False)
        self.assertEqual(chat.caption, CHAT_CAPTION + ' - demo')

        # A support member chosen in the online list (the first row), a message
        # typed into the input pane and sent with Ctrl+Enter.
        d.activate(chat)
        x, y, w, h = chat.rect
        online = (x + w - 170, y + 90, 150, 100)
        wait_until(lambda: d.ink_lines(online), message='the online list stays empty')
        d.click_in(chat, -150, 105)
        # The conversation's heading names the member chosen.
        heading = (x + 8, y + 44, w // 2, 24)
        wait_until(lambda: d.ink_lines(heading, dark=200), message='no conversation chosen')
        d.click_in(chat, w // 3, -60)
        transcript = (x + 8, y + 70, w * 2 // 3, h - 200)
        before = len(d.ink_lines(transcript))
        d.type_text('Where is my order?')
        d.key('ctrl+Return')
        sent = world.chat.log.wait_for(lambda e: e.get('dir') == 'in' and e.get('name') == 'message',
                                       what='the message')[0]
        self.assertEqual((sent['user'], sent['fields']['text'], sent['route']),
                         ('demo', 'Where is my order?', 'simulated user'))
        answer = world.chat.log.wait_for(lambda e: e.get('dir') == 'out' and e.get('name') == 'message',
                                         what='the answer')[0]
        self.assertEqual(answer['fields']['text'], AUTOREPLY)
        # The transcript shows both: a heading and a line each.
        wait_until(lambda: len(d.ink_lines(transcript)) >= before + 4,
                   message='the transcript does not show the message and the answer')
        d.save_png(os.path.join(world.dir, 'chat.png'), chat)

    def test_offline_browsing_hands_over_zeros_and_a_connect_hands_the_account_again(self):
        world = self.chat_world()
        lumon = Terminal(world)
        lumon.browse_offline()
        chatdesk = self.chatdesk_of(world, lumon)
        # The block of zeros leaves the chat client without an account: it stays
        # away from the chat server.
        world.wait_window(chatdesk)
        time.sleep(3)
        self.assertEqual(self.chat_logins(world), [])
        # 连接主站 logs in; the chat client then gets the account and logs in.
        lumon.connect_command()
        lumon.answer_login_dialog()
        login = world.chat.log.wait_for(is_chat_login, what='the chat login after connecting')
        self.assertEqual(login[0]['fields']['name'], 'demo')
        self.assertEqual(len(self.chat_logins(world)), 1)
        self.assertTrue(alive(chatdesk))

    def test_the_chat_client_ends_with_the_terminal(self):
        world, lumon = self.logged_in()
        chatdesk = self.chatdesk_of(world, lumon)
        world.chat.log.wait_for(is_chat_login)
        lumon.close()
        world.wait_ended(lumon.pid, what='lumon')
        self.assertEqual(lumon.proc.wait(TIMEOUT), 0)
        world.wait_ended(chatdesk, what='chatdesk after lumon closed')
        # Its connection closed with it.
        world.chat.log.wait_for(lambda e: e.get('event') == 'close', what='the chat connection closing')

        # Killed, the terminal says nothing: the chat client sees its window gone.
        lumon = Terminal(world)
        lumon.login()
        chatdesk = self.chatdesk_of(world, lumon)
        lumon.proc.kill()
        lumon.proc.wait(TIMEOUT)
        world.wait_ended(chatdesk, what='chatdesk after lumon was killed')

    def test_without_the_chat_client_the_terminal_runs_on_silently(self):
        world, lumon = self.logged_in(without='chatdesk.dll')
        lumon.online_support()
        # The frame keeps running with nothing in front of it.
        time.sleep(2)
        self.assertEqual([w.caption for w in world.driver.windows()], ['lumo'])
        self.assertTrue(alive(lumon.pid))
        self.assertEqual(world.programs('chatdesk'), [])
        self.assertEqual(self.chat_logins(world), [])

    # -- the settings tool ---------------------------------------------------

    def test_the_settings_tool_starts_from_the_tools_menu(self):
        world, lumon = self.logged_in()
        lumon.settings_tool()
        tool = world.driver.wait_window('ConfigTool', timeout=TIMEOUT)
        self.assertEqual(world.programs('toolpick'), [tool.pid])

    def test_without_the_settings_tool_the_terminal_says_so(self):
        world, lumon = self.logged_in(without='toolpick')
        lumon.settings_tool()
        box = world.driver.wait_window('提示', pid=lumon.pid, timeout=TIMEOUT)
        world.driver.save_png(os.path.join(world.dir, 'no-toolpick.png'), box)
        world.driver.activate(box)
        world.driver.key('Return')
        self.assertTrue(world.driver.wait_gone(box, TIMEOUT))
        self.assertTrue(alive(lumon.pid))


    # -- the order client ----------------------------------------------------

    def test_buy_starts_the_order_client_for_the_contract_and_its_end_lets_the_next_buy_start_another(self):
        world, lumon = self.order_world()
        d = world.driver
        lumon.buy()
        OrderClient.log_in(d)
        consign = world.wait_program('consign')
        # The order request on the command line, with the frame's window.
        line = command_line(consign)[1:]
        self.assertEqual(len(line), 1, line)
        match = ORDER_LINE.fullmatch(line[0].decode())
        self.assertIsNotNone(match, line)
        contract, price, caller = match.groups()
        self.assertGreater(int(price), 0)
        self.assertEqual(int(caller), lumon.handle())
        # Its settings file was made to read it, beside it and in the Windows folder.
        for folder in (world.bin, world.env['LUMO_WINDIR']):
            ini = configparser.ConfigParser(interpolation=None)
            ini.read(os.path.join(folder, 'consign.ini'), encoding='gbk')
            self.assertEqual((ini['Config']['UseCmdLine'], ini['Config']['Client Mode']), ('1', '1'), folder)
        # The customer logged in at the gateway; the sheet shows.
        wait_until(lambda: self.gateway_logins(world, CUSTOMER[0]), message='no login of the customer')
        sheet = d.wait_window('王五', pid=consign, timeout=TIMEOUT, exact=False)
        d.save_png(os.path.join(world.dir, 'order-page.png'), sheet)

        # A second 买进 is handed to the running copy, which stays the only one.
        lumon.buy()
        time.sleep(3)
        self.assertEqual(world.programs('consign'), [consign])
        self.assertEqual([w.caption for w in d.windows() if w.caption == '登录'], [])

        # Closed (its question answered Yes), the order client withdraws; the
        # next 买进 starts a new one.
        sheet = d.wait_window('王五', pid=consign, timeout=TIMEOUT, exact=False)
        d.close_window(sheet)
        box = d.wait_window('确认', pid=consign, timeout=TIMEOUT)
        d.activate(box)
        d.key('Return')
        world.wait_ended(consign, what='consign after its close box')
        lumon.buy()
        OrderClient.log_in(d)
        again = world.wait_program('consign')
        self.assertNotEqual(again, consign)
        wait_until(lambda: len(self.gateway_logins(world, CUSTOMER[0])) == 2,
                   message='the new order client did not log in')

    def test_without_the_order_clients_settings_the_buy_button_does_nothing(self):
        world, lumon = self.logged_in(without='consign.ini')
        lumon.choose(FUTURES_CODE)
        lumon.buy()
        time.sleep(3)
        self.assertEqual(world.programs('consign'), [])
        self.assertEqual([w.caption for w in world.driver.windows()], ['lumo'])
        self.assertFalse(os.path.exists(os.path.join(world.env['LUMO_WINDIR'], 'consign.ini')))


if __name__ == '__main__':
    unittest.main()
