"""A misbehaving FTP server for the client's tests, on raw sockets: one user
on 127.0.0.1 and a free port, printed as "PORT <n>"; files under --home;
each command's verb appended to --log; ends by itself after --lifetime
seconds. --fault chooses the misbehaviour:
  drop       the first STOR, RETR or NLST closes the control connection
             after its data, before the final reply
  endless    NLST streams names for ever
  long-name  NLST lists one name of 5 MB
  cr-name    NLST lists a name holding a CR
  short      RETR announces 1000 bytes, sends 100 and says 226
  no-epsv    EPSV refused as unknown (PASV works)
  quit-hang  QUIT answered, the connection kept open
"""
import argparse
import os
import socket
import sys
import threading

lock = threading.Lock()
dropped = []


def listing(args, folder):
    if args.fault == "endless":
        return (b"song%09d.mp3\r\n" % n for n in range(10 ** 12))
    if args.fault == "long-name":
        return iter([b"x" * (5 << 20) + b".mp3\r\n"])
    if args.fault == "cr-name":
        return iter([b"good.mp3\r\nevil\rname.mp3\r\n"])
    return iter(["".join(n + "\r\n" for n in sorted(os.listdir(folder))).encode()])


def session(conn, args):
    control = conn.makefile("rb")
    say = lambda text: conn.sendall((text + "\r\n").encode())
    cwd, user, logged, passive = "", None, False, None

    def local(name):
        joined = os.path.normpath(os.path.join("/", cwd, name)).lstrip("/")
        return os.path.join(args.home, joined), joined

    def data():
        return passive.accept()[0]

    def drop_now():
        with lock:
            first = args.fault == "drop" and not dropped
            dropped.append(1)
        return first

    say("220 Misbehaving test server ready.")
    for raw in control:
        verb, _, arg = raw.decode("utf-8", "replace").rstrip("\r\n").partition(" ")
        verb = verb.upper()
        with lock, open(args.log, "a") as log:
            log.write(verb + "\n")
        if verb == "USER":
            user = arg
            say("331 Password required.")
        elif verb == "PASS":
            logged = (user, arg) == (args.user, args.password)
            say("230 Logged in." if logged else "530 Login incorrect.")
        elif verb == "QUIT":
            say("221 Goodbye.")
            if args.fault == "quit-hang":
                while conn.recv(1024):
                    pass
            break
        elif not logged:
            say("530 Please log in.")
        elif verb == "PWD":
            say('257 "/%s"' % cwd)
        elif verb == "CWD":
            path, joined = local(arg)
            ok = os.path.isdir(path)
            if ok:
                cwd = "" if joined == "." else joined
            say("250 Folder changed." if ok else "550 No such folder.")
        elif verb == "TYPE":
            say("200 Type set.")
        elif verb == "EPSV" and args.fault == "no-epsv":
            say("500 'EPSV': command not understood.")
        elif verb in ("EPSV", "PASV"):
            passive = socket.create_server(("127.0.0.1", 0))
            passive.settimeout(30)
            port = passive.getsockname()[1]
            say("229 Extended passive mode (|||%d|)." % port if verb == "EPSV" else
                "227 Passive mode (127,0,0,1,%d,%d)." % (port >> 8, port & 255))
        elif verb == "SIZE" and args.fault != "short":
            path = local(arg)[0]
            say("213 %d" % os.path.getsize(path) if os.path.isfile(path) else "550 No file.")
        elif verb == "STOR":
            say("150 Send the data.")
            with data() as channel, open(local(arg)[0], "wb") as out:
                while chunk := channel.recv(65536):
                    out.write(chunk)
            if drop_now():
                break
            say("226 Stored.")
        elif verb == "RETR":
            path = local(arg)[0]
            if not os.path.isfile(path):
                say("550 No such file.")
                continue
            content = open(path, "rb").read()
            say("150 Opening data connection (%d bytes)." % len(content))
            with data() as channel:
                channel.sendall(content[:100] if args.fault == "short" else content)
            if drop_now():
                break
            say("226 Sent.")
        elif verb in ("NLST", "LIST"):
            say("150 Here comes the listing.")
            with data() as channel:
                try:
                    for block in listing(args, local(arg)[0]):
                        channel.sendall(block)
                except OSError:
                    pass
            if drop_now():
                break
            say("226 Listed.")
        else:
            say("502 Not implemented.")
    conn.close()


def main():
    parser = argparse.ArgumentParser()
    for option in ("--home", "--user", "--password", "--fault", "--log"):
        parser.add_argument(option, default="")
    parser.add_argument("--lifetime", type=float, default=240)
    args = parser.parse_args()
    server = socket.create_server(("127.0.0.1", 0))
    print("PORT %d" % server.getsockname()[1], flush=True)
    threading.Timer(args.lifetime, lambda: os._exit(0)).start()
    while True:
        conn = server.accept()[0]
        threading.Thread(target=guarded, args=(conn, args), daemon=True).start()


def guarded(conn, args):
    try:
        session(conn, args)
    except OSError:
        conn.close()


if __name__ == "__main__":
    sys.exit(main())
