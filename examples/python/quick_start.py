#!/usr/bin/python3
"""The README's Python quick start: check a login, upload files as a new asset with a progress
line (Ctrl-C cancels, and the service keeps nothing of it), then list the user's assets.

    VANTA_PASSWORD=secret quick_start.py USER PRODUCT NAME FILE...

The service is the one the environment names (VANTA_SERVER, VANTA_HTTP_PORT, ...).
Exit status: 0 done, 1 refused or failed, 2 wrong usage, 130 cancelled."""
import os
import sys

import vanta


def show(job: vanta.Job, progress: vanta.Progress) -> None:
    # On the job's worker thread; the transfer waits for it, so it only prints.
    done = 100 * progress.bytes // progress.total if progress.total else 0
    print("\r%-12s %3d %%" % (progress.phase.name.lower(), done), end="", file=sys.stderr)


def main(user: str, product: int, name: str, files: list) -> int:
    try:
        with vanta.Client.from_environment() as client:
            client.validate_user(user, os.environ.get("VANTA_PASSWORD", ""), product)
            with client.upload(user_id=user, product=product, name=name, files=files,
                               on_progress=show) as job:
                outcome = job.result()  # leaving the block early cancels the job
            print(file=sys.stderr)
            print("uploaded asset %s: %s" % (outcome.asset_number, outcome.page_address))
            for asset in client.asset_list(user, product):
                print(asset.asset_number, asset.name, *asset.file_names)
    except vanta.Error as error:  # one subclass per category: vanta.WrongPasswordError, ...
        print("\n%s: %s" % (type(error).__name__, error.reason), file=sys.stderr)
        return 1
    except KeyboardInterrupt:
        print("\ncancelled", file=sys.stderr)
        return 130
    return 0


if __name__ == "__main__":
    if len(sys.argv) < 5 or not sys.argv[2].isdigit():
        print(__doc__.split("\n\n")[1].strip(), file=sys.stderr)
        sys.exit(2)
    sys.exit(main(sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4:]))
