"""The purchase as a user makes it, in the real window against the local
backend: install, the QR code, paying on the payer's page, the success card,
the orders page with the paid order's details and its link copied; the
coupon purchase and a refused payment; resuming a pending order; paging and
copying on the orders page; a member's download dialog; the support page.
Pixels are read at the layout's 96-DPI coordinates."""

import json
import os
import sys
import time
import unittest
import urllib.parse

sys.path.insert(0, os.path.dirname(__file__))
from harness import Backend, Session, artifacts_dir, wait_until  # noqa: E402

INSTALL = (600, 460)
CLOSE = (1180, 25)
ORDERS_BTN = (940, 25)
SUPPORT_BTN = (1030, 25)
HOME = (50, 75)
COUPON_CONFIRM = (700, 460)
QR_SQUARE = (699, 315, 839, 455)
RESULT_TITLE = (400, 285, 800, 325)       # card {400,235,800,485}, title rows ct+50..ct+90
DIALOG_COPY = (875, 517)                  # copy button {820,497,930,537}
VIP_COPY_BOX = (820, 377, 930, 417)       # a member's dialog has two rows fewer
DIALOG_CLOSE = (950, 155)                 # close mark of the card {220,135,980,585}
TOAST = (820, 539, 930, 562)
GREEN = (120, 200, 120)
RED = (255, 100, 100)
GOLD = (226, 180, 77)


def near(rgb, want, tol=12):
    return all(abs(a - b) <= tol for a, b in zip(rgb, want))


def count(img, box, want, tol=12):
    x0, y0, x1, y1 = box
    return sum(1 for y in range(y0, y1) for x in range(x0, x1) if near(img.getpixel((x, y)), want, tol))


def dark_share(img, box):
    x0, y0, x1, y1 = box
    dark = sum(1 for y in range(y0, y1) for x in range(x0, x1) if max(img.getpixel((x, y))) < 60)
    return dark / float((x1 - x0) * (y1 - y0))


class PurchaseFlow(unittest.TestCase):
    def backend(self):
        return Backend(test_mode=True)

    def session(self, name, backend):
        return Session(name, backend=backend.api)

    def start(self, s):
        proc = s.start()
        s.wait_window()
        self.assertTrue(wait_until(lambda: "Games parsed count=" in s.log_text(), timeout=40))
        time.sleep(0.8)
        return proc

    def shot(self, s, name):
        img = s.client_shot()
        img.save(os.path.join(artifacts_dir(), name + ".png"))
        return img

    def wait_shot(self, s, predicate, timeout=10):
        """The first client screenshot for which predicate holds, else the last."""
        deadline = time.time() + timeout
        while True:
            img = s.client_shot()
            if predicate(img) or time.time() > deadline:
                return img
            time.sleep(0.25)

    def wait_order(self, backend, s):
        return wait_until(lambda: backend.latest_order(s.machine_code()), timeout=10)

    def test_purchase_paid_on_the_phone_ends_with_the_link_copied(self):
        with self.backend() as backend, self.session("purchase", backend) as s:
            proc = self.start(s)
            s.click_client(*INSTALL)
            img = self.wait_shot(s, lambda i: dark_share(i, QR_SQUARE) > 0.25)
            img.save(os.path.join(artifacts_dir(), "purchase-qr.png"))
            self.assertGreater(dark_share(img, QR_SQUARE), 0.25, "the backend's QR code is shown")
            self.assertTrue(near(img.getpixel((230, 560)), (25, 25, 25), 3), "panel {220,150,980,570}")
            self.assertGreater(count(img, (760, 225, 880, 260), (255, 80, 80), 30), 20, "red countdown")

            order = self.wait_order(backend, s)
            self.assertEqual(order["status"], "pending")
            intents = [r for r in backend.requests() if r["target"] == "/api/v1/pay_intent"]
            self.assertEqual(len(intents), 1)
            self.assertEqual(json.loads(intents[0]["body_text"]),
                             {"machine_code": s.machine_code(), "game_name": order["game_name"],
                              "channel_code": "OrvaneDownloader", "apply_discount": False})
            self.assertNotIn(" ", intents[0]["body_text"].replace(order["game_name"], ""))

            backend.pay(order["order_no"])
            img = self.wait_shot(s, lambda i: count(i, RESULT_TITLE, GREEN) > 30, timeout=6)
            img.save(os.path.join(artifacts_dir(), "purchase-success.png"))
            self.assertGreater(count(img, RESULT_TITLE, GREEN), 30, "✓ 支付成功 in green")

            # 1.2 s later: the orders page with the paid order's details.
            img = self.wait_shot(s, lambda i: count(i, (820, 497, 930, 537), GOLD, 6) > 500, timeout=6)
            img.save(os.path.join(artifacts_dir(), "purchase-details.png"))
            self.assertGreater(count(img, (820, 497, 930, 537), GOLD, 6), 500, "gold copy button")
            targets = [r["target"] for r in backend.requests()]
            self.assertTrue(any(t.startswith("/api/v1/orders/latest?limit=100&machine_code=") for t in targets))

            s.set_clipboard("marker")
            s.click_client(*DIALOG_COPY)
            paid = backend.latest_order(s.machine_code())
            self.assertEqual(paid["status"], "success")
            self.assertTrue(wait_until(lambda: s.clipboard() == paid["download_url"], timeout=5), s.clipboard())
            img = s.client_shot()
            self.assertGreater(count(img, TOAST, GREEN, 20), 10, "已复制 under the button")
            time.sleep(1.8)
            self.assertLess(count(s.client_shot(), TOAST, GREEN, 20), 3, "the toast is gone after 1.5 s")

            s.click_client(*DIALOG_CLOSE)
            img = self.shot(s, "orders-after-purchase")
            self.assertTrue(near(img.getpixel((900, 282)), GREEN, 6), "the paid order's 已完成 button")

            # Now a member: install opens the download dialog instead.
            s.set_clipboard("marker")
            s.click_client(*HOME)
            s.click_client(*INSTALL)
            img = self.wait_shot(s, lambda i: count(i, VIP_COPY_BOX, GOLD, 6) > 500, timeout=6)
            img.save(os.path.join(artifacts_dir(), "vip-download.png"))
            self.assertGreater(count(img, VIP_COPY_BOX, GOLD, 6), 500, "the member's download dialog")
            s.click_client(875, 397)
            expected = backend.json("/api/v1/games/download?name=" + urllib.parse.quote(order["game_name"]))
            self.assertTrue(wait_until(lambda: s.clipboard() == expected["download_url"], timeout=5), s.clipboard())
            s.click_client(100, 650)  # outside the card
            self.assertLess(count(s.client_shot(), VIP_COPY_BOX, GOLD, 6), 50, "an outside click closes it")

            s.click_client(*SUPPORT_BTN)
            img = self.wait_shot(s, lambda i: near(i.getpixel((600, 221)), (255, 255, 255), 0), timeout=6)
            img.save(os.path.join(artifacts_dir(), "support.png"))
            self.assertTrue(near(img.getpixel((600, 221)), (255, 255, 255), 0), "the white frame")
            self.assertGreater(dark_share(img, (500, 240, 700, 420)), 0.2, "the fetched QQ picture")
            fetched = [r["target"] for r in backend.requests() if r["target"].startswith("/api/v1/support/qq")]
            self.assertGreaterEqual(fetched.count("/api/v1/support/qq.png"), 2, "at start-up and on the button")

            s.key("Escape")
            self.assertEqual(s.wait_exit(proc, 20), 0)

    def test_coupon_purchase_refused_then_a_pending_order_resumed(self):
        with Backend(test_mode=True) as backend, Session("coupon", backend=backend.api) as s:
            proc = self.start(s)
            s.click_client(*CLOSE)
            img = self.shot(s, "coupon-popup")
            self.assertEqual(img.getpixel((60, 650)), (0, 0, 0), "the page is hidden under black")
            self.assertGreater(count(img, (640, 440, 760, 480), GOLD, 6), 1000, "确定")
            s.click_client(*COUPON_CONFIRM)
            self.assertIsNotNone(self.wait_order(backend, s))
            intent = [r for r in backend.requests() if r["target"] == "/api/v1/pay_intent"][-1]
            self.assertTrue(json.loads(intent["body_text"])["apply_discount"])
            order = backend.latest_order(s.machine_code())
            self.assertAlmostEqual(order["pay_amount"], 29.9)

            backend.pay(order["order_no"], accept=False)
            img = self.wait_shot(s, lambda i: count(i, RESULT_TITLE, RED) > 30, timeout=6)
            img.save(os.path.join(artifacts_dir(), "purchase-failed.png"))
            self.assertGreater(count(img, RESULT_TITLE, RED), 30, "支付失败 in red")
            started = time.time()
            img = self.wait_shot(s, lambda i: count(i, (270, 475, 930, 515), RED) > 30, timeout=6)
            self.assertGreater(time.time() - started, 1.0, "the failure card stays for 2 s")
            img.save(os.path.join(artifacts_dir(), "lapsed-details.png"))
            self.assertGreater(count(img, (270, 475, 930, 515), RED), 30, "订单已失效，请重新购买")
            s.click_client(*DIALOG_CLOSE)

            # A new order left pending, then resumed from the orders page.
            s.click_client(*HOME)
            s.click_client(*INSTALL)
            self.assertTrue(wait_until(lambda: backend.latest_order(s.machine_code())["order_no"]
                                       != order["order_no"], timeout=10))
            pending = backend.latest_order(s.machine_code())
            s.click_client(*HOME)
            s.click_client(*ORDERS_BTN)
            img = self.wait_shot(s, lambda i: near(i.getpixel((900, 282)), RED, 6), timeout=6)
            self.assertTrue(near(img.getpixel((900, 282)), RED, 6), "待支付 in red on the first row")
            intents = len([r for r in backend.requests() if r["target"] == "/api/v1/pay_intent"])
            s.click_client(935, 290)
            img = self.wait_shot(s, lambda i: dark_share(i, QR_SQUARE) > 0.25, timeout=8)
            self.assertGreater(dark_share(img, QR_SQUARE), 0.25, "the pending order's QR again")
            self.assertEqual(len([r for r in backend.requests() if r["target"] == "/api/v1/pay_intent"]), intents,
                             "resuming creates no order")
            backend.pay(pending["order_no"])
            img = self.wait_shot(s, lambda i: count(i, RESULT_TITLE, GREEN) > 30, timeout=6)
            self.assertGreater(count(img, RESULT_TITLE, GREEN), 30)

            s.key("Escape")
            self.assertEqual(s.wait_exit(proc, 20), 0)

    def test_orders_pages_of_six_and_copying_numbers(self):
        with Backend(test_mode=True) as backend, Session("paging", backend=backend.api) as s:
            proc = self.start(s)
            machine = s.machine_code()
            numbers = []
            for i in range(13):
                body = json.dumps({"machine_code": machine, "game_name": "奥凡 经典版", "channel_code": "c",
                                   "apply_discount": False}).encode()
                status, reply = backend.post("/api/v1/pay_intent", body)
                self.assertEqual(status, 200, reply)
                numbers.append(json.loads(reply.decode())["data"]["pay_order_no"])
            newest_first = numbers[::-1]
            backend.post("/__test__/orders/%s/success" % newest_first[7])

            s.click_client(*ORDERS_BTN)
            img = self.wait_shot(s, lambda i: near(i.getpixel((900, 282)), RED, 6), timeout=6)
            img.save(os.path.join(artifacts_dir(), "orders-page-1.png"))
            s.click_client(300, 290)  # order number of row 0
            self.assertTrue(wait_until(lambda: s.clipboard() == newest_first[0], timeout=5), s.clipboard())

            s.click_client(940, 569)  # 下一页
            s.click_client(300, 290 + 45)  # page 2, row 1: the 8th order
            self.assertTrue(wait_until(lambda: s.clipboard() == newest_first[7], timeout=5), s.clipboard())
            s.click_client(935, 290 + 45)  # its 已完成 button opens the details
            img = self.wait_shot(s, lambda i: count(i, (820, 497, 930, 537), GOLD, 6) > 500, timeout=6)
            self.assertGreater(count(img, (820, 497, 930, 537), GOLD, 6), 500)
            s.click_client(*DIALOG_CLOSE)

            s.click_client(940, 569)
            s.click_client(300, 290)  # page 3 has the 13th order alone
            self.assertTrue(wait_until(lambda: s.clipboard() == newest_first[12], timeout=5), s.clipboard())
            img = self.shot(s, "orders-page-3")
            self.assertTrue(near(img.getpixel((900, 282)), RED, 6))
            self.assertFalse(near(img.getpixel((900, 327)), RED, 6), "only one row on the last page")
            s.set_clipboard("marker")
            s.click_client(940, 569)
            s.click_client(300, 290)
            self.assertTrue(wait_until(lambda: s.clipboard() == newest_first[12], timeout=5),
                            "no page after the last: row 0 is still the 13th order")

            s.key("Escape")
            self.assertEqual(s.wait_exit(proc, 20), 0)


if __name__ == "__main__":
    unittest.main(verbosity=2)
