#!/usr/bin/python3
"""The local station: a smoke test of what a listener's program meets (the
four pages, chat, an uploaded song on the front page, a clean stop), plus what
only the station can get wrong: it listens on loopback only, and its stream
answers byte ranges. Run with Debian's python3 (it needs pyftpdlib)."""

import ftplib
import io
import json
import os
import socket
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.request

STATION = os.environ.get("WAVECREST_STATION") or os.path.join(
    os.path.dirname(os.path.abspath(__file__)), "..", "..", "station", "station.py")
PAGES = {
    "/Wavecrest/playeronly.html": "<audio",
    "/Wavecrest/chatonly.html": "<title>Wavecrest Chat - Local Station</title>",
    "/": "Songs received",
    "/vavudavizezez/dedevirevo/wavecrest": "<title>Wavecrest Online Help</title>",
}


def listening_addresses(port):
    """Local addresses with a listening TCP socket on port, from the kernel's tables."""
    addresses = set()
    for table in ("/proc/net/tcp", "/proc/net/tcp6"):
        with open(table) as rows:
            for row in list(rows)[1:]:
                local, state = row.split()[1], row.split()[3]
                address, port_hex = local.split(":")
                if state == "0A" and int(port_hex, 16) == port:  # 0A: LISTEN
                    addresses.add(socket.inet_ntoa(bytes.fromhex(address)[::-1])
                                  if len(address) == 8 else address)
    return addresses


class StationTest(unittest.TestCase):
    def setUp(self):
        folder = tempfile.TemporaryDirectory(prefix="wavecrest-station-")
        self.addCleanup(folder.cleanup)
        self.songs = os.path.join(folder.name, "songs")
        ready = os.path.join(folder.name, "ready.json")
        self.process = subprocess.Popen(
            [sys.executable, STATION, "--http-port", "0", "--ftp-port", "0", "--root", self.songs,
             "--ready-file", ready], stdout=subprocess.DEVNULL)
        self.addCleanup(self.process.kill)
        deadline = time.monotonic() + 30
        while not os.path.exists(ready):  # written once both servers listen
            self.assertIsNone(self.process.poll(), "the station ended while starting")
            self.assertLess(time.monotonic(), deadline, "the station did not start")
            time.sleep(0.05)
        with open(ready) as details:
            ports = json.load(details)
        self.http_port, self.ftp_port = ports["http_port"], ports["ftp_port"]

    def get(self, path, headers=None, data=None):
        request = urllib.request.Request(f"http://127.0.0.1:{self.http_port}{path}", data=data,
                                         headers=headers or {})
        with urllib.request.urlopen(request, timeout=20) as reply:
            return reply.status, reply.headers, reply.read()

    def test_a_listener_session_on_loopback_only_and_a_clean_stop(self):
        for port in (self.http_port, self.ftp_port):
            self.assertEqual(listening_addresses(port), {"127.0.0.1"})
        for path, landmark in PAGES.items():
            with self.subTest(page=path):
                self.assertIn(landmark, self.get(path)[2].decode("utf-8"))
        self.get("/chat/send", {"Content-Type": "application/json"},
                 json.dumps({"name": "Ann", "text": "Hello"}).encode())
        messages = json.loads(self.get("/chat/messages?since=0")[2])["messages"]
        self.assertEqual([(m["name"], m["text"]) for m in messages], [("Ann", "Hello")])
        song = os.urandom(100_000)
        with ftplib.FTP() as connection:
            connection.connect("127.0.0.1", self.ftp_port, timeout=20)
            connection.login("listener", "request")
            self.assertIn("(127,0,0,1,", connection.sendcmd("PASV"))
            connection.storbinary("STOR first song.mp3", io.BytesIO(song))
        self.assertIn("first song.mp3", self.get("/")[2].decode("utf-8"))
        with open(os.path.join(self.songs, "first song.mp3"), "rb") as received:
            self.assertEqual(received.read(), song)
        self.process.terminate()
        self.assertEqual(self.process.wait(20), 0)
        self.assertEqual(listening_addresses(self.http_port) | listening_addresses(self.ftp_port),
                         set())

    def test_the_stream_answers_byte_ranges(self):
        whole = self.get("/Wavecrest/stream.wav")[2]
        for header, first, last in [("bytes=0-99", 0, 99), ("bytes=1000-", 1000, len(whole) - 1),
                                    ("bytes=-10", len(whole) - 10, len(whole) - 1)]:
            with self.subTest(range=header):
                status, headers, part = self.get("/Wavecrest/stream.wav", {"Range": header})
                self.assertEqual(status, 206)
                self.assertEqual(headers["Content-Range"], f"bytes {first}-{last}/{len(whole)}")
                self.assertEqual(part, whole[first:last + 1])


if __name__ == "__main__":
    unittest.main()
