"""The station's web site: player, chat room, front page and online help."""

import html
import json
import os
import socketserver
import time
import urllib.parse
from http import HTTPStatus
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

import chat_room
import song_shelf
import tone_stream

PAGES_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "pages")
STATIC_PAGES = {
    "/Wavecrest/playeronly.html": "playeronly.html",
    "/Wavecrest/chatonly.html": "chatonly.html",
    "/vavudavizezez/dedevirevo/wavecrest": "help.html",
}
STREAM_PATH = "/Wavecrest/stream.wav"
LIVE_PATH = "/Wavecrest/live.wav"
LIVE_LEAD_SECONDS = 2.0  # how far the live stream runs ahead of playing time
# The show's artwork, for the desktop's media controls: the project's own icon.
ARTWORK_PATH = "/Wavecrest/artwork.png"
ARTWORK_FILE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources",
                            "icons", "wavecrest-256.png")
LONGEST_CHAT_WAIT = 25.0
LARGEST_CHAT_POST = 8192
CONNECTION_GONE = (BrokenPipeError, ConnectionResetError, ConnectionAbortedError)


class StationSite:
    """What the pages are made of; shared by every request thread."""

    def __init__(self, songs_root, chat, stream_bytes, log):
        self.songs_root = songs_root
        self.chat = chat
        self.stream_bytes = stream_bytes
        self.log = log


class LoopbackHttpServer(ThreadingHTTPServer):
    """A threaded web server for local pages (the station's, the bench's)."""
    daemon_threads = True

    def server_bind(self):
        # HTTPServer would look up a host name here, which can stall without DNS.
        socketserver.TCPServer.server_bind(self)
        self.server_name, self.server_port = self.server_address[:2]

    def handle_error(self, request, client_address):
        # A browser that drops a connection (seeking the player, leaving the chat) is normal.
        pass


class StationHttpServer(LoopbackHttpServer):
    def __init__(self, address, site):
        self.site = site
        super().__init__(address, StationRequestHandler)


def _parse_range(header, total):
    """(start, end) inclusive for a single "bytes=a-b" range, or None for the whole."""
    if not header or not header.startswith("bytes=") or "," in header:
        return None
    first, _, last = header[len("bytes="):].partition("-")
    try:
        if first:
            start = int(first)
            end = int(last) if last else total - 1
        else:  # the last N bytes
            start, end = max(0, total - int(last)), total - 1
    except ValueError:
        return None
    return start, min(end, total - 1)


def _song_rows(songs):
    if not songs:
        return '<tr class="empty"><td colspan="3">No songs yet. Send one with Wavecrest!</td></tr>'
    rows = []
    for song in songs:
        link = html.escape("/songs/" + urllib.parse.quote(song["name"]))
        name = html.escape(song["name"])
        size = song_shelf.readable_size(song["size"])
        received = song_shelf.readable_time(song["mtime"])
        rows.append(f'<tr><td class="name"><a href="{link}">{name}</a></td>'
                    f'<td class="size" title="{song["size"]} bytes">{size}</td>'
                    f'<td class="time">{received}</td></tr>')
    return "\n".join(rows)


class StationRequestHandler(BaseHTTPRequestHandler):
    server_version = "WavecrestStation/1.0"

    @property
    def site(self):
        return self.server.site

    # --- dispatch -------------------------------------------------------

    def do_GET(self):
        self._answer_get(send_body=True)

    def do_HEAD(self):
        self._answer_get(send_body=False)

    def do_POST(self):
        path = urllib.parse.urlsplit(self.path).path
        if path == "/chat/send":
            self._chat_send()
        else:
            self._send_error_page(HTTPStatus.NOT_FOUND)

    def _answer_get(self, send_body):
        parts = urllib.parse.urlsplit(self.path)
        path, query = parts.path, urllib.parse.parse_qs(parts.query)
        if path in STATIC_PAGES:
            self._send_page_file(STATIC_PAGES[path], send_body)
        elif path == "/":
            self._front_page(send_body)
        elif path == "/songs.json":
            self._send_json({"songs": song_shelf.list_songs(self.site.songs_root)}, send_body)
        elif path.startswith("/songs/"):
            self._send_song(urllib.parse.unquote(path[len("/songs/"):]), send_body)
        elif path == STREAM_PATH:
            self._send_stream(send_body)
        elif path == LIVE_PATH:
            self._send_live_stream(send_body)
        elif path == ARTWORK_PATH and os.path.isfile(ARTWORK_FILE):
            with open(ARTWORK_FILE, "rb") as artwork:
                self._send_bytes(HTTPStatus.OK, "image/png", artwork.read(), send_body, cache=True)
        elif path == "/chat/messages":
            self._chat_messages(query, send_body)
        elif path == "/favicon.ico":
            self._send_bytes(HTTPStatus.NO_CONTENT, "image/x-icon", b"", send_body)
        else:
            self._send_error_page(HTTPStatus.NOT_FOUND, send_body)

    # --- pages ----------------------------------------------------------

    def _send_page_file(self, file_name, send_body):
        with open(os.path.join(PAGES_DIR, file_name), "rb") as page:
            self._send_bytes(HTTPStatus.OK, "text/html; charset=utf-8", page.read(), send_body)

    def _front_page(self, send_body):
        songs = song_shelf.list_songs(self.site.songs_root)
        with open(os.path.join(PAGES_DIR, "front.html"), encoding="utf-8") as page:
            text = page.read()
        count = "1 song" if len(songs) == 1 else f"{len(songs)} songs"
        text = text.replace("<!--SONG-COUNT-->", count)
        text = text.replace("<!--SONG-ROWS-->", _song_rows(songs))
        self._send_bytes(HTTPStatus.OK, "text/html; charset=utf-8", text.encode("utf-8"), send_body)

    def _send_song(self, relative, send_body):
        path = song_shelf.resolve(self.site.songs_root, relative)
        if path is None:
            self._send_error_page(HTTPStatus.NOT_FOUND, send_body)
            return
        with open(path, "rb") as song:
            data = song.read()
        content_type = "audio/mpeg" if path.lower().endswith(".mp3") else "application/octet-stream"
        self._send_bytes(HTTPStatus.OK, content_type, data, send_body)

    def _send_stream(self, send_body):
        data = self.site.stream_bytes
        wanted = _parse_range(self.headers.get("Range"), len(data))
        if wanted is None:
            self._send_bytes(HTTPStatus.OK, "audio/wav", data, send_body, cache=True)
            return
        start, end = wanted
        if start >= len(data) or start > end:
            self.send_response(HTTPStatus.REQUESTED_RANGE_NOT_SATISFIABLE)
            self.send_header("Content-Range", f"bytes */{len(data)}")
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        self._send_bytes(HTTPStatus.PARTIAL_CONTENT, "audio/wav", data[start:end + 1], send_body,
                         cache=True, extra={"Content-Range": f"bytes {start}-{end}/{len(data)}"})

    def _send_live_stream(self, send_body):
        """The loop played on and on, as a radio sends its show: no length, no
        ranges, paced to playing time; it ends when the listener goes."""
        self.close_connection = True
        self.send_response(HTTPStatus.OK)
        self.send_header("Content-Type", "audio/wav")
        self.send_header("Cache-Control", "no-store")
        self.send_header("Connection", "close")
        self.end_headers()
        if not send_body:
            return
        loop = self.site.stream_bytes[tone_stream.HEADER_SIZE:]
        quarter = tone_stream.BYTE_RATE // 4
        started, sent = time.monotonic(), 0
        try:
            self.wfile.write(tone_stream.wav_header(tone_stream.ENDLESS))
            while True:
                ahead = sent / tone_stream.BYTE_RATE - (time.monotonic() - started)
                if ahead > LIVE_LEAD_SECONDS:
                    time.sleep(ahead - LIVE_LEAD_SECONDS)
                offset = sent % len(loop)
                part = loop[offset:offset + quarter]
                self.wfile.write(part)
                sent += len(part)
        except CONNECTION_GONE:
            pass

    def _send_error_page(self, status, send_body=True):
        text = (f"<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>{status.value} "
                f"{status.phrase}</title></head><body><h1>{status.phrase}</h1>"
                f"<p>{html.escape(self.path)}</p><p><a href=\"/\">Front page</a></p></body></html>")
        self._send_bytes(status, "text/html; charset=utf-8", text.encode("utf-8"), send_body)

    # --- chat -----------------------------------------------------------

    def _chat_messages(self, query, send_body):
        try:
            since = int(query.get("since", ["0"])[0])
            wait = min(float(query.get("wait", ["0"])[0]), LONGEST_CHAT_WAIT)
        except ValueError:
            self._send_json({"error": "since and wait must be numbers"}, send_body,
                            HTTPStatus.BAD_REQUEST)
            return
        messages, last = self.site.chat.since(since, wait if send_body else 0.0)
        self._send_json({"messages": messages, "last": last}, send_body)

    def _chat_send(self):
        length = self.headers.get("Content-Length", "0")
        length = int(length) if length.isdigit() else 0
        if length > LARGEST_CHAT_POST:
            self._send_json({"error": "The message is too long."}, True,
                            HTTPStatus.REQUEST_ENTITY_TOO_LARGE)
            return
        body = self.rfile.read(length).decode("utf-8", errors="replace")
        try:
            if "json" in (self.headers.get("Content-Type") or ""):
                fields = json.loads(body or "{}")
            else:
                fields = {k: v[0] for k, v in urllib.parse.parse_qs(body).items()}
            message = self.site.chat.post(fields.get("name"), fields.get("text"))
        except (ValueError, AttributeError) as error:  # ChatError and bad JSON alike
            reason = str(error) if isinstance(error, chat_room.ChatError) else "Unreadable message."
            self._send_json({"error": reason}, True, HTTPStatus.BAD_REQUEST)
            return
        self.site.log(f"chat #{message['id']} {message['name']}: {message['text']}")
        self._send_json(message, True)

    # --- plumbing -------------------------------------------------------

    def _send_json(self, value, send_body, status=HTTPStatus.OK):
        data = json.dumps(value).encode("utf-8")
        self._send_bytes(status, "application/json", data, send_body)

    def _send_bytes(self, status, content_type, data, send_body, cache=False, extra=None):
        try:
            self.send_response(status)
            self.send_header("Content-Type", content_type)
            self.send_header("Content-Length", str(len(data)))
            self.send_header("Cache-Control", "max-age=3600" if cache else "no-store")
            if cache:
                self.send_header("Accept-Ranges", "bytes")
            for name, value in (extra or {}).items():
                self.send_header(name, value)
            self.end_headers()
            if send_body:
                self.wfile.write(data)
        except CONNECTION_GONE:
            pass

    def log_message(self, format, *args):  # noqa: A002 - the base class's name
        if not self.path.startswith("/chat/messages"):
            self.site.log(f"http {format % args}")
