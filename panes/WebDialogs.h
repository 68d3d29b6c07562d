#pragma once
// What the web panes ask the user on a page's behalf; tests answer with a fake.
//
// What a page asks (its script boxes, a login) is asked in a box that stands
// over that pane only, as a browser's tab-modal dialogs do: the box answers
// through a callback, and the rest of the window (the menu, the other pane,
// the address boxes) stays usable meanwhile. The Save As dialog follows the
// user's own click and is modal.
#include <QString>
#include <QtGlobal>
#include <functional>

class QWidget;

namespace platform {

// A box a page asks for: alert, confirm, prompt, the question before
// leaving a page that asks for it, or whether it may use a feature (the
// message then says which).
struct PageDialog {
    enum Kind { Alert, Confirm, Prompt, Leave, Permission };
    Kind kind = Alert;
    QString site;            // who asks: host and port of the page's origin
    QString message;         // the page's text, already bounded
    QString text;            // a prompt's default answer
    bool offerStop = false;  // the box lets the user stop the page's boxes
    QWidget* pane = nullptr; // the pane the page is shown in
    bool embedded = false;   // a frame of another site asks, not the page the pane shows
};

struct PageDialogAnswer {
    bool accepted = false; // OK or Leave; false for Cancel, Stay or a box closed
    QString text;          // what the user typed into a prompt
    bool stopPage = false; // the user chose that the page shows no more boxes
};

// A login a page's request asks for.
struct LoginDialog {
    QString site;            // who asks: host and port, or the proxy
    QString realm;           // what the site says, already bounded
    bool offerStop = false;  // the box lets the user stop the page's logins
    QWidget* pane = nullptr; // the pane the page is shown in
};

struct LoginAnswer {
    bool given = false; // false: cancelled
    QString user;
    QString password;
    bool stopPage = false; // the user chose that the page asks no more
};

class WebDialogs {
public:
    virtual ~WebDialogs() = default;
    // A save-file dialog opened at `suggested` (folder and name); empty when cancelled.
    virtual QString ChooseSaveFile(const QString& suggested) = 0;
    // Shows a page's box over its pane and returns at once; `answered` is
    // called once, when the user answers or the box is closed.
    virtual void AskForPage(const PageDialog& dialog,
                            std::function<void(const PageDialogAnswer&)> answered) = 0;
    // Asks for a user name and password over the login's pane and returns
    // at once; `answered` is called once with the answer.
    virtual void AskLogin(const LoginDialog& login,
                          std::function<void(const LoginAnswer&)> answered) = 0;
    // Closes every box still shown over `pane` (the pane has moved on or its
    // window is closing); their callbacks run as if the box was closed.
    virtual void CloseBoxes(QWidget* pane) = 0;
    // How far a download into `file` has come; `total` is -1 when the server
    // did not say. The progress shows a Cancel button that calls `cancel`.
    virtual void ShowDownloadProgress(const QString& file, qint64 received, qint64 total,
                                      std::function<void()> cancel) = 0;
    // The download into `file` has ended (complete or failed): its progress goes.
    virtual void EndDownloadProgress(const QString& file) = 0;
};

} // namespace platform
