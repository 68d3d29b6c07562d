#!/usr/bin/python3
"""The local station as a listener's program meets it: a separate process on
127.0.0.1 serving the four pages, the stream, the chat room and the FTP receiver,
and stopping without leaving anything behind.

Run with Debian's python3 (it needs pyftpdlib); WAVECREST_STATION names
station.py, otherwise it is found beside this source tree.
"""

import ftplib
import io
import json
import os
import random
import re
import signal
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import urllib.error
import urllib.request

STATION = os.environ.get("WAVECREST_STATION") or os.path.join(
    os.path.dirname(os.path.abspath(__file__)), "..", "..", "station", "station.py")
START_TIMEOUT = 15.0
STOP_TIMEOUT = 5.0
PAGES = {
    "/Wavecrest/playeronly.html": "<audio",
    "/Wavecrest/chatonly.html": "<title>Wavecrest Chat - Local Station</title>",
    "/": "Songs received",
    "/vavudavizezez/dedevirevo/wavecrest": "<title>Wavecrest Online Help</title>",
}


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def listening_addresses(port):
    """Local addresses with a listening TCP socket on port, from the kernel's tables."""
    addresses = set()
    for table in ("/proc/net/tcp", "/proc/net/tcp6"):
        if not os.path.exists(table):
            continue
        with open(table) as rows:
            next(rows)
            for row in rows:
                local, state = row.split()[1], row.split()[3]
                address, port_hex = local.split(":")
                if state == "0A" and int(port_hex, 16) == port:  # 0A: LISTEN
                    if len(address) == 8:
                        address = socket.inet_ntoa(bytes.fromhex(address)[::-1])
                    addresses.add(address)
    return addresses


class Station:
    """One station process on free ports with a songs folder of its own."""

    def __init__(self, folder, *extra_arguments):
        self.root = os.path.join(folder, "songs")
        self.ready_file = os.path.join(folder, "ready.json")
        self.log_file = os.path.join(folder, "station.log")
        with open(self.log_file, "w") as log:  # the station keeps its own copy open
            self.process = subprocess.Popen(
                [sys.executable, STATION, "--http-port", "0", "--ftp-port", "0", "--root",
                 self.root, "--ready-file", self.ready_file, *extra_arguments],
                stdout=log, stderr=subprocess.STDOUT)

    def wait_ready(self):
        deadline = time.monotonic() + START_TIMEOUT
        while not os.path.exists(self.ready_file):
            if self.process.poll() is not None or time.monotonic() > deadline:
                raise AssertionError(f"station did not start:\n{self.output()}")
            time.sleep(0.05)
        with open(self.ready_file) as ready:
            details = json.load(ready)
        self.http_port, self.ftp_port = details["http_port"], details["ftp_port"]
        return self

    def stop(self, signal_number=signal.SIGTERM):
        if self.process.poll() is None:
            self.process.send_signal(signal_number)
        try:
            return self.process.wait(STOP_TIMEOUT)
        finally:
            if self.process.poll() is None:
                self.process.kill()
                self.process.wait()

    def output(self):
        with open(self.log_file) as log:
            return log.read()

    def url(self, path):
        return f"http://127.0.0.1:{self.http_port}{path}"

    def get(self, path, headers=None, timeout=10):
        request = urllib.request.Request(self.url(path), headers=headers or {})
        with urllib.request.urlopen(request, timeout=timeout) as reply:
            return reply.status, reply.headers, reply.read()

    def get_json(self, path, timeout=10):
        return json.loads(self.get(path, timeout=timeout)[2])

    def post_chat(self, name, text):
        body = json.dumps({"name": name, "text": text}).encode()
        request = urllib.request.Request(self.url("/chat/send"), data=body,
                                         headers={"Content-Type": "application/json"})
        try:
            with urllib.request.urlopen(request, timeout=10) as reply:
                return reply.status, json.loads(reply.read())
        except urllib.error.HTTPError as refused:
            return refused.code, json.loads(refused.read())

    def ftp(self, user="listener", password="request"):
        connection = ftplib.FTP()
        connection.connect("127.0.0.1", self.ftp_port, timeout=10)
        try:
            connection.login(user, password)
        except ftplib.Error:
            connection.close()
            raise
        return connection


class StationTestCase(unittest.TestCase):
    def make_folder(self):
        folder = tempfile.TemporaryDirectory(prefix="wavecrest-station-")
        self.addCleanup(folder.cleanup)
        return folder.name

    def start_station(self, *extra_arguments):
        station = Station(self.make_folder(), *extra_arguments).wait_ready()
        self.addCleanup(station.stop)
        return station


class SiteTest(StationTestCase):
    """What the program's two panes, its menu and its help window ask of the site."""

    def setUp(self):
        self.station = self.start_station()

    def test_the_four_addresses_answer_with_self_contained_pages(self):
        for path, landmark in PAGES.items():
            with self.subTest(path=path):
                status, headers, body = self.station.get(path)
                page = body.decode("utf-8")
                self.assertEqual(status, 200)
                self.assertTrue(headers["Content-Type"].startswith("text/html"))
                self.assertIn(landmark, page)
                self.assertIsNone(re.search(r"""(src|href)\s*=\s*["']?(https?:)?//""", page),
                                  "pages must not load anything from elsewhere")

    def test_addresses_outside_the_site_are_not_found(self):
        for path in ("/wavecrest/playeronly.html", "/vavudavizezez/dedevirevo/wavecrest/",
                     "/songs/../station.log", "/nothing"):
            with self.subTest(path=path):
                with self.assertRaises(urllib.error.HTTPError) as refused:
                    self.station.get(path)
                self.assertEqual(refused.exception.code, 404)

    def test_player_page_plays_the_station_stream(self):
        page = self.station.get("/Wavecrest/playeronly.html")[2].decode()
        stream_path = re.search(r'<audio[^>]*src="([^"]+)"', page).group(1)
        status, headers, wav = self.station.get(stream_path)
        self.assertEqual((status, headers["Content-Type"]), (200, "audio/wav"))
        self.assertEqual((wav[:4], wav[8:16]), (b"RIFF", b"WAVEfmt "))
        channels, rate = struct.unpack("<HI", wav[22:28])
        data_size = struct.unpack("<I", wav[40:44])[0]
        self.assertEqual((channels, len(wav)), (1, 44 + data_size))
        self.assertGreater(data_size / (2 * rate), 5.0, "at least a few seconds of music")
        self.assertGreater(max(wav[44:]), 0, "not silence")

    def test_stream_answers_byte_ranges_for_seeking(self):
        whole = self.station.get("/Wavecrest/stream.wav")[2]
        cases = [("bytes=0-99", 0, 99), ("bytes=1000-", 1000, len(whole) - 1),
                 ("bytes=-10", len(whole) - 10, len(whole) - 1)]
        for header, first, last in cases:
            with self.subTest(range=header):
                status, headers, part = self.station.get("/Wavecrest/stream.wav",
                                                         {"Range": header})
                self.assertEqual(status, 206)
                self.assertEqual(headers["Content-Range"], f"bytes {first}-{last}/{len(whole)}")
                self.assertEqual(part, whole[first:last + 1])


class ChatTest(StationTestCase):
    def setUp(self):
        self.station = self.start_station()

    def wait_for_message(self, since, results):
        started = time.monotonic()
        reply = self.station.get_json(f"/chat/messages?since={since}&wait=10", timeout=15)
        results.append((time.monotonic() - started, reply))

    def test_every_open_chat_page_sees_a_new_message_within_a_second(self):
        results = []
        readers = [threading.Thread(target=self.wait_for_message, args=(0, results))
                   for _ in range(3)]
        for reader in readers:
            reader.start()
        time.sleep(0.3)  # the readers are waiting now
        posted_at = time.monotonic()
        status, message = self.station.post_chat("Ann", "Hello <b>show</b>!")
        for reader in readers:
            reader.join(15)
        self.assertEqual(status, 200)
        self.assertEqual(len(results), 3)
        for waited, reply in results:
            self.assertEqual(reply["messages"], [message])
            self.assertEqual(reply["last"], message["id"])
            self.assertLess(time.monotonic() - posted_at, 1.0)
            self.assertGreater(waited, 0.2, "the reader waited for the message")

    def test_readers_get_each_message_once_in_order(self):
        ids = [self.station.post_chat(f"L{n}", f"message {n}")[1]["id"] for n in range(3)]
        cases = [(0, ids), (ids[0], ids[1:]), (ids[2], []),
                 (ids[2] + 100, ids)]  # a page left open across a restart of the station
        for since, expected in cases:
            with self.subTest(since=since):
                reply = self.station.get_json(f"/chat/messages?since={since}")
                self.assertEqual([m["id"] for m in reply["messages"]], expected)
                self.assertEqual(reply["last"], ids[2])

    def test_names_and_texts_are_tidied_and_empty_messages_refused(self):
        cases = [
            ("Bob", "  hi  ", 200, "Bob", "hi"),
            ("", "anonymous", 200, "Listener", "anonymous"),
            ("x" * 60, "long name", 200, "x" * 40, "long name"),
            ("Eve", "bell\x07 and line\nbreak", 200, "Eve", "bell and linebreak"),
            ("Bob", "   ", 400, None, None),
            ("Bob", None, 400, None, None),
        ]
        for name, text, status, shown_name, shown_text in cases:
            with self.subTest(name=name, text=text):
                answer_status, answer = self.station.post_chat(name, text)
                self.assertEqual(answer_status, status)
                if status == 200:
                    self.assertEqual((answer["name"], answer["text"]), (shown_name, shown_text))
                else:
                    self.assertIn("error", answer)


class FtpReceiverTest(StationTestCase):
    def setUp(self):
        first = random.randrange(50000, 59000, 10)
        self.passive_ports = range(first, first + 10)
        self.station = self.start_station("--passive-ports", f"{first}-{first + 9}")

    def upload(self, connection, name, data):
        connection.storbinary(f"STOR {name}", io.BytesIO(data))

    def test_sent_songs_arrive_whole_and_the_front_page_lists_them_newest_first(self):
        songs = {"first song.mp3": os.urandom(200_000), "Second.MP3": os.urandom(1234)}
        connection = self.station.ftp()
        for name, data in songs.items():
            self.upload(connection, name, data)
            time.sleep(1.1)  # distinct receiving times, to the second shown on the page
        connection.quit()

        for name, data in songs.items():
            with open(os.path.join(self.station.root, name), "rb") as received:
                self.assertEqual(received.read(), data)
        listed = self.station.get_json("/songs.json")["songs"]
        self.assertEqual([(s["name"], s["size"]) for s in listed],
                         [("Second.MP3", 1234), ("first song.mp3", 200_000)])
        page = self.station.get("/")[2].decode()
        self.assertIn("2 songs", page)
        self.assertLess(page.index("Second.MP3"), page.index("first song.mp3"))
        self.assertIn("195.3 KB", page)
        self.assertEqual(self.station.get("/songs/first%20song.mp3")[2], songs["first song.mp3"])

    def test_only_the_listener_account_gets_in(self):
        for user, password in (("listener", "wrong"), ("anonymous", "guest"), ("root", "")):
            with self.subTest(user=user):
                with self.assertRaises(ftplib.error_perm):
                    self.station.ftp(user, password)

    def test_data_connections_stay_on_loopback(self):
        connection = self.station.ftp()
        for passive_command in ("PASV", "EPSV"):
            with self.subTest(command=passive_command):
                reply = connection.sendcmd(passive_command)
                if passive_command == "PASV":
                    numbers = re.search(r"\((\d+),(\d+),(\d+),(\d+),(\d+),(\d+)\)", reply)
                    self.assertEqual(".".join(numbers.groups()[:4]), "127.0.0.1")
                port = int(re.search(r"(\d+)\D*\)", reply).group(1)) if passive_command == "EPSV" \
                    else int(numbers.group(5)) * 256 + int(numbers.group(6))
                self.assertIn(port, self.passive_ports)
                self.assertTrue(reply.startswith(("227", "229")), reply)
        connection.close()


class LifecycleTest(StationTestCase):
    def assert_stopped_cleanly(self, station, exit_code):
        self.assertEqual(exit_code, 0, station.output())
        self.assertFalse(os.path.exists(station.ready_file))
        self.assertEqual(listening_addresses(station.http_port), set())
        self.assertEqual(listening_addresses(station.ftp_port), set())

    def test_a_signal_stops_both_servers_even_with_a_chat_page_waiting(self):
        for signal_number in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
            with self.subTest(signal=signal_number.name):
                station = self.start_station()
                waiting = threading.Thread(target=lambda: station.get(
                    "/chat/messages?since=0&wait=20", timeout=25))
                waiting.start()
                time.sleep(0.2)
                asked_at = time.monotonic()
                exit_code = station.stop(signal_number)
                self.assertLess(time.monotonic() - asked_at, 2.0)
                self.assert_stopped_cleanly(station, exit_code)
                waiting.join(5)
                self.assertFalse(waiting.is_alive())

    def test_the_station_ends_with_the_process_it_watches(self):
        watched = subprocess.Popen([sys.executable, "-c", "import time; time.sleep(30)"])
        self.addCleanup(watched.kill)
        station = self.start_station("--watch-pid", str(watched.pid))
        watched.kill()
        watched.wait()
        self.assert_stopped_cleanly(station, station.process.wait(STOP_TIMEOUT))

    def test_a_taken_port_is_reported_and_nothing_is_left_listening(self):
        with socket.socket() as taken:
            taken.bind(("127.0.0.1", 0))
            taken.listen()
            ftp_port = free_port()
            folder = self.make_folder()
            process = subprocess.run(
                [sys.executable, STATION, "--http-port", str(taken.getsockname()[1]),
                 "--ftp-port", str(ftp_port), "--root", os.path.join(folder, "songs"),
                 "--ready-file", os.path.join(folder, "ready")],
                capture_output=True, text=True, timeout=START_TIMEOUT)
        self.assertEqual(process.returncode, 2)
        self.assertIn("cannot start the station", process.stderr)
        self.assertFalse(os.path.exists(os.path.join(folder, "ready")))
        self.assertEqual(listening_addresses(ftp_port), set())

    def test_servers_listen_on_loopback_only(self):
        station = self.start_station()
        for port in (station.http_port, station.ftp_port):
            with self.subTest(port=port):
                self.assertEqual(listening_addresses(port), {"127.0.0.1"})


class WrapperTest(StationTestCase):
    """run-station.sh, which the run command and the desktop use."""

    FETCH_FRONT_PAGE = (
        "import json, os, sys, urllib.request\n"
        "ready = json.load(open(os.path.join(os.environ['WAVECREST_STATION_STATE'], "
        "'ready.json')))\n"
        "print(urllib.request.urlopen(ready['url'], timeout=10).status)\n"
        "sys.exit(7)\n")

    def run_wrapper(self, *arguments):
        return subprocess.run([os.path.join(os.path.dirname(STATION), "run-station.sh"),
                               *arguments], env=self.environment, capture_output=True,
                              text=True, timeout=START_TIMEOUT + STOP_TIMEOUT)

    def setUp(self):
        self.state = self.make_folder()
        self.environment = dict(
            os.environ, WAVECREST_STATION_STATE=self.state, XDG_STATE_HOME=self.state,
            WAVECREST_STATION_PYTHON=sys.executable,
            WAVECREST_STATION_OPTIONS=f"--http-port 0 --ftp-port 0 --root {self.state}/songs")
        self.addCleanup(self.run_wrapper, "stop")

    def test_with_runs_the_command_beside_the_station_and_then_stops_it(self):
        ran = self.run_wrapper("with", sys.executable, "-c", self.FETCH_FRONT_PAGE)
        self.assertEqual(ran.returncode, 7, ran.stderr)  # the command's own exit status
        self.assertIn("200", ran.stdout)
        self.assertEqual(self.run_wrapper("status").returncode, 3)
        self.assertEqual(sorted(os.listdir(self.state)), ["songs", "station.log"])
        with open(os.path.join(self.state, "station.log")) as log:
            ports = re.search(r"127\.0\.0\.1:(\d+)/ +FTP 127\.0\.0\.1:(\d+)", log.read())
        for port in ports.groups():
            self.assertEqual(listening_addresses(int(port)), set())

    def test_start_status_and_stop(self):
        steps = [("status", 3), ("start", 0), ("status", 0), ("start", 0), ("stop", 0),
                 ("status", 3), ("stop", 0)]
        for step, exit_code in steps:
            arguments = [step] + (["--http-port", "0", "--ftp-port", "0"] if step == "start"
                                  else [])
            with self.subTest(step=step):
                self.assertEqual(self.run_wrapper(*arguments).returncode, exit_code)


if __name__ == "__main__":
    unittest.main(verbosity=2)
