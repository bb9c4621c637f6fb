"""What the request log keeps of a request, and how much of it.

The log is for tests and for developers looking at what the library sent.
Unless the service was started with --log-bodies (the tests do, as they
compare bodies byte for byte), it never holds a password in clear: the
values of form fields that carry passwords and the credentials of an
Authorization header are replaced by "****" before the entry is kept.

The log holds at most MAX_ENTRIES entries and MAX_BYTES bytes of bodies;
the oldest entries go first, and the log says how many went."""
import base64
import collections

MAX_ENTRIES = 10000
MAX_BYTES = 64 * 1024 * 1024
MASK = b"****"


def is_password_field(name):
    """Field names that carry a password: PW, PostPW, Password, ..."""
    lowered = name.lower()
    return lowered.endswith("pw") or "pass" in lowered


def mask_body(body):
    """`body` (a form: name=value&...) with every password field's value
    masked; every other byte as received."""
    trailer = b"\n" if body.endswith(b"\n") else b""
    fields = body[:len(body) - len(trailer)].split(b"&")
    for i, field in enumerate(fields):
        name, equals, _value = field.partition(b"=")
        if equals and is_password_field(name.decode("latin-1")):
            fields[i] = name + equals + MASK
    return b"&".join(fields) + trailer


def mask_header(name, value):
    if name.lower() == "x-control-token":
        return MASK.decode()
    if name.lower() in ("authorization", "proxy-authorization"):
        scheme = value.split(" ", 1)[0]
        return "%s %s" % (scheme, MASK.decode())
    return value


def entry(method, path, headers, body, raw):
    """The log entry of one request; with `raw`, headers and body as they
    came."""
    if not raw:
        headers = [(k, mask_header(k, v)) for k, v in headers]
        body = mask_body(body)
    return {"method": method, "path": path,
            "headers": [[k, v] for k, v in headers],
            "body_b64": base64.b64encode(body).decode("ascii")}


class BoundedLog:
    """Entries in arrival order, the oldest dropped beyond the bounds. Not
    locked: its owner holds a lock around every call."""

    def __init__(self, max_entries=MAX_ENTRIES, max_bytes=MAX_BYTES):
        self._entries = collections.deque()
        self._bytes = 0
        self.dropped = 0
        self._max_entries = max_entries
        self._max_bytes = max_bytes

    def append(self, item):
        self._entries.append(item)
        self._bytes += len(item["body_b64"])
        while self._entries and (len(self._entries) > self._max_entries
                                 or self._bytes > self._max_bytes):
            self._bytes -= len(self._entries.popleft()["body_b64"])
            self.dropped += 1

    def items(self):
        return list(self._entries)
