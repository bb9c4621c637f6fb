"""SQLite storage with a versioned schema.

One connection is shared by all request threads and guarded by a lock:
the HTTP server is threaded, and a lock is simpler and quicker here than
a connection per request with retries on busy errors."""
import contextlib
import sqlite3
import threading

from .passwords import migrate_clear_passwords

# Each entry moves the schema one version up; append, never edit. An entry
# is SQL text, or a function given the connection for changes that SQL
# alone cannot make.
MIGRATIONS = [
    """
    CREATE TABLE users (
        user_num INTEGER PRIMARY KEY AUTOINCREMENT,
        user_id TEXT NOT NULL UNIQUE,
        password TEXT NOT NULL,
        first TEXT, last TEXT, addr TEXT, city TEXT, st TEXT, zip TEXT,
        email TEXT, day TEXT, ex TEXT, fax TEXT, night TEXT, mid TEXT,
        code TEXT,
        created REAL NOT NULL
    );
    CREATE TABLE user_products (
        user_id TEXT NOT NULL,
        product_id TEXT NOT NULL,
        registered REAL NOT NULL,
        PRIMARY KEY (user_id, product_id)
    );
    CREATE TABLE quotas (
        user_id TEXT PRIMARY KEY,
        quota INTEGER NOT NULL
    );
    CREATE TABLE assets (
        asset_num INTEGER PRIMARY KEY AUTOINCREMENT,
        user_id TEXT NOT NULL,
        product_id TEXT NOT NULL,
        asset_id TEXT NOT NULL UNIQUE,
        password TEXT NOT NULL,
        name TEXT, description TEXT,
        size INTEGER NOT NULL,
        asset_type INTEGER NOT NULL,
        created REAL NOT NULL
    );
    CREATE TABLE asset_files (
        asset_num INTEGER NOT NULL,
        position INTEGER NOT NULL,
        name TEXT NOT NULL,
        PRIMARY KEY (asset_num, position)
    );
    CREATE TABLE asset_views (
        asset_num INTEGER NOT NULL,
        day INTEGER NOT NULL,
        views INTEGER NOT NULL,
        PRIMARY KEY (asset_num, day)
    );
    CREATE TABLE homepages (
        user_id TEXT PRIMARY KEY,
        title TEXT, heading TEXT, body TEXT, theme TEXT, reply TEXT,
        updated REAL NOT NULL
    );
    CREATE TABLE email_sessions (
        name TEXT PRIMARY KEY,
        created REAL NOT NULL,
        fired INTEGER NOT NULL DEFAULT 0
    );
    """,
    # Users' passwords were kept as text; they become salted hashes.
    migrate_clear_passwords,
]

DATA_TABLES = ("users", "user_products", "quotas", "assets", "asset_files",
               "asset_views", "homepages", "email_sessions")


class Database:
    def __init__(self, path):
        self._lock = threading.Lock()
        self._con = sqlite3.connect(path, check_same_thread=False,
                                    isolation_level=None)
        self._con.row_factory = sqlite3.Row
        self._con.execute("PRAGMA journal_mode=WAL")
        self._migrate()

    def _migrate(self):
        with self.transaction() as con:
            con.execute("CREATE TABLE IF NOT EXISTS schema_version "
                        "(version INTEGER NOT NULL)")
            row = con.execute("SELECT version FROM schema_version").fetchone()
            version = row[0] if row else 0
            if row is None:
                con.execute("INSERT INTO schema_version VALUES (0)")
            for step in MIGRATIONS[version:]:
                if callable(step):
                    step(con)
                    continue
                for statement in step.split(";"):
                    if statement.strip():
                        con.execute(statement)
            con.execute("UPDATE schema_version SET version = ?",
                        (len(MIGRATIONS),))

    def schema_version(self):
        with self.transaction() as con:
            return con.execute("SELECT version FROM schema_version").fetchone()[0]

    @contextlib.contextmanager
    def transaction(self):
        """Yield the connection inside one transaction, committed when the
        block ends normally and rolled back when it raises."""
        with self._lock:
            self._con.execute("BEGIN IMMEDIATE")
            try:
                yield self._con
            except BaseException:
                self._con.execute("ROLLBACK")
                raise
            self._con.execute("COMMIT")

    def wipe(self):
        with self.transaction() as con:
            for table in DATA_TABLES:
                con.execute("DELETE FROM " + table)
            # Numbering starts again at 1, so tests see the same numbers.
            con.execute("DELETE FROM sqlite_sequence")

    def close(self):
        with self._lock:
            self._con.close()
