"""Finding and loading libvantaapi, and the prototypes of the functions we call.

The library is looked for in this order:

1. the file that the environment variable VANTA_LIBRARY names (a path), and only that file:
   when it cannot be loaded, nothing else is tried, so that a test never runs against a
   library other than the one it named;
2. the installed library by its SONAME, ``libvantaapi.so.2``, wherever the dynamic loader
   finds it (the system's library directories, LD_LIBRARY_PATH);
3. whatever ``ctypes.util.find_library("vantaapi")`` finds (other systems' names).

The package binds major version 2; a library of another major version is refused."""
from __future__ import annotations

import ctypes
import ctypes.util
import functools
import os
from ctypes import POINTER, c_bool, c_char, c_char_p, c_int, c_int64, c_size_t, c_uint, c_void_p

from . import _c_types as c

MAJOR = "2"
SONAME = "libvantaapi.so." + MAJOR
ENVIRONMENT = "VANTA_LIBRARY"

_P = c_void_p  # an opaque handle: vanta_client*, vanta_job*, vanta_error*
_OUT = POINTER(c_void_p)  # vanta_client**, vanta_job**, vanta_error**


def _out(record: type) -> object:
    return POINTER(POINTER(record))


# name: (result type, argument types). Every function that can fail returns vanta_result (int)
# and takes vanta_error** last.
_PROTOTYPES = {
    "vanta_result_name": (c_char_p, [c_int]),
    "vanta_error_category": (c_int, [_P]),
    "vanta_error_code": (c_uint, [_P]),
    "vanta_error_reason": (c_char_p, [_P]),
    "vanta_error_asset_number": (c_char_p, [_P]),
    "vanta_error_free": (None, [_P]),
    "vanta_set_trace_handler": (None, [c.TRACE_CALLBACK, c_void_p]),
    "vanta_config_init": (None, [POINTER(c.Config), c_size_t]),
    "vanta_client_new": (c_int, [POINTER(c.Config), _OUT, _OUT]),
    "vanta_client_new_from_environment": (c_int, [_OUT, _OUT]),
    "vanta_client_free": (None, [_P]),
    "vanta_login_free": (None, [POINTER(c.Login)]),
    "vanta_user_details_init": (None, [POINTER(c.UserDetails), c_size_t]),
    "vanta_registration_free": (None, [POINTER(c.Registration)]),
    "vanta_user_free": (None, [POINTER(c.User)]),
    "vanta_validate_user": (c_int, [_P, c_char_p, c_char_p, c_char_p, _out(c.Login), _OUT]),
    "vanta_register_user": (c_int, [_P, c_char_p, c_char_p, c_char_p, POINTER(c.UserDetails),
                                    _out(c.Registration), _OUT]),
    "vanta_user_info": (c_int, [_P, c_char_p, _out(c.User), _OUT]),
    "vanta_update_user": (c_int, [_P, c_char_p, c_char_p, POINTER(c.UserDetails), _OUT]),
    "vanta_delete_user": (c_int, [_P, c_char_p, _OUT]),
    "vanta_asset_free": (None, [POINTER(c.Asset)]),
    "vanta_asset_list_free": (None, [POINTER(c.AssetList)]),
    "vanta_asset_stats_free": (None, [POINTER(c.AssetStats)]),
    "vanta_disk_space_free": (None, [POINTER(c.DiskSpace)]),
    "vanta_asset_info": (c_int, [_P, c_char_p, c_char_p, _out(c.Asset), _OUT]),
    "vanta_asset_list_get": (c_int, [_P, c_char_p, c_char_p, _out(c.AssetList), _OUT]),
    "vanta_asset_stats_get": (c_int, [_P, c_char_p, c_char_p, _out(c.AssetStats), _OUT]),
    "vanta_delete_asset": (c_int, [_P, c_char_p, c_char_p, c_char_p, _OUT]),
    "vanta_disk_space_get": (c_int, [_P, c_char_p, c_char_p, _out(c.DiskSpace), _OUT]),
    "vanta_homepage_init": (None, [POINTER(c.Homepage), c_size_t]),
    "vanta_homepage_free": (None, [POINTER(c.Homepage)]),
    "vanta_homepage_get": (c_int, [_P, c_char_p, _out(c.Homepage), _OUT]),
    "vanta_update_homepage": (c_int, [_P, c_char_p, POINTER(c.Homepage), _OUT]),
    "vanta_delete_homepage": (c_int, [_P, c_char_p, _OUT]),
    "vanta_string_free": (None, [c_void_p]),
    "vanta_post_request": (c_int, [_P, c_char_p, c_char_p, c_size_t, POINTER(POINTER(c_char)),
                                   POINTER(c_size_t), _OUT]),
    "vanta_library_version": (c_char_p, []),
    "vanta_release_version": (c_char_p, []),
    "vanta_version_check_free": (None, [POINTER(c.VersionCheck)]),
    "vanta_check_version": (c_int, [_P, _out(c.VersionCheck), _OUT]),
    "vanta_download_update": (c_int, [_P, c_char_p, POINTER(POINTER(c_char)), _OUT]),
    "vanta_send_file": (c_int, [_P, c_char_p, c_char_p, c_char_p, _OUT]),
    "vanta_send_files": (c_int, [_P, c_char_p, POINTER(c_char_p), c_size_t, _OUT]),
    "vanta_file_exists": (c_int, [_P, c_char_p, c_char_p, POINTER(c_bool), _OUT]),
    "vanta_delete_file": (c_int, [_P, c_char_p, c_char_p, _OUT]),
    "vanta_remove_directory": (c_int, [_P, c_char_p, _OUT]),
    "vanta_job_options_init": (None, [POINTER(c.JobOptions), c_size_t]),
    "vanta_upload_request_init": (None, [POINTER(c.UploadRequest), c_size_t]),
    "vanta_share_request_init": (None, [POINTER(c.ShareRequest), c_size_t]),
    "vanta_upload_outcome_free": (None, [POINTER(c.UploadOutcome)]),
    "vanta_upload": (c_int, [_P, POINTER(c.UploadRequest), POINTER(c.JobOptions), _OUT, _OUT]),
    "vanta_share_by_email": (c_int, [_P, POINTER(c.ShareRequest), POINTER(c.JobOptions), _OUT,
                                     _OUT]),
    "vanta_job_progress": (None, [_P, POINTER(c.Progress)]),
    "vanta_job_cancel": (None, [_P]),
    "vanta_job_wait": (c_bool, [_P, c_int64]),
    "vanta_job_outcome": (c_int, [_P, _out(c.UploadOutcome), _OUT]),
    "vanta_job_free": (None, [_P]),
}


def _load() -> ctypes.CDLL:
    named = os.environ.get(ENVIRONMENT)
    if named:
        try:
            return ctypes.CDLL(named)
        except OSError as err:
            raise OSError("cannot load the library that %s names: %s" % (ENVIRONMENT, err)) from err
    try:
        return ctypes.CDLL(SONAME)
    except OSError as first:
        found = ctypes.util.find_library("vantaapi")
        if found is None:
            raise OSError("cannot find %s (install it, or name the file in %s): %s"
                          % (SONAME, ENVIRONMENT, first)) from first
        return ctypes.CDLL(found)


@functools.lru_cache(maxsize=None)
def lib() -> ctypes.CDLL:
    """The loaded library with every prototype declared; loaded at the first call. A CDLL
    releases the GIL for the length of each foreign call."""
    loaded = _load()
    for name, (result, arguments) in _PROTOTYPES.items():
        function = getattr(loaded, name)
        function.restype = result
        function.argtypes = arguments
    release = loaded.vanta_release_version().decode()
    if release.split(".")[0] != MAJOR:
        raise OSError("%s is release %s; this package binds major version %s"
                      % (loaded._name, release, MAJOR))
    return loaded
