#pragma once
// The pane's web browser component on Qt WebEngine.
#include "platform/qt/WebBrowser.h"

#include "WebDialogs.h"

#include <QObject>
#include <QUrl>
#include <memory>

class QWebEnginePage;
class QWebEngineView;
class QWebEngineProfile;
class QWebEngineLoadingInfo;

namespace platform {

// Lives as long as its view: both go with the window.
class WebEngineBrowser : public QObject, public WebBrowser {
public:
    explicit WebEngineBrowser(QWidget* parent);
    void Navigate(const QString& address) override;
    void Refresh() override;
    void Stop() override;
    bool Busy() const override;
    QString LocationName() const override;
    QWidget* widget() override;
    // The page, for what answers its requests (new windows, logins, ...).
    QWebEnginePage* page() const;

    // Turns what a user typed into an address, as a browser's address bar
    // does: a bare host becomes an http address; empty text gives none.
    static QUrl AddressFromText(const QString& text);
    // The one web profile both panes share (cookies and storage for chat rooms).
    static QWebEngineProfile* SharedProfile();

private:
    void onLoadingChanged(const QWebEngineLoadingInfo& info);
    void onUrlChanged(const QUrl& url);
    QWebEngineView* view_;
    // The newest Navigate's address until the engine shows it. The engine
    // reports no load start when a navigation replaces one still loading,
    // and none at all for a jump within the page shown.
    QUrl awaited_;
    bool awaiting_ = false;
    bool loading_ = false; // the engine reports a load in progress
};

class WebPageAnswers;

// Every pane it makes answers what its page asks (new windows, downloads,
// logins, permissions) through the one set of dialogs given here.
class WebEngineBrowserFactory : public WebBrowserFactory {
public:
    explicit WebEngineBrowserFactory(WebDialogs& dialogs);
    ~WebEngineBrowserFactory() override;
    WebBrowser* Create(QWidget* parent) override;

private:
    WebDialogs& dialogs_;
    std::unique_ptr<WebPageAnswers> answers_; // made with the first pane, after the application
};

// Before QApplication: chooses how the web engine draws and runs its pages
// (unless the user chose through the usual variables). Qt WebEngine refuses
// to start as root with its sandbox on: keeps the sandbox for normal users;
// for root turns it off and says so once.
void PrepareWebEngine();

} // namespace platform
