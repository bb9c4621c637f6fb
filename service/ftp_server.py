"""The FTP side: one account with full rights on DIR/ftp, active and
passive mode, every command logged, and the faults a test asks for.

Each control connection runs on its own thread (ThreadedFTPServer), so a
delay injected into one session's replies does not hold up the others."""
import errno
import logging
import os
import sys
import threading
import time

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import (ActiveDTP, DTPHandler, FTPHandler,
                                 _FileReadWriteError)
from pyftpdlib.ioloop import RetryError
from pyftpdlib.servers import ThreadedFTPServer

from .tls import ftps_handler

LOGIN = "mossbay"
PASSWORD = "mossbay"


class _FS(AbstractedFS):
    """Changes directory without os.chdir: sessions run on threads of one
    process, and a process-wide working directory would be shared by all."""

    def chdir(self, path):
        if not os.path.isdir(path):
            raise OSError(errno.ENOENT, os.strerror(errno.ENOENT), path)
        if not os.access(path, os.X_OK):
            raise OSError(errno.EACCES, os.strerror(errno.EACCES), path)
        self.cwd = self.fs2ftp(path)


class _DTP(DTPHandler):
    """Receives like the stock handler, but a full disk can be simulated:
    past the configured number of bytes a STOR stops with an error reply,
    and what was written so far stays on disk. A hostile server can also be
    played: past a number of bytes the data connection stalls (a STOR is no
    longer read, RETR or NLST data no longer sent) while it stays open."""

    def _stalls(self, key, done):
        limit = self.cmd_channel.control.ftp_fault(key)
        if limit is None or done < limit:
            return False
        # Leaving the event loop keeps the socket open and silent without
        # a busy loop; the session's close still closes it.
        self.ioloop.unregister(self._fileno)
        return True

    def initiate_send(self):
        if not self._stalls("stall_send_after", self.tot_bytes_sent):
            DTPHandler.initiate_send(self)

    def initiate_sendfile(self):
        if self._stalls("stall_send_after", self.tot_bytes_sent):
            return False
        return DTPHandler.initiate_sendfile(self)

    def handle_read(self):
        if self._stalls("stall_stor_after", self.tot_bytes_received):
            return None
        limit = self.cmd_channel.control.ftp_fault("fail_stor_after")
        if limit is None:
            return DTPHandler.handle_read(self)
        try:
            chunk = self.recv(self.ac_in_buffer_size)
        except RetryError:
            return
        except OSError:
            return self.handle_error()
        self.tot_bytes_received += len(chunk)
        if not chunk:
            self.transfer_finished = True
            return
        room = max(0, limit - (self.tot_bytes_received - len(chunk)))
        try:
            self.file_obj.write(chunk[:room])
        except OSError as err:
            raise _FileReadWriteError(err)
        if len(chunk) > room:
            self._resp = ("426 No space left on device; transfer aborted.",
                          logging.getLogger("pyftpdlib").warning)
            self.close()

    handle_read_event = handle_read


class _ActiveDTP(ActiveDTP):
    """Connects an active-mode data connection from the address a test
    names, as a stranger racing the real server to the client's port."""

    def connect_af_unspecified(self, addr, source_address=None):
        source = self.cmd_channel.control.ftp_fault("active_from")
        if source:
            source_address = (source, 0)
        return ActiveDTP.connect_af_unspecified(self, addr, source_address)


class _Handler(FTPHandler):
    control = None          # ControlState, set on the subclass
    dtp_handler = _DTP
    active_dtp = _ActiveDTP
    abstracted_fs = _FS
    permit_privileged_ports = True
    auth_failed_timeout = 0
    # Names are bytes as the client sent them: keep any that are not UTF-8.
    unicode_errors = "surrogateescape"
    banner = "Vanta publishing service FTP ready."

    def push(self, s):
        # The stock push encodes strictly; skip it for the chat class's own.
        super(FTPHandler, self).push(s.encode("utf8", "surrogateescape"))

    def on_connect(self):
        self.session_id = self.control.ftp_connected()
        self._counted = True

    def close(self):
        if getattr(self, "_counted", False):
            self._counted = False
            self.control.ftp_disconnected()
        FTPHandler.close(self)

    def on_login(self, username):
        self.control.ftp_logged_in()

    def respond(self, resp, *args, **kwargs):
        delay = self.control.ftp_fault("delay_ms")
        if delay:
            time.sleep(delay / 1000.0)
        FTPHandler.respond(self, resp, *args, **kwargs)

    def pre_process_command(self, line, cmd, arg):
        logged = "PASS ****" if cmd == "PASS" else line
        if self.control.ftp_command(getattr(self, "session_id", "?"), logged):
            return self.close()
        if cmd == "DELE" and self.control.ftp_fault("dele_1xx_drop"):
            # A preliminary reply, then the connection ends: the client
            # cannot know whether the file went.
            self.respond("150 Deleting.")
            return self.close_when_done()
        if cmd == "PASS" and self.control.ftp_fault("refuse_login"):
            self.username = ""
            return self.respond("530 Login refused.")
        return FTPHandler.pre_process_command(self, line, cmd, arg)


class FtpServer:
    def __init__(self, root, host, port, control, verbose=False, certificate=None):
        authorizer = DummyAuthorizer()
        authorizer.add_user(LOGIN, PASSWORD, root, perm="elradfmwMT")
        handler = type("Handler", (_Handler,), {
            "authorizer": authorizer, "control": control})
        if certificate is not None:
            handler = ftps_handler(handler, certificate)
        # Quiet unless asked: stdout carries only the ready line. A logger
        # with a handler of its own keeps pyftpdlib from adding its console
        # handler.
        log = logging.getLogger("pyftpdlib")
        log.addHandler(logging.StreamHandler(sys.stderr) if verbose
                       else logging.NullHandler())
        log.setLevel(logging.INFO if verbose else logging.CRITICAL + 1)
        log.propagate = False
        server_class = type("Server", (ThreadedFTPServer,), {
            "_exit": threading.Event(), "_lock": threading.Lock(),
            "poll_timeout": 0.2})
        self._server = server_class((host, port), handler)
        self.port = self._server.address[1]
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._run, name="ftp", daemon=True)

    def start(self):
        self._thread.start()

    def _run(self):
        while not self._stop.is_set():
            self._server.serve_forever(timeout=0.2, blocking=False,
                                       handle_exit=False)
        self._server.close_all()

    def stop(self):
        self._stop.set()
        self._thread.join(5)
