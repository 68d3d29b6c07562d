#include "LocalSide.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace ftp {

bool DiskLocalSide::ChangeFolder(const std::string& path, std::string& error) {
    if (::chdir(path.c_str()) == 0)
        return true;
    error = std::strerror(errno);
    return false;
}

std::string DiskLocalSide::CurrentFolder() const {
    std::error_code error;
    return std::filesystem::current_path(error).string();
}

bool DiskLocalSide::WriteFile(const std::string& path, const std::string& text,
                              std::string& error) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file && file.write(text.data(), static_cast<std::streamsize>(text.size())) && file.flush())
        return true;
    error = std::strerror(errno);
    return false;
}

} // namespace ftp
