// Desktop notices through the freedesktop notification service on the
// session bus (org.freedesktop.Notifications).
#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

#include "DesktopNotice.h"
#include "ProjectSettings.h"

namespace ftp {

namespace {

constexpr int kReplyTimeoutMs = 3000;
constexpr uchar kNormalUrgency = 1;
constexpr uchar kCriticalUrgency = 2; // stays until the user dismisses it

QDBusMessage CallService(const QString& method, const QVariantList& arguments = {}) {
    auto call = QDBusMessage::createMethodCall("org.freedesktop.Notifications",
                                               "/org/freedesktop/Notifications",
                                               "org.freedesktop.Notifications", method);
    call.setArguments(arguments);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, kReplyTimeoutMs);
}

} // namespace

bool ShowDesktopNotice(const DesktopNotice& notice) {
    if (!QDBusConnection::sessionBus().isConnected())
        return false;
    const QDBusMessage capabilities = CallService("GetCapabilities");
    if (capabilities.type() != QDBusMessage::ReplyMessage || capabilities.arguments().isEmpty())
        return false;
    // A service that reads markup would take '&' or '<' in a song's name for it.
    QString body = QString::fromStdString(notice.body);
    if (capabilities.arguments().first().toStringList().contains("body-markup"))
        body = body.toHtmlEscaped();
    const QVariantMap hints{
        {"urgency", QVariant::fromValue(notice.failure ? kCriticalUrgency : kNormalUrgency)},
        {"desktop-entry", QString(settings::kDesktopId)}};
    const QDBusMessage reply = CallService(
        "Notify",
        {QString(settings::kTitle), 0u, QString(notice.failure ? "dialog-error" : "document-send"),
         QString::fromStdString(notice.title), body, QStringList(), hints, -1});
    return reply.type() == QDBusMessage::ReplyMessage;
}

} // namespace ftp
