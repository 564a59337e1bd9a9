"""Mouse, keys and clipboard of the real window: dragging the title bar moves
the window by exactly the mouse movement; the user menu opens on its button
and its gold hover highlight follows the mouse in steps of 40 pixels (96 DPI);
the version selector opens and closes its list; Escape exits with 0; and a
copy puts the exact Unicode text on the X clipboard."""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from harness import Backend, Session, artifacts_dir, wait_until  # noqa: E402

BUILD_DIR = os.environ.get("ORVANE_BUILD_DIR") or os.path.join(os.path.dirname(os.path.dirname(
    os.path.dirname(os.path.abspath(__file__)))), "build")
CLIP_PROBE = os.path.join(BUILD_DIR, "tests", "clip_probe.exe")
# What clip_probe.exe copies.
CLIP_TEXT = "\u8BA2\u5355-\u211642 \u00E9 \u2713 \U0001D11E"

# Client points at 96 DPI (1200 x 720).
TITLE_BAR = (600, 25)
MENU_BUTTON = (1100, 25)      # {1080,0,1120,50}; the menu opens at {1020,55,1170,135}
SELECTOR = (600, 352)         # home selector {440,330,760,375}
USER_MENU = (1020, 55, 1170, 135)


def is_gold(rgb):
    """The hover fill is (226,180,77) at 100..50 alpha over the dark menu body."""
    r, g, b = rgb
    return r - b > 25 and g - b > 15


def is_plain(rgb):
    r, g, b = rgb
    return abs(r - b) < 12 and abs(g - b) < 12


class InputWindow(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        # With a backend the start-up login and catalogue return at once and
        # the selector has versions.
        cls.backend = Backend().start()

    @classmethod
    def tearDownClass(cls):
        cls.backend.stop()

    def session(self, name):
        return Session(name, backend=self.backend.api)

    def start(self, s):
        proc = s.start()
        wid = s.wait_window()
        self.assertTrue(wait_until(lambda: s.probe("find")))
        # Input is handled once the start-up fetches have returned.
        self.assertTrue(wait_until(lambda: "Games parsed count=" in s.log_text(), timeout=30))
        time.sleep(0.5)
        return proc, wid

    def client(self, s, wid, cx, cy):
        x, y, _, _ = s.geometry(wid)
        return x + cx, y + cy

    def test_drag_title_bar_moves_window_by_mouse_movement(self):
        with self.session("input-drag") as s:
            proc, wid = self.start(s)
            x0, y0, w, h = s.geometry(wid)
            s.drag((x0 + TITLE_BAR[0], y0 + TITLE_BAR[1]), (x0 + TITLE_BAR[0] - 130, y0 + TITLE_BAR[1] + 70))
            x1, y1, w1, h1 = s.geometry(wid)
            self.assertEqual((x1 - x0, y1 - y0), (-130, 70))
            self.assertEqual((w1, h1), (w, h))
            info = wait_until(lambda: s.probe("find"), timeout=5)
            self.assertIsNotNone(info, "the probe did not find the window")
            self.assertEqual((info["x"], info["y"]), (x1, y1), "Windows and X disagree on the position")

            # The button is up: moving the mouse no longer drags.
            s.move(x1 + 300, y1 + 300)
            s.move(x1 + 350, y1 + 320)
            self.assertEqual(s.geometry(wid)[:2], (x1, y1))

            s.key("Escape")
            self.assertEqual(s.wait_exit(proc, 20), 0)

    def test_menu_hover_follows_mouse_in_steps_of_40(self):
        with self.session("input-menu") as s:
            proc, wid = self.start(s)
            s.click(*self.client(s, wid, *MENU_BUTTON))
            # Sample each item's highlight near its right end, clear of its text.
            item0, item1 = (1150, 66), (1150, 106)

            def hover_at(cy):
                s.move(*self.client(s, wid, 1100, cy))
                img = s.screenshot()
                return img, s.client_pixel(img, wid, *item0), s.client_pixel(img, wid, *item1)

            img, p0, p1 = hover_at(200)  # below the menu
            img.save(os.path.join(artifacts_dir(), "input-menu-open.png"))
            self.assertTrue(is_plain(p0) and is_plain(p1), "no item may be lit outside the menu: %s %s" % (p0, p1))
            for cy, lit in ((56, 0), (94, 0), (95, 1), (134, 1), (136, None), (75, 0)):
                img, p0, p1 = hover_at(cy)
                if lit == 0:
                    self.assertTrue(is_gold(p0) and is_plain(p1), "y=%d: %s %s" % (cy, p0, p1))
                elif lit == 1:
                    self.assertTrue(is_plain(p0) and is_gold(p1), "y=%d: %s %s" % (cy, p0, p1))
                else:
                    self.assertTrue(is_plain(p0) and is_plain(p1), "y=%d: %s %s" % (cy, p0, p1))
            img.save(os.path.join(artifacts_dir(), "input-menu-hover.png"))

            s.key("Escape")
            self.assertEqual(s.wait_exit(proc, 20), 0)

    def test_version_list_opens_on_the_selector_and_a_row_click_closes_it(self):
        # The list's state shows in the routing: an open list takes the next
        # click for itself, so a click on the menu button then only closes the
        # list and no menu appears.
        with self.session("input-versions") as s:
            proc, wid = self.start(s)
            x, y, _, _ = s.geometry(wid)
            menu = (x + USER_MENU[0], y + USER_MENU[1], x + USER_MENU[2], y + USER_MENU[3])
            no_menu = s.screenshot().crop(menu).tobytes()

            s.click(x + SELECTOR[0], y + SELECTOR[1])
            s.click(x + MENU_BUTTON[0], y + MENU_BUTTON[1])
            self.assertTrue(s.screenshot().crop(menu).tobytes() == no_menu,
                            "the menu opened: the selector click did not open the list")

            s.click(x + SELECTOR[0], y + SELECTOR[1])
            s.click(x + SELECTOR[0], y + 377 + 16)  # first row: ScaleY(2) below the selector, 32 high
            s.click(x + MENU_BUTTON[0], y + MENU_BUTTON[1])
            img = s.screenshot()
            img.save(os.path.join(artifacts_dir(), "input-versions-closed.png"))
            self.assertTrue(img.crop(menu).tobytes() != no_menu, "no menu: the row click did not close the list")

            s.key("Escape")
            self.assertEqual(s.wait_exit(proc, 20), 0)

    @unittest.skipUnless(os.path.exists(CLIP_PROBE), "clip_probe.exe not built")
    def test_copy_puts_exact_unicode_text_on_the_clipboard(self):
        with Session("input-clipboard") as s:
            proc = s.start(CLIP_PROBE)
            s.wait_window()
            wait_until(lambda: s.clipboard() == CLIP_TEXT, timeout=4)
            self.assertEqual(s.clipboard(), CLIP_TEXT)
            self.assertEqual(s.wait_exit(proc, 20), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
