"""The publishing service from Python, over libvantaapi's C interface (vanta.h) through
ctypes: installing needs no compiler.

    import vanta

    with vanta.Client(host="127.0.0.1", http_port=8080, ftp_port=2121) as client:
        print(client.validate_user("alice", "secret", 3))
        with client.upload(user_id="alice", product=3, name="Holiday",
                           files=["a.jpg"]) as job:
            print(job.result().asset_number)

The library is found through the environment variable VANTA_LIBRARY (the path of the file
to load, and only that file), else as the installed ``libvantaapi.so.2`` wherever the dynamic
loader finds it, else by ``ctypes.util.find_library("vantaapi")``. It is loaded at its first
use; OSError says why it could not be.

Failures raise a subclass of vanta.Error, one per category (NetworkError,
WrongPasswordError, ...), carrying `reason`, the export's `code` and, for a job that could
not take its asset back, `asset_number`.

`vanta.set_trace_handler(handler)` shows every line of the conversation with the service
(passwords masked); a Client's and a job's `on_status` receive the network layer's status
notifications. An exception raised in either goes to sys.unraisablehook: neither can stop a
request."""
from ._progress import Phase, Progress
from ._status import Status
from ._trace import set_trace_handler
from .client import Client, library_version, release_version
from .errors import (CancelledError, Category, Error, InternalError, InvalidArgumentError,
                     LocalFileError, NetworkError, NoSpaceError, NotFoundError,
                     ProductNotRegisteredError, RefusedError, UnexpectedReplyError,
                     UnknownUserError, WrongPasswordError)
from .jobs import Job, ShareJob, UploadJob
from .records import (Asset, AssetStat, DiskSpace, Homepage, Login, Recipient, Registration,
                      RegistrationKind, UploadOutcome, User, UserDetails, VersionCheck)

__version__ = "2.0.0"

__all__ = [
    "Client", "library_version", "release_version", "Status", "set_trace_handler",
    "Job", "UploadJob", "ShareJob", "Phase", "Progress",
    "Asset", "AssetStat", "DiskSpace", "Homepage", "Login", "Recipient", "Registration",
    "RegistrationKind", "UploadOutcome", "User", "UserDetails", "VersionCheck",
    "Category", "Error", "NetworkError", "UnknownUserError", "WrongPasswordError",
    "ProductNotRegisteredError", "NotFoundError", "RefusedError", "NoSpaceError",
    "LocalFileError", "UnexpectedReplyError", "InvalidArgumentError", "CancelledError",
    "InternalError",
]
