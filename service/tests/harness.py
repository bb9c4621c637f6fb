"""One service process for the whole test run, on ports the system picks,
with a fresh data directory; each test starts from a data reset."""
import atexit
import base64
import http.client
import json
import os
import shutil
import subprocess
import tempfile
import unittest

PYTHON = "/usr/bin/python3"
REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
HOST = "127.0.0.1"


def start_service(data_dir, *extra_args):
    """Start a service process; returns (process, http_port, ftp_port)."""
    proc = subprocess.Popen(
        [PYTHON, "-m", "service", "--data", data_dir, "--host", HOST,
         "--http-port", "0", "--ftp-port", "0", "--parent", str(os.getpid())]
        + list(extra_args),
        cwd=REPO, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    line = proc.stdout.readline().split()
    if not line or line[0] != "ready":
        proc.kill()
        raise RuntimeError("service did not start: %s" % proc.stderr.read())
    ports = dict(word.split("=") for word in line[1:])
    return proc, int(ports["http"]), int(ports["ftp"])


def stop_service(proc):
    """Stop a service process; returns its exit status."""
    proc.terminate()
    try:
        return proc.wait(10)
    finally:
        proc.stdout.close()
        proc.stderr.close()


class _Shared:
    proc = None


def service():
    if _Shared.proc is None:
        tmp = tempfile.mkdtemp(prefix="vanta-service-test-")
        _Shared.data = os.path.join(tmp, "data")
        _Shared.proc, _Shared.http, _Shared.ftp = start_service(_Shared.data)
        atexit.register(lambda: (stop_service(_Shared.proc), shutil.rmtree(tmp, True)))
    return _Shared


def request(method, path, body=b"", headers=None):
    """(status, headers, body bytes) of one request."""
    conn = http.client.HTTPConnection(HOST, service().http, timeout=10)
    try:
        conn.request(method, path, body=body, headers=headers or {})
        resp = conn.getresponse()
        return resp.status, resp.getheaders(), resp.read()
    finally:
        conn.close()


def post(program, body):
    """Post a form as the library does (with its trailing line feed) and
    return the reply as text."""
    status, _, data = request("POST", "/cgiscripts/" + program, body.encode("latin-1") + b"\n", {
        "Content-Type": "application/x-www-form-urlencoded",
        "Authorization": "Basic " + base64.b64encode(b"mossbay:mossbay").decode()})
    assert status == 200, (program, status, data)
    return data.decode("latin-1")


def control(path, obj=None):
    """(status, parsed reply) of a control request: GET without `obj`."""
    status, _, data = request("GET" if obj is None else "POST", "/_control/" + path,
                              b"" if obj is None else json.dumps(obj).encode())
    return status, json.loads(data)


def values(reply):
    """The values of a reply, by position, as the library reads them."""
    return [field.partition("=")[2] for field in reply.split("&")]


class ServiceTest(unittest.TestCase):
    def setUp(self):
        self.svc = service()
        self.assertEqual(control("reset", {"data": True}), (200, {"ok": True}))

    def path(self, *parts):
        return os.path.join(self.svc.data, *parts)

    def register(self, user="alice", password="pw", product="3"):
        return post("create_user.exe",
                    "Cust=%s&First=Ann&Last=Lee&Addr=1 Main St&City=Springfield"
                    "&St=IL&Zip=62701&EMail=%s@example.com&Day=555-1000&Ex=12"
                    "&Fax=555-1001&Night=555-1002&Mid=Q&Code=US&PostPW=%s"
                    "&ProductId=%s" % (user, user, password, product))

    def create_asset(self, user="alice", product="3", files=("a.jpg", "b.jpg"), name="Holiday"):
        body = ("UserId=%s&Name=%s&Size=500&ProdId=%s&AssetType=2&AssetDesc=Beach "
                "pictures&FileCnt=%d" % (user, name, product, len(files)))
        return values(post("create_asset.exe", body + "".join("&File=" + f for f in files)))
