#include "PageBoxes.h"

#include "PaneWait.h"
#include "WebAddress.h"

#include <QPointer>
#include <QWebEnginePage>
#include <memory>
#include <optional>

namespace platform {

namespace {
constexpr int kMaxShownText = 1000;
} // namespace

PageBoxes::PageBoxes(WebDialogs& dialogs, PageAsking& asking, QWidget* pane, QWebEnginePage* page)
    : QObject(page), dialogs_(dialogs), asking_(asking), pane_(pane), page_(page) {}

QString PageBoxes::Bounded(const QString& text) {
    return text.size() <= kMaxShownText ? text : text.left(kMaxShownText) + QStringLiteral("...");
}

PageDialogAnswer PageBoxes::BrowserAnswer(PageDialog::Kind kind) {
    PageDialogAnswer answer;
    answer.accepted = kind == PageDialog::Leave; // leaving is never held up
    return answer;
}

void PageBoxes::Alert(const QUrl& origin, const QString& message) {
    // The page and the engine go on while it shows (the other pane too); a
    // page's alerts while one of its boxes shows are dropped.
    if (!open_)
        show({PageDialog::Alert, SiteOf(origin), message, {}, false, pane_}, [](const auto&) {});
}

PageDialogAnswer PageBoxes::Ask(PageDialog::Kind kind, const QUrl& origin, const QString& message,
                                const QString& text) {
    // The engine waits with the page: neither pane's picture moves until
    // the box is answered.
    struct Pending {
        std::optional<PageDialogAnswer> answer;
        PaneWait* wait = nullptr;
    };
    auto pending = std::make_shared<Pending>();
    PaneWait wait(pane_);
    pending->wait = &wait;
    QPointer<QWidget> pane(pane_);
    WebDialogs& dialogs = dialogs_; // the page may be gone once the wait returns
    wait.onAbandon = [&dialogs, pane] { dialogs.CloseBoxes(pane); };
    show({kind, SiteOf(origin), message, text, false, pane_},
         [pending](const PageDialogAnswer& answer) {
             pending->answer = answer;
             if (pending->wait)
                 pending->wait->Finish();
         });
    const PaneWait::End end = wait.Run();
    pending->wait = nullptr;
    if (end == PaneWait::End::ProgramEnding && pane)
        dialogs.CloseBoxes(pane);
    return pending->answer.value_or(BrowserAnswer(kind));
}

void PageBoxes::AskPermission(const QUrl& origin, const QString& question,
                              std::function<void(bool allowed)> answered) {
    show({PageDialog::Permission, SiteOf(origin), question, {}, true, pane_},
         [answered](const PageDialogAnswer& answer) { answered(answer.accepted); });
}

void PageBoxes::show(PageDialog dialog, Answered answered) {
    if (open_) {
        queued_ << [this, dialog, answered, load = load_] {
            if (load == load_)
                show(dialog, answered);
            else
                answered(BrowserAnswer(dialog.kind));
        };
        return;
    }
    if (asking_.Stopped() || PaneWait::Closing(pane_))
        return answered(BrowserAnswer(dialog.kind));
    const bool secondOrLater = asking_.NoteShown();
    dialog.offerStop = secondOrLater || dialog.kind == PageDialog::Permission;
    dialog.message = Bounded(dialog.message);
    dialog.embedded = dialog.site != SiteOf(page_->url());
    open_ = true;
    QPointer<PageBoxes> self(this);
    dialogs_.AskForPage(dialog, [self, answered, load = load_](const PageDialogAnswer& answer) {
        // A box closed because its page was left stops nothing.
        if (self && load == self->load_ && answer.stopPage)
            self->asking_.Stop(); // before the answer: what it sets off finds the page stopped
        answered(answer);
        if (!self || load != self->load_)
            return;
        self->open_ = false;
        self->showNext();
    });
}

void PageBoxes::showNext() {
    if (!open_ && !queued_.isEmpty())
        queued_.takeFirst()();
}

void PageBoxes::Leave() {
    ++load_; // what the boxes shown and waiting answer now is no longer the page's
    dialogs_.CloseBoxes(pane_);
    open_ = false;
    for (const auto& waiting : std::exchange(queued_, {}))
        waiting();
}

} // namespace platform
