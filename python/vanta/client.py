"""The Client: the service as one configuration reaches it, with every operation."""
from __future__ import annotations

import ctypes
import os
import weakref
from ctypes import POINTER, byref, c_bool, c_char, c_char_p, c_size_t, c_void_p
from pathlib import Path
from typing import Any, Callable, Iterable, List, Optional, TypeVar, Union

from . import _c_types as c
from . import _status, errors, records
from ._config import Seconds, make_config
from ._library import lib
from ._owned import Owned
from ._text import PathLike, decoded, encoded, encoded_path
from ._job_start import JobsMixin

T = TypeVar("T")
Product = Union[int, str]


class Client(JobsMixin):
    """The service, as one configuration reaches it.

    Every argument left out (None) takes the library's default: host "localhost", HTTP port
    80, FTP port 21, HTTPS port 443, no TLS, 2 retries within 10 s, ... Times are seconds
    (a float or a datetime.timedelta). A host that cannot be one raises
    InvalidArgumentError here.

    A request that fails on the network is repeated up to `retries` times within
    `retry_budget`; the wait before the first repeat is `initial_backoff`, each further one
    twice the last, up to `max_backoff`, and each is shortened at random by up to the share
    `jitter` (0 to 1).

    A job (and send_files) sends up to `parallel_transfers` files at once (1 to 32, default 4),
    each over an FTP connection of its own; a server that takes fewer connections gets fewer.

    `on_status(status, info)` receives the network layer's status notifications of this
    client's operations: a vanta.Status (a bare int for a number it does not name) and the
    notification's information: the host name or the address found (str), the bytes sent or
    received (int), other blocks as bytes, or None. It runs on the thread that called the
    operation, during the call, and for a job without an on_status of its own on the job's
    worker thread; the request waits for it. It may call into the library, this client
    included (whose notifications then come to it as well: guard against recursion), but must
    not close this client. It cannot stop the request: an exception it raises goes to
    sys.unraisablehook and the request goes on.

    Every operation blocks until the service has answered, bounded by the configured
    time-outs, and releases the GIL meanwhile; it returns a record or raises a vanta.Error
    subclass. A client may be used by many threads at once. close() (or leaving a `with`
    block) frees it once the calls still running have returned; jobs it started go on."""

    def __init__(self, *, host: Optional[str] = None, http_port: Optional[int] = None,
                 ftp_port: Optional[int] = None, https_port: Optional[int] = None,
                 tls: Optional[bool] = None, ca_file: Optional[PathLike] = None,
                 login_name: Optional[str] = None, login_password: Optional[str] = None,
                 update_key: Optional[PathLike] = None, http_timeout: Optional[Seconds] = None,
                 ftp_timeout: Optional[Seconds] = None, retries: Optional[int] = None,
                 retry_budget: Optional[Seconds] = None,
                 initial_backoff: Optional[Seconds] = None,
                 max_backoff: Optional[Seconds] = None, jitter: Optional[float] = None,
                 on_status: Optional[_status.StatusCallback] = None,
                 parallel_transfers: Optional[int] = None):
        key = None if _status.checked(on_status) is None else _status.register(on_status)
        try:
            config = make_config(host, http_port, ftp_port, https_port, tls, ca_file,
                                 login_name, login_password, update_key, http_timeout,
                                 ftp_timeout, retries, retry_budget, initial_backoff,
                                 max_backoff, jitter, key, parallel_transfers)
            self._adopt(lambda made, error: lib().vanta_client_new(byref(config), made, error),
                        key)
        except BaseException:
            _status.release(key)
            raise

    @classmethod
    def from_environment(cls) -> "Client":
        """A client with the configuration the exports would use in this process now: the
        environment (VANTA_SERVER, VANTA_HTTP_PORT, ...), then the registry file, then the
        defaults. A setting that cannot be used raises InvalidArgumentError, naming it."""
        client = cls.__new__(cls)
        client._adopt(lib().vanta_client_new_from_environment)
        return client

    def _adopt(self, make: Callable[[Any, Any], int], status_key: Optional[int] = None) -> None:
        made, error = c_void_p(), c_void_p()
        result = make(byref(made), byref(error))
        if result != 0:
            raise errors.from_c(result, error)
        # The jobs started from the client hold the status key as well (see JobsMixin).
        self._status_key = status_key
        self._owned = Owned(made.value, lambda pointer: _free_client(pointer, status_key),
                            "client")
        weakref.finalize(self, self._owned.close)

    def close(self) -> None:
        """Frees the client once the calls still running have returned. Idempotent."""
        self._owned.close()

    def __enter__(self) -> "Client":
        return self

    def __exit__(self, *exc: object) -> None:
        self.close()

    def _call(self, function: Callable[..., int], *arguments: Any) -> None:
        error = c_void_p()
        pointer = self._owned.acquire()
        try:
            result = function(pointer, *arguments, byref(error))
        finally:
            self._owned.release()
        if result != 0:
            raise errors.from_c(result, error)

    def _record(self, function: Callable[..., int], kind: type, convert: Callable[[Any], T],
                free: Callable[[Any], None], *arguments: Any) -> T:
        out = POINTER(kind)()
        self._call(function, *arguments, byref(out))
        try:
            return convert(out.contents)
        finally:
            free(out)

    # Accounts

    def validate_user(self, user_id: str, password: str, product: Product) -> records.Login:
        """Checks a login for a product: the flags, or WrongPasswordError,
        ProductNotRegisteredError (also for a wrong password and an unregistered product
        together: code 9216), UnknownUserError, NetworkError."""
        return self._record(lib().vanta_validate_user, c.Login, records.login_from,
                            lib().vanta_login_free, encoded(user_id, "user_id"),
                            encoded(password, "password"), _product(product))

    def register_user(self, user_id: str, password: str, product: Product,
                      details: Optional[records.UserDetails] = None) -> records.Registration:
        """Registers an account, or a further product of one: WrongPasswordError when the
        account exists with another password, RefusedError for unusable details."""
        made = records.details_to(details)
        return self._record(lib().vanta_register_user, c.Registration, records.registration_from,
                            lib().vanta_registration_free, encoded(user_id, "user_id"),
                            encoded(password, "password"), _product(product),
                            None if made is None else byref(made))

    def user_info(self, user_id: str) -> records.User:
        """The user's record, or UnknownUserError."""
        return self._record(lib().vanta_user_info, c.User, records.user_from,
                            lib().vanta_user_free, encoded(user_id, "user_id"))

    def update_user(self, user_id: str, password: str, details: records.UserDetails) -> None:
        """Writes the user's details back (every one: "" clears); RefusedError for an unknown
        user or a wrong password."""
        made = records.details_to(details)
        self._call(lib().vanta_update_user, encoded(user_id, "user_id"),
                   encoded(password, "password"), byref(made))

    def delete_user(self, user_id: str) -> None:
        """Removes the account, or UnknownUserError."""
        self._call(lib().vanta_delete_user, encoded(user_id, "user_id"))

    # Assets

    def asset_info(self, user_id: str, asset_number: str) -> records.Asset:
        """One asset of the user, or NotFoundError."""
        return self._record(lib().vanta_asset_info, c.Asset, records.asset_from,
                            lib().vanta_asset_free, encoded(user_id, "user_id"),
                            encoded(asset_number, "asset_number"))

    def asset_list(self, user_id: str, product: Product) -> List[records.Asset]:
        """The user's assets under `product`; empty when there are none."""
        return self._record(lib().vanta_asset_list_get, c.AssetList, records.assets_from,
                            lib().vanta_asset_list_free, encoded(user_id, "user_id"),
                            _product(product))

    def asset_stats(self, user_id: str, asset_number: str) -> List[records.AssetStat]:
        """The page views per day of an asset (empty when there are none), or RefusedError."""
        return self._record(lib().vanta_asset_stats_get, c.AssetStats, records.stats_from,
                            lib().vanta_asset_stats_free, encoded(user_id, "user_id"),
                            encoded(asset_number, "asset_number"))

    def delete_asset(self, user_id: str, product: Product, asset_number: str) -> None:
        """Removes an asset's record, or RefusedError."""
        self._call(lib().vanta_delete_asset, encoded(user_id, "user_id"), _product(product),
                   encoded(asset_number, "asset_number"))

    def disk_space(self, user_id: str, product: Product) -> records.DiskSpace:
        """The user's quota and the space used, or UnexpectedReplyError."""
        return self._record(lib().vanta_disk_space_get, c.DiskSpace, records.disk_space_from,
                            lib().vanta_disk_space_free, encoded(user_id, "user_id"),
                            _product(product))

    # Homepage

    def homepage(self, user_id: str) -> records.Homepage:
        """The user's homepage: NotFoundError when there is none, UnknownUserError when the
        service refuses."""
        return self._record(lib().vanta_homepage_get, c.Homepage, records.homepage_from,
                            lib().vanta_homepage_free, encoded(user_id, "user_id"))

    def update_homepage(self, user_id: str, page: records.Homepage) -> None:
        """Writes the user's homepage, or RefusedError (unknown user, missing text)."""
        made = records.homepage_to(page)
        self._call(lib().vanta_update_homepage, encoded(user_id, "user_id"), byref(made))

    def delete_homepage(self, user_id: str) -> None:
        """Removes the user's homepage, or NotFoundError."""
        self._call(lib().vanta_delete_homepage, encoded(user_id, "user_id"))

    # Raw requests, versions and self-update

    def post_request(self, program: str, body: Union[bytes, str] = b"") -> bytes:
        """Posts `body` plus one line feed to the CGI program `program` (a path such as
        "/cgiscripts/get_version.exe") and gives the reply's body byte for byte; NetworkError
        for a failed request or an error page."""
        data = body.encode() if isinstance(body, str) else bytes(body)
        reply, size = POINTER(c_char)(), c_size_t()
        self._call(lib().vanta_post_request, encoded(program, "program"), data, len(data),
                   byref(reply), byref(size))
        try:
            return ctypes.string_at(reply, size.value)
        finally:
            lib().vanta_string_free(ctypes.cast(reply, c_void_p))

    def check_version(self) -> records.VersionCheck:
        """The library's update version against the one the service offers."""
        return self._record(lib().vanta_check_version, c.VersionCheck,
                            records.version_check_from, lib().vanta_version_check_free)

    def download_update(self, directory: PathLike) -> Path:
        """Fetches the service's library file into `directory` (replacing it only when
        complete, and refusing it when an update key is set and its signature does not
        match); gives the file's path."""
        path = POINTER(c_char)()
        self._call(lib().vanta_download_update, encoded_path(directory, "directory"),
                   byref(path))
        try:
            return Path(os.fsdecode(ctypes.string_at(path)))
        finally:
            lib().vanta_string_free(ctypes.cast(path, c_void_p))

    # FTP files on the service host

    def send_file(self, local: PathLike, remote_dir: str, remote_name: str) -> None:
        """Stores the local file `local` as `remote_name` in `remote_dir` ("": the login
        directory)."""
        self._call(lib().vanta_send_file, encoded_path(local, "local"),
                   encoded(remote_dir, "remote_dir"), encoded(remote_name, "remote_name"))

    def send_files(self, remote_dir: str, files: Iterable[PathLike]) -> None:
        """Stores each local file under its own name in `remote_dir`, over one connection;
        local files that cannot be read are skipped."""
        names = [encoded_path(f, "files") for f in files]
        self._call(lib().vanta_send_files, encoded(remote_dir, "remote_dir"),
                   (c_char_p * len(names))(*names), len(names))

    def file_exists(self, sub_dir: str, name: str) -> bool:
        """Whether `name` exists in the assets directory `sub_dir`."""
        exists = c_bool()
        self._call(lib().vanta_file_exists, encoded(sub_dir, "sub_dir"), encoded(name, "name"),
                   byref(exists))
        return exists.value

    def delete_file(self, sub_dir: str, name: str) -> None:
        """Deletes `name` in the assets directory `sub_dir`, or NotFoundError."""
        self._call(lib().vanta_delete_file, encoded(sub_dir, "sub_dir"), encoded(name, "name"))

    def remove_directory(self, path: str) -> None:
        """Removes the directory `path` (a whole FTP path), or RefusedError (missing, not
        empty)."""
        self._call(lib().vanta_remove_directory, encoded(path, "path"))


def _free_client(pointer: int, status_key: Optional[int]) -> None:
    lib().vanta_client_free(pointer)
    _status.release(status_key)


def _product(product: Product) -> bytes:
    return encoded(str(product), "product")


def library_version() -> str:
    """The library's update version ("3.3"): what Client.check_version compares."""
    return decoded(lib().vanta_library_version())


def release_version() -> str:
    """The release of the loaded library, MAJOR.MINOR.PATCH."""
    return decoded(lib().vanta_release_version())
