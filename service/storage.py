"""Layout of the data directory and the file operations on it.

DIR/vanta.db        the database
DIR/ftp/            the FTP root: assets/ (user and session directories)
                    and downloads/VantaAPI.dll
DIR/outbox/         one .eml file per mail the service "sends"
DIR/control-token   the control interface's token of this run (control_token.py)
"""
import os
import shutil

DLL_NAME = "VantaAPI.dll"
# Recognisable content so that a download can be told from an empty or
# foreign file; it is not a real program.
DLL_CONTENT = (b"MZ\x90\x00VantaAPI.dll 3.3 - copy served by the reference "
               b"service for self-update tests\n")


def is_safe_name(name):
    """True when `name` can be used as one path component below assets/.

    User ids, product numbers and session names become directory names,
    so a value that could climb out of its directory is refused."""
    return (bool(name) and name not in (".", "..")
            and not any(c in name for c in "/\\\0\r\n"))


class Storage:
    def __init__(self, data_dir, signer=None):
        """With `signer` (signing.Signer), the library file is signed each
        time it is published."""
        self.signer = signer
        self.root = os.path.abspath(data_dir)
        self.db_path = os.path.join(self.root, "vanta.db")
        self.ftp_root = os.path.join(self.root, "ftp")
        self.assets = os.path.join(self.ftp_root, "assets")
        self.downloads = os.path.join(self.ftp_root, "downloads")
        self.outbox = os.path.join(self.root, "outbox")

    def prepare(self):
        for d in (self.root, self.assets, self.downloads, self.outbox):
            os.makedirs(d, exist_ok=True)
        dll = os.path.join(self.downloads, DLL_NAME)
        if not os.path.exists(dll):
            self.write_dll()
        elif self.signer is not None:
            self.signer.sign(dll)  # what is there at start is what this run publishes

    def write_dll(self):
        path = os.path.join(self.downloads, DLL_NAME)
        with open(path, "wb") as f:
            f.write(DLL_CONTENT)
        if self.signer is not None:
            self.signer.sign(path)

    def wipe(self):
        """Remove every asset and session directory and every mail, and put
        the download back as it was at first start."""
        for d in (self.assets, self.outbox):
            for entry in os.listdir(d):
                path = os.path.join(d, entry)
                if os.path.isdir(path) and not os.path.islink(path):
                    shutil.rmtree(path, ignore_errors=True)
                else:
                    os.unlink(path)
        os.makedirs(self.downloads, exist_ok=True)
        self.write_dll()

    def asset_dir(self, user_id, product, asset_num):
        return os.path.join(self.assets, user_id, str(product), str(asset_num))

    def session_dir(self, name):
        return os.path.join(self.assets, name)

    def user_bytes(self, user_id):
        """Bytes stored on disk under the user's assets directory."""
        total = 0
        for dirpath, _dirs, files in os.walk(os.path.join(self.assets, user_id)):
            for name in files:
                try:
                    st = os.lstat(os.path.join(dirpath, name))
                except OSError:
                    continue  # removed while we walked
                if not os.path.islink(os.path.join(dirpath, name)):
                    total += st.st_size
        return total
