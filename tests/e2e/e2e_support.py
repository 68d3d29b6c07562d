"""Helpers for the end-to-end tests: the build's settings, an installed
release folder, the X server driven with xdotool, the local station
and process groups that are stopped as a whole."""

import json
import os
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

SOURCE = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
STATION = os.path.join(SOURCE, "station", "station.py")
# CTest reads this exit status as "skipped".
SKIP_STATUS = 77


def wait_until(condition, timeout, interval=0.1):
    """Polls condition() until it returns something true; returns that or None."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            return None
        time.sleep(interval)


def cache_value(build, name):
    """A setting from the build's CMakeCache.txt, or None."""
    pattern = re.compile(rf"^{re.escape(name)}:[A-Z]+=(.*)$")
    with open(os.path.join(build, "CMakeCache.txt"), encoding="utf-8") as cache:
        for line in cache:
            match = pattern.match(line.rstrip("\n"))
            if match:
                return match.group(1)
    return None


def port_is_free(port):
    with socket.socket() as probe:
        probe.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        return probe.connect_ex(("127.0.0.1", port)) != 0


def install_release(build, prefix):
    """Lays out the release folder of `build` in `prefix`, as a user does."""
    result = subprocess.run(["cmake", "--install", build, "--prefix", prefix],
                            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                            timeout=120)
    if result.returncode != 0:
        raise AssertionError(f"cmake --install failed:\n{result.stdout}")
    return prefix


def end_with_parent():
    """For Popen's preexec_fn: the child gets SIGTERM when the test process
    dies, for example when CTest kills it at its time limit."""
    import ctypes
    PR_SET_PDEATHSIG = 1
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGTERM)


def group_members(group):
    """Ids of the live processes in a process group (zombies left out)."""
    members = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat", encoding="utf-8", errors="replace") as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        state, pgrp = fields[0], int(fields[2])
        if pgrp == group and state != "Z":
            members.append(int(entry))
    return members


def stop_group(group, timeout=8):
    """Ends every process of a group: TERM, then KILL for those that stay.
    Returns the ids that are still there afterwards (none, normally)."""
    for sig in (signal.SIGTERM, signal.SIGKILL):
        try:
            os.killpg(group, sig)
        except ProcessLookupError:
            return []
        if wait_until(lambda: not group_members(group), timeout):
            return []
    return group_members(group)


class XServer:
    """The X server CTest gives the test through scripts/with-xvfb.sh (as
    DISPLAY); xdotool drives the windows there."""

    def xdotool(self, *arguments, timeout=10):
        try:
            return subprocess.run(["xdotool", *map(str, arguments)], stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL, text=True,
                                  timeout=timeout).stdout.strip()
        except subprocess.TimeoutExpired:
            return ""

    def wait_for_window(self, title_pattern, timeout=30):
        found = self.xdotool("search", "--sync", "--onlyvisible", "--name", title_pattern,
                             timeout=timeout)
        return found.split()[0] if found else None

    def wait_for_window_gone(self, window, timeout=15):
        visible = lambda: window in self.xdotool("search", "--onlyvisible", "--name", ".").split()
        return wait_until(lambda: not visible(), timeout, 0.2) is not None

    def origin(self, window):
        """(x, y) of a window on the screen."""
        shell = dict(line.split("=", 1) for line in
                     self.xdotool("getwindowgeometry", "--shell", window).splitlines()
                     if "=" in line)
        return int(shell["X"]), int(shell["Y"])

    def click(self, x, y):
        # mousemove --sync waits until the pointer is there; it would wait
        # forever when it is there already, so it first leaves the spot.
        self.xdotool("mousemove", "--sync", round(x) + 1, round(y) + 1)
        self.xdotool("mousemove", "--sync", round(x), round(y))
        self.xdotool("click", 1)


class LocalStation:
    """station/station.py on 127.0.0.1, its log kept for the test to read."""

    def __init__(self, folder, http_port, ftp_port, user="listener", password="request",
                 ftp_rate=0):
        self.folder = folder
        self.songs = os.path.join(folder, "songs")
        self.log_path = os.path.join(folder, "station.log")
        ready = os.path.join(folder, "station.ready")
        with open(self.log_path, "wb") as log:
            self.process = subprocess.Popen(
                [sys.executable, STATION, "--http-port", str(http_port), "--ftp-port",
                 str(ftp_port), "--passive-ports", "auto", "--root", self.songs,
                 "--ready-file", ready, "--user", user, "--password", password,
                 "--ftp-rate", str(ftp_rate), "--watch-pid", str(os.getpid())],
                stdout=log, stderr=subprocess.STDOUT)
        if not wait_until(lambda: os.path.exists(ready) or self.process.poll() is not None, 20):
            self.stop()
            raise RuntimeError("the local station did not start in time")
        if self.process.poll() is not None:
            raise RuntimeError("the local station ended at start:\n" + self.log())
        with open(ready, encoding="utf-8") as ready_file:
            info = json.load(ready_file)
        self.http_port, self.ftp_port = info["http_port"], info["ftp_port"]
        self.url = f"http://127.0.0.1:{self.http_port}"

    def log(self):
        with open(self.log_path, encoding="utf-8", errors="replace") as log:
            return log.read()

    def requested(self, path):
        """Whether the station has answered a GET of path (any query)."""
        return re.search(rf'"GET {re.escape(path)}[ ?]', self.log()) is not None

    def stop(self):
        self.process.terminate()
        try:
            self.process.wait(5)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait(5)


def make_temp_folder(test, label):
    """A temporary folder removed when `test` ends."""
    folder = tempfile.mkdtemp(prefix=f"wavecrest-{label}-")
    test.addCleanup(shutil.rmtree, folder, ignore_errors=True)
    return folder


def run_tests(test_case_module):
    """unittest.main for CTest: exit SKIP_STATUS when every test skipped."""
    import unittest
    suite = unittest.defaultTestLoader.loadTestsFromModule(test_case_module)
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    if not result.wasSuccessful():
        return 1
    if result.skipped and os.environ.get("CI") == "true":
        print("A skipped test fails the run in CI, which has every tool installed.")
        return 1
    if result.testsRun and len(result.skipped) == result.testsRun:
        return SKIP_STATUS
    return 0
