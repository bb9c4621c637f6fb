"""The HTTP side: CGI programs, asset pages and the control interface.

Every response closes its connection: the library opens a fresh one for
each request anyway."""
import base64
import json
import sys
from http.server import BaseHTTPRequestHandler
from urllib.parse import urlsplit

from . import control_api
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


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "VantaService/1.0"
    service = None  # set on the subclass made by the service

    def do_POST(self):
        self._dispatch()

    do_GET = do_PUT = do_DELETE = do_HEAD = do_POST

    def log_message(self, fmt, *args):
        if self.service.verbose:
            sys.stderr.write("http: %s\n" % (fmt % args))

    def _read_body(self):
        if self.headers.get("Transfer-Encoding", "").lower() == "chunked":
            chunks = []
            while True:
                size = int(self.rfile.readline().split(b";")[0].strip() or b"0", 16)
                if size == 0:
                    while self.rfile.readline().strip():
                        pass  # trailers
                    return b"".join(chunks)
                chunks.append(self.rfile.read(size))
                self.rfile.readline()
        length = int(self.headers.get("Content-Length") or 0)
        return self.rfile.read(length) if length > 0 else b""

    def _dispatch(self):
        self.close_connection = True
        try:
            body = self._read_body()
        except ValueError:
            return self._send(400, b"bad request body")
        parts = urlsplit(self.path)
        path = parts.path
        if path.startswith(CONTROL_PREFIX):
            status, answer = control_api.handle(self.service, self.command,
                                                path, body)
            return self._send(status, json.dumps(answer).encode(),
                              "application/json")
        self.service.control.log_request({
            "method": self.command,
            "path": self.path,
            "headers": [[k, v] for k, v in self.headers.items()],
            "body_b64": base64.b64encode(body).decode("ascii"),
        })
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
