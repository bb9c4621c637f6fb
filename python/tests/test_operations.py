"""Every operation of the Client against the reference service: each row makes its calls on
fresh data (user "ann" with product 7) and gives a value, or fails with a category and the
export's code."""
import datetime
import functools
import sys
import threading
import time

import pytest

import vanta
from vanta import UserDetails

UTC = datetime.timezone.utc


class Fails:
    def __init__(self, error, code=0):
        self.error, self.code = error, code


def scripted(path, body):
    """A row that first scripts the service's reply to `path`."""
    def wrap(call):
        @functools.wraps(call)
        def run(c, service, tmp):
            service.script(path, body)
            return call(c, service, tmp)
        return run
    return wrap


def homepage_round_trip(c, service, tmp):
    page = vanta.Homepage("T", "H", "B = c + 1%", "3", "R")
    c.update_homepage("ann", page)
    return c.homepage("ann") == page, c.validate_user("ann", "pw", 7).has_homepage


def details_round_trip(c, service, tmp):
    # Every detail is written: the ones not given become "".
    c.update_user("ann", "pw", UserDetails(first_name="Zoë 名", city="Lyon"))
    user = c.user_info("ann")
    return user.details.first_name, user.details.city, user.details.code, user.product_count


def uploaded_then_deleted(c, service, tmp):
    (tmp / "a.txt").write_bytes(b"abc")
    with c.upload(user_id="ann", product=7, name="Trip", files=[tmp / "a.txt"]) as job:
        number = job.result().asset_number
    listed = [(a.name, a.file_names, a.declared_size) for a in c.asset_list("ann", 7)]
    c.delete_asset("ann", "7", number)
    return listed, c.asset_list("ann", 7)


# The notifications of one request, in order; the connection is not kept.
ONE_REQUEST = [60, 10, 11, 20, 21, 30, 31, 40, 41, 50, 51, 70]


def statuses_of_a_validation(c, service, tmp):
    seen = []
    with service.client(on_status=lambda status, info: seen.append((status, info))) as made:
        made.validate_user("ann", "pw", 7)
    info = dict(seen)
    counts = [info[vanta.Status.REQUEST_SENT], info[vanta.Status.RESPONSE_RECEIVED]]
    return ([s for s, _ in seen], all(isinstance(s, vanta.Status) for s, _ in seen),
            info[vanta.Status.RESOLVING_NAME], info[vanta.Status.NAME_RESOLVED],
            [type(n) for n in counts], min(counts) > 50, info[vanta.Status.SENDING_REQUEST])


def status_calling_back(c, service, tmp):
    # As the answer arrives, a look-up on the same client, whose notifications come too.
    seen, nested = [], []

    def on_status(status, info):
        seen.append(status)
        if status == vanta.Status.RESPONSE_RECEIVED and not nested:
            nested.append("asking")  # the nested call's own notifications come here too
            nested[0] = made.user_info("ann").user_id

    with service.client(on_status=on_status) as made:
        login = made.validate_user("ann", "pw", 7)
    return login, nested, seen == ONE_REQUEST[:9] + ONE_REQUEST + ONE_REQUEST[9:]


def status_callback_raising(c, service, tmp):
    # Each exception is reported; the request goes on and succeeds.
    def fail(status, info):
        raise KeyError(status)

    reported = []
    hook, sys.unraisablehook = sys.unraisablehook, reported.append
    try:
        with service.client(on_status=fail) as made:
            login = made.validate_user("ann", "pw", 7)
    finally:
        sys.unraisablehook = hook
    return login, [r.exc_value.args[0] for r in reported if isinstance(r.exc_value, KeyError)]


def job_statuses(c, service, tmp):
    # An upload's own callback gets them on its worker, the client's none; a job without one
    # notifies the client's callback even after the client was closed.
    (tmp / "a.txt").write_bytes(b"abc")
    here, to_client, to_job = threading.get_ident(), [], []
    with service.client(on_status=lambda s, i: to_client.append(threading.get_ident())) as made:
        with made.upload(user_id="ann", product=7, name="A", files=[tmp / "a.txt"],
                         on_status=lambda s, i: to_job.append(threading.get_ident())) as own:
            own.result(timeout=30)
        sent = len(to_client)
        plain = made.upload(user_id="ann", product=7, name="B", files=[tmp / "a.txt"])
    plain.result(timeout=30)
    plain.close()
    return (sent, len(to_job) > 12, here in to_job, len(to_client) > 12, here in to_client,
            vanta._status._listeners)


def trace_removing_itself(c, service, tmp):
    """The lines of two validations under a handler that removes itself at the credentials."""
    lines = []

    def on_line(line):
        lines.append(line)
        if line.startswith("> Authorization: "):
            vanta.set_trace_handler(None)  # returns at once: this call is still running

    vanta.set_trace_handler(on_line)
    try:
        c.validate_user("ann", "pw", 7)
        c.validate_user("ann", "pw", 7)
    finally:
        vanta.set_trace_handler(None)
    # The last line is the credentials': the second validation was not traced.
    return "> POST /cgiscripts/validate_user.exe HTTP/1.1" in lines, lines[-1]


def trace_replaced_while_running(c, service, tmp):
    """The handler dwells in its first line on another thread while this one replaces it: the
    replacement returns once that call has, and later lines go to the new handler only."""
    entered, replaced, left, after, others = (threading.Event(), threading.Event(), [], [],
                                              [])

    def dwell(line):
        if replaced.is_set():
            after.append(line)
        elif not entered.is_set():
            entered.set()
            time.sleep(0.2)
            left.append(line)

    vanta.set_trace_handler(dwell)
    worker = threading.Thread(target=c.validate_user, args=("ann", "pw", 7))
    try:
        worker.start()
        entered.wait(10)
        vanta.set_trace_handler(others.append)
        had_left = len(left)
        replaced.set()
        worker.join(10)
    finally:
        vanta.set_trace_handler(None)
    return had_left, after, len(others) > 5


def backoff_in_the_trace(c, service, tmp):
    lines = []
    vanta.set_trace_handler(lines.append)
    try:
        with service.client(http_port=1, retries=2, initial_backoff=0.04, jitter=0,
                            max_backoff=datetime.timedelta(milliseconds=60)) as made:
            made.validate_user("ann", "pw", 7)
    except vanta.NetworkError as error:
        code = error.code
    finally:
        vanta.set_trace_handler(None)
    return code, [int(line.split(" after ")[1].split()[0]) for line in lines
                  if line.startswith("* retrying ")]


ASSETS = ("n=Trip&d=Two&p=7&t=2&s=5000000000&i=ID1&c=46362.5&a=12&w=PW&f=2&u=http://x/12&v=-1"
          "&l=a.jpg|b.jpg&n=Solo&d=&p=7&t=0&s=1&i=ID2&c=0&a=13&w=PW2&f=1&u=&v=0&l=c.txt")

ROWS = [
    ("register a new account",
     lambda c, s, t: c.register_user("bob", "pw", "7", UserDetails(email="b@x")).kind,
     vanta.RegistrationKind.NEW_ACCOUNT),
    ("register again", lambda c, s, t: c.register_user("ann", "pw", 7).kind,
     vanta.RegistrationKind.EXISTING),
    ("register with another password", lambda c, s, t: c.register_user("ann", "x", 7),
     Fails(vanta.WrongPasswordError, 8192)),
    ("validate", lambda c, s, t: c.validate_user("ann", "pw", 7), vanta.Login(False, False)),
    ("validate a wrong password", lambda c, s, t: c.validate_user("ann", "x", 7),
     Fails(vanta.WrongPasswordError, 8192)),
    ("validate an unknown user", lambda c, s, t: c.validate_user("nobody", "pw", 7),
     Fails(vanta.UnknownUserError, 256)),
    ("validate where nobody listens",
     lambda c, s, t: s.client(http_port=1, retries=0).validate_user("ann", "pw", 7),
     Fails(vanta.NetworkError, 32)),
    # A NUL would cut the text short in C: refused before anything is sent.
    ("a NUL inside a text", lambda c, s, t: c.validate_user("ann", "pw\0x", 7),
     Fails(vanta.InvalidArgumentError)),
    ("the user's record",
     lambda c, s, t: (lambda u: (u.user_id, u.details.first_name, u.details.code,
                                 u.product_count))(c.user_info("ann")),
     ("ann", "Ann", "C1", 1)),
    ("details written and read back in UTF-8", details_round_trip, ("Zoë 名", "Lyon", "", 1)),
    ("no homepage", lambda c, s, t: c.homepage("ann"), Fails(vanta.NotFoundError)),
    ("a homepage written and read back", homepage_round_trip, (True, True)),
    ("a homepage deleted twice",
     lambda c, s, t: (c.update_homepage("ann", vanta.Homepage("T", "H", "B", "1", "R")),
                      c.delete_homepage("ann"), c.delete_homepage("ann")),
     Fails(vanta.NotFoundError)),
    # The second asset was created on day 0 of the service's calendar, before 1970.
    ("assets", scripted("/cgiscripts/get_asset.exe", ASSETS.encode())(
        lambda c, s, t: [(a.asset_number, a.declared_size, a.created, a.page_views, a.file_names)
                         for a in c.asset_list("U", 7)]),
     [("12", 5000000000, datetime.datetime(2026, 12, 6, 12, tzinfo=UTC), -1, ("a.jpg", "b.jpg")),
      ("13", 1, datetime.datetime(1899, 12, 30, tzinfo=UTC), 0, ("c.txt",))]),
    ("an asset's statistics", scripted("/cgiscripts/get_stats.exe",
                                       b"day=20261206&views=3&day=20261207&views=1")(
        lambda c, s, t: c.asset_stats("U", "12")),
     [vanta.AssetStat(datetime.date(2026, 12, 6), 3),
      vanta.AssetStat(datetime.date(2026, 12, 7), 1)]),
    ("a quota beyond 32 bits", scripted("/cgiscripts/get_disk_space.exe",
                                        b"quota=8589934592&used=10")(
        lambda c, s, t: c.disk_space("U", 7)), vanta.DiskSpace(8589934592, 10)),
    ("an unknown asset", lambda c, s, t: c.asset_info("U", "999"), Fails(vanta.NotFoundError, 256)),
    ("an upload listed, then its record deleted", uploaded_then_deleted,
     ([("Trip", ("a.txt",), 3)], [])),
    ("an upload of a missing file", lambda c, s, t: c.upload(
        user_id="ann", product=7, name="N", files=[t / "missing"]).result(timeout=30),
     Fails(vanta.LocalFileError, 8)),
    ("a share", lambda c, s, t: ((t / "a").write_bytes(b"a"), c.share_by_email(
        sender="ann@example.net", recipients=["bob@example.net"], subject="S", message="M",
        files=[t / "a"]).result(timeout=30))[1], None),
    ("a share without a sender", lambda c, s, t: c.share_by_email(
        sender="", recipients=["bob@example.net"], subject="S", message="M",
        files=[]).result(timeout=30), Fails(vanta.InvalidArgumentError)),
    ("the version", lambda c, s, t: (lambda v: (v.up_to_date, v.library))(c.check_version()),
     (True, vanta.library_version())),
    # Bodies and replies go byte for byte, NUL bytes included.
    ("a raw request", scripted("/cgiscripts/x.exe", b"late=1\0x")(
        lambda c, s, t: (c.post_request("/cgiscripts/x.exe", b"a=1\0b"),
                         s.bodies("/cgiscripts/x.exe"))),
     (b"late=1\0x", [b"a=1\0b\n"])),
    ("an error page", scripted("/cgiscripts/x.exe", b"oops")(
        lambda c, s, t: s.script("/cgiscripts/x.exe", b"no", status=500) or
        c.post_request("/cgiscripts/x.exe")), b"oops"),
    ("the update downloaded",
     lambda c, s, t: (lambda p: (p == t / "VantaAPI.dll", p.read_bytes()[:2]))(
         c.download_update(t)), (True, b"MZ")),
    ("a file sent, found, deleted, missing", lambda c, s, t: (
        (t / "n.txt").write_bytes(b"hi"), c.send_file(t / "n.txt", s.directory("box"), "n.txt"),
        c.file_exists("box", "n.txt"), c.delete_file("box", "n.txt"),
        c.file_exists("box", "n.txt"))[2:], (True, None, False)),
    ("a missing file deleted", lambda c, s, t: c.delete_file("box", "none"),
     Fails(vanta.NotFoundError, 1024)),
    ("files sent together, the unreadable one skipped", lambda c, s, t: (
        [(t / n).write_bytes(n.encode()) for n in ("a", "b")],
        c.send_files(s.directory("two"), [t / "a", str(t / "b"), t / "missing"]),
        c.file_exists("two", "a"), c.file_exists("two", "b"), c.file_exists("two", "missing"))[2:],
     (True, True, False)),
    ("a directory removed, then again",
     lambda c, s, t: (c.remove_directory(s.directory("e")), c.remove_directory("/assets/e")),
     Fails(vanta.RefusedError, 16)),
    ("the account deleted, then again",
     lambda c, s, t: (c.delete_user("ann"), c.delete_user("ann")),
     Fails(vanta.UnknownUserError, 256)),
    ("a request's statuses, their information decoded", statuses_of_a_validation,
     (ONE_REQUEST, True, "127.0.0.1", "127.0.0.1", [int, int], True, None)),
    ("a status callback that calls back", status_calling_back,
     (vanta.Login(False, False), ["ann"], True)),
    ("a status callback that raises", status_callback_raising,
     (vanta.Login(False, False), ONE_REQUEST)),
    ("a job's statuses", job_statuses, (0, True, False, True, False, {})),
    ("the trace, credentials masked, its handler removed from inside itself",
     trace_removing_itself, (True, "> Authorization: ****")),
    ("a trace handler replaced while it runs on another thread", trace_replaced_while_running,
     (1, [], True)),
    ("the back-off waits in the trace", backoff_in_the_trace, (32, [40, 60])),
    ("a jitter beyond 1", lambda c, s, t: vanta.Client(jitter=1.5),
     Fails(vanta.InvalidArgumentError)),
    ("no connection for a job's files", lambda c, s, t: vanta.Client(parallel_transfers=0),
     Fails(vanta.InvalidArgumentError)),
    ("a host that cannot be one", lambda c, s, t: vanta.Client(host="127.0.0.1:80"),
     Fails(vanta.InvalidArgumentError)),
    ("a port that cannot be one", lambda c, s, t: vanta.Client(http_port=70000),
     Fails(vanta.InvalidArgumentError)),
    ("a closed client", lambda c, s, t: (c.close(), c.user_info("ann")), Fails(ValueError)),
]


@pytest.mark.parametrize("call, expected", [r[1:] for r in ROWS], ids=[r[0] for r in ROWS])
def test_operation(client, service, tmp_path, call, expected):
    if not isinstance(expected, Fails):
        assert call(client, service, tmp_path) == expected
        return
    with pytest.raises(expected.error) as raised:
        call(client, service, tmp_path)
    if isinstance(raised.value, vanta.Error):
        assert (raised.value.code, bool(raised.value.reason)) == (expected.code, True)


def test_an_unusable_environment_makes_no_client(monkeypatch):
    monkeypatch.setenv("VANTA_HTTP_PORT", "x")
    with pytest.raises(vanta.InvalidArgumentError, match="VANTA_HTTP_PORT"):
        vanta.Client.from_environment()


def test_a_record_from_an_older_library_is_read_only_as_far_as_its_size():
    from vanta import _c_types as c, records

    older = c.Asset(size=c.Asset.page_views.offset, name=b"A", page_views=5, file_name_count=1)
    made = records.asset_from(older)
    assert (made.name, made.page_views, made.file_names) == ("A", 0, ())
