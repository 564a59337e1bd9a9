"""What a failing end-to-end session leaves in build/e2e-artifacts/<session>/,
so that a failure seen once can be explained without running it again:

    summary.txt        the failure, the programs started, their state, the window
    wine-N-<exe>.log   each started program's Wine output (stdout and stderr)
    OrvaneDownloader.log, config.json   the program's data folder
    screen.png         the whole display
    x-windows.txt      the display's window tree and which windows are mapped
    xvfb.log           the X server's own output
    processes.txt      the prefix's Linux processes (state, kernel wait) and,
                       while its wineserver runs, Wine's own list of processes
                       and threads (winedbg would otherwise start the prefix anew)
    backtrace.txt      every thread of each program still running, with the
                       program's own frames named from its symbols

Every command runs with a time-out in a process group of its own, its output
going to a file (a Wine process it starts cannot hold a pipe open), so the
collection never hangs the test.
"""

import bisect
import os
import re
import shutil
import signal
import subprocess
import time
import traceback

STEP_TIMEOUT = 20
BACKTRACE_TIMEOUT = 60


def run_to_file(path, args, env, timeout=STEP_TIMEOUT, stdin_text=None):
    """Appends the command line and its output to path; returns that output."""
    with open(path, "ab") as out:
        out.write(("$ %s\n" % " ".join(args)).encode())
        out.flush()
        start = out.tell()
        try:
            proc = subprocess.Popen(args, env=env, stdin=subprocess.PIPE if stdin_text else subprocess.DEVNULL,
                                    stdout=out, stderr=subprocess.STDOUT, start_new_session=True)
        except OSError as e:
            out.write(("[cannot run: %s]\n" % e).encode())
            return ""
        try:
            proc.communicate(stdin_text.encode() if stdin_text else None, timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(proc.pid, signal.SIGKILL)
            proc.wait(5)
            out.write(("\n[timed out after %d s]\n" % timeout).encode())
        out.write(b"\n")
    with open(path, "rb") as f:
        f.seek(start)
        return f.read().decode("utf-8", errors="replace")


def linux_processes(prefix):
    """The Linux processes whose environment names the prefix, one line each:
    pid, state, kernel wait, command line."""
    lines = []
    for pid in sorted((p for p in os.listdir("/proc") if p.isdigit()), key=int):
        try:
            with open("/proc/%s/environ" % pid, "rb") as f:
                if ("WINEPREFIX=%s\0" % prefix).encode() not in f.read() + b"\0":
                    continue
            with open("/proc/%s/stat" % pid) as f:
                state = f.read().rsplit(")", 1)[1].split()[0]
            with open("/proc/%s/wchan" % pid) as f:
                wchan = f.read().strip() or "-"
            with open("/proc/%s/cmdline" % pid, "rb") as f:
                cmd = f.read().replace(b"\0", b" ").decode("utf-8", errors="replace").strip()
        except OSError:
            continue
        lines.append("%7s %s %-24s %s" % (pid, state, wchan, cmd))
    return lines


def wine_threads(listing, module_names):
    """{windows_pid: [tid, ...]} of the processes whose image is one of
    module_names, from winedbg's "info thread" listing."""
    found, current = {}, None
    for line in listing.splitlines():
        m = re.match(r"(?:Wine-dbg>)?([0-9a-f]{8}) (?:\(D\) )?(.+)$", line)
        if m:
            image = re.split(r"[\\/]", m.group(2).strip())[-1].lower()
            current = m.group(1) if image in module_names else None
            if current:
                found[current] = []
            continue
        m = re.match(r"\t([0-9a-f]{8}) ", line)
        if m and current:
            found[current].append(m.group(1))
    return found


class Symbols:
    """Names the program's frames in a winedbg backtrace ("in module (+0xOFFSET)")
    from the executable's symbol table, when the MinGW tools are there."""

    def __init__(self, exe):
        self.module = os.path.splitext(os.path.basename(exe))[0].lower()
        self.addrs, self.names, self.base = [], [], None
        try:
            header = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", exe], capture_output=True, text=True,
                                    timeout=STEP_TIMEOUT).stdout
            self.base = int(re.search(r"ImageBase\s+([0-9a-fA-F]+)", header).group(1), 16)
            table = subprocess.run(["x86_64-w64-mingw32-nm", "-C", "--defined-only", exe], capture_output=True,
                                   text=True, timeout=STEP_TIMEOUT).stdout
        except (OSError, subprocess.TimeoutExpired, AttributeError):
            return
        for addr, kind, name in sorted(l.split(" ", 2) for l in table.splitlines() if l.count(" ") >= 2):
            if kind in "Tt":
                self.addrs.append(int(addr, 16))
                self.names.append(name)

    def annotate(self, text):
        if not self.addrs:
            return text
        pattern = re.compile(r"in %s \(\+0x([0-9a-f]+)\)" % re.escape(self.module))

        def name(m):
            addr = self.base + int(m.group(1), 16)
            i = bisect.bisect_right(self.addrs, addr) - 1
            return m.group(0) + (" %s+0x%x" % (self.names[i], addr - self.addrs[i]) if i >= 0 else "")
        return pattern.sub(name, text)


def wine_errors(folder, limit=20):
    """The first errors and crashes in the programs' Wine output, for the summary."""
    found = []
    for name in sorted(os.listdir(folder)):
        if name.startswith("wine-"):
            with open(os.path.join(folder, name), encoding="utf-8", errors="replace") as f:
                found += ["  %s: %s" % (name, l.rstrip()[:200]) for l in f if ":err:" in l or l.startswith("wine: ")]
    return ["Wine errors:"] + found[:limit] if found else []


def collect(session, exc_type, exc, tb):
    """Writes the evidence of a failed session into its artifacts folder."""
    folder = session.artifacts
    os.makedirs(folder, exist_ok=True)
    began = time.time()
    env = session.env
    summary = ["session %r failed: %s" % (session.name, "".join(traceback.format_exception(exc_type, exc, tb)))]
    summary.append("prefix %s, display %s" % (session.prefix, env.get("DISPLAY") if env else None))
    for i, (proc, args, started) in enumerate(session.started, 1):
        state = "running" if proc.poll() is None else "exited with %s" % proc.returncode
        summary.append("program %d: %s, pid %d, started %.1f s before the failure, %s"
                       % (i, " ".join(args), proc.pid, began - started, state))
    summary.append("program window: %s" % (session.wid or "never seen"))
    summary += wine_errors(folder)
    if env:
        run_to_file(os.path.join(folder, "screen.txt"), ["import", "-window", "root",
                                                          os.path.join(folder, "screen.png")], env)
        windows = os.path.join(folder, "x-windows.txt")
        run_to_file(windows, ["xwininfo", "-root", "-tree"], env)
        run_to_file(windows, ["xdotool", "search", "--onlyvisible", "--name", "."], env)
        procs_path = os.path.join(folder, "processes.txt")
        lines = linux_processes(session.prefix)
        with open(procs_path, "w") as f:
            f.write("\n".join(["    pid S wchan                    command"] + lines) + "\n\n")
        if any("wineserver" in line for line in lines):
            listing = run_to_file(procs_path, ["winedbg"], env, stdin_text="info proc\ninfo thread\nquit\n")
            exes = {os.path.basename(args[-1]).lower(): args[-1] for _, args, _ in session.started}
            if any(proc.poll() is None for proc, _, _ in session.started):
                backtrace(os.path.join(folder, "backtrace.txt"), env, wine_threads(listing, set(exes)), exes)
    for name in ("OrvaneDownloader.log", "config.json"):
        try:
            shutil.copy(os.path.join(session.data_folder(), name), folder)
        except (OSError, StopIteration):
            pass
    summary.append("evidence collected in %.1f s" % (time.time() - began))
    with open(os.path.join(folder, "summary.txt"), "w") as f:
        f.write("\n".join(summary) + "\n")


def backtrace(path, env, threads, exes):
    """Every thread of each still-running program, attached to in turn."""
    script = []
    for pid, tids in threads.items():
        script += ["attach 0x" + pid] + ["bt 0x" + tid for tid in tids] + ["detach"]
    if not script:
        with open(path, "w") as f:
            f.write("no program process in winedbg's list\n")
        return
    run_to_file(path, ["winedbg"], env, timeout=BACKTRACE_TIMEOUT, stdin_text="\n".join(script + ["quit"]))
    with open(path, encoding="utf-8", errors="replace") as f:
        text = f.read()
    for exe in exes.values():
        text = Symbols(exe).annotate(text)
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)
