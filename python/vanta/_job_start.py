"""Starting jobs: the Client's upload() and share_by_email(), which turn their arguments into
the C interface's requests."""
from __future__ import annotations

import ctypes
from ctypes import POINTER, byref, c_char_p, c_void_p
from typing import Any, Callable, Iterable, Optional, Sequence, Union

from . import _c_types as c
from . import _status, errors, records
from ._config import Seconds, milliseconds
from ._library import lib
from ._owned import Owned
from ._progress import Listener, Progress, listeners, register, trampoline
from ._text import PathLike, encoded, encoded_path
from .jobs import Job, ShareJob, UploadJob, free_job

ProgressCallback = Callable[[Job[Any], Progress], object]


def _options(on_progress: Optional[ProgressCallback], interval: Seconds, every: int,
             key: int, status_key: Optional[int]) -> c.JobOptions:
    options = c.JobOptions()
    lib().vanta_job_options_init(byref(options), ctypes.sizeof(options))
    _status.install(options, status_key)
    if on_progress is not None:
        options.on_progress = trampoline
        options.user_data = key
        options.progress_interval_ms = milliseconds(interval, "progress_interval")
        options.progress_bytes = every
    return options


def _texts(values: Iterable[str], what: str) -> Any:
    data = [encoded(v, what) for v in values]
    return (c_char_p * len(data))(*data), len(data)


def _paths(values: Iterable[PathLike]) -> Any:
    data = [encoded_path(v, "files") for v in values]
    return (c_char_p * len(data))(*data), len(data)


def _unsigned(value: int, what: str) -> int:
    if isinstance(value, bool) or not isinstance(value, int) or not 0 <= value < 2 ** 32:
        raise errors.InvalidArgumentError("%s must be a whole number 0 to 2**32-1, not %r"
                                          % (what, value))
    return value


class JobsMixin:
    """The Client's operations that start jobs."""
    _owned: Owned
    _status_key: Optional[int]

    def upload(self, *, user_id: str, product: int, name: str, files: Sequence[PathLike],
               description: str = "", asset_type: int = 0,
               recipients: Sequence[Union[records.Recipient, str]] = (),
               on_progress: Optional[ProgressCallback] = None,
               progress_interval: Seconds = 0.1, progress_bytes: int = 0,
               on_status: Optional[_status.StatusCallback] = None) -> UploadJob:
        """Starts an upload: measure the files, check the quota, register the asset, send the
        files (in this order), have the service mail the recipients (a Recipient or a bare
        address). The job's result() fails with LocalFileError, NoSpaceError, RefusedError,
        NetworkError or CancelledError; a job that fails or is cancelled takes back its
        asset. While files are sent, `on_progress` runs at most once per `progress_interval`
        seconds (0: after every 1 KiB block) and per `progress_bytes` bytes, besides every
        phase change and the call that reaches 100 %. `on_status` receives the job's status
        notifications (see Job)."""
        request = c.UploadRequest()
        lib().vanta_upload_request_init(byref(request), ctypes.sizeof(request))
        request.user_id = encoded(user_id, "user_id")
        request.product = _unsigned(product, "product")
        request.name = encoded(name, "name")
        request.description = encoded(description, "description")
        request.asset_type = _unsigned(asset_type, "asset_type")
        request.files, request.file_count = _paths(files)
        people = [r if isinstance(r, records.Recipient) else records.Recipient(r)
                  for r in recipients]
        made = [c.Recipient(ctypes.sizeof(c.Recipient), encoded(r.email, "email"),
                            encoded(r.name, "name"), r.may_download) for r in people]
        request.recipients = (POINTER(c.Recipient) * len(made))(*[ctypes.pointer(m)
                                                                  for m in made])
        request.recipient_count = len(made)
        return self._start(UploadJob, lib().vanta_upload, request, on_progress,
                           progress_interval, progress_bytes, on_status)

    def share_by_email(self, *, sender: str, recipients: Sequence[str], subject: str,
                       message: str, files: Sequence[PathLike], sender_name: str = "",
                       on_progress: Optional[ProgressCallback] = None,
                       progress_interval: Seconds = 0.1, progress_bytes: int = 0,
                       on_status: Optional[_status.StatusCallback] = None) -> ShareJob:
        """Starts a sharing job: ask the service for a session, send the files, have the
        service mail them. result() fails with InvalidArgumentError (no sender, an unusable
        address), LocalFileError, RefusedError, NetworkError or CancelledError; a job that
        fails removes what it sent. Progress and status as for upload()."""
        request = c.ShareRequest()
        lib().vanta_share_request_init(byref(request), ctypes.sizeof(request))
        request.sender = encoded(sender, "sender")
        request.recipients, request.recipient_count = _texts(recipients, "recipients")
        request.subject = encoded(subject, "subject")
        request.message = encoded(message, "message")
        request.sender_name = encoded(sender_name, "sender_name")
        request.files, request.file_count = _paths(files)
        return self._start(ShareJob, lib().vanta_share_by_email, request, on_progress,
                           progress_interval, progress_bytes, on_status)

    def _start(self, kind: type, start: Callable[..., int], request: ctypes.Structure,
               on_progress: Optional[ProgressCallback], interval: Seconds, every: int,
               on_status: Optional[_status.StatusCallback]) -> Any:
        if on_progress is not None and not callable(on_progress):
            raise TypeError("on_progress must be callable, not %r" % (on_progress,))
        status_key = None if _status.checked(on_status) is None else _status.register(on_status)
        status_keys = [status_key]
        listener = Listener(on_progress)
        key = register(listener)
        try:
            options = _options(on_progress, interval, every, key, status_key)
            job, error = c_void_p(), c_void_p()
            pointer = self._owned.acquire()
            try:
                # The job may notify the client's listener until its handle is freed; the
                # client holds the key while its pointer is in use.
                _status.hold(self._status_key)
                status_keys.append(self._status_key)
                result = start(pointer, byref(request), byref(options), byref(job), byref(error))
            finally:
                self._owned.release()
            if result != 0:
                raise errors.from_c(result, error)
        except BaseException:
            listeners.pop(key, None)
            listener.detach()
            for held in status_keys:
                _status.release(held)
            raise
        try:
            return kind(job.value, listener, key, tuple(status_keys))
        except BaseException:
            free_job(key, tuple(status_keys), job.value)
            raise
