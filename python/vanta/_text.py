"""Strings across the C interface: UTF-8, NUL-terminated, and never a NUL inside.

Bytes that are not UTF-8 travel as surrogate escapes, as os.fsdecode does with file names, so
that a value read from the service and sent back arrives byte for byte."""
from __future__ import annotations

import os
from typing import Optional, Union

PathLike = Union[str, bytes, "os.PathLike[str]", "os.PathLike[bytes]"]


def encoded(text: str, what: str) -> bytes:
    """`text` for a const char* argument; a NUL byte inside fails before anything is sent."""
    if not isinstance(text, str):
        raise TypeError("%s must be a str, not %s" % (what, type(text).__name__))
    data = text.encode("utf-8", "surrogateescape")
    if b"\0" in data:
        _refuse(what)
    return data


def encoded_path(path: PathLike, what: str) -> bytes:
    """A local path for a const char* argument, in the file system's encoding."""
    data = os.fsencode(path)
    if b"\0" in data:
        _refuse(what)
    return data


def _refuse(what: str) -> None:
    from .errors import InvalidArgumentError  # errors imports this module

    raise InvalidArgumentError("%s holds a NUL byte; nothing was sent" % what)


def decoded(data: Optional[bytes]) -> str:
    """A const char* from the library as str; NULL is ""."""
    return "" if data is None else data.decode("utf-8", "surrogateescape")
