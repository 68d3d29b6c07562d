"""FTP server for the client's tests: one user on 127.0.0.1 and a free port,
printed as "PORT <n>"; ends by itself after --lifetime seconds.
--refuse-passive: PASV and EPSV refused. --throttle N: uploads taken at
N bytes a second. --tls-cert FILE: explicit
TLS required, with a self-signed certificate for 127.0.0.1 made into FILE.
"""
import argparse
import logging
import os
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def make_certificate(path):
    from OpenSSL import crypto
    key = crypto.PKey()
    key.generate_key(crypto.TYPE_RSA, 2048)
    cert = crypto.X509()
    cert.get_subject().CN = "127.0.0.1"
    cert.set_serial_number(1)
    cert.gmtime_adj_notBefore(-60)
    cert.gmtime_adj_notAfter(3600)
    cert.set_issuer(cert.get_subject())
    cert.set_pubkey(key)
    cert.add_extensions([
        crypto.X509Extension(b"subjectAltName", False, b"IP:127.0.0.1"),
        crypto.X509Extension(b"basicConstraints", True, b"CA:TRUE"),
    ])
    cert.sign(key, "sha256")
    with open(path, "wb") as out:
        out.write(crypto.dump_certificate(crypto.FILETYPE_PEM, cert))
        out.write(crypto.dump_privatekey(crypto.FILETYPE_PEM, key))


def main():
    parser = argparse.ArgumentParser()
    for option in ("--home", "--user", "--password", "--tls-cert"):
        parser.add_argument(option, default="")
    parser.add_argument("--refuse-passive", action="store_true")
    parser.add_argument("--lifetime", type=float, default=300)
    parser.add_argument("--throttle", type=int, default=0)
    args = parser.parse_args()

    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.home, perm="elradfmwMT")
    base = FTPHandler
    if args.tls_cert:
        from pyftpdlib.handlers import TLS_FTPHandler
        make_certificate(args.tls_cert)
        base = TLS_FTPHandler
        base.certfile = args.tls_cert
        base.tls_control_required = base.tls_data_required = True
    handler = type("Handler", (base,), {})
    handler.authorizer = authorizer
    handler.banner = "Test server ready."
    handler.passive_ports = None
    if args.throttle:
        from pyftpdlib.handlers import ThrottledDTPHandler
        handler.dtp_handler = type("Dtp", (ThrottledDTPHandler,), {"read_limit": args.throttle})
    if args.refuse_passive:
        refuse = lambda self, line: self.respond("502 Passive mode not allowed.")
        handler.ftp_PASV = handler.ftp_EPSV = refuse

    logging.basicConfig(level=logging.WARNING, stream=sys.stderr)
    server = FTPServer(("127.0.0.1", 0), handler)
    print("PORT %d" % server.socket.getsockname()[1], flush=True)
    timer = threading.Timer(args.lifetime, lambda: os._exit(0))
    timer.daemon = True
    timer.start()
    server.serve_forever(timeout=0.5, handle_exit=True)


if __name__ == "__main__":
    sys.exit(main())
