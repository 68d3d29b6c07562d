#pragma once
// The pane's web browser component on Qt WebEngine.
#include "panes/WebBrowser.h"

#include <QObject>
#include <QUrl>

class QLabel;
class QWebEngineLoadingInfo;
class QWebEnginePage;
class QWebEngineView;

namespace platform {

class PaneHealing;
class PanePage;
class WebPageAnswers;

// Lives as long as its view: both go with the window. Each pane's pages run
// in a page process of their own. The pane heals by itself (PaneHealing)
// and stays busy while it tries its page again. An address for another
// program (any but the engine's own schemes) is asked about (mailto:) or
// refused, never handed on.
class WebEngineBrowser : public QObject, public WebBrowser {
public:
    WebEngineBrowser(QWidget* parent, WebPageAnswers& answers);
    void Navigate(const QString& address) override;
    void Refresh() override;
    void Stop() override;
    bool Busy() const override;
    QString LocationName() const override;
    QWidget* widget() override;
    // The page, for what answers its requests (new windows, logins, ...).
    QWebEnginePage* page() const;
    PanePage* panePage() const { return page_; }
    // The text shown over the pane, empty when none is, and where (for tests).
    QString Notice() const;
    QLabel* NoticeLabel() const;

    // Turns what a user typed into an address, as a browser's address bar
    // does: a bare host becomes an http address; empty text gives none.
    static QUrl AddressFromText(const QString& text);

private:
    void onLoadingChanged(const QWebEngineLoadingInfo& info);
    void onUrlChanged(const QUrl& url);
    void onProcessEnded();

    QWebEngineView* view_;
    PanePage* page_;
    WebPageAnswers& answers_;
    PaneHealing* healing_;
    // The newest Navigate's address until the engine shows it. The engine
    // reports no load start when a navigation replaces one still loading,
    // and none at all for a jump within the page shown.
    QUrl awaited_;
    bool awaiting_ = false;
    bool loading_ = false; // the engine reports a load in progress
};

} // namespace platform
