"""Who may do what: the operator token and its browser sessions, the limit
on wrong guesses of it, the CSRF fields of the operator and payer forms, the
Host names a request may use, and the rate limit on new orders."""

import hashlib
import hmac
import os
import re
import secrets
import collections
import threading
import time

SESSION_COOKIE = "orvane_operator"
SESSION_SECONDS = 12 * 3600
LOOPBACK_HOSTS = ("localhost", "127.0.0.1", "[::1]")
WILDCARD_ADDRESSES = ("", "0.0.0.0", "::")
# Visible ASCII only, so the token fits a header, a form field and a file line;
# long enough that guessing it at the allowed rate is hopeless.
MIN_TOKEN_LENGTH = 16
TOKEN_TEXT = re.compile(r"[!-~]{%d,}" % MIN_TOKEN_LENGTH)
# Wrong operator tokens allowed per client address within the window.
GUESSES = 5
GUESS_WINDOW = 60.0
HOST_VALUE = re.compile(r"(\[[0-9a-f:.]+\]|[a-z0-9.\-]+)(?::[0-9]{0,5})?")
# Buckets are only pruned once there are this many, to keep the common path cheap.
PRUNE_AT = 4096


def same_secret(given, expected):
    # compare_digest refuses str with non-ASCII characters; bytes always work.
    return hmac.compare_digest(given.encode("utf-8", "surrogateescape"),
                               expected.encode("utf-8", "surrogateescape"))


def load_or_create_token(path):
    """The operator token kept in `path`, or a new one written there readable
    by the owner only. Returns (token, created)."""
    try:
        with open(path, encoding="ascii", errors="replace") as f:
            token = f.read().strip()
        if TOKEN_TEXT.fullmatch(token):
            return token, False
    except FileNotFoundError:
        pass
    token = secrets.token_urlsafe(32)
    fd = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o600)
    with os.fdopen(fd, "w", encoding="ascii") as f:
        os.fchmod(fd, 0o600)    # a file that already existed keeps its mode otherwise
        f.write(token + "\n")
    return token, True


class Operator:
    """The operator token, the sessions opened with it, and the key that
    derives CSRF fields. The key lives for one process, so forms rendered
    before a restart are refused and have to be reloaded."""

    def __init__(self, token):
        self._token = token
        self._key = secrets.token_bytes(32)
        self._sessions = {}     # session id -> monotonic expiry
        self._lock = threading.Lock()

    def token_matches(self, candidate):
        return same_secret(candidate, self._token)

    def open_session(self):
        sid = secrets.token_urlsafe(32)
        now = time.monotonic()
        with self._lock:
            self._sessions = {s: t for s, t in self._sessions.items() if t > now}
            self._sessions[sid] = now + SESSION_SECONDS
        return sid

    def session_valid(self, sid):
        with self._lock:
            expiry = self._sessions.get(sid)
        return expiry is not None and expiry > time.monotonic()

    def close_session(self, sid):
        with self._lock:
            self._sessions.pop(sid, None)

    def form_key(self, purpose, subject):
        return hmac.new(self._key, ("%s\0%s" % (purpose, subject)).encode("utf-8"),
                        hashlib.sha256).hexdigest()


def host_name(value):
    """The host part of a Host header value, lower-cased, or None if malformed."""
    m = HOST_VALUE.fullmatch(value.strip().lower())
    return m.group(1) if m else None


class HostRule:
    """Refuses requests naming a host the operator did not expect: a page on
    another site that rebinds its own name to this address then cannot use it."""

    def __init__(self, bound, extra=()):
        self.wildcard = bound[0] in WILDCARD_ADDRESSES
        names = list(LOOPBACK_HOSTS) + [host_name(n) for n in extra]
        if not self.wildcard:
            names += [host_name(n) for n in bound]
        self.names = tuple(dict.fromkeys(n for n in names if n))

    def allows(self, values):
        # No Host at all (HTTP/1.0) or several of them: nothing sensible to check.
        if len(values) != 1:
            return False
        return host_name(values[0]) in self.names


class GuessLimit:
    """Counts wrong operator tokens per client address: after GUESSES within
    GUESS_WINDOW seconds the address is refused until the oldest ages out."""

    def __init__(self):
        self._failures = {}     # address -> deque of monotonic times
        self._lock = threading.Lock()

    def wait(self, address):
        """0 when `address` may try a token now, else the seconds to wait."""
        now = time.monotonic()
        with self._lock:
            times = self._failures.get(address, ())
            recent = [t for t in times if now - t < GUESS_WINDOW]
            return GUESS_WINDOW - (now - recent[0]) if len(recent) >= GUESSES else 0

    def failed(self, address):
        now = time.monotonic()
        with self._lock:
            if len(self._failures) >= PRUNE_AT:
                self._failures = {a: t for a, t in self._failures.items()
                                  if now - t[-1] < GUESS_WINDOW}
            # Only the last GUESSES failures can ever matter.
            self._failures.setdefault(address, collections.deque(maxlen=GUESSES)).append(now)


class IntentRate:
    """Token buckets, one per key (a machine code, a client address): `burst`
    orders at once, then one more every 1/per_second seconds. An order
    takes one token from each of its keys' buckets, or none if any is empty."""

    def __init__(self, burst, per_second):
        self.burst = burst
        self.per_second = per_second
        self._buckets = {}      # machine code -> (tokens, monotonic time)
        self._lock = threading.Lock()

    def take(self, *keys):
        """0 when an order may be created now, else the seconds to wait."""
        now = time.monotonic()
        with self._lock:
            if len(self._buckets) >= PRUNE_AT:
                self._prune(now)
            levels = {}
            for key in keys:
                tokens, then = self._buckets.get(key, (self.burst, now))
                levels[key] = min(self.burst, tokens + (now - then) * self.per_second)
            short = max(1 - tokens for tokens in levels.values())
            taken = 0 if short > 0 else 1
            for key, tokens in levels.items():
                self._buckets[key] = (tokens - taken, now)
            return short / self.per_second if short > 0 else 0

    def _prune(self, now):
        refill = self.burst / self.per_second
        self._buckets = {k: v for k, v in self._buckets.items() if now - v[1] < refill}
