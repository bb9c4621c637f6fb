"""The process-wide trace handler, from Python.

One C function pointer lives as long as the module and is installed in the library while a
Python handler is set; which Python handler it calls is kept here, with the same rules as the
library keeps for a C handler: when set_trace_handler returns, the handler it replaced runs on
no other thread and is never called again; called from inside that handler, it does not wait
for the call it is part of. The library is told only whether a handler is set, by one thread
at a time, and never while a lock is held that a trace call may need: a handler that sets
another one while the library waits for it to return goes on at once, and the thread already
telling the library takes its change along.

An exception raised by the handler cannot stop the request that traced the line: like one
from a status callback, it goes to sys.unraisablehook with a note naming the line."""
from __future__ import annotations

import atexit
import threading
from typing import Callable, List, Optional

from . import _c_types as c
from ._library import lib
from ._text import decoded

TraceHandler = Callable[[str], object]


class _Handler:
    def __init__(self, callback: TraceHandler):
        self.callback = callback
        self.running = 0  # calls in progress on all threads; guarded by _changed


_changed = threading.Condition()
_current: Optional[_Handler] = None  # guarded by _changed
_installed = False  # whether the library calls the trampoline; written by the telling thread
_telling = False  # a thread is telling the library; guarded by _changed
_inside = threading.local()  # .handlers: the handlers this thread is calling, innermost last


def _handlers_here() -> List[_Handler]:
    if not hasattr(_inside, "handlers"):
        _inside.handlers = []
    return _inside.handlers


def set_trace_handler(handler: Optional[TraceHandler]) -> None:
    """Installs `handler(line)` for the whole process (every client and job, and the exports
    used by other code in the process), replacing the one set before; None removes it. A line
    is what was sent ("> "), what the server answered ("< ") or what the network layer did
    ("* ": connecting, each retry and its wait), without bodies, with passwords and
    credentials masked. The handler runs on the threads that do the network work (the callers
    of operations, the jobs' workers), possibly on several at once, and may call into the
    library, this function included. When this returns, the replaced handler is no longer
    running and is never called again (called from inside that handler: except for the call
    it is part of, which ends when the handler returns)."""
    global _current
    if handler is not None and not callable(handler):
        raise TypeError("the trace handler must be callable, not %r" % (handler,))
    made = None if handler is None else _Handler(handler)
    with _changed:
        replaced, _current = _current, made
    _tell_library()
    if replaced is not None:
        mine = sum(1 for h in _handlers_here() if h is replaced)
        with _changed:
            _changed.wait_for(lambda: replaced.running == mine)


def _tell_library() -> None:
    """Brings the library's handler in line with _current, unless another thread is doing so
    now (it looks again before it stops)."""
    global _telling, _installed
    with _changed:
        if _telling:
            return
        _telling = True
    while True:
        with _changed:
            wanted = _current is not None
            if wanted == _installed:
                _telling = False
                return
        # Removing it waits for the trampoline's calls on other threads: no lock held here.
        lib().vanta_set_trace_handler(_trampoline if wanted else c.TRACE_CALLBACK(), None)
        _installed = wanted


# ctypes hands what leaves a callback to sys.unraisablehook and returns to C.
@c.TRACE_CALLBACK
def _trampoline(line: bytes, _user_data: object) -> None:
    with _changed:
        handler = _current
        if handler is None:
            return
        handler.running += 1
    here = _handlers_here()
    here.append(handler)
    try:
        handler.callback(decoded(line))
    except BaseException as raised:  # noqa: B036 - reported by ctypes, never passed into C
        if hasattr(raised, "add_note"):
            raised.add_note("raised by the trace handler %r for the line %r; the request went on"
                            % (handler.callback, decoded(line)))
        raise
    finally:
        here.pop()
        with _changed:
            handler.running -= 1
            _changed.notify_all()


@atexit.register
def _remove_at_exit() -> None:
    # No line may reach Python once the interpreter is going; jobs still running trace on.
    if _installed:
        lib().vanta_set_trace_handler(c.TRACE_CALLBACK(), None)
