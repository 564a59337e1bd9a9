"""HTTP front of the Orvane store backend: command line, request reading,
routing of the /api/v1 endpoints, the payer and operator pages, and the
test-mode control endpoints with their scripted replies."""

import argparse
import base64
import json
import re
import signal
import sys
import threading
import time
import traceback
import urllib.parse
from http import HTTPStatus
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

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
HOST_HEADER = re.compile(r"^[A-Za-z0-9.\-]+(:[0-9]{1,5})?$")
ORDER_NO = "[A-Za-z0-9]+"
MAX_LIMIT = 100


class ApiError(Exception):
    def __init__(self, status, msg):
        super().__init__(msg)
        self.status = status
        self.msg = msg


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
    def __init__(self, method, path, query, body, host):
        self.method = method
        self.path = path
        self.query = query
        self.body = body
        self.host = host


def json_bytes(obj):
    # Literal UTF-8 and no blanks: the client cuts values out of the text
    # without a JSON parser and never decodes \u escapes.
    return json.dumps(obj, ensure_ascii=False, separators=(",", ":")).encode("utf-8")


def ok(data):
    return Reply(200, json_bytes({"code": 0, "msg": "ok", "data": data}))


def error(status, msg):
    return Reply(status, json_bytes({"code": status, "msg": msg, "data": None}))


def html(status, text):
    return Reply(status, text.encode("utf-8"), HTML_TYPE)


def redirect(location):
    return Reply(303, b"", None, [("Location", location)])


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


def field(obj, key, kind):
    if key not in obj:
        raise ApiError(400, "missing field: " + key)
    value = obj[key]
    if kind is bool and not isinstance(value, bool):
        raise ApiError(400, "field %s must be true or false" % key)
    if kind is str and not isinstance(value, str):
        raise ApiError(400, "field %s must be a string" % key)
    return value


def machine_code_field(obj):
    code = field(obj, "machine_code", str)
    if not code:
        raise ApiError(400, "machine_code must not be empty")
    return code


def query_param(req, key):
    if key not in req.query:
        raise ApiError(400, "missing query parameter: " + key)
    return req.query[key]


# -- /api/v1 -------------------------------------------------------------------

def api_login(app, req):
    obj = json_body(req)
    exe_name = field(obj, "exe_name", str)
    channel_code = field(obj, "channel_code", str)
    qhclickid = field(obj, "qhclickid", str)
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
    game_name = field(obj, "game_name", str)
    channel_code = field(obj, "channel_code", str)
    apply_discount = field(obj, "apply_discount", bool)
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
    if not raw_limit.isdigit() or int(raw_limit) < 1:
        raise ApiError(400, "limit must be a positive integer")
    orders = app.store.latest_orders(machine_code, min(int(raw_limit), MAX_LIMIT))
    return ok([{k: o[k] for k in ORDER_FIELDS} for o in orders])


def api_support_qq(app, req):
    return ok({"qq_image_url": "/api/v1/support/qq.png"})


def api_support_qq_png(app, req):
    return Reply(200, app.support_png(), "image/png")


# -- pages -----------------------------------------------------------------

def page_pay(app, req, order_no):
    order = app.store.order(order_no)
    if order is None:
        return html(404, pages.not_found_page("订单 %s 不存在" % order_no))
    return html(200, pages.pay_page(order))


def page_pay_action(app, req, order_no, action):
    status = "success" if action == "confirm" else "failed"
    # The payer can only settle an order that is still waiting.
    if app.store.set_status(order_no, status, only_if_pending=True) is None:
        return html(404, pages.not_found_page("订单 %s 不存在" % order_no))
    return redirect("/pay/" + order_no)


def page_admin(app, req):
    return html(200, pages.admin_page(app.store.all_orders()))


def page_admin_action(app, req, order_no, status):
    status = "success" if status == "paid" else status
    if app.store.set_status(order_no, status) is None:
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
    _route("GET", "/admin/?", page_admin),
    _route("POST", "/admin/orders/(%s)/(success|paid|failed|expired|refunded)" % ORDER_NO,
           page_admin_action),
]

TEST_PREFIX = "/__test__/"
TEST_ROUTES = [
    _route("POST", "/__test__/script", test_script),
    _route("GET", "/__test__/requests", test_requests),
    _route("POST", "/__test__/reset", test_reset),
]


class App:
    def __init__(self, store_, tests, support_qq):
        self.store = store_
        self.tests = tests          # None unless --test-mode
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

    def route(self, req):
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

    def send_response(self, code, message=None):
        self._status = code
        super().send_response(code, message)

    def log_request(self, code="-", size="-"):
        pass    # one line per request is written by _log_line instead

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
        if not raw.isdigit():
            raise BodyError(400, "invalid Content-Length")
        length = int(raw)
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
                          self.headers.get("Host"))
            reply = app.route(req)
        except ApiError as e:
            reply = error(e.status, e.msg)
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

    def _play(self, scripted):
        self.close_connection = True
        if scripted.delay_ms:
            time.sleep(scripted.delay_ms / 1000)
        if scripted.drop:
            self._note = "scripted drop"
            return
        headers = {"Content-Type": JSON_TYPE, "Content-Length": str(len(scripted.body)),
                   "Connection": "close"}
        for name, value in scripted.headers.items():
            for existing in [k for k in headers if k.lower() == name.lower()]:
                del headers[existing]
            headers[name] = value
        self.send_response(scripted.status)
        for name, value in headers.items():
            self.send_header(name, value)
        self.end_headers()
        self._note = "scripted"
        for chunk, pause_ms in scripted.body_pieces():
            self.wfile.write(chunk)
            self.wfile.flush()
            self._sent += len(chunk)
            if pause_ms:
                time.sleep(pause_ms / 1000)


class BackendServer(ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, address, app):
        super().__init__(address, Handler)
        self.app = app


def non_negative(text):
    value = float(text)
    if value < 0:
        raise argparse.ArgumentTypeError("must not be negative")
    return value


def positive_int(text):
    value = int(text)
    if value < 1:
        raise argparse.ArgumentTypeError("must be at least 1")
    return value


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
    p.add_argument("--test-mode", action="store_true",
                   help="enable /__test__/ scripting and the request log")
    return p.parse_args(argv)


def main(argv=None):
    args = parse_args(argv)
    db = store.Store(args.db, countdown_seconds=args.countdown_seconds,
                     auto_pay_seconds=args.auto_pay)
    app = App(db, testmode.TestState() if args.test_mode else None, args.support_qq)
    server = BackendServer((args.host, args.port), app)
    host, port = server.server_address[:2]
    app.origin = "%s:%d" % (host, port)

    def stop(signum, frame):
        # shutdown() waits for serve_forever, which runs on this very thread.
        threading.Thread(target=server.shutdown).start()

    signal.signal(signal.SIGTERM, stop)
    print("backend listening on http://%s:%d/api/v1" % (host, port), flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()
        db.close()


if __name__ == "__main__":
    main()
