"""The release folder as a user gets it: `cmake --install` and the CPack
archive lay out one self-contained folder; its desktop entry and AppStream
metainfo pass the desktop's validators; register-desktop.sh puts a valid
entry with the program's full path into the user's menu, and --remove takes
it away again.

Usage: test_release.py BUILD_DIR

The archive is made with the build's CPackConfig.cmake as it stands, but
without CPack's usual first step of building every target of the tree
(tests included): the test needs only what the release folder holds, which
must be built already, as for `cmake --install`.
"""

import os
import re
import shutil
import stat
import subprocess
import sys
import tarfile
import unittest
import xml.etree.ElementTree as ElementTree

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import e2e_support as e2e  # noqa: E402

BUILD = None
DESKTOP_ID = "org.wavecrest.Wavecrest"
PROGRAMS = {"Wavecrest", "ftp.exe", "register-desktop.sh"}
FILES = {"sendfiles.ftps", "wavecrest.reg", "README.md", f"{DESKTOP_ID}.desktop",
         f"{DESKTOP_ID}.metainfo.xml", "icons/wavecrest.svg", "icons/wavecrest.ico",
         *(f"icons/wavecrest-{size}.png" for size in (16, 32, 48, 256))}
ICON_SIZES = (16, 32, 48, 256)


def run(command, env=None, cwd=None):
    return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                          env=env, cwd=cwd, timeout=120)


def tree(folder):
    """Relative paths of the files below folder."""
    return {os.path.relpath(os.path.join(top, name), folder)
            for top, _, names in os.walk(folder) for name in names}


def desktop_entry(path):
    with open(path, encoding="utf-8") as entry:
        return dict(line.rstrip("\n").split("=", 1) for line in entry
                    if "=" in line and not line.startswith("#"))


def exec_program(value):
    """The program an Exec value names: the value's escapes undone, then the
    one quoted argument's, with %% standing for %."""
    text = re.sub(r"\\(.)", lambda m: {"s": " ", "n": "\n", "t": "\t", "r": "\r"}.get(
        m.group(1), m.group(1)), value)
    assert text.startswith('"') and text.endswith('"'), text
    inner = re.sub(r'\\([\\"`$])', r"\1", text[1:-1])
    return inner.replace("%%", "%")


class ReleaseFolder(unittest.TestCase):

    def setUp(self):
        self.work = e2e.make_temp_folder(self, "release")

    def install(self, folder):
        return e2e.install_release(BUILD, os.path.join(self.work, folder))

    def validate(self, tool, *arguments):
        if not shutil.which(tool):
            self.skipTest(f"{tool} is not installed (scripts/packages.txt lists it)")
        result = run([tool, *arguments])
        self.assertEqual(result.returncode, 0, f"{tool} {' '.join(arguments)}:\n{result.stdout}")

    def assert_release_layout(self, folder):
        self.assertEqual(tree(folder), PROGRAMS | FILES)
        for name in PROGRAMS:
            self.assertTrue(os.access(os.path.join(folder, name), os.X_OK), name)
        for name in FILES:
            mode = os.stat(os.path.join(folder, name)).st_mode
            self.assertFalse(mode & stat.S_IXUSR, f"{name} should not be executable")

    def test_install_lays_out_one_folder(self):
        self.assert_release_layout(self.install("Wavecrest"))

    def test_desktop_files_pass_the_validators(self):
        folder = self.install("Wavecrest")
        self.validate("desktop-file-validate", os.path.join(folder, f"{DESKTOP_ID}.desktop"))
        self.validate("appstreamcli", "validate", "--no-net",
                      os.path.join(folder, f"{DESKTOP_ID}.metainfo.xml"))
        # The metainfo names the entry it describes.
        component = ElementTree.parse(os.path.join(folder, f"{DESKTOP_ID}.metainfo.xml")).getroot()
        self.assertEqual(component.findtext("id"), DESKTOP_ID)
        self.assertEqual(component.findtext("launchable[@type='desktop-id']"),
                         f"{DESKTOP_ID}.desktop")

    def test_registration_for_the_user(self):
        # A folder whose path has characters the entry format reserves.
        folder = self.install(os.path.join("My Apps", '100% "Radio" $x'))
        data = os.path.join(self.work, "data")
        env = dict(os.environ, HOME=os.path.join(self.work, "home"), XDG_DATA_HOME=data)
        result = run([os.path.join(folder, "register-desktop.sh")], env=env, cwd=self.work)
        self.assertEqual(result.returncode, 0, result.stdout)

        entry_path = os.path.join(data, "applications", f"{DESKTOP_ID}.desktop")
        entry = desktop_entry(entry_path)
        self.assertEqual(exec_program(entry["Exec"]), f"{folder}/Wavecrest")
        self.assertEqual(entry["Icon"], DESKTOP_ID)
        self.validate("desktop-file-validate", entry_path)
        icons = os.path.join(data, "icons", "hicolor")
        self.assertTrue(os.path.isfile(os.path.join(icons, "scalable", "apps", f"{DESKTOP_ID}.svg")))
        for size in ICON_SIZES:
            self.assertTrue(os.path.isfile(
                os.path.join(icons, f"{size}x{size}", "apps", f"{DESKTOP_ID}.png")), size)

        result = run([os.path.join(folder, "register-desktop.sh"), "--remove"], env=env)
        self.assertEqual(result.returncode, 0, result.stdout)
        self.assertEqual([name for name in tree(data) if DESKTOP_ID in name], [])

    def test_package_holds_the_folder(self):
        packages = os.path.join(self.work, "packages")
        # CPACK_CMAKE_GENERATOR=Ninja: a generator without CPack's "preinstall"
        # build of the whole tree; the install rules are the same.
        result = run(["cpack", "-G", "TGZ", "-D", "CPACK_CMAKE_GENERATOR=Ninja", "-B", packages],
                     cwd=BUILD)
        self.assertEqual(result.returncode, 0, result.stdout)
        archives = [name for name in os.listdir(packages) if name.endswith(".tar.gz")]
        self.assertEqual(len(archives), 1, os.listdir(packages))
        self.assertTrue(archives[0].startswith("Wavecrest-1.0.0"), archives[0])

        unpacked = os.path.join(self.work, "unpacked")
        with tarfile.open(os.path.join(packages, archives[0])) as archive:
            names = archive.getnames()
            if hasattr(tarfile, "tar_filter"):
                archive.extractall(unpacked, filter="tar")
            else:
                archive.extractall(unpacked)
        tops = {name.split("/", 1)[0] for name in names}
        self.assertEqual(len(tops), 1, f"more than one folder at the top: {sorted(tops)}")
        self.assert_release_layout(os.path.join(unpacked, tops.pop()))


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    BUILD = os.path.abspath(sys.argv.pop(1))
    sys.exit(e2e.run_tests(sys.modules[__name__]))
