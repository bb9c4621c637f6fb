import ftplib
import http.client
import io
import json
import os
import shutil
import ssl
import subprocess
import tempfile
import unittest

from .harness import HOST, REPO, start_service, stop_service


class TlsServiceTest(unittest.TestCase):
    """A service given a certificate: HTTPS beside HTTP, FTPS on the FTP
    port, the served certificate replaced through the control interface."""

    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="vanta-tls-test-")
        cls.ca = os.path.join(cls.tmp, "ca")
        subprocess.run([os.path.join(REPO, "scripts", "make-test-ca"), cls.ca],
                       check=True, timeout=60, capture_output=True)
        cls.ports = {}
        cls.proc, _, _ = start_service(
            os.path.join(cls.tmp, "data"),
            ["--tls-cert", cls.file("server.pem"), "--tls-key", cls.file("server.key"),
             "--https-port", "0"], cls.ports)

    @classmethod
    def tearDownClass(cls):
        stop_service(cls.proc)
        shutil.rmtree(cls.tmp, ignore_errors=True)

    @classmethod
    def file(cls, name):
        return os.path.join(cls.ca, name)

    def setUp(self):
        self.assertEqual(self.control("reset", {"data": True})[0], 200)

    def trusting(self):
        return ssl.create_default_context(cafile=self.file("ca.pem"))

    def control(self, path, body):
        conn = http.client.HTTPConnection(HOST, self.ports["http"], timeout=10)
        try:
            conn.request("POST", "/_control/" + path, json.dumps(body))
            response = conn.getresponse()
            return response.status, response.read()
        finally:
            conn.close()

    def https_version(self, host="localhost"):
        conn = http.client.HTTPSConnection(host, self.ports["https"], timeout=10,
                                           context=self.trusting())
        try:
            conn.request("POST", "/cgiscripts/get_version.exe", b"\n")
            return conn.getresponse().read()
        finally:
            conn.close()

    def ftps(self):
        ftp = ftplib.FTP_TLS(context=self.trusting())
        ftp.connect("localhost", self.ports["ftp"], timeout=10)
        ftp.auth()
        ftp.login("mossbay", "mossbay")
        ftp.prot_p()
        return ftp

    def test_every_channel_over_tls_and_plain_ftp_beside_it(self):
        self.assertEqual(self.https_version(), b"version=3.3")
        content = os.urandom(300000)
        ftp = self.ftps()
        try:
            ftp.storbinary("STOR assets/f", io.BytesIO(content))
            back = io.BytesIO()
            ftp.retrbinary("RETR assets/f", back.write)
        finally:
            ftp.quit()
        self.assertEqual(back.getvalue(), content)
        plain = ftplib.FTP()
        plain.connect(HOST, self.ports["ftp"], timeout=10)
        plain.login("mossbay", "mossbay")
        self.assertEqual(plain.nlst("assets"), ["f"])
        plain.quit()

    def test_served_certificate_replaced_until_reset(self):
        cases = [("expired.pem", "certificate has expired"),
                 ("untrusted.pem", "unable to get local issuer certificate")]
        for cert, reason in cases:
            with self.subTest(cert=cert):
                self.assertEqual(self.control("tls", {"cert": self.file(cert),
                                                      "key": self.file("server.key")})[0], 200)
                with self.assertRaisesRegex(ssl.SSLCertVerificationError, reason):
                    self.https_version()
                with self.assertRaisesRegex(ssl.SSLCertVerificationError, reason):
                    self.ftps()
                self.control("reset", {})
                self.assertEqual(self.https_version(), b"version=3.3")
        # A pair that does not fit is refused, and the served one stays.
        self.assertEqual(self.control("tls", {"cert": self.file("server.pem"),
                                              "key": self.file("ca.key")})[0], 400)
        self.assertEqual(self.https_version(), b"version=3.3")

    def test_refuse_tls_fault_answers_auth_as_a_server_without_tls(self):
        self.control("ftp", {"refuse_tls": True})
        ftp = ftplib.FTP_TLS(context=self.trusting())
        ftp.connect("localhost", self.ports["ftp"], timeout=10)
        with self.assertRaisesRegex(ftplib.error_perm, "^500"):
            ftp.auth()
        ftp.close()
