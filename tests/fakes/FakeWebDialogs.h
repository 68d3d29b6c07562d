#pragma once
// Web pane dialogs that answer as set and record what they were asked.
#include "platform/qt/WebDialogs.h"

#include <QStringList>

class FakeWebDialogs : public platform::WebDialogs {
public:
    QString ChooseSaveFile(const QString& suggested) override {
        asked << suggested;
        return saveAs;
    }
    bool AskLogin(const QString& site, const QString& realm, QString& user,
                  QString& password) override {
        asked << site + " " + realm;
        user = login.section(':', 0, 0);
        password = login.section(':', 1);
        return !login.isEmpty();
    }
    void ShowDownloadProgress(const QString&, qint64 received, qint64) override {
        shownProgress = received;
    }
    void EndDownloadProgress(const QString&) override {}

    QString saveAs;       // empty: the dialog is cancelled
    QString login;        // "user:password"; empty: the login is cancelled
    QStringList asked;    // save dialogs' starting paths, login sites and realms
    qint64 shownProgress = -1;
};
