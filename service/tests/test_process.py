import os
import signal
import socket
import sqlite3
import subprocess
import tempfile
import time
import unittest
import urllib.request

from ..forms import Form, reply
from .harness import HOST, PYTHON, REPO, start_service, stop_service


def free_port():
    with socket.socket() as s:
        s.bind((HOST, 0))
        return s.getsockname()[1]


def post(port, program, body):
    with urllib.request.urlopen("http://%s:%d/cgiscripts/%s" % (HOST, port, program),
                                data=body.encode() + b"\n", timeout=10) as r:
        return r.read().decode("latin-1")


class ProcessTest(unittest.TestCase):
    def test_fixed_ports_print_a_bare_ready_line(self):
        with tempfile.TemporaryDirectory() as tmp:
            http, ftp = free_port(), free_port()
            proc = subprocess.Popen(
                [PYTHON, "-m", "service", "--data", os.path.join(tmp, "d"),
                 "--http-port", str(http), "--ftp-port", str(ftp)],
                cwd=REPO, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
            try:
                self.assertEqual(proc.stdout.readline(), b"ready\n")
                self.assertEqual(post(http, "get_version.exe", ""), "version=3.3")
            finally:
                proc.send_signal(signal.SIGINT)
                self.assertEqual(proc.wait(10), 0)
                rest = proc.stdout.read()
                stop_service(proc)
            self.assertEqual(rest, b"")  # nothing after "ready"

    def test_data_and_schema_survive_a_restart(self):
        with tempfile.TemporaryDirectory() as tmp:
            data = os.path.join(tmp, "new", "data")  # parents are created
            proc, http, _ = start_service(data)
            post(http, "create_user.exe", "Cust=z&First=&Last=&Addr=&City=&St="
                 "&Zip=&EMail=&Day=&Ex=&Fax=&Night=&Mid=&Code=&PostPW=p&ProductId=1")
            start = time.monotonic()
            self.assertEqual(stop_service(proc), 0)
            self.assertLess(time.monotonic() - start, 5)
            proc, http, _ = start_service(data)
            try:
                self.assertEqual(post(http, "get_user_info.exe", "UserId=z")[:7],
                                 "user=z&")
            finally:
                stop_service(proc)
            con = sqlite3.connect(os.path.join(data, "vanta.db"))
            self.assertEqual(con.execute("SELECT * FROM schema_version").fetchall(),
                             [(1,)])
            con.close()
            self.assertTrue(os.path.isfile(os.path.join(data, "ftp", "downloads",
                                                        "VantaAPI.dll")))


class FormTest(unittest.TestCase):
    def test_exactly_one_trailing_line_feed_is_the_channel_s(self):
        self.assertEqual(Form.parse(b"a=1\n\n").get("a"), "1\n")
        self.assertEqual(Form.parse(b"a=1").get("a"), "1")
        self.assertIsNone(Form.parse(b"\n").get("a"))

    def test_names_are_exact_and_bytes_survive(self):
        form = Form.parse(b"asset_num =9&x=%2B+%26\xff&File=a&File=b\n")
        self.assertEqual(form.get("asset_num "), "9")
        self.assertIsNone(form.get("asset_num"))
        self.assertEqual(form.get("x"), "+ &\xff")
        self.assertEqual(form.all("File"), ["a", "b"])

    def test_reply_values_never_hold_an_ampersand(self):
        self.assertEqual(reply(("a", "x&y&z"), ("b", 3)), "a=x*y*z&b=3")
