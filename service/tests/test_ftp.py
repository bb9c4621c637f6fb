import ftplib
import io
import os
import socket
import time

from .harness import HOST, ServiceTest, control, ftp_login, service


class FtpTest(ServiceTest):
    def stor(self, ftp, name, data):
        return ftp.storbinary("STOR " + name, io.BytesIO(data))

    def test_store_and_fetch_in_both_modes(self):
        for passive in (True, False):
            with ftp_login(passive) as ftp:
                ftp.cwd("/assets")
                self.stor(ftp, "f%d.bin" % passive, b"\x00\r\n\xff" * 1000)
                got = io.BytesIO()
                ftp.retrbinary("RETR f%d.bin" % passive, got.write)
                self.assertEqual(got.getvalue(), b"\x00\r\n\xff" * 1000)
            with open(self.path("ftp", "assets", "f%d.bin" % passive), "rb") as f:
                self.assertEqual(len(f.read()), 4000)

    def test_download_directory_and_file_management(self):
        with ftp_login() as ftp:
            ftp.cwd("/downloads")
            got = io.BytesIO()
            ftp.retrbinary("RETR VantaAPI.dll", got.write)
            self.assertTrue(got.getvalue().startswith(b"MZ"))
            with self.assertRaises(ftplib.error_perm):
                ftp.cwd("/assets/missing")
            self.assertEqual(ftp.pwd(), "/downloads")
            ftp.mkd("/assets/d")
            ftp.cwd("/assets/d")
            self.stor(ftp, "x", b"1")
            self.assertEqual(ftp.nlst(), ["x"])
            ftp.delete("x")
            ftp.rmd("/assets/d")
        self.assertFalse(os.path.exists(self.path("ftp", "assets", "d")))

    def test_log_counts_and_hides_the_password(self):
        with ftp_login() as ftp:
            ftp.pwd()
            time.sleep(0.1)
            log = control("ftp/log")[1]
            self.assertEqual((log["logins"], log["sessions_open"], log["sessions_total"]),
                             (1, 1, 1))
        session = log["commands"][0][0]
        self.assertEqual(log["commands"], [[session, "USER mossbay"],
                                           [session, "PASS ****"], [session, "PWD"]])
        for _ in range(50):
            if control("ftp/log")[1]["sessions_open"] == 0:
                break
            time.sleep(0.02)
        self.assertEqual(control("ftp/log")[1]["sessions_open"], 0)
        control("reset", {})
        self.assertEqual(control("ftp/log")[1],
                         {"commands": [], "logins": 0, "sessions_open": 0,
                          "sessions_total": 0})


class FtpFaultTest(ServiceTest):
    def test_refuse_login(self):
        control("ftp", {"refuse_login": True})
        ftp = ftplib.FTP()
        ftp.connect(HOST, service().ftp, timeout=10)
        with self.assertRaisesRegex(ftplib.error_perm, "^530"):
            ftp.login("mossbay", "mossbay")
        ftp.close()
        control("ftp", {})
        ftp_login().quit()
        self.assertEqual(control("ftp/log")[1]["logins"], 1)

    def test_wrong_password_is_refused_at_once(self):
        ftp = ftplib.FTP()
        ftp.connect(HOST, service().ftp, timeout=10)
        start = time.monotonic()
        with self.assertRaisesRegex(ftplib.error_perm, "^530"):
            ftp.login("mossbay", "wrong")
        self.assertLess(time.monotonic() - start, 1)
        ftp.close()

    def test_fail_stor_after_keeps_the_partial_file(self):
        control("ftp", {"fail_stor_after": 1000})
        with ftp_login(passive=False) as ftp:
            ftp.cwd("/assets")
            # Small enough to sit in the socket buffers at once: a larger file races
            # the server's close and may end in a broken pipe before the reply.
            with self.assertRaisesRegex(ftplib.error_temp, "^4(26|51)"):
                ftp.storbinary("STOR big", io.BytesIO(b"y" * 20000))
            # A file that fits goes through, on the same connection.
            ftp.storbinary("STOR small", io.BytesIO(b"z" * 1000))
        self.assertEqual(os.path.getsize(self.path("ftp", "assets", "big")), 1000)
        self.assertEqual(os.path.getsize(self.path("ftp", "assets", "small")), 1000)

    def test_delay_every_reply(self):
        control("ftp", {"delay_ms": 300})
        start = time.monotonic()
        ftp_login().quit()   # greeting, USER, PASS, QUIT
        self.assertGreaterEqual(time.monotonic() - start, 1.1)

    def test_drop_after_commands_drops_once(self):
        control("ftp", {"drop_after_commands": 2})
        ftp = ftplib.FTP()
        ftp.connect(HOST, service().ftp, timeout=10)
        ftp.login("mossbay", "mossbay")  # two commands, answered
        with self.assertRaises((EOFError, ConnectionError, socket.error)):
            ftp.pwd()
        ftp.close()
        with ftp_login() as ftp:  # the fault is used up
            self.assertEqual(ftp.pwd(), "/")
        commands = [c[1] for c in control("ftp/log")[1]["commands"]]
        self.assertEqual(commands[:3], ["USER mossbay", "PASS ****", "PWD"])

    def test_bad_faults_are_refused(self):
        self.assertEqual(control("ftp", {"delay_ms": -1})[0], 400)
        self.assertEqual(control("ftp", {"explode": True})[0], 400)


class HostileFtpTest(ServiceTest):
    """The faults that play a hostile server: each one must leave the
    client waiting, or misled, exactly as described."""

    def test_stalled_data_connections(self):
        os.makedirs(self.path("ftp", "assets", "s"), exist_ok=True)
        with open(self.path("ftp", "assets", "s", "f"), "wb") as f:
            f.write(b"r" * 100000)
        big = b"w" * (32 << 20)  # more than the socket buffers hold
        cases = [({"stall_stor_after": 0},
                  lambda ftp: ftp.storbinary("STOR g", io.BytesIO(big))),
                 ({"stall_send_after": 0},
                  lambda ftp: ftp.retrbinary("RETR f", lambda _: None)),
                 ({"stall_send_after": 0}, lambda ftp: ftp.nlst())]
        for faults, transfer in cases:
            with self.subTest(faults=faults, transfer=transfer):
                control("ftp", faults)
                ftp = ftplib.FTP()
                ftp.connect(HOST, service().ftp, timeout=10)
                ftp.login("mossbay", "mossbay")
                ftp.set_pasv(False)
                ftp.cwd("/assets/s")
                # Short waits only for the transfer, so that a slow login under load
                # is no false stall.
                ftp.timeout = 1
                ftp.sock.settimeout(1)
                with self.assertRaises(socket.timeout):
                    transfer(ftp)
                ftp.close()

    def test_dele_answered_1xx_then_dropped(self):
        control("ftp", {"dele_1xx_drop": True})
        with ftp_login() as ftp:
            ftp.sock.settimeout(2)
            self.assertTrue(ftp.sendcmd("DELE x").startswith("150"))
            self.assertEqual(ftp.sock.recv(100), b"")

    def test_active_data_connection_from_another_address(self):
        control("ftp", {"active_from": "127.0.0.2"})
        with ftp_login(passive=False) as ftp:
            conn = ftp.transfercmd("NLST")
            self.assertEqual(conn.getpeername()[0], "127.0.0.2")
            with conn:
                while conn.recv(4096):
                    pass
            ftp.voidresp()
