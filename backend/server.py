"""The Orvane store backend: command line, input checks, routing of the
/api/v1 endpoints, the simulated payer's and the operator's pages, and the
test-mode control endpoints. The HTTP front (http_front) serves it."""

import argparse
import base64
import ipaddress
import json
import math
import os
import re
import ssl
import sys
import threading
import time
import traceback
import unicodedata
import urllib.parse

import access
import http_front
import images
import pages
import store
import testmode
from wire import Reply

HTML_TYPE = "text/html; charset=utf-8"
TEXT_TYPE = "text/plain; charset=utf-8"
HOST_HEADER = re.compile(r"^[A-Za-z0-9.\-]+(:[0-9]{1,5})?$")
ORDER_NO = "[A-Za-z0-9]+"
ADMIN_STATUS = "success|paid|failed|expired|refunded"
OPERATOR_AREA = re.compile(r"^/admin(/|$)")
LOGIN_PATH = "/admin/login"
# int() takes any Unicode digit and str.isdigit() even more, so numbers from
# the outside are matched against ASCII digits first.
MAX_LIMIT = 100
LIMIT_TEXT = re.compile(r"[0-9]{1,3}")
CURSOR_TEXT = re.compile(r"[0-9]{1,18}")
ADMIN_PAGE_SIZE = 50
# Control, format (zero-width, direction marks), surrogate, private-use and
# unassigned code points, and line and paragraph separators: none belongs in
# a machine code, and each would make a look-alike of another one.
INVISIBLE_CATEGORIES = ("Cc", "Cf", "Cs", "Co", "Cn", "Zl", "Zp")
# Methods answered at all; any other is 501.
METHODS = ("GET", "POST", "PUT", "DELETE", "PATCH", "OPTIONS")
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


class Request:
    def __init__(self, method, path, query, body, headers, client):
        self.method = method
        self.path = path
        self.query = query
        self.body = body
        self.headers = headers
        self.client = client        # the peer's address
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


def machine_code(text):
    """The machine code without surrounding blanks; refused when empty or
    holding invisible characters, before it keys anything."""
    code = text.strip()
    if not code:
        raise ApiError(400, "machine_code must not be empty")
    if any(unicodedata.category(c) in INVISIBLE_CATEGORIES for c in code):
        raise ApiError(400, "machine_code holds control or invisible characters")
    return code


def machine_code_field(obj):
    return machine_code(text_field(obj, "machine_code"))


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
    code = machine_code_field(obj)
    game_name = text_field(obj, "game_name")
    channel_code = text_field(obj, "channel_code")
    apply_discount = flag_field(obj, "apply_discount")
    # Per address too: machine codes are the client's to choose.
    wait = app.intent_rate.take(("machine", code), ("address", req.client))
    if wait:
        reply = error(429, "too many orders from this machine or address; retry later")
        reply.headers.append(("Retry-After", str(math.ceil(wait))))
        raise Refused(reply)
    try:
        intent = app.store.create_order(code, game_name, channel_code, apply_discount)
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
    if not app.simulate_payments:
        # No payment provider here: the code only names the order, which the
        # operator settles once paid some other way.
        return Reply(200, images.qr_png("order:" + order["order_no"]), "image/png")
    # Prefer the address the caller used, so the payer page is reachable the same way.
    origin = req.host if req.host and HOST_HEADER.match(req.host) else app.origin
    url = "%s://%s/pay/%s" % (app.scheme, origin, order["order_no"])
    return Reply(200, images.qr_png(url), "image/png")


def api_pay_status(app, req):
    order = _known_order(app, req)
    return ok({"status": order["status"], "order_no": order["order_no"]})


ORDER_FIELDS = ("order_no", "status", "game_name", "alipay_trade_no", "pay_amount",
                "created_at", "updated_at", "download_url")


def api_orders_latest(app, req):
    code = machine_code(query_param(req, "machine_code"))
    raw_limit = req.query.get("limit", str(MAX_LIMIT))
    if not LIMIT_TEXT.fullmatch(raw_limit) or not 1 <= int(raw_limit) <= MAX_LIMIT:
        raise ApiError(400, "limit must be a whole number from 1 to %d" % MAX_LIMIT)
    orders = app.store.latest_orders(code, int(raw_limit))
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
    if app.store.set_status(order_no, status, only_if_pending=True, by="simulation") is None:
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


def check_token(app, req, candidate):
    """True for the operator token; refuses an address that guessed too often."""
    wait = app.guesses.wait(req.client)
    if wait:
        reply = html(429, pages.login_page("错误次数过多，请稍后再试"))
        reply.headers.append(("Retry-After", str(math.ceil(wait))))
        raise Refused(reply)
    if app.operator.token_matches(candidate):
        return True
    app.guesses.failed(req.client)
    return False


def page_login_submit(app, req):
    if not check_token(app, req, req.form().get("token", "")):
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


def cursor_param(req, key):
    raw = req.query.get(key)
    if raw is None:
        return None
    if not CURSOR_TEXT.fullmatch(raw):
        raise Refused(html(400, pages.refusal_page("请求无效", "页码参数无效。")))
    return int(raw)


def page_admin(app, req):
    search = req.query.get("q", "").strip()[:FIELD_LIMITS["machine_code"]]
    orders, older, newer = app.store.orders_page(
        ADMIN_PAGE_SIZE, before=cursor_param(req, "before"), after=cursor_param(req, "after"),
        search=search or None)
    return html(200, pages.admin_page(orders, operator_csrf(app, req), search, older, newer))


def mark_order(app, order_no, status, by="operator"):
    return app.store.set_status(order_no, "success" if status == "paid" else status, by=by)


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
    order = mark_order(app, order_no, status, by="simulation")
    if order is None:
        raise ApiError(404, "unknown order: " + order_no)
    return ok({"order_no": order["order_no"], "status": order["status"]})


def _route(method, pattern, fn):
    return method, re.compile("^" + pattern + "$"), fn


API_ROUTES = [
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
]

OPERATOR_ROUTES = [
    _route("GET", LOGIN_PATH, page_login),
    _route("POST", LOGIN_PATH, page_login_submit),
    _route("POST", "/admin/logout", page_logout),
    _route("GET", "/admin/?", page_admin),
    _route("POST", "/admin/orders/(%s)/(%s)" % (ORDER_NO, ADMIN_STATUS), page_admin_action),
]

PAYER_ROUTES = [
    _route("GET", "/pay/(%s)" % ORDER_NO, page_pay),
    _route("POST", "/pay/(%s)/(confirm|refuse)" % ORDER_NO, page_pay_action),
]

TEST_PREFIX = "/__test__/"
TEST_ROUTES = [
    _route("POST", "/__test__/script", test_script),
    _route("GET", "/__test__/requests", test_requests),
    _route("POST", "/__test__/reset", test_reset),
    _route("POST", "/__test__/orders/(%s)/(%s)" % (ORDER_NO, ADMIN_STATUS), test_mark_order),
]


class App:
    def __init__(self, store_, tests, support_qq, intent_rate, simulate_payments, scheme):
        self.store = store_
        self.tests = tests          # None unless --test-mode
        self.intent_rate = intent_rate
        self.guesses = access.GuessLimit()
        self.simulate_payments = simulate_payments
        self.scheme = scheme        # of the URLs this backend hands out
        # Both are set once the socket is bound: a start that fails to bind
        # must not leave behind a token file.
        self.operator = None
        self.hosts = None
        self.origin = ""
        self._support_qq = support_qq
        self._support_png = None
        self._support_lock = threading.Lock()
        self.routes = (API_ROUTES + OPERATOR_ROUTES
                       + (PAYER_ROUTES if simulate_payments else [])
                       + (TEST_ROUTES if tests is not None else []))

    def support_png(self):
        with self._support_lock:
            if self._support_png is None:
                self._support_png = images.support_card_png(self._support_qq)
            return self._support_png

    def operator_session(self, req):
        """The session id, or None for a Bearer token; refuses anyone else."""
        scheme, _, credentials = (req.headers.get("Authorization") or "").partition(" ")
        if scheme.lower() == "bearer":
            if check_token(self, req, credentials.strip()):
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

    def handle(self, incoming):
        """The reply to one request as the front read it (on a worker thread):
        a Reply, or in test mode possibly a scripted reply for the front to play."""
        self._record(incoming)
        if incoming.problem is not None:
            return error(*incoming.problem)
        if incoming.method not in METHODS:
            return error(501, "Unsupported method (%r)" % incoming.method)
        path = path_of(incoming.target)
        if not self.hosts.allows(incoming.headers.get_all("Host") or []):
            return plain_refusal(path, 421, "this server does not answer for that Host")
        if self.tests is not None and not path.startswith(TEST_PREFIX):
            scripted = self.tests.next_reply(testmode.endpoint_key(path))
            if scripted is not None:
                return scripted
        try:
            try:
                target = urllib.parse.urlsplit(incoming.target)
            except ValueError:
                raise ApiError(400, "malformed request target") from None
            return self.route(Request(incoming.method, target.path, parse_query(target.query),
                                      incoming.body, incoming.headers, incoming.client))
        except ApiError as e:
            return error(e.status, e.msg)
        except Refused as e:
            return e.reply
        except Exception:   # a bug must cost one request, not the server
            traceback.print_exc()
            return error(500, "internal error")

    def exchange_ended(self, incoming):
        if incoming.logged_as is not None:
            self.tests.ended(incoming.logged_as, time.monotonic() * 1000)

    def _record(self, incoming):
        if self.tests is None or path_of(incoming.target).startswith(TEST_PREFIX):
            return
        headers = {}
        for k, v in (incoming.headers.items() if incoming.headers is not None else []):
            headers[k] = headers[k] + ", " + v if k in headers else v
        try:
            text = incoming.body.decode("utf-8")
        except UnicodeDecodeError:
            text = None
        incoming.logged_as = self.tests.record({
            "time": time.strftime("%Y-%m-%d %H:%M:%S"),
            # Both on the backend's monotonic clock; null while the exchange runs.
            "received_ms": incoming.started * 1000,
            "ended_ms": None,
            "client": incoming.client,
            "request_line": incoming.request_line(),
            "method": incoming.method,
            "target": incoming.target,
            "version": incoming.version,
            "headers": headers,
            "body_b64": base64.b64encode(incoming.body).decode("ascii"),
            "body_text": text,
            "body_size": len(incoming.body),
            "body_truncated": incoming.truncated,
        })


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
    if len(text) < access.MIN_TOKEN_LENGTH:
        raise argparse.ArgumentTypeError("must be at least %d characters"
                                         % access.MIN_TOKEN_LENGTH)
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
    p.add_argument("--simulate-payments", action="store_true",
                   help="serve the simulated payer page /pay/<order_no>, for testing only")
    p.add_argument("--auto-pay", type=non_negative, metavar="SECONDS",
                   help="with --simulate-payments: count each pending order as paid"
                        " this long after its creation")
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
                   help="pay_intent calls per machine code and per client address:"
                        " burst, then refill rate")
    p.add_argument("--tls-cert", metavar="PATH", help="serve HTTPS with this PEM certificate")
    p.add_argument("--tls-key", metavar="PATH", help="the PEM private key of --tls-cert")
    p.add_argument("--test-mode", action="store_true",
                   help="enable /__test__/ scripting and the request log")
    args = p.parse_args(argv)
    if args.auto_pay is not None and not args.simulate_payments:
        p.error("--auto-pay pays without any payment: it needs --simulate-payments")
    if (args.tls_cert is None) != (args.tls_key is None):
        p.error("--tls-cert and --tls-key go together")
    return args


def tls_context(args):
    """The server side of TLS with the given certificate, or None for plain HTTP."""
    if args.tls_cert is None:
        return None
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(args.tls_cert, args.tls_key)
    return context


def startup_notes(app, token_file, token_created, args, host):
    """The lines printed after the ready line; never the token itself."""
    notes = []
    if args.test_mode and not ipaddress.ip_address(host).is_loopback:
        notes.append("warning: --test-mode on an address others can reach lets them"
                     " script every reply")
    if args.simulate_payments:
        notes.append("simulated payments: anyone with an order's pay page can mark it paid;"
                     " for testing only")
    if token_created:
        notes.append("operator token: new, saved in " + token_file)
    notes.append("operator page: %s://%s/admin (token %s)" % (
        app.scheme, app.origin,
        "given by --admin-token" if token_file is None else "in " + token_file))
    hosts = app.hosts
    if hosts.wildcard:
        notes.append("bound to every interface: only requests whose Host names %s are served"
                     % ", ".join(hosts.names))
    else:
        notes.append("Host names served: " + ", ".join(hosts.names))
    return notes


def fail(message):
    sys.stderr.write("server.py: error: %s\n" % message)
    sys.exit(2)


def main(argv=None):
    args = parse_args(argv)
    # Every file the backend makes (database, journal, token) is the owner's alone.
    os.umask(0o077)
    try:
        tls = tls_context(args)
    except OSError as e:    # ssl.SSLError included
        fail("cannot use --tls-cert/--tls-key: %s" % e)
    try:
        sock = http_front.bind(args.host, args.port)
    except OSError as e:
        fail("cannot listen on %s:%d: %s" % (args.host, args.port, e))
    db = store.Store(args.db, countdown_seconds=args.countdown_seconds,
                     auto_pay_seconds=args.auto_pay)
    scheme = "https" if tls else "http"
    app = App(db, testmode.TestState() if args.test_mode else None, args.support_qq,
              access.IntentRate(*args.intent_rate), args.simulate_payments, scheme)
    host, port = sock.getsockname()[:2]
    if args.admin_token is not None:
        token, token_file, token_created = args.admin_token, None, False
    else:
        token_file = args.db + ".admin-token"
        token, token_created = access.load_or_create_token(token_file)
    app.operator = access.Operator(token)
    app.hosts = access.HostRule((args.host, host), args.allow_host)
    # The wildcard address is no place to send a browser to.
    app.origin = "%s:%d" % ("127.0.0.1" if app.hosts.wildcard else host, port)

    # One write: a reader that takes only the first line and closes the pipe
    # must not make a later print fail.
    print("\n".join(["backend listening on %s://%s:%d/api/v1" % (scheme, host, port)]
                    + startup_notes(app, token_file, token_created, args, host)),
          flush=True)
    try:
        http_front.Front(sock, app.handle, app.exchange_ended, tls).serve()
    finally:
        db.close()


if __name__ == "__main__":
    main()
