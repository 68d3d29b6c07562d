#include "QtMsgBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <utility>
#include <vector>

namespace platform {

namespace {

using Button = std::pair<QMessageBox::StandardButton, int>;

std::vector<Button> buttonsFor(int style) {
    switch (style & kMbButtonsMask) {
    case kMbOkCancel:
        return {{QMessageBox::Ok, kIdOk}, {QMessageBox::Cancel, kIdCancel}};
    case kMbAbortRetryIgnore:
        return {{QMessageBox::Abort, kIdAbort},
                {QMessageBox::Retry, kIdRetry},
                {QMessageBox::Ignore, kIdIgnore}};
    case kMbYesNoCancel:
        return {
            {QMessageBox::Yes, kIdYes}, {QMessageBox::No, kIdNo}, {QMessageBox::Cancel, kIdCancel}};
    case kMbYesNo:
        return {{QMessageBox::Yes, kIdYes}, {QMessageBox::No, kIdNo}};
    case kMbRetryCancel:
        return {{QMessageBox::Retry, kIdRetry}, {QMessageBox::Cancel, kIdCancel}};
    default:
        return {{QMessageBox::Ok, kIdOk}};
    }
}

QMessageBox::Icon iconFor(int style) {
    switch (style & kMbIconMask) {
    case kMbIconError:
        return QMessageBox::Critical;
    case kMbIconQuestion:
        return QMessageBox::Question;
    case kMbIconWarning:
        return QMessageBox::Warning;
    case kMbIconInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

// What closing the box with Escape or its close button answers: Cancel or
// No where there is one, else OK, as Windows does.
int escapeAnswer(const std::vector<Button>& buttons) {
    for (const auto& [button, code] : buttons)
        if (code == kIdCancel)
            return code;
    return buttons.size() == 1 ? buttons.front().second : buttons.back().second;
}

} // namespace

int QtMsgBox::Show(const std::string& text, int style, const std::string& title) {
    const std::vector<Button> buttons = buttonsFor(style);
    QMessageBox box(iconFor(style), QString::fromStdString(title), QString::fromStdString(text));
    box.setTextFormat(Qt::PlainText);
    // A text may hold something to copy (an address no program opened).
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    QMessageBox::StandardButtons all;
    for (const auto& [button, code] : buttons)
        all |= button;
    box.setStandardButtons(all);
    const size_t defaultIndex =
        std::min<size_t>((style & kMbDefButtonMask) / kMbDefButton2, buttons.size() - 1);
    box.setDefaultButton(buttons[defaultIndex].first);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    for (const auto& [button, code] : buttons)
        if (clicked && clicked == box.button(button))
            return code;
    return escapeAnswer(buttons);
}

} // namespace platform
