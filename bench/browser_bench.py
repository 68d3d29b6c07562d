#!/usr/bin/python3
"""Wavecrest against Chromium showing the same two station pages.

Serves a player page (an HTML5 audio element) and a chat page (some script,
a title, answered after a fixed delay) on 127.0.0.1, then runs rounds that
alternate Wavecrest and Chromium on one X server (run it through
scripts/with-xvfb.sh, as browser_bench.sh does), and measures for each:

  start-up  time from process start until a window title shows the chat
            page's title, minus the chat page's fixed delay;
  memory    total PSS of the whole process tree once both pages have loaded
            and settled;
  idle      over the following seconds: CPU of the whole tree (% of one
            core) and wake-ups per second of the main (user-interface)
            thread, i.e. its voluntary and involuntary context switches.

Standard library only; window titles are read from the X server through
libX11 with ctypes.
"""

import argparse
import array
import ctypes
import ctypes.util
import http.server
import math
import os
import shutil
import signal
import statistics
import struct
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "station"))
import station_http  # noqa: E402

CHAT_TITLE = "Wavecrest bench chat room"
PLAYER_TITLE = "Wavecrest bench player"
CHAT_PATH = "/Wavecrest/chatonly.html"
PLAYER_PATH = "/Wavecrest/playeronly.html"
TONE_PATH = "/Wavecrest/tone.wav"

PLAYER_PAGE = f"""<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>{PLAYER_TITLE}</title></head>
<body style="margin:4px;font:13px sans-serif">
<audio id="player" controls preload="auto" src="{TONE_PATH}"></audio>
<span>On air: the bench show</span>
</body></html>
"""

CHAT_PAGE = f"""<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>{CHAT_TITLE}</title>
<style>
 body {{ font: 13px sans-serif; margin: 6px }}
 #lines p {{ margin: 1px 0 }} .nick {{ font-weight: bold; color: #246 }}
</style></head>
<body>
<div id="lines"></div>
<form id="say"><input id="nick" size="10"> <input id="text" size="60">
<button>Say</button></form>
<script>
 const nicks = ["dj", "listener", "owl", "tuner", "night"];
 const lines = document.getElementById("lines");
 function add(nick, text) {{
   const p = document.createElement("p");
   const n = document.createElement("span");
   n.className = "nick"; n.textContent = nick + ": ";
   p.append(n, text); lines.append(p);
 }}
 for (let i = 0; i < 120; ++i)
   add(nicks[i % nicks.length], "message number " + i + " about the song on air");
 const nick = document.getElementById("nick");
 nick.value = localStorage.getItem("nick") || "guest" + Math.floor(Math.random() * 1000);
 localStorage.setItem("nick", nick.value);
 document.cookie = "chat_session=bench; path=/";
 document.getElementById("say").addEventListener("submit", (e) => {{
   e.preventDefault();
   add(nick.value, document.getElementById("text").value);
 }});
</script>
</body></html>
"""


def tone_wav(seconds=2, rate=8000):
    """A short 440 Hz tone, 8-bit mono PCM."""
    samples = bytes(int(128 + 60 * math.sin(2 * math.pi * 440 * i / rate))
                    for i in range(seconds * rate))
    header = b"RIFF" + struct.pack("<I", 36 + len(samples)) + b"WAVE"
    header += b"fmt " + struct.pack("<IHHIIHH", 16, 1, 1, rate, rate, 1, 8)
    header += b"data" + struct.pack("<I", len(samples))
    return header + samples


# ---------------------------------------------------------------- station


class Station:
    """The two pages on 127.0.0.1, counting the requests of each run."""

    def __init__(self, port, chat_delay):
        self.chat_delay = chat_delay
        self.requests = []
        self.lock = threading.Lock()
        station = self
        tone = tone_wav()

        class Handler(http.server.BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"

            def do_GET(self):
                path = self.path.split("?")[0]
                with station.lock:
                    station.requests.append(path)
                if path == CHAT_PATH:
                    time.sleep(station.chat_delay)
                    self.reply(200, "text/html; charset=utf-8", CHAT_PAGE.encode())
                elif path == PLAYER_PATH:
                    self.reply(200, "text/html; charset=utf-8", PLAYER_PAGE.encode())
                elif path == TONE_PATH:
                    self.reply(200, "audio/wav", tone)
                else:
                    self.reply(404, "text/plain", b"not here\n")

            def reply(self, status, kind, body):
                self.send_response(status)
                self.send_header("Content-Type", kind)
                self.send_header("Content-Length", str(len(body)))
                self.send_header("Cache-Control", "no-store")
                self.end_headers()
                self.wfile.write(body)

            def log_message(self, *args):
                pass

        self.server = station_http.LoopbackHttpServer(("127.0.0.1", port), Handler)
        threading.Thread(target=self.server.serve_forever, daemon=True).start()

    def reset(self):
        with self.lock:
            self.requests.clear()

    def served(self, path):
        with self.lock:
            return path in self.requests

    def close(self):
        self.server.shutdown()


# ---------------------------------------------------------------- X titles


class Titles:
    """Reads the titles of the top-level windows of one X display."""

    def __init__(self, display):
        self.x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        x = self.x
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x.XInternAtom.restype = ctypes.c_ulong
        x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                 ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_ulong),
                                 ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                                 ctypes.POINTER(ctypes.c_uint)]
        x.XGetWindowProperty.argtypes = [
            ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_long, ctypes.c_long,
            ctypes.c_int, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
            ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_ulong),
            ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_void_p)]
        x.XFree.argtypes = [ctypes.c_void_p]
        # Windows vanish between listing and reading: ignore those errors.
        handler_type = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
        self._handler = handler_type(lambda d, e: 0)
        x.XSetErrorHandler(self._handler)
        self.dpy = x.XOpenDisplay(display.encode())
        if not self.dpy:
            raise RuntimeError("cannot open display " + display)
        self.root = x.XDefaultRootWindow(self.dpy)
        self.names = [x.XInternAtom(self.dpy, b"_NET_WM_NAME", 0),
                      x.XInternAtom(self.dpy, b"WM_NAME", 0)]

    def _children(self, window):
        root, parent = ctypes.c_ulong(), ctypes.c_ulong()
        kids, count = ctypes.POINTER(ctypes.c_ulong)(), ctypes.c_uint()
        if not self.x.XQueryTree(self.dpy, window, ctypes.byref(root), ctypes.byref(parent),
                                 ctypes.byref(kids), ctypes.byref(count)):
            return []
        result = [kids[i] for i in range(count.value)]
        if kids:
            self.x.XFree(kids)
        return result

    def _title(self, window):
        for atom in self.names:
            kind, fmt = ctypes.c_ulong(), ctypes.c_int()
            items, after, data = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_void_p()
            status = self.x.XGetWindowProperty(
                self.dpy, window, atom, 0, 1024, 0, 0, ctypes.byref(kind), ctypes.byref(fmt),
                ctypes.byref(items), ctypes.byref(after), ctypes.byref(data))
            if status == 0 and data.value:
                text = ctypes.string_at(data.value, items.value).decode("utf-8", "replace")
                self.x.XFree(data)
                if text:
                    return text
        return ""

    def all(self):
        """Titles of the root's children and grandchildren (no window manager)."""
        titles = []
        for top in self._children(self.root):
            titles.append(self._title(top))
            titles.extend(self._title(w) for w in self._children(top))
        return [t for t in titles if t]

    def wait_for(self, text, deadline, step=0.005):
        """Monotonic time at which some window title first contains text."""
        while time.monotonic() < deadline:
            if any(text in title for title in self.all()):
                return time.monotonic()
            time.sleep(step)
        return None


# ---------------------------------------------------------------- processes

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")
PRESENT = 1 << 63
PFN_MASK = (1 << 55) - 1


def read_stat(pid):
    with open(f"/proc/{pid}/stat") as f:
        rest = f.read().rsplit(")", 1)[1].split()
    return {"ppid": int(rest[1]), "cpu_ticks": int(rest[11]) + int(rest[12])}


def all_stats():
    stats = {}
    for name in os.listdir("/proc"):
        if name.isdigit():
            try:
                stats[int(name)] = read_stat(name)
            except (OSError, IndexError, ValueError):
                pass
    return stats


def process_tree(root_pid, adopted_parent=None, exclude=()):
    """root_pid and its descendants, by ppid. Processes that left their parent
    (double-forked helpers) were re-parented to adopted_parent, a child
    subreaper: they count too, except the pids in exclude."""
    stats = all_stats()
    children = {}
    for pid, stat in stats.items():
        children.setdefault(stat["ppid"], []).append(pid)
    tops = [root_pid]
    if adopted_parent is not None:
        tops += [p for p in children.get(adopted_parent, []) if p not in exclude]
    tree, todo = set(), list(tops)
    while todo:
        pid = todo.pop()
        if pid in tree or pid not in stats:
            continue
        tree.add(pid)
        todo.extend(children.get(pid, []))
    return tree


def pss_kb(pid):
    try:
        with open(f"/proc/{pid}/smaps_rollup") as f:
            for line in f:
                if line.startswith("Pss:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def print_tree(pids):
    for pid in sorted(pids):
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                words = f.read().split(b"\0")
        except OSError:
            continue
        # Chromium rewrites its helpers' command lines into one string.
        words = b" ".join(words).decode(errors="replace").split()
        kind = [w for w in words if w.startswith("--type=")] or ["(main)"]
        name = os.path.basename(words[0]) if words else "?"
        print(f"    {pid:7} {pss_kb(pid) / 1024:7.1f} MB  {name} {kind[0]}")


def thread_ticks(pids):
    ticks = {}
    for pid in pids:
        try:
            for tid in os.listdir(f"/proc/{pid}/task"):
                with open(f"/proc/{pid}/task/{tid}/stat") as f:
                    head, rest = f.read().rsplit(")", 1)
                rest = rest.split()
                ticks[(pid, tid, head.split("(", 1)[1])] = int(rest[11]) + int(rest[12])
        except OSError:
            pass
    return ticks


def print_busy_threads(pids, seconds, before):
    after = thread_ticks(pids)
    for key, ticks in sorted(after.items(), key=lambda kv: before.get(kv[0], 0) - kv[1]):
        used = ticks - before.get(key, 0)
        if used > 0:
            print(f"    thread {key[0]}/{key[1]} {key[2]:18} "
                  f"{100.0 * used / CLOCK_TICKS / seconds:5.2f} %")


def resident_regions(pid):
    """Address ranges of a process's mappings that have resident pages."""
    regions, start, end = [], None, None
    with open(f"/proc/{pid}/smaps") as f:
        for line in f:
            head = line.split(None, 1)[0]
            if "-" in head and not head.endswith(":"):
                start, end = (int(x, 16) for x in head.split("-"))
            elif head == "Rss:" and int(line.split()[1]) > 0:
                regions.append((start, end))
    return regions


def unique_pages_mb(pids):
    """Memory the tree occupies on its own: the distinct physical pages that
    its processes map (PSS counted as if no process outside the tree shared
    a page). Needs root for the page frame numbers; None otherwise."""
    page = os.sysconf("SC_PAGE_SIZE")
    frames = set()
    for pid in pids:
        try:
            regions = resident_regions(pid)
            with open(f"/proc/{pid}/pagemap", "rb") as f:
                for start, end in regions:
                    f.seek(start // page * 8)
                    entries = array.array("Q", f.read((end - start) // page * 8))
                    frames.update(e & PFN_MASK for e in entries if e & PRESENT)
        except OSError:
            continue
    frames.discard(0)
    return len(frames) * page / 2**20 if frames else None


def engine_sharers(tree, engine):
    """Processes outside the tree that map the same engine library: they
    lower the tree's PSS."""
    count = 0
    for name in os.listdir("/proc"):
        if not name.isdigit() or int(name) in tree:
            continue
        try:
            with open(f"/proc/{name}/maps") as f:
                maps = f.read()
        except OSError:
            continue
        if engine in maps:
            count += 1
    return count


def cpu_ticks(pids):
    total = 0
    for pid in pids:
        try:
            total += read_stat(pid)["cpu_ticks"]
        except (OSError, IndexError, ValueError):
            pass
    return total


def context_switches(pid):
    """Voluntary plus involuntary context switches of a process's main thread."""
    total = 0
    with open(f"/proc/{pid}/task/{pid}/status") as f:
        for line in f:
            if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                total += int(line.split()[1])
    return total


def become_subreaper():
    libc = ctypes.CDLL(None, use_errno=True)
    pr_set_child_subreaper = 36
    libc.prctl(pr_set_child_subreaper, 1, 0, 0, 0)


def reap():
    while True:
        try:
            pid, _ = os.waitpid(-1, os.WNOHANG)
        except ChildProcessError:
            return
        if pid == 0:
            return


def stop_tree(pids):
    for sig, wait in ((signal.SIGTERM, 3.0), (signal.SIGKILL, 3.0)):
        for pid in pids:
            try:
                os.kill(pid, sig)
            except ProcessLookupError:
                pass
        deadline = time.monotonic() + wait
        while time.monotonic() < deadline:
            reap()
            if not any(os.path.exists(f"/proc/{p}/stat") and not is_zombie(p) for p in pids):
                return
            time.sleep(0.05)


def is_zombie(pid):
    try:
        with open(f"/proc/{pid}/stat") as f:
            return f.read().rsplit(")", 1)[1].split()[0] == "Z"
    except OSError:
        return True


# ---------------------------------------------------------------- one run


class Bench:
    def __init__(self, args):
        self.args = args
        self.root = os.geteuid() == 0
        self.work = tempfile.mkdtemp(prefix="wavecrest-bench-")
        self.display = None

    def start_x(self):
        """Attaches to the X server of scripts/with-xvfb.sh (DISPLAY)."""
        self.display = os.environ["DISPLAY"]
        self.titles = Titles(self.display)

    def environment(self, home):
        env = dict(os.environ)
        for name in ("HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"):
            env.pop(name, None)
        env.update(HOME=home, DISPLAY=self.display, QT_QPA_PLATFORM="xcb")
        env.pop("WAYLAND_DISPLAY", None)
        return env

    def commands(self, who, home):
        base = f"http://127.0.0.1:{self.args.port}"
        if who == "Wavecrest":
            env = self.environment(home)
            if self.root:
                env["QTWEBENGINE_DISABLE_SANDBOX"] = "1"
            if self.args.wavecrest_flags is not None:
                env["QTWEBENGINE_CHROMIUM_FLAGS"] = self.args.wavecrest_flags
            else:
                env.pop("QTWEBENGINE_CHROMIUM_FLAGS", None)
            return env, [[self.args.wavecrest]]
        env = self.environment(home)
        flags = [f"--user-data-dir={home}/chromium", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update",
                 "--disable-sync", "--disable-default-apps", "--no-default-browser-check",
                 "--disable-features=Translate,MediaRouter", "--password-store=basic",
                 # The panes play without a click; so does Chromium here, or
                 # its player would stand still while ours plays.
                 "--autoplay-policy=no-user-gesture-required"]
        if self.root:
            flags.append("--no-sandbox")
        return env, [[self.args.chromium, *flags, f"--app={base}{PLAYER_PATH}"],
                     [self.args.chromium, *flags, f"--app={base}{CHAT_PATH}"]]

    def run(self, who, station):
        home = tempfile.mkdtemp(prefix=who.lower() + "-", dir=self.work)
        env, commands = self.commands(who, home)
        station.reset()
        logs = open(os.path.join(home, "output.log"), "wb")
        started = time.monotonic()
        processes = [subprocess.Popen(c, env=env, stdout=logs, stderr=logs,
                                      start_new_session=True) for c in commands]
        main = processes[0]
        result = {}
        try:
            shown = self.titles.wait_for(CHAT_TITLE, started + self.args.timeout)
            if shown is None:
                raise RuntimeError(f"{who}: the chat page's title never showed "
                                   f"(log in {logs.name})")
            result["startup_ms"] = (shown - started - station.chat_delay) * 1000
            if who == "Chromium":
                self.titles.wait_for(PLAYER_TITLE, started + self.args.timeout)
            if not station.served(PLAYER_PATH):
                raise RuntimeError(f"{who}: the player page was never requested")
            time.sleep(self.args.settle)
            reap()
            # Of two Chromium starts one becomes the browser, the other hands
            # its window over and ends (which one is a race).
            main = next((p for p in processes if p.poll() is None), main)
            tree = process_tree(main.pid, os.getpid(), set())
            result["pss_mb"] = sum(pss_kb(p) for p in tree) / 1024
            result["unique_mb"] = unique_pages_mb(tree)
            result["sharers"] = engine_sharers(
                tree, "libQt6WebEngineCore" if who == "Wavecrest" else "/chromium/chromium")
            result["processes"] = len(tree)
            if self.args.detail:
                print_tree(tree)
            busy0 = thread_ticks(tree) if self.args.detail else None
            ticks0, switches0, t0 = cpu_ticks(tree), context_switches(main.pid), time.monotonic()
            time.sleep(self.args.idle)
            ticks1, switches1, t1 = cpu_ticks(tree), context_switches(main.pid), time.monotonic()
            if self.args.detail:
                print_busy_threads(tree, t1 - t0, busy0)
            result["cpu_pct"] = 100.0 * (ticks1 - ticks0) / CLOCK_TICKS / (t1 - t0)
            result["wakeups_s"] = (switches1 - switches0) / (t1 - t0)
        finally:
            tree = process_tree(main.pid, os.getpid(), set())
            stop_tree(tree | {p.pid for p in processes})
            for p in processes:
                try:
                    p.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    p.kill()
            reap()
            logs.close()
        return result

    def close(self):
        shutil.rmtree(self.work, ignore_errors=True)


# ---------------------------------------------------------------- report

# The goals: a page process per pane within 0.4 x Chromium's memory, and
# start-up within 0.35 x its overhead.
METRICS = [("startup_ms", "start-up overhead (ms)", 0.35),
           ("pss_mb", "memory, PSS of the tree (MB)", 0.4),
           ("unique_mb", "memory, tree alone (MB)", 0.4),
           ("cpu_pct", "idle CPU (% of one core)", None),
           ("wakeups_s", "idle UI-thread wake-ups (/s)", None),
           ("processes", "processes", None)]


def summary(values):
    return (f"{statistics.median(values):8.1f}  ({min(values):.1f}-{max(values):.1f})")


def report(results, args):
    print()
    print(f"{'metric':32} {'Wavecrest median (min-max)':>28} {'Chromium median (min-max)':>28}"
          f" {'ratio':>6}")
    verdicts = []
    for key, label, target in METRICS:
        ours = [r[key] for r in results["Wavecrest"] if r[key] is not None]
        theirs = [r[key] for r in results["Chromium"] if r[key] is not None]
        if not ours or not theirs:
            continue  # page frames are readable by root only
        ratio = statistics.median(ours) / statistics.median(theirs) if statistics.median(
            theirs) else float("nan")
        print(f"{label:32} {summary(ours):>28} {summary(theirs):>28} {ratio:6.2f}")
        if target is not None:
            verdicts.append((f"{label} ratio <= {target}", ratio <= target))
    ours = results["Wavecrest"]
    verdicts.append(("Wavecrest idle wake-ups < 20/s",
                     statistics.median([r["wakeups_s"] for r in ours]) < 20))
    verdicts.append(("Wavecrest idle CPU < 1 %",
                     statistics.median([r["cpu_pct"] for r in ours]) < 1))
    print()
    for text, ok in verdicts:
        print(f"  {'met    ' if ok else 'MISSED '} {text}")
    return all(ok for _, ok in verdicts)


def announce_screen_reader():
    """Says on the session bus what a screen reader says as it starts; the
    accessibility bus (at-spi2-core) starts on the request."""
    subprocess.run(["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus",
                    "/org/a11y/bus", "org.freedesktop.DBus.Properties.Set",
                    "string:org.a11y.Status", "string:ScreenReaderEnabled",
                    "variant:boolean:true"], check=True, stdout=subprocess.DEVNULL, timeout=30)


def program_arguments(description):
    """A parser with what every bench of the two programs needs."""
    parser = argparse.ArgumentParser(description=description,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--wavecrest", required=True, help="the Wavecrest executable")
    parser.add_argument("--chromium", default="chromium")
    parser.add_argument("--port", type=int, required=True,
                        help="the port Wavecrest was built to use")
    return parser


def main():
    parser = program_arguments(__doc__)
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--chat-delay-ms", type=int, default=500)
    parser.add_argument("--settle", type=float, default=5.0,
                        help="seconds between the chat title and the memory reading")
    parser.add_argument("--idle", type=float, default=10.0, help="seconds of idle measurement")
    parser.add_argument("--timeout", type=float, default=60.0)
    parser.add_argument("--wavecrest-flags", default=None,
                        help="QTWEBENGINE_CHROMIUM_FLAGS for Wavecrest (default: unset)")
    parser.add_argument("--detail", action="store_true",
                        help="list the PSS of each process of the tree")
    parser.add_argument("--only", choices=["Wavecrest", "Chromium"], default=None)
    parser.add_argument("--screen-reader", action="store_true",
                        help="a screen reader listens: run under dbus-run-session, where the "
                             "desktop's accessibility bus is started and told so")
    args = parser.parse_args()
    if args.screen_reader:
        announce_screen_reader()

    become_subreaper()
    station = Station(args.port, args.chat_delay_ms / 1000)
    bench = Bench(args)
    results = {"Wavecrest": [], "Chromium": []}
    try:
        bench.start_x()
        sandbox = ("as root: QTWEBENGINE_DISABLE_SANDBOX=1 for Wavecrest, --no-sandbox for "
                   "Chromium (both without sandbox)" if bench.root else
                   "as a normal user: both with their sandbox")
        print(f"Xvfb {bench.display}, pages on 127.0.0.1:{args.port}, chat page delay "
              f"{args.chat_delay_ms} ms, {args.rounds} rounds, settle {args.settle:g} s, "
              f"idle {args.idle:g} s; {sandbox}")
        order = [args.only] if args.only else ["Wavecrest", "Chromium"]
        for n in range(1, args.rounds + 1):
            for who in order:
                r = bench.run(who, station)
                results[who].append(r)
                print(f"round {n} {who:9}: start-up {r['startup_ms']:6.0f} ms, "
                      f"PSS {r['pss_mb']:6.1f} MB ({r['unique_mb'] or 0:6.1f} MB alone) "
                      f"in {r['processes']} processes, "
                      f"idle CPU {r['cpu_pct']:5.2f} %, UI wake-ups {r['wakeups_s']:6.1f}/s",
                      flush=True)
                if r["sharers"]:
                    print(f"    ({r['sharers']} processes outside the tree map the same engine"
                          " libraries: its PSS is lower than alone)")
    finally:
        bench.close()
        station.close()
    if args.only:
        for key, label, _ in METRICS:
            values = [r[key] for r in results[args.only] if r[key] is not None]
            if values:
                print(f"{label:32} {summary(values)}")
        return 0
    return 0 if report(results, args) else 1


if __name__ == "__main__":
    sys.exit(main())
