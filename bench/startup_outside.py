"""Start-up as the user sees it, measured from outside the process.

Launches the real OrvaneDownloader.exe under Wine and, the same way in the
same run, bench/bare_window.exe (a window of the same size that only paints
one colour, logs in and fetches the games), alternately, cold (the prefix's
Wine server shut down before each launch) and warm (a Wine server kept
running). For each launch:
  first frame   launch -> the home panel's colour at the window's centre-left
                on the Xvfb screen, read through the X server every 2 ms
  last request  launch -> the backend's receipt of the last start-up request
                ("products" for the program, "games" for the bare window)
  working set   of the process 1 s after that request (win_probe stats)
Prints first / median / p95 per figure and the differences program - bare.

usage: startup_outside.py BUILD_DIR [LAUNCHES] [--profile]
  --profile  also prints the program's own log times of each launch
"""

import os
import re
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(SOURCE, "tests", "e2e"))

from Xlib import X, display  # noqa: E402

# Screen point inside the home panel {370,220,830,520} of the centred window.
PROBE = (360 + 400, 180 + 300)
PANEL = (25, 25, 25)
TIMEOUT_S = 30


def pixel(root):
    data = root.get_image(PROBE[0], PROBE[1], 1, 1, X.ZPixmap, 0xFFFFFFFF).data
    return data[2], data[1], data[0]


def near(a, b, tol=4):
    return all(abs(x - y) <= tol for x, y in zip(a, b))


def percentile(values, p):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(round(p / 100 * (len(ordered) - 1))))]


class Bench:
    def __init__(self, build, launches, profile):
        import harness  # the e2e harness's prefix, display and backend

        self.harness = harness
        self.build = build
        self.launches = launches
        self.profile = profile
        self.exe = os.path.join(build, "OrvaneDownloader.exe")
        self.bare = os.path.join(build, "bench", "bare_window.exe")
        self.results = {}

    def run(self):
        h = self.harness
        with h.Backend(test_mode=True) as backend, h.Session("bench-startup", backend=backend.api) as s:
            self.backend, self.session = backend, s
            self.root = display.Display(s.env["DISPLAY"]).screen().root
            for mode in ("cold", "warm"):
                if mode == "warm":
                    self.keep_server()
                # One unmeasured launch of each: the prefix's first start writes its files.
                for kind in ("program", "bare"):
                    self.launch(kind, mode)
                for _ in range(self.launches):
                    for kind in ("program", "bare"):
                        self.results.setdefault((mode, kind), []).append(self.launch(kind, mode))
        self.report()

    def wine(self, *args, **kw):
        return subprocess.run(["wineserver"] + list(args), env=self.session.env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, **kw)

    def keep_server(self):
        self.server = subprocess.Popen(["wineserver", "-p", "-f"], env=self.session.env,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(0.5)

    def launch(self, kind, mode):
        s, backend = self.session, self.backend
        if mode == "cold":
            self.wine("-k")
            self.wine("-w", timeout=30)
        backend.post("/__test__/reset", b"{}")
        log_before = len(s.log_text())
        args = ["wine", self.exe] if kind == "program" else ["wine", self.bare, backend.api]
        last = "/api/v1/products" if kind == "program" else "/api/v1/games"
        started = time.monotonic()
        launched_at = time.time()
        proc = subprocess.Popen(args, env=s.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        first = None
        request = None
        deadline = started + TIMEOUT_S
        next_ask = started
        while time.monotonic() < deadline and (first is None or request is None):
            now = time.monotonic()
            if first is None and near(pixel(self.root), PANEL):
                first = now - started
            if request is None and now >= next_ask:
                next_ask = now + 0.02
                hits = [r for r in backend.requests() if r["target"].startswith(last)]
                if hits:
                    request = hits[0]["received_ms"] / 1000 - started
            time.sleep(0.002)
        time.sleep(1)
        stats = s.stats()
        if self.profile and kind == "program":
            print("  %s launch at %s.%03d, first frame +%.0f ms, last request +%.0f ms, log:" % (
                mode, time.strftime("%H:%M:%S", time.localtime(launched_at)), int(launched_at * 1000) % 1000,
                (first or 0) * 1000, (request or 0) * 1000))
            for line in s.log_text()[log_before:].splitlines():
                print("    " + line)
        proc.kill()
        proc.wait(10)
        # The window is gone before the next launch looks for the panel.
        end = time.monotonic() + 10
        while near(pixel(self.root), PANEL) and time.monotonic() < end:
            time.sleep(0.05)
        if first is None or request is None:
            raise RuntimeError("%s %s launch: first frame %r, last request %r" % (mode, kind, first, request))
        return {"first": first * 1000, "request": request * 1000,
                "ws": stats["working_set_kib"] / 1024 if stats else float("nan")}

    def report(self):
        print("%-5s %-8s %-13s %8s %8s %8s" % ("", "", "", "first", "median", "p95"))
        units = {"first": "ms", "request": "ms", "ws": "MiB"}
        names = {"first": "first frame", "request": "last request", "ws": "working set"}
        for mode in ("cold", "warm"):
            for kind in ("program", "bare"):
                runs = self.results[(mode, kind)]
                for key in ("first", "request", "ws"):
                    values = [r[key] for r in runs]
                    print("%-5s %-8s %-13s %8.0f %8.0f %8.0f %s" % (
                        mode, kind, names[key], values[0], statistics.median(values), percentile(values, 95),
                        units[key]))
        print("differences program - bare (medians):")
        for mode in ("cold", "warm"):
            line = []
            for key in ("first", "request", "ws"):
                p = statistics.median(r[key] for r in self.results[(mode, "program")])
                b = statistics.median(r[key] for r in self.results[(mode, "bare")])
                line.append("%s %+.0f %s" % (names[key], p - b, units[key]))
            print("  %-5s %s" % (mode, ", ".join(line)))


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    build = os.path.abspath(args[0] if args else os.path.join(SOURCE, "build"))
    launches = int(args[1]) if len(args) > 1 else 10
    os.environ.setdefault("ORVANE_WINE_ROOT", os.path.join(build, "wine"))
    os.environ.setdefault("ORVANE_PROBE", os.path.join(build, "tests", "win_probe.exe"))
    os.environ.setdefault("ORVANE_BUILD_DIR", build)
    os.environ.setdefault("ORVANE_SOURCE_DIR", SOURCE)
    Bench(build, launches, "--profile" in sys.argv).run()


if __name__ == "__main__":
    main()
