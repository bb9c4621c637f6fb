"""The FTP side: one account with full rights on DIR/ftp, active and
passive mode, every command logged, and the faults a test asks for.

Each control connection runs on its own thread (ThreadedFTPServer), so a
delay injected into one session's replies does not hold up the others."""
import errno
import logging
import os
import socket
import struct
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


def _reset_on_close(sock):
    """Closing `sock` from now on sends a reset, as a broken connection
    looks to the peer, instead of an orderly end."""
    try:
        sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER,
                        struct.pack("ii", 1, 0))
    except OSError:
        pass  # already gone


class _DTP(DTPHandler):
    """Receives like the stock handler, but a full disk can be simulated:
    past the configured number of bytes a STOR stops with an error reply,
    and what was written so far stays on disk. A hostile server can also be
    played: past a number of bytes the data connection stalls (a STOR is no
    longer read, RETR or NLST data no longer sent) while it stays open.
    A network break can be played too: once the file bytes moved reach the
    drop fault's count, the data or the control connection breaks at that
    very byte."""

    _due_drop = None  # "data" or "control" once a send has reached the drop

    def _drop_room(self):
        # Only file transfers count; a listing has no file object.
        if self.file_obj is None:
            return None
        return self.cmd_channel.control.ftp_drop_room()

    def _drop(self, kind):
        # The file is closed first: once the client sees the break, what is
        # on disk is all there is.
        if self.file_obj is not None and not self.file_obj.closed:
            self.file_obj.close()
        if self.receive:
            # A sender would see an orderly end of the data; the bytes it
            # is still sending would reset the connection anyway.
            _reset_on_close(self.socket)
        if kind == "data":
            self._resp = ("426 Connection broken; transfer aborted.",
                          logging.getLogger("pyftpdlib").warning)
            self.close()
        else:
            self._resp = ()
            session = self.cmd_channel
            _reset_on_close(session.socket)
            session.close()

    def _stalls(self, key, done):
        limit = self.cmd_channel.control.ftp_fault(key)
        if limit is None or done < limit:
            return False
        # Leaving the event loop keeps the socket open and silent without
        # a busy loop; the session's close still closes it.
        self.ioloop.unregister(self._fileno)
        return True

    def use_sendfile(self):
        # While a drop is asked for, sends go through send(), which stops
        # at the drop's byte. (The stock check fails on the file a drop closed.)
        if self.file_obj is not None and self.file_obj.closed:
            return False
        return self._drop_room() is None and DTPHandler.use_sendfile(self)

    def send(self, data):
        room = self._drop_room()
        sent = DTPHandler.send(self, data if room is None else data[:room])
        if room is not None and sent:
            self._due_drop = self.cmd_channel.control.ftp_moved(sent)
        return sent

    def initiate_send(self):
        if not self._stalls("stall_send_after", self.tot_bytes_sent):
            DTPHandler.initiate_send(self)
            if self._due_drop:
                self._drop(self._due_drop)

    def initiate_sendfile(self):
        if self._stalls("stall_send_after", self.tot_bytes_sent):
            return False
        return DTPHandler.initiate_sendfile(self)

    def handle_read(self):
        if self._stalls("stall_stor_after", self.tot_bytes_received):
            return None
        limit = self.cmd_channel.control.ftp_fault("fail_stor_after")
        room = self._drop_room()
        if limit is None and room is None:
            return DTPHandler.handle_read(self)
        try:
            # Nothing past a drop's byte is read: the rest is lost with the
            # connection.
            chunk = self.recv(min(self.ac_in_buffer_size,
                                  room or self.ac_in_buffer_size))
        except RetryError:
            return
        except OSError:
            return self.handle_error()
        self.tot_bytes_received += len(chunk)
        if not chunk:
            self.transfer_finished = True
            return
        keep = len(chunk) if limit is None else max(
            0, limit - (self.tot_bytes_received - len(chunk)))
        try:
            self.file_obj.write(chunk[:keep])
        except OSError as err:
            raise _FileReadWriteError(err)
        if len(chunk) > keep:
            self._resp = ("426 No space left on device; transfer aborted.",
                          logging.getLogger("pyftpdlib").warning)
            return self.close()
        control = self.cmd_channel.control
        drop = room is not None and control.ftp_moved(len(chunk))
        if drop:
            self._drop(drop)

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

    def handle(self):
        if self.control.ftp_sessions_full():
            # As pyftpdlib's own max_cons: the answer, then it hangs up.
            return self.handle_max_cons()
        return FTPHandler.handle(self)

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
        if cmd == "PASS" and self.control.ftp_login_busy():
            # As a server with too many users: the answer, then it hangs up.
            self.respond("421 Too many connections, try again later.")
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
        # Kept: the server reads it from its socket, which a refusal closes.
        self._address = self._server.address
        self.port = self._address[1]
        self._family = self._server.socket.family
        self._control = control
        self._listen_failed = False
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._run, name="ftp", daemon=True)

    def start(self):
        self._thread.start()

    def _run(self):
        listening = True
        while not self._stop.is_set():
            wanted, asked = self._control.ftp_listen_wanted()
            if wanted != listening:
                listening = self._listen() if wanted else self._stop_listening()
            if listening == wanted:
                self._control.ftp_listener_done(asked)
            if listening:
                self._server.serve_forever(timeout=0.2, blocking=False,
                                           handle_exit=False)
            else:
                # Nothing to wait on: open sessions run on threads of their own.
                self._stop.wait(0.02)
        self._server.close_all()

    def _stop_listening(self):
        """Connections are refused (not left waiting) until _listen: the
        listening socket is closed; open sessions go on."""
        self._server.del_channel()
        self._server.socket.close()
        return False

    def _listen(self):
        sock = socket.socket(self._family, socket.SOCK_STREAM)
        try:
            sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
            sock.bind(self._address)
            sock.listen(self._server.backlog)
        except OSError as err:
            # Tried again on the next turn of the loop; said once.
            if not self._listen_failed:
                logging.getLogger("pyftpdlib").warning(
                    "cannot listen again: %s", err)
            self._listen_failed = True
            sock.close()
            return False
        self._listen_failed = False
        sock.setblocking(False)
        self._server.set_socket(sock)
        return True

    def stop(self):
        self._stop.set()
        self._thread.join(5)
