#!/usr/bin/python3
"""Wavecrest local station: the show's web pages, a live chat room and an FTP
receiver for songs, all on 127.0.0.1, so the whole program can be tried on
one machine without the real station site.

Runs in the foreground until SIGTERM, SIGINT or SIGHUP (or until the process
given by --watch-pid ends), then closes both servers and exits.
"""

import argparse
import json
import os
import signal
import sys
import threading
import time

import chat_room
import station_http
import tone_stream
from ftp_receiver import FtpReceiver

LOOPBACK = "127.0.0.1"


def default_root():
    state = os.environ.get("XDG_STATE_HOME") or os.path.join(os.path.expanduser("~"), ".local",
                                                             "state")
    return os.path.join(state, "wavecrest-station", "songs")


def passive_port_range(text):
    """"first-last" gives that range; "auto" lets the system pick each data port."""
    if text == "auto":
        return None
    first, _, last = text.partition("-")
    try:
        first, last = int(first), int(last or first)
    except ValueError:
        raise argparse.ArgumentTypeError("expected FIRST-LAST or auto") from None
    if not 1024 <= first <= last <= 65535:
        raise argparse.ArgumentTypeError("ports must lie within 1024-65535, first <= last")
    return range(first, last + 1)


def parse_arguments(argv):
    parser = argparse.ArgumentParser(
        description="Local Wavecrest station on 127.0.0.1: web pages, chat room, FTP receiver.")
    parser.add_argument("--http-port", type=int, default=8642,
                        help="web site port (default 8642; 0 picks a free one)")
    parser.add_argument("--ftp-port", type=int, default=2121,
                        help="FTP receiver port (default 2121; 0 picks a free one)")
    parser.add_argument("--root", default=default_root(),
                        help="folder for received songs (default: %(default)s)")
    parser.add_argument("--ready-file",
                        help="written (JSON: pid, ports, root) once both servers listen; "
                             "removed at exit")
    parser.add_argument("--user", default="listener", help="FTP account (default %(default)s)")
    parser.add_argument("--password", default="request",
                        help="FTP password (default %(default)s)")
    parser.add_argument("--passive-ports", type=passive_port_range, default="60000-60099",
                        help="FTP passive data ports, FIRST-LAST or auto (default %(default)s)")
    parser.add_argument("--ftp-rate", type=int, default=0,
                        help="bytes a second the FTP receiver takes, as a slow line would "
                             "(default: no limit)")
    parser.add_argument("--watch-pid", type=int,
                        help="stop when the process with this id has ended")
    parser.add_argument("--quiet", action="store_true", help="log only problems")
    return parser.parse_args(argv)


class Log:
    def __init__(self, quiet):
        self.quiet = quiet

    def __call__(self, text):
        if not self.quiet:
            self.problem(text)

    @staticmethod
    def problem(text):
        print(time.strftime("%H:%M:%S"), text, file=sys.stderr, flush=True)


def write_ready_file(path, details):
    # Written whole under another name and renamed, so a reader never sees half of it.
    temporary = f"{path}.{os.getpid()}.tmp"
    with open(temporary, "w", encoding="utf-8") as ready:
        json.dump(details, ready)
    os.replace(temporary, path)


def process_alive(pid):
    try:
        os.kill(pid, 0)
    except ProcessLookupError:
        return False
    except PermissionError:
        return True
    try:
        # An ended process whose parent has not collected it yet is a zombie: gone for us.
        with open(f"/proc/{pid}/stat") as stat:
            return stat.read().rsplit(")", 1)[1].split()[0] != "Z"
    except (OSError, IndexError):
        return True


def wait_for_stop(stop, watched_pid):
    while not stop.wait(0.25):
        if watched_pid and not process_alive(watched_pid):
            return


def start_servers(args, site, log):
    """Both servers bound and serving, or an OSError with neither left open."""
    web = station_http.StationHttpServer((LOOPBACK, args.http_port), site)
    try:
        ftp = FtpReceiver(LOOPBACK, args.ftp_port, site.songs_root, args.user, args.password,
                          args.passive_ports, log, args.ftp_rate)
    except BaseException:
        web.server_close()
        raise
    threading.Thread(target=web.serve_forever, kwargs={"poll_interval": 0.2}, name="http",
                     daemon=True).start()
    ftp.start()
    return web, ftp


def stop_servers(web, ftp, chat):
    chat.close()  # releases long-polling readers first, so no request holds the stop up
    web.shutdown()
    web.server_close()
    ftp.stop()


def main(argv):
    args = parse_arguments(argv)
    log = Log(args.quiet)

    stop = threading.Event()
    for signal_number in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(signal_number, lambda *_: stop.set())

    root = os.path.abspath(args.root)
    os.makedirs(root, exist_ok=True)
    chat = chat_room.ChatRoom()
    site = station_http.StationSite(root, chat, tone_stream.render_wav(), log)
    try:
        web, ftp = start_servers(args, site, log)
    except OSError as error:
        Log.problem(f"cannot start the station: {error}")
        return 2

    details = {"pid": os.getpid(), "http_port": web.server_port, "ftp_port": ftp.port,
               "root": root, "url": f"http://{LOOPBACK}:{web.server_port}/"}
    log(f"web site http://{LOOPBACK}:{web.server_port}/  FTP {LOOPBACK}:{ftp.port} "
        f"(user {args.user})  songs in {root}")
    try:
        if args.ready_file:
            write_ready_file(args.ready_file, details)
        wait_for_stop(stop, args.watch_pid)
    finally:
        stop_servers(web, ftp, chat)
        if args.ready_file and os.path.exists(args.ready_file):
            os.remove(args.ready_file)
        log("station stopped")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
