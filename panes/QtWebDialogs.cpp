#include "QtWebDialogs.h"

#include "WebDownloads.h"
#include "core/MsgBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <memory>

namespace platform {

const char* const QtWebDialogs::kPaneBoxName = "wavecrestPaneBox";

namespace {
constexpr int kKiB = 1024;

QCheckBox* stopAsking(QLayout* layout, const QString& text) {
    auto* stop = new QCheckBox(text);
    layout->addWidget(stop);
    return stop;
}

// What the box says: who asks, then the page's text.
QStringList sayings(const PageDialog& dialog) {
    if (dialog.kind == PageDialog::Permission)
        return {dialog.message};
    const QString who = dialog.embedded ? QStringLiteral("An embedded page at %1 says:")
                                        : QStringLiteral("The page at %1 says:");
    return {who.arg(dialog.site),
            dialog.kind == PageDialog::Leave
                ? QStringLiteral("Leave this page? What you entered on it may be lost.")
                : dialog.message};
}

void addButtons(QDialogButtonBox* buttons, PageDialog::Kind kind) {
    switch (kind) {
    case PageDialog::Leave:
        buttons->addButton(QStringLiteral("&Leave"), QDialogButtonBox::AcceptRole);
        buttons->addButton(QStringLiteral("&Stay"), QDialogButtonBox::RejectRole)->setDefault(true);
        break;
    case PageDialog::Permission:
        buttons->addButton(QStringLiteral("&Allow"), QDialogButtonBox::AcceptRole);
        buttons->addButton(QStringLiteral("&Don't allow"), QDialogButtonBox::RejectRole)
            ->setDefault(true);
        break;
    default:
        buttons->addButton(QDialogButtonBox::Ok);
        if (kind != PageDialog::Alert)
            buttons->addButton(QDialogButtonBox::Cancel);
    }
}

QLabel* plainLabel(const QString& text) {
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

// A box over a pane: its own window, not modal, deleted once closed.
QDialog* newPaneBox(QWidget* pane) {
    QWidget* owner = pane ? pane->window() : QApplication::activeWindow();
    auto* box = new QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    box->setObjectName(QtWebDialogs::kPaneBoxName);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->setWindowTitle(QString::fromUtf8(kApplicationTitle));
    return box;
}
} // namespace

QString QtWebDialogs::ChooseSaveFile(const QString& suggested) {
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), QStringLiteral("Save As"),
                                        suggested);
}

void QtWebDialogs::showOverPane(QDialog* box, QWidget* pane) {
    boxes_.append({box, pane});
    // The page under the box cannot be used until it is answered.
    if (pane)
        pane->setEnabled(false);
    QPointer<QWidget> heldPane(pane);
    QObject::connect(box, &QDialog::finished, box, [this, heldPane, box] {
        bool otherBox = false;
        for (const auto& [shown, itsPane] : std::as_const(boxes_))
            otherBox |= shown && shown != box && itsPane == heldPane;
        if (heldPane && !otherBox)
            heldPane->setEnabled(true);
    });
    QObject::connect(box, &QObject::destroyed, box, [this, box] {
        for (qsizetype i = boxes_.size() - 1; i >= 0; --i)
            if (!boxes_[i].first || boxes_[i].first == box)
                boxes_.removeAt(i);
    });
    box->adjustSize();
    if (pane) {
        // Centred over the pane, within the screen.
        const QRect paneArea(pane->mapToGlobal(QPoint(0, 0)), pane->size());
        QRect area(QPoint(0, 0), box->size());
        area.moveCenter(paneArea.center());
        if (const QScreen* screen = pane->screen())
            area.moveTop(std::max(area.top(), screen->availableGeometry().top()));
        box->move(area.topLeft());
    }
    box->show();
    box->raise();
    box->activateWindow();
}

void QtWebDialogs::AskForPage(const PageDialog& dialog,
                              std::function<void(const PageDialogAnswer&)> answered) {
    QDialog* box = newPaneBox(dialog.pane);
    auto* layout = new QVBoxLayout(box);
    for (const QString& saying : sayings(dialog))
        layout->addWidget(plainLabel(saying));
    QLineEdit* input = nullptr;
    if (dialog.kind == PageDialog::Prompt) {
        input = new QLineEdit(dialog.text);
        layout->addWidget(input);
    }
    QCheckBox* stop = nullptr;
    if (dialog.offerStop)
        stop = stopAsking(layout, dialog.kind == PageDialog::Permission
                                      ? QStringLiteral("Do&n't let this page ask again")
                                      : QStringLiteral("&Don't let this page show more boxes"));
    auto* buttons = new QDialogButtonBox;
    addButtons(buttons, dialog.kind);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, box, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, box, &QDialog::reject);
    // Once, whichever way the box goes: a button, Escape, its close box, or
    // closed from outside.
    auto once = std::make_shared<std::function<void(const PageDialogAnswer&)>>(std::move(answered));
    QObject::connect(box, &QDialog::finished, box, [box, input, stop, once](int result) {
        PageDialogAnswer answer;
        answer.accepted = result == QDialog::Accepted;
        answer.text = input ? input->text() : QString();
        answer.stopPage = stop && stop->isChecked();
        if (auto call = std::exchange(*once, nullptr))
            call(answer);
        box->hide();
    });
    showOverPane(box, dialog.pane);
    if (input)
        input->setFocus();
}

void QtWebDialogs::AskLogin(const LoginDialog& login,
                            std::function<void(const LoginAnswer&)> answered) {
    QDialog* box = newPaneBox(login.pane);
    auto* form = new QFormLayout(box);
    QString text = QStringLiteral("%1 asks for a user name and password.").arg(login.site);
    if (!login.realm.isEmpty())
        text += QStringLiteral("\nThe site says: \"%1\"").arg(login.realm);
    form->addRow(plainLabel(text));
    auto* userBox = new QLineEdit;
    auto* passwordBox = new QLineEdit;
    passwordBox->setEchoMode(QLineEdit::Password);
    form->addRow(QStringLiteral("&User name:"), userBox);
    form->addRow(QStringLiteral("&Password:"), passwordBox);
    QCheckBox* stop = nullptr;
    if (login.offerStop) {
        stop = new QCheckBox(QStringLiteral("Do&n't let this page ask again"));
        form->addRow(stop);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, box, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, box, &QDialog::reject);
    form->addRow(buttons);
    auto once = std::make_shared<std::function<void(const LoginAnswer&)>>(std::move(answered));
    const auto finished = [box, userBox, passwordBox, stop, once](int result) {
        LoginAnswer answer;
        answer.given = result == QDialog::Accepted;
        answer.stopPage = stop && stop->isChecked();
        if (answer.given) {
            answer.user = userBox->text();
            answer.password = passwordBox->text();
        }
        if (auto call = std::exchange(*once, nullptr))
            call(answer);
        box->hide();
    };
    QObject::connect(box, &QDialog::finished, box, finished);
    showOverPane(box, login.pane);
    userBox->setFocus();
}

void QtWebDialogs::CloseBoxes(QWidget* pane) {
    const auto shown = boxes_;
    for (const auto& [box, itsPane] : shown)
        if (box && itsPane == pane && box->isVisible())
            box->reject();
}

void QtWebDialogs::ShowDownloadProgress(const QString& file, qint64 received, qint64 total,
                                        std::function<void()> cancel) {
    QPointer<QProgressDialog>& shown = progress_[file];
    if (!shown) {
        shown = new QProgressDialog;
        shown->setAttribute(Qt::WA_DeleteOnClose);
        shown->setWindowTitle(QString::fromUtf8(kApplicationTitle));
        // A long name is cut: the box and its Cancel stay on the screen.
        shown->setLabelText(QStringLiteral("Downloading %1")
                                .arg(WebDownloads::ShownName(QFileInfo(file).fileName())));
        shown->setCancelButtonText(QStringLiteral("Cancel"));
        shown->setAutoClose(false);
        shown->setAutoReset(false);
        shown->setMinimumDuration(0);
        QObject::connect(shown, &QProgressDialog::canceled, shown, [cancel] {
            if (cancel)
                cancel();
        });
    }
    // In KiB, so that large files stay inside the dialog's int range; an
    // unknown size shows a busy bar.
    shown->setMaximum(total > 0 ? int(total / kKiB) : 0);
    shown->setValue(int(received / kKiB));
    shown->show();
}

void QtWebDialogs::EndDownloadProgress(const QString& file) {
    if (QPointer<QProgressDialog> shown = progress_.take(file))
        shown->close();
}

} // namespace platform
