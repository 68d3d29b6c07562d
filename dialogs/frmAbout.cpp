#include "frmAbout.h"

#include "ProjectSettings.h"
#include "SysInfoLauncher.h"
#include "core/FailureHandling.h"
#include "core/Services.h"
#include "resources/icons/about.xpm"
#include "ui/Controls.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

using platform::PlaceTwips;
using platform::Twips;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QLabel* makeLabel(QWidget* container, int left, int top, int width, int height, bool blackText) {
    QLabel* label = platform::MakeLabel(QString(), container, left, top, width, height);
    if (blackText) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Qt::black);
        label->setPalette(palette);
    }
    return label;
}

} // namespace

QString frmAbout::VersionText(int major, int minor, int revision) {
    return QStringLiteral("Version ") + QString::number(major) + QStringLiteral(".") +
           QString::number(minor) + QStringLiteral(".") + QString::number(revision);
}

QString frmAbout::DescriptionText() {
    QString text = QStringLiteral("Stand-Alone radio show program");
    text += kCrLf;
    text += QStringLiteral("Now you can request and upload songs to Dudezo's internet radio show "
                           "thing automatically!");
    text += kCrLf + kCrLf;
    text += QStringLiteral("Made using Visual Basic 6.0.");
    return text;
}

QString frmAbout::DisclaimerText() {
    return QStringLiteral("Unfortunately, for the chatroom and music player to work, an "
                          "up-to-date version of Internet Explorer and Flash Player Plugin are "
                          "requred.");
}

frmAbout::frmAbout()
    : Form(platform::FixedFrame(Qt::Dialog)),
      Line1{{{QColor(255, 255, 255), 105, 2460, 5654, 2460, 2},
             {QColor(128, 128, 128), 90, 2445, 5654, 2445, 1}}} {
    keepOutOfTaskBar();
    useDialogFont();
    // The client area's top-left corner goes where the layout puts it.
    setGeometry(platform::TwipsRect(2340, 1935, 5730, 3555));
    setFixedSize(platform::TwipsSize(5730, 3555));
    buildPicture();
    buildLabels();
    buildButtons();
    connectHandlers();
    cmdOK->setFocus();
}

void frmAbout::buildPicture() {
    // The picture box sizes itself to its picture and its sunken border.
    const QPixmap picture(about_icon);
    picIcon = new QLabel(this);
    picIcon->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    picIcon->setLineWidth(2);
    picIcon->setPixmap(picture);
    picIcon->setAccessibleName(QString::fromUtf8(settings::kTitle) + QStringLiteral(" icon"));
    const int border = 2 * picIcon->frameWidth();
    picIcon->setGeometry(Twips(240), Twips(240), picture.width() + border,
                         picture.height() + border);
}

void frmAbout::buildLabels() {
    lblTitle = makeLabel(this, 1050, 240, 3885, 480, true);
    lblVersion = makeLabel(this, 1050, 780, 3885, 225, false);
    lblDescription = makeLabel(this, 1050, 1125, 3885, 1170, true);
    lblDisclaimer = makeLabel(this, 255, 2625, 3870, 825, true);
}

void frmAbout::buildButtons() {
    cmdOK = platform::MakeButton(QStringLiteral("OK"), this, 4245, 2625, 1260, 345);
    cmdOK->setDefault(true); // drawn as the default button
    setDefaultButton(cmdOK);
    setCancelButton(cmdOK);
    cmdSysInfo =
        platform::MakeButton(QStringLiteral("&System Info..."), this, 4260, 3075, 1245, 345);
    // The picture between them in the layout's order takes no focus: it would
    // show no focus mark, so Tab goes from OK straight to System Info.
    platform::SetTabOrder({cmdOK, cmdSysInfo});
}

void frmAbout::connectHandlers() {
    connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(cmdSysInfo, &QPushButton::clicked, this,
            platform::Reported(this, "Starting System Information", &frmAbout::cmdSysInfo_Click));
}

void frmAbout::paintEvent(QPaintEvent* event) {
    Form::paintEvent(event);
    QPainter painter(this);
    // A wider line grows downwards from its y, so the white one lies just
    // below the grey one and the pair looks cut into the window.
    for (const LineShape& line : Line1) {
        const QPoint from(Twips(line.x1), Twips(line.y1));
        const QPoint to(Twips(line.x2), Twips(line.y2) + line.width - 1);
        painter.fillRect(QRect(from, to), line.colour);
    }
}

void frmAbout::Form_Load() {
    lblDescription->setText(DescriptionText());
    lblDisclaimer->setText(DisclaimerText());
    setCaption(QStringLiteral("About ") + QString::fromUtf8(settings::kTitle));
    lblVersion->setText(
        VersionText(settings::kVersionMajor, settings::kVersionMinor, settings::kVersionRevision));
    lblTitle->setText(QString::fromUtf8(settings::kTitle));
}

void frmAbout::cmdOK_Click() {
    Unload();
}

void frmAbout::cmdSysInfo_Click() {
    StartSysInfo();
}

void frmAbout::StartSysInfo() {
    dialogs::StartSysInfo(platform::services());
}

bool frmAbout::GetKeyValue(platform::RegKey KeyRoot, const std::string& KeyName,
                           const std::string& SubKeyRef, std::string& KeyVal) {
    return dialogs::GetKeyValue(*platform::services().registry, KeyRoot, KeyName, SubKeyRef,
                                KeyVal);
}
