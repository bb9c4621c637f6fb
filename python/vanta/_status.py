"""Status notifications from the network layer into Python.

One C function pointer serves every client and job and lives as long as the module. The
`user_data` it gets is a key into `_listeners`; a key that is gone makes the call do nothing.
A client's key stays while the client or any job started from it may still be notified:
each holder takes a hold and gives it back once the library has stopped using the key.

A status callback cannot stop the request that it reports on: an exception it raises goes,
with a note naming the notification, to sys.unraisablehook (which prints it to stderr by
default), as Python does for any exception that a C callback cannot pass on; the request goes
on and later notifications still arrive."""
from __future__ import annotations

import ctypes
import enum
import itertools
import sys
import threading
from typing import Callable, Dict, Optional, Union

from . import _c_types as c


class Status(enum.IntEnum):
    """The status numbers of the network layer's notifications, in the order a request meets
    them (the Internet status numbers)."""
    RESOLVING_NAME = 10  # info: the host name (str)
    NAME_RESOLVED = 11  # info: the address found (str)
    CONNECTING_TO_SERVER = 20  # info: the socket address (bytes, a struct sockaddr)
    CONNECTED_TO_SERVER = 21  # info: the peer's socket address (bytes)
    SENDING_REQUEST = 30
    REQUEST_SENT = 31  # info: the bytes sent (int)
    RECEIVING_RESPONSE = 40
    RESPONSE_RECEIVED = 41  # info: the bytes of the answer's head (int)
    CLOSING_CONNECTION = 50
    CONNECTION_CLOSED = 51
    HANDLE_CREATED = 60  # info: the handle (bytes)
    HANDLE_CLOSING = 70  # info: the handle (bytes)


Info = Union[str, int, bytes, None]
StatusCallback = Callable[[Union[Status, int], Info], object]

_TEXTS = frozenset((Status.RESOLVING_NAME, Status.NAME_RESOLVED))
_COUNTS = frozenset((Status.REQUEST_SENT, Status.RESPONSE_RECEIVED))
_COUNT_SIZE = 4  # the platform's DWORD


def status_from(number: int) -> Union[Status, int]:
    """The number as a Status; a number that names none stays as it is."""
    try:
        return Status(number)
    except ValueError:
        return number


def info_from(status: int, info: Optional[int], size: int) -> Info:
    """The information block as what it holds: a text up to its NUL, a count in the machine's
    byte order, else the bytes as they are; None when there is none."""
    if not info or size == 0:
        return None
    data = ctypes.string_at(info, size)
    if status in _TEXTS:
        return data.split(b"\0", 1)[0].decode("utf-8", "surrogateescape")
    if status in _COUNTS and size == _COUNT_SIZE:
        return int.from_bytes(data, sys.byteorder)
    return data


class _Listener:
    def __init__(self, callback: StatusCallback):
        self.callback = callback
        self.holds = 1


_listeners: Dict[int, _Listener] = {}
_lock = threading.Lock()
_keys = itertools.count(1)


def checked(callback: Optional[StatusCallback]) -> Optional[StatusCallback]:
    if callback is not None and not callable(callback):
        raise TypeError("on_status must be callable, not %r" % (callback,))
    return callback


def register(callback: StatusCallback) -> int:
    """A new key for `callback`, with one hold on it."""
    with _lock:
        key = next(_keys)
        _listeners[key] = _Listener(callback)
    return key


def hold(key: Optional[int]) -> None:
    """One more holder of `key` (None: nothing)."""
    if key is not None:
        with _lock:
            _listeners[key].holds += 1


def release(key: Optional[int]) -> None:
    """A holder is done with `key`: the library calls no more with it for that holder."""
    if key is None:
        return
    with _lock:
        listener = _listeners[key]
        listener.holds -= 1
        if listener.holds == 0:
            del _listeners[key]


def install(target: ctypes.Structure, key: Optional[int]) -> None:
    """Points `target`'s on_status (vanta_config, vanta_job_options) at the listener."""
    if key is not None:
        target.on_status = trampoline
        target.status_user_data = key


@c.STATUS_CALLBACK
def trampoline(status: int, info: Optional[int], size: int, key: Optional[int]) -> None:
    listener = _listeners.get(key or 0)
    if listener is None:
        return
    made = status_from(status)
    try:
        listener.callback(made, info_from(status, info, size))
    except BaseException as raised:  # noqa: B036 - reported below, never passed into C
        if hasattr(raised, "add_note"):
            raised.add_note("raised by the status callback %r for %r; the request went on"
                            % (listener.callback, made))
        # ctypes hands what leaves a callback to sys.unraisablehook and returns to C.
        raise
