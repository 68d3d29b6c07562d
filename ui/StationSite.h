#pragma once
// Addresses on the station site, whose host name is a build-time setting.
#include "ProjectSettings.h"

#include <QString>

namespace platform {

inline QString StationHost() {
    return QString::fromUtf8(settings::kStationHost);
}

// "http://", the host name and `path`; the front page has no path.
inline QString StationAddress(const QString& path = {}) {
    return QStringLiteral("http://") + StationHost() + path;
}

} // namespace platform
