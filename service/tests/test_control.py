"""The control interface's scripted replies and faults: each must leave a
client waiting, cut off or misled exactly as described, since the library's
tests of hostile servers pass just as well against a fault that does less."""
import base64
import ftplib
import io
import os
import socket
import time

from .harness import HOST, ServiceTest, control, post, request, service

PATH = "/cgiscripts/validate_user.exe"


def raw_exchange(path=PATH, limit=None):
    """POST over a bare socket; (bytes received, seconds until the first byte,
    seconds until the end). With `limit`, stop once that many bytes came."""
    start = time.monotonic()
    with socket.create_connection((HOST, service().http), timeout=10) as s:
        s.sendall(b"POST %s HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n\r\n" % path.encode())
        data, first = b"", None
        while limit is None or len(data) < limit:
            chunk = s.recv(1 << 20)
            first = first or time.monotonic() - start
            if not chunk:
                break
            data += chunk
        return data, first, time.monotonic() - start


def ftp_login(passive=True):
    ftp = ftplib.FTP()
    ftp.connect(HOST, service().ftp, timeout=10)
    ftp.login("mossbay", "mossbay")
    ftp.set_pasv(passive)
    return ftp


class ScriptTest(ServiceTest):
    def script(self, **options):
        self.assertEqual(control("script", {"path": PATH, **options}), (200, {"ok": True}))

    def test_scripts_queue_per_path_count_down_and_last_until_reset(self):
        self.script(body="a=1", times=2)
        self.script(body="b=2")
        self.script(path="/cgiscripts/other.exe", body="c=3")
        self.assertEqual([post("validate_user.exe", "") for _ in range(4)],
                         ["a=1", "a=1", "b=2", "status=0&published=FAIL&homepage=FAIL"])
        self.assertEqual(post("other.exe", ""), "c=3")
        self.script(body="x=y", times=-1)
        self.assertEqual({post("validate_user.exe", "") for _ in range(3)}, {"x=y"})
        control("reset", {})
        self.assertNotEqual(post("validate_user.exe", ""), "x=y")

    def test_status_headers_binary_body_and_redirect(self):
        self.script(body_b64=base64.b64encode(b"r=\x00\xff\r\n").decode(), status=500,
                    headers={"X-Test": "yes"})
        self.script(body="moved", redirect="http://elsewhere.invalid/x")
        status, headers, body = request("POST", PATH, b"\n")
        self.assertEqual((status, body, ("X-Test", "yes") in headers),
                         (500, b"r=\x00\xff\r\n", True))
        status, headers, body = request("POST", PATH, b"\n")
        self.assertEqual((status, body), (302, b"moved"))
        self.assertIn(("Location", "http://elsewhere.invalid/x"), headers)

    def test_slow_cut_and_endless_replies(self):
        # (script, bytes to read, check of (head, body, first byte, end))
        rows = [(dict(body="d=1", delay_ms=400), None,
                 lambda head, body, first, end: first >= 0.35 and body == b"d=1"),
                (dict(body="0123456789", stall_after=4, stall_ms=400), None,
                 lambda head, body, first, end: end >= 0.35 and body == b"0123456789"),
                (dict(body="abcd", trickle_ms=150), None,
                 lambda head, body, first, end: end >= 0.55 and body == b"abcd"),
                (dict(body="0123456789", close_after=3), None,
                 lambda head, body, first, end: b"Content-Length: 10" in head and body == b"012"),
                (dict(body="e", endless=True), 4 << 20,
                 lambda head, body, first, end: b"Content-Length" not in head
                 and set(body) == {ord("e")})]
        for script, limit, check in rows:
            with self.subTest(script=script):
                self.script(**script)
                data, first, end = raw_exchange(limit=limit)
                head, _, body = data.partition(b"\r\n\r\n")
                self.assertTrue(check(head, body, first, end), (data[:200], first, end))

    def test_log_keeps_raw_bytes_and_header_order_but_no_control_request(self):
        body = b"user_id=a b&PW=%26%3D\xe9\x00\n"
        request("POST", PATH, body, {"Authorization": "Basic eA==", "X-Odd-Case": "1"})
        control("script", {"path": PATH, "body": "a=b"})
        log = control("log")[1]["requests"]
        self.assertEqual([(r["method"], r["path"]) for r in log], [("POST", PATH)])
        self.assertEqual(base64.b64decode(log[0]["body_b64"]), body)
        names = [h[0] for h in log[0]["headers"]]
        self.assertLess(names.index("Authorization"), names.index("X-Odd-Case"))
        control("reset", {})
        self.assertEqual(control("log")[1]["requests"], [])

    def test_malformed_control_requests_are_refused(self):
        # A misspelt fault must fail the test that asks for it, not quietly do nothing.
        for path, body in [("script", {"body": "no path"}), ("script", {"path": PATH, "times": 0}),
                           ("script", {"path": PATH, "delay_ms": "1"}),
                           ("script", {"path": PATH, "unknown": 1}), ("ftp", {"delay_ms": -1}),
                           ("ftp", {"explode": True}), ("quota", {"user": "a", "quota": -1}),
                           ("nothing", {})]:
            self.assertIn(control(path, body)[0], (400, 404), (path, body))


class FtpFaultTest(ServiceTest):
    def test_login_refused_and_stor_failing_after_n_bytes(self):
        control("ftp", {"refuse_login": True})
        with self.assertRaisesRegex(ftplib.error_perm, "^530"):
            ftp_login()
        control("ftp", {"fail_stor_after": 1000})
        with ftp_login(passive=False) as ftp:
            ftp.cwd("/assets")
            with self.assertRaisesRegex(ftplib.error_temp, "^4(26|51)"):
                ftp.storbinary("STOR big", io.BytesIO(b"y" * 20000))
            ftp.storbinary("STOR small", io.BytesIO(b"z" * 1000))  # same connection
        self.assertEqual([os.path.getsize(self.path("ftp", "assets", n)) for n in ("big", "small")],
                         [1000, 1000])

    def test_stalled_data_connections_stall_rather_than_close(self):
        os.makedirs(self.path("ftp", "assets", "s"))
        with open(self.path("ftp", "assets", "s", "f"), "wb") as f:
            f.write(b"r" * 100000)
        big = b"w" * (32 << 20)  # more than the socket buffers hold
        for faults, transfer in [
                ({"stall_stor_after": 0}, lambda ftp: ftp.storbinary("STOR g", io.BytesIO(big))),
                ({"stall_send_after": 0}, lambda ftp: ftp.retrbinary("RETR f", len)),
                ({"stall_send_after": 0}, lambda ftp: ftp.nlst())]:
            with self.subTest(faults=faults):
                control("ftp", faults)
                ftp = ftp_login(passive=False)
                ftp.cwd("/assets/s")
                ftp.timeout = 1  # short waits only for the transfer, not the login
                ftp.sock.settimeout(1)
                with self.assertRaises(socket.timeout):
                    transfer(ftp)
                ftp.close()

    def test_dele_dropped_after_1xx_and_active_data_from_another_address(self):
        control("ftp", {"dele_1xx_drop": True, "active_from": "127.0.0.2"})
        with ftp_login(passive=False) as ftp:
            with ftp.transfercmd("NLST") as conn:
                self.assertEqual(conn.getpeername()[0], "127.0.0.2")
                while conn.recv(4096):
                    pass
            ftp.voidresp()
            self.assertTrue(ftp.sendcmd("DELE x").startswith("150"))
            self.assertEqual(ftp.sock.recv(100), b"")
