"""The FTP receiver: one listener account whose home is the songs folder."""

import logging
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.ioloop import IOLoop
from pyftpdlib.servers import FTPServer

# Everything a sending script may need: change folder, list, store, append,
# rename, make folders, delete its own mistakes, and read a song back to check it.
LISTENER_PERMISSIONS = "elradfmw"


class FtpReceiver:
    """Runs pyftpdlib's loop on a thread of its own, stoppable from any thread."""

    def __init__(self, host, port, root, user, password, passive_ports, log, rate=0):
        authorizer = DummyAuthorizer()
        authorizer.add_user(user, password, root, perm=LISTENER_PERMISSIONS)

        # A handler class per receiver, so two stations in one process never share settings.
        handler = type("ListenerHandler", (FTPHandler,), {})
        handler.authorizer = authorizer
        handler.banner = "Wavecrest local station: send your songs."
        handler.passive_ports = passive_ports
        handler.on_file_received = lambda _self, path: log(f"received {path}")
        handler.on_incomplete_file_received = lambda _self, path: log(f"incomplete {path}")
        if rate:  # a slow line: bytes a second taken from every upload
            handler.dtp_handler = type("SlowLine", (ThrottledDTPHandler,), {"read_limit": rate})

        # pyftpdlib logs every command at INFO; the station reports its own events.
        # A handler of our own also keeps pyftpdlib from installing its chatty one.
        library_log = logging.getLogger("pyftpdlib")
        library_log.setLevel(logging.WARNING)
        if not library_log.handlers:
            library_log.addHandler(logging.StreamHandler())
        self._server = FTPServer((host, port), handler, ioloop=IOLoop())
        self._stopping = threading.Event()
        self._thread = threading.Thread(target=self._serve, name="ftp", daemon=True)

    @property
    def port(self):
        return self._server.address[1]

    def start(self):
        self._thread.start()

    def stop(self):
        self._stopping.set()
        self._thread.join(timeout=5)

    def _serve(self):
        # pyftpdlib's IO loop is not thread-safe: it is polled and closed here only.
        try:
            while not self._stopping.is_set():
                self._server.ioloop.loop(timeout=0.2, blocking=False)
        finally:
            self._server.close_all()
