"""The real program's window: title, class, size and centred position; Escape
quits with 0; a second copy activates the first (restoring it when minimised)
and exits with 0 without opening a window of its own; without a display the
program ends with 1 and a log line."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from harness import Session, artifacts_dir, wait_until  # noqa: E402


class WindowLifecycle(unittest.TestCase):
    def test_window_geometry_title_class_and_escape(self):
        with Session("lifecycle") as s:
            proc = s.start()
            wid = s.wait_window()
            info = wait_until(lambda: s.probe("find"))
            self.assertIsNotNone(info, "FindWindowW(DuiLibWnd, Orvane Downloader) found nothing")
            self.assertEqual(info["cls"], "DuiLibWnd")
            self.assertEqual((info["w"], info["h"]), (1200, 720))
            sw, sh = s.work_area()
            self.assertEqual((info["x"], info["y"]), ((sw - 1200) // 2, (sh - 720) // 2))
            # The X side agrees: a borderless window exactly where Windows put it.
            x, y, w, h = s.geometry(wid)
            self.assertEqual((x, y, w, h), (info["x"], info["y"], 1200, 720))
            s.screenshot(os.path.join(artifacts_dir(), "lifecycle.png"))

            # No backend here: Escape ends the program whether or not the
            # login is still retrying.
            s.key("Escape")
            self.assertEqual(s.wait_exit(proc, 30), 0)

    def test_second_copy_restores_the_minimised_first_and_exits_zero(self):
        with Session("second-copy") as s:
            first = s.start()
            s.wait_window()
            self.assertTrue(wait_until(lambda: s.probe("find")))
            minimised = s.probe("minimize")
            self.assertTrue(minimised["iconic"], "the probe could not minimise the window")

            second = s.start()
            self.assertEqual(s.wait_exit(second, 30), 0)
            restored = wait_until(lambda: (lambda i: i if i and not i["iconic"] else None)(s.probe("find")))
            self.assertIsNotNone(restored, "the first window stayed minimised")
            self.assertEqual((restored["w"], restored["h"]), (1200, 720))
            self.assertIsNone(first.poll(), "the first copy must keep running")
            # Still exactly one program window.
            ids = s.xdotool("search", "--onlyvisible", "--name", "^Orvane Downloader$", check=False).split()
            self.assertEqual(len(ids), 1)

            first.kill()

    def test_without_a_display_the_program_logs_and_exits_with_1(self):
        # Wine then has no display driver, so the window cannot be made: the
        # program says so and ends, rather than going on with the object that
        # its failed window took away.
        with Session("no-display") as s:
            del s.env["DISPLAY"]
            proc = s.start()
            self.assertEqual(s.wait_exit(proc, 60), 1)
            self.assertIn("Main window could not be created", s.log_text())


if __name__ == "__main__":
    unittest.main(verbosity=2)
