"""The /_control/ interface: JSON in, JSON out."""
import json

from .control import BadRequest, Script
from .programs.assets import set_quota
from .tls import serve_certificate


def handle(service, method, path, body):
    """Return (status, object) for a control request."""
    state = service.control
    try:
        options = json.loads(body.decode("utf-8") or "{}") if method == "POST" else {}
    except ValueError:
        return 400, {"ok": False, "error": "body is not JSON"}
    route = (method, path.rstrip("/"))
    try:
        if route == ("POST", "/_control/reset"):
            if not isinstance(options, dict):
                raise BadRequest("reset takes a JSON object")
            service.reset(data=bool(options.get("data")))
        elif route == ("POST", "/_control/script"):
            state.add_script(Script(options))
        elif route == ("GET", "/_control/log"):
            requests, dropped = state.requests()
            return 200, {"requests": requests, "dropped": dropped}
        elif route == ("POST", "/_control/quota"):
            user, quota = options.get("user"), options.get("quota")
            if not isinstance(user, str) or not user or isinstance(quota, bool) \
                    or not isinstance(quota, int) or not 0 <= quota < 2 ** 63:
                raise BadRequest("quota needs a user and a byte count")
            set_quota(service.db, user, quota)
        elif route == ("POST", "/_control/ftp"):
            state.set_ftp_faults(options)
        elif route == ("GET", "/_control/ftp/log"):
            return 200, state.ftp_log()
        elif route == ("GET", "/_control/state"):
            return 200, {"data_dir": service.storage.root,
                         "http_port": service.http_port,
                         "ftp_port": service.ftp_port,
                         "https_port": service.https_port}
        elif route == ("POST", "/_control/tls"):
            serve_certificate(service, options)
        else:
            return 404, {"ok": False, "error": "no such control request"}
    except (BadRequest, ValueError) as err:
        return 400, {"ok": False, "error": str(err)}
    return 200, {"ok": True}
