#!/usr/bin/env python3
"""End-to-end checks of connhelper.exe under Wine against the loopback test service.

    connhelper_e2e.py --case NAME --wine-run WINE_RUN --connhelper EXE --boxclick EXE

Each case starts the service on 127.0.0.1:25681 and connhelper, plays a scenario, and fails
with a message (exit 1) when the helper does not behave.
"""

import argparse
import getpass
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from loopback_service import LoopbackService, frame, user_name_payload, wait_until  # noqa: E402

RECONNECT = 10  # seconds between reconnect attempts
SLACK = 6


class Case:
    def __init__(self, args):
        self.args = args
        self.helper = None
        self.service = None

    def start_service(self):
        self.service = LoopbackService()

    def start_helper(self):
        self.helper = subprocess.Popen([self.args.wine_run, self.args.connhelper],
                                       stdout=subprocess.PIPE, stderr=subprocess.STDOUT)

    def expect_user_name(self, timeout):
        f = self.service.next_frame(timeout)
        expected = user_name_payload(getpass.getuser())
        check(f.type == 1 and f.code == 1, f"expected the user-name frame, got {f}")
        check(f.payload == expected, f"user name payload {f.payload!r}, expected {expected!r}")

    def box(self, dismiss=False):
        command = [self.args.wine_run, self.args.boxclick] + (["--dismiss"] if dismiss else [])
        result = subprocess.run(command, capture_output=True, text=True, timeout=60)
        check(result.returncode == 0, f"no message box found: {result.stdout}{result.stderr}")
        return result.stdout.strip().splitlines()[-1]

    def stop_and_expect_exit(self):
        self.service.send(frame(1, 2))
        try:
            code = self.helper.wait(timeout=20)
        except subprocess.TimeoutExpired:
            fail("connhelper did not exit after the stop message")
        check(code == 0, f"connhelper exited with {code}")

    def cleanup(self):
        if self.helper and self.helper.poll() is None:
            self.helper.kill()
            self.helper.wait()
        if self.service:
            self.service.close()


def check(condition, message):
    if not condition:
        fail(message)


def fail(message):
    raise AssertionError(message)


def case_user_name_and_stop(c):
    c.start_service()
    c.start_helper()
    c.expect_user_name(20)
    c.stop_and_expect_exit()


def case_service_absent_at_start(c):
    c.start_helper()
    time.sleep(3)
    c.start_service()
    c.expect_user_name(RECONNECT + SLACK)
    c.stop_and_expect_exit()


def case_reconnects_after_close(c):
    c.start_service()
    c.start_helper()
    c.expect_user_name(20)
    c.service.close_client()
    c.expect_user_name(RECONNECT + SLACK)
    check(c.service.accepted == 2, f"{c.service.accepted} connections, expected 2")
    c.stop_and_expect_exit()


def case_recovers_from_garbage(c):
    c.start_service()
    c.start_helper()
    c.expect_user_name(20)
    c.service.send(b"HTTP/1.1 400 Bad Request\r\n\r\n")
    check(c.service.wait_connections(2, RECONNECT + SLACK), "no new connection after the garbage")
    c.expect_user_name(SLACK)
    c.service.send(frame(2, 1, b"still*here"))  # the new connection parses cleanly
    check(c.box(dismiss=True) == "still|here", "notification after recovery not shown")
    c.stop_and_expect_exit()


def case_notification_box(c):
    c.start_service()
    c.start_helper()
    c.expect_user_name(20)
    c.service.send(frame(2, 1, "Bedtime*Screens off at 21:00 \u2013 sleep well".encode("utf-8")))
    check(c.box() == "Bedtime|Screens off at 21:00 \u2013 sleep well", "first notification text")
    c.service.send(frame(2, 1, b"Second*Replaces the text"))
    check(wait_until(lambda: c.box() == "Second|Replaces the text", 10), "the open box did not take the second text")
    c.box(dismiss=True)
    c.stop_and_expect_exit()


def case_stop_while_box_open(c):
    c.start_service()
    c.start_helper()
    c.expect_user_name(20)
    c.service.send(frame(2, 1, b"Open*box"))
    c.box()
    c.service.send(frame(1, 2))
    time.sleep(1)
    check(c.helper.poll() is None, "connhelper ended while its box was still open")
    c.box(dismiss=True)
    try:
        code = c.helper.wait(timeout=20)
    except subprocess.TimeoutExpired:
        fail("connhelper did not exit once the box was dismissed")
    check(code == 0, f"connhelper exited with {code}")


CASES = {name[5:]: fn for name, fn in globals().items() if name.startswith("case_")}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--case", required=True, choices=sorted(CASES))
    parser.add_argument("--wine-run", required=True)
    parser.add_argument("--connhelper", required=True)
    parser.add_argument("--boxclick", required=True)
    args = parser.parse_args()
    c = Case(args)
    try:
        CASES[args.case](c)
    except AssertionError as error:
        print(f"FAILED {args.case}: {error}")
        return 1
    except Exception as error:  # a timeout waiting for a frame, say
        print(f"FAILED {args.case}: {type(error).__name__} {error}")
        return 1
    finally:
        c.cleanup()
    print(f"passed {args.case}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
