#include "QtFileDialog.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <algorithm>

namespace platform {

namespace {

const char* const kCancelDescription = "Cancel was selected.";

// The pattern part of one filter entry in Qt's form.
QString QtPatterns(const QString& patterns) {
    QStringList converted;
    for (const QString& pattern : patterns.split(';', Qt::SkipEmptyParts)) {
        const QString trimmed = pattern.trimmed();
        if (trimmed == QStringLiteral("*.*")) {
            converted << QStringLiteral("*");
            continue;
        }
        QString caseless;
        for (const QChar c : trimmed) {
            if (c.isLetter() && c.unicode() < 0x80 && c.toLower() != c.toUpper())
                caseless += QStringLiteral("[") + c.toLower() + c.toUpper() + QChar(']');
            else
                caseless += c;
        }
        converted << caseless;
    }
    return converted.join(' ');
}

FileDialogResult Cancelled(bool reportedAsFailure) {
    FileDialogResult result;
    result.outcome = FileDialogResult::Cancelled;
    if (reportedAsFailure) {
        result.number = kDialogCancelled;
        result.description = kCancelDescription;
    }
    return result;
}

} // namespace

QStringList QtNameFilters(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList filters;
    // The patterns go in a last pair of brackets, which the dialog hides.
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + QStringLiteral(" (") + QtPatterns(parts[i + 1]) + ')';
    return filters;
}

FileDialogResult QtFileDialog::ShowOpen(const FileDialogSettings& settings) {
    QFileDialog dialog(QApplication::activeWindow(), QString::fromStdString(settings.title),
                       QFile::decodeName(settings.initialFolder.c_str()));
    // Qt's own dialog, so the filters behave alike on every desktop.
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(settings.flags & kOfnFileMustExist ? QFileDialog::ExistingFile
                                                          : QFileDialog::AnyFile);
    const QStringList filters = QtNameFilters(settings.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const qsizetype index =
            std::clamp<qsizetype>(settings.filterIndex - 1, 0, filters.size() - 1);
        dialog.selectNameFilter(filters[index]);
    }
    dialog.setWindowModality(Qt::ApplicationModal);

    FileDialogResult result;
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        result.outcome = FileDialogResult::Chosen;
        result.fileName = QFile::encodeName(dialog.selectedFiles().first()).toStdString();
        return result;
    }
    return Cancelled(settings.cancelError);
}

} // namespace platform
