#!/usr/bin/python3
"""End-to-end tests of the connections: servers stopped under the running
programs and started again, and lumon's own disconnect and reconnect, which hand
the account to the chat client again."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from user import CHAT_CAPTION, CUSTOMER, EndToEndTest, OrderClient, is_chat_login  # noqa: E402
from world import TIMEOUT, alive, wait_until  # noqa: E402

SIGNED_IN = CHAT_CAPTION + ' - demo'
# lumon retries a lost data connection quietly for 20 s before it asks.
FAULT_QUESTION_WAIT = TIMEOUT + 30


class ChatWindow:
    """chatdesk's window, shown through lumon's 在线互动."""

    def __init__(self, world, lumon):
        self.d = world.driver
        lumon.online_support()
        self.window = self.d.wait_window(SIGNED_IN, timeout=TIMEOUT)

    def caption(self):
        shown = [w.caption for w in self.d.windows() if w.id == self.window.id]
        return shown[0] if shown else None

    def wait_caption(self, caption, what):
        wait_until(lambda: self.caption() == caption,
                   message='the chat window is not captioned %r (%s): %r' % (caption, what, self.caption()))

    def transcript_lines(self):
        self.d.activate(self.window)
        x, y, w, h = self.d.window_rect(self.window)
        return len(self.d.ink_lines((x + 8, y + 70, w * 2 // 3, h - 200)))


class NetworkTest(EndToEndTest):
    def test_after_disconnect_and_connect_the_chat_client_gets_the_account_again(self):
        world, lumon = self.logged_in()
        chatdesk = self.chatdesk_of(world, lumon)
        world.chat.log.wait_for(is_chat_login, what='the chat login')
        chat = ChatWindow(world, lumon)
        lines = chat.transcript_lines()

        # The chat server stops: the chat client writes "网络已断开。" and its caption
        # loses the name; started again, the server waits for a login.
        world.chat.stop()
        chat.wait_caption(CHAT_CAPTION, 'after the chat server stopped')
        wait_until(lambda: chat.transcript_lines() > lines, message='the transcript does not tell the break')
        self.assertTrue(alive(chatdesk))
        server = world.restart(world.chat)

        # 断开连接 and 连接主站 in lumon: the account goes to the chat client again,
        # which logs in at once (its own retry would come only after 3 minutes).
        lumon.menu_command(0, ['d'])
        lumon.confirm('确认')  # "断开连接?"
        lumon.connect_command()
        lumon.answer_login_dialog()
        login = server.log.wait_for(is_chat_login, what='the chat login after lumon connected again')[0]
        self.assertEqual((login['fields']['name'], login['result']), ('demo', 0))
        chat.wait_caption(SIGNED_IN, 'after the new login')
        self.assertEqual(len(server.log.find(is_chat_login)), 1)

    def test_servers_stopped_under_the_programs_and_started_again(self):
        world, lumon = self.order_world()
        d = world.driver
        chatdesk = self.chatdesk_of(world, lumon)
        world.chat.log.wait_for(is_chat_login, what='the chat login')
        lumon.buy()
        OrderClient.log_in(d)
        consign = world.wait_program('consign')
        sheet = d.wait_window('王五', pid=consign, timeout=TIMEOUT, exact=False)
        # The caption: the customer's, then the gateway's address once connected.
        title = sheet.caption.split('[')[0]
        connected = title + '[网关IP：127.0.0.1]'
        chat = ChatWindow(world, lumon)

        for server in (world.gateway, world.chat, world.data):
            server.stop()
        # consign: "网络连接中断" in a box and in its caption.
        box = wait_until(lambda: [w for w in d.windows() if w.pid == consign and w.id != sheet.id],
                         message='the order client shows no box')[0]
        wait_until(lambda: d.find_window(title + '--网络连接中断!!!', pid=consign),
                   message='the order client\'s caption does not tell the break')
        # chatdesk: no name in its caption any more.
        chat.wait_caption(CHAT_CAPTION, 'after the chat server stopped')
        # lumon: after its quiet retries, the question whether to connect again.
        question = d.wait_window('提示', pid=lumon.pid, timeout=FAULT_QUESTION_WAIT)
        d.save_png(os.path.join(world.dir, 'servers-stopped.png'))
        for pid in (lumon.pid, chatdesk, consign):
            self.assertTrue(alive(pid), pid)

        gateway, chat_server, data = (world.restart(s) for s in (world.gateway, world.chat, world.data))
        # consign logs in again by itself once its box is answered.
        d.activate(box)
        d.key('Return')
        gateway.log.wait_for(lambda e: e.get('dir') == 'in' and e.get('code') == 50
                             and CUSTOMER[0].encode() in bytes.fromhex(e.get('body', '')),
                             what='the order client\'s new login')
        wait_until(lambda: d.find_window(connected, pid=consign),
                   message='the order client\'s caption stays broken')
        # lumon, answered Yes, logs in again and hands the account to chatdesk,
        # which logs in at the chat server started again.
        d.activate(question)
        d.key('Return')
        lumon.answer_login_dialog()
        data.log.wait_for(lambda e: e.get('listener') == 'realtime', what='lumon\'s real-time connection')
        chat_server.log.wait_for(is_chat_login, what='the chat login on the chat server started again')
        chat.wait_caption(SIGNED_IN, 'after the new login')
        for pid in (lumon.pid, chatdesk, consign):
            self.assertTrue(alive(pid), pid)


if __name__ == '__main__':
    unittest.main()
