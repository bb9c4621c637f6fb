"""The reference service for the package's tests, started once by the service's own test
launcher (service/tests/harness.py) on ports the system picks, and a client of it whose data
is fresh for every test: user "ann", password "pw", product 7."""
import base64
import os

import pytest

import vanta
from service.tests import harness


class Service:
    def __init__(self, data, http, ftp):
        self.data, self.http, self.ftp = data, http, ftp

    def control(self, path, options=None):
        answer = harness.control(self.http, self.data, path, options)
        assert answer.get("ok", True), answer
        return answer

    def script(self, path, body=b"", **more):
        """The next request to `path` is answered with `body`."""
        self.control("script", dict(path=path, body_b64=base64.b64encode(body).decode(), **more))

    def bodies(self, path):
        """The bodies posted to `path` since the last reset, in order."""
        return [base64.b64decode(r["body_b64"]) for r in self.control("log")["requests"]
                if r["path"] == path]

    def client(self, **settings):
        return vanta.Client(**dict(dict(host=harness.HOST, http_port=self.http,
                                         ftp_port=self.ftp), **settings))

    def directory(self, name):
        """An empty directory in the service's assets tree."""
        os.makedirs(os.path.join(self.data, "ftp", "assets", name))
        return "/assets/" + name


@pytest.fixture(scope="session")
def service(tmp_path_factory):
    data = str(tmp_path_factory.mktemp("service") / "data")
    # The sanitizer runtime that this interpreter may preload for the library is not the
    # service's affair.
    clean = ("env", "-u", "LD_PRELOAD", "-u", "ASAN_OPTIONS")
    proc, http, ftp = harness.start_service(data, clean, ["--log-bodies"])
    yield Service(data, http, ftp)
    assert harness.stop_service(proc) == 0


@pytest.fixture
def client(service):
    service.control("reset", {"data": True})
    # A long FTP limit: only a cancel ends a stalled transfer within the tests' bounds.
    with service.client(ftp_timeout=30) as made:
        made.register_user("ann", "pw", 7, vanta.UserDetails(first_name="Ann", code="C1"))
        yield made


@pytest.fixture
def note(tmp_path):
    path = tmp_path / "note.txt"
    path.write_bytes(b"hello")
    return path


def sized(directory, size):
    """A local file of `size` bytes."""
    path = directory / ("%d.bin" % size)
    path.write_bytes(os.urandom(size))
    return path
