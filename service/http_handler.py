"""The HTTP side: CGI programs, asset pages and the control interface.

Every response closes its connection: the library opens a fresh one for
each request anyway. A request must arrive whole (headers and body) within
the service's request time-out, however slowly its bytes trickle in, and
may not announce a body above the service's limit; the control interface
answers only requests that carry its token (control_token.py)."""
import io
import json
import socket
import sys
import time
from http.server import BaseHTTPRequestHandler
from urllib.parse import urlsplit

from . import control_api, control_token, request_log
from .forms import Form
from .pages import asset_page
from .programs import PROGRAMS
from .programs.context import Context
from .scripted import send_scripted

CGI_PREFIX = "/cgiscripts/"
CONTROL_PREFIX = "/_control/"
NOT_FOUND = (b"<html><head><title>404 Not Found</title></head><body>"
             b"<h1>Not Found</h1><p>No such object on this server.</p>"
             b"</body></html>")


class _BodyTooLarge(Exception):
    pass


class _DeadlineReader(io.RawIOBase):
    """The connection's bytes, each wait for them bounded by what is left
    of the request's deadline: a client that sends one byte now and then
    cannot hold a thread for longer than that."""

    def __init__(self, sock, deadline):
        self._sock = sock
        self.deadline = deadline

    def readable(self):
        return True

    def readinto(self, buffer):
        if self.deadline is not None:
            left = self.deadline - time.monotonic()
            if left <= 0:
                raise socket.timeout("the request did not arrive in time")
            self._sock.settimeout(left)
        return self._sock.recv_into(buffer)


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "VantaService/1.0"
    service = None  # set on the subclass made by the service

    def setup(self):
        super().setup()
        limits = self.service.limits
        self._reader = _DeadlineReader(self.connection,
                                       time.monotonic() + limits.request_timeout)
        self.rfile = io.BufferedReader(self._reader)

    def handle(self):
        try:
            super().handle()
        except (socket.timeout, ConnectionError):
            pass  # the client was too slow or went away: nothing to answer

    def do_POST(self):
        self._dispatch()

    do_GET = do_PUT = do_DELETE = do_HEAD = do_POST

    def log_message(self, fmt, *args):
        if self.service.verbose:
            sys.stderr.write("http: %s\n" % (fmt % args))

    def _read_body(self):
        """The body, read only once it is known to fit the limit."""
        limit = self.service.limits.max_body
        if self.headers.get("Transfer-Encoding", "").lower() == "chunked":
            chunks, total = [], 0
            while True:
                size = int(self.rfile.readline(64).split(b";")[0].strip() or b"0", 16)
                if size == 0:
                    while self.rfile.readline(65537).strip():
                        pass  # trailers
                    return b"".join(chunks)
                total += size
                if total > limit:
                    raise _BodyTooLarge()
                chunks.append(self.rfile.read(size))
                self.rfile.readline(64)
        length = int(self.headers.get("Content-Length") or 0)
        if length > limit:
            raise _BodyTooLarge()
        return self.rfile.read(length) if length > 0 else b""

    def _dispatch(self):
        self.close_connection = True
        parts = urlsplit(self.path)
        path = parts.path
        control = path.startswith(CONTROL_PREFIX)
        if control:
            refused = control_token.check(self.service.control_token, self.headers)
            if refused is not None:
                return self._send(refused, json.dumps(
                    {"ok": False, "error": "the control token (header %s, from the "
                     "data directory's %s) is missing or wrong"
                     % (control_token.HEADER, control_token.FILE_NAME)}).encode(),
                    "application/json")
        try:
            body = self._read_body()
        except _BodyTooLarge:
            return self._send(413, b"request body too large")
        except ValueError:
            return self._send(400, b"bad request body")
        # Whole: from here on each wait of the answer has the time-out.
        self._reader.deadline = None
        self.connection.settimeout(self.service.limits.request_timeout)
        if control:
            status, answer = control_api.handle(self.service, self.command,
                                                path, body)
            return self._send(status, json.dumps(answer).encode(),
                              "application/json")
        self.service.control.log_request(request_log.entry(
            self.command, self.path, self.headers.items(), body,
            self.service.limits.log_bodies))
        script = self.service.control.take_script(path)
        if script is not None:
            return send_scripted(self, script)
        ctx = Context(self.service.db, self.service.storage,
                      self.service.outbox, self._host())
        if path.startswith(CGI_PREFIX) and path[len(CGI_PREFIX):] in PROGRAMS:
            if self.command == "GET":
                body = parts.query.encode("latin-1")  # same fields, as a query
            program = PROGRAMS[path[len(CGI_PREFIX):]]
            text = program(ctx, Form.parse(body))
            return self._send(200, text.encode("latin-1"))
        page = asset_page(ctx, self.command, path, self.headers)
        if page is not None:
            return self._send(*page)
        return self._send(404, NOT_FOUND, "text/html")

    def _host(self):
        return self.headers.get("Host") or self.service.host

    def _send(self, status, data, content_type="text/plain", extra=()):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(data)))
        self.send_header("Connection", "close")
        for name, value in extra:
            self.send_header(name, value)
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(data)
