"""Mail: the upload notification and email sharing sessions."""
import mimetypes
import os
import re
import secrets
import time

from ..forms import as_int, reply
from ..outbox import SENDER, new_message, valid_address
from ..storage import is_safe_name
from .assets import page_address

INFO_FILE = "~emailinfo.qorl"
VIEW_TYPES = {0: "view it online", 1: "view and download it"}


def smtp_mail(ctx, form):
    """Tell each recipient of a finished upload where the asset's page is."""
    fail = reply(("result", "FAIL"))
    values = form.require("AssetName", "pword", "UserId", "ProdNum", "AssetID",
                          "AssetNum", "AssetType", "AssetDesc", "Emails")
    if values is None:
        return fail
    name, password, user_id, _prod, asset_id, number, _kind, desc, count = values
    number, count = as_int(number), as_int(count)
    if number is None or count is None or count < 0:
        return fail
    recipients = []
    for i in range(count):
        r = form.require("Email%d" % i, "ViewType%d" % i, "RecipName%d" % i)
        if r is None or not valid_address(r[0].strip()):
            return fail
        recipients.append((r[0].strip(), as_int(r[1]), r[2]))
    with ctx.db.transaction() as con:
        asset = con.execute("SELECT * FROM assets WHERE user_id = ? AND "
                            "asset_num = ?", (user_id, number)).fetchone()
        user = con.execute("SELECT first, last FROM users WHERE user_id = ?",
                           (user_id,)).fetchone()
    # The notification must name a real asset with its own id and password.
    if asset is None or asset["asset_id"] != asset_id or asset["password"] != password:
        return fail
    who = ("%s %s" % (user["first"], user["last"])).strip() or user_id
    page = page_address(ctx.host, asset)
    for address, view_type, recipient in recipients:
        how = VIEW_TYPES.get(view_type, "open it (view type %s)" % view_type)
        body = ("Dear %s,\n\n%s has published \"%s\" for you.\n%s\n\n"
                "You may %s at:\n%s\n" % (recipient or address, who, name,
                                          desc, how, page))
        msg = new_message(SENDER, (recipient, address),
                          "%s shared \"%s\" with you" % (who, name), body)
        msg["X-Vanta-Asset"] = str(number)
        msg["X-Vanta-View-Type"] = str(view_type)
        ctx.outbox.send(msg, "asset")
    return reply(("result", "OK"), ("sent", len(recipients)))


def get_unique(ctx, form):
    """A fresh email sharing session with its own directory."""
    name = "S" + time.strftime("%Y%m%d") + secrets.token_hex(6)
    with ctx.db.transaction() as con:
        con.execute("INSERT INTO email_sessions (name, created) VALUES (?, ?)",
                    (name, time.time()))
        os.makedirs(ctx.storage.session_dir(name), exist_ok=True)
    return reply(("session", name))


def parse_info(text):
    """The lines of an email info file: tag, colon, blank, value, each line
    ended by CR LF. A message line may keep a CR of its own before that."""
    info = {"TO": [], "FR": [], "SU": [], "MS": [], "FL": [], "SN": []}
    for line in re.split(r"\r?\n", text):
        tag, sep, value = line[:2], line[2:4], line[4:]
        if sep == ": " and tag in info:
            info[tag].append(value[:-1] if value.endswith("\r") else value)
    return info


def fire_emails(ctx, form):
    """Mail the files of a sharing session to the addresses its info file
    names, one message per recipient with every shared file attached."""
    fail = reply(("result", "FAIL"))
    session = form.get("SessionName")
    if not session or not is_safe_name(session):
        return fail
    directory = ctx.storage.session_dir(session)
    try:
        with open(os.path.join(directory, INFO_FILE), "rb") as f:
            info = parse_info(f.read().decode("latin-1"))
    except OSError:
        return fail
    sender = info["FR"][0].strip() if info["FR"] else ""
    recipients = [a.strip() for a in info["TO"]]
    if not valid_address(sender) or not all(map(valid_address, recipients)):
        return fail
    attachments = []
    for name in info["FL"]:
        if not is_safe_name(name):
            return fail
        try:
            with open(os.path.join(directory, name), "rb") as f:
                attachments.append((name, f.read()))
        except OSError:
            return fail  # the transfer did not bring every file
    sender_name = info["SN"][0] if info["SN"] else ""
    subject = info["SU"][0] if info["SU"] else ""
    body = "\n".join(info["MS"]) + "\n"
    for address in recipients:
        msg = new_message((sender_name, sender), ("", address), subject, body)
        msg["X-Vanta-Session"] = session
        for name, data in attachments:
            kind = mimetypes.guess_type(name)[0] or "application/octet-stream"
            maintype, subtype = kind.split("/", 1)
            msg.add_attachment(data, maintype=maintype, subtype=subtype,
                               filename=name)
        ctx.outbox.send(msg, "share")
    with ctx.db.transaction() as con:
        con.execute("INSERT INTO email_sessions (name, created, fired) VALUES "
                    "(?, ?, 1) ON CONFLICT (name) DO UPDATE SET fired = fired + 1",
                    (session, time.time()))
    return reply(("result", "OK"), ("sent", len(recipients)))
