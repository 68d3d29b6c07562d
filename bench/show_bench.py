#!/usr/bin/python3
"""A show, compressed: Wavecrest and Chromium side by side for a long while.

Starts the local station (station/station.py: the real player and chat pages,
the tone stream, the live chat room) on 127.0.0.1, then Wavecrest and
Chromium (each page in its own --app window) at the same time on one X server
(run it through scripts/with-xvfb.sh, as browser_bench.sh --show does). A bot
posts to the chat room several times a second while the player plays; each
program's whole process tree is sampled every 30 s (PSS, and the memory it
takes alone where readable). Then the bot stops and the UI thread's wake-ups
are counted in 10 s windows until they fall under 1 per second.

Prints each program's memory growth in MB per hour (least squares over the
samples after the first), the ratio Wavecrest / Chromium, and how long each
took to settle once the room went quiet. Standard library only.
"""

import itertools
import json
import os
import statistics
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request

from browser_bench import (Bench, become_subreaper, context_switches, program_arguments, pss_kb,
                           process_tree, reap, stop_tree, unique_pages_mb)

STATION = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "station", "station.py")
CHAT_TITLE = "Wavecrest Chat - Local Station"
QUIET_WAKEUPS = 1.0  # per second


def start_station(port, folder):
    ready = os.path.join(folder, "ready.json")
    station = subprocess.Popen(
        ["/usr/bin/python3", STATION, "--http-port", str(port), "--ftp-port", "0",
         "--passive-ports", "auto", "--root", os.path.join(folder, "songs"),
         "--ready-file", ready, "--quiet", "--watch-pid", str(os.getpid())])
    deadline = time.monotonic() + 30
    while not os.path.exists(ready):
        if station.poll() is not None or time.monotonic() > deadline:
            raise RuntimeError("the local station did not start")
        time.sleep(0.1)
    return station


class ChatBot:
    """Posts to the chat room `rate` times a second until stopped."""

    def __init__(self, port, rate):
        self.url = f"http://127.0.0.1:{port}/chat/send"
        self.rate = rate
        self.posted = 0
        self.stop = threading.Event()
        self.thread = threading.Thread(target=self._run, daemon=True)

    def _run(self):
        for n in itertools.count():
            if self.stop.wait(1 / self.rate):
                return
            body = json.dumps({"name": f"bot{n % 7}",
                               "text": f"message {n}: what a song, play it again!"}).encode()
            request = urllib.request.Request(self.url, body,
                                             {"Content-Type": "application/json"})
            try:
                urllib.request.urlopen(request, timeout=5).read()
                self.posted += 1
            except OSError:
                pass  # a busy station drops a post; the next one comes

    def start(self):
        self.thread.start()

    def finish(self):
        self.stop.set()
        self.thread.join()


def growth_mb_per_hour(samples):
    """Least-squares slope of (seconds, MB) samples, in MB per hour."""
    if len(samples) < 2:
        return float("nan")
    times = [t for t, _ in samples]
    values = [v for _, v in samples]
    mean_t, mean_v = statistics.fmean(times), statistics.fmean(values)
    spread = sum((t - mean_t) ** 2 for t in times)
    slope = sum((t - mean_t) * (v - mean_v) for t, v in samples) / spread
    return slope * 3600


class Program:
    """One program under the show: its processes and its samples."""

    def __init__(self, who, bench, port):
        self.who = who
        self.home = tempfile.mkdtemp(prefix=who.lower() + "-", dir=bench.work)
        env, commands = bench.commands(who, self.home)
        self.log = open(os.path.join(self.home, "output.log"), "wb")
        self.processes = [subprocess.Popen(c, env=env, stdout=self.log, stderr=self.log,
                                           start_new_session=True) for c in commands]
        self.pss = []
        self.alone = []

    def main(self):
        # Of two Chromium starts one becomes the browser, the other ends.
        return next((p for p in self.processes if p.poll() is None), self.processes[0])

    def tree(self):
        # Both programs run at once: only what descends from this one's main
        # process is its own (not what the bench adopted, which may be either's).
        return process_tree(self.main().pid)

    def sample(self, at):
        tree = self.tree()
        self.pss.append((at, sum(pss_kb(p) for p in tree) / 1024))
        alone = unique_pages_mb(tree)
        if alone is not None:
            self.alone.append((at, alone))

    def stop(self):
        stop_tree(self.tree() | {p.pid for p in self.processes})
        for p in self.processes:
            try:
                p.wait(timeout=5)
            except subprocess.TimeoutExpired:
                p.kill()
        self.log.close()


def seconds_until_quiet(programs, longest, window=10.0):
    """Seconds after the room went quiet until each UI thread woke less than
    QUIET_WAKEUPS a second over a whole window (None when not within
    `longest`), and each one's wake-ups per second in the last window."""
    settled = {p.who: None for p in programs}
    rates = {}
    started = time.monotonic()
    while time.monotonic() - started < longest:
        before = {p.who: context_switches(p.main().pid) for p in programs}
        time.sleep(window)
        rates = {p.who: (context_switches(p.main().pid) - before[p.who]) / window
                 for p in programs}
        print(f"  quiet room, {time.monotonic() - started:3.0f} s: " +
              ", ".join(f"{who} {rate:5.1f} wake-ups/s" for who, rate in rates.items()),
              flush=True)
        for who, rate in rates.items():
            if settled[who] is None and rate < QUIET_WAKEUPS:
                settled[who] = time.monotonic() - started
    return settled, rates


def main():
    parser = program_arguments(__doc__)
    parser.add_argument("--minutes", type=float, default=20.0, help="length of the show")
    parser.add_argument("--rate", type=float, default=4.0, help="chat posts per second")
    parser.add_argument("--sample", type=float, default=30.0, help="seconds between samples")
    parser.add_argument("--quiet", type=float, default=60.0,
                        help="seconds allowed to settle once the room is quiet")
    parser.add_argument("--timeout", type=float, default=60.0)
    args = parser.parse_args()
    args.wavecrest_flags = None  # what Bench.commands reads: the program's own flags

    become_subreaper()
    bench = Bench(args)
    bench.start_x()
    station = start_station(args.port, bench.work)
    programs = []
    try:
        started = time.monotonic()
        programs = [Program(who, bench, args.port) for who in ("Wavecrest", "Chromium")]
        while sum(CHAT_TITLE in t for t in bench.titles.all()) < len(programs):
            if time.monotonic() > started + args.timeout:
                raise RuntimeError(f"the chat page did not show in both (logs in {bench.work})")
            time.sleep(0.1)
        bot = ChatBot(args.port, args.rate)
        bot.start()
        show_start = time.monotonic()
        print(f"Xvfb {bench.display}, station on 127.0.0.1:{args.port}; a show of "
              f"{args.minutes:g} min, {args.rate:g} chat posts/s, a sample every "
              f"{args.sample:g} s; load average {os.getloadavg()[0]:.2f}", flush=True)
        while (now := time.monotonic()) - show_start < args.minutes * 60:
            for p in programs:
                p.sample(now - show_start)
            print(f"  {(now - show_start) / 60:5.1f} min: " + ", ".join(
                f"{p.who} {p.pss[-1][1]:6.1f} MB" for p in programs), flush=True)
            time.sleep(max(0.0, args.sample - (time.monotonic() - now)))
        bot.finish()
        settled, last_rates = seconds_until_quiet(programs, args.quiet)
        reap()
    finally:
        for p in programs:
            p.stop()
        station.terminate()
        station.wait(timeout=10)
        bench.close()

    print(f"\n{bot.posted} chat posts; load average {os.getloadavg()[0]:.2f}")
    growth = {}
    for p in programs:
        # The first sample is still the start-up; growth is what follows.
        growth[p.who] = growth_mb_per_hour(p.pss[1:])
        alone = growth_mb_per_hour(p.alone[1:]) if p.alone else float("nan")
        quiet = settled[p.who]
        print(f"{p.who:9}: growth {growth[p.who]:+7.1f} MB/h PSS ({alone:+7.1f} MB/h alone), "
              f"quiet room: " + (f"under {QUIET_WAKEUPS:g} wake-up/s after {quiet:.0f} s"
                                 if quiet is not None else
                                 f"not under {QUIET_WAKEUPS:g} wake-up/s within {args.quiet:g} s"))
    ours, theirs = growth["Wavecrest"], growth["Chromium"]
    ratio = ours / theirs if theirs > 0 else float("nan")
    print(f"growth ratio Wavecrest / Chromium: {ratio:.2f}")
    # Both players still play in the quiet room, so neither UI thread idles.
    waking = {who: last_rates.get(who, float("nan")) for who in growth}
    print(f"quiet room, last 10 s, both players playing: Wavecrest "
          f"{waking['Wavecrest']:.1f} wake-ups/s, Chromium {waking['Chromium']:.1f}/s, ratio "
          f"{waking['Wavecrest'] / waking['Chromium'] if waking['Chromium'] else float('nan'):.2f}")
    verdicts = [("Wavecrest's growth at most Chromium's", ours <= max(theirs, 0.0) + 1.0),
                ("Wavecrest quiet within a minute", settled["Wavecrest"] is not None)]
    for text, ok in verdicts:
        print(f"  {'met    ' if ok else 'MISSED '} {text}")
    return 0 if all(ok for _, ok in verdicts) else 1


if __name__ == "__main__":
    sys.exit(main())
