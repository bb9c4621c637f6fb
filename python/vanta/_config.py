"""A Client's keyword arguments as the vanta_config struct."""
from __future__ import annotations

import ctypes
import datetime
import math
import os
from typing import Optional, Union

from . import _c_types as c
from . import _status
from ._library import lib
from ._text import encoded, encoded_path
from .errors import InvalidArgumentError

Seconds = Union[float, datetime.timedelta]


def milliseconds(value: Seconds, what: str) -> int:
    seconds = value.total_seconds() if isinstance(value, datetime.timedelta) else float(value)
    if not 0 <= seconds < 2 ** 53 / 1000:
        raise InvalidArgumentError("%s must be a time of 0 seconds or more, not %r" % (what, value))
    return round(seconds * 1000)


def _port(value: int, what: str) -> int:
    if isinstance(value, bool) or not isinstance(value, int) or not 0 < value < 65536:
        raise InvalidArgumentError("%s must be a port number (1 to 65535), not %r" % (what, value))
    return value


def make_config(host: Optional[str], http_port: Optional[int], ftp_port: Optional[int],
                https_port: Optional[int], tls: Optional[bool],
                ca_file: Optional["os.PathLike[str] | str"], login_name: Optional[str],
                login_password: Optional[str], update_key: Optional["os.PathLike[str] | str"],
                http_timeout: Optional[Seconds], ftp_timeout: Optional[Seconds],
                retries: Optional[int], retry_budget: Optional[Seconds],
                initial_backoff: Optional[Seconds] = None, max_backoff: Optional[Seconds] = None,
                jitter: Optional[float] = None, status_key: Optional[int] = None,
                parallel_transfers: Optional[int] = None) -> c.Config:
    """The struct with the library's defaults, then every argument that is not None. The
    struct holds its strings: they live as long as it does. `status_key` is the status
    listener's key, which must outlive the client made from the struct."""
    config = c.Config()
    lib().vanta_config_init(ctypes.byref(config), ctypes.sizeof(config))
    texts = {"host": host, "login_name": login_name, "login_password": login_password}
    for name, value in texts.items():
        if value is not None:
            setattr(config, name, encoded(value, name))
    for name, path in (("ca_file", ca_file), ("update_key", update_key)):
        if path is not None:
            setattr(config, name, encoded_path(path, name))
    for name, port in (("http_port", http_port), ("ftp_port", ftp_port),
                       ("https_port", https_port)):
        if port is not None:
            setattr(config, name, _port(port, name))
    for name, time in (("http_timeout_ms", http_timeout), ("ftp_timeout_ms", ftp_timeout),
                       ("retry_budget_ms", retry_budget), ("initial_backoff_ms", initial_backoff),
                       ("max_backoff_ms", max_backoff)):
        if time is not None:
            setattr(config, name, milliseconds(time, name[:-3]))
    if tls is not None:
        config.tls = bool(tls)
    if retries is not None:
        if isinstance(retries, bool) or not isinstance(retries, int) or not 0 <= retries <= 100:
            raise InvalidArgumentError("retries must be 0 to 100, not %r" % (retries,))
        config.retries = retries
    if jitter is not None:
        # The library would make every call of the client fail; better to say so here.
        if isinstance(jitter, bool) or not isinstance(jitter, (int, float)) or \
                not (math.isfinite(jitter) and 0 <= jitter <= 1):
            raise InvalidArgumentError("jitter must be a share from 0 to 1, not %r" % (jitter,))
        config.jitter = float(jitter)
    if parallel_transfers is not None:
        if isinstance(parallel_transfers, bool) or not isinstance(parallel_transfers, int) or \
                not 1 <= parallel_transfers <= 32:
            raise InvalidArgumentError("parallel_transfers must be 1 to 32, not %r"
                                       % (parallel_transfers,))
        config.parallel_transfers = parallel_transfers
    _status.install(config, status_key)
    return config
