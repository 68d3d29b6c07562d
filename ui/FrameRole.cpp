#include "FrameRole.h"

#include <QAccessibleWidget>
#include <QSet>
#include <QString>
#include <QWidget>

namespace platform {

namespace {

QSet<QString>& frameClasses() {
    static QSet<QString> classes;
    return classes;
}

// Asked for each class of an object from the most derived one up.
QAccessibleInterface* accessibleWindow(const QString& className, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (!widget || !widget->isWindow() || !frameClasses().contains(className))
        return nullptr;
    return new QAccessibleWidget(widget, QAccessible::Window);
}

} // namespace

void AnnounceAsFrame(const QMetaObject& windowClass) {
    if (frameClasses().isEmpty())
        QAccessible::installFactory(accessibleWindow);
    frameClasses().insert(QString::fromLatin1(windowClass.className()));
}

} // namespace platform
