"""The backend under pressure: slow connections under a low open-file limit,
concurrent clients, a large order table on the operator page, and TLS.
Figures are measured and asserted with a margin for a busy two-core machine."""

import http.client
import os
import re
import selectors
import socket
import sqlite3
import ssl
import subprocess
import tempfile
import threading
import time
import unittest

from test_backend import Backend, store

TICKS = os.sysconf("SC_CLK_TCK")
GAMES = "/api/v1/games"


def cpu_seconds(pid):
    """User plus system time the process has used so far."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rpartition(")")[2].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


def cpu_share(pid, seconds):
    before = cpu_seconds(pid)
    time.sleep(seconds)
    return (cpu_seconds(pid) - before) / seconds


def memory_kib(pid, field):
    with open("/proc/%d/status" % pid) as f:
        return int(re.search(r"^%s:\s+(\d+) kB" % field, f.read(), re.M).group(1))


def timed_get(port, path=GAMES, timeout=5, headers=None):
    """Seconds one fresh-connection GET takes; `timeout` when it fails."""
    started = time.perf_counter()
    conn = http.client.HTTPConnection("127.0.0.1", port, timeout=timeout)
    try:
        conn.request("GET", path, headers=headers or {})
        resp = conn.getresponse()
        body = resp.read()
        if resp.status != 200:
            raise AssertionError("%s answered %d" % (path, resp.status))
        return time.perf_counter() - started, body
    except OSError:
        return timeout, b""
    finally:
        conn.close()


class ServerTestCase(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.addCleanup(self.tmp.cleanup)

    def start(self, *options, prefix=()):
        backend = Backend(os.path.join(self.tmp.name, "store.db"), *options, prefix=prefix)
        backend.start()
        self.addCleanup(backend.stop)
        return backend


def open_slow_connections(port, count, within):
    """`count` connections that each send the start of a request head and
    never finish it; those the server has not taken within `within` seconds
    stay queued."""
    selector = selectors.DefaultSelector()
    opened = []
    for i in range(count):
        if i % 4 == 3:
            time.sleep(0.01)    # a few at a time, as fast as a small queue takes them
        s = socket.socket()
        s.setblocking(False)
        s.connect_ex(("127.0.0.1", port))
        selector.register(s, selectors.EVENT_WRITE)
        opened.append(s)
    deadline = time.monotonic() + within
    while selector.get_map() and time.monotonic() < deadline:
        for key, _ in selector.select(0.1):
            selector.unregister(key.fileobj)
            try:
                key.fileobj.send(b"GET /api/v1/games HTTP/1.1\r\nHost: 127.0.0.1\r\n")
            except OSError:
                pass
    selector.close()
    return opened


class SlowClientsTest(ServerTestCase):

    def test_slow_connections_under_a_low_file_limit_lock_nobody_out(self):
        backend = self.start(prefix=("prlimit", "--nofile=128:128", "--"))
        slow = open_slow_connections(backend.port, 300, 3)
        self.addCleanup(lambda: [s.close() for s in slow])
        probes = [timed_get(backend.port)[0] for _ in range(5)]
        self.assertLess(max(probes), 1.0, probes)
        holding = cpu_share(backend.proc.pid, 1.0)
        for s in slow:
            s.close()
        slow.clear()
        time.sleep(0.3)
        after = cpu_share(backend.proc.pid, 1.0)
        # Idle is close to 0 %; a server spinning on accept burns a whole core.
        self.assertLess(max(holding, after), 0.15, (holding, after))
        self.assertLess(timed_get(backend.port)[0], 1.0)


class ConcurrencyTest(ServerTestCase):

    def test_twenty_clients_for_five_seconds(self):
        backend = self.start()
        latencies, closed_by_server, failures = [], [], []

        def client(keep_alive):
            conn = None
            deadline = time.monotonic() + 5
            try:
                while time.monotonic() < deadline:
                    if conn is None or not keep_alive:
                        conn = http.client.HTTPConnection("127.0.0.1", backend.port, timeout=5)
                    started = time.perf_counter()
                    conn.request("GET", GAMES)
                    resp = conn.getresponse()
                    resp.read()
                    latencies.append(time.perf_counter() - started)
                    if keep_alive and conn.sock is None:   # the reply said close
                        closed_by_server.append(1)
                    if not keep_alive:
                        conn.close()
            except OSError as e:
                failures.append(e)
            conn.close()

        # Half open a connection per request as the program does, half keep theirs.
        threads = [threading.Thread(target=client, args=(i % 2 == 0,)) for i in range(20)]
        for t in threads:
            t.start()
        for t in threads:
            t.join(15)
        self.assertEqual(failures, [])
        latencies.sort()
        p99 = latencies[int(len(latencies) * 0.99)]
        # Measured 10-80 ms here with other builds running; a dropped SYN costs 1 s.
        self.assertLess(p99, 0.2, "p99 %.1f ms over %d requests" % (p99 * 1000, len(latencies)))
        self.assertEqual(len(closed_by_server), 0, "keep-alive connections closed by the server")


class AdminPagingTest(ServerTestCase):
    ORDERS = 100_000

    def seed(self, path):
        store.Store(path).close()
        conn = sqlite3.connect(path)
        start = time.time() - self.ORDERS
        with conn:
            conn.executemany(
                "INSERT INTO orders(order_no, machine_code, game_name, channel_code, product_id,"
                " apply_discount, original_price, current_price, promo_price, pay_amount, status,"
                " alipay_trade_no, countdown_seconds, created_at, expire_at, updated_at)"
                " VALUES (?, ?, 'g', '1', 1, 0, 99, 39, 29.9, 39, ?, '', 300, ?, ?, ?)",
                (("ODSEED%08d" % i, "USER-%04d" % (i % 5000), ("success", "expired")[i % 2],
                  start + i, start + i + 300, start + i + 1) for i in range(self.ORDERS)))
        conn.close()

    def test_order_list_cost_does_not_grow_with_the_table(self):
        self.seed(os.path.join(self.tmp.name, "store.db"))
        backend = self.start()
        bearer = {"Authorization": "Bearer " + backend.token()}
        rss = memory_kib(backend.proc.pid, "VmRSS")
        times, page = [], b""
        for _ in range(5):
            seconds, page = timed_get(backend.port, "/admin", timeout=30, headers=bearer)
            times.append(seconds)
        times.sort()
        self.assertLess(times[2], 0.2, times)
        grown = memory_kib(backend.proc.pid, "VmHWM") - rss
        self.assertLess(grown, 30_000, "peak grew by %d KiB" % grown)

        listed = re.findall(rb"<td>(ODSEED\d+)</td>", page)
        self.assertEqual(listed, [b"ODSEED%08d" % i for i in range(99_999, 99_949, -1)])
        older = re.search(rb'href="(/admin\?before=\d+)"', page).group(1).decode()
        page2 = timed_get(backend.port, older, headers=bearer)[1]
        self.assertEqual(re.findall(rb"<td>(ODSEED\d+)</td>", page2)[:2],
                         [b"ODSEED00099949", b"ODSEED00099948"])
        newer = re.search(rb'href="(/admin\?after=\d+)"', page2).group(1).decode()
        self.assertEqual(re.findall(rb"<td>(ODSEED\d+)</td>", timed_get(
            backend.port, newer, headers=bearer)[1]), listed)
        for query, expected in (("ODSEED00000007", [7]), ("%20USER-0007%20", [10007, 5007, 7]),
                                ("nothing", [])):
            found = timed_get(backend.port, "/admin?q=" + query, headers=bearer)[1]
            self.assertEqual(re.findall(rb"<td>(ODSEED\d+)</td>", found)[-3:],
                             [b"ODSEED%08d" % i for i in expected][-3:], query)


class TlsTest(ServerTestCase):

    def test_serves_https_with_the_given_certificate(self):
        cert, key = (os.path.join(self.tmp.name, n) for n in ("cert.pem", "key.pem"))
        subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                        "ec_paramgen_curve:prime256v1", "-nodes", "-days", "1",
                        "-subj", "/CN=localhost", "-addext", "subjectAltName=IP:127.0.0.1",
                        "-keyout", key, "-out", cert], check=True, capture_output=True)
        backend = self.start("--tls-cert", cert, "--tls-key", key)
        self.assertEqual(backend.scheme, "https")
        context = ssl.create_default_context(cafile=cert)

        def get():
            conn = http.client.HTTPSConnection("127.0.0.1", backend.port, timeout=5,
                                               context=context)
            try:
                conn.request("GET", GAMES)
                resp = conn.getresponse()
                return resp.status, resp.read()
            finally:
                conn.close()

        status, body = get()
        self.assertEqual(status, 200)
        self.assertIn("奥凡".encode("utf-8"), body)
        # Plain HTTP on the TLS port is turned away without holding anything up.
        with socket.create_connection(("127.0.0.1", backend.port), timeout=5) as s:
            s.sendall(b"GET /api/v1/games HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n")
            try:
                self.assertNotIn(b"200 OK", s.recv(4096))
            except ConnectionResetError:
                pass
        self.assertEqual(get()[0], 200)


if __name__ == "__main__":
    unittest.main()
