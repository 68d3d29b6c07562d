#pragma once
// The boxes one page shows over its pane: its script boxes (alert,
// confirm, prompt, the leave-page question) and its permission questions.
// - A frame from another site than the page's says so: "An embedded page
//   at ... says:".
// - One box at a time: an alert while a box shows is dropped; a question
//   or a permission question waits its turn.
// - From the page's second box on, and on every permission question, the
//   box lets the user stop the page, its frames with it (PageAsking); a
//   stopped page gets a browser's answers (an alert returns, a question is
//   declined, leaving goes ahead, a permission is denied).
// - An alert needs no answer and holds nothing up. A question holds its
//   page, and the engine with it, until it is answered: the window stays
//   usable meanwhile (PaneWait).
// - Leaving the page (Leave) answers its boxes, shown or waiting, at once
//   as closed boxes are.
#include "PageAsking.h"
#include "WebDialogs.h"

#include <QList>
#include <QObject>
#include <QUrl>
#include <functional>

class QWebEnginePage;

namespace platform {

class PageBoxes : public QObject {
public:
    // The boxes of `page`, which they go with.
    PageBoxes(WebDialogs& dialogs, PageAsking& asking, QWidget* pane, QWebEnginePage* page);

    void Alert(const QUrl& origin, const QString& message);
    // A question the page waits on (Confirm, Prompt or Leave).
    PageDialogAnswer Ask(PageDialog::Kind kind, const QUrl& origin, const QString& message,
                         const QString& text);
    // Whether the site may use a feature; `answered` is called once, maybe
    // after this returns. `question` says what it asks.
    void AskPermission(const QUrl& origin, const QString& question,
                       std::function<void(bool allowed)> answered);
    // The page is left (a typed address, Refresh, a link, its process ended).
    void Leave();

    // A page's text beyond this is not shown: a box stays a box.
    static QString Bounded(const QString& text);
    // What a browser answers a box the user stopped or that never showed.
    static PageDialogAnswer BrowserAnswer(PageDialog::Kind kind);

private:
    using Answered = std::function<void(const PageDialogAnswer&)>;
    void show(PageDialog dialog, Answered answered);
    void showNext();

    WebDialogs& dialogs_;
    PageAsking& asking_;
    QWidget* pane_;
    QWebEnginePage* page_;
    bool open_ = false;
    QList<std::function<void()>> queued_; // boxes waiting for the one shown
    int load_ = 0;                        // counts the times the page was left
};

} // namespace platform
