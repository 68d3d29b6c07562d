#include "FrmMain.h"

#include "core/FailureHandling.h"
#include "core/Services.h"
#include "core/Shell.h"
#include "ui/Controls.h"
#include "ui/MenuBarKeys.h"
#include "ui/StationSite.h"

#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

using platform::IgnoreFailures;
using platform::MakeButton;
using platform::PlaceTwips;
using platform::Reported;
using platform::StationAddress;

namespace {

constexpr int kTimerIntervalMs = 5;
// The least height a fitted window leaves each pane: a few lines of chat,
// the player's controls.
constexpr int kLeastChatHeight = 120;
constexpr int kLeastPlayerHeight = 60;

// The client area as laid out, below the menu bar.
QSize naturalClientSize() {
    return platform::TwipsSize(11925, 10110);
}
const QString kWorking = QStringLiteral("Working...");

// An address box: editable text over a drop-down list that stays empty.
QComboBox* makeAddressBox(const QString& text, QWidget* container, int left, int top, int width,
                          int height) {
    auto* box = new QComboBox(container);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setEditText(text);
    PlaceTwips(box, left, top, width, height);
    return box;
}

QGroupBox* makeFrame(QWidget* container, int left, int top, int width, int height) {
    auto* frame = new QGroupBox(container);
    PlaceTwips(frame, left, top, width, height);
    return frame;
}

platform::WebBrowser* makeBrowser(QWidget* container, int left, int top, int width, int height) {
    platform::WebBrowser* browser = platform::services().browsers->Create(container);
    PlaceTwips(browser->widget(), left, top, width, height);
    return browser;
}

// The character a key types into an address box: 13 for a plain Enter, 0
// for keys held with Ctrl or Alt, which type nothing there.
int typedCharacter(const QKeyEvent& key) {
    if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return 0;
    if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter)
        return 13;
    return key.text().isEmpty() ? 0 : key.text().at(0).unicode();
}

// The two bars read alike (Stop, Refresh, an address box, Go): a screen
// reader names the pane each control serves. The captions stay as they are.
struct PaneControls {
    QGroupBox* bar;
    QPushButton* stop;
    QPushButton* refresh;
    QComboBox* address;
    QPushButton* go;
    QWidget* view;
};

void nameForScreenReaders(const QString& pane, const QString& shows, const PaneControls& c) {
    const QString lower = pane.toLower();
    c.bar->setAccessibleName(pane + QStringLiteral(" address bar"));
    c.stop->setAccessibleName(QStringLiteral("Stop ") + lower);
    c.refresh->setAccessibleName(QStringLiteral("Refresh ") + lower);
    const QString address = pane + QStringLiteral(" address");
    c.address->setAccessibleName(address);
    // Where a combo box is read by its text (Linux), its text field says the name.
    c.address->lineEdit()->setAccessibleName(address);
    c.address->setAccessibleDescription(QStringLiteral("Enter opens the address in the ") + lower +
                                        QStringLiteral(" pane"));
    c.go->setAccessibleName(QStringLiteral("Go to ") + lower + QStringLiteral(" address"));
    c.view->setAccessibleName(pane);
    c.view->setAccessibleDescription(shows);
}

} // namespace

FrmMain::FrmMain() : Form(platform::FixedFrame(Qt::Window)) {
    setWindowTitle(QStringLiteral("Form1"));
    auto* client = new QWidget(this);
    client_ = client;
    client->setFixedSize(naturalClientSize());
    buildPlayerBar(client);
    buildChatBar(client);
    nameForScreenReaders(
        QStringLiteral("Player"), QStringLiteral("The show's music player"),
        {Frame1, StopPlay, RefreshPlay, cboAddressPlay, GoPlayer, brwWebBrowserPlay->widget()});
    nameForScreenReaders(
        QStringLiteral("Chat"), QStringLiteral("The show's chat room"),
        {Frame2, StopChat, RefreshChat, cboAddressChat, Command1, brwWebBrowserChat->widget()});
    Default = MakeButton(QStringLiteral("Default Button"), client, 12000, 1680, 855, 495);
    timTimerChat = new platform::UiTimer(kTimerIntervalMs, false, true, this);
    // Nothing handles the player timer's ticks, so it never wakes the process.
    timTimerPlay = new platform::UiTimer(kTimerIntervalMs, true, false, this);
    buildMenu();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(menuBar);
    layout->addWidget(client);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder();
    connectHandlers();
    Default->setFocus();
    for (QWidget* control :
         QList<QWidget*>{Frame1, cboAddressPlay, GoPlayer, brwWebBrowserPlay->widget(), Frame2,
                         cboAddressChat, Command1, brwWebBrowserChat->widget()})
        places_.note(control);
}

void FrmMain::fitInto(const QSize& room) {
    const QSize natural = naturalClientSize();
    const int narrower = std::max(0, natural.width() - room.width());
    const int shorter =
        std::max(0, natural.height() - (room.height() - menuBar->sizeHint().height()));
    QWidget* chat = brwWebBrowserChat->widget();
    QWidget* player = brwWebBrowserPlay->widget();
    const int chatGives =
        std::min(shorter, std::max(0, places_.natural(chat).height() - kLeastChatHeight));
    const int playerGives = std::min(
        shorter - chatGives, std::max(0, places_.natural(player).height() - kLeastPlayerHeight));
    client_->setFixedSize(natural - QSize(narrower, chatGives + playerGives));
    for (QWidget* bar : QList<QWidget*>{Frame1, cboAddressPlay, cboAddressChat})
        places_.place(bar, QMargins(0, 0, -narrower, 0));
    places_.place(GoPlayer, QMargins(-narrower, 0, -narrower, 0));
    places_.place(player, QMargins(0, 0, -narrower, -playerGives));
    places_.place(Frame2, QMargins(0, -playerGives, -narrower, -playerGives));
    places_.place(Command1, QMargins(-narrower, -playerGives, -narrower, -playerGives));
    places_.place(chat, QMargins(0, -playerGives, -narrower, -playerGives - chatGives));
}

FrmMain::~FrmMain() = default;

void FrmMain::buildPlayerBar(QWidget* client) {
    Frame1 = makeFrame(client, 0, 0, 11895, 480);
    StopPlay = MakeButton(QStringLiteral("Stop"), Frame1, 60, 130, 495, 255);
    RefreshPlay = MakeButton(QStringLiteral("Refresh"), Frame1, 650, 130, 735, 255);
    cboAddressPlay =
        makeAddressBox(StationAddress("/Wavecrest/playeronly.html"), Frame1, 1440, 120, 9915, 315);
    GoPlayer = MakeButton(QStringLiteral("Go"), Frame1, 11400, 130, 375, 255);
    brwWebBrowserPlay = makeBrowser(client, 0, 480, 11880, 1800);
}

void FrmMain::buildChatBar(QWidget* client) {
    Frame2 = makeFrame(client, 0, 2280, 11895, 480);
    StopChat = MakeButton(QStringLiteral("Stop"), Frame2, 60, 130, 495, 255);
    RefreshChat = MakeButton(QStringLiteral("Refresh"), Frame2, 650, 130, 855, 255);
    cboAddressChat =
        makeAddressBox(StationAddress("/Wavecrest/chatonly.html"), Frame2, 1560, 120, 9795, 315);
    // The chat pane's Go button belongs to the window, over the chat bar's right end.
    Command1 = MakeButton(QStringLiteral("Go"), client, 11400, 2430, 375, 255);
    Command1->raise();
    brwWebBrowserChat = makeBrowser(client, 0, 2760, 11880, 7335);
}

void FrmMain::buildMenu() {
    menuBar = new QMenuBar(this);
    menu = menuBar->addMenu(QStringLiteral("Menu"));
    co1 = menu->addAction(QStringLiteral("go to ") + platform::StationHost());
    about = menu->addAction(QStringLiteral("About"));
    help = menu->addAction(QStringLiteral("Help"));
    Exit = menu->addAction(QStringLiteral("Exit"));
    request = menuBar->addAction(QStringLiteral("Request a song!"));
    // Captions are shown as written: "&" is no access key here.
    for (QAction* item : {co1, about, help, Exit, request})
        item->setText(item->text().replace('&', QStringLiteral("&&")));
    platform::ReachFromKeyboard(*menuBar);
}

void FrmMain::setTabOrder() {
    platform::SetTabOrder({Default, RefreshPlay, StopPlay, cboAddressPlay,
                           brwWebBrowserPlay->widget(), cboAddressChat, StopChat, RefreshChat,
                           brwWebBrowserChat->widget(), GoPlayer, Command1});
}

void FrmMain::connectHandlers() {
    connect(GoPlayer, &QPushButton::clicked, this, &FrmMain::GoPlayer_Click);
    connect(Command1, &QPushButton::clicked, this, &FrmMain::Command1_Click);
    connect(RefreshPlay, &QPushButton::clicked, this,
            Reported(this, "Refreshing the player page", &FrmMain::RefreshPlay_Click));
    connect(RefreshChat, &QPushButton::clicked, this,
            Reported(this, "Refreshing the chat page", &FrmMain::RefreshChat_Click));
    connect(StopPlay, &QPushButton::clicked, this,
            Reported(this, "Stopping the player page", &FrmMain::StopPlay_Click));
    connect(StopChat, &QPushButton::clicked, this,
            Reported(this, "Stopping the chat page", &FrmMain::StopChat_Click));
    connect(cboAddressChat, &QComboBox::activated, this,
            Reported(this, "Opening the chat page", &FrmMain::cboAddressChat_Click));
    connect(timTimerChat, &platform::UiTimer::Timer, this, &FrmMain::chatTimerTick);
    // The chat pane's page stopped working or is loaded again by the pane
    // itself: the title follows it as after a chat navigation.
    brwWebBrowserChat->onChangedByItself = [this] { timTimerChat->setEnabled(true); };
    connect(co1, &QAction::triggered, this,
            Reported(this, "Opening the front page", &FrmMain::co1_Click));
    connect(about, &QAction::triggered, this,
            Reported(this, "Opening the About window", &FrmMain::about_Click));
    connect(help, &QAction::triggered, this,
            Reported(this, "Opening the Help window", &FrmMain::help_Click));
    connect(request, &QAction::triggered, this,
            Reported(this, "Opening the Music Uploader", &FrmMain::request_Click));
    connect(Exit, &QAction::triggered, this, &FrmMain::Exit_Click);
    // Key presses in the address boxes are seen before the boxes get them.
    // The box itself receives them (it hands them on to its text line).
    cboAddressChat->installEventFilter(this);
    cboAddressPlay->installEventFilter(this);
    // A web view puts a focus widget of its own into the tab chain once its
    // first page loads; the chain is set again after each such change.
    brwWebBrowserPlay->widget()->installEventFilter(this);
    brwWebBrowserChat->widget()->installEventFilter(this);
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress)
        addressKeyPressed(watched, *static_cast<QKeyEvent*>(event));
    else if (event->type() == QEvent::ChildAdded)
        QMetaObject::invokeMethod(this, &FrmMain::setTabOrder, Qt::QueuedConnection);
    return Form::eventFilter(watched, event); // the key still reaches the address box
}

void FrmMain::addressKeyPressed(QObject* box, const QKeyEvent& key) {
    int KeyAscii = typedCharacter(key);
    if (KeyAscii == 0)
        return;
    if (box == cboAddressChat)
        cboAddressChat_KeyPress(KeyAscii);
    else if (box == cboAddressPlay)
        cboAddressPlay_KeyPress(KeyAscii);
}

void FrmMain::chatTimerTick() {
    // A failing tick is reported once: the timer stops before the box opens,
    // so the box does not come back after each OK.
    try {
        timTimerChat_Timer();
    } catch (...) {
        timTimerChat->setEnabled(false);
        platform::ReportCurrentException("Showing the chat page's title");
    }
}

void FrmMain::Form_Load() {
    IgnoreFailures([this] { NavigatePlayer(); });
    IgnoreFailures([this] { cboAddressChat_Click(); });
}

void FrmMain::cboAddressChat_Click() {
    timTimerChat->setEnabled(true);
    const QString address = cboAddressChat->currentText();
    brwWebBrowserChat->Navigate(address);
}

void FrmMain::NavigatePlayer() {
    timTimerPlay->setEnabled(true);
    const QString address = cboAddressPlay->currentText();
    brwWebBrowserPlay->Navigate(address);
}

void FrmMain::Command1_Click() {
    IgnoreFailures([this] { cboAddressChat_Click(); });
}

void FrmMain::GoPlayer_Click() {
    IgnoreFailures([this] { NavigatePlayer(); });
}

void FrmMain::cboAddressChat_KeyPress(int& KeyAscii) {
    if (KeyAscii == 13)
        IgnoreFailures([this] { cboAddressChat_Click(); });
}

void FrmMain::cboAddressPlay_KeyPress(int& KeyAscii) {
    if (KeyAscii == 13)
        IgnoreFailures([this] { NavigatePlayer(); });
}

void FrmMain::RefreshChat_Click() {
    brwWebBrowserChat->Refresh();
}

void FrmMain::RefreshPlay_Click() {
    brwWebBrowserPlay->Refresh();
}

void FrmMain::StopChat_Click() {
    timTimerChat->setEnabled(false);
    brwWebBrowserChat->Stop();
    setCaption(brwWebBrowserChat->LocationName());
}

void FrmMain::StopPlay_Click() {
    timTimerPlay->setEnabled(false);
    brwWebBrowserPlay->Stop();
    setCaption(brwWebBrowserChat->LocationName());
}

void FrmMain::timTimerChat_Timer() {
    if (brwWebBrowserChat->Busy()) {
        setWindowTitle(kWorking);
        return;
    }
    timTimerChat->setEnabled(false);
    setCaption(brwWebBrowserChat->LocationName());
}

void FrmMain::co1_Click() {
    platform::services().shell->Open(StationAddress().toStdString());
}

void FrmMain::about_Click() {
    Q_EMIT aboutRequested();
}

void FrmMain::help_Click() {
    Q_EMIT helpRequested();
}

void FrmMain::request_Click() {
    Q_EMIT uploaderRequested();
}

void FrmMain::Exit_Click() {
    platform::LoadedWindows::EndProgram();
}
