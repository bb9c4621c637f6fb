"""Sending a scripted reply, with the faults a test asked for.

The reply is written by hand instead of through BaseHTTPRequestHandler's
helpers, because the faults act between the bytes: a delay before the
status line, a stall in the middle of the body, a connection that ends
before the announced length."""
import socket
import time
from http import HTTPStatus


def _reason(status):
    try:
        return HTTPStatus(status).phrase
    except ValueError:
        return "Scripted"


def _send_endless(out, piece):
    """The body again and again, until the client ends the connection."""
    piece = piece * max(1, 65536 // len(piece))
    while True:
        out.write(piece)
        out.flush()


def send_scripted(handler, script):
    headers = [("Content-Type", "text/plain"), ("Connection", "close")]
    if not script.endless:
        headers.insert(1, ("Content-Length", str(len(script.body))))
    if script.redirect:
        headers.append(("Location", script.redirect))
    overridden = {name.lower() for name, _ in script.headers}
    headers = [h for h in headers if h[0].lower() not in overridden]
    headers += script.headers
    head = "HTTP/1.1 %d %s\r\n" % (script.status, _reason(script.status))
    head += "".join("%s: %s\r\n" % h for h in headers) + "\r\n"

    body = script.body
    end = len(body) if script.close_after is None else min(script.close_after,
                                                            len(body))
    handler.close_connection = True
    try:
        time.sleep(script.delay_ms / 1000.0)
        out = handler.wfile
        out.write(head.encode("latin-1"))
        if script.endless:
            _send_endless(out, body or b"x")
        elif script.trickle_ms:
            for i in range(end):
                out.write(body[i:i + 1])
                out.flush()
                time.sleep(script.trickle_ms / 1000.0)
        elif script.stall_ms:
            cut = min(script.stall_after, end)
            out.write(body[:cut])
            out.flush()
            time.sleep(script.stall_ms / 1000.0)
            out.write(body[cut:end])
        else:
            out.write(body[:end])
        out.flush()
        if script.close_after is not None:
            # End the connection with the body short of Content-Length.
            handler.connection.shutdown(socket.SHUT_RDWR)
    except OSError:
        pass  # the client gave up first (its own time-out): nothing to do
