#pragma once
// Local names as scripts give them: either separator, wildcards in the last
// element, letter case ignored as on the Windows file system.
#include <string>
#include <vector>

namespace ftp {

// Turns backslashes into the local separator, so Windows-style scripts work.
std::string LocalPath(const std::string& scriptPath);

// '*' any run, '?' one character; ASCII letter case ignored.
bool NameMatches(const std::string& pattern, const std::string& name);

// The ordinary files matching `pattern` (wildcards in its last element only),
// sorted by name, letter case ignored; a name without wildcards gives itself
// if it is a file.
std::vector<std::string> ExpandLocalPattern(const std::string& pattern);

// The last element of a path: the name the file gets on the server.
std::string BaseName(const std::string& path);

} // namespace ftp
