"""The exceptions: one class per failure category of the C interface, all under vanta.Error."""
from __future__ import annotations

import ctypes
import enum
from typing import Dict, Optional, Type

from ._library import lib
from ._text import decoded


class Category(enum.IntEnum):
    """What kind of failure an error is: the numbers of vanta_result."""
    NETWORK = 1
    UNKNOWN_USER = 2
    WRONG_PASSWORD = 3
    PRODUCT_NOT_REGISTERED = 4
    NOT_FOUND = 5
    REFUSED = 6
    NO_SPACE = 7
    LOCAL_FILE = 8
    UNEXPECTED_REPLY = 9
    INVALID_ARGUMENT = 10
    CANCELLED = 11
    INTERNAL = 12


class Error(Exception):
    """A failed operation. `reason` says why, for people; `code` is the result code that the
    matching QDX_ export gives for the same outcome (0 when there is none); `asset_number`
    names an asset that a failed job could not take back, else None."""
    category: Category = Category.INTERNAL

    def __init__(self, reason: str, code: int = 0, asset_number: Optional[str] = None):
        super().__init__(reason)
        self.reason = reason
        self.code = code
        self.asset_number = asset_number


class NetworkError(Error):
    """The host could not be reached, a wait ran out, the transfer or the reply broke off, or
    the service answered with an error page."""
    category = Category.NETWORK


class UnknownUserError(Error):
    """The service knows no such user."""
    category = Category.UNKNOWN_USER


class WrongPasswordError(Error):
    """The password does not match the account."""
    category = Category.WRONG_PASSWORD


class ProductNotRegisteredError(Error):
    """The login is right, the product is not its."""
    category = Category.PRODUCT_NOT_REGISTERED


class NotFoundError(Error):
    """No such asset, homepage, file or directory."""
    category = Category.NOT_FOUND


class RefusedError(Error):
    """The service declined the request."""
    category = Category.REFUSED


class NoSpaceError(Error):
    """The upload does not fit the disk quota."""
    category = Category.NO_SPACE


class LocalFileError(Error):
    """A local file could not be opened, read or written, or changed while it was sent."""
    category = Category.LOCAL_FILE


class UnexpectedReplyError(Error):
    """The service's reply does not have the right shape."""
    category = Category.UNEXPECTED_REPLY


class InvalidArgumentError(Error, ValueError):
    """The request was refused before anything was sent (also a ValueError)."""
    category = Category.INVALID_ARGUMENT


class CancelledError(Error):
    """The job was cancelled."""
    category = Category.CANCELLED


class InternalError(Error):
    """The library itself failed (out of memory, ...)."""
    category = Category.INTERNAL


_BY_CATEGORY: Dict[int, Type[Error]] = {
    cls.category: cls for cls in (NetworkError, UnknownUserError, WrongPasswordError,
                                  ProductNotRegisteredError, NotFoundError, RefusedError,
                                  NoSpaceError, LocalFileError, UnexpectedReplyError,
                                  InvalidArgumentError, CancelledError, InternalError)}


def from_c(result: int, error: ctypes.c_void_p) -> Error:
    """The exception for a failed call's `result`, taking over and freeing its error object
    (which a call that could not allocate one leaves NULL)."""
    cls = _BY_CATEGORY.get(result, InternalError)
    if not error:
        return cls("%s (the library gave no details)" % lib().vanta_result_name(result).decode())
    try:
        reason = decoded(lib().vanta_error_reason(error))
        number = decoded(lib().vanta_error_asset_number(error))
        return cls(reason, lib().vanta_error_code(error), number or None)
    finally:
        lib().vanta_error_free(error)
