"""Run the service: python3 -m service --data DIR [--host H]
[--http-port N] [--ftp-port N] [--verbose].

Prints one line starting with "ready" once both servers listen: "ready"
alone when both ports were given, "ready http=N ftp=M" when a port was
0 and the system chose it."""
import argparse
import signal
import sys
import threading

from .app import ListenError, Service


def main(argv=None):
    parser = argparse.ArgumentParser(prog="python3 -m service")
    parser.add_argument("--data", required=True, help="data directory")
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--http-port", type=int, default=80)
    parser.add_argument("--ftp-port", type=int, default=21)
    parser.add_argument("--verbose", action="store_true",
                        help="log requests and FTP sessions on stderr")
    args = parser.parse_args(argv)

    stop = threading.Event()
    for sig in (signal.SIGTERM, signal.SIGINT):
        signal.signal(sig, lambda *_: stop.set())

    try:
        service = Service(args.data, args.host, args.http_port, args.ftp_port,
                          args.verbose)
    except ListenError as err:
        print("%s: %s" % (parser.prog, err), file=sys.stderr)
        return 1
    service.start()
    if args.http_port and args.ftp_port:
        print("ready", flush=True)
    else:
        print("ready http=%d ftp=%d" % (service.http_port, service.ftp_port),
              flush=True)
    while not stop.wait(0.5):
        pass
    service.stop()
    return 0


if __name__ == "__main__":
    sys.exit(main())
