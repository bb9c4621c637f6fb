"""The structs of vanta.h as ctypes sees them, member for member and in the same order.

Every struct starts with `size`. The structs we fill are set up by the library's _init
functions with our own sizeof, so a newer library that appended members leaves them at their
defaults; the records the library fills are read only as far as their `size` says
(`filled`), so an older library's shorter record is read safely."""
from __future__ import annotations

import ctypes
from ctypes import (POINTER, c_bool, c_char_p, c_double, c_int, c_int64, c_size_t, c_uint,
                    c_uint64, c_void_p)


def filled(record: ctypes.Structure, member: str, default: object = None) -> object:
    """The member's value when the maker's `size` covers it, else `default`."""
    field = getattr(type(record), member)
    return getattr(record, member) if record.size >= field.offset + field.size else default


# status, info, info_size, user_data
STATUS_CALLBACK = ctypes.CFUNCTYPE(None, c_uint, c_void_p, c_size_t, c_void_p)
# line, user_data
TRACE_CALLBACK = ctypes.CFUNCTYPE(None, c_char_p, c_void_p)


class Config(ctypes.Structure):
    _fields_ = [("size", c_size_t), ("host", c_char_p), ("http_port", c_uint),
                ("ftp_port", c_uint), ("ftp_timeout_ms", c_int64), ("http_timeout_ms", c_int64),
                ("tls", c_bool), ("ca_file", c_char_p), ("https_port", c_uint),
                ("login_name", c_char_p), ("login_password", c_char_p),
                ("update_key", c_char_p), ("retries", c_uint), ("retry_budget_ms", c_int64),
                ("initial_backoff_ms", c_int64), ("max_backoff_ms", c_int64),
                ("jitter", c_double), ("on_status", STATUS_CALLBACK),
                ("status_user_data", c_void_p), ("parallel_transfers", c_uint)]


class Login(ctypes.Structure):
    _fields_ = [("size", c_size_t), ("has_published", c_bool), ("has_homepage", c_bool)]


USER_DETAIL_NAMES = ("first_name", "last_name", "middle_initial", "address", "city", "state",
                     "zip", "email", "day_phone", "extension", "fax", "night_phone", "code")


class UserDetails(ctypes.Structure):
    _fields_ = [("size", c_size_t)] + [(name, c_char_p) for name in USER_DETAIL_NAMES]


class Registration(ctypes.Structure):
    _fields_ = [("size", c_size_t), ("kind", c_int), ("user_id", c_char_p),
                ("user_number", c_char_p), ("message", c_char_p)]


class User(ctypes.Structure):
    _fields_ = [("size", c_size_t), ("user_id", c_char_p), ("details", POINTER(UserDetails)),
                ("user_number", c_int64), ("asset_count", c_int64), ("product_count", c_int64)]


class Asset(ctypes.Structure):
    _fields_ = [("size", c_size_t), ("user_number", c_char_p), ("asset_number", c_char_p),
                ("name", c_char_p), ("description", c_char_p), ("product", c_int64),
                ("type", c_int64), ("declared_size", c_int64), ("asset_id", c_char_p),
                ("password", c_char_p), ("created", c_int64), ("file_count", c_int64),
                ("page_address", c_char_p), ("page_views", c_int64),
                ("file_name_count", c_size_t), ("file_names", POINTER(c_char_p))]


class AssetList(ctypes.Structure):
    _fields_ = [("size", c_size_t), ("count", c_size_t), ("items", POINTER(POINTER(Asset)))]


class AssetStat(ctypes.Structure):
    _fields_ = [("size", c_size_t), ("day", c_int64), ("page_views", c_int64)]


class AssetStats(ctypes.Structure):
    _fields_ = [("size", c_size_t), ("count", c_size_t), ("items", POINTER(POINTER(AssetStat)))]


class DiskSpace(ctypes.Structure):
    _fields_ = [("size", c_size_t), ("quota", c_uint64), ("used", c_uint64)]


HOMEPAGE_NAMES = ("title", "heading", "body", "theme", "reply")


class Homepage(ctypes.Structure):
    _fields_ = [("size", c_size_t)] + [(name, c_char_p) for name in HOMEPAGE_NAMES]


class VersionCheck(ctypes.Structure):
    _fields_ = [("size", c_size_t), ("library", c_char_p), ("service", c_char_p),
                ("up_to_date", c_bool)]


class Progress(ctypes.Structure):
    _fields_ = [("size", c_size_t), ("bytes", c_uint64), ("total", c_uint64), ("phase", c_int),
                ("resumes", c_uint), ("resumed_at", c_uint64)]


PROGRESS_CALLBACK = ctypes.CFUNCTYPE(None, POINTER(Progress), c_void_p)


class JobOptions(ctypes.Structure):
    _fields_ = [("size", c_size_t), ("on_progress", PROGRESS_CALLBACK), ("user_data", c_void_p),
                ("progress_interval_ms", c_int64), ("progress_bytes", c_uint64),
                ("on_status", STATUS_CALLBACK), ("status_user_data", c_void_p)]


class Recipient(ctypes.Structure):
    _fields_ = [("size", c_size_t), ("email", c_char_p), ("name", c_char_p),
                ("may_download", c_bool)]


class UploadRequest(ctypes.Structure):
    _fields_ = [("size", c_size_t), ("user_id", c_char_p), ("product", c_uint),
                ("name", c_char_p), ("description", c_char_p), ("asset_type", c_uint),
                ("files", POINTER(c_char_p)), ("file_count", c_size_t),
                ("recipients", POINTER(POINTER(Recipient))), ("recipient_count", c_size_t)]


class ShareRequest(ctypes.Structure):
    _fields_ = [("size", c_size_t), ("sender", c_char_p), ("recipients", POINTER(c_char_p)),
                ("recipient_count", c_size_t), ("subject", c_char_p), ("message", c_char_p),
                ("sender_name", c_char_p), ("files", POINTER(c_char_p)),
                ("file_count", c_size_t)]


class UploadOutcome(ctypes.Structure):
    _fields_ = [("size", c_size_t), ("asset_number", c_char_p), ("password", c_char_p),
                ("page_address", c_char_p)]
