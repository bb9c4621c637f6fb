"""User accounts: validation, registration, details, deletion."""
import time

from ..forms import product_key, reply
from ..passwords import hash_password, verify_password
from ..storage import is_safe_name

# Registration detail fields as the registration form names them, with
# the column each is stored in. The update form sends "CC" in Code's place.
DETAILS = [("First", "first"), ("Last", "last"), ("Addr", "addr"),
           ("City", "city"), ("St", "st"), ("Zip", "zip"),
           ("EMail", "email"), ("Day", "day"), ("Ex", "ex"), ("Fax", "fax"),
           ("Night", "night"), ("Mid", "mid")]
REGISTRATION_FIELDS = (["Cust"] + [f for f, _ in DETAILS]
                       + ["Code", "PostPW", "ProductId"])
UPDATE_FIELDS = ["UserId", "PW"] + [f for f, _ in DETAILS] + ["CC"]

# Validation status values; the library turns 1, 2 and 3 into its own codes.
STATUS_OK = 0
STATUS_WRONG_PASSWORD = 1
STATUS_PRODUCT_NOT_REGISTERED = 2   # added to the wrong-password status


def _user(con, user_id):
    return con.execute("SELECT * FROM users WHERE user_id = ?",
                       (user_id,)).fetchone()


def _has_product(con, user_id, product):
    return con.execute("SELECT 1 FROM user_products WHERE user_id = ? "
                       "AND product_id = ?", (user_id, product)).fetchone()


def validate_user(ctx, form):
    # The library reads the status first and only looks at the flags when
    # the status is 0; "FAIL" in the first flag is its refusal value.
    fail = reply(("status", 0), ("published", "FAIL"), ("homepage", "FAIL"))
    fields = form.require("user_id", "PW", "product_id")
    if fields is None or not fields[0]:
        return fail
    user_id, password, product = fields[0], fields[1], product_key(fields[2])
    with ctx.db.transaction() as con:
        user = _user(con, user_id)
        if user is None:
            return fail
        status = STATUS_OK
        if not verify_password(password, user["password"]):
            status += STATUS_WRONG_PASSWORD
        if not _has_product(con, user_id, product):
            status += STATUS_PRODUCT_NOT_REGISTERED
        if status != STATUS_OK:
            return reply(("status", status), ("published", 0), ("homepage", 0))
        published = con.execute("SELECT 1 FROM assets WHERE user_id = ? AND "
                                "product_id = ?", (user_id, product)).fetchone()
        homepage = con.execute("SELECT 1 FROM homepages WHERE user_id = ?",
                               (user_id,)).fetchone()
    return reply(("status", STATUS_OK), ("published", int(bool(published))),
                 ("homepage", int(bool(homepage))))


def delete_user(ctx, form):
    user_id = form.get("user")
    with ctx.db.transaction() as con:
        if not user_id or _user(con, user_id) is None:
            return reply(("result", "FAIL"))
        assets = [r[0] for r in con.execute(
            "SELECT asset_num FROM assets WHERE user_id = ?", (user_id,))]
        for num in assets:
            con.execute("DELETE FROM asset_files WHERE asset_num = ?", (num,))
            con.execute("DELETE FROM asset_views WHERE asset_num = ?", (num,))
        for table in ("assets", "user_products", "homepages", "quotas", "users"):
            con.execute("DELETE FROM %s WHERE user_id = ?" % table, (user_id,))
    return reply(("result", "OK"))


def _registration_reply(first, kind="", number="", message=""):
    return reply(("user", first), ("kind", kind), ("num", number),
                 ("msg", message))


def create_user(ctx, form):
    values = form.require(*REGISTRATION_FIELDS)
    if values is None:
        return _registration_reply("ERROR", message="incomplete registration")
    f = dict(zip(REGISTRATION_FIELDS, values))
    user_id, password, product = f["Cust"], f["PostPW"], product_key(f["ProductId"])
    if not is_safe_name(user_id) or not password or not product:
        return _registration_reply("ERROR", message="customer id, password "
                                   "and product are needed")
    details = {col: f[field] for field, col in DETAILS}
    details["code"] = f["Code"]
    now = time.time()
    with ctx.db.transaction() as con:
        user = _user(con, user_id)
        if user is None:
            kind = "NEW"
            cols = ["user_id", "password", "created"] + list(details)
            con.execute("INSERT INTO users (%s) VALUES (%s)" % (
                ",".join(cols), ",".join("?" * len(cols))),
                [user_id, hash_password(password), now] + list(details.values()))
        elif not verify_password(password, user["password"]):
            return _registration_reply("WRONG_PASSWORD",
                                       message="the password does not match")
        else:
            # A known account registers again, e.g. for a further product.
            # The form always carries every field, so an empty one means
            # "not given": only the details the request fills in change.
            kind = "OLD" if _has_product(con, user_id, product) else "NEWAPP"
            given = {c: v for c, v in details.items() if v}
            if given:
                con.execute("UPDATE users SET %s WHERE user_id = ?" % ", ".join(
                    c + " = ?" for c in given), list(given.values()) + [user_id])
        con.execute("INSERT OR IGNORE INTO user_products VALUES (?, ?, ?)",
                    (user_id, product, now))
        user = _user(con, user_id)
    # The "&" in the message travels as "*" (see forms.reply).
    message = "Welcome %s %s & thank you for registering product %s" % (
        user["first"], user["last"], product)
    return _registration_reply(user_id, kind, user["user_num"], message)


def get_user_info(ctx, form):
    user_id = form.get("UserId")
    if not user_id:
        return reply(("user", "QDX_FAIL"))
    with ctx.db.transaction() as con:
        user = _user(con, user_id)
        if user is None:
            return reply(("user", "NOROWS"))
        assets = con.execute("SELECT COUNT(*) FROM assets WHERE user_id = ?",
                             (user_id,)).fetchone()[0]
        products = con.execute("SELECT COUNT(*) FROM user_products WHERE "
                               "user_id = ?", (user_id,)).fetchone()[0]
    # Values 9, 11 and 15 are numbers; the order is the library's.
    return reply(("user", user["user_id"]), ("first", user["first"]),
                 ("last", user["last"]), ("addr", user["addr"]),
                 ("city", user["city"]), ("st", user["st"]),
                 ("zip", user["zip"]), ("email", user["email"]),
                 ("user_num", user["user_num"]), ("day", user["day"]),
                 ("assets", assets), ("ex", user["ex"]), ("fax", user["fax"]),
                 ("night", user["night"]), ("products", products),
                 ("mid", user["mid"]), ("code", user["code"]))


def update_user(ctx, form):
    values = form.require(*UPDATE_FIELDS)
    if values is None:
        return reply(("result", "FAIL"))
    f = dict(zip(UPDATE_FIELDS, values))
    details = {col: f[field] for field, col in DETAILS}
    details["code"] = f["CC"]
    with ctx.db.transaction() as con:
        user = _user(con, f["UserId"])
        if user is None or not verify_password(f["PW"], user["password"]):
            return reply(("result", "FAIL"))
        con.execute("UPDATE users SET %s WHERE user_id = ?" % ", ".join(
            c + " = ?" for c in details), list(details.values()) + [f["UserId"]])
    return reply(("result", "OK"))
