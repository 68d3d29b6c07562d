#pragma once
// The embedded web browser component of a pane: the five members the
// windows use. Text that is not a usable address is the component's business.
#include <QString>
#include <QWidget>
#include <functional>

namespace platform {

class WebBrowser {
public:
    virtual ~WebBrowser() = default;
    // Starts loading and returns before the page has loaded.
    virtual void Navigate(const QString& address) = 0;
    virtual void Refresh() = 0;
    virtual void Stop() = 0;
    // True from the moment Navigate returns until that load has ended.
    virtual bool Busy() const = 0;
    // The title of the page the pane shows.
    virtual QString LocationName() const = 0;
    // The widget to place in the window (owned by whoever holds the browser).
    virtual QWidget* widget() = 0;

    // Called when the pane changes without the window asking: its page
    // stopped working, or the pane loads it again. Busy and LocationName
    // then tell what they tell after a navigation.
    std::function<void()> onChangedByItself;
};

// Makes the browser component for a pane; tests install one that makes fakes.
class WebBrowserFactory {
public:
    virtual ~WebBrowserFactory() = default;
    virtual WebBrowser* Create(QWidget* parent) = 0;
};

} // namespace platform
