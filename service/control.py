"""State that the tests steer through /_control/: scripted replies, the
request log, FTP faults and the FTP command log. Shared by the HTTP
threads and the FTP session threads, so every access takes the lock."""
import base64
import collections
import threading
import time

from .request_log import MAX_ENTRIES, BoundedLog


class BadRequest(ValueError):
    pass


def _int(options, key, default=None, minimum=0):
    value = options.get(key, default)
    if value is None:
        return None
    if isinstance(value, bool) or not isinstance(value, int) or value < minimum:
        raise BadRequest("%s must be an integer >= %d" % (key, minimum))
    return value


class Script:
    """One scripted reply; see README for the meaning of each key."""

    KEYS = {"path", "body", "body_b64", "status", "headers", "redirect",
            "delay_ms", "stall_ms", "stall_after", "close_after", "times",
            "trickle_ms", "endless"}

    def __init__(self, options):
        if not isinstance(options, dict):
            raise BadRequest("a script is a JSON object")
        unknown = set(options) - self.KEYS
        if unknown:
            raise BadRequest("unknown keys: " + ", ".join(sorted(unknown)))
        self.path = options.get("path")
        if not isinstance(self.path, str) or not self.path.startswith("/"):
            raise BadRequest("path must be an absolute path")
        if "body_b64" in options:
            self.body = base64.b64decode(options["body_b64"], validate=True)
        else:
            self.body = str(options.get("body", "")).encode("latin-1")
        self.redirect = options.get("redirect")
        self.status = _int(options, "status", 302 if self.redirect else 200, 100)
        headers = options.get("headers", {})
        if not isinstance(headers, dict):
            raise BadRequest("headers must be an object")
        self.headers = [(str(k), str(v)) for k, v in headers.items()]
        self.delay_ms = _int(options, "delay_ms", 0)
        self.stall_ms = _int(options, "stall_ms", 0)
        self.stall_after = _int(options, "stall_after", 0)
        self.close_after = _int(options, "close_after")
        self.trickle_ms = _int(options, "trickle_ms", 0)
        self.endless = bool(options.get("endless"))
        self.times = _int(options, "times", 1, -1)
        if self.times == 0:
            raise BadRequest("times must be -1 or at least 1")


class ControlState:
    def __init__(self):
        self._lock = threading.Lock()
        self._scripts = collections.defaultdict(collections.deque)
        self._requests = BoundedLog()
        self.ftp_faults = {}
        self._ftp_commands = self._new_ftp_log()
        self._ftp_logins = 0
        self._ftp_total = 0
        self._ftp_open = 0
        self._ftp_next_id = 1
        self._ftp_moved = 0  # file bytes over data connections, for the drops
        # Requests to the FTP server to stop or start listening, numbered,
        # and the last one it has carried out.
        self._listener_changed = threading.Condition(self._lock)
        self._listener_asked = 0
        self._listener_done = 0

    @staticmethod
    def _new_ftp_log():
        # Bounded like the request log: the oldest commands go first.
        return collections.deque(maxlen=10 * MAX_ENTRIES)

    def reset(self):
        with self._lock:
            self._scripts.clear()
            self._requests = BoundedLog()
            self._replace_ftp_faults({})
            self._ftp_commands = self._new_ftp_log()
            self._ftp_logins = 0
            self._ftp_total = 0
        self._wait_for_listener()

    # --- HTTP

    def add_script(self, script):
        with self._lock:
            self._scripts[script.path].append(script)

    def take_script(self, path):
        """The script that answers this request to `path`, if any. Scripts
        of one path are used in the order they were added."""
        with self._lock:
            queue = self._scripts.get(path)
            if not queue:
                return None
            script = queue[0]
            if script.times > 0:
                script.times -= 1
                if script.times == 0:
                    queue.popleft()
            return script

    def log_request(self, entry):
        with self._lock:
            self._requests.append(entry)

    def requests(self):
        """(entries, how many older ones were dropped to bound the log)."""
        with self._lock:
            return self._requests.items(), self._requests.dropped

    # --- FTP

    DROPS = ("drop_data_after", "drop_data_every",
             "drop_control_after", "drop_control_every")

    def set_ftp_faults(self, options):
        if not isinstance(options, dict):
            raise BadRequest("faults are a JSON object")
        known = {"refuse_login", "fail_stor_after", "delay_ms",
                 "drop_after_commands", "refuse_tls", "stall_stor_after",
                 "stall_send_after", "dele_1xx_drop", "active_from",
                 "login_421", "refuse_connections_ms",
                 "max_sessions"} | set(self.DROPS)
        unknown = set(options) - known
        if unknown:
            raise BadRequest("unknown faults: " + ", ".join(sorted(unknown)))
        faults = {}
        for key in ("refuse_login", "refuse_tls", "dele_1xx_drop"):
            if options.get(key):
                faults[key] = True
        source = options.get("active_from")
        if source is not None:
            if not isinstance(source, str) or not source:
                raise BadRequest("active_from must be an address")
            faults["active_from"] = source
        for key in ("fail_stor_after", "delay_ms", "drop_after_commands",
                    "stall_stor_after", "stall_send_after", "login_421",
                    "max_sessions"):
            value = _int(options, key)
            if value is not None:
                faults[key] = value
        drops = [key for key in self.DROPS if key in options]
        if len(drops) > 1:
            raise BadRequest("one drop fault at a time")
        for key in drops:
            faults[key] = _int(options, key, minimum=1)
        refuse_ms = _int(options, "refuse_connections_ms")
        if refuse_ms:
            faults["refuse_until"] = time.monotonic() + refuse_ms / 1000.0
        with self._lock:
            self._replace_ftp_faults(faults)
        self._wait_for_listener()

    def _replace_ftp_faults(self, faults):
        """Under the lock. A drop counts the bytes moved from now on, and a
        refusal that starts or ends asks the FTP server to act on its port."""
        if "refuse_until" in faults or "refuse_until" in self.ftp_faults:
            self._listener_asked += 1
        self.ftp_faults = faults
        self._ftp_moved = 0

    def _wait_for_listener(self):
        # The FTP server acts between two turns of its event loop (a fraction
        # of a second); the caller may connect as soon as this returns.
        with self._lock:
            self._listener_changed.wait_for(
                lambda: self._listener_done >= self._listener_asked, timeout=2)

    def ftp_listen_wanted(self):
        """(whether the FTP port is to listen now, the request this answers)."""
        with self._lock:
            until = self.ftp_faults.get("refuse_until")
            if until is not None and time.monotonic() >= until:
                del self.ftp_faults["refuse_until"]  # the refusal is over
                until = None
            return until is None, self._listener_asked

    def ftp_listener_done(self, asked):
        with self._lock:
            self._listener_done = max(self._listener_done, asked)
            self._listener_changed.notify_all()

    def ftp_drop_room(self):
        """File bytes the data connections may still move before the next
        drop, or None when no drop is asked for."""
        with self._lock:
            for key in self.DROPS:
                every = self.ftp_faults.get(key)
                if every is not None:
                    return every - self._ftp_moved % every
            return None

    def ftp_moved(self, count):
        """Count file bytes moved; "data" or "control" when the connection of
        that kind is to be dropped now (a drop "after" N then clears itself)."""
        with self._lock:
            key = next((k for k in self.DROPS if k in self.ftp_faults), None)
            if key is None:
                return None
            every = self.ftp_faults[key]
            before = self._ftp_moved
            self._ftp_moved += count
            if self._ftp_moved // every == before // every:
                return None
            if key.endswith("_after"):
                del self.ftp_faults[key]
            return "data" if key.startswith("drop_data") else "control"

    def ftp_login_busy(self):
        """True while the count of logins to answer 421 lasts (one taken)."""
        with self._lock:
            left = self.ftp_faults.get("login_421")
            if not left:
                return False
            self.ftp_faults["login_421"] = left - 1
            return True

    def ftp_sessions_full(self):
        """True when a new connection finds the sessions that "max_sessions"
        allows open already."""
        with self._lock:
            limit = self.ftp_faults.get("max_sessions")
            return limit is not None and self._ftp_open >= limit

    def ftp_fault(self, key):
        with self._lock:
            return self.ftp_faults.get(key)

    def ftp_connected(self):
        with self._lock:
            session = str(self._ftp_next_id)
            self._ftp_next_id += 1
            self._ftp_total += 1
            self._ftp_open += 1
            return session

    def ftp_disconnected(self):
        with self._lock:
            self._ftp_open -= 1

    def ftp_logged_in(self):
        with self._lock:
            self._ftp_logins += 1

    def ftp_command(self, session, line):
        """Log a command; True when the connection is to be dropped now,
        without an answer, because the drop fault's count has run out."""
        with self._lock:
            self._ftp_commands.append([session, line])
            left = self.ftp_faults.get("drop_after_commands")
            if left is None:
                return False
            if left == 0:
                del self.ftp_faults["drop_after_commands"]  # one drop only
                return True
            self.ftp_faults["drop_after_commands"] = left - 1
            return False

    def ftp_log(self):
        with self._lock:
            return {"commands": [list(c) for c in self._ftp_commands],
                    "logins": self._ftp_logins,
                    "sessions_open": self._ftp_open,
                    "sessions_total": self._ftp_total}
