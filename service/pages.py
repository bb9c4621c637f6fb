"""The asset pages that the notification mails point to. Each visit is
counted per day; those counts are what get_stats.exe reports."""
import base64
import html
import re

from .programs.assets import record_view

_PAGE = re.compile(r"/QDXAssets/([^/]+)/([^/]+)/([0-9]+)/index\.asp\Z")


def _credentials(headers):
    auth = headers.get("Authorization", "")
    if not auth.startswith("Basic "):
        return None
    try:
        user, _, password = base64.b64decode(auth[6:]).decode("latin-1").partition(":")
    except ValueError:
        return None
    return user, password


def asset_page(ctx, method, path, headers):
    """(status, body, type, extra headers) for an asset page, or None when
    `path` names no asset page."""
    match = _PAGE.match(path)
    if not match or method not in ("GET", "HEAD"):
        return None
    user_id, product, number = match.groups()
    with ctx.db.transaction() as con:
        asset = con.execute("SELECT * FROM assets WHERE user_id = ? AND "
                            "product_id = ? AND asset_num = ?",
                            (user_id, product, int(number))).fetchone()
        files = [r[0] for r in con.execute(
            "SELECT name FROM asset_files WHERE asset_num = ? ORDER BY position",
            (int(number),))] if asset else []
    if asset is None:
        return None
    # The address carries the asset's id and password as its login.
    if _credentials(headers) != (asset["asset_id"], asset["password"]):
        return (401, b"This asset needs its id and password.\n", "text/plain",
                [("WWW-Authenticate", 'Basic realm="Vanta asset"')])
    record_view(ctx.db, asset["asset_num"])
    items = "".join("<li>%s</li>" % html.escape(f) for f in files)
    body = ("<html><head><title>%s</title></head><body><h1>%s</h1><p>%s</p>"
            "<ul>%s</ul></body></html>" % (html.escape(asset["name"]),
                                            html.escape(asset["name"]),
                                            html.escape(asset["description"]),
                                            items))
    return 200, body.encode("latin-1", "replace"), "text/html", []
