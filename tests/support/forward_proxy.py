"""A small forward HTTP proxy on the loopback for the tests of the system proxy.

It resolves only the names it is given (--map store.test=127.0.0.1), so a base
address on such a name works through the proxy and nowhere else. Asked for
/proxy.pac itself, it answers with a proxy script that sends those names
through it and every other host direct. Every request line it receives is
appended to --log. Bounded: a few connections at a time,
short socket time-outs, limited header and body sizes, and it stops by itself
after --lifetime seconds. Its first line on stdout is
"proxy listening on 127.0.0.1:PORT".

usage: forward_proxy.py [--port 0] [--map NAME=ADDRESS]... [--log PATH] [--lifetime SECONDS]
"""

import argparse
import socket
import socketserver
import threading
import urllib.parse

MAX_CONNECTIONS = 16
SOCKET_TIMEOUT = 10
MAX_HEADER_BYTES = 64 * 1024
MAX_BODY_BYTES = 1 << 20
HOP_HEADERS = {"connection", "proxy-connection", "keep-alive", "proxy-authorization", "te", "upgrade"}


def read_head(conn):
    """The request head up to the blank line, and whatever followed it."""
    data = b""
    while b"\r\n\r\n" not in data:
        chunk = conn.recv(4096)
        if not chunk:
            return None, b""
        data += chunk
        if len(data) > MAX_HEADER_BYTES:
            return None, b""
    head, _, rest = data.partition(b"\r\n\r\n")
    return head.decode("latin-1"), rest


def answer(conn, status, text, body=None, content_type="text/plain"):
    body = text.encode() if body is None else body.encode()
    conn.sendall(b"HTTP/1.1 %d %s\r\nContent-Type: %s\r\nContent-Length: %d\r\nConnection: close\r\n\r\n%s"
                 % (status, text.encode(), content_type.encode(), len(body), body))


def proxy_script(names, port):
    tests = " || ".join('host == "%s"' % name for name in sorted(names)) or "false"
    return ('function FindProxyForURL(url, host) {\n'
            '  if (%s) return "PROXY 127.0.0.1:%d";\n'
            '  return "DIRECT";\n}\n' % (tests, port))


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        if not self.server.slots.acquire(blocking=False):
            return
        try:
            self.request.settimeout(SOCKET_TIMEOUT)
            self.forward()
        except OSError:
            pass
        finally:
            self.server.slots.release()

    def forward(self):
        conn = self.request
        head, rest = read_head(conn)
        if head is None:
            return
        lines = head.split("\r\n")
        self.server.record(lines[0])
        parts = lines[0].split(" ")
        if len(parts) != 3 or parts[0] == "CONNECT":
            answer(conn, 501, "only absolute-form HTTP requests")
            return
        method, target, version = parts
        if method == "GET" and target == "/proxy.pac":
            answer(conn, 200, "OK", proxy_script(self.server.names, self.server.server_address[1]),
                   "application/x-ns-proxy-autoconfig")
            return
        url = urllib.parse.urlsplit(target)
        address = self.server.names.get((url.hostname or "").lower())
        if url.scheme != "http" or address is None:
            answer(conn, 502, "unknown host")
            return
        headers = [line for line in lines[1:] if line.split(":", 1)[0].strip().lower() not in HOP_HEADERS]
        length = 0
        for line in headers:
            name, _, value = line.partition(":")
            if name.strip().lower() == "content-length":
                length = int(value.strip()) if value.strip().isdigit() else MAX_BODY_BYTES + 1
        if length > MAX_BODY_BYTES:
            answer(conn, 413, "body too large")
            return
        body = rest
        while len(body) < length:
            chunk = conn.recv(min(65536, length - len(body)))
            if not chunk:
                return
            body += chunk
        path = (url.path or "/") + ("?" + url.query if url.query else "")
        with socket.create_connection((address, url.port or 80), timeout=SOCKET_TIMEOUT) as upstream:
            upstream.sendall(("%s %s %s\r\n%sConnection: close\r\n\r\n" % (
                method, path, version, "".join(h + "\r\n" for h in headers))).encode("latin-1") + body[:length])
            while True:
                chunk = upstream.recv(65536)
                if not chunk:
                    break
                conn.sendall(chunk)


class Proxy(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, port, names, log_path):
        super().__init__(("127.0.0.1", port), Handler)
        self.names = names
        self.log_path = log_path
        self.log_lock = threading.Lock()
        self.slots = threading.BoundedSemaphore(MAX_CONNECTIONS)

    def record(self, request_line):
        if not self.log_path:
            return
        with self.log_lock, open(self.log_path, "a", encoding="latin-1") as f:
            f.write(request_line + "\n")


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--port", type=int, default=0)
    p.add_argument("--map", action="append", default=[], metavar="NAME=ADDRESS")
    p.add_argument("--log")
    p.add_argument("--lifetime", type=float, default=600)
    args = p.parse_args()
    names = {}
    for entry in args.map:
        name, _, address = entry.partition("=")
        names[name.lower()] = address
    proxy = Proxy(args.port, names, args.log)
    stop = threading.Timer(args.lifetime, proxy.shutdown)
    stop.daemon = True
    stop.start()
    print("proxy listening on 127.0.0.1:%d" % proxy.server_address[1], flush=True)
    try:
        proxy.serve_forever()
    finally:
        proxy.server_close()


if __name__ == "__main__":
    main()
