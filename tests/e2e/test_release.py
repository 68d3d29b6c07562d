"""The release folder as a user gets it from `cmake --install`: one
self-contained folder, its desktop entry and AppStream metainfo pass the
desktop's validators, and the program starts from there.

Usage: test_release.py BUILD_DIR
"""

import os
import shutil
import subprocess
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_support as e2e  # noqa: E402

BUILD = None
DESKTOP_ID = "org.wavecrest.Wavecrest"
PROGRAMS = {"Wavecrest", "ftp.exe", "register-desktop.sh"}
FILES = {"ftp_window.so", "sendfiles.ftps", "wavecrest.reg", "README.md", f"{DESKTOP_ID}.desktop",
         f"{DESKTOP_ID}.metainfo.xml", "icons/wavecrest.svg", "icons/wavecrest.ico",
         *(f"icons/wavecrest-{size}.png" for size in (16, 32, 48, 256))}


def run(*command):
    return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                          timeout=120, env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))


class ReleaseFolder(unittest.TestCase):

    def test_installed_folder(self):
        work = e2e.make_temp_folder(self, "release")
        folder = e2e.install_release(BUILD, os.path.join(work, "My Apps", "Wavecrest"))
        tree = {os.path.relpath(os.path.join(top, name), folder)
                for top, _, names in os.walk(folder) for name in names}
        self.assertEqual(tree, PROGRAMS | FILES)
        for name in tree:
            self.assertEqual(os.access(os.path.join(folder, name), os.X_OK), name in PROGRAMS,
                             name)

        # A text that matches no switch ends the program at once.
        result = run(os.path.join(folder, "Wavecrest"), "hello")
        self.assertEqual(result.returncode, 0, result.stdout)

        for tool, *arguments in (("desktop-file-validate", f"{DESKTOP_ID}.desktop"),
                                 ("appstreamcli", "validate", "--no-net",
                                  f"{DESKTOP_ID}.metainfo.xml")):
            if not shutil.which(tool):
                self.skipTest(f"{tool} is not installed (scripts/packages.txt lists it)")
            result = run(tool, *arguments[:-1], os.path.join(folder, arguments[-1]))
            self.assertEqual(result.returncode, 0, f"{tool}:\n{result.stdout}")


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    BUILD = os.path.abspath(sys.argv.pop(1))
    sys.exit(e2e.run_tests(sys.modules[__name__]))
