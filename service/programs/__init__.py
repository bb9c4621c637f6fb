"""The CGI programs under /cgiscripts/, by name.

Each program takes a Context and the parsed Form and returns the reply
text. A program never raises for bad input: it answers with the refusal
value its caller understands."""
from . import assets, homepage, mail, users

PROGRAMS = {
    "validate_user.exe": users.validate_user,
    "delete_user.exe": users.delete_user,
    "create_user.exe": users.create_user,
    "get_user_info.exe": users.get_user_info,
    "update_user.exe": users.update_user,
    "get_asset.exe": assets.get_asset,
    "get_stats.exe": assets.get_stats,
    "create_asset.exe": assets.create_asset,
    "delete_asset.exe": assets.delete_asset,
    "get_disk_space.exe": assets.get_disk_space,
    "smtp_mail.exe": mail.smtp_mail,
    "get_unique.exe": mail.get_unique,
    "fire_emails.exe": mail.fire_emails,
    "get_homepage.exe": homepage.get_homepage,
    "update_homepage.exe": homepage.update_homepage,
    "delete_homepage.exe": homepage.delete_homepage,
    "get_version.exe": homepage.get_version,
}
