#include "FrmHelp.h"

#include "TextBox.h"
#include "core/FailureHandling.h"
#include "core/Services.h"
#include "core/Shell.h"
#include "ui/Controls.h"
#include "ui/StationSite.h"

#include <QPushButton>

using platform::MakeButton;
using platform::PlaceTwips;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// Locked: the user may select, scroll and copy but not change the text.
TextBox* makeHelpBox(QWidget* container) {
    auto* box = new TextBox(container);
    box->setReadOnly(true);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    box->setTabChangesFocus(true);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    box->setWordWrapMode(QTextOption::WordWrap);
    box->setAccessibleName(QStringLiteral("Help text"));
    PlaceTwips(box, 240, 600, 4695, 3135);
    return box;
}

} // namespace

QString FrmHelp::HelpText() {
    QString text = QStringLiteral("This is the help file for the radio show program.");
    text += kCrLf + kCrLf;
    text += QStringLiteral(
        "The program is actually pretty simple, and does not really need a help file.");
    text += kCrLf;
    text += QStringLiteral("That is all.");
    text += kCrLf + kCrLf;
    text += QStringLiteral("   -Dudezo");
    text += kCrLf + kCrLf + kCrLf;
    text += QStringLiteral("If the chatroom and music player do not work, update Internet "
                           "Explorer's Flash Player plugin! Visual Basic 6.0 relies on Internet "
                           "Explorer for all of it's internet functions");
    return text;
}

QString FrmHelp::OnlineHelpAddress() {
    return platform::StationAddress(QStringLiteral("/vavudavizezez/dedevirevo/wavecrest"));
}

FrmHelp::FrmHelp() : Form(platform::FixedFrame(Qt::Dialog)) {
    keepOutOfTaskBar();
    useDialogFont();
    setWindowTitle(QStringLiteral("Help"));
    // The client area's top-left corner goes where the layout puts it.
    setGeometry(platform::TwipsRect(2760, 3750, 5220, 3945));
    setFixedSize(platform::TwipsSize(5220, 3945));

    OKButton = MakeButton(QStringLiteral("OK"), this, 240, 120, 1215, 375);
    Text1 = makeHelpBox(this);
    Command1 = MakeButton(QStringLiteral("Click Here for the online help page."), this, 1680, 120,
                          3255, 375);
    platform::SetTabOrder({OKButton, Text1, Command1});
    connectHandlers();
    OKButton->setFocus();
}

void FrmHelp::connectHandlers() {
    connect(OKButton, &QPushButton::clicked, this, &FrmHelp::OKButton_Click);
    connect(Command1, &QPushButton::clicked, this,
            platform::Reported(this, "Opening the online help page", &FrmHelp::Command1_Click));
}

void FrmHelp::Form_Load() {
    Text1->setText(HelpText());
}

void FrmHelp::Command1_Click() {
    // The shell's answer is not looked at: no browser means nothing happens.
    platform::services().shell->Open(OnlineHelpAddress().toStdString());
}

void FrmHelp::OKButton_Click() {
    Unload();
}
