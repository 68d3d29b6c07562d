#include "PageLogins.h"

#include "PageBoxes.h"
#include "PaneWait.h"

#include <QAuthenticator>
#include <QPointer>
#include <QUrl>

namespace platform {

PageLogins::PageLogins(WebDialogs& dialogs, QWidget* pane, QObject* parent)
    : QObject(parent), dialogs_(dialogs), pane_(pane) {}

void PageLogins::LogIn(const QUrl& address, const QString& site, QAuthenticator* authenticator) {
    const QString realm = authenticator->realm();
    const QString key = site + QLatin1Char('\n') + realm;
    const QString request = address.toString();
    const int load = load_;
    QPointer<PageLogins> self(this);
    const auto cancel = [authenticator] {
        *authenticator = QAuthenticator(); // the page's own refusal is shown
    };
    for (;;) {
        if (!self || load != load_ || PaneWait::Closing(pane_))
            return cancel();
        Login& login = logins_[key];
        if (login.cancelled)
            return cancel();
        if (login.answers > 0 && login.triedWith.value(request) < login.answers) {
            login.triedWith[request] = login.answers;
            authenticator->setUser(login.user);
            authenticator->setPassword(login.password);
            return;
        }
        if (asking_) {
            // One box at a time: this request waits for its answer.
            PaneWait wait(pane_);
            waiting_ << &wait;
            const PaneWait::End end = wait.Run();
            if (!self)
                return cancel();
            waiting_.removeOne(&wait);
            if (end != PaneWait::End::Finished)
                return cancel(); // the window closes or the program ends
            continue;
        }
        // No answer yet, or this request came back with the newest: it was wrong.
        if (stopped_ || boxes_ >= kBoxesPerLoad)
            return cancel();
        ++boxes_;
        asking_ = true;
        dialogs_.AskLogin({site, PageBoxes::Bounded(realm), boxes_ >= 2, pane_},
                          [self, key, load](const LoginAnswer& answer) {
                              if (self && load == self->load_)
                                  self->answered(key, answer);
                          });
    }
}

void PageLogins::answered(const QString& key, const LoginAnswer& answer) {
    asking_ = false;
    Login& login = logins_[key];
    if (answer.given) {
        ++login.answers;
        login.user = answer.user;
        login.password = answer.password;
    } else {
        login.cancelled = true;
    }
    if (answer.stopPage)
        stopped_ = true;
    wakeWaiting();
}

void PageLogins::wakeWaiting() {
    for (PaneWait* wait : std::as_const(waiting_))
        wait->Finish();
}

void PageLogins::Leave(bool userMovedOn) {
    ++load_; // requests still waiting belong to the page left: they are cancelled
    dialogs_.CloseBoxes(pane_);
    logins_.clear();
    boxes_ = 0;
    asking_ = false;
    if (userMovedOn)
        stopped_ = false;
    wakeWaiting();
}

} // namespace platform
