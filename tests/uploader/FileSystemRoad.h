#pragma once
// One road through a staging folder, walked on each system's file system:
// the POSIX one in tst_music_uploader, the Win32 one under Wine. Each row is
// a step in a fresh test folder and what it gives: "ok" or "failed" (with a
// failure number), a listing joined by "|", a file's text, "yes" or "no".
#include "core/Failure.h"
#include "core/FileSystem.h"
#include "core/Paths.h"

#include <fstream>
#include <iterator>
#include <string>

namespace fsroad {

inline void WriteFile(const std::string& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Row {
    const char* step; // make, cd, cwd, write, hide, copy, stop (a copy stopped), read, list,
                      // exists, folder, delete
    const char* path; // below the test folder, '/' between names
    const char* more; // the text to write or the copy's target
    const char* gives;
};

inline const Row kRoad[] = {
    {"make", "temp", "", "ok"},
    {"make", "temp", "", "ok"}, // another instance made it a moment ago
    {"make", "no/such", "", "failed"},
    {"cd", "temp", "", "ok"},
    {"cd", "missing", "", "failed"},
    {"cwd", "", "", "temp"},
    {"write", "Song.MP3", "new song", "ok"},
    {"write", "temp/Song.MP3", "old", "ok"},
    {"copy", "Song.MP3", "temp/Song.MP3", "ok"}, // replaces the earlier copy
    {"read", "temp/Song.MP3", "", "new song"},
    {"stop", "Song.MP3", "temp/Song.MP3", "stopped"}, // Cancel: the earlier copy stays
    {"read", "temp/Song.MP3", "", "new song"},
    {"copy", "Song.MP3", "temp/Track 10.mp3", "ok"},
    {"copy", "Song.MP3", "temp/track 2.mp3", "ok"},
    {"copy", "Song.MP3", "temp/notes.txt", "ok"},
    {"copy", "missing.mp3", "temp/x.mp3", "failed"},
    {"copy", "temp", "temp/x.mp3", "failed"},
    {"hide", "temp/hidden.mp3", "", "ok"},
    {"make", "temp/folder.mp3", "", "ok"},
    // Hidden files and folders are not listed; numbers sort by value.
    {"list", "temp", "", "notes.txt|Song.MP3|track 2.mp3|Track 10.mp3"},
    {"exists", "temp/notes.txt", "", "yes"},
    {"exists", "temp/hidden.mp3", "", "no"},
    {"exists", "temp/folder.mp3", "", "no"},
    // Finish: the MP3 files go, letter case ignored; the rest stays.
    {"delete", "temp/*.mp3", "", "ok"},
    {"list", "temp", "", "notes.txt"},
    {"folder", "temp/folder.mp3", "", "yes"},
    {"delete", "temp/*.mp3", "", "ok"}, // nothing left to match
    {"delete", "missing/*.*", "", "ok"},
    // Delete All.
    {"delete", "temp/*.*", "", "ok"},
    {"list", "temp", "", ""},
    {"folder", "temp", "", "yes"},
};

// How a system hides a file named `path`: a leading dot, or an attribute.
using HideFile = void (*)(const std::string& path);

class Walker {
public:
    Walker(platform::FileSystem& files, std::string root, HideFile hide)
        : files_(files), root_(std::move(root)), hide_(hide) {}

    // What the step of `row` gives.
    std::string Take(const Row& row) {
        try {
            return Step(row.step, Path(row.path), row.more);
        } catch (const platform::Failure& failure) {
            return failure.number() != 0 ? "failed" : "failed without a number";
        }
    }

private:
    std::string Path(const std::string& relative) const {
        std::string path = root_ + platform::kPathSeparator;
        for (char c : relative)
            path += c == '/' ? platform::kPathSeparator : c;
        return path;
    }

    std::string Step(const std::string& step, const std::string& path, const std::string& more) {
        if (step == "make")
            files_.MakeFolder(path);
        else if (step == "cd")
            files_.SetCurrentFolder(path);
        else if (step == "cwd")
            return Relative(files_.CurrentFolder());
        else if (step == "write")
            WriteFile(path, more);
        else if (step == "hide")
            hide_(path);
        else if (step == "copy")
            files_.CopyInto(path, Path(more), {});
        else if (step == "stop")
            return files_.CopyInto(path, Path(more), [](auto, auto) { return false; }) ==
                           platform::CopyOutcome::Stopped
                       ? "stopped"
                       : "copied";
        else if (step == "read")
            return ReadFile(path);
        else if (step == "list")
            return Joined(files_.ListFiles(path));
        else if (step == "exists")
            return files_.FileExists(path) ? "yes" : "no";
        else if (step == "folder")
            return files_.FolderExists(path) ? "yes" : "no";
        else if (step == "delete")
            files_.DeleteMatching(path);
        return "ok";
    }

    // `path` below the test folder, or the whole of it.
    std::string Relative(const std::string& path) const {
        const bool below = path.size() > root_.size() && path.compare(0, root_.size(), root_) == 0;
        return below ? path.substr(root_.size() + 1) : path;
    }

    static std::string Joined(const std::vector<std::string>& names) {
        std::string joined;
        for (const std::string& name : names)
            joined += "|" + name;
        return joined.empty() ? joined : joined.substr(1);
    }

    platform::FileSystem& files_;
    std::string root_;
    HideFile hide_;
};

} // namespace fsroad
