"""Signing the library file that the service offers for self-update.

With a signing key (an Ed25519 private key in PEM, as `openssl genpkey
-algorithm ed25519` writes it), every time the service publishes
downloads/VantaAPI.dll (at start and when a reset puts it back) it writes
the detached signature beside it as VantaAPI.dll.sig: the signature's 64
raw bytes, no encoding. A file stored over FTP later is not signed, which is
what lets a library that checks signatures refuse it. Uses python3-openssl's
companion python3-cryptography."""
from cryptography.hazmat.primitives import serialization
from cryptography.hazmat.primitives.asymmetric.ed25519 import Ed25519PrivateKey

SIGNATURE_SUFFIX = ".sig"


class Signer:
    def __init__(self, key_path):
        """Raises ValueError when `key_path` holds no Ed25519 private key."""
        try:
            with open(key_path, "rb") as f:
                key = serialization.load_pem_private_key(f.read(), password=None)
        except (OSError, TypeError, ValueError) as err:
            raise ValueError("cannot read the signing key %s: %s" % (key_path, err)) from None
        if not isinstance(key, Ed25519PrivateKey):
            raise ValueError("the signing key %s is not an Ed25519 key" % key_path)
        self._key = key

    def sign(self, path):
        """Write the signature of the file at `path` to `path` + ".sig"."""
        with open(path, "rb") as f:
            signature = self._key.sign(f.read())
        with open(path + SIGNATURE_SUFFIX, "wb") as f:
            f.write(signature)
