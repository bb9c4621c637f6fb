"""Personal homepages (five texts per user) and the service version."""
import time

from ..forms import reply

VERSION = "3.3"
TEXTS = ["Title", "Heading", "Body", "Theme", "Reply"]


def get_homepage(ctx, form):
    user_id = form.get("user")
    if not user_id:
        return reply(("title", "FAIL"))
    with ctx.db.transaction() as con:
        page = con.execute("SELECT * FROM homepages WHERE user_id = ?",
                           (user_id,)).fetchone()
    if page is None:
        return reply(("title", "NOROWS"))
    return reply(*[(t.lower(), page[t.lower()]) for t in TEXTS])


def update_homepage(ctx, form):
    values = form.require("user", *TEXTS)
    if values is None or not values[0]:
        return reply(("result", "FAIL"))
    user_id, texts = values[0], values[1:]
    with ctx.db.transaction() as con:
        if not con.execute("SELECT 1 FROM users WHERE user_id = ?",
                           (user_id,)).fetchone():
            return reply(("result", "FAIL"))
        con.execute("INSERT OR REPLACE INTO homepages VALUES (?, ?, ?, ?, ?, ?, ?)",
                    [user_id] + texts + [time.time()])
    return reply(("result", "OK"))


def delete_homepage(ctx, form):
    user_id = form.get("user")
    with ctx.db.transaction() as con:
        deleted = con.execute("DELETE FROM homepages WHERE user_id = ?",
                              (user_id,)).rowcount if user_id else 0
    return reply(("result", "OK" if deleted else "FAIL"))


def get_version(ctx, form):
    return reply(("version", VERSION))
