"""TLS for both servers, on when the service is given a certificate and key:
HTTPS on a port of its own beside plain HTTP, and explicit FTPS on the FTP
port (a client asks for it with AUTH TLS, then protects its data
connections with PROT P; clients that do not ask stay in clear).

The certificate served can be replaced while the service runs (the control
interface does so, so that tests can show a client an expired or untrusted
certificate); connections made afterwards get the new one."""
import socket
import ssl
import sys
import threading

from OpenSSL import SSL
from pyftpdlib.handlers import TLS_DTPHandler, TLS_FTPHandler


class Certificate:
    """The certificate and key that both servers present, with the TLS
    contexts made from them (one for the standard library's ssl module,
    one for pyftpdlib's pyOpenSSL)."""

    def __init__(self, cert_path, key_path):
        self._lock = threading.Lock()
        self._first = (cert_path, key_path)
        self.load(cert_path, key_path)

    def restore(self):
        """Serve the pair the service started with again."""
        self.load(*self._first)

    def load(self, cert_path, key_path):
        """Serve this pair from now on. Raises ValueError, keeping the pair
        served so far, when the files are not a certificate and its key."""
        try:
            http = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            http.load_cert_chain(cert_path, key_path)
            ftp = SSL.Context(SSL.TLS_SERVER_METHOD)
            ftp.set_options(SSL.OP_NO_SSLv2 | SSL.OP_NO_SSLv3 | SSL.OP_NO_COMPRESSION)
            ftp.use_certificate_chain_file(cert_path)
            ftp.use_privatekey_file(key_path)
            ftp.check_privatekey()
        except (OSError, ssl.SSLError, SSL.Error) as err:
            raise ValueError("cannot serve %s with key %s: %s"
                             % (cert_path, key_path, err)) from None
        with self._lock:
            self._http, self._ftp = http, ftp

    def http_context(self):
        with self._lock:
            return self._http

    def ftp_context(self):
        with self._lock:
            return self._ftp


class HttpsServerMixin:
    """Put before an HTTP server class: every accepted connection is wrapped
    in TLS. The handshake runs on the request's own thread, on its first
    read, so a client that never completes one holds up nobody else."""

    certificate = None  # Certificate, set on the subclass

    def get_request(self):
        sock, address = super().get_request()
        try:
            return self.certificate.http_context().wrap_socket(
                sock, server_side=True, do_handshake_on_connect=False), address
        except (OSError, ssl.SSLError):
            sock.close()
            raise

    def handle_error(self, request, client_address):
        # A refused handshake is the client's decision (an untrusted
        # certificate, say), not a fault of the service.
        if isinstance(sys.exc_info()[1], (ssl.SSLError, ConnectionError, socket.timeout)):
            return
        super().handle_error(request, client_address)


def ftps_handler(handler, certificate):
    """An FTP handler class that offers AUTH TLS, PBSZ and PROT on top of
    `handler` (the service's handler with its log and faults). With the
    fault "refuse_tls" set, AUTH is answered as by a server that knows no
    TLS."""
    class TlsDTP(TLS_DTPHandler, handler.dtp_handler):
        def readable(self):
            # A client may open the data connection and start its handshake
            # before it sends the transfer command (libcurl does). The stock
            # handler reads such early bytes as a hang-up and closes the
            # connection; while the handshake runs they are its bytes.
            if self._ssl_accepting:
                return True
            return super().readable()

    class TlsHandler(TLS_FTPHandler, handler):
        dtp_handler = TlsDTP

        @classmethod
        def get_ssl_context(cls):
            return certificate.ftp_context()

        def ftp_AUTH(self, line):
            if self.control.ftp_fault("refuse_tls"):
                return self.respond('500 Command "AUTH" not understood.')
            return TLS_FTPHandler.ftp_AUTH(self, line)

    return TlsHandler


def serve_certificate(service, options):
    """The control request that replaces the served certificate:
    {"cert": FILE, "key": FILE}."""
    if service.certificate is None:
        raise ValueError("the service runs without TLS")
    cert, key = options.get("cert"), options.get("key")
    if not isinstance(cert, str) or not isinstance(key, str):
        raise ValueError("cert and key must be file names")
    service.certificate.load(cert, key)
