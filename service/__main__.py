"""Run the service: python3 -m service --data DIR [--host H]
[--http-port N] [--ftp-port N] [--tls-cert FILE --tls-key FILE
[--https-port N]] [--signing-key FILE] [--max-body BYTES]
[--request-timeout SECONDS] [--log-bodies] [--parent PID] [--verbose].

Prints one line starting with "ready" once every server listens: "ready"
alone when every port was given, "ready http=N ftp=M" (and " https=K"
with TLS) when a port was 0 and the system chose it.

The control interface (/_control/) wants the token that the service writes
to DIR/control-token at every start, in the header X-Control-Token.

With --parent PID the service stops by itself once process PID is no longer
its parent: a test process that crashes or is killed takes its service with
it instead of leaving it running."""
import argparse
import os
import signal
import sys
import threading

from .app import Limits, ListenError, Service
from .signing import Signer


def main(argv=None):
    parser = argparse.ArgumentParser(prog="python3 -m service")
    parser.add_argument("--data", required=True, help="data directory")
    parser.add_argument("--host", default="127.0.0.1",
                        help="address to listen on (default 127.0.0.1)")
    # Ports below 1024 need root; any user may choose ports above 1023.
    parser.add_argument("--http-port", type=int, default=80,
                        help="HTTP port (default 80; 0: the system chooses)")
    parser.add_argument("--ftp-port", type=int, default=21,
                        help="FTP port (default 21; 0: the system chooses)")
    parser.add_argument("--tls-cert", metavar="FILE",
                        help="certificate (PEM, chain included) for HTTPS and FTPS")
    parser.add_argument("--tls-key", metavar="FILE", help="its private key (PEM)")
    parser.add_argument("--https-port", type=int, default=443,
                        help="HTTPS port, with --tls-cert (default 443)")
    parser.add_argument("--signing-key", metavar="FILE",
                        help="Ed25519 private key (PEM): sign downloads/VantaAPI.dll as "
                             "VantaAPI.dll.sig whenever the service publishes it")
    parser.add_argument("--max-body", type=int, default=Limits.max_body, metavar="BYTES",
                        help="refuse larger request bodies with 413 (default 16 MiB)")
    parser.add_argument("--request-timeout", type=float, default=Limits.request_timeout,
                        metavar="SECONDS",
                        help="a request must arrive whole within this time (default 10)")
    parser.add_argument("--log-bodies", action="store_true",
                        help="keep request bodies and credentials in the request log as "
                             "received, passwords included (for tests; default: masked)")
    parser.add_argument("--parent", type=int, metavar="PID",
                        help="stop when process PID is no longer this one's parent")
    parser.add_argument("--verbose", action="store_true",
                        help="log requests and FTP sessions on stderr")
    args = parser.parse_args(argv)
    if (args.tls_cert is None) != (args.tls_key is None):
        parser.error("--tls-cert and --tls-key go together")
    tls = (args.tls_cert, args.tls_key) if args.tls_cert else None
    if args.max_body < 0 or not args.request_timeout > 0:
        parser.error("--max-body must be >= 0 and --request-timeout > 0")
    limits = Limits(args.request_timeout, args.max_body, args.log_bodies)

    stop = threading.Event()
    for sig in (signal.SIGTERM, signal.SIGINT):
        signal.signal(sig, lambda *_: stop.set())

    try:
        signer = Signer(args.signing_key) if args.signing_key else None
        service = Service(args.data, args.host, args.http_port, args.ftp_port,
                          args.verbose, tls, args.https_port, limits, signer)
    except (ListenError, ValueError) as err:
        print("%s: %s" % (parser.prog, err), file=sys.stderr)
        return 1
    service.start()
    if args.http_port and args.ftp_port and (tls is None or args.https_port):
        print("ready", flush=True)
    else:
        https = " https=%d" % service.https_port if tls else ""
        print("ready http=%d ftp=%d%s" % (service.http_port, service.ftp_port, https),
              flush=True)
    while not stop.wait(0.5):
        if args.parent and os.getppid() != args.parent:
            break
    service.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
