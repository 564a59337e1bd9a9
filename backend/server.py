"""HTTP front of the Orvane store backend: command line, request reading,
input checks, routing of the /api/v1 endpoints, the payer and operator pages,
and the test-mode control endpoints with their scripted replies."""

import argparse
import base64
import ipaddress
import json
import math
import re
import select
import signal
import socket
import sys
import threading
import time
import traceback
import urllib.parse
from http import HTTPStatus
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

import access
import images
import pages
import store
import testmode

MAX_BODY = 1 << 20
# Oversized bodies are read and thrown away up to this much so the client
# sees the 413 instead of a connection reset.
DRAIN_LIMIT = 16 << 20
JSON_TYPE = "application/json; charset=utf-8"
HTML_TYPE = "text/html; charset=utf-8"
TEXT_TYPE = "text/plain; charset=utf-8"
HOST_HEADER = re.compile(r"^[A-Za-z0-9.\-]+(:[0-9]{1,5})?$")
ORDER_NO = "[A-Za-z0-9]+"
ADMIN_STATUS = "success|paid|failed|expired|refunded"
OPERATOR_AREA = re.compile(r"^/admin(/|$)")
LOGIN_PATH = "/admin/login"
# int() takes any Unicode digit and str.isdigit() even more, so numbers from
# the outside are matched against ASCII digits first.
DIGITS = re.compile(r"[0-9]+")
MAX_LIMIT = 100
LIMIT_TEXT = re.compile(r"[0-9]{1,3}")
# Longest accepted text per field, in characters.
FIELD_LIMITS = {
    "exe_name": 260,
    "channel_code": 128,
    "qhclickid": 512,
    "machine_code": 128,
    "game_name": 128,
    "name": 128,
    "order_no": 64,
}


class ApiError(Exception):
    def __init__(self, status, msg):
        super().__init__(msg)
        self.status = status
        self.msg = msg


class Refused(Exception):
    """A request turned away with a ready reply (pages want HTML, not JSON)."""

    def __init__(self, reply):
        super().__init__(reply.status)
        self.reply = reply


class BodyError(ApiError):
    def __init__(self, status, msg, partial=b"", truncated=False):
        super().__init__(status, msg)
        self.partial = partial
        self.truncated = truncated


class Reply:
    def __init__(self, status, body=b"", content_type=JSON_TYPE, headers=()):
        self.status = status
        self.body = body
        self.content_type = content_type
        self.headers = list(headers)


class Request:
    def __init__(self, method, path, query, body, headers):
        self.method = method
        self.path = path
        self.query = query
        self.body = body
        self.headers = headers
        self.host = headers.get("Host")
        self.session = None     # operator session id; None with a Bearer token

    def form(self):
        """The url-encoded form body; empty when it cannot be read as one."""
        try:
            return {k: v[0] for k, v in urllib.parse.parse_qs(
                self.body.decode("ascii"), errors="strict").items()}
        except ValueError:      # UnicodeDecodeError included
            return {}

    def cookie(self, name):
        for part in (self.headers.get("Cookie") or "").split(";"):
            key, _, value = part.strip().partition("=")
            if key == name:
                return value
        return None


def json_bytes(obj):
    # Literal UTF-8 and no blanks: the client cuts values out of the text
    # without a JSON parser and never decodes \u escapes.
    return json.dumps(obj, ensure_ascii=False, separators=(",", ":")).encode("utf-8")


def ok(data):
    return Reply(200, json_bytes({"code": 0, "msg": "ok", "data": data}))


def error(status, msg):
    return Reply(status, json_bytes({"code": status, "msg": msg, "data": None}))


def html(status, text):
    # No framing: another site could otherwise lay its own bait over the pay buttons.
    return Reply(status, text.encode("utf-8"), HTML_TYPE, [("X-Frame-Options", "DENY")])


def redirect(location, headers=()):
    return Reply(303, b"", None, [("Location", location), *headers])


def plain_refusal(path, status, msg):
    """JSON where a program is talking, one line of text for browsers."""
    if path.startswith("/api/") or path.startswith(TEST_PREFIX):
        return error(status, msg)
    return Reply(status, (msg + "\n").encode("utf-8"), TEXT_TYPE)


def path_of(target):
    try:
        return urllib.parse.urlsplit(target).path
    except ValueError:
        return target


def parse_query(query):
    try:
        return {k: v[0] for k, v in urllib.parse.parse_qs(
            query, keep_blank_values=True, errors="strict").items()}
    except UnicodeDecodeError:
        raise ApiError(400, "query is not valid UTF-8") from None


def json_body(req):
    try:
        obj = json.loads(req.body.decode("utf-8"))
    except (UnicodeDecodeError, ValueError, RecursionError):
        raise ApiError(400, "malformed JSON body") from None
    if not isinstance(obj, dict):
        raise ApiError(400, "JSON body must be an object")
    return obj


def checked_text(key, value):
    if len(value) > FIELD_LIMITS[key]:
        raise ApiError(400, "%s is longer than %d characters" % (key, FIELD_LIMITS[key]))
    try:
        value.encode("utf-8")
    except UnicodeEncodeError:  # lone surrogates from \ud800-style JSON escapes
        raise ApiError(400, "%s is not valid Unicode text" % key) from None
    return value


def flag_field(obj, key):
    if key not in obj:
        raise ApiError(400, "missing field: " + key)
    if not isinstance(obj[key], bool):
        raise ApiError(400, "field %s must be true or false" % key)
    return obj[key]


def text_field(obj, key):
    if key not in obj:
        raise ApiError(400, "missing field: " + key)
    if not isinstance(obj[key], str):
        raise ApiError(400, "field %s must be a string" % key)
    return checked_text(key, obj[key])


def machine_code_field(obj):
    code = text_field(obj, "machine_code")
    if not code:
        raise ApiError(400, "machine_code must not be empty")
    return code


def query_param(req, key):
    if key not in req.query:
        raise ApiError(400, "missing query parameter: " + key)
    return checked_text(key, req.query[key])


# -- /api/v1 -------------------------------------------------------------------

def api_login(app, req):
    obj = json_body(req)
    exe_name = text_field(obj, "exe_name")
    channel_code = text_field(obj, "channel_code")
    qhclickid = text_field(obj, "qhclickid")
    return ok(app.store.login(exe_name, channel_code, qhclickid, machine_code_field(obj)))


def api_games(app, req):
    return ok({"games": app.store.games()})


def api_games_download(app, req):
    name = query_param(req, "name")
    url = app.store.game_download(name)
    if url is None:
        raise ApiError(404, "unknown game: " + name)
    return ok({"download_url": url, "name": name})


def api_products(app, req):
    return ok(app.store.products())


def api_pay_intent(app, req):
    obj = json_body(req)
    machine_code = machine_code_field(obj)
    game_name = text_field(obj, "game_name")
    channel_code = text_field(obj, "channel_code")
    apply_discount = flag_field(obj, "apply_discount")
    wait = app.intent_rate.take(machine_code)
    if wait:
        reply = error(429, "too many orders from this machine; retry later")
        reply.headers.append(("Retry-After", str(math.ceil(wait))))
        raise Refused(reply)
    try:
        intent = app.store.create_order(machine_code, game_name, channel_code, apply_discount)
    except LookupError as e:
        raise ApiError(503, str(e)) from None
    return ok(intent)


def _known_order(app, req):
    order_no = query_param(req, "order_no")
    order = app.store.order(order_no)
    if order is None:
        raise ApiError(404, "unknown order: " + order_no)
    return order


def api_pay_qr(app, req):
    order = _known_order(app, req)
    # Prefer the address the caller used, so the payer page is reachable the same way.
    origin = req.host if req.host and HOST_HEADER.match(req.host) else app.origin
    url = "http://%s/pay/%s" % (origin, order["order_no"])
    return Reply(200, images.qr_png(url), "image/png")


def api_pay_status(app, req):
    order = _known_order(app, req)
    return ok({"status": order["status"], "order_no": order["order_no"]})


ORDER_FIELDS = ("order_no", "status", "game_name", "alipay_trade_no", "pay_amount",
                "created_at", "updated_at", "download_url")


def api_orders_latest(app, req):
    machine_code = query_param(req, "machine_code")
    raw_limit = req.query.get("limit", str(MAX_LIMIT))
    if not LIMIT_TEXT.fullmatch(raw_limit) or not 1 <= int(raw_limit) <= MAX_LIMIT:
        raise ApiError(400, "limit must be a whole number from 1 to %d" % MAX_LIMIT)
    orders = app.store.latest_orders(machine_code, int(raw_limit))
    return ok([{k: o[k] for k in ORDER_FIELDS} for o in orders])


def api_support_qq(app, req):
    return ok({"qq_image_url": "/api/v1/support/qq.png"})


def api_support_qq_png(app, req):
    return Reply(200, app.support_png(), "image/png")


# -- pages -----------------------------------------------------------------

def check_csrf(req, expected):
    if not access.same_secret(req.form().get("csrf", ""), expected):
        raise Refused(html(403, pages.refusal_page(
            "请求无效", "表单已过期或来源不明，请刷新页面后重试。")))


def pay_csrf(app, order_no):
    return app.operator.form_key("pay", order_no)


def page_pay(app, req, order_no):
    order = app.store.order(order_no)
    if order is None:
        return html(404, pages.not_found_page("订单 %s 不存在" % order_no))
    return html(200, pages.pay_page(order, pay_csrf(app, order_no)))


def page_pay_action(app, req, order_no, action):
    check_csrf(req, pay_csrf(app, order_no))
    status = "success" if action == "confirm" else "failed"
    # The payer can only settle an order that is still waiting.
    if app.store.set_status(order_no, status, only_if_pending=True) is None:
        return html(404, pages.not_found_page("订单 %s 不存在" % order_no))
    return redirect("/pay/" + order_no)


def operator_csrf(app, req):
    return app.operator.form_key("operator", req.session) if req.session else ""


def check_operator_csrf(app, req):
    # A Bearer token cannot be attached by a cross-site form, so only
    # cookie sessions need the field.
    if req.session is not None:
        check_csrf(req, operator_csrf(app, req))


def page_login(app, req):
    return html(200, pages.login_page())


def page_login_submit(app, req):
    if not app.operator.token_matches(req.form().get("token", "")):
        return html(403, pages.login_page("令牌错误"))
    cookie = "%s=%s; Path=/admin; HttpOnly; SameSite=Strict" % (
        access.SESSION_COOKIE, app.operator.open_session())
    return redirect("/admin", [("Set-Cookie", cookie)])


def page_logout(app, req):
    check_operator_csrf(app, req)
    if req.session:
        app.operator.close_session(req.session)
    cookie = "%s=; Path=/admin; Max-Age=0; HttpOnly; SameSite=Strict" % access.SESSION_COOKIE
    return redirect(LOGIN_PATH, [("Set-Cookie", cookie)])


def page_admin(app, req):
    return html(200, pages.admin_page(app.store.all_orders(), operator_csrf(app, req)))


def mark_order(app, order_no, status):
    return app.store.set_status(order_no, "success" if status == "paid" else status)


def page_admin_action(app, req, order_no, status):
    check_operator_csrf(app, req)
    if mark_order(app, order_no, status) is None:
        return html(404, pages.not_found_page("订单 %s 不存在" % order_no))
    return redirect("/admin")


# -- test mode -------------------------------------------------------------

def test_script(app, req):
    try:
        key, replies = testmode.parse_script(json_body(req))
    except testmode.ScriptError as e:
        raise ApiError(400, str(e)) from None
    return ok({"endpoint": key, "queued": app.tests.queue(key, replies)})


def test_requests(app, req):
    return ok(app.tests.requests())


def test_reset(app, req):
    app.tests.reset()
    return ok({"reset": True})


def test_mark_order(app, req, order_no, status):
    order = mark_order(app, order_no, status)
    if order is None:
        raise ApiError(404, "unknown order: " + order_no)
    return ok({"order_no": order["order_no"], "status": order["status"]})


def _route(method, pattern, fn):
    return method, re.compile("^" + pattern + "$"), fn


ROUTES = [
    _route("POST", "/api/v1/login", api_login),
    _route("GET", "/api/v1/games", api_games),
    _route("GET", "/api/v1/games/download", api_games_download),
    _route("GET", "/api/v1/products", api_products),
    _route("POST", "/api/v1/pay_intent", api_pay_intent),
    _route("GET", "/api/v1/pay_qr", api_pay_qr),
    _route("GET", "/api/v1/pay_status", api_pay_status),
    _route("GET", "/api/v1/orders/latest", api_orders_latest),
    _route("GET", "/api/v1/support/qq", api_support_qq),
    _route("GET", "/api/v1/support/qq.png", api_support_qq_png),
    _route("GET", "/pay/(%s)" % ORDER_NO, page_pay),
    _route("POST", "/pay/(%s)/(confirm|refuse)" % ORDER_NO, page_pay_action),
    _route("GET", LOGIN_PATH, page_login),
    _route("POST", LOGIN_PATH, page_login_submit),
    _route("POST", "/admin/logout", page_logout),
    _route("GET", "/admin/?", page_admin),
    _route("POST", "/admin/orders/(%s)/(%s)" % (ORDER_NO, ADMIN_STATUS), page_admin_action),
]

TEST_PREFIX = "/__test__/"
TEST_ROUTES = [
    _route("POST", "/__test__/script", test_script),
    _route("GET", "/__test__/requests", test_requests),
    _route("POST", "/__test__/reset", test_reset),
    _route("POST", "/__test__/orders/(%s)/(%s)" % (ORDER_NO, ADMIN_STATUS), test_mark_order),
]


class App:
    def __init__(self, store_, tests, support_qq, intent_rate):
        self.store = store_
        self.tests = tests          # None unless --test-mode
        self.intent_rate = intent_rate
        # Both are set once the socket is bound: a start that fails to bind
        # must not leave behind a token file nobody was shown.
        self.operator = None
        self.hosts = None
        self.origin = ""
        self._support_qq = support_qq
        self._support_png = None
        self._support_lock = threading.Lock()
        self.routes = ROUTES + (TEST_ROUTES if tests is not None else [])

    def support_png(self):
        with self._support_lock:
            if self._support_png is None:
                self._support_png = images.support_card_png(self._support_qq)
            return self._support_png

    def operator_session(self, req):
        """The session id, or None for a Bearer token; refuses anyone else."""
        scheme, _, credentials = (req.headers.get("Authorization") or "").partition(" ")
        if scheme.lower() == "bearer":
            if self.operator.token_matches(credentials.strip()):
                return None
            raise Refused(html(403, pages.login_page("令牌错误")))
        sid = req.cookie(access.SESSION_COOKIE)
        if sid and self.operator.session_valid(sid):
            return sid
        reply = html(401, pages.login_page())
        reply.headers.append(("WWW-Authenticate", 'Bearer realm="orvane operator"'))
        raise Refused(reply)

    def route(self, req):
        if OPERATOR_AREA.match(req.path) and req.path != LOGIN_PATH:
            req.session = self.operator_session(req)
        allowed = []
        for method, pattern, fn in self.routes:
            m = pattern.match(req.path)
            if not m:
                continue
            if method == req.method:
                return fn(self, req, *m.groups())
            allowed.append(method)
        if allowed:
            reply = error(405, "method not allowed")
            reply.headers.append(("Allow", ", ".join(allowed)))
            return reply
        return error(404, "not found: " + req.path)


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    # Malformed request lines are answered with a status line and headers too.
    default_request_version = "HTTP/1.0"
    server_version = "OrvaneBackend/1.0"
    disable_nagle_algorithm = True
    timeout = 15

    def handle_one_request(self):
        self._recorded = False
        self._status = None
        self._sent = 0
        self._note = ""
        self._started = time.monotonic()
        try:
            super().handle_one_request()
        except (BrokenPipeError, ConnectionResetError):
            self._note = "client gone"
            self.close_connection = True
        if self._status is not None or self._note:
            self._log_line()

    def version_string(self):
        return self.server_version

    def do_GET(self):
        self._dispatch()

    do_POST = do_PUT = do_DELETE = do_PATCH = do_OPTIONS = do_GET

    def send_response_only(self, code, message=None):
        self._status = code
        super().send_response_only(code, message)

    def log_request(self, code="-", size="-"):
        pass    # one line per request is written by _log_line instead

    def log_error(self, format, *args):
        self._note = format % args     # e.g. a time-out, told in the request's own line

    def send_error(self, code, message=None, explain=None):
        """Protocol-level errors from the base class, answered in JSON."""
        self._record(b"")
        try:
            phrase = HTTPStatus(code).phrase
        except ValueError:
            phrase = "error"
        self._send(error(code, message or phrase), head_only=self.command == "HEAD")

    def _log_line(self):
        ms = (time.monotonic() - self._started) * 1000
        sys.stderr.write('%s "%s" %s %d %.1fms%s\n' % (
            self.client_address[0], getattr(self, "requestline", ""),
            self._status if self._status is not None else "-", self._sent, ms,
            " " + self._note if self._note else ""))
        sys.stderr.flush()

    def _record(self, body, truncated=False):
        tests = self.server.app.tests
        if self._recorded or tests is None:
            return
        self._recorded = True
        target = getattr(self, "path", "")
        if path_of(target).startswith(TEST_PREFIX):
            return
        headers = {}
        if getattr(self, "headers", None) is not None:
            for k, v in self.headers.items():
                headers[k] = headers[k] + ", " + v if k in headers else v
        try:
            text = body.decode("utf-8")
        except UnicodeDecodeError:
            text = None
        tests.record({
            "time": time.strftime("%Y-%m-%d %H:%M:%S"),
            "client": self.client_address[0],
            "request_line": self.raw_requestline.decode("latin-1").rstrip("\r\n"),
            "method": self.command or "",
            "target": target,
            "version": self.request_version,
            "headers": headers,
            "body_b64": base64.b64encode(body).decode("ascii"),
            "body_text": text,
            "body_size": len(body),
            "body_truncated": truncated,
        })

    def _read_some(self, count):
        """Up to `count` bytes, stopping early at end of stream or a time-out."""
        parts = []
        remaining = count
        try:
            while remaining > 0:
                part = self.rfile.read1(min(remaining, 65536))
                if not part:
                    break
                parts.append(part)
                remaining -= len(part)
        except TimeoutError:
            pass
        return b"".join(parts)

    def _read_body(self):
        if "chunked" in (self.headers.get("Transfer-Encoding") or "").lower():
            raise BodyError(411, "chunked request bodies are not accepted; send Content-Length")
        raw = self.headers.get("Content-Length")
        if raw is None:
            return b""
        raw = raw.strip()
        if not DIGITS.fullmatch(raw):
            raise BodyError(400, "invalid Content-Length")
        # Beyond nine digits it is over the limit anyway, and int() refuses
        # thousands of digits.
        length = int(raw) if len(raw.lstrip("0")) <= 9 else DRAIN_LIMIT
        if length > MAX_BODY:
            self._read_some(min(length, DRAIN_LIMIT))
            raise BodyError(413, "request body larger than 1 MiB", truncated=True)
        body = self._read_some(length)
        if len(body) < length:
            raise BodyError(400, "request body shorter than Content-Length", partial=body)
        return body

    def _dispatch(self):
        app = self.server.app
        try:
            body = self._read_body()
        except BodyError as e:
            self._record(e.partial, e.truncated)
            self._send(error(e.status, e.msg))
            return
        self._record(body)
        path = path_of(self.path)
        if not app.hosts.allows(self.headers.get_all("Host") or []):
            self._send(plain_refusal(path, 421, "this server does not answer for that Host"))
            return
        if app.tests is not None and not path.startswith(TEST_PREFIX):
            scripted = app.tests.next_reply(testmode.endpoint_key(path))
            if scripted is not None:
                self._play(scripted)
                return
        try:
            try:
                target = urllib.parse.urlsplit(self.path)
            except ValueError:
                raise ApiError(400, "malformed request target") from None
            req = Request(self.command, target.path, parse_query(target.query), body,
                          self.headers)
            reply = app.route(req)
        except ApiError as e:
            reply = error(e.status, e.msg)
        except Refused as e:
            reply = e.reply
        except Exception:   # a bug must cost one request, not the server
            traceback.print_exc()
            reply = error(500, "internal error")
        self._send(reply)

    def _send(self, reply, head_only=False):
        self.send_response(reply.status)
        if reply.content_type:
            self.send_header("Content-Type", reply.content_type)
        self.send_header("Content-Length", str(len(reply.body)))
        for k, v in reply.headers:
            self.send_header(k, v)
        self.send_header("Connection", "close")
        self.end_headers()
        if not head_only:
            self.wfile.write(reply.body)
            self._sent = len(reply.body)
        self.close_connection = True

    def _linger(self, ms):
        """Waits `ms` milliseconds; False as soon as the client has gone away,
        so a slow scripted reply never outlives its reader by long."""
        deadline = time.monotonic() + ms / 1000
        while True:
            left = deadline - time.monotonic()
            if left <= 0:
                return True
            readable, _, _ = select.select([self.connection], [], [], left)
            if not readable:
                continue
            try:
                if not self.connection.recv(1, socket.MSG_PEEK):
                    return False
            except ConnectionError:
                return False
            # The client sent more bytes: nothing to learn from the socket until then.
            time.sleep(max(0.0, deadline - time.monotonic()))
            return True

    def _play(self, scripted):
        self.close_connection = True
        if scripted.delay_ms and not self._linger(scripted.delay_ms):
            self._note = "client gone"
            return
        if scripted.drop:
            self._note = "scripted drop"
            return
        defaults = [("Server", self.version_string()), ("Date", self.date_time_string()),
                    ("Content-Type", JSON_TYPE)]
        if not scripted.endless:
            defaults.append(("Content-Length", str(len(scripted.body))))
        defaults.append(("Connection", "close"))
        headers = {k: v for k, v in defaults if k.lower() not in scripted.omit_headers}
        for name, value in scripted.headers.items():
            for existing in [k for k in headers if k.lower() == name.lower()]:
                del headers[existing]
            headers[name] = value
        self.send_response_only(scripted.status)
        for name, value in headers.items():
            self.send_header(name, value)
        self.end_headers()
        self._note = "scripted"
        budget = scripted.close_after
        for chunk, pause_ms in scripted.stream():
            if budget is not None:
                chunk = chunk[:budget]
                budget -= len(chunk)
            self.wfile.write(chunk)
            self._sent += len(chunk)
            if budget == 0:
                self._note = "scripted close after %d bytes" % scripted.close_after
                return
            if pause_ms and not self._linger(pause_ms):
                self._note = "client gone"
                return


class BackendServer(ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, address, app):
        super().__init__(address, Handler)
        self.app = app


def non_negative(text):
    value = float(text)
    if not 0 <= value < math.inf:
        raise argparse.ArgumentTypeError("must be a non-negative number")
    return value


def positive_int(text):
    value = int(text)
    if value < 1:
        raise argparse.ArgumentTypeError("must be at least 1")
    return value


def token_text(text):
    if not access.TOKEN_TEXT.fullmatch(text):
        raise argparse.ArgumentTypeError("must be visible ASCII without blanks")
    return text


def allowed_host(text):
    name = access.host_name(text)
    if name is None:
        raise argparse.ArgumentTypeError("not a host name or address: %r" % text)
    return name


def intent_rate(text):
    burst, sep, per_second = text.partition("/")
    try:
        burst, per_second = int(burst), float(per_second)
    except ValueError:
        burst = 0
    if not sep or burst < 1 or not 0 < per_second < math.inf:
        raise argparse.ArgumentTypeError("expected BURST/PER_SECOND, e.g. 20/1")
    return burst, per_second


def parse_args(argv):
    p = argparse.ArgumentParser(description="Orvane store backend")
    p.add_argument("--host", default="127.0.0.1")
    p.add_argument("--port", type=int, default=8001, help="0 picks a free port")
    p.add_argument("--db", default="./orvane-backend.db", help="SQLite file")
    p.add_argument("--auto-pay", type=non_negative, metavar="SECONDS",
                   help="mark each pending order paid this long after its creation")
    p.add_argument("--countdown-seconds", type=positive_int, metavar="SECONDS",
                   help="order lifetime instead of the product's countdown minutes")
    p.add_argument("--support-qq", default="800123456",
                   help="QQ number on the customer-service picture")
    p.add_argument("--admin-token", type=token_text, metavar="TOKEN",
                   help="operator token instead of the one kept in DB.admin-token")
    p.add_argument("--allow-host", type=allowed_host, action="append", default=[],
                   metavar="NAME", help="also serve requests whose Host names NAME")
    p.add_argument("--intent-rate", type=intent_rate, default=(20, 1.0),
                   metavar="BURST/PER_SECOND",
                   help="pay_intent calls per machine code: burst, then refill rate")
    p.add_argument("--test-mode", action="store_true",
                   help="enable /__test__/ scripting and the request log")
    return p.parse_args(argv)


def startup_notes(hosts, origin, token, token_file, token_created, test_mode, host):
    """The lines printed after the ready line."""
    notes = []
    if test_mode and not ipaddress.ip_address(host).is_loopback:
        notes.append("warning: --test-mode on an address others can reach lets them"
                     " script every reply")
    if token_created:
        notes.append("operator token (new, saved in %s): %s" % (token_file, token))
    notes.append("operator page: http://%s/admin (token %s)" % (
        origin, "given by --admin-token" if token_file is None else "in " + token_file))
    if hosts.wildcard:
        notes.append("bound to every interface: only requests whose Host names %s are served"
                     % ", ".join(hosts.names))
    else:
        notes.append("Host names served: " + ", ".join(hosts.names))
    return notes


def main(argv=None):
    args = parse_args(argv)
    db = store.Store(args.db, countdown_seconds=args.countdown_seconds,
                     auto_pay_seconds=args.auto_pay)
    app = App(db, testmode.TestState() if args.test_mode else None, args.support_qq,
              access.IntentRate(*args.intent_rate))
    server = BackendServer((args.host, args.port), app)
    host, port = server.server_address[:2]
    if args.admin_token is not None:
        token, token_file, token_created = args.admin_token, None, False
    else:
        token_file = args.db + ".admin-token"
        token, token_created = access.load_or_create_token(token_file)
    app.operator = access.Operator(token)
    app.hosts = access.HostRule((args.host, host), args.allow_host)
    # The wildcard address is no place to send a browser to.
    app.origin = "%s:%d" % ("127.0.0.1" if app.hosts.wildcard else host, port)

    def stop(signum, frame):
        # shutdown() waits for serve_forever, which runs on this very thread.
        threading.Thread(target=server.shutdown).start()

    signal.signal(signal.SIGTERM, stop)
    # One write: a reader that takes only the first line and closes the pipe
    # must not make a later print fail.
    print("\n".join(["backend listening on http://%s:%d/api/v1" % (host, port)]
                    + startup_notes(app.hosts, app.origin, token, token_file, token_created,
                                    args.test_mode, host)),
          flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()
        db.close()


if __name__ == "__main__":
    main()
