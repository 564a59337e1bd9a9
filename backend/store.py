"""SQLite-backed store: machines and users, the game catalogue, the product
offer and payment orders, including the lazy expiry and auto-pay rules."""

import os
import secrets
import sqlite3
import string
import threading
import time
import urllib.parse

DOWNLOAD_BASE = "https://dl.orvane.example/installers/"
FULL_INSTALLER = "OrvaneFullSetup.exe"

ORDER_STATUSES = ("pending", "success", "failed", "expired", "refunded")

DEFAULT_GAMES = (
    "奥凡 经典版",
    "奥凡 重制版",
    "奥凡 联机版",
    "奥凡 怀旧服",
    "奥凡 高清典藏版",
)

# (name, currency, original, current, promo, countdown minutes)
DEFAULT_PRODUCTS = (
    ("终身会员", "¥", 99.0, 39.0, 29.9, 5),
)

SCHEMA = """
CREATE TABLE IF NOT EXISTS machines (
    machine_id   INTEGER PRIMARY KEY,
    machine_code TEXT NOT NULL UNIQUE,
    first_seen   REAL NOT NULL
);
CREATE TABLE IF NOT EXISTS users (
    uid           INTEGER PRIMARY KEY,
    machine_id    INTEGER NOT NULL UNIQUE REFERENCES machines(machine_id),
    exe_name      TEXT NOT NULL,
    channel_code  TEXT NOT NULL,
    qhclickid     TEXT NOT NULL,
    token         TEXT NOT NULL,
    created_at    REAL NOT NULL,
    last_login_at REAL NOT NULL
);
CREATE TABLE IF NOT EXISTS games (
    id         INTEGER PRIMARY KEY,
    name       TEXT NOT NULL UNIQUE,
    sort_order INTEGER NOT NULL DEFAULT 0
);
CREATE TABLE IF NOT EXISTS products (
    id                INTEGER PRIMARY KEY,
    name              TEXT NOT NULL,
    currency          TEXT NOT NULL,
    original_price    REAL NOT NULL,
    current_price     REAL NOT NULL,
    promo_price       REAL NOT NULL,
    countdown_minutes INTEGER NOT NULL
);
CREATE TABLE IF NOT EXISTS orders (
    order_no          TEXT PRIMARY KEY,
    machine_code      TEXT NOT NULL,
    game_name         TEXT NOT NULL,
    channel_code      TEXT NOT NULL,
    product_id        INTEGER NOT NULL,
    apply_discount    INTEGER NOT NULL,
    original_price    REAL NOT NULL,
    current_price     REAL NOT NULL,
    promo_price       REAL NOT NULL,
    pay_amount        REAL NOT NULL,
    status            TEXT NOT NULL,
    alipay_trade_no   TEXT NOT NULL DEFAULT '',
    download_url      TEXT NOT NULL DEFAULT '',
    countdown_seconds INTEGER NOT NULL,
    created_at        REAL NOT NULL,
    expire_at         REAL NOT NULL,
    updated_at        REAL NOT NULL
);
CREATE INDEX IF NOT EXISTS orders_by_machine ON orders(machine_code, created_at);
CREATE INDEX IF NOT EXISTS orders_by_expiry ON orders(status, expire_at);
CREATE INDEX IF NOT EXISTS orders_by_creation ON orders(status, created_at);
"""

# Every read settles pending orders first, so these two must only touch the
# pending orders that are due, never the whole table.
DUE_FOR_AUTO_PAY = "SELECT * FROM orders WHERE status = 'pending' AND created_at <= ?"
DUE_FOR_EXPIRY = "SELECT * FROM orders WHERE status = 'pending' AND expire_at <= ?"

# Trade numbers this backend makes up itself say who settled the order, so
# none passes for a payment provider's.
TRADE_PREFIXES = {"operator": "OP", "simulation": "SIM"}

# Ids start high so they look like real account numbers rather than row counters.
FIRST_UID = 10001
FIRST_MACHINE_ID = 500001


def format_time(ts):
    return time.strftime("%Y-%m-%d %H:%M:%S", time.localtime(ts))


def download_url_for(game_name):
    if not game_name:
        return DOWNLOAD_BASE + FULL_INSTALLER
    return DOWNLOAD_BASE + urllib.parse.quote(game_name, safe="") + ".exe"


def promo_applies(current_price, promo_price):
    return 0.0 < promo_price < current_price


class Store:
    """All database access goes through one connection behind one lock: the
    server is threaded, and the load of a local test backend is tiny."""

    def __init__(self, path, countdown_seconds=None, auto_pay_seconds=None,
                 clock=time.time):
        # Owner only: it holds every machine code. SQLite gives its journal
        # the same mode.
        os.close(os.open(path, os.O_RDWR | os.O_CREAT, 0o600))
        os.chmod(path, 0o600)
        self._conn = sqlite3.connect(path, check_same_thread=False)
        self._conn.row_factory = sqlite3.Row
        self._lock = threading.Lock()
        self._countdown_override = countdown_seconds
        self._auto_pay = auto_pay_seconds
        self._clock = clock
        with self._lock, self._conn:
            self._conn.executescript(SCHEMA)
            if not self._conn.execute("SELECT 1 FROM games LIMIT 1").fetchone():
                self._conn.executemany(
                    "INSERT INTO games(name, sort_order) VALUES (?, ?)",
                    [(name, i) for i, name in enumerate(DEFAULT_GAMES)])
            if not self._conn.execute("SELECT 1 FROM products LIMIT 1").fetchone():
                self._conn.executemany(
                    "INSERT INTO products(name, currency, original_price, current_price,"
                    " promo_price, countdown_minutes) VALUES (?, ?, ?, ?, ?, ?)",
                    DEFAULT_PRODUCTS)

    def close(self):
        with self._lock:
            self._conn.close()

    # -- users -------------------------------------------------------------

    def login(self, exe_name, channel_code, qhclickid, machine_code):
        now = self._clock()
        token = secrets.token_hex(16)
        with self._lock, self._conn:
            c = self._conn
            row = c.execute("SELECT machine_id FROM machines WHERE machine_code = ?",
                            (machine_code,)).fetchone()
            if row:
                machine_id = row["machine_id"]
            else:
                machine_id = c.execute(
                    "SELECT COALESCE(MAX(machine_id) + 1, ?) FROM machines",
                    (FIRST_MACHINE_ID,)).fetchone()[0]
                c.execute("INSERT INTO machines VALUES (?, ?, ?)",
                          (machine_id, machine_code, now))
            row = c.execute("SELECT uid FROM users WHERE machine_id = ?",
                            (machine_id,)).fetchone()
            if row:
                uid = row["uid"]
                c.execute("UPDATE users SET exe_name = ?, channel_code = ?, qhclickid = ?,"
                          " token = ?, last_login_at = ? WHERE uid = ?",
                          (exe_name, channel_code, qhclickid, token, now, uid))
            else:
                uid = c.execute("SELECT COALESCE(MAX(uid) + 1, ?) FROM users",
                                (FIRST_UID,)).fetchone()[0]
                c.execute("INSERT INTO users VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
                          (uid, machine_id, exe_name, channel_code, qhclickid,
                           token, now, now))
            self._settle(now)
            level = "vip" if self._is_member(machine_code) else "normal"
        return {
            "uid": uid,
            "machine_id": machine_id,
            "level": level,
            "token": token,
            "machine_code": machine_code,
            "channel_code": channel_code,
            "qhclickid": qhclickid,
        }

    def _is_member(self, machine_code):
        return self._conn.execute(
            "SELECT 1 FROM orders WHERE machine_code = ? AND status = 'success' LIMIT 1",
            (machine_code,)).fetchone() is not None

    # -- catalogue ---------------------------------------------------------

    def games(self):
        with self._lock:
            rows = self._conn.execute(
                "SELECT name FROM games ORDER BY sort_order, id").fetchall()
        return [r["name"] for r in rows]

    def game_download(self, name):
        """The installer link of a listed game, or None for an unknown name."""
        with self._lock:
            row = self._conn.execute("SELECT 1 FROM games WHERE name = ?",
                                     (name,)).fetchone()
        return download_url_for(name) if row else None

    def products(self):
        with self._lock:
            rows = self._conn.execute("SELECT * FROM products ORDER BY id").fetchall()
        return [self._product_dict(r) for r in rows]

    @staticmethod
    def _product_dict(r):
        return {
            "id": r["id"],
            "name": r["name"],
            "currency": r["currency"],
            "original_price": r["original_price"],
            "current_price": r["current_price"],
            "promo_price": r["promo_price"],
            "countdown_minutes": r["countdown_minutes"],
        }

    # -- orders ------------------------------------------------------------

    def create_order(self, machine_code, game_name, channel_code, apply_discount):
        now = self._clock()
        with self._lock, self._conn:
            c = self._conn
            product = c.execute("SELECT * FROM products ORDER BY id LIMIT 1").fetchone()
            if product is None:
                raise LookupError("no product on sale")
            current = product["current_price"]
            promo = product["promo_price"]
            amount = promo if apply_discount and promo_applies(current, promo) else current
            if self._countdown_override is not None:
                countdown = self._countdown_override
            else:
                countdown = max(1, product["countdown_minutes"]) * 60
            order_no = self._new_order_no(now)
            c.execute(
                "INSERT INTO orders(order_no, machine_code, game_name, channel_code,"
                " product_id, apply_discount, original_price, current_price, promo_price,"
                " pay_amount, status, countdown_seconds, created_at, expire_at, updated_at)"
                " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 'pending', ?, ?, ?, ?)",
                (order_no, machine_code, game_name, channel_code, product["id"],
                 int(bool(apply_discount)), product["original_price"], current, promo,
                 amount, countdown, now, now + countdown, now))
        return {
            "pay_order_no": order_no,
            "original_price": product["original_price"],
            "current_price": current,
            "promo_price": promo,
            "pay_amount": amount,
            "qr_expire_at": format_time(now + countdown),
            "countdown_seconds": countdown,
        }

    def _new_order_no(self, now):
        alphabet = string.ascii_uppercase + string.digits
        stamp = time.strftime("%Y%m%d%H%M%S", time.localtime(now))
        while True:
            order_no = "OD" + stamp + "".join(secrets.choice(alphabet) for _ in range(4))
            if not self._conn.execute("SELECT 1 FROM orders WHERE order_no = ?",
                                      (order_no,)).fetchone():
                return order_no

    def order(self, order_no):
        """The order as a full record (see order_record), or None."""
        with self._lock, self._conn:
            self._settle(self._clock())
            row = self._conn.execute("SELECT * FROM orders WHERE order_no = ?",
                                     (order_no,)).fetchone()
        return order_record(row) if row else None

    def latest_orders(self, machine_code, limit):
        with self._lock, self._conn:
            self._settle(self._clock())
            rows = self._conn.execute(
                "SELECT * FROM orders WHERE machine_code = ?"
                " ORDER BY created_at DESC, rowid DESC LIMIT ?",
                (machine_code, limit)).fetchall()
        return [order_record(r) for r in rows]

    def orders_page(self, size, before=None, after=None, search=None):
        """Up to `size` orders, newest first: those created before the order
        numbered `before` in creation order (or after `after`), only those
        whose order number or machine code is `search` if given. Returns
        (records, cursor of the next older page or None, of the next newer or None).
        Each step follows the table's row order, so a page costs the same at
        any depth and any table size."""
        match, matched = ("(order_no = ? OR machine_code = ?)", [search, search]) \
            if search is not None else ("1", [])

        def page(step, args, order, limit=size):
            return self._conn.execute(
                "SELECT rowid AS seq, * FROM orders WHERE %s AND %s ORDER BY rowid %s LIMIT ?"
                % (match, step, order), matched + args + [limit]).fetchall()

        with self._lock, self._conn:
            self._settle(self._clock())
            if after is not None:
                rows = page("rowid > ?", [after], "ASC")[::-1]
            elif before is not None:
                rows = page("rowid < ?", [before], "DESC")
            else:
                rows = page("1", [], "DESC")
            older = rows[-1]["seq"] if rows and page("rowid < ?", [rows[-1]["seq"]], "DESC", 1) \
                else None
            newer = rows[0]["seq"] if rows and page("rowid > ?", [rows[0]["seq"]], "ASC", 1) \
                else None
        return [order_record(r) for r in rows], older, newer

    def set_status(self, order_no, status, only_if_pending=False, by="operator"):
        """Move an order to `status`; returns the updated record, or None for an
        unknown order. With only_if_pending a settled order is left untouched.
        `by` ("operator" or "simulation") marks the trade number of a payment."""
        if status not in ORDER_STATUSES:
            raise ValueError("unknown status: " + status)
        now = self._clock()
        with self._lock, self._conn:
            self._settle(now)
            row = self._conn.execute("SELECT * FROM orders WHERE order_no = ?",
                                     (order_no,)).fetchone()
            if row is None:
                return None
            if not only_if_pending or row["status"] == "pending":
                self._apply_status(row, status, now, by)
            row = self._conn.execute("SELECT * FROM orders WHERE order_no = ?",
                                     (order_no,)).fetchone()
        return order_record(row)

    def _apply_status(self, row, status, when, by="operator"):
        if status == "success":
            # A re-marked paid order keeps its first trade number.
            trade_no = row["alipay_trade_no"] or new_trade_no(when, by)
            self._conn.execute(
                "UPDATE orders SET status = ?, alipay_trade_no = ?, download_url = ?,"
                " updated_at = ? WHERE order_no = ?",
                (status, trade_no, download_url_for(row["game_name"]), when,
                 row["order_no"]))
        else:
            self._conn.execute(
                "UPDATE orders SET status = ?, updated_at = ? WHERE order_no = ?",
                (status, when, row["order_no"]))

    def _settle(self, now):
        """Resolve pending orders whose auto-pay moment or countdown has passed,
        each dated at the moment it happened rather than at this read."""
        if self._auto_pay is not None:
            for row in self._conn.execute(DUE_FOR_AUTO_PAY, (now - self._auto_pay,)).fetchall():
                paid_at = row["created_at"] + self._auto_pay
                # Paid only if that moment came before the countdown ran out;
                # otherwise it expired, which the second query settles.
                if paid_at <= row["expire_at"]:
                    self._apply_status(row, "success", paid_at, "simulation")
        for row in self._conn.execute(DUE_FOR_EXPIRY, (now,)).fetchall():
            self._apply_status(row, "expired", row["expire_at"])


def new_trade_no(when, by):
    """Who settled it, the moment, six random digits."""
    return (TRADE_PREFIXES[by] + time.strftime("%Y%m%d%H%M%S", time.localtime(when))
            + "".join(secrets.choice(string.digits) for _ in range(6)))


def order_record(row):
    """Everything about an order; the API picks the client's fields from it."""
    return {
        "order_no": row["order_no"],
        "status": row["status"],
        "game_name": row["game_name"],
        "machine_code": row["machine_code"],
        "channel_code": row["channel_code"],
        "alipay_trade_no": row["alipay_trade_no"],
        "pay_amount": row["pay_amount"],
        "created_at": format_time(row["created_at"]),
        "updated_at": format_time(row["updated_at"]),
        "expire_at": format_time(row["expire_at"]),
        "download_url": row["download_url"],
    }
