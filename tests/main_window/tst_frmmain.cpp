// The main window as a user meets it: what it shows, the order of the
// navigations across both panes, the busy indicator in the title, Stop,
// Refresh, the keys, the menu, the failure mode of each handler and the
// tab order, also with the real web engine once its pages have loaded.
#include "ProjectSettings.h"
#include "core/Services.h"
#include "fakes/FakeMsgBox.h"
#include "fakes/FakeWebBrowser.h"
#include "fakes/FakeWebDialogs.h"
#include "main_window/FrmMain.h"
#include "panes/WebEngineBrowserFactory.h"
#include "support/SlowHttpServer.h"

#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

namespace {
// The station site's address, from the build's host setting.
const QString kStation = QStringLiteral("http://") + settings::kStationHost;
} // namespace

class TestFrmMain : public QObject {
    Q_OBJECT

    FakeWebBrowserFactory browsers;
    FakeMsgBox messages;
    std::unique_ptr<FrmMain> window;

    FakeWebBrowser& player() { return browsers.player(); }
    FakeWebBrowser& chat() { return browsers.chat(); }
    // The title as the title bar shows it.
    QString title() const {
        window->winId();
        return window->windowHandle()->title();
    }
    QPushButton* button(const QString& name) const {
        const QMap<QString, QPushButton*> buttons{
            {"StopPlay", window->StopPlay},       {"RefreshPlay", window->RefreshPlay},
            {"GoPlayer", window->GoPlayer},       {"StopChat", window->StopChat},
            {"RefreshChat", window->RefreshChat}, {"Command1", window->Command1},
            {"Default", window->Default}};
        return buttons.value(name);
    }
    void install(platform::WebBrowserFactory& factory) {
        platform::install({.messageBox = &messages, .browsers = &factory});
    }
    // Which control of the window has the focus; a web view counts as a whole.
    QWidget* focused() const {
        QWidget* focus = QApplication::focusWidget();
        for (QWidget* view :
             {window->brwWebBrowserPlay->widget(), window->brwWebBrowserChat->widget()})
            if (focus && (focus == view || view->isAncestorOf(focus)))
                return view;
        return focus;
    }

private Q_SLOTS:
    void init() {
        messages = FakeMsgBox();
        browsers.log.clear();
        install(browsers);
        platform::LoadedWindows::setEndProgram([] {});
        window = std::make_unique<FrmMain>();
    }
    void cleanup() { window.reset(); }

    void windowAsLaidOut() {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(title(), QString("Form1"));
        QCOMPARE(window->Frame1->parentWidget()->size(), QSize(795, 674));
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QVERIFY(!(window->windowFlags() & Qt::WindowMinMaxButtonsHint));
        // In pixels, 15 twips a pixel, from each control's container; and the
        // name a screen reader says (a combo box's by its text field).
        const struct {
            QWidget* control;
            QString caption, heard;
            QRect pixels;
        } laidOut[] = {{window->StopPlay, "Stop", "Stop player", {4, 9, 33, 17}},
                       {window->StopChat, "Stop", "Stop chat", {4, 9, 33, 17}},
                       {window->RefreshPlay, "Refresh", "Refresh player", {43, 9, 49, 17}},
                       {window->RefreshChat, "Refresh", "Refresh chat", {43, 9, 57, 17}},
                       {window->GoPlayer, "Go", "Go to player address", {760, 9, 25, 17}},
                       {window->Command1, "Go", "Go to chat address", {760, 162, 25, 17}},
                       {window->Default, "Default Button", "Default Button", {800, 112, 57, 33}},
                       {window->Frame1, "", "Player address bar", {0, 0, 793, 32}},
                       {window->Frame2, "", "Chat address bar", {0, 152, 793, 32}},
                       {window->cboAddressPlay->lineEdit(), "", "Player address", {96, 8, 661, 21}},
                       {window->cboAddressChat->lineEdit(), "", "Chat address", {104, 8, 653, 21}},
                       {window->brwWebBrowserPlay->widget(), "", "Player", {0, 32, 792, 120}},
                       {window->brwWebBrowserChat->widget(), "", "Chat", {0, 184, 792, 489}}};
        for (const auto& [control, caption, heard, pixels] : laidOut) {
            auto* box = qobject_cast<QComboBox*>(control->parentWidget());
            QCOMPARE((box ? box : control)->geometry(), pixels);
            QCOMPARE(QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name),
                     heard);
            if (auto* button = qobject_cast<QPushButton*>(control))
                QCOMPARE(button->text(), caption);
        }
        QCOMPARE(window->menu->title() + "|" + window->co1->text(),
                 QString("Menu|go to ") + settings::kStationHost);
        const QList<QAction*> items = window->menu->actions();
        QCOMPARE(items[1]->text() + items[2]->text() + items[3]->text(), QString("AboutHelpExit"));
        QCOMPARE(window->menuBar->actions().last()->text(), QString("Request a song!"));
    }

    void loadNavigatesPlayerThenChat() {
        window->Form_Load();
        QCOMPARE(browsers.log,
                 QStringList({"player Navigate:" + kStation + "/Wavecrest/playeronly.html",
                              "chat Navigate:" + kStation + "/Wavecrest/chatonly.html"}));
        QCOMPARE(title(), QString("Form1")); // until the first tick
    }

    // The page title shows as it is, Qt's "[*]" placeholders too.
    void chatTicksShowTheTitle() {
        const QString pageTitle = "Chat [*] room [*][*]";
        chat().title = pageTitle;
        window->Form_Load();
        QTRY_COMPARE_WITH_TIMEOUT(title(), QString("Working..."), 5000);
        window->Command1->click(); // a chat navigation while the timer runs
        QVERIFY(window->timTimerChat->isTicking());
        chat().busy = false;
        QTRY_COMPARE_WITH_TIMEOUT(title(), pageTitle, 5000);
        QVERIFY(!window->timTimerChat->isTicking());
    }

    // Stop shows the chat title whichever pane stopped, and stops its own
    // pane's timer; Refresh leaves title and timers alone.
    void paneButtons_data() {
        QTest::addColumn<QString>("clicked");
        QTest::addColumn<QString>("call");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("chatTimer");
        QTest::addColumn<bool>("playTimer");
        QTest::newRow("StopChat") << "StopChat"
                                  << "chat Stop"
                                  << "Chat page" << false << true;
        QTest::newRow("StopPlay") << "StopPlay"
                                  << "player Stop"
                                  << "Chat page" << true << false;
        QTest::newRow("RefreshChat") << "RefreshChat"
                                     << "chat Refresh"
                                     << "Form1" << true << true;
        QTest::newRow("RefreshPlay") << "RefreshPlay"
                                     << "player Refresh"
                                     << "Form1" << true << true;
    }

    void paneButtons() {
        QFETCH(QString, clicked);
        QFETCH(QString, call);
        QFETCH(QString, shown);
        QFETCH(bool, chatTimer);
        QFETCH(bool, playTimer);
        window->Form_Load();
        chat().title = "Chat page";
        player().title = "Player page";
        QTest::mouseClick(button(clicked), Qt::LeftButton);
        QCOMPARE(title(), shown);
        QCOMPARE(browsers.log.mid(2), QStringList{call});
        QCOMPARE(window->timTimerChat->isEnabled(), chatTimer);
        QCOMPARE(window->timTimerPlay->isEnabled(), playTimer);
        if (call == "player Stop") // the chat page still loads: the next tick says so again
            QTRY_COMPARE_WITH_TIMEOUT(title(), QString("Working..."), 5000);
    }

    void failingComponent_data() {
        QTest::addColumn<QString>("pane");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("reports");
        QTest::newRow("load, player fails") << "player"
                                            << "load" << 0;
        QTest::newRow("load, chat fails") << "chat"
                                          << "load" << 0;
        QTest::newRow("chat Go") << "chat"
                                 << "Go" << 0;
        QTest::newRow("player Enter") << "player"
                                      << "Enter" << 0;
        QTest::newRow("chat Refresh") << "chat"
                                      << "Refresh" << 1;
        QTest::newRow("player Stop") << "player"
                                     << "Stop" << 1;
        QTest::newRow("chat timer, once") << "chat"
                                          << "tick" << 1;
    }

    void failingComponent() {
        QFETCH(QString, pane);
        QFETCH(QString, action);
        QFETCH(int, reports);
        const bool chatPane = pane == "chat";
        (chatPane ? chat() : player()).failing = true;
        window->show();
        if (action == "load" || action == "tick")
            window->Form_Load();
        else if (action == "Enter")
            QTest::keyClick(window->cboAddressPlay, Qt::Key_Return);
        else
            button(action == "Go"        ? "Command1"
                   : action == "Refresh" ? "RefreshChat"
                                         : "StopPlay")
                ->click();
        if (action == "tick") // stopped after its one report
            QTRY_VERIFY_WITH_TIMEOUT(!window->timTimerChat->isTicking(), 5000);
        QCOMPARE(int(messages.shown.size()), reports);
        if (action == "load") { // the other pane was still asked, player first
            QCOMPARE(browsers.log.size(), 2);
            QVERIFY(browsers.log[0].startsWith("player"));
        }
        if (action != "tick") // the timer was switched on before the failing step
            QCOMPARE(window->timTimerChat->isEnabled(), action == "Go" || action == "load");
    }

    void addressKeys_data() {
        QTest::addColumn<bool>("chatPane");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("navigates");
        QTest::newRow("chat Enter")
            << true << int(Qt::Key_Return) << 0 << "example.org/page" << true;
        QTest::newRow("player keypad Enter")
            << false << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "x" << true;
        QTest::newRow("Ctrl+Enter")
            << true << int(Qt::Key_Return) << int(Qt::ControlModifier) << "x" << false;
    }

    void addressKeys() {
        QFETCH(bool, chatPane);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        QFETCH(bool, navigates);
        window->show();
        QComboBox* box = chatPane ? window->cboAddressChat : window->cboAddressPlay;
        box->setEditText(text);
        QTest::keyClick(box, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        const QString pane = chatPane ? "chat" : "player";
        QCOMPARE(browsers.log, navigates ? QStringList{pane + " Navigate:" + text} : QStringList());
        QCOMPARE(window->timTimerChat->isEnabled(), navigates && chatPane);
        QCOMPARE(box->count(), 0);                    // the drop-down list stays empty
        QVERIFY(box->currentText().startsWith(text)); // the key still reached the box
    }

    void tabWalksTheWholeOrder_data() {
        QTest::addColumn<bool>("webEngine");
        QTest::newRow("as built") << false;
        QTest::newRow("web engine, pages loaded") << true;
    }

    void tabWalksTheWholeOrder() {
        QFETCH(bool, webEngine);
        FakeWebDialogs dialogs;
        platform::WebEngineBrowserFactory engine{dialogs};
        SlowHttpServer server;
        if (webEngine) {
            server.addPage("/player", {"Player"});
            server.addPage("/chat", {"Chat"});
            install(engine);
            window = std::make_unique<FrmMain>();
            window->cboAddressPlay->setEditText(server.address("/player"));
            window->cboAddressChat->setEditText(server.address("/chat"));
            window->Form_Load();
        }
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        if (webEngine)
            QTRY_COMPARE_WITH_TIMEOUT(title(), QString("Chat"), 30000);
        const QList<QWidget*> order{window->Default,
                                    window->RefreshPlay,
                                    window->StopPlay,
                                    window->cboAddressPlay,
                                    window->brwWebBrowserPlay->widget(),
                                    window->cboAddressChat,
                                    window->StopChat,
                                    window->RefreshChat,
                                    window->brwWebBrowserChat->widget(),
                                    window->GoPlayer,
                                    window->Command1,
                                    window->Default};
        QTRY_COMPARE(focused(), window->Default);
        QTest::keyClick(window->Default, Qt::Key_Return); // the unseen button does nothing
        QTest::keyClick(window->Default, Qt::Key_Space);
        QCOMPARE(browsers.log.size(), 0);
        for (qsizetype i = 1; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QTRY_COMPARE_WITH_TIMEOUT(focused(), order[i], 10000);
        }
        window.reset(); // before the web profile goes
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
