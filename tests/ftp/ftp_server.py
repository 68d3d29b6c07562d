"""FTP server for the client's tests: one user with a home folder, on
127.0.0.1 and a free port, printed as "PORT <n>" once it listens.

Ends by itself after --lifetime seconds, so no test leaves it behind.
With --drop-name, a STOR of a file whose name holds that text has its
control and data connections cut after the first block of data. With
--refuse-passive, PASV and EPSV are refused, as behind some firewalls.
"""
import argparse
import logging
import os
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler
from pyftpdlib.servers import FTPServer


def make_dropping_dtp(drop_name):
    class DroppingDTPHandler(DTPHandler):
        # The base class reads through handle_read_event, an alias of its
        # handle_read; overriding the alias is what takes effect.
        def handle_read_event(self):
            super().handle_read_event()
            target = getattr(self.file_obj, "name", "") or ""
            if drop_name and drop_name in os.path.basename(target):
                control = self.cmd_channel
                self.close()
                control.close()

    return DroppingDTPHandler


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--home", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--drop-name", default="")
    parser.add_argument("--refuse-passive", action="store_true")
    parser.add_argument("--lifetime", type=float, default=300)
    args = parser.parse_args()

    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.home, perm="elradfmwMT")
    handler = type("Handler", (FTPHandler,), {})
    handler.authorizer = authorizer
    handler.banner = "Test server ready."
    handler.dtp_handler = make_dropping_dtp(args.drop_name)
    handler.passive_ports = None
    if args.refuse_passive:
        refuse = lambda self, line: self.respond("502 Passive mode not allowed.")
        handler.ftp_PASV = handler.ftp_EPSV = refuse

    quiet = logging.getLogger("pyftpdlib")
    quiet.setLevel(logging.WARNING)
    quiet.addHandler(logging.StreamHandler(sys.stderr))
    server = FTPServer(("127.0.0.1", 0), handler)
    print("PORT %d" % server.socket.getsockname()[1], flush=True)
    timer = threading.Timer(args.lifetime, lambda: os._exit(0))
    timer.daemon = True
    timer.start()
    server.serve_forever(timeout=0.5, handle_exit=True)


if __name__ == "__main__":
    sys.exit(main())
