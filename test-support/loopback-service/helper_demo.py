#!/usr/bin/env python3
"""The session helper shown end to end: a demo service on 127.0.0.1:25681, connhelper under
Wine, the user name it reports, a notification (shown by the fallback message box, which the
demo dismisses), and a stop. Prints each frame that passes."""

import argparse
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from loopback_service import LoopbackService, frame  # noqa: E402


def show(direction, type_, code, payload):
    print(f"  {direction} type {type_} code {code} payload {payload!r}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--wine-run", required=True)
    parser.add_argument("--connhelper", required=True)
    parser.add_argument("--boxclick", required=True)
    args = parser.parse_args()
    service = LoopbackService()
    print("demo service listening on 127.0.0.1:25681; starting connhelper under Wine")
    helper = subprocess.Popen([args.wine_run, args.connhelper])
    try:
        first = service.next_frame(30)
        show("helper -> service", first.type, first.code, first.payload)
        name = first.payload[5:].decode("latin-1")
        print(f"connhelper reports the session user {name!r}")
        note = "Bedtime*Screens off at 21:00".encode("utf-8")
        service.send(frame(2, 1, note))
        show("service -> helper", 2, 1, note)
        box = subprocess.run([args.wine_run, args.boxclick, "--dismiss"], capture_output=True, text=True, timeout=60)
        print(f"notification shown as a message box (no toasts under Wine): {box.stdout.strip()!r}, dismissed")
        service.send(frame(1, 2))
        show("service -> helper", 1, 2, b"")
        print(f"connhelper exited with status {helper.wait(timeout=30)}")
    finally:
        if helper.poll() is None:
            helper.kill()
        service.close()


if __name__ == "__main__":
    sys.exit(main())
