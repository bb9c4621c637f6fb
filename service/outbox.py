"""The mail outbox: every message the service sends becomes one RFC 5322
file (CR LF line ends) in DIR/outbox/, named so that a sorted listing is
the order of sending."""
import email.policy
import itertools
import os
import re
import threading
import time
from email.message import EmailMessage
from email.utils import formataddr, formatdate, make_msgid

SENDER = ("Vanta Publishing", "no-reply@vanta-publishing.invalid")
_ADDRESS = re.compile(r"[A-Za-z0-9!#$%&'*+/=?^_`{|}~.-]+@[A-Za-z0-9.-]+\Z")


def valid_address(text):
    return bool(text) and bool(_ADDRESS.match(text))


def one_line(text):
    """Header values must not break their line."""
    return re.sub(r"[\r\n]+", " ", text or "")


def new_message(sender, to, subject, body):
    msg = EmailMessage()
    msg["From"] = formataddr((one_line(sender[0]), sender[1]))
    msg["To"] = formataddr((one_line(to[0]), to[1]))
    msg["Subject"] = one_line(subject)
    msg["Date"] = formatdate(localtime=True)
    msg["Message-ID"] = make_msgid(domain="vanta-publishing.invalid")
    msg.set_content(body)
    return msg


class Outbox:
    def __init__(self, directory):
        self.directory = directory
        self._seq = itertools.count(1)
        self._lock = threading.Lock()

    def send(self, msg, kind):
        with self._lock:
            name = "%020d-%06d-%s.eml" % (time.time_ns(), next(self._seq), kind)
        path = os.path.join(self.directory, name)
        data = msg.as_bytes(policy=email.policy.SMTP)
        with open(path + ".tmp", "wb") as f:
            f.write(data)
        os.replace(path + ".tmp", path)  # readers never see half a message
        return path
