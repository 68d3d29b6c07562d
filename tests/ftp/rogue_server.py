"""A misbehaving FTP server on raw sockets: one user on 127.0.0.1, its port
printed as "PORT <n>", files under --home, the verbs heard in --log, ended
after --lifetime seconds. --fault: drop (the first STOR, RETR or NLST closes
the control connection after its data, before the final reply), endless,
long-name or cr-name (NLST streams for ever, lists a 5 MB name or one with a
CR), short (RETR sends 100 of the bytes it announces), no-epsv, quit-hang,
drop-half (the first STOR ends both connections after 100000 bytes; FEAT
offers resuming), drop-half-no-cd (and CWD is refused from then on),
drop-at-stor (the first STOR closes the control connection before touching
the file; FEAT offers resuming), slow (uploads taken 64 KB each 50 ms), late-226 (STOR is answered 4 s after its data; DELE refused),
no-rename (RNFR refused), no-dele (DELE refused)."""
import argparse
import os
import socket
import threading
import time

lock = threading.Lock()
transfers = []


def listing(fault, folder):
    if fault == "endless":
        return (b"".join(b"song%09d.mp3\r\n" % (n * 1000 + i) for i in range(1000))
                for n in range(10 ** 9))
    return [{"long-name": b"x" * (5 << 20) + b".mp3\r\n",
             "cr-name": b"good.mp3\r\nevil\rname.mp3\r\n"}.get(
        fault, "".join(n + "\r\n" for n in sorted(os.listdir(folder))).encode())]


def session(conn, args):
    try:
        serve(conn, args)
    except OSError:
        conn.close()


def serve(conn, args):
    say = lambda text: conn.sendall((text + "\r\n").encode())
    cwd, user, logged, passive, renaming = "", None, False, None, None

    def local(name):
        joined = os.path.normpath(os.path.join("/", cwd, name)).lstrip("/")
        return os.path.join(args.home, joined), "" if joined == "." else joined

    def finish(reply):  # a reply, or none the first time the fault is "drop"
        with lock:
            transfers.append(1)
            if args.fault == "drop" and len(transfers) == 1:
                return False
        say(reply)
        return True

    say("220 Misbehaving test server ready.")
    for raw in conn.makefile("rb"):
        verb, _, arg = raw.decode("utf-8", "replace").rstrip("\r\n").partition(" ")
        verb = verb.upper()
        with lock, open(args.log, "a") as log:
            log.write(verb + "\n")
        path, joined = local(arg)
        if verb == "USER":
            user = arg
            say("331 Password required.")
        elif verb == "PASS":
            logged = (user, arg) == (args.user, args.password)
            say("230 Logged in." if logged else "530 Login incorrect.")
        elif verb == "QUIT":
            say("221 Goodbye.")
            while args.fault == "quit-hang" and conn.recv(1024):
                pass
            break
        elif not logged:
            say("530 Please log in.")
        elif verb == "PWD":
            say('257 "/%s"' % cwd)
        elif verb == "CWD" and os.path.isdir(path) and not (
                args.fault == "drop-half-no-cd" and transfers):
            cwd = joined
            say("250 Folder changed.")
        elif verb in ("EPSV", "PASV") and (verb, args.fault) != ("EPSV", "no-epsv"):
            passive = socket.create_server(("127.0.0.1", 0))
            port = passive.getsockname()[1]
            say("229 Extended passive mode (|||%d|)." % port if verb == "EPSV" else
                "227 Passive mode (127,0,0,1,%d,%d)." % (port >> 8, port & 255))
        elif verb == "FEAT" and (args.fault.startswith("drop-half") or args.fault == "drop-at-stor"):
            conn.sendall(b"211-Features:\r\n SIZE\r\n REST STREAM\r\n211 End\r\n")
        elif verb == "SIZE" and os.path.isfile(path):
            say("213 %d" % os.path.getsize(path))
        elif verb == "STOR" and args.fault == "drop-at-stor" and not transfers:
            transfers.append(1)
            break
        elif verb == "RNFR" and os.path.exists(path) and args.fault != "no-rename":
            renaming = path
            say("350 Ready for the new name.")
        elif verb == "RNTO" and renaming:
            os.replace(renaming, path)
            renaming = None
            say("250 Renamed.")
        elif verb == "DELE" and os.path.isfile(path) and args.fault not in ("no-dele", "late-226"):
            os.remove(path)
            say("250 Deleted.")
        elif verb in ("STOR", "APPE"):
            say("150 Send the data.")
            cut = args.fault.startswith("drop-half") and verb == "STOR" and not transfers
            with passive.accept()[0] as data, open(path, "ab" if verb == "APPE" else "wb") as out:
                while (not cut or out.tell() < 100000) and (chunk := data.recv(65536)):
                    out.write(chunk)
                    if args.fault == "slow":
                        out.flush()
                        time.sleep(0.05)
            if cut:
                transfers.append(1)
            if args.fault == "late-226":
                time.sleep(4)
            if cut or not finish("226 Stored."):
                break
        elif verb == "RETR" and os.path.isfile(path):
            content = open(path, "rb").read()
            say("150 Opening data connection (%d bytes)." % len(content))
            with passive.accept()[0] as data:
                data.sendall(content[:100] if args.fault == "short" else content)
            if not finish("226 Sent."):
                break
        elif verb in ("NLST", "LIST"):
            say("150 Here comes the listing.")
            with passive.accept()[0] as data:
                try:
                    for block in listing(args.fault, path):
                        data.sendall(block)
                except OSError:
                    pass
            if not finish("226 Listed."):
                break
        else:
            say({"TYPE": "200 Type set.", "EPSV": "500 'EPSV': command not understood.",
                 "DELE": "550 Delete not permitted."}.get(
                verb, "550 Refused."))
    conn.close()


def serve_on_loopback(session, add_options=lambda parser: None):
    """Serves each connection with session(conn, args) on 127.0.0.1 until
    --lifetime seconds have passed; the port is printed as "PORT <n>"."""
    parser = argparse.ArgumentParser()
    for option in ("--home", "--user", "--password"):
        parser.add_argument(option, default="")
    parser.add_argument("--lifetime", type=float, default=240)
    add_options(parser)
    args = parser.parse_args()
    server = socket.create_server(("127.0.0.1", 0))
    print("PORT %d" % server.getsockname()[1], flush=True)
    threading.Timer(args.lifetime, lambda: os._exit(0)).start()
    while True:
        threading.Thread(target=session, args=(server.accept()[0], args), daemon=True).start()


def add_fault_options(parser):
    for option in ("--fault", "--log"):
        parser.add_argument(option, default="")


if __name__ == "__main__":
    serve_on_loopback(session, add_fault_options)
