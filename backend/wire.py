"""What crosses between the HTTP front and the app: a request as read off
the wire, the reply to send, and the replies played out piece by piece."""

import re

JSON_TYPE = "application/json; charset=utf-8"
VERSION = re.compile(r"HTTP/([0-9])\.([0-9])")
METHOD = re.compile(r"[!#$%&'*+\-.^_`|~0-9A-Za-z]+")


class RequestFailed(Exception):
    """The request cannot be read whole; `status` is answered, None means
    the connection just closes."""

    def __init__(self, status=None, msg=""):
        super().__init__(msg)
        self.status = status
        self.msg = msg


class Headers:
    """Request header fields in the order received; names compare without case."""

    def __init__(self, pairs):
        self._pairs = pairs

    def get(self, name, default=None):
        name = name.lower()
        return next((v for k, v in self._pairs if k.lower() == name), default)

    def get_all(self, name):
        name = name.lower()
        return [v for k, v in self._pairs if k.lower() == name] or None

    def items(self):
        return list(self._pairs)


class Incoming:
    """One request as received, complete or not: `problem` is the
    (status, message) to answer when it could not be read whole."""

    def __init__(self, client, started):
        self.client = client
        self.started = started          # monotonic time of its first byte
        self.raw_line = b""
        self.method = ""
        self.target = ""
        self.version = "HTTP/1.0"
        self.headers = None
        self.body = b""
        self.truncated = False          # body over the limit and not kept
        self.problem = None
        self.logged_as = None           # its entry in the test-mode request log

    def request_line(self):
        return self.raw_line.decode("latin-1").rstrip("\r\n")

    def keep_alive(self):
        tokens = (self.headers.get("Connection") or "").lower().replace(",", " ").split()
        return self.version == "HTTP/1.1" and "close" not in tokens


def parse_request_line(incoming, line):
    words = line.decode("latin-1").rstrip("\r\n").split()
    if len(words) != 3:
        raise RequestFailed(400, "malformed request line")
    method, target, version = words
    m = VERSION.fullmatch(version)
    if not m:
        raise RequestFailed(400, "bad request version")
    if not METHOD.fullmatch(method):
        raise RequestFailed(400, "bad request method")
    incoming.version = version
    if m.group(1) != "1":
        raise RequestFailed(505, "HTTP version not supported")
    incoming.method = method
    # '//host/x' is a path here, never a network location.
    incoming.target = "/" + target.lstrip("/") if target.startswith("//") else target


class Reply:
    def __init__(self, status, body=b"", content_type=JSON_TYPE, headers=()):
        self.status = status
        self.body = body
        self.content_type = content_type
        self.headers = list(headers)


class Played:
    """A reply the front writes raw, with pauses and faults (test mode's
    scripts). Subclasses have `status`, `delay_ms`, `drop`, `close_after`,
    `head(defaults)` giving the header fields after the front's Server and
    Date, and `stream()` giving (bytes, pause_ms_after) for the body."""
