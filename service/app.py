"""The whole service: storage, database, outbox, control state and the two
servers, started and stopped together."""
import threading
from http.server import ThreadingHTTPServer

from .control import ControlState
from .db import Database
from .ftp_server import FtpServer
from .http_handler import Handler
from .outbox import Outbox
from .storage import Storage


class _HttpServer(ThreadingHTTPServer):
    allow_reuse_address = True   # a restart must not wait for TIME_WAIT
    daemon_threads = True


class Service:
    def __init__(self, data_dir, host="127.0.0.1", http_port=80, ftp_port=21,
                 verbose=False):
        self.host = host
        self.verbose = verbose
        self.storage = Storage(data_dir)
        self.storage.prepare()
        self.db = Database(self.storage.db_path)
        self.outbox = Outbox(self.storage.outbox)
        self.control = ControlState()
        self._reset_lock = threading.Lock()

        handler = type("BoundHandler", (Handler,), {"service": self})
        self._http = _HttpServer((host, http_port), handler)
        self.http_port = self._http.server_address[1]
        self._ftp = FtpServer(self.storage.ftp_root, host, ftp_port,
                              self.control, verbose)
        self.ftp_port = self._ftp.port
        self._http_thread = threading.Thread(
            target=self._http.serve_forever, kwargs={"poll_interval": 0.2},
            name="http", daemon=True)

    def start(self):
        self._http_thread.start()
        self._ftp.start()

    def stop(self):
        self._http.shutdown()
        self._http.server_close()
        self._ftp.stop()
        self.db.close()

    def reset(self, data=False):
        """Forget scripts, logs and FTP faults; with `data`, also every user,
        asset, homepage, stored file and mail."""
        with self._reset_lock:
            self.control.reset()
            if data:
                self.db.wipe()
                self.storage.wipe()
