#pragma once
// The modal open-file dialog, with the settings of a common dialog control.
#include <string>

namespace platform {

inline constexpr int kDialogCancelled = 32755;

// Option flags, as Windows numbers them.
inline constexpr unsigned kOfnHideReadOnly = 0x4;     // no read-only check box
inline constexpr unsigned kOfnFileMustExist = 0x1000; // only an existing file
inline constexpr unsigned kOfnExplorer = 0x80000;     // the Explorer-style dialog
inline constexpr unsigned kOfnLongNames = 0x200000;   // long file names

struct FileDialogSettings {
    std::string initialFolder;
    std::string filter;  // "Text (*.a)|*.a|All (*.*)|*.*"
    int filterIndex = 1; // counted from 1
    std::string title;
    unsigned flags = 0;       // kOfn... flags
    bool cancelError = false; // cancel reported with kDialogCancelled
};

struct FileDialogResult {
    enum Outcome { Chosen, Cancelled, Failed } outcome = Cancelled;
    std::string fileName; // full path when Chosen
    int number = 0;       // kDialogCancelled, or another failure's number
    std::string description;
};

class FileDialog {
public:
    virtual ~FileDialog() = default;
    // The base fails: no dialog can be shown.
    virtual FileDialogResult ShowOpen(const FileDialogSettings& settings);
};

} // namespace platform
