#pragma once
// Web pane dialogs that answer as set and record what they were asked.
#include "panes/WebDialogs.h"

#include <QStringList>
#include <deque>

class FakeWebDialogs : public platform::WebDialogs {
public:
    QString ChooseSaveFile(const QString& suggested) override {
        asked << suggested;
        return saveAs;
    }
    void AskForPage(const platform::PageDialog& dialog,
                    std::function<void(const platform::PageDialogAnswer&)> answered) override {
        asked << dialog.site + " says " + dialog.message;
        offeredStop << dialog.offerStop;
        platform::PageDialogAnswer answer;
        if (!pageAnswers.empty()) {
            answer = pageAnswers.front();
            pageAnswers.pop_front();
        }
        answered(answer);
    }
    void AskLogin(const platform::LoginDialog& dialog,
                  std::function<void(const platform::LoginAnswer&)> answered) override {
        asked << dialog.site + " " + dialog.realm;
        offeredStop << dialog.offerStop;
        answered({!login.isEmpty(), login.section(':', 0, 0), login.section(':', 1), false});
    }
    void CloseBoxes(QWidget*) override {}
    void ShowDownloadProgress(const QString&, qint64 received, qint64,
                              std::function<void()> cancelling) override {
        shownProgress = received;
        cancel = cancelling;
    }
    void EndDownloadProgress(const QString&) override { cancel = nullptr; }

    QString saveAs; // empty: the dialog is cancelled
    QString login;  // "user:password"; empty: the login is cancelled
    std::deque<platform::PageDialogAnswer> pageAnswers; // then: closed unanswered
    QStringList asked;       // save dialogs' starting paths, login sites and realms, page boxes
    QList<bool> offeredStop; // by each box and login, in order
    qint64 shownProgress = -1;
    std::function<void()> cancel; // the running download's Cancel button
};
