#pragma once
// Local names as scripts give them: either separator, wildcards in the last
// element, letter case ignored as on the Windows file system.
#include <string>
#include <vector>

namespace ftp {

// Turns a script's backslashes into the local separator, so Windows-style
// scripts work. Only for paths written in a script, never for found names.
std::string LocalPath(const std::string& scriptPath);

// '*' any run, '?' one character; letter case ignored, as on the Windows
// file system (the shared wildcard match).
bool NameMatches(const std::string& pattern, const std::string& name);

bool HasWildcards(const std::string& text);

struct LocalMatches {
    std::vector<std::string> paths; // folder as written + name as found
    std::string error;              // the folder could not be read
};

// The ordinary files matching `pattern` (wildcards in its last element only),
// sorted by name, letter case ignored. Wildcards never match a name beginning
// with "." (hidden files and the staging copy's temporary files), as in a
// shell. A name without wildcards, or any name when `wildcards` is off, gives
// itself. A folder that cannot be listed is an error, no match is not.
// `gone` are names of files opened from that folder earlier, matched as if
// they were still there.
LocalMatches ExpandLocalPattern(const std::string& pattern, bool wildcards = true,
                                const std::vector<std::string>& gone = {});

// The last element of a path: the name a local file gets on the server, or
// a remote name's own part. Only "/" separates, on both sides: a "\" found
// in a local name is part of that name.
std::string BaseName(const std::string& path);

// The folder part of a local path, "." when it has none.
std::string FolderOf(const std::string& path);

} // namespace ftp
