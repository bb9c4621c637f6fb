"""A handle of the C interface (a client, a job) shared by threads: freed exactly once, and
never while a call on another thread still uses it (vanta.h forbids that overlap)."""
from __future__ import annotations

import threading
from typing import Callable, Optional


class Owned:
    """Holds `pointer` until close(); `free` runs once no call uses it any more, on the thread
    that leaves last. No lock is held while the library is called."""

    def __init__(self, pointer: int, free: Callable[[int], None], what: str):
        self._pointer: Optional[int] = pointer
        self._free = free
        self._what = what
        self._lock = threading.Lock()
        self._users = 0
        self._closing = False

    def acquire(self) -> int:
        """The pointer for one call, which must be followed by release(); ValueError once the
        handle is closed."""
        with self._lock:
            if self._closing:
                raise ValueError("the %s is closed" % self._what)
            self._users += 1
            return self._pointer  # type: ignore[return-value]

    def release(self) -> None:
        with self._lock:
            self._users -= 1
            pointer = self._take_if_unused()
        if pointer is not None:
            self._free(pointer)

    def close(self) -> None:
        """Frees the handle now, or when the last call that uses it returns."""
        with self._lock:
            self._closing = True
            pointer = self._take_if_unused()
        if pointer is not None:
            self._free(pointer)

    @property
    def closed(self) -> bool:
        return self._closing

    def _take_if_unused(self) -> Optional[int]:
        if not self._closing or self._users > 0 or self._pointer is None:
            return None
        pointer, self._pointer = self._pointer, None
        return pointer
