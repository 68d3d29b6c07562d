"""An FTP server that freezes in the middle of a song: one user on
127.0.0.1, its port printed as "PORT <n>". The first STOR takes --take bytes,
then the server neither reads nor answers anything again, on any connection,
until --lifetime seconds have passed. --home is accepted and left empty."""
import socket
import threading
import time

from rogue_server import serve_on_loopback

frozen = threading.Event()


def session(conn, args):
    say = lambda text: conn.sendall((text + "\r\n").encode())
    user, passive = None, None
    if not frozen.is_set():
        say("220 Freezing test server ready.")
    for raw in conn.makefile("rb"):
        if frozen.is_set():
            break
        verb, _, arg = raw.decode("utf-8", "replace").rstrip("\r\n").partition(" ")
        verb = verb.upper()
        if verb == "USER":
            user = arg
            say("331 Password required.")
        elif verb == "PASS":
            say("230 Logged in." if (user, arg) == (args.user, args.password) else
                "530 Login incorrect.")
        elif verb == "PWD":
            say('257 "/"')
        elif verb in ("EPSV", "PASV"):
            passive = socket.create_server(("127.0.0.1", 0))
            # A small window, so the client's writes stall soon after the freeze.
            passive.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
            port = passive.getsockname()[1]
            say("229 Extended passive mode (|||%d|)." % port if verb == "EPSV" else
                "227 Passive mode (127,0,0,1,%d,%d)." % (port >> 8, port & 255))
        elif verb == "STOR":
            say("150 Send the data.")
            data = passive.accept()[0]
            taken = 0
            while taken < args.take and (chunk := data.recv(min(65536, args.take - taken))):
                taken += len(chunk)
            frozen.set()
            break
        else:
            say({"TYPE": "200 Type set.", "QUIT": "221 Goodbye."}.get(verb, "550 Refused."))
    while frozen.is_set():  # holds every connection open, silent
        time.sleep(1)
    conn.close()


if __name__ == "__main__":
    serve_on_loopback(session, lambda parser: parser.add_argument("--take", type=int, default=1 << 20))
