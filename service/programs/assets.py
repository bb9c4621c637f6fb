"""Assets: creation, reading, listing, statistics, deletion, disk space."""
import os
import secrets
import shutil
import string
import time

from ..forms import as_int, join_records, product_key, reply
from ..storage import is_safe_name

DEFAULT_QUOTA = 100 * 1024 * 1024
_ALNUM = string.ascii_letters + string.digits


def ole_date(unix_time):
    """Time as a day number counted from 30 December 1899, the date
    format of the desktop applications that use the library."""
    return "%.6f" % (unix_time / 86400.0 + 25569.0)


def page_address(host, asset):
    return "http://%s:%s@%s/QDXAssets/%s/%s/%d/index.asp" % (
        asset["asset_id"], asset["password"], host, asset["user_id"],
        asset["product_id"], asset["asset_num"])


def _details(con, asset):
    files = [r[0] for r in con.execute(
        "SELECT name FROM asset_files WHERE asset_num = ? ORDER BY position",
        (asset["asset_num"],))]
    views = con.execute("SELECT COALESCE(SUM(views), 0) FROM asset_views "
                        "WHERE asset_num = ?", (asset["asset_num"],)).fetchone()[0]
    return files, views


def _single_reply(host, asset, files, views):
    # Twelve values; the asset number is not among them (the caller sent it).
    return reply(("name", asset["name"]), ("desc", asset["description"]),
                 ("product", asset["product_id"]), ("type", asset["asset_type"]),
                 ("size", asset["size"]), ("asset_id", asset["asset_id"]),
                 ("password", asset["password"]),
                 ("created", ole_date(asset["created"])),
                 ("files", len(files)), ("page", page_address(host, asset)),
                 ("views", views), ("names", "|".join(files)))


def _list_record(host, asset, files, views):
    # Thirteen values, ordered differently from the single-asset reply:
    # the date comes before the asset number, which comes before the
    # password.
    return reply(("name", asset["name"]), ("desc", asset["description"]),
                 ("product", asset["product_id"]), ("type", asset["asset_type"]),
                 ("size", asset["size"]), ("asset_id", asset["asset_id"]),
                 ("created", ole_date(asset["created"])),
                 ("asset_num", asset["asset_num"]),
                 ("password", asset["password"]), ("files", len(files)),
                 ("page", page_address(host, asset)), ("views", views),
                 ("names", "|".join(files)))


def get_asset(ctx, form):
    fail = reply(("name", "FAIL"))
    user_id, number = form.get("user_num"), as_int(form.get("asset_num"))
    if not user_id or number is None:
        return fail
    with ctx.db.transaction() as con:
        if not con.execute("SELECT 1 FROM users WHERE user_id = ?",
                           (user_id,)).fetchone():
            return fail
        if number != 0:
            asset = con.execute("SELECT * FROM assets WHERE user_id = ? AND "
                                "asset_num = ?", (user_id, number)).fetchone()
            if asset is None:
                return fail
            return _single_reply(ctx.host, asset, *_details(con, asset))
        # Asset number 0 asks for the list, of one product when named.
        product = form.get("prodcut_id")
        sql, args = "SELECT * FROM assets WHERE user_id = ?", [user_id]
        if product is not None:
            sql += " AND product_id = ?"
            args.append(product_key(product))
        rows = con.execute(sql + " ORDER BY asset_num", args).fetchall()
        if not rows:
            return reply(("name", "NOROWS"))
        return join_records(_list_record(ctx.host, a, *_details(con, a))
                            for a in rows)


def get_stats(ctx, form):
    user_id, number = form.get("User_Id"), as_int(form.get("Asset_num"))
    if not user_id or number is None:
        return reply(("day", "FAIL"))
    with ctx.db.transaction() as con:
        rows = con.execute(
            "SELECT v.day, v.views FROM asset_views v JOIN assets a "
            "ON a.asset_num = v.asset_num WHERE a.user_id = ? AND "
            "a.asset_num = ? ORDER BY v.day", (user_id, number)).fetchall()
    if not rows:
        return reply(("day", "NOROWS"))
    return join_records(reply(("day", d), ("views", v)) for d, v in rows)


def record_view(db, asset_num, when=None):
    day = int(time.strftime("%Y%m%d", time.localtime(when)))
    with db.transaction() as con:
        con.execute("INSERT INTO asset_views VALUES (?, ?, 1) ON CONFLICT "
                    "(asset_num, day) DO UPDATE SET views = views + 1",
                    (asset_num, day))


def create_asset(ctx, form):
    fail = reply(("asset_num", "FAIL"))
    values = form.require("UserId", "Name", "Size", "ProdId", "AssetType",
                          "AssetDesc", "FileCnt")
    if values is None:
        return fail
    user_id, name, size, product, kind, desc, count = values
    size, product, kind, count = (as_int(size), as_int(product), as_int(kind),
                                  as_int(count))
    files = form.all("File")
    if None in (size, product, kind) or count != len(files):
        return fail
    asset_id = "a" + secrets.token_hex(6)
    password = "".join(secrets.choice(_ALNUM) for _ in range(8))
    with ctx.db.transaction() as con:
        if not con.execute("SELECT 1 FROM users WHERE user_id = ?",
                           (user_id,)).fetchone():
            return fail
        number = con.execute(
            "INSERT INTO assets (user_id, product_id, asset_id, password, name,"
            " description, size, asset_type, created) VALUES "
            "(?, ?, ?, ?, ?, ?, ?, ?, ?)", (user_id, str(product), asset_id,
            password, name, desc, size, kind, time.time())).lastrowid
        con.executemany("INSERT INTO asset_files VALUES (?, ?, ?)",
                        [(number, i, f) for i, f in enumerate(files)])
        # The library stores the files here right after this reply.
        os.makedirs(ctx.storage.asset_dir(user_id, product, number),
                    exist_ok=True)
    return reply(("asset_num", number), ("asset_id", asset_id),
                 ("password", password))


def delete_asset(ctx, form):
    # The library sends these two names with a blank before the "=".
    values = form.require("user_id", "asset_num ", "product_id ")
    number = as_int(values[1]) if values else None
    if number is None:
        return reply(("result", "FAIL"))
    with ctx.db.transaction() as con:
        row = con.execute(
            "SELECT user_id, product_id FROM assets WHERE user_id = ? AND "
            "asset_num = ? AND product_id = ?",
            (values[0], number, product_key(values[2]))).fetchone()
        if row is None:
            return reply(("result", "FAIL"))
        con.execute("DELETE FROM assets WHERE asset_num = ?", (number,))
        con.execute("DELETE FROM asset_files WHERE asset_num = ?", (number,))
        con.execute("DELETE FROM asset_views WHERE asset_num = ?", (number,))
    # The files go with the record: nothing of a deleted asset stays on disk
    # or counts against the quota. The stored user id named a directory when
    # the asset was created; one that could not is not looked for.
    if is_safe_name(row[0]):
        shutil.rmtree(ctx.storage.asset_dir(row[0], row[1], number),
                      ignore_errors=True)
    return reply(("result", "OK"))


def get_disk_space(ctx, form):
    # Quota first, space used second. The quota is per user across all
    # products; the product number is accepted and not needed.
    user_id = form.get("user_num")
    if not user_id or not is_safe_name(user_id):
        return reply(("quota", 0), ("used", 0))
    with ctx.db.transaction() as con:
        row = con.execute("SELECT quota FROM quotas WHERE user_id = ?",
                          (user_id,)).fetchone()
    quota = row[0] if row else DEFAULT_QUOTA
    return reply(("quota", quota), ("used", ctx.storage.user_bytes(user_id)))


def set_quota(db, user_id, quota):
    with db.transaction() as con:
        con.execute("INSERT INTO quotas VALUES (?, ?) ON CONFLICT (user_id) "
                    "DO UPDATE SET quota = excluded.quota", (user_id, quota))
