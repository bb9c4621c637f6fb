"""The whole service: storage, database, outbox, control state and the two
servers, started and stopped together."""
import errno
import threading
from dataclasses import dataclass
from http.server import ThreadingHTTPServer

from . import control_token
from .control import ControlState
from .db import Database
from .ftp_server import FtpServer
from .http_handler import Handler
from .outbox import Outbox
from .storage import Storage
from .tls import Certificate, HttpsServerMixin


class _HttpServer(ThreadingHTTPServer):
    allow_reuse_address = True   # a restart must not wait for TIME_WAIT
    daemon_threads = True


@dataclass
class Limits:
    """What the HTTP side accepts: a request must arrive whole within
    `request_timeout` seconds with a body of at most `max_body` bytes; with
    `log_bodies` the request log keeps passwords in clear (for tests that
    compare bodies byte for byte)."""
    request_timeout: float = 10.0
    max_body: int = 16 * 1024 * 1024
    log_bodies: bool = False


class ListenError(Exception):
    """A server could not take its address; the text says which and why."""


def _listen(kind, host, port, make):
    try:
        return make()
    except OSError as err:
        # pyftpdlib wraps the bind's own error in another one.
        while err.errno is None and err.args and isinstance(err.args[0], OSError):
            err = err.args[0]
        hint = ""
        if err.errno == errno.EACCES and 0 < port < 1024:
            hint = ("; ports below 1024 need root, so choose --%s-port above 1023"
                    % kind.lower())
        raise ListenError("cannot listen for %s on %s port %d: %s%s" % (
            kind, host, port, err.strerror or err, hint)) from None


class Service:
    def __init__(self, data_dir, host="127.0.0.1", http_port=80, ftp_port=21,
                 verbose=False, tls=None, https_port=443, limits=None, signer=None):
        """`tls`, a (certificate file, key file) pair, adds HTTPS on
        `https_port` and FTPS on the FTP port; `signer` (signing.Signer)
        signs the library file offered for download."""
        self.host = host
        self.verbose = verbose
        self.limits = limits or Limits()
        self.storage = Storage(data_dir, signer)
        self.storage.prepare()
        self.control_token = control_token.create(self.storage.root)
        self.db = Database(self.storage.db_path)
        self.outbox = Outbox(self.storage.outbox)
        self.control = ControlState()
        self._reset_lock = threading.Lock()

        handler = type("BoundHandler", (Handler,), {"service": self})
        self._http = _listen("HTTP", host, http_port,
                             lambda: _HttpServer((host, http_port), handler))
        self.http_port = self._http.server_address[1]
        self._web = [self._http]
        self.certificate = None
        self.https_port = None
        try:
            if tls is not None:
                self.certificate = Certificate(*tls)
                https = type("HttpsServer", (HttpsServerMixin, _HttpServer),
                             {"certificate": self.certificate})
                self._web.append(_listen("HTTPS", host, https_port,
                                         lambda: https((host, https_port), handler)))
                self.https_port = self._web[-1].server_address[1]
            self._ftp = _listen("FTP", host, ftp_port, lambda: FtpServer(
                self.storage.ftp_root, host, ftp_port, self.control, verbose,
                self.certificate))
        except (ListenError, ValueError):
            for server in self._web:
                server.server_close()
            self.db.close()
            raise
        self.ftp_port = self._ftp.port
        self._web_threads = [threading.Thread(
            target=server.serve_forever, kwargs={"poll_interval": 0.2},
            name="http", daemon=True) for server in self._web]

    def start(self):
        for thread in self._web_threads:
            thread.start()
        self._ftp.start()

    def stop(self):
        for server in self._web:
            server.shutdown()
            server.server_close()
        self._ftp.stop()
        self.db.close()

    def reset(self, data=False):
        """Forget scripts, logs, FTP faults and a replaced certificate; with
        `data`, also every user,
        asset, homepage, stored file and mail."""
        with self._reset_lock:
            self.control.reset()
            if self.certificate is not None:
                self.certificate.restore()
            if data:
                self.db.wipe()
                self.storage.wipe()
