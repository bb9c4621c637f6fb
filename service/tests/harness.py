"""Starting and stopping service processes on ports the system picks, and
requests to them."""
import contextlib
import http.client
import json
import os
import select
import subprocess
import urllib.parse

PYTHON = "/usr/bin/python3"
REPO = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
HOST = "127.0.0.1"


def service_command(data_dir, http=0, ftp=0, prefix=()):
    return list(prefix) + [PYTHON, "-m", "service", "--data", data_dir, "--host", HOST,
                           "--http-port", str(http), "--ftp-port", str(ftp)]


def start_service(data_dir, prefix=(), options=()):
    """Start a service process with further command-line `options`; returns
    (process, http_port, ftp_port)."""
    proc = subprocess.Popen(service_command(data_dir, prefix=prefix) + list(options) +
                            ["--parent", str(os.getpid())], cwd=REPO, text=True,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    ready = select.select([proc.stdout], [], [], 20)[0]  # it prints one whole line
    line = proc.stdout.readline().split() if ready else []
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


def post(port, program, **fields):
    """A program's reply to a form posted as the library posts it."""
    body = urllib.parse.urlencode(fields).encode() + b"\n"
    with contextlib.closing(http.client.HTTPConnection(HOST, port, timeout=10)) as conn:
        conn.request("POST", "/cgiscripts/" + program, body=body)
        return conn.getresponse().read().decode()


def register(port, user, password):
    fields = dict.fromkeys("First Last Addr City St Zip EMail Day Ex Fax Night Mid Code".split(),
                           "")
    return post(port, "create_user.exe", Cust=user, PostPW=password, ProductId="1", **fields)


def control(port, data_dir, path, options=None):
    """A control request (POST with `options`, else GET); returns the JSON answer."""
    with open(os.path.join(data_dir, "control-token")) as f:
        headers = {"X-Control-Token": f.read().strip()}
    body = None if options is None else json.dumps(options).encode()
    with contextlib.closing(http.client.HTTPConnection(HOST, port, timeout=10)) as conn:
        conn.request("GET" if body is None else "POST", "/_control/" + path, body, headers)
        return json.loads(conn.getresponse().read())
