"""End-to-end tests of the store backend: each class runs the real server in a
subprocess on a free port with its own SQLite file and talks HTTP to it."""

import base64
import http.client
import io
import json
import os
import re
import select
import socket
import sqlite3
import stat
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.error
import urllib.parse
import urllib.request

from PIL import Image

BACKEND_DIR = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SERVER = os.path.join(BACKEND_DIR, "server.py")
READY = re.compile(r"^backend listening on (https?)://[^/:]+:(\d+)/api/v1$")
# The startup notes end with the line naming the accepted Host names.
LAST_NOTE = re.compile(r"^(Host names served|bound to every interface)")
CSRF_FIELD = re.compile(rb'name="csrf" value="([0-9a-f]+)"')
FORM = {"Content-Type": "application/x-www-form-urlencoded"}
MACHINE = "USER-1A2B3C4D-5f3e2a10"
TIME_TEXT = re.compile(r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d$")

sys.path.insert(0, BACKEND_DIR)
import store  # noqa: E402  (the backend is no package)


class Backend:
    def __init__(self, db, *options, prefix=()):
        self.db = db
        self.options = options
        self.prefix = prefix        # e.g. a prlimit command line
        self.proc = None
        self.port = None
        self.scheme = None
        self.notes = []

    def start(self):
        self.errlog = open(self.db + ".stderr", "ab")
        self.proc = subprocess.Popen(
            [*self.prefix, sys.executable, SERVER, "--port", "0", "--db", self.db, *self.options],
            stdout=subprocess.PIPE, stderr=self.errlog, text=True)
        ready, _, _ = select.select([self.proc.stdout], [], [], 10)
        line = self.proc.stdout.readline().strip() if ready else ""
        m = READY.match(line)
        if not m:
            self.stop()
            raise RuntimeError("backend did not start: %r" % line)
        self.scheme, self.port = m.group(1), int(m.group(2))
        # The notes come in the same write as the ready line.
        self.notes = [self.proc.stdout.readline().strip()]
        while not LAST_NOTE.match(self.notes[-1]):
            self.notes.append(self.proc.stdout.readline().strip())

    def stop(self):
        if self.proc:
            self.proc.terminate()
            self.proc.wait(10)
            self.proc.stdout.close()
            self.proc = None
        self.errlog.close()

    def token(self):
        with open(self.db + ".admin-token") as f:
            return f.read().strip()

    def request(self, method, path, body=None, headers=None, source="127.0.0.1", timeout=10):
        """One exchange from the loopback address `source`; checks that
        Content-Length matches the body."""
        conn = http.client.HTTPConnection("127.0.0.1", self.port, timeout=timeout,
                                          source_address=(source, 0))
        try:
            if isinstance(body, (dict, list)):
                body = json.dumps(body, ensure_ascii=False).encode("utf-8")
            conn.request(method, path, body=body, headers=headers or {})
            resp = conn.getresponse()
            data = resp.read()
            length = resp.getheader("Content-Length")
            if length is not None and method != "HEAD":
                assert int(length) == len(data), (length, len(data))
            return resp.status, dict(resp.getheaders()), data
        finally:
            conn.close()

    def api(self, method, endpoint, body=None, prefix="/api/v1/"):
        status, headers, data = self.request(method, prefix + endpoint, body)
        assert headers["Content-Type"] == "application/json; charset=utf-8", headers
        return status, json.loads(data.decode("utf-8"))

    def data(self, method, endpoint, body=None, prefix="/api/v1/"):
        status, reply = self.api(method, endpoint, body, prefix)
        assert status == 200 and reply["code"] == 0 and reply["msg"] == "ok", (status, reply)
        return reply["data"]

    def raw(self, payload, timeout=5, half_close=False):
        """Sends raw bytes and returns every recv() piece until the server closes."""
        pieces = []
        with socket.create_connection(("127.0.0.1", self.port), timeout=timeout) as s:
            s.sendall(payload)
            if half_close:
                s.shutdown(socket.SHUT_WR)
            while True:
                piece = s.recv(65536)
                if not piece:
                    return pieces
                pieces.append(piece)

    def raw_get(self, path, host="127.0.0.1"):
        """Status line, header block and body of a GET sent with this Host line."""
        host_line = b"" if host is None else b"Host: %s\r\n" % host.encode()
        whole = b"".join(self.raw(b"GET %s HTTP/1.1\r\n%sConnection: close\r\n\r\n"
                                  % (path.encode(), host_line)))
        head, _, body = whole.partition(b"\r\n\r\n")
        return int(head.split()[1]), head.decode("latin-1"), body

    def wait_log(self, pattern, within):
        """True once `pattern` matches a request log line, False after `within` seconds."""
        deadline = time.monotonic() + within
        while time.monotonic() < deadline:
            with open(self.db + ".stderr", encoding="utf-8", errors="replace") as f:
                if re.search(pattern, f.read(), re.M):
                    return True
            time.sleep(0.02)
        return False


def start_refused(db, *options):
    """Exit status and stderr of a start that must fail at once."""
    done = subprocess.run([sys.executable, SERVER, "--port", "0", "--db", db, *options],
                          capture_output=True, text=True, timeout=5)
    return done.returncode, done.stdout, done.stderr


def file_mode(path):
    return stat.S_IMODE(os.stat(path).st_mode)


class BackendTestCase(unittest.TestCase):
    options = ()

    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.backend = Backend(os.path.join(cls.tmp.name, "store.db"), *cls.options)
        cls.backend.start()

    @classmethod
    def tearDownClass(cls):
        cls.backend.stop()
        cls.tmp.cleanup()

    def login(self, machine=MACHINE, exe="OrvaneDownloader_1001_abc.exe"):
        return self.backend.data("POST", "login", {
            "exe_name": exe, "channel_code": "1001", "qhclickid": "abc",
            "machine_code": machine})

    def intent(self, machine=MACHINE, game="奥凡 经典版", discount=False):
        return self.backend.data("POST", "pay_intent", {
            "machine_code": machine, "game_name": game, "channel_code": "1001",
            "apply_discount": discount})

    def status_of(self, order_no):
        return self.backend.data("GET", "pay_status?order_no=" + order_no)["status"]

    def orders(self, machine=MACHINE, limit=100):
        return self.backend.data("GET", "orders/latest?limit=%d&machine_code=%s" % (limit, machine))

    def bearer(self):
        return {"Authorization": "Bearer " + self.backend.token()}

    def admin_mark(self, order_no, status):
        code, headers, _ = self.backend.request(
            "POST", "/admin/orders/%s/%s" % (order_no, status), headers=self.bearer())
        self.assertEqual((code, headers["Location"]), (303, "/admin"))

    def pay_field(self, order_no):
        code, _, page = self.backend.request("GET", "/pay/" + order_no)
        self.assertEqual(code, 200)
        return CSRF_FIELD.search(page).group(1).decode()

    def pay(self, order_no, action, csrf):
        """Status and Location of the payer's confirm/refuse POST."""
        code, headers, _ = self.backend.request(
            "POST", "/pay/%s/%s" % (order_no, action),
            body=("csrf=" + csrf).encode() if csrf is not None else b"", headers=FORM)
        return code, headers.get("Location")


class StoreApiTest(BackendTestCase):
    options = ("--simulate-payments",)

    def test_login_is_stable_per_machine_with_fresh_tokens(self):
        first = self.login("USER-00000001-aaaaaaaa")
        again = self.login("USER-00000001-aaaaaaaa", exe="OrvaneDownloader_2002_zz.exe")
        other = self.login("USER-00000002-bbbbbbbb")
        self.assertGreater(first["uid"], 0)
        self.assertGreater(first["machine_id"], 0)
        self.assertEqual((again["uid"], again["machine_id"]), (first["uid"], first["machine_id"]))
        self.assertNotEqual(again["token"], first["token"])
        self.assertNotEqual(other["uid"], first["uid"])
        self.assertNotEqual(other["machine_id"], first["machine_id"])
        self.assertEqual(first["level"], "normal")
        self.assertEqual((first["machine_code"], first["channel_code"], first["qhclickid"]),
                         ("USER-00000001-aaaaaaaa", "1001", "abc"))

    def test_catalogue_matches_the_client_parser(self):
        games = self.backend.data("GET", "games")["games"]
        self.assertGreaterEqual(len(games), 4)
        for name in games:
            # The client cuts names between quotes and ends the array at the first "]".
            self.assertTrue(name and not set(name) & set('"\\[]{}'), name)
        products = self.backend.data("GET", "products")
        self.assertEqual(products[0], {
            "id": 1, "name": "终身会员", "currency": "¥", "original_price": 99.0,
            "current_price": 39.0, "promo_price": 29.9, "countdown_minutes": 5})
        _, _, raw = self.backend.request("GET", "/api/v1/products")
        self.assertIn("¥".encode("utf-8"), raw)   # literal UTF-8, never \u escapes

    def test_purchase_from_intent_to_membership(self):
        machine = "USER-0000BEEF-cafe0001"
        self.login(machine)
        intent = self.intent(machine, discount=True)
        order_no = intent["pay_order_no"]
        self.assertRegex(order_no, r"^[A-Za-z0-9]+$")
        self.assertEqual((intent["current_price"], intent["promo_price"],
                          intent["original_price"]), (39.0, 29.9, 99.0))
        self.assertEqual(intent["countdown_seconds"], 300)
        self.assertRegex(intent["qr_expire_at"], TIME_TEXT)
        self.assertEqual(self.status_of(order_no), "pending")
        pending = self.orders(machine)[0]
        self.assertEqual((pending["status"], pending["pay_amount"]), ("pending", 29.9))
        self.assertEqual((pending["alipay_trade_no"], pending["download_url"]), ("", ""))

        self.admin_mark(order_no, "success")
        self.assertEqual(self.status_of(order_no), "success")
        paid = self.orders(machine)[0]
        self.assertEqual(set(paid), {"order_no", "status", "game_name", "alipay_trade_no",
                                     "pay_amount", "created_at", "updated_at", "download_url"})
        self.assertEqual((paid["order_no"], paid["game_name"]), (order_no, "奥凡 经典版"))
        # Settled by the operator, not by a payment provider: the number says so.
        self.assertRegex(paid["alipay_trade_no"], r"^OP\d{20}$")
        self.assertEqual(paid["download_url"], "https://dl.orvane.example/installers/"
                         + urllib.parse.quote("奥凡 经典版", safe="") + ".exe")
        self.assertRegex(paid["created_at"], TIME_TEXT)
        self.assertRegex(paid["updated_at"], TIME_TEXT)
        self.assertEqual(self.login(machine)["level"], "vip")

        self.admin_mark(order_no, "refunded")
        self.assertEqual(self.login(machine)["level"], "normal")

    def test_price_without_discount_and_order_listing(self):
        machine = "USER-00000003-cccccccc"
        numbers = [self.intent(machine, game="奥凡 联机版")["pay_order_no"] for _ in range(3)]
        self.intent("USER-00000004-dddddddd")
        listed = self.orders(machine)
        self.assertEqual([o["order_no"] for o in listed], numbers[::-1])
        self.assertEqual({o["pay_amount"] for o in listed}, {39.0})
        self.assertEqual([o["order_no"] for o in self.orders(machine, limit=2)],
                         numbers[:0:-1])
        self.assertEqual(self.orders("USER-FFFFFFFF-nobody00"), [])

    def test_payer_page_settles_a_pending_order_once(self):
        order_no = self.intent()["pay_order_no"]
        code, headers, page = self.backend.request("GET", "/pay/" + order_no)
        self.assertEqual(code, 200)
        self.assertTrue(headers["Content-Type"].startswith("text/html"))
        for text in ("确认支付", "拒绝支付", order_no, "¥39.00", "模拟支付", "不会产生真实扣款"):
            self.assertIn(text.encode("utf-8"), page)
        csrf = self.pay_field(order_no)
        self.assertEqual(self.pay(order_no, "refuse", csrf), (303, "/pay/" + order_no))
        self.assertEqual(self.status_of(order_no), "failed")
        self.pay(order_no, "confirm", csrf)
        self.assertEqual(self.status_of(order_no), "failed")
        self.assertEqual(self.backend.request("GET", "/pay/OD0000NOPE")[0], 404)
        code, _, admin = self.backend.request("GET", "/admin", headers=self.bearer())
        self.assertEqual(code, 200)
        self.assertIn(("/admin/orders/%s/success" % order_no).encode(), admin)

    def test_request_lines_are_logged_with_control_bytes_escaped(self):
        reply = b"".join(self.backend.raw(b"GET /\x1b[2J\x07ring\x7f\x9b1m HTTP/1.1\r\n"
                                          b"Host: 127.0.0.1\r\nConnection: close\r\n\r\n"))
        self.assertTrue(reply.startswith(b"HTTP/1.1 404"), reply[:40])
        self.assertTrue(self.backend.wait_log(
            r'"GET /\\x1b\[2J\\x07ring\\x7f\\x9b1m HTTP/1\.1" 404 ', 2))
        with open(self.backend.db + ".stderr", "rb") as f:
            logged = f.read()
        self.assertFalse(set(logged) & (set(range(32)) - {10} | set(range(127, 256))))

    def test_download_link_lookup(self):
        name = "奥凡 经典版"
        data = self.backend.data("GET", "games/download?name=" + urllib.parse.quote(name, safe=""))
        self.assertEqual(data["name"], name)
        self.assertTrue(data["download_url"].startswith("https://"))
        self.assertTrue(data["download_url"].endswith(".exe"))
        status, reply = self.backend.api("GET", "games/download?name=%E4%B8%8D%E5%AD%98%E5%9C%A8")
        self.assertEqual((status, reply["code"], reply["data"]), (404, 404, None))

    def test_images_are_real_pngs(self):
        order_no = self.intent()["pay_order_no"]
        code, headers, png = self.backend.request("GET", "/api/v1/pay_qr?order_no=" + order_no)
        self.assertEqual((code, headers["Content-Type"]), (200, "image/png"))
        self.assertEqual(png[:8], b"\x89PNG\r\n\x1a\n")
        image = Image.open(io.BytesIO(png))
        self.assertEqual((image.format, image.mode), ("PNG", "1"))
        self.assertEqual(image.width, image.height)
        box, quiet = 6, 4
        modules = image.width // box - 2 * quiet
        self.assertEqual(image.width % box, 0)
        self.assertEqual((modules - 17) % 4, 0)    # a valid QR version size
        edge = quiet * box
        self.assertEqual(image.getpixel((edge - 1, edge - 1)), 255)   # quiet zone
        self.assertEqual(image.getpixel((edge, edge)), 0)             # finder pattern corner
        self.assertEqual(image.getpixel((edge + 3 * box, edge + 3 * box)), 0)  # finder centre

        status, reply = self.backend.api("GET", "pay_qr?order_no=OD0000NOPE")
        self.assertEqual((status, reply["code"]), (404, 404))

        url = self.backend.data("GET", "support/qq")["qq_image_url"]
        self.assertEqual(url, "/api/v1/support/qq.png")
        code, headers, png = self.backend.request("GET", url)
        self.assertEqual((code, headers["Content-Type"]), (200, "image/png"))
        card = Image.open(io.BytesIO(png))
        self.assertEqual(card.mode, "RGB")
        self.assertGreater(card.height, card.width)   # code plus caption

    def test_bad_input_gives_json_errors_and_the_server_survives(self):
        good = {"exe_name": "a.exe", "channel_code": "a", "qhclickid": "", "machine_code": "M"}
        cases = [
            ("login", b"{not json"),
            ("login", b"\xff\xfe"),
            ("login", b"[1,2]"),
            ("login", {k: v for k, v in good.items() if k != "machine_code"}),
            ("login", dict(good, machine_code="")),
            ("login", dict(good, channel_code=5)),
            ("login", dict(good, channel_code=10 ** 30)),
            ("login", b'{"exe_name":"a","channel_code":"a","qhclickid":"","machine_code":' + b"9" * 5000 + b"}"),
            ("login", b'{"exe_name":"a","channel_code":"a","qhclickid":"","machine_code":"\\ud800"}'),
            ("pay_intent", {"machine_code": "M", "game_name": "g", "channel_code": "c",
                            "apply_discount": "yes"}),
            ("pay_intent", b'{"machine_code":"M","game_name":"g","channel_code":"c","apply_discount":NaN}'),
            ("pay_intent", b""),
        ]
        for endpoint, body in cases:
            with self.subTest(endpoint=endpoint, body=body):
                status, reply = self.backend.api("POST", endpoint, body)
                self.assertEqual((status, reply["code"], reply["data"]), (400, 400, None))
                self.assertTrue(reply["msg"])
        for path, expected in [("pay_status", 400), ("orders/latest?machine_code=M&limit=x", 400),
                               ("orders/latest?machine_code=M&limit=0", 400),
                               ("nothing/here", 404)]:
            with self.subTest(path=path):
                status, reply = self.backend.api("GET", path)
                self.assertEqual((status, reply["code"]), (expected, expected))
        status, reply = self.backend.api("GET", "login")
        self.assertEqual(status, 405)
        # The control endpoints do not exist outside test mode.
        self.assertEqual(self.backend.request("POST", "/__test__/reset")[0], 404)

        big = b'{"x":"' + b"a" * (2 << 20) + b'"}'
        status, reply = self.backend.api("POST", "login", big)
        self.assertEqual((status, reply["code"]), (413, 413))
        garbage = b"".join(self.backend.raw(b"NONSENSE\r\n\r\n"))
        self.assertTrue(garbage.startswith(b"HTTP/1.1 400"), garbage[:40])
        self.assertIn(b'"code":400', garbage)
        for length, expected in (("\u00b2", b"400"), ("-1", b"400"), ("1" + "0" * 5000, b"413")):
            with self.subTest(content_length=length[:8]):
                reply = b"".join(self.backend.raw(
                    b"POST /api/v1/login HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: "
                    + length.encode("utf-8") + b"\r\n\r\n", half_close=True))
                self.assertTrue(reply.startswith(b"HTTP/1.1 " + expected), reply[:40])
        self.assertTrue(self.login()["uid"])

    def test_text_fields_have_length_limits(self):
        login = {"exe_name": "a.exe", "channel_code": "1", "qhclickid": "q", "machine_code": "M1"}
        intent = {"machine_code": "M2", "game_name": "g", "channel_code": "1",
                  "apply_discount": False}
        for endpoint, body, key, limit in [
                ("login", login, "exe_name", 260), ("login", login, "channel_code", 128),
                ("login", login, "qhclickid", 512), ("login", login, "machine_code", 128),
                ("pay_intent", intent, "machine_code", 128),
                ("pay_intent", intent, "game_name", 128), ("pay_intent", intent, "channel_code", 128)]:
            for length, expected in ((limit, 200), (limit + 1, 400)):
                # Counted in characters, not UTF-8 bytes.
                status, _ = self.backend.api("POST", endpoint, dict(body, **{key: "码" * length}))
                self.assertEqual(status, expected, (endpoint, key, length))
        self.assertEqual(self.backend.api("GET", "pay_status?order_no=" + "A" * 65)[0], 400)

    def test_limit_must_be_a_plain_number_from_1_to_100(self):
        for limit in ("1", "100", "007", "abc", "-1", "1e3", "\u0663", "\u00b2", "9" * 23, "",
                      "0", "101", " 5", "+5", "5.0", "0x10"):
            with self.subTest(limit=limit):
                status, _ = self.backend.api(
                    "GET", "orders/latest?machine_code=M&limit=" + urllib.parse.quote(limit))
                self.assertEqual(status, 200 if limit in ("1", "100", "007") else 400)


class ExpiryTest(BackendTestCase):
    options = ("--countdown-seconds", "1", "--simulate-payments")

    def test_unpaid_order_expires_after_its_countdown(self):
        intent = self.intent()
        order_no = intent["pay_order_no"]
        self.assertEqual(intent["countdown_seconds"], 1)
        self.assertEqual(self.status_of(order_no), "pending")
        csrf = self.pay_field(order_no)
        time.sleep(1.3)
        listed = self.orders()[0]
        self.assertEqual((listed["order_no"], listed["status"]), (order_no, "expired"))
        self.assertEqual(listed["download_url"], "")
        self.assertEqual(self.pay(order_no, "confirm", csrf), (303, "/pay/" + order_no))
        self.assertEqual(self.status_of(order_no), "expired")
        self.assertEqual(self.login()["level"], "normal")
        # The operator can still override, e.g. for a late payment.
        self.admin_mark(order_no, "paid")
        self.assertEqual(self.status_of(order_no), "success")


class AutoPayTest(BackendTestCase):
    options = ("--auto-pay", "0.5", "--simulate-payments")

    def test_pending_order_is_paid_automatically(self):
        order_no = self.intent(machine="USER-AUTO0000-00000000")["pay_order_no"]
        self.assertEqual(self.status_of(order_no), "pending")
        time.sleep(0.8)
        self.assertEqual(self.status_of(order_no), "success")
        paid = self.orders("USER-AUTO0000-00000000")[0]
        self.assertTrue(paid["alipay_trade_no"].startswith("SIM") and paid["download_url"])
        self.assertEqual(self.login("USER-AUTO0000-00000000")["level"], "vip")


class PersistenceTest(BackendTestCase):

    def test_restart_keeps_users_orders_and_catalogue(self):
        before = self.login()
        order_no = self.intent()["pay_order_no"]
        self.admin_mark(order_no, "success")
        paid = self.orders()
        games = self.backend.data("GET", "games")["games"]

        self.backend.stop()
        self.backend.start()
        after = self.login()
        self.assertEqual((after["uid"], after["machine_id"], after["level"]),
                         (before["uid"], before["machine_id"], "vip"))
        self.assertEqual(self.orders(), paid)
        self.assertEqual(self.backend.data("GET", "games")["games"], games)
        self.assertEqual(len(self.backend.data("GET", "products")), 1)


class SimulatedPaymentsOffTest(BackendTestCase):

    def test_only_the_operator_settles_without_simulated_payments(self):
        order_no = self.intent()["pay_order_no"]
        for method, path in (("GET", "/pay/" + order_no),
                             ("POST", "/pay/%s/confirm" % order_no)):
            self.assertEqual(self.backend.request(method, path, b"csrf=" + b"0" * 64, FORM)[0],
                             404, path)
        self.assertEqual(self.status_of(order_no), "pending")
        code, _, err = start_refused(os.path.join(self.tmp.name, "auto.db"), "--auto-pay", "1")
        self.assertEqual(code, 2)
        self.assertIn("--simulate-payments", err)
        self.admin_mark(order_no, "paid")
        self.assertEqual(self.status_of(order_no), "success")


class MachineCodeTest(BackendTestCase):

    def test_codes_are_trimmed_and_invisible_characters_refused(self):
        plain = self.login("USER-TRIM-0001")
        padded = self.login(" \tUSER-TRIM-0001\u3000 ")
        self.assertEqual((padded["machine_code"], padded["machine_id"]),
                         ("USER-TRIM-0001", plain["machine_id"]))
        order_no = self.intent("USER-TRIM-0001 ")["pay_order_no"]
        self.assertEqual(self.orders("%20USER-TRIM-0001%20")[0]["order_no"], order_no)
        login = {"exe_name": "a.exe", "channel_code": "1", "qhclickid": "q"}
        intent = {"game_name": "g", "channel_code": "1", "apply_discount": False}
        for bad in ("USER-TRIM-0001\u200b", "\ufeffUSER", "USER\u2060X", "\u202eUSER", "USER\x00X",
                    "USER\x1bX", "USER\x7fX", "USER\x85X", "USER\u2028X", " \t\u3000 "):
            with self.subTest(code=bad):
                for endpoint, body in (("login", login), ("pay_intent", intent)):
                    status, _ = self.backend.api("POST", endpoint, dict(body, machine_code=bad))
                    self.assertEqual(status, 400, endpoint)
                status, _ = self.backend.api(
                    "GET", "orders/latest?machine_code=" + urllib.parse.quote(bad))
                self.assertEqual(status, 400)

    def test_varied_codes_from_one_address_meet_the_limit(self):
        def order(code, source):
            return self.backend.request("POST", "/api/v1/pay_intent", {
                "machine_code": code, "game_name": "g", "channel_code": "1",
                "apply_discount": False}, source=source)[0]
        statuses = [order("VARY-%02d" % i, "127.0.0.5") for i in range(30)]
        # A burst of 20, then about one a second.
        self.assertGreaterEqual(statuses.count(429), 8, statuses)
        self.assertEqual(order("VARY-29", "127.0.0.6"), 200)   # another address, its own budget


class OperatorTest(BackendTestCase):
    options = ("--simulate-payments",)

    def test_operator_area_needs_the_token_or_a_session(self):
        order_no = self.intent("USER-OPER-0001")["pay_order_no"]
        for method, path in [("GET", "/admin"), ("GET", "/admin/elsewhere"),
                             ("POST", "/admin/logout"), ("POST", "/admin/orders/%s/paid" % order_no)]:
            for headers, expected in (({}, 401),
                                      ({"Cookie": "orvane_operator=" + self.backend.token()}, 401),
                                      ({"Authorization": "Bearer " + self.backend.token()[:-1]}, 403)):
                # Wrong tokens from an address of their own: failures count per address.
                self.assertEqual(self.backend.request(method, path, headers=headers,
                                                      source="127.0.0.4")[0], expected,
                                 (method, path, headers))
        self.assertEqual(self.backend.request("POST", "/admin/login", b"token=wrong", FORM)[0], 403)
        code, headers, _ = self.backend.request(
            "POST", "/admin/login", ("token=" + self.backend.token()).encode(), FORM)
        self.assertEqual((code, headers["Location"]), (303, "/admin"))
        self.assertRegex(headers["Set-Cookie"],
                         r"^orvane_operator=\S+; Path=/admin; HttpOnly; SameSite=Strict$")
        session = dict(FORM, Cookie=headers["Set-Cookie"].split(";")[0])
        code, _, page = self.backend.request("GET", "/admin", headers=session)
        self.assertIn(order_no.encode(), page)
        csrf = CSRF_FIELD.search(page).group(1).decode()
        action = "/admin/orders/%s/failed" % order_no
        for body in ("", "csrf=" + "0" * len(csrf), "csrf=" + self.pay_field(order_no), "csrf=" + csrf):
            code, _, _ = self.backend.request("POST", action, body.encode(), session)
            self.assertEqual(code, 303 if body == "csrf=" + csrf else 403, body)
            self.assertEqual(self.status_of(order_no), "failed" if code == 303 else "pending")
        self.admin_mark(order_no, "refunded")      # Bearer: no form, so no field
        self.assertEqual(self.status_of(order_no), "refunded")
        self.backend.request("POST", "/admin/logout", ("csrf=" + csrf).encode(), session)
        self.assertEqual(self.backend.request("GET", "/admin", headers=session)[0], 401)

    def test_payer_forms_carry_a_csrf_field(self):
        order_no, other = (self.intent("USER-OPER-0003")["pay_order_no"] for _ in range(2))
        csrf = self.pay_field(order_no)
        for wrong in (None, "0" * len(csrf), self.pay_field(other)):
            self.assertEqual(self.pay(order_no, "confirm", wrong)[0], 403, wrong)
        self.assertEqual(self.status_of(order_no), "pending")
        self.assertEqual(self.pay(order_no, "confirm", csrf), (303, "/pay/" + order_no))
        self.assertEqual(self.status_of(order_no), "success")
        self.assertRegex(self.orders("USER-OPER-0003")[-1]["alipay_trade_no"], r"^SIM\d{20}$")

    def test_token_file_is_made_once_and_an_explicit_token_wins(self):
        path, token = self.backend.db + ".admin-token", self.backend.token()
        self.assertEqual((len(token), file_mode(path), file_mode(self.backend.db)), (43, 0o600, 0o600))
        # Only the file holds it: neither the start-up notes nor the request log.
        self.assertNotIn(token, "\n".join(self.backend.notes))
        self.assertIn(path, " ".join(self.backend.notes))
        self.backend.stop()
        with open(self.backend.db + ".stderr") as f:
            self.assertNotIn(token, f.read())
        code, out, err = start_refused(self.backend.db, "--admin-token", "fifteen-chars-x")
        self.assertEqual((code, out), (2, ""))
        self.assertIn("at least 16 characters", err)
        explicit = Backend(self.backend.db, "--admin-token", "s3cret-operator-16")
        explicit.start()
        try:
            for bearer, expected in ((token, 403), ("s3cret-operator-16", 200)):
                self.assertEqual(explicit.request("GET", "/admin", headers={
                    "Authorization": "Bearer " + bearer})[0], expected)
        finally:
            explicit.stop()
        self.backend.start()
        self.assertEqual(self.backend.token(), token)
        self.assertNotIn(token, " ".join(self.backend.notes))
        self.assertIn(path, " ".join(self.backend.notes))


class OperatorLoginLimitTest(BackendTestCase):

    def test_failed_logins_are_limited_per_address(self):
        token = self.backend.token()
        good_form, good_bearer = ("token=" + token).encode(), {"Authorization": "Bearer " + token}
        for _ in range(5):
            self.assertEqual(self.backend.request("POST", "/admin/login", b"token=guess", FORM)[0], 403)
        # Then even the right token waits: the guesses must stop mattering.
        for method, path, body, headers in (("POST", "/admin/login", good_form, FORM),
                                            ("GET", "/admin", None, good_bearer)):
            code, reply_headers, _ = self.backend.request(method, path, body, headers)
            self.assertEqual(code, 429, path)
            self.assertRegex(reply_headers["Retry-After"], r"^[1-9][0-9]?$")
        code, _, _ = self.backend.request("POST", "/admin/login", good_form, FORM, source="127.0.0.2")
        self.assertEqual(code, 303)
        for _ in range(5):  # wrong Bearer tokens are guesses too
            self.assertEqual(self.backend.request("GET", "/admin", headers={
                "Authorization": "Bearer guess"}, source="127.0.0.3")[0], 403)
        self.assertEqual(self.backend.request("GET", "/admin", headers=good_bearer,
                                              source="127.0.0.3")[0], 429)


class HostTest(BackendTestCase):
    options = ("--test-mode", "--allow-host", "Shop.LAN", "--allow-host", "192.168.7.7:8001")

    def test_only_expected_host_names_are_served(self):
        for host, expected in [("127.0.0.1:%d" % self.backend.port, 200), ("LocalHost:1", 200),
                               ("[::1]:80", 200), ("SHOP.LAN:80", 200), ("192.168.7.7", 200),
                               ("evil.example", 421), ("127.0.0.1.evil.example", 421),
                               ("localhost:abc", 421), ("localhost:80:80", 421), ("[::2]", 421),
                               ("", 421), ("192.168.7.8", 421), (None, 421)]:
            with self.subTest(host=host):
                self.assertEqual(self.backend.raw_get("/api/v1/games", host)[0], expected)
        for path, start in (("/__test__/requests", b'{"code":421,'), ("/admin", b"this server")):
            status, _, body = self.backend.raw_get(path, "evil.example")
            self.assertEqual((status, body[:len(start)]), (421, start))
        twice = b"".join(self.backend.raw(b"GET /api/v1/games HTTP/1.1\r\nHost: localhost\r\n"
                                          b"Host: evil.example\r\nConnection: close\r\n\r\n"))
        self.assertTrue(twice.startswith(b"HTTP/1.1 421"), twice[:40])

    def test_wildcard_address_is_not_a_host_name(self):
        wildcard = Backend(os.path.join(self.tmp.name, "wildcard.db"), "--host", "0.0.0.0")
        wildcard.start()
        try:
            self.assertTrue(wildcard.notes[-1].startswith("bound to every interface"))
            self.assertEqual(wildcard.raw_get("/api/v1/games", "0.0.0.0")[0], 421)
            self.assertEqual(wildcard.raw_get("/api/v1/games", "localhost")[0], 200)
        finally:
            wildcard.stop()


class RateLimitTest(BackendTestCase):
    options = ("--intent-rate", "3/4")

    def test_order_flood_from_one_machine_is_slowed_down(self):
        flood = {"machine_code": "M1", "game_name": "g", "channel_code": "1", "apply_discount": False}
        for _ in range(3):
            self.intent("M1")
        code, headers, data = self.backend.request("POST", "/api/v1/pay_intent", flood)
        self.assertEqual((code, json.loads(data)["code"], headers["Retry-After"]), (429, 429, "1"))
        # Another machine from another address has a budget of its own; from
        # this address the address's budget is spent as well.
        self.assertEqual(self.backend.request("POST", "/api/v1/pay_intent",
                                              dict(flood, machine_code="M2"), source="127.0.0.2")[0], 200)
        self.assertEqual(self.backend.request("POST", "/api/v1/pay_intent",
                                              dict(flood, machine_code="M3"))[0], 429)
        time.sleep(0.3)             # four per second: one more by now
        self.intent("M1")
        self.assertEqual(self.backend.request("POST", "/api/v1/pay_intent", flood)[0], 429)


class SettleTest(unittest.TestCase):

    def test_settling_reads_only_due_pending_orders_through_an_index(self):
        with tempfile.TemporaryDirectory() as tmp:
            path = os.path.join(tmp, "store.db")
            store.Store(path).close()
            conn = sqlite3.connect(path)
            for query in (store.DUE_FOR_AUTO_PAY, store.DUE_FOR_EXPIRY):
                plan = " ".join(r[3] for r in conn.execute("EXPLAIN QUERY PLAN " + query, (0,)))
                self.assertIn("USING INDEX", plan)
                self.assertNotIn("SCAN", plan)
            conn.close()


class TestModeTest(BackendTestCase):
    options = ("--test-mode",)

    def setUp(self):
        self.backend.data("POST", "reset", prefix="/__test__/")

    def script(self, endpoint, *replies):
        return self.backend.data("POST", "script",
                                 {"endpoint": endpoint, "replies": list(replies)},
                                 prefix="/__test__/")

    def logged(self):
        return self.backend.data("GET", "requests", prefix="/__test__/")

    def test_scripted_replies_are_consumed_in_order(self):
        self.assertEqual(self.script("games", {"status": 500, "body": "boom"},
                                     {"body_b64": base64.b64encode(b"\x00\xff\xc3").decode(),
                                      "headers": {"Content-Type": "image/png", "X-Extra": "1"}}),
                         {"endpoint": "games", "queued": 2})
        self.assertEqual(self.backend.request("GET", "/api/v1/games")[::2], (500, b"boom"))
        status, headers, body = self.backend.request("GET", "/api/v1/games?x=1")
        self.assertEqual((status, body), (200, b"\x00\xff\xc3"))
        self.assertEqual((headers["Content-Type"], headers["X-Extra"]), ("image/png", "1"))
        self.assertIn("games", self.backend.data("GET", "games"))    # queue empty: real reply

    def test_chunked_reply_keeps_split_utf8_intact(self):
        body = '{"code":0,"msg":"ok","data":{"games":["奥凡"]}}'.encode("utf-8")
        split = body.index("奥".encode("utf-8")) + 1     # inside the three-byte character
        for reply in ({"body": body.decode(), "chunk_sizes": [split, 2], "chunk_delay_ms": 80},
                      {"body": body.decode(), "chunks": [[split, 80], [2, 80]]}):
            with self.subTest(reply=reply):
                self.script("/api/v1/games", reply)
                started = time.monotonic()
                pieces = self.backend.raw(b"GET /api/v1/games HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n")
                self.assertGreaterEqual(time.monotonic() - started, 0.15)
                whole = b"".join(pieces)
                head, _, received = whole.partition(b"\r\n\r\n")
                self.assertEqual(received, body)
                self.assertIn(b"Content-Length: %d" % len(body), head)
                offset, body_reads = len(head) + 4, 0
                for piece in pieces:
                    offset -= len(piece)
                    body_reads += offset < 0
                self.assertGreaterEqual(body_reads, 3)

    def test_drop_and_delay(self):
        self.script("login", {"drop": True, "delay_ms": 200})
        started = time.monotonic()
        self.assertEqual(self.backend.raw(b"POST /api/v1/login HTTP/1.1\r\nHost: 127.0.0.1\r\n"
                                          b"Content-Length: 2\r\n\r\n{}"), [])
        self.assertGreaterEqual(time.monotonic() - started, 0.2)
        status, reply = self.backend.api("POST", "login", b"{}")
        self.assertEqual(status, 400)

    def test_non_api_paths_can_be_scripted(self):
        self.script("/static/qq.png", {"body": "img"})
        self.assertEqual(self.backend.request("GET", "/static/qq.png")[::2], (200, b"img"))
        self.assertEqual(self.backend.request("GET", "/static/qq.png")[0], 404)

    def test_invalid_scripts_are_rejected(self):
        for bad in ({"endpoint": "", "replies": [{}]}, {"endpoint": "games", "replies": []},
                    {"endpoint": "games", "replies": [{"status": "500"}]},
                    {"endpoint": "games", "replies": [{"body_b64": "***"}]},
                    {"endpoint": "games", "replies": [{"chunks": [[0, 1]]}]},
                    {"endpoint": "games", "replies": [{"headers": {"X": "a\r\nb"}}]},
                    {"endpoint": "games", "replies": [{"delay_ms": 1e9}]},
                    {"endpoint": "games", "replies": [{"endless": "yes"}]},
                    {"endpoint": "games", "replies": [{"filler": "x"}]},
                    {"endpoint": "games", "replies": [{"endless": True, "filler": ""}]},
                    {"endpoint": "games", "replies": [{"omit_headers": "Content-Length"}]},
                    {"endpoint": "games", "replies": [{"close_after": -1}]}):
            with self.subTest(script=bad):
                status, reply = self.backend.api("POST", "script", bad, prefix="/__test__/")
                self.assertEqual((status, reply["code"]), (400, 400))
        self.assertIn("games", self.backend.data("GET", "games"))

    def test_endless_and_trickling_replies_end_with_their_client(self):
        for path, reply, wanted in (
                ("/endless", {"endless": True}, 1 << 20),
                ("/trickle", {"body": "abcdef", "chunk_sizes": [1] * 5, "chunk_delay_ms": 2000}, 1)):
            self.script(path, reply)
            with socket.create_connection(("127.0.0.1", self.backend.port), timeout=5) as s:
                s.sendall(b"GET %s HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n" % path.encode())
                received = b""
                while len(received.partition(b"\r\n\r\n")[2]) < wanted:
                    received += s.recv(1 << 16)
            # Logged as the exchange ends: within a second, well inside the trickle's pause.
            self.assertTrue(self.backend.wait_log(
                r'"GET %s HTTP/1.1" 200 \d+ .*client gone$' % path, 1), path)
            entry = [r for r in self.logged() if r["target"] == path][-1]
            self.assertLess(entry["ended_ms"] - entry["received_ms"], 1500, path)

    def test_cut_replies(self):
        every = {"Server", "Date", "Content-Type", "Connection"}
        ten = "0123456789"
        # (reply, headers besides Content-Length, Content-Length or None, body received)
        for reply, names, length, body in [
                ({"body": ten, "close_after": 4}, every, "10", b"0123"),
                ({"body": ten, "close_after": 4, "omit_headers": ["content-LENGTH"]}, every, None,
                 b"0123"),
                ({"body": ten, "omit_headers": ["Content-Length", "Date", "Server", "Content-Type"]},
                 {"Connection"}, None, ten.encode()),
                ({"body": "{}", "close_after": 0}, every, "2", b""),
                ({"endless": True, "close_after": 100000}, every, None, b"A" * 100000),
                ({"endless": True, "body": "{", "filler": "[", "close_after": 5,
                  "headers": {"Content-Length": "3"}}, every, "3", b"{[[[[")]:
            with self.subTest(reply=reply):
                self.script("/cut", reply)
                status, head, received = self.backend.raw_get("/cut")
                headers = dict(line.split(": ", 1) for line in head.split("\r\n")[1:])
                self.assertEqual((status, received), (200, body))
                self.assertEqual(headers.pop("Content-Length", None), length)
                self.assertEqual(set(headers), names)

    def test_redirect_loop(self):
        url = "http://127.0.0.1:%d/api/v1/games" % self.backend.port
        self.script("games", *[{"status": 302, "headers": {"Location": url}}] * 5)
        opener = urllib.request.build_opener(urllib.request.ProxyHandler({}))
        with self.assertRaises(urllib.error.HTTPError) as caught:
            opener.open(url, timeout=5)     # follows four redirects, then calls it a loop
        caught.exception.close()
        self.assertIn("infinite loop", caught.exception.msg)
        self.assertEqual([r["target"] for r in self.logged()], ["/api/v1/games"] * 5)

    def test_order_status_shortcut(self):
        order_no = self.backend.data("POST", "pay_intent", {
            "machine_code": "M", "game_name": "g", "channel_code": "1",
            "apply_discount": False})["pay_order_no"]
        for status, stored in (("paid", "success"), ("refunded", "refunded")):
            self.assertEqual(self.backend.data("POST", "orders/%s/%s" % (order_no, status),
                                               prefix="/__test__/"),
                             {"order_no": order_no, "status": stored})
        self.assertEqual(self.backend.data("GET", "orders/latest?machine_code=M")[0]["status"],
                         "refunded")
        self.assertEqual(self.backend.api("POST", "orders/OD0000NOPE/paid", prefix="/__test__/")[0],
                         404)

    def test_request_log_records_everything_but_itself(self):
        body = '{"exe_name":"奥凡.exe","machine_code":"M"}'.encode("utf-8")
        self.backend.request("POST", "/api/v1/login", body,
                             {"User-Agent": "OrvaneDownloader/1.0",
                              "Content-Type": "application/json"})
        self.backend.request("GET", "/api/v1/orders/latest?limit=100&machine_code=M")
        self.backend.request("POST", "/api/v1/pay_intent", b"\xff{")
        self.backend.raw(b"BROKEN\r\n\r\n")
        log = self.logged()
        self.assertEqual(len(log), 4)
        login, orders, malformed, broken = log
        self.assertEqual((login["method"], login["target"]), ("POST", "/api/v1/login"))
        self.assertEqual(login["headers"]["User-Agent"], "OrvaneDownloader/1.0")
        self.assertEqual(login["headers"]["Content-Type"], "application/json")
        self.assertEqual(base64.b64decode(login["body_b64"]), body)
        self.assertEqual(login["body_text"], body.decode("utf-8"))
        self.assertEqual(orders["target"], "/api/v1/orders/latest?limit=100&machine_code=M")
        self.assertEqual(base64.b64decode(malformed["body_b64"]), b"\xff{")
        self.assertIsNone(malformed["body_text"])
        self.assertEqual(broken["request_line"], "BROKEN")
        for entry in log:
            self.assertLessEqual(entry["received_ms"], entry["ended_ms"])

        self.script("games", {"status": 503})
        self.backend.data("POST", "reset", prefix="/__test__/")
        self.assertEqual(self.logged(), [])
        self.assertIn("games", self.backend.data("GET", "games"))


if __name__ == "__main__":
    unittest.main()
