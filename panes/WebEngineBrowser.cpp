#include "WebEngineBrowser.h"

#include "PageGarbage.h"
#include "PaneHealing.h"
#include "PanePage.h"
#include "UserInputWatch.h"
#include "WebEngineSetup.h"
#include "WebPageAnswers.h"

#include <QLabel>
#include <QWebEngineLoadingInfo>
#include <QWebEngineView>

namespace platform {

WebEngineBrowser::WebEngineBrowser(QWidget* parent, WebPageAnswers& answers)
    : view_(new QWebEngineView(parent)), answers_(answers) {
    setParent(view_);
    page_ = new PanePage(SharedWebProfile(), answers, view_);
    view_->setPage(page_);
    new PageGarbageCollector(page_);
    healing_ = new PaneHealing(view_, parent);
    healing_->onChange = [this] {
        if (onChangedByItself)
            onChangedByItself();
    };
    view_->setFocusPolicy(Qt::StrongFocus);
    answers.Serve(page_);
    // Staying on a page ends the navigation that would have left it.
    page_->onStay = [this] {
        awaiting_ = false;
        loading_ = false;
    };
    UserInputWatch::instance().watch(view_, page_);
    connect(page_, &QWebEnginePage::loadingChanged, this,
            [this](const QWebEngineLoadingInfo& info) { onLoadingChanged(info); });
    connect(page_, &QWebEnginePage::urlChanged, this,
            [this](const QUrl& url) { onUrlChanged(url); });
    connect(page_, &QWebEnginePage::renderProcessTerminated, this, [this] { onProcessEnded(); });
}

QUrl WebEngineBrowser::AddressFromText(const QString& text) {
    if (text.trimmed().isEmpty())
        return {};
    return QUrl::fromUserInput(text);
}

void WebEngineBrowser::Navigate(const QString& address) {
    const QUrl url = AddressFromText(address);
    if (!url.isValid())
        return; // nothing to load: nothing shown, nothing reported
    const bool shownHere = OtherPrograms::EngineShowsItself(url);
    healing_->UserNavigated(shownHere ? url : QUrl());
    // Another program's address, or a script run in the page, leaves the
    // page where it is.
    if (shownHere && url.scheme() != QLatin1String("javascript"))
        page_->UserNavigated(url);
    page_->NoteUserAddress(url); // the user's own address may be a file to download
    if (!shownHere) {
        // Another program's address: asked about or refused, never loaded.
        awaiting_ = false;
        answers_.otherPrograms().OpenElsewhere(url, true);
        return;
    }
    // A script address runs in the page shown; nothing is loaded.
    awaiting_ = url.scheme() != QLatin1String("javascript");
    awaited_ = url;
    view_->load(url);
}

void WebEngineBrowser::Refresh() {
    page_->UserNavigated();
    if (!healing_->Refresh())
        view_->reload();
}

void WebEngineBrowser::Stop() {
    awaiting_ = false;
    loading_ = false; // the load has ended, even before the engine reports it
    page_->UserStopped();
    healing_->Stop();
    view_->stop();
}

bool WebEngineBrowser::Busy() const {
    return awaiting_ || loading_ || healing_->Retrying();
}

QString WebEngineBrowser::LocationName() const {
    // The engine keeps the title of a page whose process ended.
    return healing_->PageStopped() ? QStringLiteral("This page stopped working") : view_->title();
}

QWidget* WebEngineBrowser::widget() {
    return view_;
}

QWebEnginePage* WebEngineBrowser::page() const {
    return page_;
}

QString WebEngineBrowser::Notice() const {
    return healing_->Notice();
}

QLabel* WebEngineBrowser::NoticeLabel() const {
    return healing_->NoticeLabel();
}

void WebEngineBrowser::onLoadingChanged(const QWebEngineLoadingInfo& info) {
    // A load started after Navigate is the newest navigation's. A navigation
    // that replaces a running load ends that load without a start of its own;
    // one the engine refuses only ends. Either way nothing is loading any more.
    loading_ = info.status() == QWebEngineLoadingInfo::LoadStartedStatus;
    awaiting_ = false;
    healing_->LoadEnded(info);
}

void WebEngineBrowser::onUrlChanged(const QUrl& url) {
    // The address is shown; a load still running keeps the pane busy.
    if (url == awaited_)
        awaiting_ = false;
}

void WebEngineBrowser::onProcessEnded() {
    // The load it stood for has ended with it: the window's busy indicator
    // stops. Boxes the page had open go with it.
    awaiting_ = false;
    loading_ = false;
    page_->UserNavigated();
    healing_->ProcessEnded();
}

} // namespace platform
