#pragma once
// A pane heals by itself, and says so over its page:
// - when its page process ends, it loads its page again, once a minute at
//   most; a second end within the minute leaves the message with a way to
//   load it again, and that load counts as the minute's one;
// - while it shows a network error for a page of its own site (the site of
//   its first address), it tries again every few seconds, less often once
//   the site has been gone for long.
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <functional>

class QLabel;
class QWebEngineLoadingInfo;
class QWebEngineView;
class QWidget;

namespace platform {

class PaneHealing : public QObject {
public:
    // The notice lies over `view`, in `parent` beside it.
    PaneHealing(QWebEngineView* view, QWidget* parent);
    ~PaneHealing() override;

    // The user sent the pane to `address` (empty: one the pane does not
    // show): nothing to heal any more.
    void UserNavigated(const QUrl& address);
    // Refresh: true when it loaded the page being healed.
    bool Refresh();
    // Stop: a site being tried is left, with a way to try again.
    void Stop();
    void LoadEnded(const QWebEngineLoadingInfo& info);
    void ProcessEnded();
    // Trying the pane's page again: the pane stays busy until it shows.
    bool Retrying() const { return retrying_ || reload_ != Reload::None; }
    // Its page process ended, and the page has not shown again since.
    bool PageStopped() const { return pageStopped_; }
    // Called when the pane changes by itself: its page process ended, it
    // loads its page again at the user's click on the notice, or the page
    // shows again after its process ended.
    std::function<void()> onChange;

    QString Notice() const;
    QLabel* NoticeLabel() const;

    // The wait before the next try, once the site has been gone for `gone` ms.
    static int RetryDelayMs(qint64 gone);
    // Two ends of the page process within this time leave the pane to the user.
    static constexpr int kCrashWindowMs = 60000;

private:
    void retryLater(const QWebEngineLoadingInfo& info);
    void changed();
    void retryNow();
    void stopRetrying();
    void showNotice(const QString& text, const QString& link = {});
    void hideNotice();
    bool ownSite(const QUrl& address) const;

    QWebEngineView* view_;
    QPointer<QLabel> notice_;
    QUrl home_; // the pane's first address: its own site
    bool retrying_ = false;
    QUrl retryAddress_;
    QElapsedTimer goneSince_;
    QTimer retryTimer_;
    QElapsedTimer lastProcessEnd_;
    bool pageStopped_ = false;
    // A load of the page again, from asking to its end: the engine reports
    // its start a moment after it is asked for.
    enum class Reload { None, Asked, Started } reload_ = Reload::None;
};

} // namespace platform
