"""A listener's whole road through the installed program, on a X server
against the local station: both panes load and the title follows the
chat page; "Request a song!" opens the uploader; two MP3 files are staged
with the real open-file dialog; "Send the Music!" starts sending them over a
slow line, "Finish!" closes the uploader and removes the staged files while
the send runs, and both songs reach the station's FTP receiver byte for byte.

Usage: test_song_request.py BUILD_DIR

The program has the station's address compiled in, so the station's web site
runs on that port (the build's WAVECREST_STATION_HOST, localhost:8642 by
default); the test is skipped when the port is taken, for example by a
station started by scripts/run.sh. The FTP receiver runs on a free port, and
the installed "sendfiles.ftps" gets that port in its "open" line; the
program never reads that file, and its other lines stay as installed.
"""

import html
import os
import random
import re
import shutil
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_support as e2e  # noqa: E402

BUILD = None
TWIPS_PER_PIXEL = 15
# Centres of the uploader's buttons in its client area, from its layout (twips).
BROWSE = ((2040 + 2295 / 2) / TWIPS_PER_PIXEL, (600 + 495 / 2) / TWIPS_PER_PIXEL)
SEND = ((3240 + 1695 / 2) / TWIPS_PER_PIXEL, (3840 + 495 / 2) / TWIPS_PER_PIXEL)
FINISH = ((1200 + 1695 / 2) / TWIPS_PER_PIXEL, (3840 + 495 / 2) / TWIPS_PER_PIXEL)
SONGS = {"Morning Tide.mp3": 48 * 1024 + 17, "night_swell.MP3": 96 * 1024 + 5}


def page_title(file_name):
    """The title that a page of the local station sets."""
    page = os.path.join(e2e.SOURCE, "station", "pages", file_name)
    with open(page, encoding="utf-8") as text:
        return html.unescape(re.search(r"<title>(.*?)</title>", text.read(), re.S).group(1))


class SongRequest(unittest.TestCase):

    def setUp(self):
        if not os.environ.get("DISPLAY") or not shutil.which("xdotool"):
            self.skipTest("needs an X server (scripts/with-xvfb.sh) and xdotool")
        self.work = e2e.make_temp_folder(self, "e2e")
        self.station_host = e2e.cache_value(BUILD, "WAVECREST_STATION_HOST") or ""
        http_port = self.compiled_station_port()
        if not e2e.port_is_free(http_port):
            self.skipTest(f"port {http_port} of the compiled-in station is taken")
        self.folder = e2e.install_release(BUILD, os.path.join(self.work, "Wavecrest"))
        user, password = self.point_script_at_port(None)
        self.station = e2e.LocalStation(self.work, http_port, 0, user, password,
                                        ftp_rate=32 * 1024)  # the songs take 4.5 s
        self.addCleanup(self.station.stop)
        self.point_script_at_port(self.station.ftp_port)
        self.x = e2e.XServer()

    def compiled_station_port(self):
        name, _, port = self.station_host.partition(":")
        if name not in ("localhost", "127.0.0.1"):
            self.skipTest(f"built for the station {self.station_host!r}, not a local one")
        return int(port or 80)

    def point_script_at_port(self, port):
        """Reads the installed script's account; with a port, puts that port
        into its "open" line. Returns (user, password)."""
        script = os.path.join(self.folder, "sendfiles.ftps")
        with open(script, encoding="utf-8", newline="") as text:
            lines = text.read().splitlines(keepends=True)
        self.assertTrue(lines[0].startswith("open "), lines[0])
        if any(line.lower().startswith("cd ") for line in lines):
            self.skipTest("the installed script sends into a remote folder")
        if port is not None:
            host = lines[0].split()[1]
            lines[0] = f"open {host} {port}" + lines[0][len(lines[0].rstrip("\r\n")):]
            with open(script, "w", encoding="utf-8", newline="") as text:
                text.write("".join(lines))
        return lines[1].strip(), lines[2].strip()

    # --- steps ----------------------------------------------------------

    def start_program(self, **variables):
        home = os.path.join(self.work, "home")
        runtime = os.path.join(self.work, "runtime")
        os.makedirs(home)
        os.makedirs(runtime, mode=0o700)
        env = dict(os.environ, HOME=home, XDG_RUNTIME_DIR=runtime, QT_QPA_PLATFORM="xcb",
                   QTWEBENGINE_DISABLE_SANDBOX="1", **variables)
        for variable in ("XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME",
                         "QTWEBENGINE_CHROMIUM_FLAGS", "WAVECREST_SHOW_WINDOW", "WAYLAND_DISPLAY"):
            env.pop(variable, None)
        self.program_log = open(os.path.join(self.work, "program.log"), "wb")
        self.addCleanup(self.program_log.close)
        # Its own process group: the web engine's helpers and the FTP client
        # it starts stay in it, so they can be found and stopped together.
        program = subprocess.Popen([os.path.join(self.folder, "Wavecrest")], cwd=self.work,
                                   env=env, stdout=self.program_log,
                                   stderr=subprocess.STDOUT, start_new_session=True,
                                   preexec_fn=e2e.end_with_parent)
        self.group = program.pid
        self.addCleanup(self.stop_program, program)
        return program

    def stop_program(self, program):
        left = e2e.stop_group(self.group)
        program.wait(5)
        self.assertEqual(left, [], "processes of the program survived SIGKILL")

    def open_uploader_from_menu(self, main):
        """Clicks "Request a song!", the menu bar item right of "Menu"."""
        x, y = self.x.origin(main)
        for offset in (90, 75, 110, 130, 60):
            self.x.click(x + offset, y + 10)
            uploader = self.x.wait_for_window("^Music Uploader$", 3)
            if uploader:
                return uploader
            self.x.xdotool("key", "Escape")  # "Menu" dropped down instead: close it
        self.fail("no Music Uploader after clicking the menu bar")

    def stage_with_dialog(self, uploader, path):
        x, y = self.x.origin(uploader)
        self.x.click(x + BROWSE[0], y + BROWSE[1])
        dialog = self.x.wait_for_window("^Open File$", 15)
        self.assertTrue(dialog, "no open-file dialog after Browse")
        self.x.xdotool("windowfocus", "--sync", dialog)
        # The file name field has the focus: a full path there opens that file.
        self.x.xdotool("type", "--delay", 8, path, timeout=60)
        self.x.xdotool("key", "Return")
        if not self.x.wait_for_window_gone(dialog, 3):
            self.x.xdotool("key", "Return")  # the first one closed the completion list
        self.assertTrue(self.x.wait_for_window_gone(dialog, 10), "the dialog stayed open")

    def received(self):
        """Names and contents of the whole songs on the receiver (a song on its
        way has a hidden name until it is renamed into place)."""
        songs = {}
        for name in os.listdir(self.station.songs) if os.path.isdir(self.station.songs) else []:
            if name.startswith("."):
                continue
            with open(os.path.join(self.station.songs, name), "rb") as song:
                songs[name] = song.read()
        return songs

    # --- the road -------------------------------------------------------

    def client_holds_the_songs(self):
        """Whether a process Send started has every staged song open."""
        for pid in e2e.group_members(self.group):
            try:
                descriptors = os.listdir(f"/proc/{pid}/fd")
                if set(SONGS) <= {os.path.basename(os.readlink(f"/proc/{pid}/fd/{fd}"))
                                  for fd in descriptors}:
                    return True
            except OSError:  # the process or a descriptor went meanwhile
                continue
        return False

    def test_listener_sends_two_songs(self):
        library = os.path.join(self.work, "My Music")
        os.makedirs(library)
        contents = {name: random.Random(size).randbytes(size) for name, size in SONGS.items()}
        for name, data in contents.items():
            with open(os.path.join(library, name), "wb") as song:
                song.write(data)

        program = self.start_program()
        title = page_title("chatonly.html")
        main = self.x.wait_for_window(f"^{re.escape(title)}$", 60)
        self.assertTrue(main, f"the title never became {title!r}; program output:\n"
                        + open(self.program_log.name, errors="replace").read())
        self.assertTrue(e2e.wait_until(
            lambda: self.station.requested("/Wavecrest/playeronly.html"), 10),
            "the player pane did not ask for the player page")

        uploader = self.open_uploader_from_menu(main)
        temp = os.path.join(self.folder, "temp")
        for count, name in enumerate(SONGS, start=1):
            self.stage_with_dialog(uploader, os.path.join(library, name))
            self.assertTrue(e2e.wait_until(lambda: len(os.listdir(temp)) == count, 10),
                            f"{name} was not staged")
        x, y = self.x.origin(uploader)
        self.x.click(x + SEND[0], y + SEND[1])
        self.assertTrue(e2e.wait_until(self.client_holds_the_songs, 20),
                        "no client holds the staged songs")
        self.assertNotEqual(self.received(), contents, "all sent before Finish! could matter")
        self.x.xdotool("windowraise", uploader)  # over the client's window: no desktop here
        self.x.click(x + FINISH[0], y + FINISH[1])
        self.assertTrue(self.x.wait_for_window_gone(uploader), "Finish left the uploader open")
        self.assertEqual(set(os.listdir(temp)) & set(SONGS), set())
        arrived = e2e.wait_until(lambda: self.received() == contents or None, 40, 0.3)
        self.assertTrue(arrived, f"the station received {sorted(self.received())}; log:\n"
                        + self.station.log())
        self.assertTrue(e2e.wait_until(lambda: os.listdir(temp) == [], 10), os.listdir(temp))
        self.assertIsNone(program.poll(), "the program ended with the uploader")
        self.assertEqual(self.x.xdotool("getwindowname", main), title)

    def test_media_controls_show_the_live_show(self):
        """The desktop's media controls, read through playerctl on a session
        bus of this test's own, list the player pane's show as live, under
        Wavecrest's desktop entry, and their Pause and Play act on it."""
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                               stdout=subprocess.PIPE, text=True)
        self.addCleanup(bus.kill)
        address = bus.stdout.readline().strip()
        self.start_program(DBUS_SESSION_BUS_ADDRESS=address)

        def controls(*arguments):
            return subprocess.run(["playerctl", *arguments], capture_output=True, text=True,
                                  env=dict(os.environ, DBUS_SESSION_BUS_ADDRESS=address),
                                  timeout=20).stdout.strip()

        self.assertTrue(e2e.wait_until(lambda: controls("status") == "Playing", 60),
                        f"no player is playing: {controls('--list-all')!r}")
        self.assertEqual(controls("metadata", "--format", "{{xesam:title}} / {{xesam:artist}}"),
                         "Generated tone sequence / Wavecrest Radio")
        self.assertEqual(controls("metadata", "mpris:length"), "")  # live: no length
        players = controls("--list-all").splitlines()
        self.assertEqual(len(players), 1, players)  # ours alone, not the engine's too

        def about_us(name):
            return subprocess.run(["gdbus", "call", "--session", "-d",
                                   "org.mpris.MediaPlayer2." + players[0], "-o",
                                   "/org/mpris/MediaPlayer2", "-m",
                                   "org.freedesktop.DBus.Properties.Get",
                                   "org.mpris.MediaPlayer2", name],
                                  capture_output=True, text=True, timeout=20,
                                  env=dict(os.environ, DBUS_SESSION_BUS_ADDRESS=address)).stdout
        self.assertEqual(about_us("Identity").strip(), "(<'Wavecrest'>,)")
        self.assertEqual(about_us("DesktopEntry").strip(), "(<'org.wavecrest.Wavecrest'>,)")
        for command, status in (("pause", "Paused"), ("play-pause", "Playing")):
            controls(command)
            self.assertTrue(e2e.wait_until(lambda: controls("status") == status, 20), command)


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    BUILD = os.path.abspath(sys.argv.pop(1))
    sys.exit(e2e.run_tests(sys.modules[__name__]))
