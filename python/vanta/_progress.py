"""Progress calls from a job's worker thread into Python.

One C function pointer serves every job and lives as long as the module: the library may
still call a job's callback while its handle is being freed, so nothing that the library
calls may be freed with the job. The `user_data` it gets is a key into `listeners`; a key that
is gone (the job was closed) makes the call do nothing.

The call holds the GIL only while it runs Python code, and any call into the library from it
releases the GIL again, so a thread waiting for the job (GIL released) and the callback never
wait for each other. An exception raised by the user's callback never unwinds into C: it is
kept, the job is cancelled, and Job.result() raises it."""
from __future__ import annotations

import dataclasses
import enum
import itertools
import threading
import weakref
from typing import Any, Callable, Dict, Optional

from . import _c_types as c
from ._library import lib

# How long a first progress call may wait for its Job object to be made by the thread that
# started the job (a few microseconds in practice).
_READY_WAIT_SECONDS = 30.0


class Phase(enum.IntEnum):
    """Where a job is; phases only move forward."""
    PREPARING = 0
    TRANSFERRING = 1
    NOTIFYING = 2
    FINISHED = 3


@dataclasses.dataclass(frozen=True)
class Progress:
    """A job's progress: `bytes` sent of `total` (known once measured), its phase, how often
    the send went on after a broken connection and where the last resume began."""
    bytes: int
    total: int
    phase: Phase
    resumes: int
    resumed_at: int


def progress_from(p: c.Progress) -> Progress:
    phase = c.filled(p, "phase", 0)
    return Progress(c.filled(p, "bytes", 0), c.filled(p, "total", 0),
                    Phase(phase) if 0 <= phase <= 3 else phase,
                    c.filled(p, "resumes", 0), c.filled(p, "resumed_at", 0))


class Listener:
    """What one job's progress calls need: the user's callback, the job (weakly: a job that
    nobody holds any more is cancelled and freed), the handle for a cancel, and the exception
    that the callback raised, if any."""

    def __init__(self, callback: Optional[Callable[[Any, Progress], object]]):
        self.callback = callback
        self.error: Optional[BaseException] = None
        self.ready = threading.Event()  # set once `job` and `pointer` are there
        self._job: Callable[[], Any] = lambda: None
        self._pointer: Optional[int] = None
        self._lock = threading.Lock()

    def attach(self, job: Any, pointer: int) -> None:
        """The job has its Python object: deliver calls from now on."""
        with self._lock:
            self._job = weakref.ref(job)
            self._pointer = pointer
            failed = self.error is not None
        self.ready.set()
        if failed:
            lib().vanta_job_cancel(pointer)

    def detach(self) -> None:
        """The handle is about to be freed: no cancel through it any more."""
        with self._lock:
            self._pointer = None
        self.ready.set()

    def running_here(self) -> bool:
        """Whether this thread is inside this job's callback."""
        return getattr(_inside, "listener", None) is self

    def deliver(self, progress: c.Progress) -> None:
        if self.callback is None or self.error is not None:
            return
        self.ready.wait(_READY_WAIT_SECONDS)
        job = self._job()
        if job is None:
            return
        outer = getattr(_inside, "listener", None)
        _inside.listener = self
        try:
            self.callback(job, progress_from(progress))
        except BaseException as raised:  # noqa: B036 - nothing may unwind into C
            with self._lock:
                self.error = raised
                pointer = self._pointer
            if pointer is not None:
                lib().vanta_job_cancel(pointer)
        finally:
            _inside.listener = outer


# The listener whose callback this thread is running, if any. (A thread id would not do: the
# system reuses them once a worker has ended.)
_inside = threading.local()
listeners: Dict[int, Listener] = {}
_keys = itertools.count(1)


def register(listener: Listener) -> int:
    key = next(_keys)
    listeners[key] = listener
    return key


@c.PROGRESS_CALLBACK
def trampoline(progress: Any, key: Optional[int]) -> None:
    listener = listeners.get(key or 0)
    if listener is None:
        return
    try:
        listener.deliver(progress.contents)
    except BaseException:  # noqa: B036 - the last guard before C; deliver keeps its own
        pass
