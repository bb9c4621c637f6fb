"""The records the service gives and takes, as dataclasses, and their conversion from and to
the C interface's structs."""
from __future__ import annotations

import ctypes
import dataclasses
import datetime
import enum
from typing import List, Optional, Tuple

from . import _c_types as c
from ._library import lib
from ._text import decoded, encoded

_EPOCH = datetime.datetime(1970, 1, 1, tzinfo=datetime.timezone.utc)


def _time(seconds: int) -> datetime.datetime:
    # Sums rather than fromtimestamp(): times before 1970 work on every system.
    return _EPOCH + datetime.timedelta(seconds=seconds)


def _text(record: ctypes.Structure, member: str) -> str:
    return decoded(c.filled(record, member))


@dataclasses.dataclass(frozen=True)
class Login:
    """A valid login, with the service's two flags."""
    has_published: bool
    has_homepage: bool


@dataclasses.dataclass
class UserDetails:
    """The personal details of an account; every text is "" when not given."""
    first_name: str = ""
    last_name: str = ""
    middle_initial: str = ""
    address: str = ""
    city: str = ""
    state: str = ""
    zip: str = ""
    email: str = ""
    day_phone: str = ""
    extension: str = ""
    fax: str = ""
    night_phone: str = ""
    code: str = ""


class RegistrationKind(enum.IntEnum):
    """What a registration did."""
    NEW_ACCOUNT = 0
    NEW_PRODUCT = 1
    EXISTING = 2


@dataclasses.dataclass(frozen=True)
class Registration:
    """The outcome of a registration."""
    kind: RegistrationKind
    user_id: str
    user_number: str
    message: str


@dataclasses.dataclass(frozen=True)
class User:
    """The service's record of a user."""
    user_id: str
    details: UserDetails
    user_number: int
    asset_count: int
    product_count: int


@dataclasses.dataclass(frozen=True)
class Asset:
    """One published asset."""
    user_number: str
    asset_number: str
    name: str
    description: str
    product: int
    type: int
    declared_size: int
    asset_id: str
    password: str
    created: datetime.datetime
    file_count: int
    page_address: str
    page_views: int
    file_names: Tuple[str, ...]


@dataclasses.dataclass(frozen=True)
class AssetStat:
    """The page views of an asset on one day (UTC)."""
    day: datetime.date
    page_views: int


@dataclasses.dataclass(frozen=True)
class DiskSpace:
    """A user's disk quota and what is stored, in bytes."""
    quota: int
    used: int


@dataclasses.dataclass
class Homepage:
    """A user's homepage: five free texts."""
    title: str = ""
    heading: str = ""
    body: str = ""
    theme: str = ""
    reply: str = ""


@dataclasses.dataclass(frozen=True)
class VersionCheck:
    """The library's update version against the one the service offers."""
    library: str
    service: str
    up_to_date: bool


@dataclasses.dataclass(frozen=True)
class Recipient:
    """One person an upload's page address is mailed to."""
    email: str
    name: str = ""
    may_download: bool = False


@dataclasses.dataclass(frozen=True)
class UploadOutcome:
    """What a finished upload gives."""
    asset_number: str
    password: str
    page_address: str


def login_from(r: c.Login) -> Login:
    return Login(bool(c.filled(r, "has_published", False)),
                 bool(c.filled(r, "has_homepage", False)))


def details_from(r: c.UserDetails) -> UserDetails:
    return UserDetails(**{name: _text(r, name) for name in c.USER_DETAIL_NAMES})


def registration_from(r: c.Registration) -> Registration:
    kind = c.filled(r, "kind", 0)
    # A kind that a newer library added stays a plain number.
    kind = RegistrationKind(kind) if kind in RegistrationKind.__members__.values() else kind
    return Registration(kind, _text(r, "user_id"),
                        _text(r, "user_number"), _text(r, "message"))


def user_from(r: c.User) -> User:
    details = c.filled(r, "details")
    return User(_text(r, "user_id"), details_from(details.contents) if details else UserDetails(),
                c.filled(r, "user_number", 0), c.filled(r, "asset_count", 0),
                c.filled(r, "product_count", 0))


def asset_from(r: c.Asset) -> Asset:
    names = c.filled(r, "file_names")
    count = c.filled(r, "file_name_count", 0) if names else 0
    return Asset(_text(r, "user_number"), _text(r, "asset_number"), _text(r, "name"),
                 _text(r, "description"), c.filled(r, "product", 0), c.filled(r, "type", 0),
                 c.filled(r, "declared_size", 0), _text(r, "asset_id"), _text(r, "password"),
                 _time(c.filled(r, "created", 0)), c.filled(r, "file_count", 0),
                 _text(r, "page_address"), c.filled(r, "page_views", 0),
                 tuple(decoded(names[i]) for i in range(count)))


def assets_from(r: c.AssetList) -> List[Asset]:
    items = c.filled(r, "items")
    return [asset_from(items[i].contents) for i in range(c.filled(r, "count", 0) if items else 0)]


def stats_from(r: c.AssetStats) -> List[AssetStat]:
    items = c.filled(r, "items")
    count = c.filled(r, "count", 0) if items else 0
    return [AssetStat(_time(c.filled(s, "day", 0)).date(), c.filled(s, "page_views", 0))
            for s in (items[i].contents for i in range(count))]


def disk_space_from(r: c.DiskSpace) -> DiskSpace:
    return DiskSpace(c.filled(r, "quota", 0), c.filled(r, "used", 0))


def homepage_from(r: c.Homepage) -> Homepage:
    return Homepage(**{name: _text(r, name) for name in c.HOMEPAGE_NAMES})


def version_check_from(r: c.VersionCheck) -> VersionCheck:
    return VersionCheck(_text(r, "library"), _text(r, "service"),
                        bool(c.filled(r, "up_to_date", False)))


def upload_outcome_from(r: c.UploadOutcome) -> UploadOutcome:
    return UploadOutcome(_text(r, "asset_number"), _text(r, "password"),
                         _text(r, "page_address"))


def details_to(details: Optional[UserDetails]) -> Optional[c.UserDetails]:
    """The caller's details as the C struct, its texts held by the struct's own references."""
    if details is None:
        return None
    made = c.UserDetails()
    lib().vanta_user_details_init(ctypes.byref(made), ctypes.sizeof(made))
    for name in c.USER_DETAIL_NAMES:
        setattr(made, name, encoded(getattr(details, name), name))
    return made


def homepage_to(page: Homepage) -> c.Homepage:
    made = c.Homepage()
    lib().vanta_homepage_init(ctypes.byref(made), ctypes.sizeof(made))
    for name in c.HOMEPAGE_NAMES:
        setattr(made, name, encoded(getattr(page, name), name))
    return made
