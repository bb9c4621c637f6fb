"""Form bodies in, name=value replies out.

The library sends `name=value&...` plus one line feed. It percent-encodes
only `%`, `&`, `=`, `+` and control bytes inside values and sends the rest
(blanks included) as they are, so parse_qs reads it correctly; text is
latin-1 throughout so that any byte survives the round trip.

The library reads replies by position and never looks at the names. A
value ends at the next `&`, so no value may hold one: `*` stands in for it
(the library turns it back only in the registration reply). No line feed
follows the last value, or it would become part of that value.
"""
import re
from urllib.parse import parse_qs

_INT = re.compile(r"-?[0-9]+\Z")


class Form:
    def __init__(self, fields):
        self._fields = fields

    @classmethod
    def parse(cls, body):
        text = body.decode("latin-1")
        if text.endswith("\n"):
            text = text[:-1]
        return cls(parse_qs(text, keep_blank_values=True, encoding="latin-1"))

    def get(self, name):
        """First value of field `name` (exact spelling), or None."""
        values = self._fields.get(name)
        return values[0] if values else None

    def all(self, name):
        return list(self._fields.get(name, ()))

    def require(self, *names):
        """Values of all `names`, or None when any is missing."""
        values = [self.get(n) for n in names]
        return None if any(v is None for v in values) else values


def as_int(text):
    """The integer a whole text spells (blanks around allowed), or None."""
    if text is None:
        return None
    text = text.strip()
    return int(text) if _INT.match(text) else None


def product_key(text):
    """Product numbers are kept as text; "03" and "3" name one product."""
    number = as_int(text)
    return str(number) if number is not None else (text or "").strip()


def reply(*pairs):
    return "&".join("%s=%s" % (name, str(value).replace("&", "*"))
                    for name, value in pairs)


def join_records(records):
    """Records of a list reply follow one another with no separator of
    their own: the next record starts with the field after the last one."""
    return "&".join(records)
