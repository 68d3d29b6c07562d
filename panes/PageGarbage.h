#pragma once
// The web engine here (Qt WebEngine 6.4) leaves a page's garbage to pile up:
// a page that animates, such as a player's level meter, grows by megabytes a
// minute for as long as it shows, where a browser's page stays level. So the
// engine starts with its collector exposed under a name of ours, and each
// pane has its page's garbage collected now and then.
#include <QObject>
#include <QTimer>

class QWebEnginePage;

namespace platform {

// The engine switch that lends the collector to our scripts.
const char* GarbageCollectorSwitch();

class PageGarbageCollector : public QObject {
public:
    explicit PageGarbageCollector(QWebEnginePage* page);

private:
    QWebEnginePage* page_;
    QTimer timer_;
};

} // namespace platform
