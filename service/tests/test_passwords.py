import os
import tempfile
import unittest
from unittest import mock

from service import db
from service.passwords import hash_password, verify_password


class VerifyTest(unittest.TestCase):
    def test_only_the_right_password_matches_a_well_formed_hash(self):
        good = hash_password("s3cret")
        for password, stored, expected in [
                ("s3cret", good, True), ("s3creT", good, False), ("", good, False),
                ("s3cret", "s3cret", False), ("s3cret", good[:-2], False),
                ("s3cret", "scrypt$x$8$1$00$00", False),
                ("s3cret", good.replace("$", "$$", 1), False), ("x", None, False)]:
            self.assertIs(verify_password(password, stored), expected, (password, stored))


class MigrationTest(unittest.TestCase):
    def test_clear_passwords_of_an_older_database_become_hashes_once(self):
        def passwords(database):
            with database.transaction() as con:
                found = dict(con.execute("SELECT user_id, password FROM users"))
            database.close()
            return found

        with tempfile.TemporaryDirectory() as tmp:
            path = os.path.join(tmp, "vanta.db")
            # A database as the service left it before hashes existed.
            with mock.patch.object(db, "MIGRATIONS", db.MIGRATIONS[:1]):
                old = db.Database(path)
                with old.transaction() as con:
                    con.execute("INSERT INTO users (user_id, password, created) "
                                "VALUES ('ann', 'pw1', 0), ('bob', 'pw2', 0)")
                old.close()
            hashed = passwords(db.Database(path))
            self.assertTrue(verify_password("pw1", hashed["ann"]))
            self.assertTrue(verify_password("pw2", hashed["bob"]))
            again = db.Database(path)
            self.assertEqual(again.schema_version(), len(db.MIGRATIONS))
            self.assertEqual(passwords(again), hashed)
