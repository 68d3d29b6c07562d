#include "PageLogins.h"

#include "PageBoxes.h"
#include "PaneWait.h"

#include <QAuthenticator>
#include <QPointer>
#include <QUrl>

namespace platform {

PageLogins::PageLogins(WebDialogs& dialogs, PageAsking& asking, QWidget* pane, QObject* parent)
    : QObject(parent), dialogs_(dialogs), asking_(asking), pane_(pane) {}

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
        if (boxShown_) {
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
        if (asking_.Stopped() || boxes_ >= kBoxesPerLoad)
            return cancel();
        ++boxes_;
        boxShown_ = true;
        const bool offerStop = asking_.NoteShown();
        dialogs_.AskLogin({site, PageBoxes::Bounded(realm), offerStop, pane_},
                          [self, key, load](const LoginAnswer& answer) {
                              if (self && load == self->load_)
                                  self->answered(key, answer);
                          });
    }
}

void PageLogins::answered(const QString& key, const LoginAnswer& answer) {
    boxShown_ = false;
    Login& login = logins_[key];
    if (answer.given) {
        ++login.answers;
        login.user = answer.user;
        login.password = answer.password;
    } else {
        login.cancelled = true;
    }
    if (answer.stopPage)
        asking_.Stop();
    wakeWaiting();
}

void PageLogins::wakeWaiting() {
    for (PaneWait* wait : std::as_const(waiting_))
        wait->Finish();
}

void PageLogins::Leave() {
    ++load_; // requests still waiting belong to the page left: they are cancelled
    dialogs_.CloseBoxes(pane_);
    logins_.clear();
    boxes_ = 0;
    boxShown_ = false;
    wakeWaiting();
}

} // namespace platform
