#pragma once
// Addresses the panes do not show themselves, and windows a page opens:
// - a click on an http or https link to a new window opens it in the
//   user's default browser; pop-ups of the page's own are dropped;
// - a mailto: address the user asked for is asked about first (No is the
//   default); every other address for another program is refused with a
//   short message; one a page tries without the user is dropped.
// Nothing opens inside the program.
#include <QObject>
#include <QUrl>

class QWebEngineNewWindowRequest;

namespace platform {

class OtherPrograms : public QObject {
public:
    void OpenNewWindow(const QWebEngineNewWindowRequest& request);
    // An address that the engine does not show itself: asked about (mailto:)
    // or refused with a message when the user asked for it, else dropped.
    void OpenElsewhere(const QUrl& address, bool byUser);

    // Schemes the engine shows in the pane itself, never handing them to
    // another program (http, https, about, data, file, ...).
    static bool EngineShowsItself(const QUrl& address);
    // The message that refuses an address for another program.
    static QString RefusalText(const QUrl& address);

private:
    void askOrRefuse(const QUrl& address);
    bool asking_ = false; // a question or refusal is on its way
};

} // namespace platform
