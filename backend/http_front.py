"""The HTTP/1.1 front of the backend: one asyncio loop accepts connections,
reads each whole request under a deadline and hands it to a small pool of
worker threads, so slow or idle clients hold file descriptors at most, never
a worker. Connections are capped below the open-file limit; at the cap the
connection that has waited longest for its request makes room."""

import asyncio
import concurrent.futures
import email.utils
import errno
import resource
import signal
import socket
import sys
import time
import traceback
from http import HTTPStatus

from wire import Headers, Incoming, Played, RequestFailed, parse_request_line

SERVER_NAME = "OrvaneBackend/1.0"
BACKLOG = 128
WORKERS = 8
# Descriptors kept free for the database, its journal, the log and start-up files.
FD_RESERVE = 32
MAX_CONNECTIONS = 1000
IDLE_SECONDS = 15        # for the first byte of a request, and for a TLS handshake
REQUEST_SECONDS = 15     # from that byte to the end of the body
WRITE_SECONDS = 15       # for a client to take what was written to it
LINE_LIMIT = 65536
HEAD_LIMIT = 65536
MAX_HEADERS = 100
MAX_BODY = 1 << 20
# Oversized bodies are read and thrown away up to this much so the client
# sees the 413 instead of a connection reset.
DRAIN_LIMIT = 16 << 20
# accept() failures that a pause cures; anything else is logged and retried.
OUT_OF_RESOURCES = (errno.EMFILE, errno.ENFILE, errno.ENOBUFS, errno.ENOMEM)


def http_date():
    return email.utils.formatdate(usegmt=True)


def printable(text):
    """`text` safe for a log line: anything but visible ASCII as \\xNN."""
    return "".join(c if " " <= c <= "~" and c != "\\" else "\\x%02x" % ord(c)
                   if ord(c) < 256 else "\\u%04x" % ord(c) for c in text)


def connection_cap():
    """Open connections allowed: below the open-file limit by a reserve,
    after raising the soft limit as far as the cap needs and the hard one allows."""
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    wanted = MAX_CONNECTIONS + FD_RESERVE
    if soft != resource.RLIM_INFINITY and soft < wanted:
        raised = wanted if hard == resource.RLIM_INFINITY else min(wanted, hard)
        try:
            resource.setrlimit(resource.RLIMIT_NOFILE, (raised, hard))
            soft = raised
        except (ValueError, OSError):
            pass
    if soft == resource.RLIM_INFINITY:
        return MAX_CONNECTIONS
    return max(1, min(MAX_CONNECTIONS, soft - FD_RESERVE))


def bind(host, port):
    """A listening TCP socket on host:port (port 0 picks a free one)."""
    family, kind, proto, _, address = socket.getaddrinfo(
        host, port, type=socket.SOCK_STREAM, flags=socket.AI_PASSIVE)[0]
    sock = socket.socket(family, kind, proto)
    try:
        sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        sock.bind(address)
        sock.listen(BACKLOG)
        sock.setblocking(False)
    except OSError:
        sock.close()
        raise
    return sock


class Connection:
    def __init__(self, sock, client):
        self.sock = sock
        self.client = client
        self.task = None
        self.reader = None
        self.writer = None
        self.dropped = None         # why the server closed it, if it did
        self.partial = None         # the request being read, for the log

    def abort(self):
        """Closes at once, dropping anything not yet sent; harmless when closed."""
        if self.writer is not None:
            self.writer.transport.abort()
        else:
            self.sock.close()


class Registry:
    """The open connections, and those among them waiting for a request, in
    the order they started waiting."""

    def __init__(self, cap):
        self.cap = cap
        self.live = set()
        self.waiting = {}           # insertion-ordered
        self.room = asyncio.Event()

    def full(self):
        return len(self.live) >= self.cap

    def add(self, conn):
        self.live.add(conn)

    def wait_for_request(self, conn):
        self.waiting.pop(conn, None)
        self.waiting[conn] = None
        self.room.set()

    def serving(self, conn):
        self.waiting.pop(conn, None)

    def remove(self, conn):
        self.live.discard(conn)
        self.waiting.pop(conn, None)
        self.room.set()

    def evict_oldest(self, reason):
        """Closes the connection that has waited longest; False if none waits."""
        if not self.waiting:
            return False
        conn = next(iter(self.waiting))
        del self.waiting[conn]
        conn.dropped = reason
        conn.task.cancel()
        return True


class Front:
    """Serves `handle(incoming) -> Reply | Played` (called on a worker
    thread) on a bound listening socket until SIGTERM or SIGINT; `ended(incoming)`
    is called on the loop once the reply to it is out or its client gone. One
    line per exchange goes to stderr."""

    def __init__(self, sock, handle, ended, tls=None):
        self.sock = sock
        self.handle = handle
        self.ended = ended
        self.tls = tls
        self.registry = None
        self.pool = concurrent.futures.ThreadPoolExecutor(WORKERS, "worker")
        self.stopping = None

    def serve(self):
        asyncio.run(self._main())

    async def _main(self):
        loop = asyncio.get_running_loop()
        self.stopping = asyncio.Event()
        self.registry = Registry(connection_cap())
        for signum in (signal.SIGINT, signal.SIGTERM):
            loop.add_signal_handler(signum, self.stopping.set)
        accepting = asyncio.create_task(self._accept_loop())
        await self.stopping.wait()
        accepting.cancel()
        self.sock.close()
        for conn in list(self.registry.live):
            conn.task.cancel()
        await asyncio.gather(*(c.task for c in list(self.registry.live)), return_exceptions=True)
        self.pool.shutdown(wait=False, cancel_futures=True)

    async def _accept_loop(self):
        loop = asyncio.get_running_loop()
        registry = self.registry
        while True:
            if registry.full() and not registry.waiting:
                # Every connection is being served: new ones wait in the backlog.
                registry.room.clear()
                await registry.room.wait()
                continue
            try:
                sock, address = await loop.sock_accept(self.sock)
            except OSError as e:
                if e.errno in OUT_OF_RESOURCES:
                    registry.evict_oldest("dropped: out of descriptors")
                else:
                    self._write_log("accept failed: %s" % e)
                await asyncio.sleep(0.1)
                continue
            if registry.full():
                registry.evict_oldest("dropped for a newer connection")
            conn = Connection(sock, address[0])
            registry.add(conn)
            conn.task = asyncio.create_task(self._serve(conn))

    async def _serve(self, conn):
        try:
            await self._open_streams(conn)
            while await self._exchange(conn):
                pass
            # Let what was written go out, but not wait on a client that never reads.
            conn.writer.close()
            async with asyncio.timeout(WRITE_SECONDS):
                await conn.writer.wait_closed()
        except asyncio.CancelledError:
            pass        # dropped to make room, or the server is stopping
        except OSError:     # resets, TLS failures, time-outs
            if conn.partial is not None and not conn.dropped:
                conn.dropped = "client gone"
        except Exception:   # a bug must cost one connection, not the server
            traceback.print_exc()
        finally:
            conn.abort()
            self.registry.remove(conn)
            if conn.partial is not None and conn.dropped:
                self._log_exchange(conn, conn.partial, None, 0, conn.dropped)

    async def _open_streams(self, conn):
        loop = asyncio.get_running_loop()
        self.registry.wait_for_request(conn)
        reader = asyncio.StreamReader(limit=LINE_LIMIT, loop=loop)
        protocol = asyncio.StreamReaderProtocol(reader, loop=loop)
        conn.sock.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        transport, _ = await loop.connect_accepted_socket(
            lambda: protocol, conn.sock, ssl=self.tls,
            ssl_handshake_timeout=IDLE_SECONDS if self.tls else None)
        conn.reader = reader
        conn.writer = asyncio.StreamWriter(transport, protocol, reader, loop)

    async def _exchange(self, conn):
        """Reads one request and answers it; True to wait for another."""
        self.registry.wait_for_request(conn)
        try:
            async with asyncio.timeout(IDLE_SECONDS):
                first = await conn.reader.read(1)
        except TimeoutError:
            return False
        if not first:
            return False
        incoming = Incoming(conn.client, time.monotonic())
        conn.partial = incoming
        try:
            async with asyncio.timeout(REQUEST_SECONDS):
                await self._read_request(conn, first, incoming)
        except TimeoutError:
            if incoming.headers is None:
                conn.dropped = "request timed out"
                return False
            incoming.problem = (408, "request not received in time")
        except RequestFailed as e:
            if e.status is None:
                conn.dropped = e.msg
                return False
            incoming.problem = (e.status, e.msg)
        self.registry.serving(conn)
        loop = asyncio.get_running_loop()
        outcome = await loop.run_in_executor(self.pool, self.handle, incoming)
        if isinstance(outcome, Played):
            await self._play(conn, incoming, outcome)
            keep = False
        else:
            keep = await self._send(conn, incoming, outcome)
        conn.partial = None
        return keep

    async def _line(self, reader, too_long):
        try:
            return await reader.readuntil(b"\n")
        except asyncio.LimitOverrunError:
            raise RequestFailed(*too_long) from None
        except asyncio.IncompleteReadError:
            raise RequestFailed(None, "client gone") from None

    async def _read_request(self, conn, first, incoming):
        reader = conn.reader
        line = first + await self._line(reader, (414, "request line too long"))
        while line in (b"\r\n", b"\n"):     # stray blank lines before a request
            line = await self._line(reader, (414, "request line too long"))
        incoming.raw_line = line
        parse_request_line(incoming, line)
        pairs, size = [], 0
        while True:
            line = await self._line(reader, (431, "header line too long"))
            if line in (b"\r\n", b"\n"):
                break
            size += len(line)
            if size > HEAD_LIMIT or len(pairs) >= MAX_HEADERS:
                raise RequestFailed(431, "request header fields too large")
            name, colon, value = line.decode("latin-1").partition(":")
            if not colon or not name or name != name.strip() or line[:1] in b" \t":
                raise RequestFailed(400, "malformed header line")
            pairs.append((name, value.strip(" \t\r\n")))
        incoming.headers = Headers(pairs)
        incoming.body = await self._read_body(conn, incoming)

    async def _read_body(self, conn, incoming):
        headers = incoming.headers
        if "chunked" in (headers.get("Transfer-Encoding") or "").lower():
            raise RequestFailed(411, "chunked request bodies are not accepted; send Content-Length")
        raw = headers.get("Content-Length")
        if raw is None:
            return b""
        if not raw.isascii() or not raw.isdigit():
            raise RequestFailed(400, "invalid Content-Length")
        # Beyond nine digits it is over the limit anyway, and int() refuses
        # thousands of digits.
        length = int(raw) if len(raw.lstrip("0")) <= 9 else DRAIN_LIMIT
        reader = conn.reader
        if length > MAX_BODY:
            incoming.truncated = True
            left = min(length, DRAIN_LIMIT)
            while left > 0:
                part = await reader.read(min(left, 65536))
                if not part:
                    break
                left -= len(part)
            raise RequestFailed(413, "request body larger than 1 MiB")
        if (incoming.version == "HTTP/1.1"
                and (headers.get("Expect") or "").lower() == "100-continue"):
            conn.writer.write(b"HTTP/1.1 100 Continue\r\n\r\n")
        try:
            return await reader.readexactly(length)
        except asyncio.IncompleteReadError as e:
            incoming.body = e.partial
            raise RequestFailed(400, "request body shorter than Content-Length") from None

    async def _send(self, conn, incoming, reply):
        """Writes `reply`; True when the connection stays open for the next request."""
        keep = (incoming.problem is None and incoming.keep_alive()
                and not self.stopping.is_set())
        headers = [("Server", SERVER_NAME), ("Date", http_date())]
        if reply.content_type:
            headers.append(("Content-Type", reply.content_type))
        headers.append(("Content-Length", str(len(reply.body))))
        headers += reply.headers
        if not keep:
            headers.append(("Connection", "close"))
        body = b"" if incoming.method == "HEAD" else reply.body
        conn.writer.write(status_line(reply.status) + header_block(headers) + body)
        note = ""
        try:
            async with asyncio.timeout(WRITE_SECONDS):
                await conn.writer.drain()
        except TimeoutError:
            note, keep = "client stopped reading", False
        except ConnectionError:
            note, keep = "client gone", False
        self._exchange_over(conn, incoming, reply.status, len(body), note)
        return keep

    async def _linger(self, conn, ms):
        """Waits `ms` milliseconds; False as soon as the client has gone away,
        so a slow played reply never outlives its reader by long."""
        deadline = time.monotonic() + ms / 1000
        try:
            async with asyncio.timeout(ms / 1000):
                if not await conn.reader.read(1):
                    return False
        except TimeoutError:
            return True
        # The client sent more bytes: nothing to learn from it until the end.
        await asyncio.sleep(max(0.0, deadline - time.monotonic()))
        return True

    async def _play(self, conn, incoming, played):
        sent, status, note = 0, None, "scripted"
        try:
            if played.delay_ms and not await self._linger(conn, played.delay_ms):
                note = "client gone"
                return
            if played.drop:
                note = "scripted drop"
                return
            status = played.status
            defaults = [("Server", SERVER_NAME), ("Date", http_date())]
            conn.writer.write(status_line(status) + header_block(played.head(defaults)))
            budget = played.close_after
            for chunk, pause_ms in played.stream():
                if budget is not None:
                    chunk = chunk[:budget]
                    budget -= len(chunk)
                conn.writer.write(chunk)
                sent += len(chunk)
                async with asyncio.timeout(WRITE_SECONDS):
                    await conn.writer.drain()
                await asyncio.sleep(0)      # an endless reply must not starve the loop
                if budget == 0:
                    note = "scripted close after %d bytes" % played.close_after
                    return
                if pause_ms and not await self._linger(conn, pause_ms):
                    note = "client gone"
                    return
        except TimeoutError:
            note = "client stopped reading"
        except ConnectionError:
            note = "client gone"
        finally:
            self._exchange_over(conn, incoming, status, sent, note)

    def _exchange_over(self, conn, incoming, status, sent, note):
        self.ended(incoming)
        self._log_exchange(conn, incoming, status, sent, note)

    def _log_exchange(self, conn, incoming, status, sent, note):
        ms = (time.monotonic() - incoming.started) * 1000
        self._write_log('%s "%s" %s %d %.1fms%s' % (
            conn.client, printable(incoming.request_line()),
            status if status is not None else "-", sent, ms, " " + note if note else ""))

    def _write_log(self, line):
        sys.stderr.write(line + "\n")
        sys.stderr.flush()


def status_line(code):
    try:
        phrase = HTTPStatus(code).phrase
    except ValueError:
        phrase = ""
    return ("HTTP/1.1 %d %s\r\n" % (code, phrase)).encode("latin-1")


def header_block(headers):
    return "".join("%s: %s\r\n" % (k, v) for k, v in headers).encode("latin-1") + b"\r\n"
