#pragma once
// The open-file dialog on QFileDialog: modal, one file at a time. Qt's
// dialog has long names, the Explorer style and no read-only check box
// whatever the flags say; kOfnFileMustExist and cancelError take effect.
#include "core/FileDialog.h"

#include <QStringList>

namespace platform {

class QtFileDialog final : public FileDialog {
public:
    FileDialogResult ShowOpen(const FileDialogSettings& settings) override;
};

// Turns a filter "Text|pattern;pattern|..." into Qt name filters. Each shows
// its text as written; its patterns ignore letter case as on Windows
// ("*.mp3" becomes "*.[mM][pP]3") and "*.*" matches every name.
QStringList QtNameFilters(const std::string& filter);

} // namespace platform
