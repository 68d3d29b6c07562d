#include "OtherPrograms.h"

#include "WebAddress.h"
#include "core/MsgBox.h"
#include "core/Services.h"
#include "core/Shell.h"

#include <QTimer>
#include <QWebEngineNewWindowRequest>

namespace platform {

bool OtherPrograms::EngineShowsItself(const QUrl& address) {
    static const QStringList inside{"http",       "https", "about",      "blob",
                                    "chrome",     "data",  "file",       "filesystem",
                                    "javascript", "qrc",   "view-source"};
    return inside.contains(address.scheme().toLower());
}

QString OtherPrograms::RefusalText(const QUrl& address) {
    return QStringLiteral("Wavecrest does not open \"%1:\" addresses, so this one was not opened.")
        .arg(address.scheme());
}

void OtherPrograms::OpenNewWindow(const QWebEngineNewWindowRequest& request) {
    // Only a click may open a window; a page opening windows by itself is
    // refused, as a browser blocks pop-ups.
    if (!request.isUserInitiated())
        return;
    const QUrl address = request.requestedUrl();
    if (IsWebAddress(address))
        services().shell->Open(address.toString().toStdString());
    else
        OpenElsewhere(address, true);
}

void OtherPrograms::OpenElsewhere(const QUrl& address, bool byUser) {
    // One question at a time; a page that tries again meanwhile gets nothing.
    if (!byUser || asking_)
        return;
    asking_ = true;
    // Asked once the engine's call has returned: the engine never waits on it.
    QTimer::singleShot(0, this, [this, address] {
        askOrRefuse(address);
        asking_ = false;
    });
}

void OtherPrograms::askOrRefuse(const QUrl& address) {
    if (address.scheme().compare(QLatin1String("mailto"), Qt::CaseInsensitive) != 0) {
        services().messageBox->Show(RefusalText(address).toStdString(), kMbIconWarning);
        return;
    }
    const QString question = QStringLiteral("Open this e-mail address in your mail program?\n\n%1")
                                 .arg(address.toString());
    if (services().messageBox->Show(question.toStdString(),
                                    kMbYesNo | kMbIconQuestion | kMbDefButton2) == kIdYes)
        services().shell->Open(address.toString().toStdString());
}

} // namespace platform
