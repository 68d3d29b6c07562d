#pragma once
// The logins one page's requests ask for, over its pane:
// - one box at a time; its answer serves every request for that site and
//   realm, and its Cancel cancels them all;
// - at most three boxes for a page load, whatever the realms (a wrong
//   answer asks again within that count); from the page's second box on
//   (its script boxes count too) the box lets the user stop the page, its
//   frames with it (PageAsking);
// - a request that gets no box gets the answer a cancelled box gives: the
//   page's own refusal shows;
// - leaving the page (Leave) cancels its waiting requests at once.
//   A page that reloads itself gets three more boxes, unless stopped.
#include "PageAsking.h"
#include "WebDialogs.h"

#include <QHash>
#include <QList>
#include <QObject>

class QAuthenticator;

namespace platform {

class PaneWait;

class PageLogins : public QObject {
public:
    PageLogins(WebDialogs& dialogs, PageAsking& asking, QWidget* pane, QObject* parent);

    // Answers a request for `address` that `site` (or a proxy) refused.
    void LogIn(const QUrl& address, const QString& site, QAuthenticator* authenticator);
    // The page is left, or a new load starts: its logins are counted afresh.
    void Leave();

    static constexpr int kBoxesPerLoad = 3;

private:
    struct Login {
        bool cancelled = false;
        int answers = 0; // how many were given; the newest is below
        QString user;
        QString password;
        QHash<QString, int> triedWith; // request address: the answer it was given
    };
    void answered(const QString& key, const LoginAnswer& answer);
    void wakeWaiting();

    WebDialogs& dialogs_;
    PageAsking& asking_;
    QWidget* pane_;
    QHash<QString, Login> logins_; // by site and realm, for this page load
    int boxes_ = 0;                // shown for this page load
    bool boxShown_ = false;        // a box shows now
    int load_ = 0;                 // counts the times the page was left
    QList<PaneWait*> waiting_;     // requests waiting for the box's answer
};

} // namespace platform
