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
import unittest
import urllib.request

from ..db import MIGRATIONS
from .harness import HOST, PYTHON, REPO, start_service, stop_service


def free_port():
    with socket.socket() as s:
        s.bind((HOST, 0))
        return s.getsockname()[1]


def post(port, program, body=""):
    with urllib.request.urlopen("http://%s:%d/cgiscripts/%s" % (HOST, port, program),
                                data=body.encode() + b"\n", timeout=10) as r:
        return r.read().decode()


def run(data, http, ftp, prefix=()):
    return subprocess.Popen(list(prefix) + [PYTHON, "-m", "service", "--data", data,
                                            "--http-port", str(http), "--ftp-port", str(ftp)],
                            cwd=REPO, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)


class ProcessTest(unittest.TestCase):
    def test_ready_line_clean_stop_and_data_kept_across_a_restart(self):
        with tempfile.TemporaryDirectory() as tmp:
            data = os.path.join(tmp, "new", "data")  # parents are created
            http = free_port()
            proc = run(data, http, free_port())
            self.assertEqual(proc.stdout.readline(), "ready\n")
            post(http, "create_user.exe", "Cust=z&First=&Last=&Addr=&City=&St=&Zip=&EMail="
                 "&Day=&Ex=&Fax=&Night=&Mid=&Code=&PostPW=p&ProductId=1")
            proc.send_signal(signal.SIGINT)
            self.assertEqual(proc.wait(10), 0)
            self.assertEqual(proc.stdout.read(), "")  # nothing after "ready"
            stop_service(proc)
            proc, http, _ = start_service(data)
            self.assertEqual(post(http, "get_user_info.exe", "UserId=z")[:7], "user=z&")
            self.assertEqual(stop_service(proc), 0)
            con = sqlite3.connect(os.path.join(data, "vanta.db"))
            self.assertEqual(con.execute("SELECT * FROM schema_version").fetchall(),
                             [(len(MIGRATIONS),)])
            con.close()
            self.assertTrue(os.path.isfile(os.path.join(data, "ftp", "downloads",
                                                        "VantaAPI.dll")))

    def test_an_unprivileged_process_serves_on_ports_above_1023(self):
        # No capabilities at all: what a user without root has, whatever user the tests run as.
        drop = ["setpriv", "--inh-caps=-all", "--bounding-set=-all", "--"]
        with tempfile.TemporaryDirectory() as tmp:
            # A low port is refused with one line naming it and the remedy.
            for http, ftp, what in ((80, free_port(), "HTTP on 127.0.0.1 port 80"),
                                    (free_port(), 21, "FTP on 127.0.0.1 port 21")):
                proc = run(tmp + "/d", http, ftp, drop)
                out, err = proc.communicate(timeout=10)
                self.assertEqual((proc.returncode, out, err.splitlines()), (1, "", [
                    "python3 -m service: cannot listen for %s: Permission denied; "
                    "ports below 1024 need root, so choose --%s-port above 1023"
                    % (what, what.split()[0].lower())]))
            http, ftp = free_port(), free_port()
            proc = run(tmp + "/d", http, ftp, drop)
            try:
                self.assertEqual(proc.stdout.readline(), "ready\n")
                self.assertEqual(post(http, "get_version.exe"), "version=3.3")
                for passive in (True, False):
                    with ftplib.FTP() as client:
                        client.connect(HOST, ftp, timeout=10)
                        client.login("mossbay", "mossbay")
                        client.set_pasv(passive)
                        client.storbinary("STOR f%d" % passive, io.BytesIO(b"x" * 3000))
                        self.assertEqual(client.size("f%d" % passive), 3000)
            finally:
                stop_service(proc)


# Standard modules that Python 3.12 and 3.13 removed: the service runs on 3.11
# to 3.13, so none of its own modules may import them.
REMOVED_MODULES = {
    "asynchat", "asyncore", "distutils", "imp", "smtpd",            # 3.12
    "aifc", "audioop", "cgi", "cgitb", "chunk", "crypt", "imghdr",  # 3.13
    "mailcap", "msilib", "nis", "nntplib", "ossaudiodev", "pipes",
    "sndhdr", "spwd", "sunau", "telnetlib", "uu", "xdrlib"}


class PortabilityTest(unittest.TestCase):
    def test_no_module_removed_from_newer_pythons_is_imported(self):
        paths = glob.glob(os.path.join(REPO, "service", "**", "*.py"), recursive=True)
        self.assertGreater(len(paths), 10)
        for path in paths:
            with open(path, encoding="utf-8") as f:
                tree = ast.parse(f.read(), path)
            imported = {alias.name.split(".")[0] for node in ast.walk(tree)
                        if isinstance(node, ast.Import) for alias in node.names}
            imported |= {node.module.split(".")[0] for node in ast.walk(tree)
                         if isinstance(node, ast.ImportFrom) and node.level == 0}
            self.assertFalse(imported & REMOVED_MODULES, path)
