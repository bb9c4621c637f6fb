"""Jobs from Python: several at once, the ways a running job ends early, callbacks that call
back into the library, and a client shared by threads."""
import concurrent.futures
import gc
import subprocess
import sys
import threading
import time

import pytest

import vanta
from conftest import sized

STALL = {"stall_stor_after": 65536}  # every transfer stops after its first 64 KiB


def eventually(condition, seconds=10.0):
    end = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > end:
            return False
        time.sleep(0.02)
    return True


class Seen:
    """What a job's progress calls saw."""

    def __init__(self, act=None):
        self.calls, self.phases, self.bytes, self.threads = 0, [], 0, set()
        self.act = act

    def __call__(self, job, progress):
        self.calls += 1
        self.threads.add(threading.get_ident())
        if progress.phase not in self.phases:
            self.phases.append(progress.phase)
        self.bytes = progress.bytes
        if self.act is not None and progress.bytes > 0:
            act, self.act = self.act, None
            act(job)


def test_two_jobs_at_once_each_with_its_own_progress(client, service, tmp_path):
    service.control("ftp", STALL)
    big_seen, small_seen = Seen(), Seen()
    with client.upload(user_id="ann", product=7, name="Big", files=[sized(tmp_path, 1 << 20)],
                       on_progress=big_seen) as big:
        assert eventually(lambda: big.progress.bytes > 0)
        with client.upload(user_id="ann", product=7, name="Small",
                           files=[sized(tmp_path, 30000)], on_progress=small_seen,
                           progress_interval=0, progress_bytes=10000) as small:
            assert small.result(timeout=30).asset_number
        started = time.monotonic()
        assert not big.wait(0.3)
        assert 0.3 <= time.monotonic() - started < 2
        assert (big.progress.total, big.progress.phase) == (1 << 20, vanta.Phase.TRANSFERRING)
        started = time.monotonic()
    # Leaving the block cancelled the big one and waited for it.
    assert time.monotonic() - started < 5
    with pytest.raises(vanta.CancelledError):
        big.result()
    assert big.progress.phase == vanta.Phase.FINISHED
    assert [a.name for a in client.asset_list("ann", 7)] == ["Small"]
    assert small_seen.phases == list(vanta.Phase)
    assert (small_seen.bytes, small_seen.threads & big_seen.threads) == (30000, set())
    assert small_seen.calls <= 4 + 3 + 1  # phases, byte steps, the total
    assert threading.get_ident() not in small_seen.threads
    calls = big_seen.calls
    time.sleep(0.3)
    assert big_seen.calls == calls


def raise_in_callback(job):
    raise KeyError("from the callback")


ENDS = [
    ("cancel()", None, lambda job: job.cancel(), vanta.CancelledError),
    ("an exception in the callback", raise_in_callback, None, KeyError),
    ("close() in the callback", lambda job: job.close(), None, ValueError),
    ("the job dropped", None, "drop", None),
]


@pytest.mark.parametrize("in_callback, from_test, error", [e[1:] for e in ENDS],
                         ids=[e[0] for e in ENDS])
def test_a_job_ended_early_takes_its_asset_back(client, service, tmp_path, in_callback,
                                                from_test, error):
    service.control("ftp", STALL)
    seen = Seen(in_callback)
    job = client.upload(user_id="ann", product=7, name="Trip", on_progress=seen,
                        files=[sized(tmp_path, 1 << 20)])
    assert eventually(lambda: seen.bytes > 0)
    if from_test == "drop":
        del job
        gc.collect()
    elif from_test is not None:
        from_test(job)
    if error is not None:
        with pytest.raises(error):
            job.result(timeout=10)
    assert eventually(lambda: client.asset_list("ann", 7) == [])
    calls = seen.calls
    time.sleep(0.3)
    assert seen.calls == calls


def test_callbacks_call_back_into_the_library(client, tmp_path):
    other = vanta.Client(host="127.0.0.1", http_port=1, retries=0)
    answers = []

    def act(job):
        started = time.monotonic()
        answers.append(client.user_info("ann").user_id)
        answers.append(job.progress.total)
        answers.append(job.wait(5))
        with pytest.raises(vanta.InvalidArgumentError):
            job.result()
        with pytest.raises(vanta.NetworkError):
            other.check_version()
        answers.append(time.monotonic() - started < 2)

    # A call after every block, each taking the GIL, while this thread waits for the end.
    seen = Seen(act)
    with client.upload(user_id="ann", product=7, name="Trip", files=[sized(tmp_path, 200000)],
                       on_progress=seen, progress_interval=0) as job:
        assert job.result(timeout=30).asset_number
    assert answers == ["ann", 200000, False, True]
    assert seen.calls > 195


def test_a_client_shared_by_threads_until_it_is_closed(client):
    calls = [lambda: client.validate_user("ann", "pw", 7).has_homepage,
             lambda: client.user_info("ann").details.first_name,
             lambda: client.check_version().up_to_date]
    with concurrent.futures.ThreadPoolExecutor(8) as pool:
        answers = list(pool.map(lambda i: calls[i % 3](), range(96)))
    assert answers == [False, "Ann", True] * 32

    # Closed while threads use it: each call either answers or finds it closed.
    def keep_asking():
        try:
            while True:
                assert client.user_info("ann").user_id == "ann"
        except ValueError:
            return "closed"

    with concurrent.futures.ThreadPoolExecutor(4) as pool:
        ends = [pool.submit(keep_asking) for _ in range(4)]
        time.sleep(0.3)
        client.close()
        assert [e.result(timeout=10) for e in ends] == ["closed"] * 4


def test_a_call_waiting_for_the_service_lets_other_threads_run(client, service):
    service.script("/cgiscripts/get_version.exe", b"version=3.3", delay_ms=1000)
    answered = []
    waiting = threading.Thread(target=lambda: answered.append(
        (client.check_version().up_to_date, time.monotonic())))
    waiting.start()
    time.sleep(0.2)
    ran = time.monotonic()  # only once this thread has the GIL again
    waiting.join()
    assert answered[0][0] and ran < answered[0][1] - 0.5


EXITING = """
import sys, threading, time, vanta
client = vanta.Client(host="127.0.0.1", http_port=%d, ftp_port=%d, ftp_timeout=30)
sent, closed = [], threading.Event()
def start(act):
    return client.upload(user_id="ann", product=7, name="X", files=[sys.argv[1]],
                         on_progress=act, progress_interval=0)
def close_once_sending(job, progress):
    if progress.bytes and not closed.is_set():
        job.close()  # cancelled; its worker still takes its asset back when this returns
        closed.set()
held = start(lambda job, progress: sent.append(progress.bytes))
held.cycle = held  # alive until the interpreter ends
while not sent or not sent[-1]:
    time.sleep(0.01)
orphan = start(close_once_sending)
closed.wait(30)
"""


def test_the_interpreter_ends_its_running_jobs_on_exit(client, service, tmp_path):
    # Slow replies: the closed job is still taking its asset back when the interpreter ends.
    service.control("ftp", dict(STALL, delay_ms=100))
    started = time.monotonic()
    ended = subprocess.run([sys.executable, "-c", EXITING % (service.http, service.ftp),
                            str(sized(tmp_path, 1 << 20))], timeout=60, capture_output=True)
    assert (ended.returncode, ended.stderr) == (0, b"")
    assert time.monotonic() - started < 15
    assert client.asset_list("ann", 7) == []
