"""HTML for the simulated payer's page (reached through the payment QR code),
the operator's login and order list, and the short refusal pages."""

import urllib.parse
from html import escape

STATUS_LABELS = {
    "pending": "待支付",
    "success": "已完成",
    "failed": "支付失败",
    "expired": "已失效",
    "refunded": "已退款",
}

# Operator actions: (status segment of the URL, button label).
ADMIN_ACTIONS = (
    ("success", "标记已支付"),
    ("failed", "标记失败"),
    ("expired", "标记失效"),
    ("refunded", "标记退款"),
)

STYLE = """
body{font-family:sans-serif;background:#1f1f1f;color:#eee;margin:2em}
table{border-collapse:collapse}td,th{border:1px solid #555;padding:4px 8px;font-size:14px}
.card{background:#2b2b2b;padding:1.5em;border-radius:6px;max-width:28em}
.card dt{color:#aaa}.card dd{margin:0 0 .6em 0;font-size:1.1em}
button{margin:2px;padding:4px 10px}form{display:inline}
.ok{color:#7c7}.bad{color:#e77}
.sim{background:#5a4300;color:#ffd76a;padding:.6em;border-radius:4px}
nav{margin:.8em 0}nav a{color:#8cf;margin-right:1.5em}
"""


def _document(title, body):
    return ('<!DOCTYPE html><html lang="zh-CN"><head><meta charset="utf-8">'
            "<title>%s</title><style>%s</style></head><body>%s</body></html>"
            % (escape(title), STYLE, body))


def _label(status):
    return STATUS_LABELS.get(status, status)


def _amount(order):
    return "¥%.2f" % order["pay_amount"]


def _post_form(action, csrf, label):
    return ('<form method="post" action="%s"><input type="hidden" name="csrf" value="%s">'
            "<button>%s</button></form>" % (escape(action), escape(csrf), escape(label)))


def pay_page(order, csrf):
    no = order["order_no"]
    fields = (
        ("订单号", order["order_no"]),
        ("版本", order["game_name"] or "全版本"),
        ("金额", _amount(order)),
        ("状态", _label(order["status"])),
        ("失效时间", order["expire_at"]),
    )
    rows = "".join("<dt>%s</dt><dd>%s</dd>" % (escape(k), escape(v)) for k, v in fields)
    if order["status"] == "pending":
        actions = (_post_form("/pay/%s/confirm" % no, csrf, "确认支付")
                   + _post_form("/pay/%s/refuse" % no, csrf, "拒绝支付"))
    elif order["status"] == "success":
        actions = '<p class="ok">支付成功，感谢您的购买。</p>'
    else:
        actions = '<p class="bad">该订单无法支付。</p>'
    body = ('<div class="card"><h2>奥凡安装助手 · 模拟支付</h2>'
            '<p class="sim">这是模拟支付页面，用于测试：不会产生真实扣款，'
            "确认后订单即记为已支付。</p><dl>%s</dl>%s</div>" % (rows, actions))
    return _document("模拟支付", body)


def _admin_link(label, search, **cursor):
    query = dict(cursor, **({"q": search} if search else {}))
    return '<a href="/admin?%s">%s</a>' % (escape(urllib.parse.urlencode(query)), escape(label))


def admin_page(orders, csrf, search="", older=None, newer=None):
    """One page of orders, newest first, with a search box and links to the
    newer and older pages."""
    head = ("<tr><th>订单号</th><th>机器码</th><th>版本</th><th>金额</th><th>状态</th>"
            "<th>创建时间</th><th>更新时间</th><th>交易号</th><th>操作</th></tr>")
    rows = []
    for o in orders:
        buttons = "".join(
            _post_form("/admin/orders/%s/%s" % (o["order_no"], status), csrf, label)
            for status, label in ADMIN_ACTIONS)
        cells = (o["order_no"], o["machine_code"], o["game_name"], _amount(o),
                 _label(o["status"]), o["created_at"], o["updated_at"], o["alipay_trade_no"])
        rows.append("<tr>%s<td>%s</td></tr>"
                    % ("".join("<td>%s</td>" % escape(c) for c in cells), buttons))
    if not rows:
        rows.append('<tr><td colspan="9">%s</td></tr>' % ("未找到订单" if search else "暂无订单"))
    # Token holders using Authorization: Bearer have no session to log out of.
    logout = _post_form("/admin/logout", csrf, "退出登录") if csrf else ""
    finder = ('<form method="get" action="/admin"><input name="q" size="40" value="%s"'
              ' placeholder="订单号或机器码"> <button>搜索</button></form>' % escape(search))
    links = ([_admin_link("« 较新", search, after=newer)] if newer is not None else []) + \
            ([_admin_link("较早 »", search, before=older)] if older is not None else [])
    nav = "<nav>%s</nav>" % "".join(links)
    body = "<h2>订单管理</h2>%s%s<table>%s%s</table>%s" % (
        logout, finder, head, "".join(rows), nav)
    return _document("订单管理", body)


def login_page(message=""):
    note = '<p class="bad">%s</p>' % escape(message) if message else ""
    body = ('<div class="card"><h2>订单管理 · 登录</h2>%s'
            '<form method="post" action="/admin/login">'
            '<p>操作员令牌（首次启动时生成，保存在数据库旁的 .admin-token 文件中）</p>'
            '<input type="password" name="token" size="48" autofocus> '
            "<button>登录</button></form></div>" % note)
    return _document("登录", body)


def refusal_page(title, what):
    return _document(title, "<h2>%s</h2><p>%s</p>" % (escape(title), escape(what)))


def not_found_page(what):
    return refusal_page("未找到", what)
