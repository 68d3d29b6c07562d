#pragma once
// What a page may use (notifications, camera, location...): asked in a
// box over its pane (PageBoxes), which lets the user stop the page asking.
// Only the page's own site asks; its frames from other sites are refused.
// The user's answer holds for that site and feature for as long as the
// program runs; requests that come while it is asked take the same answer.
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QWebEnginePage>

namespace platform {

class PanePage;

class PagePermissions : public QObject {
public:
    void Answer(PanePage* page, const QUrl& origin, QWebEnginePage::Feature feature);

    // "show notifications" and the like.
    static QString WhatIsAsked(QWebEnginePage::Feature feature);

private:
    struct Request {
        QPointer<PanePage> page;
        QUrl origin;
        QWebEnginePage::Feature feature;
    };
    void settle(const QString& key, bool allowed);

    QHash<QString, bool> answers_;          // per site and feature
    QHash<QString, QList<Request>> asking_; // per site and feature being asked
};

} // namespace platform
