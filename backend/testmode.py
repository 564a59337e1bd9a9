"""Test-mode state: queues of scripted replies per endpoint and the log of
every request received, so client tests can provoke faults and inspect traffic."""

import base64
import binascii
import collections
import itertools
import threading

from wire import JSON_TYPE, Played

# Endless filler goes out in blocks of about this size.
FILLER_BLOCK = 64 << 10
# Longest pause a script may ask for; keeps a typo from parking a thread for days.
MAX_PAUSE_MS = 600_000


class ScriptError(ValueError):
    pass


class ScriptedReply(Played):
    def __init__(self, status, body, delay_ms, pieces, drop, headers,
                 endless, filler, omit_headers, close_after):
        self.status = status
        self.body = body
        self.delay_ms = delay_ms
        self.pieces = pieces        # [(byte_count, pause_ms_after), ...]
        self.drop = drop
        self.headers = headers
        self.endless = endless
        self.filler = filler
        self.omit_headers = frozenset(omit_headers)     # lower-case names
        self.close_after = close_after                  # body bytes, or None

    def head(self, defaults):
        """Header fields: the front's, this reply's defaults, less those
        omitted, with the scripted ones added or put in their place."""
        defaults = defaults + [("Content-Type", JSON_TYPE)]
        if not self.endless:
            defaults.append(("Content-Length", str(len(self.body))))
        defaults.append(("Connection", "close"))
        headers = {k: v for k, v in defaults if k.lower() not in self.omit_headers}
        for name, value in self.headers.items():
            for existing in [k for k in headers if k.lower() == name.lower()]:
                del headers[existing]
            headers[name] = value
        return list(headers.items())

    def stream(self):
        """The body pieces, then for an endless reply the filler forever."""
        yield from self.body_pieces()
        if self.endless:
            block = self.filler * max(1, FILLER_BLOCK // len(self.filler))
            yield from itertools.repeat((block, 0))

    def body_pieces(self):
        """The body cut as scripted; bytes left over after the listed pieces
        form one final piece. Yields (bytes, pause_ms_after)."""
        pos = 0
        for size, pause in self.pieces:
            if pos >= len(self.body):
                return
            chunk = self.body[pos:pos + size]
            pos += len(chunk)
            yield chunk, (pause if pos < len(self.body) else 0)
        if pos < len(self.body):
            yield self.body[pos:], 0


def endpoint_key(path):
    """Scripts are keyed by the path relative to /api/v1; any other path
    keeps its leading slash so non-API URLs can be scripted as well."""
    if path.startswith("/api/v1/"):
        return path[len("/api/v1/"):]
    return path


def _is_count(v):
    return isinstance(v, int) and not isinstance(v, bool) and v > 0


def _is_pause(v):
    return isinstance(v, (int, float)) and not isinstance(v, bool) and 0 <= v <= MAX_PAUSE_MS


def _pause(obj, key):
    value = obj.get(key, 0)
    if not _is_pause(value):
        raise ScriptError("%s must be a number from 0 to %d" % (key, MAX_PAUSE_MS))
    return value


def _bytes(obj, key, default):
    """`key` as UTF-8 text or `key`_b64 as base64, whichever the reply has."""
    b64 = key + "_b64"
    if b64 in obj:
        if not isinstance(obj[b64], str):
            raise ScriptError(b64 + " must be a string")
        try:
            return base64.b64decode(obj[b64], validate=True)
        except binascii.Error:
            raise ScriptError(b64 + " is not valid base64") from None
    text = obj.get(key, default)
    if not isinstance(text, str):
        raise ScriptError(key + " must be a string")
    try:
        return text.encode("utf-8")
    except UnicodeEncodeError:
        raise ScriptError(key + " is not valid Unicode text") from None


def _flag(obj, key):
    value = obj.get(key, False)
    if not isinstance(value, bool):
        raise ScriptError(key + " must be true or false")
    return value


def parse_reply(obj):
    if not isinstance(obj, dict):
        raise ScriptError("each reply must be an object")
    status = obj.get("status", 200)
    if isinstance(status, bool) or not isinstance(status, int) or not 100 <= status <= 999:
        raise ScriptError("status must be an integer from 100 to 999")
    body = _bytes(obj, "body", "")
    delay_ms = _pause(obj, "delay_ms")
    if "chunks" in obj:
        chunks = obj["chunks"]
        if not isinstance(chunks, list) or not all(
                isinstance(e, list) and len(e) == 2 and _is_count(e[0]) and _is_pause(e[1])
                for e in chunks):
            raise ScriptError("chunks must be a list of [byte_count, delay_ms]")
        pieces = [(n, pause) for n, pause in chunks]
    else:
        sizes = obj.get("chunk_sizes", [])
        if not isinstance(sizes, list) or not all(_is_count(n) for n in sizes):
            raise ScriptError("chunk_sizes must be a list of positive integers")
        pause = _pause(obj, "chunk_delay_ms")
        pieces = [(n, pause) for n in sizes]
    drop = _flag(obj, "drop")
    endless = _flag(obj, "endless")
    if ("filler" in obj or "filler_b64" in obj) and not endless:
        raise ScriptError("filler is only sent by an endless reply")
    filler = _bytes(obj, "filler", "A")
    if not filler:
        raise ScriptError("filler must not be empty")
    omit = obj.get("omit_headers", [])
    if not isinstance(omit, list) or not all(isinstance(n, str) for n in omit):
        raise ScriptError("omit_headers must be a list of header names")
    close_after = obj.get("close_after")
    if close_after is not None and (isinstance(close_after, bool)
                                    or not isinstance(close_after, int) or close_after < 0):
        raise ScriptError("close_after must be a non-negative integer")
    headers = obj.get("headers", {})
    if not isinstance(headers, dict) or not all(
            isinstance(k, str) and isinstance(v, str) for k, v in headers.items()):
        raise ScriptError("headers must map names to strings")
    for k, v in headers.items():
        if not k or ":" in k or any(ch in k + v for ch in "\r\n") or not (k + v).isascii():
            raise ScriptError("headers must be single-line ASCII with names free of ':'")
    return ScriptedReply(status, body, delay_ms, pieces, drop, headers, endless, filler,
                         [n.lower() for n in omit], close_after)


def parse_script(obj):
    if not isinstance(obj, dict):
        raise ScriptError("script must be a JSON object")
    endpoint = obj.get("endpoint")
    if not isinstance(endpoint, str) or not endpoint.strip("/"):
        raise ScriptError("endpoint must be a non-empty path")
    replies = obj.get("replies")
    if not isinstance(replies, list) or not replies:
        raise ScriptError("replies must be a non-empty list")
    key = endpoint_key(endpoint) if endpoint.startswith("/") else endpoint
    return key, [parse_reply(r) for r in replies]


class TestState:
    def __init__(self):
        self._lock = threading.Lock()
        self._scripts = collections.defaultdict(collections.deque)
        self._log = []

    def queue(self, key, replies):
        with self._lock:
            self._scripts[key].extend(replies)
            return len(self._scripts[key])

    def next_reply(self, key):
        with self._lock:
            queue = self._scripts.get(key)
            return queue.popleft() if queue else None

    def record(self, entry):
        """Logs `entry`; returns it, for ended()."""
        with self._lock:
            entry["seq"] = len(self._log) + 1
            self._log.append(entry)
        return entry

    def ended(self, entry, ms):
        with self._lock:
            entry["ended_ms"] = ms

    def requests(self):
        with self._lock:
            return [dict(e) for e in self._log]

    def reset(self):
        with self._lock:
            self._scripts.clear()
            self._log.clear()
