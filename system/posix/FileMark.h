#pragma once
// A named mark kept with a file (an extended attribute) that holds a text
// and the file as it was when marked (size and time of change): a file
// changed since, or another file put in its place, fits no mark, and the
// mark goes with the file. Where the file system keeps no such attributes,
// nothing is marked and nothing fits.
#include <string>

namespace platform::posix {

bool FitsMark(int file, const std::string& name, const std::string& text);
void Mark(int file, const std::string& name, const std::string& text);

} // namespace platform::posix
