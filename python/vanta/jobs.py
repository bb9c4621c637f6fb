"""Background jobs: an upload or a sharing job runs on a worker thread of the library; any
number may run at once."""
from __future__ import annotations

import ctypes
import functools
import threading
import time
import weakref
from ctypes import POINTER, byref, c_void_p
from typing import Generic, Optional, Tuple, TypeVar

from . import _c_types as c
from . import _status, errors, records
from ._config import Seconds, milliseconds
from ._library import lib
from ._owned import Owned
from ._progress import Listener, Phase, Progress, listeners, progress_from

__all__ = ["Job", "UploadJob", "ShareJob", "Phase", "Progress"]

T = TypeVar("T")
# Each wait in the library is this long at most, so that Ctrl-C reaches a waiting main thread.
_WAIT_SLICE_SECONDS = 0.25


class Job(Generic[T]):
    """A running or finished job.

    Use it as a context manager: leaving the block cancels the job if it still runs, waits for
    its end (bounded: every network wait of a job is, and a cancel ends them at once), keeps
    its outcome for result() and frees it. close() does the same. A job that nobody holds any
    more is cancelled and freed as well, so keep the object while the job should run.

    `on_progress(job, progress)` runs on the job's worker thread at every phase change and as
    bytes are sent; the transfer waits for it, so keep it short. It may call into the library
    (this job's progress and cancel(), other operations of any client) and into Python freely;
    this job's wait() gives False there and result() raises InvalidArgumentError, as the job
    cannot end while its own callback runs. An exception it raises cancels the job; result()
    raises that exception (when the job was too far to stop and finished anyway, the
    exception carries a note saying so).

    `on_status(status, info)`, given to upload() or share_by_email(), receives the job's
    status notifications on its worker thread, as the Client's on_status does (which gets
    them when the job has none of its own); an exception it raises does not stop the job but
    goes to sys.unraisablehook."""

    def __init__(self, pointer: int, listener: Listener, key: int,
                 status_keys: Tuple[Optional[int], ...] = ()):
        self._listener = listener
        self._owned = Owned(pointer, functools.partial(free_job, key, status_keys), "job")
        self._settled: Optional[tuple] = None  # (value, exception) once the outcome is read
        self._settle_lock = threading.Lock()
        self._final_progress: Optional[Progress] = None
        listener.attach(self, pointer)
        weakref.finalize(self, self._owned.close)

    def __enter__(self) -> "Job[T]":
        return self

    def __exit__(self, *exc: object) -> None:
        self.close()

    @property
    def progress(self) -> Progress:
        """The job's progress as of now (after close(): as the job ended)."""
        if self._final_progress is not None:
            return self._final_progress
        progress = c.Progress(size=ctypes.sizeof(c.Progress))
        pointer = self._owned.acquire()
        try:
            lib().vanta_job_progress(pointer, byref(progress))
        finally:
            self._owned.release()
        return progress_from(progress)

    def cancel(self) -> None:
        """Asks the job to stop and returns at once; a job past its transfer finishes normally.
        What a cancelled job had stored on the service is taken back."""
        pointer = self._owned.acquire()
        try:
            lib().vanta_job_cancel(pointer)
        finally:
            self._owned.release()

    def wait(self, timeout: Optional[Seconds] = None) -> bool:
        """True once the job has finished, waiting up to `timeout` seconds (None: until it
        ends; 0: just look). False at once inside the job's own callback."""
        if self._settled is not None:
            return True
        if self._listener.running_here():
            return False
        end = None
        if timeout is not None:
            end = time.monotonic() + milliseconds(timeout, "timeout") / 1000
        while True:
            left = _WAIT_SLICE_SECONDS if end is None else max(0.0, end - time.monotonic())
            pointer = self._owned.acquire()
            try:
                done = lib().vanta_job_wait(pointer, round(min(left, _WAIT_SLICE_SECONDS) * 1000))
            finally:
                self._owned.release()
            if done or (end is not None and time.monotonic() >= end):
                return bool(done)

    def result(self, timeout: Optional[Seconds] = None) -> T:
        """Waits for the end (see wait()) and gives the outcome, or raises the job's failure
        (a vanta.Error) or what its progress callback raised. TimeoutError when `timeout`
        passed first."""
        if self._settled is None and self._listener.running_here():
            self._outcome()  # the library refuses at once: the job cannot end here
        if not self.wait(timeout):
            raise TimeoutError("the job has not finished within %s s" % timeout)
        value, failure = self._settle()
        if failure is not None:
            raise failure
        return value

    def close(self) -> None:
        """Cancels the job if it still runs, waits for its end, keeps its outcome and frees
        it. Idempotent; from the job's own callback it cancels and frees without waiting."""
        if self._owned.closed:
            return
        try:
            self.cancel()
            if self.wait():
                self._settle()
                self._final_progress = self.progress
        finally:
            self._owned.close()

    def _settle(self) -> tuple:
        with self._settle_lock:
            if self._settled is None:
                try:
                    value, failure = self._outcome(), None
                except errors.Error as error:
                    value, failure = None, error
                raised = self._listener.error
                if raised is not None:
                    if failure is None and hasattr(raised, "add_note"):
                        raised.add_note("the job had gone too far to stop and finished: %r"
                                        % (value,))
                    value, failure = None, raised
                self._settled = (value, failure)
            return self._settled

    def _outcome(self) -> T:
        raise NotImplementedError


class UploadJob(Job[records.UploadOutcome]):
    """An upload: result() gives the new asset's UploadOutcome."""

    def _outcome(self) -> records.UploadOutcome:
        out, error = POINTER(c.UploadOutcome)(), c_void_p()
        pointer = self._owned.acquire()
        try:
            result = lib().vanta_job_outcome(pointer, byref(out), byref(error))
        finally:
            self._owned.release()
        if result != 0:
            raise errors.from_c(result, error)
        try:
            return records.upload_outcome_from(out.contents)
        finally:
            lib().vanta_upload_outcome_free(out)


class ShareJob(Job[None]):
    """A sharing job: result() gives None once the mails were requested."""

    def _outcome(self) -> None:
        error = c_void_p()
        pointer = self._owned.acquire()
        try:
            result = lib().vanta_job_outcome(pointer, None, byref(error))
        finally:
            self._owned.release()
        if result != 0:
            raise errors.from_c(result, error)


def free_job(key: int, status_keys: Tuple[Optional[int], ...], pointer: int) -> None:
    # No progress or status call comes once the handle is freed, even when the worker, freed
    # from its own callback, still ends on its own.
    listener = listeners.pop(key, None)
    if listener is not None:
        listener.detach()
    lib().vanta_job_free(pointer)
    for status_key in status_keys:
        _status.release(status_key)
