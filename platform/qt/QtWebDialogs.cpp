#include "QtWebDialogs.h"

#include "platform/MsgBox.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>

namespace platform {

namespace {
constexpr int kKiB = 1024;
}

QString QtWebDialogs::ChooseSaveFile(const QString& suggested) {
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), QStringLiteral("Save As"),
                                        suggested);
}

bool QtWebDialogs::AskLogin(const QString& site, const QString& realm, QString& user,
                            QString& password) {
    QDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(QString::fromUtf8(kApplicationTitle));
    auto* form = new QFormLayout(&dialog);
    QString text = QStringLiteral("%1 asks for a user name and password.").arg(site);
    if (!realm.isEmpty())
        text += QStringLiteral("\nThe site says: \"%1\"").arg(realm);
    form->addRow(new QLabel(text));
    auto* userBox = new QLineEdit;
    auto* passwordBox = new QLineEdit;
    passwordBox->setEchoMode(QLineEdit::Password);
    form->addRow(QStringLiteral("&User name:"), userBox);
    form->addRow(QStringLiteral("&Password:"), passwordBox);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    user = userBox->text();
    password = passwordBox->text();
    return true;
}

void QtWebDialogs::ShowDownloadProgress(const QString& file, qint64 received, qint64 total) {
    QPointer<QProgressDialog>& shown = progress_[file];
    if (!shown) {
        shown = new QProgressDialog;
        shown->setAttribute(Qt::WA_DeleteOnClose);
        shown->setWindowTitle(QString::fromUtf8(kApplicationTitle));
        shown->setLabelText(QStringLiteral("Downloading %1").arg(QFileInfo(file).fileName()));
        shown->setCancelButton(nullptr);
        shown->setMinimumDuration(0);
    }
    // In KiB, so that large files stay inside the dialog's int range; an
    // unknown size shows a busy bar.
    shown->setMaximum(total > 0 ? int(total / kKiB) : 0);
    shown->setValue(int(received / kKiB));
}

void QtWebDialogs::EndDownloadProgress(const QString& file) {
    if (QPointer<QProgressDialog> shown = progress_.take(file))
        shown->close();
}

} // namespace platform
