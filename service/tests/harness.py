"""Starting and stopping service processes on ports the system picks, and
requests to them."""
import contextlib
import http.client
import json
import os
import subprocess
import tempfile
import unittest
import urllib.parse

PYTHON = "/usr/bin/python3"
REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
HOST = "127.0.0.1"


def service_command(data_dir, http=0, ftp=0, prefix=()):
    return list(prefix) + [PYTHON, "-m", "service", "--data", data_dir, "--host", HOST,
                           "--http-port", str(http), "--ftp-port", str(ftp)]


def start_service(data_dir, prefix=()):
    """Start a service process; returns (process, http_port, ftp_port)."""
    proc = subprocess.Popen(service_command(data_dir, prefix=prefix) +
                            ["--parent", str(os.getpid())], cwd=REPO, text=True,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    line = proc.stdout.readline().split()
    if line[:1] != ["ready"]:
        proc.kill()
        raise RuntimeError("service did not start: %s" % proc.stderr.read())
    ports = dict(word.split("=") for word in line[1:])
    return proc, int(ports["http"]), int(ports["ftp"])


def stop_service(proc):
    """Stop a service process; returns its exit status."""
    proc.terminate()
    proc.communicate(timeout=10)
    return proc.returncode


def request(port, path, body):
    """(status, body bytes) of a POST."""
    with contextlib.closing(http.client.HTTPConnection(HOST, port, timeout=10)) as conn:
        conn.request("POST", path, body=body)
        response = conn.getresponse()
        return response.status, response.read()


def post(port, program, **fields):
    """A program's reply to a form posted as the library posts it."""
    body = urllib.parse.urlencode(fields).encode() + b"\n"
    return request(port, "/cgiscripts/" + program, body)[1].decode()


def register(port, user, password):
    fields = dict.fromkeys("First Last Addr City St Zip EMail Day Ex Fax Night Mid Code".split(),
                           "")
    return post(port, "create_user.exe", Cust=user, PostPW=password, ProductId="1", **fields)


class ServiceTest(unittest.TestCase):
    """One service process per test class, with a data directory of its own."""

    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.data = os.path.join(cls.tmp.name, "data")
        cls.proc, cls.http, cls.ftp = start_service(cls.data)

    @classmethod
    def tearDownClass(cls):
        stop_service(cls.proc)
        cls.tmp.cleanup()

    def setUp(self):
        self.assertEqual(self.control("reset", {"data": True}), (200, {"ok": True}))

    def control(self, path, obj):
        """(status, parsed reply) of a control request."""
        status, data = request(self.http, "/_control/" + path, json.dumps(obj).encode())
        return status, json.loads(data)
