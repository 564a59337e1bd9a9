"""End-to-end harness: the real OrvaneDownloader.exe in a real window.

A Session owns a private Xvfb display (1920x1080x24, no window manager), a
fresh private Wine prefix (Windows 10, LogPixels = dpi) and a private HOME.
It starts the program, finds its window, moves and clicks the mouse and types
with xdotool, takes screenshots of the root window with ImageMagick's
`import`, and reads the clipboard with xclip.

API (all coordinates in screen pixels unless a name says "client"):
    with Session("name", dpi=96, backend=None) as s:
        proc = s.start()                 # Popen of the program (wine)
        wid = s.wait_window()            # X window id of "Orvane Downloader"
        x, y, w, h = s.geometry(wid)     # X geometry of that window
        s.probe("find")                  # Windows-side view: dict(cls, x, y, w, h, iconic, visible)
        s.move(x, y); s.click(x, y); s.drag((x0, y0), (x1, y1))
        s.key("Escape"); s.type_text("abc")  # the window gets the X focus first
        img = s.screenshot()             # PIL.Image of the whole display
        s.client_pixel(img, cx, cy)      # pixel at a client coordinate of the window
        s.clipboard()                    # text on the CLIPBOARD selection ("" if none)
        s.wait_exit(proc, timeout)       # exit code
    Backend(test_mode=False, extra_args=(), ca_file=None).start() -> .api ("http://127.0.0.1:PORT/api/v1",
        "https://..." when extra_args give --tls-cert; ca_file is then the CA to check it with); .stop()
        .get(path) / .post(path, body) -> (status, bytes); .json(path) -> the reply's data
        .pay(order_no, accept=True)      # the payer's page: GET it, POST its form
        .requests() (test mode)          # what the backend received
    Session(..., backend=api) writes config.json with "api_base" into the
    prefix's data folder before the program starts.
    s.run_windows(program, *args)        # another Windows program in the prefix; its exit code
    windows_path(path)                   # a Linux path as the prefix's programs see it

Each program runs with WINEDEBUG=PROGRAM_WINEDEBUG, its output going to
build/e2e-artifacts/<session name>/. A session that ends in an exception keeps
that folder and adds what explains the failure (failure_evidence.py); one that
ends well removes it.

Environment (set by CTest): ORVANE_WINE_ROOT, ORVANE_EXE, ORVANE_PROBE,
ORVANE_SOURCE_DIR, ORVANE_BUILD_DIR, ORVANE_TRUST_CA.
"""

import json
import os
import re
import urllib.error
import urllib.parse
import urllib.request
import shutil
import ssl
import subprocess
import tempfile
import time

from PIL import ImageGrab

import failure_evidence

SOURCE_DIR = os.environ.get("ORVANE_SOURCE_DIR") or os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
WINE_ROOT = os.environ.get("ORVANE_WINE_ROOT", os.path.join(SOURCE_DIR, "build", "wine"))
EXE = os.environ.get("ORVANE_EXE", os.path.join(SOURCE_DIR, "build", "OrvaneDownloader.exe"))
PROBE = os.environ.get("ORVANE_PROBE", os.path.join(SOURCE_DIR, "build", "tests", "win_probe.exe"))
TRUST_CA = os.environ.get("ORVANE_TRUST_CA", os.path.join(SOURCE_DIR, "build", "tests", "trust_ca.exe"))
WINDOW_TITLE = "Orvane Downloader"
# Wine's errors and first-chance exceptions (with the program's
# OutputDebugString lines), each stamped with the time, process and thread.
PROGRAM_WINEDEBUG = "err+all,warn+seh,+timestamp,+pid"


def _clean_env():
    env = dict(os.environ)
    for k in ("http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "no_proxy", "NO_PROXY"):
        env.pop(k, None)
    return env


class _NoRedirect(urllib.request.HTTPRedirectHandler):
    def redirect_request(self, *args, **kwargs):
        return None


class Backend:
    """The project's backend on a free loopback port, in a temporary database,
    with simulated payments so that pay() can settle an order as a phone would."""

    def __init__(self, test_mode=False, extra_args=(), ca_file=None):
        self.test_mode = test_mode
        self.extra_args = list(extra_args)
        self.ca_file = ca_file
        self.proc = None
        self.api = None
        self.tmp = tempfile.mkdtemp(prefix="orvane-backend-")

    def start(self):
        args = ["/usr/bin/python3", os.path.join(SOURCE_DIR, "backend", "server.py"), "--host", "127.0.0.1",
                "--port", "0", "--db", os.path.join(self.tmp, "store.db"), "--simulate-payments"] + self.extra_args
        if self.test_mode:
            args.append("--test-mode")
        self.proc = subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
                                     env=_clean_env())
        deadline = time.time() + 20
        while time.time() < deadline:
            line = self.proc.stdout.readline()
            m = re.search(r"listening on (https?://\S+)", line or "")
            if m:
                self.api = m.group(1)
                return self
            if self.proc.poll() is not None:
                break
        raise RuntimeError("backend did not start")

    # ---- talking to it as a phone or an operator script would ----
    def _open(self, path, body=None, headers=None):
        origin = self.api[:-len("/api/v1")]
        req = urllib.request.Request(origin + path, data=body, headers=headers or {})
        handlers = [urllib.request.ProxyHandler({}), _NoRedirect()]
        if origin.startswith("https:"):
            handlers.append(urllib.request.HTTPSHandler(context=ssl.create_default_context(cafile=self.ca_file)))
        opener = urllib.request.build_opener(*handlers)
        try:
            with opener.open(req, timeout=10) as r:
                return r.status, r.read()
        except urllib.error.HTTPError as e:
            return e.code, e.read()

    def get(self, path):
        return self._open(path)

    def post(self, path, body=b"", content_type="application/json"):
        return self._open(path, body, {"Content-Type": content_type})

    def json(self, path):
        status, body = self.get(path)
        return json.loads(body.decode("utf-8"))["data"] if status == 200 else None

    def pay(self, order_no, accept=True):
        """Pays (or refuses) an order on the payer's page, as the phone does."""
        status, page = self.get("/pay/" + order_no)
        m = re.search(rb'name="csrf" value="([0-9a-f]{64})"', page)
        if status != 200 or not m:
            raise AssertionError("no pay page for %s" % order_no)
        action = "/pay/%s/%s" % (order_no, "confirm" if accept else "refuse")
        status, _ = self.post(action, b"csrf=" + m.group(1), "application/x-www-form-urlencoded")
        if status != 303:
            raise AssertionError("paying %s answered %d" % (order_no, status))

    def latest_order(self, machine_code):
        orders = self.json("/api/v1/orders/latest?limit=1&machine_code=" + urllib.parse.quote(machine_code))
        return orders[0] if orders else None

    def requests(self):
        return self.json("/__test__/requests") or []

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
        if self.proc:
            self.proc.stdout.close()
        shutil.rmtree(self.tmp, ignore_errors=True)

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()


class Session:
    def __init__(self, name, dpi=96, backend=None, exe=None):
        self.name = name
        self.dpi = dpi
        self.backend = backend
        self.exe = exe or EXE
        self.xvfb = None
        self.procs = []
        self.started = []  # (Popen, args, time started) of each program
        self.outputs = []  # their open output files
        self.artifacts = os.path.join(artifacts_dir(), name)
        self.env = None
        self.prefix = None
        self.wid = None  # the program's window, once wait_window found it

    # ---- set-up and teardown ----
    def __enter__(self):
        shutil.rmtree(self.artifacts, ignore_errors=True)
        os.makedirs(self.artifacts)
        self.prefix = subprocess.check_output(
            [os.path.join(SOURCE_DIR, "tests", "wine-prefix.sh"), WINE_ROOT, "e2e-" + self.name, str(self.dpi),
             "--fresh"], text=True).strip()
        r, w = os.pipe()
        # Without -noreset the server resets whenever its last client leaves,
        # as every xdotool poll of wait_window does before Wine has connected;
        # a connection opened during a reset is dropped, and when that is
        # Wine's desktop process, the prefix has no display driver and the
        # program's window can never be made.
        self.xvfb_log = open(os.path.join(self.artifacts, "xvfb.log"), "wb")
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", "1920x1080x24", "-nolisten",
                                      "tcp", "-noreset"], pass_fds=(w,), stdout=self.xvfb_log,
                                     stderr=subprocess.STDOUT)
        os.close(w)
        with os.fdopen(r) as f:
            display = f.readline().strip()
        if not display:
            raise RuntimeError("Xvfb did not start")
        env = _clean_env()
        env.update({
            "DISPLAY": ":" + display,
            "WINEPREFIX": self.prefix,
            "WINEARCH": "win64",
            "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": "winemenubuilder.exe=d;mscoree=d;mshtml=d",
            "HOME": os.path.join(WINE_ROOT, "home-" + self.name),
        })
        os.makedirs(env["HOME"], exist_ok=True)
        self.env = env
        if self.backend:
            self.write_config({"api_base": self.backend})
        return self

    def __exit__(self, exc_type, exc, tb):
        if exc_type is not None:
            failure_evidence.collect(self, exc_type, exc, tb)
        for p in self.procs:
            if p.poll() is None:
                p.kill()
        if self.env:
            try:
                subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL, timeout=30)
            except subprocess.TimeoutExpired:
                pass
        for out in self.outputs:
            out.close()
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait(5)
            self.xvfb_log.close()
        if exc_type is None:
            shutil.rmtree(self.artifacts, ignore_errors=True)

    # ---- the program ----
    def data_folder(self):
        """The program's data folder (roaming AppData\\OrvaneDownloader) inside the prefix."""
        users = os.path.join(self.prefix, "drive_c", "users")
        user = next(u for u in os.listdir(users) if u not in ("Public",))
        return os.path.join(users, user, "AppData", "Roaming", "OrvaneDownloader")

    def log_text(self):
        """The program's log so far, or "" before it has written one."""
        path = os.path.join(self.data_folder(), "OrvaneDownloader.log")
        if not os.path.exists(path):
            return ""
        with open(path, "rb") as f:
            return f.read().decode("utf-8", errors="replace")

    def machine_code(self):
        """The machine code the program logged in with (from config.json)."""
        with open(os.path.join(self.data_folder(), "config.json"), encoding="utf-8") as f:
            return json.load(f).get("machine_code")

    def write_config(self, members):
        folder = self.data_folder()
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "config.json"), "w", encoding="utf-8") as f:
            json.dump(members, f, ensure_ascii=False)

    def start(self, exe=None):
        args = ["wine", exe or self.exe]
        out = open(os.path.join(self.artifacts, "wine-%d-%s.log" % (len(self.started) + 1,
                                                                   os.path.basename(args[-1]))), "wb")
        self.outputs.append(out)
        proc = subprocess.Popen(args, env=dict(self.env, WINEDEBUG=PROGRAM_WINEDEBUG), stdout=out,
                                stderr=subprocess.STDOUT)
        self.procs.append(proc)
        self.started.append((proc, args, time.time()))
        return proc

    def run_windows(self, program, *args, timeout=60):
        """Runs another Windows program in the session's prefix; its exit code."""
        return subprocess.run(["wine", program] + [str(a) for a in args], env=self.env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=timeout).returncode

    def wait_exit(self, proc, timeout=20):
        return proc.wait(timeout)

    def wait_window(self, timeout=60, title=WINDOW_TITLE):
        deadline = time.time() + timeout
        while time.time() < deadline:
            out = self.xdotool("search", "--onlyvisible", "--name", "^%s$" % re.escape(title), check=False)
            ids = out.split()
            if ids:
                if title == WINDOW_TITLE:
                    self.wid = ids[0]
                return ids[0]
            time.sleep(0.2)
        raise AssertionError("window %r did not appear" % title)

    def _probe_line(self, command):
        """The probe's answer. It always prints one; when a wine start under
        load returns without output, the probe is simply started again."""
        for _ in range(3):
            out = subprocess.run(["wine", PROBE, command], env=self.env, capture_output=True, text=True,
                                 timeout=60).stdout.strip().splitlines()
            if out:
                return out[-1]
            time.sleep(0.3)
        return "none"

    def probe(self, command="find"):
        parts = self._probe_line(command).split()
        if parts[0] != "found":
            return None
        return {"cls": parts[1], "x": int(parts[2]), "y": int(parts[3]), "w": int(parts[4]), "h": int(parts[5]),
                "iconic": parts[6] == "1", "visible": parts[7] == "1"}

    def stats(self):
        """Threads, handles, GDI objects and working set (KiB) of the program's process."""
        parts = self._probe_line("stats").split()
        if parts[0] != "stats":
            return None
        return dict(zip(("threads", "handles", "gdi", "working_set_kib"), map(int, parts[1:5])))

    # ---- X side ----
    def xdotool(self, *args, check=True):
        res = subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, capture_output=True, text=True)
        if check and res.returncode != 0:
            raise RuntimeError("xdotool %s failed: %s" % (args, res.stderr))
        return res.stdout

    def geometry(self, wid):
        out = self.xdotool("getwindowgeometry", "--shell", wid)
        vals = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(vals["X"]), int(vals["Y"]), int(vals["WIDTH"]), int(vals["HEIGHT"])

    def work_area(self):
        out = self.xdotool("getdisplaygeometry")
        w, h = out.split()
        return int(w), int(h)

    def move(self, x, y):
        self.xdotool("mousemove", "--sync", x, y)
        time.sleep(0.05)

    def click(self, x, y, settle=0.3):
        self.move(x, y)
        self.xdotool("click", "1")
        time.sleep(settle)

    def drag(self, start, end, steps=10):
        self.move(*start)
        self.xdotool("mousedown", "1")
        time.sleep(0.1)
        for i in range(1, steps + 1):
            x = start[0] + (end[0] - start[0]) * i // steps
            y = start[1] + (end[1] - start[1]) * i // steps
            self.xdotool("mousemove", x, y)
            time.sleep(0.03)
        time.sleep(0.2)
        self.xdotool("mouseup", "1")
        time.sleep(0.3)

    def focus(self):
        """Gives the program's window the X input focus. The display has no
        window manager, so nothing else moves the focus to it, and keys go to
        whatever holds the focus. Events wait in the X queue while the window
        thread is busy, so a key sent during start-up arrives afterwards."""
        if self.wid is None:
            raise AssertionError("focus before wait_window: no window to send keys to")
        self.xdotool("windowfocus", "--sync", self.wid)
        time.sleep(0.1)

    def key(self, name):
        self.focus()
        self.xdotool("key", name)
        time.sleep(0.2)

    def type_text(self, text):
        self.focus()
        self.xdotool("type", "--delay", "40", text)
        time.sleep(0.2)

    def screenshot(self, save_as=None, bbox=None):
        """The display (or the box of it) read straight from the X server in
        this process: a few times faster than a separate capture program, so
        a state shown for a second is not missed on a loaded machine."""
        img = ImageGrab.grab(bbox=bbox, xdisplay=self.env["DISPLAY"]).convert("RGB")
        if save_as:
            img.save(save_as)
        return img

    def client_pixel(self, img, wid, cx, cy):
        x, y, _, _ = self.geometry(wid)
        return img.getpixel((x + cx, y + cy))

    def client_shot(self):
        """A screenshot cropped to the program's client area (wait_window first)."""
        x, y, w, h = self.geometry(self.wid)
        return self.screenshot(bbox=(x, y, x + w, y + h))

    def click_client(self, cx, cy, settle=0.3):
        x, y, _, _ = self.geometry(self.wid)
        self.click(x + cx, y + cy, settle)

    def set_clipboard(self, text):
        """Puts text on the CLIPBOARD selection, so a later copy is seen to replace it."""
        subprocess.run(["xclip", "-selection", "clipboard", "-i"], input=text.encode("utf-8"), env=self.env,
                       timeout=10, check=True)
        wait_until(lambda: self.clipboard() == text, timeout=5)

    def clipboard(self):
        res = subprocess.run(["xclip", "-selection", "clipboard", "-o"], env=self.env, capture_output=True,
                             timeout=10)
        return res.stdout.decode("utf-8", errors="replace") if res.returncode == 0 else ""


def wait_until(predicate, timeout=10, interval=0.2):
    deadline = time.time() + timeout
    while time.time() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(interval)
    return predicate()


def windows_path(path):
    """A Linux path as the prefix's programs see it (Wine's drive Z: is the root)."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def artifacts_dir():
    d = os.path.join(os.environ.get("ORVANE_BUILD_DIR", os.path.join(SOURCE_DIR, "build")), "e2e-artifacts")
    os.makedirs(d, exist_ok=True)
    return d
