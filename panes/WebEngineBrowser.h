#pragma once
// The pane's web browser component on Qt WebEngine.
#include "panes/WebBrowser.h"

#include "WebDialogs.h"
#include "panes/media/MediaControls.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <memory>

#include <QLabel>
class QWebEnginePage;
class QWebEngineView;
class QWebEngineProfile;
class QWebEngineLoadingInfo;

namespace platform {

class PanePage;
class MediaPublisher;
class WebPageAnswers;

// Lives as long as its view: both go with the window. Each pane's pages run
// in a page process of their own. The pane heals by itself:
// - when its page process ends, the pane says so and loads its page again,
//   once a minute at most; a second end within the minute leaves the
//   message with a way to load it again;
// - while it shows a network error for a page of its own site (the site of
//   its first address), it tries again every few seconds, less often once
//   the site has been gone for long, and stays busy until the page shows.
// An address for another program (any but the engine's own schemes) is
// asked about (mailto:) or refused, never handed on.
class WebEngineBrowser : public QObject, public WebBrowser {
public:
    WebEngineBrowser(QWidget* parent, WebPageAnswers& answers);
    ~WebEngineBrowser() override;
    void Navigate(const QString& address) override;
    void Refresh() override;
    void Stop() override;
    bool Busy() const override;
    QString LocationName() const override;
    QWidget* widget() override;
    // The page, for what answers its requests (new windows, logins, ...).
    QWebEnginePage* page() const;
    // The text shown over the pane, empty when none is, and where (for tests).
    QString Notice() const;
    QLabel* NoticeLabel() const { return notice_; }

    // Turns what a user typed into an address, as a browser's address bar
    // does: a bare host becomes an http address; empty text gives none.
    static QUrl AddressFromText(const QString& text);
    // The one web profile both panes share (cookies and storage for chat rooms).
    static QWebEngineProfile* SharedProfile();
    // The wait before the next try, once the site has been gone for `gone` ms.
    static int RetryDelayMs(qint64 gone);
    // Two ends of the page process within this time leave the pane to the user.
    static constexpr int kCrashWindowMs = 60000;

private:
    friend class WebEngineBrowserFactory; // shows the desktop what the page plays
    void onLoadingChanged(const QWebEngineLoadingInfo& info);
    void onUrlChanged(const QUrl& url);
    void onProcessEnded();
    void retryLater(const QWebEngineLoadingInfo& info);
    void retryNow();
    void showNotice(const QString& text, const QString& link = {});
    void hideNotice();
    void stopRetrying();
    bool ownSite(const QUrl& address) const;

    QWebEngineView* view_;
    PanePage* page_;
    WebPageAnswers& answers_;
    QPointer<QLabel> notice_; // beside the view, in the view's parent
    // The newest Navigate's address until the engine shows it. The engine
    // reports no load start when a navigation replaces one still loading,
    // and none at all for a jump within the page shown.
    QUrl awaited_;
    bool awaiting_ = false;
    bool loading_ = false; // the engine reports a load in progress
    // The site of the pane's first address: its own pages.
    QUrl home_;
    // Trying a page of its own site again after a network error.
    bool retrying_ = false;
    QUrl retryAddress_;
    QElapsedTimer goneSince_;
    QTimer retryTimer_;
    QElapsedTimer lastProcessEnd_;
};

// Every pane it makes answers what its page asks (new windows, downloads,
// logins, permissions) through the one set of dialogs given here, and
// shows what plays in it on the desktop's media controls.
class WebEngineBrowserFactory : public WebBrowserFactory {
public:
    using MediaControlsMaker = std::function<std::unique_ptr<MediaControls>()>;
    explicit WebEngineBrowserFactory(WebDialogs& dialogs,
                                     MediaControlsMaker makeMediaControls = MakeMediaControls);
    ~WebEngineBrowserFactory() override;
    WebBrowser* Create(QWidget* parent) override;

private:
    WebDialogs& dialogs_;
    MediaControlsMaker makeMediaControls_;
    std::unique_ptr<WebPageAnswers> answers_; // made with the first pane, after the application
    // What plays, for the desktop: it goes with the application, before the
    // session bus it is published on.
    QPointer<MediaPublisher> media_;
};

// Before QApplication: chooses how the web engine draws and runs its pages
// (unless the user chose through the usual variables). Qt WebEngine refuses
// to start as root with its sandbox on: keeps the sandbox for normal users;
// for root turns it off and says so once.
void PrepareWebEngine();

} // namespace platform
