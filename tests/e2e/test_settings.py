#!/usr/bin/python3
"""End-to-end test of the settings tool: a colour and a font saved in toolpick are
what lumon paints at its next start, and lumon's close rewrites only its own keys
of the settings file the two share."""

import configparser
import os
import re
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from user import EndToEndTest, Terminal  # noqa: E402
from world import TIMEOUT, wait_until  # noqa: E402

# A colour no view of the demo theme paints, for slot 01 (the charts' ground).
GROUND = (0x10, 0x40, 0x80)
# The keys lumon writes back when it closes.
LUMON_KEYS = {('tabledef', 'tickfirst'), ('tabledef', 'trendfirst'), ('parameter', 'linetooldocked'),
              ('parameter', 'cyclechoice'), ('parameter', 'directbysell'), ('theme', 'lasttheme')}


def settings(world):
    ini = configparser.ConfigParser(interpolation=None, strict=False)
    ini.read(os.path.join(world.root, 'CFG', 'SETTING.INI'), encoding='gbk')
    return {(section.lower(), key): value for section in ini.sections() for key, value in ini[section].items()}


class SettingsTest(EndToEndTest):
    def pixels(self, d, colour):
        _, _, rgb = d.grab()
        return sum(1 for m in re.finditer(re.escape(bytes(colour)), rgb) if m.start() % 3 == 0)

    def heading_ink(self, d):
        """The yellow pixels of the stock's name in the information panel at the
        top right of the page (font slot 03)."""
        w, _ = d.screen_size()
        _, _, rgb = d.grab((w - 175, 44, 170, 60))
        return sum(1 for i in range(0, len(rgb), 3) if rgb[i] > 180 and rgb[i + 1] > 180 and rgb[i + 2] < 120)

    def test_colour_and_font_saved_in_the_settings_tool_are_painted_at_lumons_next_start(self):
        world, lumon = self.logged_in()
        d = world.driver
        ink = wait_until(lambda: self.heading_ink(d), message='no stock name in the information panel')
        self.assertEqual(self.pixels(d, GROUND), 0)

        # toolpick: slot 01 (指标背景) and font slot 03 (信息栏中商品名称), which the
        # colour page shows first, get a colour and a larger font.
        lumon.settings_tool()
        tool = d.wait_window('ConfigTool', timeout=TIMEOUT)
        d.activate(tool)
        d.click_in(tool, 375, 317)  # the colour sample
        chooser = wait_until(lambda: [w for w in d.windows() if w.pid == tool.pid and w.id != tool.id],
                             message='no colour dialog')[0]
        d.activate(chooser)
        d.key('alt+h')  # its HTML field
        d.key('ctrl+a')
        d.type_text('#%02x%02x%02x' % GROUND)
        d.key('Return')
        self.assertTrue(d.wait_gone(chooser, TIMEOUT))
        d.activate(tool)
        d.click_in(tool, 375, 395)  # the font sample
        chooser = d.wait_window('字体', pid=tool.pid, timeout=TIMEOUT)
        d.activate(chooser)
        d.key('alt+s')  # 大小
        d.key('ctrl+a')
        d.type_text('28')
        d.key('Return')
        self.assertTrue(d.wait_gone(chooser, TIMEOUT))
        # 确定: "修改"颜色与字体"配置?" and "退出系统?" answered Yes.
        d.click_in(tool, 205, 443)
        for _ in range(2):
            box = d.wait_window('警告', pid=tool.pid, timeout=TIMEOUT)
            d.activate(box)
            d.key('Return')
            self.assertTrue(d.wait_gone(box, TIMEOUT))
        world.wait_ended(tool.pid, what='the settings tool')
        saved = settings(world)
        self.assertEqual(saved[('color0', 'color01')], str(GROUND[0] | GROUND[1] << 8 | GROUND[2] << 16))
        size = saved[('font0', 'font03')].split(',', 2)[1]
        self.assertGreater(int(size), 30)

        # lumon's close rewrites its own keys and leaves the others as they were.
        lumon.close()
        world.wait_ended(lumon.pid, what='lumon')
        after = settings(world)
        changed = {key for key in set(saved) | set(after) if saved.get(key) != after.get(key)}
        self.assertLessEqual(changed, LUMON_KEYS)
        self.assertEqual(set(saved), set(after))

        # At its next start lumon paints the charts' ground and the stock's name so.
        lumon = Terminal(world)
        lumon.login()
        wait_until(lambda: self.pixels(d, GROUND) > 10000, message='lumon does not paint the new ground')
        wait_until(lambda: self.heading_ink(d) > 3 * ink,
                   message='the stock\'s name is not painted larger (%d pixels before, %d now)'
                   % (ink, self.heading_ink(d)))
        d.save_png(os.path.join(world.dir, 'new-theme.png'))


if __name__ == '__main__':
    unittest.main()
