// Safe base behaviour of every platform seam: nothing happens, or the step
// fails cleanly with a reason, never a crash.
#include "CommandLine.h"
#include "Failure.h"
#include "FileDialog.h"
#include "FileSystem.h"
#include "MsgBox.h"
#include "ProcessStarter.h"
#include "Registry.h"
#include "Shell.h"

namespace platform {

namespace {
[[noreturn]] void unavailable(const std::string& what) {
    throw Failure(-1, what + " is not available on this system");
}
} // namespace

std::string FileSystem::ApplicationFolder() const {
    return ".";
}
bool FileSystem::FolderExists(const std::string&) const {
    return false;
}
void FileSystem::MakeFolder(const std::string&) {
    unavailable("Folder creation");
}
void FileSystem::SetCurrentFolder(const std::string&) {
    unavailable("Changing folders");
}
std::string FileSystem::CurrentFolder() const {
    return ".";
}
CopyOutcome FileSystem::CopyInto(const std::string&, const std::string&, const CopyProgress&) {
    unavailable("File copy");
}
void FileSystem::DeleteMatching(const std::string&) {
    unavailable("File deletion");
}
void FileSystem::DeleteExactFile(const std::string&) {
    unavailable("File deletion");
}
void FileSystem::ClearUnfinishedCopies(const std::string&) {}
bool FileSystem::FileExists(const std::string&) const {
    return false;
}
std::vector<std::string> FileSystem::ListFiles(const std::string&) const {
    return {};
}

void ProcessStarter::Start(const std::string&, int) {
    unavailable("Starting programs");
}

long Registry::OpenKey(RegKey, const std::string&, std::uint32_t, std::uint32_t, RegKey* result) {
    if (result)
        *result = 0;
    return kErrorFileNotFound;
}
long Registry::QueryValue(RegKey, const std::string&, std::uint32_t*, unsigned char*,
                          std::uint32_t*) {
    return kErrorInvalidHandle;
}
long Registry::CloseKey(RegKey) {
    return kErrorInvalidHandle;
}

int MsgBox::Show(const std::string&, int style, const std::string&) {
    const int buttons = style & 0xF;
    const bool second = (style & kMbDefButton2) != 0;
    switch (buttons) {
    case kMbYesNo:
        return second ? kIdNo : kIdYes;
    case kMbOkCancel:
        return second ? kIdCancel : kIdOk;
    default:
        return kIdOk;
    }
}

void Shell::Open(const std::string&) {}

std::string CommandLine::Text() const {
    return {};
}

std::string JoinArguments(int argc, const char* const* argv) {
    std::string text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            text += ' ';
        text += argv[i];
    }
    return text;
}

FileDialogResult FileDialog::ShowOpen(const FileDialogSettings&) {
    FileDialogResult result;
    result.outcome = FileDialogResult::Failed;
    result.number = -1;
    result.description = "No file dialog is available on this system";
    return result;
}

} // namespace platform
