#pragma once
// The pane's web browser component on Qt WebEngine.
#include "platform/qt/WebBrowser.h"

#include <QObject>
#include <QTimer>
#include <QUrl>

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

    // Turns what a user typed into an address, as a browser's address bar
    // does: a bare host becomes an http address; empty text gives none.
    static QUrl AddressFromText(const QString& text);
    // The one web profile both panes share (cookies and storage for chat rooms).
    static QWebEngineProfile* SharedProfile();

private:
    void onLoadingChanged(const QWebEngineLoadingInfo& info);
    QWebEngineView* view_;
    bool navigationPending_ = false; // asked for, not yet started
    bool loading_ = false;           // started, not yet ended
    QTimer startWatch_;              // a navigation that never starts must not stay busy
};

class WebEngineBrowserFactory : public WebBrowserFactory {
public:
    WebBrowser* Create(QWidget* parent) override { return new WebEngineBrowser(parent); }
};

// Before QApplication: chooses how the web engine draws and runs its pages
// (unless the user chose through the usual variables). Qt WebEngine refuses
// to start as root with its sandbox on: keeps the sandbox for normal users;
// for root turns it off and says so once.
void PrepareWebEngine();

} // namespace platform
