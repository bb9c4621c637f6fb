import ast
import ftplib
import glob
import io
import os
import signal
import socket
import sqlite3
import subprocess
import tempfile
import time
import unittest
import urllib.request

from ..db import MIGRATIONS
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
                             [(len(MIGRATIONS),)])
            con.close()
            self.assertTrue(os.path.isfile(os.path.join(data, "ftp", "downloads",
                                                        "VantaAPI.dll")))


# Standard modules that Python 3.12 and 3.13 removed: the service runs on 3.11
# to 3.13, so none of its own modules may import them.
REMOVED_MODULES = {
    "asynchat", "asyncore", "distutils", "imp", "smtpd",            # 3.12
    "aifc", "audioop", "cgi", "cgitb", "chunk", "crypt", "imghdr",  # 3.13
    "mailcap", "msilib", "nis", "nntplib", "ossaudiodev", "pipes",
    "sndhdr", "spwd", "sunau", "telnetlib", "uu", "xdrlib"}


def imported_modules(path):
    with open(path, encoding="utf-8") as f:
        tree = ast.parse(f.read(), path)
    for node in ast.walk(tree):
        if isinstance(node, ast.Import):
            yield from (alias.name.split(".")[0] for alias in node.names)
        elif isinstance(node, ast.ImportFrom) and node.level == 0:
            yield node.module.split(".")[0]


class PortabilityTest(unittest.TestCase):
    def test_no_module_removed_from_newer_pythons_is_imported(self):
        paths = glob.glob(os.path.join(REPO, "service", "**", "*.py"),
                          recursive=True)
        self.assertGreater(len(paths), 10)
        for path in paths:
            self.assertFalse(set(imported_modules(path)) & REMOVED_MODULES, path)

    def test_an_unprivileged_process_serves_on_ports_above_1023(self):
        # No capabilities at all: what a user without root has, whatever
        # user the tests run as.
        drop = ["setpriv", "--inh-caps=-all", "--bounding-set=-all", "--"]
        with tempfile.TemporaryDirectory() as tmp:
            def run(http, ftp):
                return subprocess.Popen(
                    drop + [PYTHON, "-m", "service", "--data", tmp + "/d",
                            "--http-port", str(http), "--ftp-port", str(ftp)],
                    cwd=REPO, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                    text=True)
            # A low port is refused with one line naming it and the remedy.
            for http, ftp, what in ((80, free_port(), "HTTP on 127.0.0.1 port 80"),
                                    (free_port(), 21, "FTP on 127.0.0.1 port 21")):
                proc = run(http, ftp)
                out, err = proc.communicate(timeout=10)
                self.assertEqual((proc.returncode, out), (1, ""))
                self.assertEqual(err.splitlines(), [
                    "python3 -m service: cannot listen for %s: Permission denied; "
                    "ports below 1024 need root, so choose --%s-port above 1023"
                    % (what, what.split()[0].lower())])
            http, ftp = free_port(), free_port()
            proc = run(http, ftp)
            try:
                self.assertEqual(proc.stdout.readline(), "ready\n")
                self.assertEqual(post(http, "get_version.exe", ""), "version=3.3")
                for passive in (True, False):
                    client = ftplib.FTP()
                    client.connect(HOST, ftp, timeout=10)
                    client.login("mossbay", "mossbay")
                    client.set_pasv(passive)
                    client.storbinary("STOR f%d" % passive, io.BytesIO(b"x" * 3000))
                    self.assertEqual(client.size("f%d" % passive), 3000)
                    client.quit()
            finally:
                stop_service(proc)


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
