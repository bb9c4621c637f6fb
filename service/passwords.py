"""Users' passwords as salted scrypt hashes, never as text.

A stored hash reads "scrypt$N$r$p$salt$hash" (salt and hash in hex), so
the cost can be raised later without invalidating the hashes already
stored: each is checked with the parameters it was made with."""
import hashlib
import hmac
import os

PREFIX = "scrypt"
# scrypt's interactive-login cost: 16 MiB of memory and tens of
# milliseconds per check.
N, R, P = 2 ** 14, 8, 1
SALT_BYTES = 16
HASH_BYTES = 32
# Room for the largest cost a stored hash may name (128 * N * r bytes).
_MAX_MEM = 64 * 1024 * 1024


def _derive(password, salt, n, r, p):
    return hashlib.scrypt(password.encode("utf-8", "surrogateescape"),
                          salt=salt, n=n, r=r, p=p, dklen=HASH_BYTES,
                          maxmem=_MAX_MEM)


def hash_password(password):
    salt = os.urandom(SALT_BYTES)
    digest = _derive(password, salt, N, R, P)
    return "$".join((PREFIX, str(N), str(R), str(P), salt.hex(), digest.hex()))


def is_hash(stored):
    return isinstance(stored, str) and stored.startswith(PREFIX + "$")


def verify_password(password, stored):
    """True when `password` is the one `stored` was made from. A stored
    value that is not a well-formed hash matches nothing."""
    if not is_hash(stored):
        return False
    try:
        _, n, r, p, salt, digest = stored.split("$")
        expected = bytes.fromhex(digest)
        actual = _derive(password, bytes.fromhex(salt), int(n), int(r), int(p))
    except ValueError:
        return False
    return hmac.compare_digest(actual, expected)


def migrate_clear_passwords(con):
    """Replace every password still stored as text by its hash; run once
    by the schema migration that introduced hashes."""
    rows = con.execute("SELECT user_num, password FROM users").fetchall()
    for user_num, password in rows:
        if not is_hash(password):
            con.execute("UPDATE users SET password = ? WHERE user_num = ?",
                        (hash_password(password), user_num))
