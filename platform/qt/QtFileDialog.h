#pragma once
// The open-file dialog on QFileDialog: modal, one existing file at a time.
#include "platform/FileDialog.h"

#include <QStringList>

namespace platform {

class QtFileDialog : public FileDialog {
public:
    FileDialogResult ShowOpen(const FileDialogSettings& settings) override;
};

// Turns a filter "Text|pattern;pattern|..." into Qt name filters. Each shows
// its text as written; its patterns ignore letter case as on Windows
// ("*.mp3" becomes "*.[mM][pP]3") and "*.*" matches every name.
QStringList QtNameFilters(const std::string& filter);
// The pattern part of one filter entry in Qt's form.
QString QtPatterns(const QString& patterns);

} // namespace platform
