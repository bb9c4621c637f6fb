"""The secret that every /_control/ request must carry.

The control interface can read logged requests, wipe the data and name any
file to the TLS servers, so it is not open to whoever can reach the port: a
fresh random token is made at every start and written to
DATA_DIR/control-token, readable by the service's own user only. A control
request sends it in the header X-Control-Token."""
import hmac
import os
import secrets

HEADER = "X-Control-Token"
FILE_NAME = "control-token"


def create(data_dir):
    """Make a new token, store it under `data_dir` (mode 0600) and return it.

    The file is written under a temporary name and renamed, so a reader
    never sees half a token, and a file planted under the temporary name is
    not written through."""
    token = secrets.token_urlsafe(32)
    path = os.path.join(data_dir, FILE_NAME)
    temporary = "%s.%s" % (path, secrets.token_hex(8))
    fd = os.open(temporary, os.O_WRONLY | os.O_CREAT | os.O_EXCL | os.O_NOFOLLOW, 0o600)
    try:
        with os.fdopen(fd, "w") as f:
            f.write(token + "\n")
        os.replace(temporary, path)
    except BaseException:
        os.unlink(temporary)
        raise
    return token


def check(token, headers):
    """None when `headers` carry the token; else the HTTP status to answer:
    401 when no token came, 403 when a wrong one did."""
    given = headers.get(HEADER)
    if given is None:
        return 401
    # In constant time: the time a comparison takes must not tell how much
    # of a guess was right.
    if not hmac.compare_digest(given.strip().encode("utf-8", "replace"), token.encode()):
        return 403
    return None
