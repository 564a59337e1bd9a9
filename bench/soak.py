"""Soak: the real program in a real window through hundreds of purchases,
orders-page visits and support-page visits, with the process's threads,
handles, GDI objects and working set printed along the way; they must stay
flat. A paid purchase makes the user a member, after which install opens the
member's download dialog instead, so all purchases but the last lapse at the
backend (the same workers, QR code, poller, result card, timer and orders
refresh as a paid one); the last is paid on the payer's page.

usage: soak.py [PURCHASES] [VISITS]   (environment as for the end-to-end tests)"""

import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from harness import Backend, Session, wait_until  # noqa: E402

INSTALL = (600, 460)
HOME = (50, 75)
ORDERS_BTN = (940, 25)
SUPPORT_BTN = (1030, 25)
DIALOG_CLOSE = (950, 155)
RED = (255, 100, 100)
GOLD = (226, 180, 77)


def near(rgb, want, tol=12):
    return all(abs(a - b) <= tol for a, b in zip(rgb, want))


def count(img, box, want, tol=12, step=2):
    x0, y0, x1, y1 = box
    return sum(1 for y in range(y0, y1, step) for x in range(x0, x1, step) if near(img.getpixel((x, y)), want, tol))


def shot_until(s, predicate, timeout=15):
    deadline = time.time() + timeout
    while time.time() < deadline:
        if predicate(s.client_shot()):
            return True
        time.sleep(0.2)
    return False


def report(label, s, first=None):
    st = s.stats()
    line = "%-28s threads %3d  handles %5d  GDI %5d  working set %7.1f MiB" % (
        label, st["threads"], st["handles"], st["gdi"], st["working_set_kib"] / 1024.0)
    if first:
        line += "  (%+d threads, %+d handles, %+d GDI, %+.1f%% memory)" % (
            st["threads"] - first["threads"], st["handles"] - first["handles"], st["gdi"] - first["gdi"],
            100.0 * (st["working_set_kib"] - first["working_set_kib"]) / first["working_set_kib"])
    print(line, flush=True)
    return st


def main():
    purchases = int(sys.argv[1]) if len(sys.argv) > 1 else 200
    visits = int(sys.argv[2]) if len(sys.argv) > 2 else 200
    started = time.time()
    with Backend(extra_args=["--countdown-seconds", "1", "--intent-rate", "1000/100"]) as backend, \
            Session("soak", backend=backend.api) as s:
        proc = s.start()
        s.wait_window()
        if not wait_until(lambda: "Games parsed" in s.log_text(), timeout=60):
            raise SystemExit("the program did not start")
        time.sleep(2)
        report("after start-up", s)

        def lapsed_purchase(i):
            s.click_client(*INSTALL, settle=0.1)
            # The order lapses: the failure card, then the lapsed order's details.
            if not shot_until(s, lambda img: count(img, (270, 475, 930, 515), RED) > 10, timeout=20):
                raise SystemExit("purchase %d: no lapsed order shown" % i)
            s.click_client(*DIALOG_CLOSE, settle=0.1)
            s.click_client(*HOME, settle=0.1)

        def orders_visit(i):
            s.click_client(*ORDERS_BTN, settle=0.1)
            if not shot_until(s, lambda img: near(img.getpixel((900, 282)), (150, 150, 150), 8)):
                raise SystemExit("orders visit %d: no table" % i)
            s.click_client(*HOME, settle=0.1)

        def support_visit(i):
            s.click_client(*SUPPORT_BTN, settle=0.1)
            if not shot_until(s, lambda img: near(img.getpixel((600, 221)), (255, 255, 255), 0)):
                raise SystemExit("support visit %d: no picture" % i)
            s.click_client(*HOME, settle=0.1)

        # Each page keeps its drawn layers once it has been shown (a few
        # window-sized bitmaps): one round first, so that the figures below
        # show growth over repetitions rather than those caches being made.
        lapsed_purchase(0)
        orders_visit(0)
        support_visit(0)
        time.sleep(1)
        first = report("after one round of each", s)

        for i in range(1, purchases + 1):
            lapsed_purchase(i)
            if i % 50 == 0 or i == purchases:
                report("after %d purchases" % i, s, first)
        for i in range(1, visits + 1):
            orders_visit(i)
        report("after %d orders visits" % visits, s, first)
        for i in range(1, visits + 1):
            support_visit(i)
        report("after %d support visits" % visits, s, first)

        s.click_client(*INSTALL, settle=0.5)
        order = wait_until(lambda: backend.latest_order(s.machine_code()), timeout=10)
        backend.pay(order["order_no"])
        if not shot_until(s, lambda img: count(img, (820, 497, 930, 537), GOLD, 6) > 100, timeout=20):
            raise SystemExit("the paid purchase did not open its details")
        s.click_client(*DIALOG_CLOSE, settle=0.1)
        s.click_client(*HOME, settle=0.1)
        time.sleep(2)
        report("after the paid purchase", s, first)
        s.key("Escape")
        code = s.wait_exit(proc, 30)
    print("soak done in %.0f s, exit code %d" % (time.time() - started, code))


if __name__ == "__main__":
    main()
