#include "PanePage.h"

#include "DocumentScript.h"
#include "PageBoxes.h"
#include "PageLogins.h"
#include "WebAddress.h"
#include "WebPageAnswers.h"
#include "panes/media/PageMediaReader.h"

#include <QAuthenticator>
#include <QCoreApplication>
#include <QUuid>
#include <QWebEngineLoadingInfo>
#include <QWidget>

namespace platform {

namespace {
// What our script writes when a page's document is made: a page cannot
// write it, as it cannot know it.
const QString& documentNote() {
    static const QString note =
        QStringLiteral("wavecrest:document:") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    return note;
}

// The text the engine asks its leave-page question with.
bool isLeaveQuestion(const QString& message) {
    return message ==
           QCoreApplication::translate("QWebEnginePage",
                                       "Are you sure you want to leave this page? Changes that "
                                       "you made may not be saved.");
}
} // namespace

PanePage::PanePage(QWebEngineProfile* profile, WebPageAnswers& answers, QWidget* pane)
    : QWebEnginePage(profile, pane), answers_(answers), pane_(pane),
      boxes_(new PageBoxes(answers.dialogs(), asking_, pane, this)),
      logins_(new PageLogins(answers.dialogs(), asking_, pane, this)) {
    // A page that goes elsewhere by itself (a link, a script) leaves its
    // boxes and logins behind.
    // A load that ends without a document of its own (a download, a
    // refusal) leaves the page where it was; the end of the load a
    // navigation replaced is not the next page's.
    connect(this, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo& info) {
        if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus)
            return leave(false, info.url());
        if (!leaving_ || info.url() == arriving_) {
            leaving_ = false;
            arriving_.clear();
        }
    });
    AddDocumentScript(this, QStringLiteral("wavecrest-document"),
                      QStringLiteral("console.debug('%1')").arg(documentNote()),
                      QWebEngineScript::ApplicationWorld);
}

void PanePage::LogIn(const QUrl& address, const QString& site, QAuthenticator* authenticator) {
    if (fromPageLeft(address))
        *authenticator = QAuthenticator(); // as a cancelled box answers
    else
        logins_->LogIn(address, site, authenticator);
}

bool PanePage::fromPageLeft(const QUrl& address) const {
    // Until the next page's document is there, only its own address may
    // ask, and until it has loaded only its own site; the site left asks
    // no more while the pane shows another: the page left asks no more,
    // however many of its requests are still on their way.
    if (!leftSite_.isEmpty() && SiteOf(address) == leftSite_)
        return true;
    if (leaving_)
        return address != arriving_;
    return !arriving_.isEmpty() && SiteOf(address) != SiteOf(arriving_);
}

void PanePage::NoteUserInput() {
    lastInput_.start();
    gestureTaken_ = false;
}

void PanePage::NoteUserAddress(const QUrl& address) {
    userAddress_ = address;
    userAddressGiven_.start();
}

bool PanePage::TakeUserGesture(const QUrl& address) {
    if (!address.isEmpty() && address == userAddress_ && userAddressGiven_.isValid() &&
        userAddressGiven_.elapsed() <= kGestureMs) {
        userAddress_.clear();
        return true;
    }
    if (gestureTaken_ || !lastInput_.isValid() || lastInput_.elapsed() > kGestureMs)
        return false;
    gestureTaken_ = true;
    return true;
}

void PanePage::UserStopped() {
    leaving_ = false;
    arriving_.clear();
}

void PanePage::UserNavigated(const QUrl& address) {
    leave(true, address.isEmpty() ? url() : address);
}

void PanePage::leave(bool userMovedOn, const QUrl& arriving) {
    const QString left = SiteOf(url());
    leftSite_ = left == SiteOf(arriving) ? QString() : left;
    leaving_ = true;
    arriving_ = arriving;
    asking_.Leave(userMovedOn);
    boxes_->Leave();
    logins_->Leave();
}

void PanePage::javaScriptAlert(const QUrl& securityOrigin, const QString& msg) {
    if (!leaving_)
        boxes_->Alert(securityOrigin, msg);
}

bool PanePage::javaScriptConfirm(const QUrl& securityOrigin, const QString& msg) {
    // The engine asks its question before leaving a page through here too.
    const PageDialog::Kind kind = isLeaveQuestion(msg) ? PageDialog::Leave : PageDialog::Confirm;
    if (leaving_ && kind != PageDialog::Leave)
        return false;
    const bool accepted = boxes_->Ask(kind, securityOrigin, msg, {}).accepted;
    if (kind == PageDialog::Leave && !accepted) {
        leaving_ = false; // the user stays on the page after all
        if (onStay)
            onStay();
    }
    return accepted;
}

bool PanePage::javaScriptPrompt(const QUrl& securityOrigin, const QString& msg,
                                const QString& defaultValue, QString* result) {
    if (leaving_)
        return false;
    const PageDialogAnswer answer =
        boxes_->Ask(PageDialog::Prompt, securityOrigin, msg, defaultValue);
    if (answer.accepted && result)
        *result = answer.text;
    return answer.accepted;
}

bool PanePage::acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) {
    Q_UNUSED(type);
    Q_UNUSED(isMainFrame);
    if (OtherPrograms::EngineShowsItself(url))
        return true;
    // An address for another program: never handed on by the engine; asked
    // or refused here if the user's own click led to it, else dropped.
    answers_.otherPrograms().OpenElsewhere(url, TakeUserGesture());
    return false;
}

void PanePage::javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message,
                                        int lineNumber, const QString& sourceID) {
    if (message == documentNote()) {
        leaving_ = false; // the next page is there: it may ask
        return;
    }
    // A page may write the same line: it only makes us read its media again.
    if (message == PageMediaReader::ChangeNote() && onMediaChange) {
        onMediaChange();
        return;
    }
    QWebEnginePage::javaScriptConsoleMessage(level, message, lineNumber, sourceID);
}

} // namespace platform
