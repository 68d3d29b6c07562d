#include "WebAddress.h"

namespace platform {

QString SiteOf(const QUrl& address) {
    return address.port() < 0 ? address.host()
                              : QStringLiteral("%1:%2").arg(address.host()).arg(address.port());
}

bool IsWebAddress(const QUrl& address) {
    const QString scheme = address.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

} // namespace platform
