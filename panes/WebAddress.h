#pragma once
// How the panes name a page's site and tell a web address from others.
#include <QString>
#include <QUrl>

namespace platform {

// Host, and port when the address gives one: who a box says is asking.
QString SiteOf(const QUrl& address);
// An http or https address.
bool IsWebAddress(const QUrl& address);

} // namespace platform
