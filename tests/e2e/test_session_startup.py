"""Start-up against the local backend, as a user sees it: the program logs in
by itself, fetches versions and offer, and leaves config.json, the log,
sys.dat, the registry value and the desktop shortcut behind. With the backend
gone it still starts after the login's three attempts."""

import json
import os
import re
import socket
import struct
import subprocess
import sys
import threading
import time
import unittest

sys.path.insert(0, os.path.dirname(__file__))
from harness import Backend, Session, artifacts_dir, wait_until  # noqa: E402


def read(path, mode="r"):
    # Bytes, decoded by hand: text mode would fold the log's CR LF.
    with open(path, "rb") as f:
        data = f.read()
    return data if "b" in mode else data.decode("utf-8")


class DroppingPort:
    """Listens on a free loopback port and resets every connection it takes."""

    def __init__(self):
        self._sock = socket.socket()
        self._sock.bind(("127.0.0.1", 0))
        self._sock.listen(16)
        self.api = "http://127.0.0.1:%d/api/v1" % self._sock.getsockname()[1]
        self._times = []
        self._lock = threading.Lock()
        self._thread = threading.Thread(target=self._serve, daemon=True)

    def _serve(self):
        while True:
            try:
                conn, _ = self._sock.accept()
            except OSError:
                return
            with self._lock:
                self._times.append(time.monotonic())
            conn.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            conn.close()

    def arrivals(self):
        with self._lock:
            return list(self._times)

    def __enter__(self):
        self._thread.start()
        return self

    def __exit__(self, *exc):
        # Shutting the listener down wakes the accept that waits on it.
        try:
            self._sock.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass
        self._sock.close()
        self._thread.join(5)


def registry_user_code(session):
    out = subprocess.run(["wine", "reg", "query", r"HKCU\SOFTWARE\OrvaneDownloader", "/v", "UserCode"],
                         env=session.env, capture_output=True, text=True, timeout=60).stdout
    m = re.search(r"UserCode\s+REG_SZ\s+(\S+)", out)
    return m.group(1) if m else None


def desktop_folder(session):
    users = os.path.join(session.prefix, "drive_c", "users")
    for user in os.listdir(users):
        d = os.path.join(users, user, "Desktop")
        if user != "Public" and os.path.isdir(d):
            return d
    return None


class SessionStartup(unittest.TestCase):
    def test_logs_in_fetches_versions_and_leaves_its_files(self):
        with Backend() as backend, Session("startup", backend=backend.api) as s:
            proc = s.start()
            s.wait_window()
            data = s.data_folder()
            log_path = os.path.join(data, "OrvaneDownloader.log")
            self.assertTrue(wait_until(lambda: os.path.exists(log_path) and "Games parsed count=" in read(log_path),
                                       timeout=30), "no games line in the log")
            log = read(log_path)
            self.assertIn("] Application Started\r\n", log)
            self.assertRegex(log, r"\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3}\] User Code: USER-[0-9A-F]{8}-")
            self.assertIn("AutoLogin begin api=" + backend.api + " exe=OrvaneDownloader.exe channel=OrvaneDownloader",
                          log)
            self.assertRegex(log, r"AutoLogin status=200 resp_len=\d+")
            self.assertRegex(log, r"Login success uid=\d+ machine_id=\d+")
            self.assertIn("FetchGames status=200", log)
            self.assertRegex(log, r"Games parsed count=[1-9]")

            config = read(os.path.join(data, "config.json"), "rb")
            self.assertTrue(config.startswith(b'{\n  "api_base": "' + backend.api.encode() + b'",\n  "token": "'))
            self.assertIn(b'\n  "machine_code": "USER-', config)
            self.assertRegex(config, rb'\n  "uid": \d+,\n  "machine_id": \d+\n}\n$')
            self.assertNotIn(b"\r", config)

            code = registry_user_code(s)
            self.assertRegex(code or "", r"^USER-[0-9A-F]{8}-.{8}$")
            self.assertEqual(read(os.path.join(data, "sys.dat"), "rb"), code.encode("ascii"))

            desktop = desktop_folder(s)
            self.assertIsNotNone(desktop)
            self.assertTrue(os.path.exists(os.path.join(desktop, "奥凡安装助手.lnk")))

            time.sleep(1)
            s.screenshot(os.path.join(artifacts_dir(), "startup-with-backend.png"))
            s.key("Escape")
            self.assertEqual(s.wait_exit(proc, 20), 0)

    def test_paints_before_the_login_answers(self):
        # The login's reply is held back 2 s; the window must be painted meanwhile.
        with Backend(test_mode=True) as backend, Session("slow-login", backend=backend.api) as s:
            script = {"endpoint": "login", "replies": [{"delay_ms": 2000, "body": ""}]}
            status, _ = backend.post("/__test__/script", json.dumps(script).encode())
            self.assertEqual(status, 200)
            started = time.time()
            proc = s.start()
            s.wait_window()
            data = s.data_folder()
            log_path = os.path.join(data, "OrvaneDownloader.log")
            img = None
            while time.time() - started < 10:
                img = s.client_shot()
                if img.getpixel((600, 25)) == (26, 27, 29):
                    break
                time.sleep(0.05)
            log = read(log_path) if os.path.exists(log_path) else ""
            img.save(os.path.join(artifacts_dir(), "first-paint-slow-login.png"))
            self.assertEqual(img.getpixel((600, 25)), (26, 27, 29), "the title bar is painted")
            self.assertNotIn("AutoLogin status=", log, "painted before the login answered")
            self.assertNotEqual(img.getpixel((100, 650)), (0, 0, 0), "the background is painted")
            self.assertEqual(img.getpixel((400, 300)), (25, 25, 25), "the home panel is painted")
            # Then the versions come, and the window shows them.
            self.assertTrue(wait_until(lambda: "Games parsed count=" in read(log_path), timeout=30))
            self.assertTrue(wait_until(lambda: self._selector_has_text(s), timeout=5), "the version is shown")
            s.key("Escape")
            self.assertEqual(s.wait_exit(proc, 20), 0)

    @staticmethod
    def _selector_has_text(s):
        img = s.client_shot()
        # Light text of the version name on the selector's (64,64,64) fill.
        return any(max(img.getpixel((x, y))) > 150 for x in range(455, 700, 2) for y in range(340, 366, 2))

    def test_starts_without_a_backend_after_three_attempts(self):
        # A loopback port that takes each connection and resets it at once:
        # the attempts fail like a dead backend, and their times are seen
        # from outside.
        with DroppingPort() as port, Session("no-backend", backend=port.api) as s:
            proc = s.start()
            s.wait_window(timeout=60)
            self.assertTrue(wait_until(lambda: len(port.arrivals()) >= 3, timeout=60), "three login attempts")
            first, second, third = port.arrivals()[:3]
            # 0.5 s and 1 s pass between the attempts, 2 s after the last.
            self.assertGreater(second - first, 0.45)
            self.assertGreater(third - second, 0.95)
            s.key("Escape")
            self.assertEqual(s.wait_exit(proc, 30), 0)

            log = read(os.path.join(s.data_folder(), "OrvaneDownloader.log"))
            self.assertIn("AutoLogin begin api=" + port.api, log)
            self.assertNotIn("AutoLogin status=", log)
            self.assertNotIn("Login success", log)
            self.assertNotIn("FetchGames", log)
            config = read(os.path.join(s.data_folder(), "config.json"))
            self.assertNotIn("token", config)


if __name__ == "__main__":
    unittest.main(verbosity=2)
