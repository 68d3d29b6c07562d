#pragma once
// A mark on a staged file that this client sent it whole to a place, as the
// file then was (size and time of change). A second client started by a
// double-click sends only the files not marked for its place: a file staged
// again is a new file without the mark, one changed since no longer fits
// it. Kept with the file (an extended attribute), so nothing is left in the
// staging folder when the file goes; where the file system keeps no such
// attributes, files are sent as often as they are asked for.
#include <string>

namespace ftp {

bool SentBefore(int file, const std::string& destination);
void MarkSent(int file, const std::string& destination);

} // namespace ftp
