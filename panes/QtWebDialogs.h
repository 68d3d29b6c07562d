#pragma once
// The web panes' dialogs as Qt widgets. A page's boxes and logins stand
// over their pane as windows of their own, without holding up the rest of
// the program; the Save As dialog is modal.
#include "WebDialogs.h"

#include <QHash>
#include <QList>
#include <QPointer>

class QDialog;
class QProgressDialog;

namespace platform {

class QtWebDialogs : public WebDialogs {
public:
    QString ChooseSaveFile(const QString& suggested) override;
    void AskForPage(const PageDialog& dialog,
                    std::function<void(const PageDialogAnswer&)> answered) override;
    void AskLogin(const LoginDialog& login,
                  std::function<void(const LoginAnswer&)> answered) override;
    void CloseBoxes(QWidget* pane) override;
    void ShowDownloadProgress(const QString& file, qint64 received, qint64 total,
                              std::function<void()> cancel) override;
    void EndDownloadProgress(const QString& file) override;

    // The object name of the boxes shown over a pane, for tests that find them.
    static const char* const kPaneBoxName;

private:
    void showOverPane(QDialog* box, QWidget* pane);
    QHash<QString, QPointer<QProgressDialog>> progress_;       // one small window per download
    QList<QPair<QPointer<QDialog>, QPointer<QWidget>>> boxes_; // shown over panes
};

} // namespace platform
