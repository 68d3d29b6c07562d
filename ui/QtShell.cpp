#include "QtShell.h"

#include "core/MsgBox.h"
#include "core/Services.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace platform {

namespace {

// The freedesktop opener. Qt starts it and forgets it, so its failure to
// find a browser would only reach the terminal.
const QString kDesktopOpener = QStringLiteral("xdg-open");

void sayNoBrowser(const std::string& address) {
    services().messageBox->Show(QtShell::NoBrowserMessage(address), kMbOk | kMbIconInformation);
}

// Runs the desktop's opener where there is one and reports when it ends in
// failure; false when the desktop has none.
bool openWithDesktopOpener(const std::string& address) {
    const QString opener = QStandardPaths::findExecutable(kDesktopOpener);
    if (opener.isEmpty())
        return false;
    // Without a parent: a browser the opener waits for may outlive the program.
    auto* run = new QProcess;
    run->setStandardOutputFile(QProcess::nullDevice());
    run->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(run, &QProcess::finished, run,
                     [run, address](int status, QProcess::ExitStatus how) {
                         run->deleteLater();
                         if (how != QProcess::NormalExit || status != 0)
                             sayNoBrowser(address);
                     });
    QObject::connect(run, &QProcess::errorOccurred, run, [run, address](QProcess::ProcessError e) {
        if (e != QProcess::FailedToStart)
            return;
        run->deleteLater();
        sayNoBrowser(address);
    });
    run->start(opener, {QString::fromStdString(address)});
    return true;
}

} // namespace

void QtShell::Open(const std::string& address) {
    if (openWithDesktopOpener(address))
        return;
    if (!QDesktopServices::openUrl(QUrl(QString::fromStdString(address), QUrl::TolerantMode)))
        sayNoBrowser(address);
}

std::string QtShell::NoBrowserMessage(const std::string& address) {
    return "No program on this computer opens web addresses, so Wavecrest could not open this "
           "page. Copy its address into a web browser:\r\n\r\n" +
           address;
}

} // namespace platform
