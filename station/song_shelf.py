"""The songs folder: what listeners have sent, newest first."""

import os
import time


def list_songs(root):
    """Every file under root as dicts with name (relative, '/'-separated), size and mtime.

    Newest first. Hidden files are left out: a sender keeps a song under a
    hidden name until it is whole.
    """
    songs = []
    for folder, subfolders, files in os.walk(root):
        subfolders[:] = [name for name in subfolders if not name.startswith(".")]
        for file_name in files:
            if file_name.startswith("."):
                continue
            path = os.path.join(folder, file_name)
            try:
                info = os.stat(path)
            except OSError:
                continue  # removed while we looked
            relative = os.path.relpath(path, root).replace(os.sep, "/")
            songs.append({"name": relative, "size": info.st_size, "mtime": info.st_mtime})
    songs.sort(key=lambda song: (-song["mtime"], song["name"]))
    return songs


def resolve(root, relative):
    """The path of a listed song, or None when the name leads outside root."""
    root = os.path.realpath(root)
    path = os.path.realpath(os.path.join(root, relative))
    if os.path.commonpath([root, path]) != root or not os.path.isfile(path):
        return None
    return path


def readable_size(size):
    units = ["bytes", "KB", "MB", "GB"]
    value, unit = float(size), 0
    while value >= 1024 and unit < len(units) - 1:
        value /= 1024.0
        unit += 1
    return f"{size} bytes" if unit == 0 else f"{value:.1f} {units[unit]}"


def readable_time(mtime):
    return time.strftime("%Y-%m-%d %H:%M:%S", time.localtime(mtime))
