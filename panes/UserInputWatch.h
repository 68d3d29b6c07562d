#pragma once
// Sees the user's clicks and keys in the panes, before the page does, and
// tells the pane's page (what lets a download or another program start).
#include <QList>
#include <QObject>
#include <QPair>
#include <QPointer>

class QWidget;

namespace platform {

class PanePage;

class UserInputWatch : public QObject {
public:
    // The one watch, over the whole application.
    static UserInputWatch& instance();
    void watch(QWidget* view, PanePage* page);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<QPair<QPointer<QWidget>, QPointer<PanePage>>> panes_;
};

} // namespace platform
