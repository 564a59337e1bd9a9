"""A hostile backend at start-up, in the real window: a login reply that
trickles a byte every few seconds ends at the exchange deadline (60 s) and
the login's next attempt goes through; an endless login reply is cut at its
size limit and the program logs in on the next attempt and shows the home
page."""

import json
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from harness import Backend, Session, artifacts_dir, wait_until  # noqa: E402

DEADLINE_S = 60
RETRY_WAITS_S = 0.5 + 1 + 2


def script(backend, endpoint, reply):
    status, body = backend.post("/__test__/script", json.dumps({"endpoint": endpoint, "replies": [reply]}).encode())
    if status != 200:
        raise AssertionError("script refused: %r" % body)


class HostileStartup(unittest.TestCase):
    def test_a_trickling_login_ends_at_the_deadline(self):
        with Backend(test_mode=True) as backend, Session("trickle", backend=backend.api) as s:
            # 30 bytes, one every 5 s: each read beats the 30 s receive time-out.
            script(backend, "login", {"body": "{\"code\":0,\"msg\":\"ok\",\"data\":{}}",
                                      "chunk_sizes": [1] * 30, "chunk_delay_ms": 5000})
            started = time.time()
            proc = s.start()
            s.wait_window()
            self.assertTrue(wait_until(lambda: "Login success" in s.log_text(), timeout=DEADLINE_S + RETRY_WAITS_S + 25),
                            "the next attempt logs in")
            took = time.time() - started
            self.assertGreater(took, DEADLINE_S - 1, "the trickle was read until the deadline")
            self.assertLess(took, DEADLINE_S + RETRY_WAITS_S + 20)
            self.assertIn("AutoLogin status=200 resp_len=0", s.log_text(), "the cut attempt counts as no reply")
            s.key("Escape")
            self.assertEqual(s.wait_exit(proc, 20), 0)

    def test_an_endless_login_reply_is_cut_and_the_home_page_shows(self):
        with Backend(test_mode=True) as backend, Session("endless", backend=backend.api) as s:
            script(backend, "login", {"endless": True, "filler": "{\"data\":["})
            proc = s.start()
            s.wait_window()
            self.assertTrue(wait_until(lambda: "Games parsed count=" in s.log_text(), timeout=60))
            log = s.log_text()
            self.assertIn("AutoLogin status=200 resp_len=0", log)
            self.assertIn("Login success", log)
            time.sleep(1)
            img = s.client_shot()
            img.save(os.path.join(artifacts_dir(), "endless-login-home.png"))
            self.assertEqual(img.getpixel((400, 300)), (25, 25, 25), "the home panel")
            self.assertTrue(any(max(img.getpixel((x, y))) > 150 for x in range(455, 700, 2) for y in range(340, 366, 2)),
                            "the selector shows a version")
            self.assertIsNone(proc.poll(), "still running")
            s.key("Escape")
            self.assertEqual(s.wait_exit(proc, 20), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
