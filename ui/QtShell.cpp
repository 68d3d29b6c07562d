#include "QtShell.h"

#include <QDesktopServices>
#include <QUrl>

namespace platform {

void QtShell::Open(const std::string& address) {
    // The result is not looked at: a page that cannot be opened gives no message.
    QDesktopServices::openUrl(QUrl(QString::fromStdString(address), QUrl::TolerantMode));
}

} // namespace platform
