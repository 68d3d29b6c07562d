// The main window's handlers against fake browser components: navigation,
// the busy indicator in the title, Stop, Refresh, the menu and the layout.
#include "ProjectSettings.h"
#include "fakes/FakeMsgBox.h"
#include "fakes/FakeShell.h"
#include "fakes/FakeWebBrowser.h"
#include "main_window/FrmMain.h"
#include "platform/Services.h"

#include <QComboBox>
#include <QGroupBox>
#include <QMenu>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

class TestFrmMain : public QObject {
    Q_OBJECT

    FakeWebBrowserFactory browsers;
    FakeMsgBox messages;
    FakeShell shell;
    int endRequests = 0;
    std::unique_ptr<FrmMain> window;

    FakeWebBrowser& player() { return browsers.player(); }
    FakeWebBrowser& chat() { return browsers.chat(); }
    QString title() const { return window->windowTitle(); }
    // The station site's address, from the build's host setting.
    const QString station = QStringLiteral("http://") + settings::kStationHost;

private Q_SLOTS:
    void init() {
        messages = FakeMsgBox();
        shell = FakeShell();
        platform::Services fakes;
        fakes.browsers = &browsers;
        fakes.messageBox = &messages;
        fakes.shell = &shell;
        platform::install(fakes);
        endRequests = 0;
        platform::LoadedWindows::setEndProgram([this] { ++endRequests; });
        window = std::make_unique<FrmMain>();
    }
    void cleanup() { window.reset(); }

    void loadNavigatesPlayerThenChat() {
        QCOMPARE(title(), QString("Form1"));
        QVERIFY(!window->timTimerChat->isEnabled());
        QVERIFY(window->timTimerPlay->isEnabled());
        window->Form_Load();
        QCOMPARE(player().calls, QStringList{"Navigate:" + station + "/Wavecrest/playeronly.html"});
        QCOMPARE(chat().calls, QStringList{"Navigate:" + station + "/Wavecrest/chatonly.html"});
        QVERIFY(window->timTimerChat->isEnabled());
        QCOMPARE(title(), QString("Form1")); // until the first tick
    }

    void titleFollowsTheChatPane() {
        window->Form_Load();
        chat().title = "Chat room";
        window->timTimerChat_Timer();
        QCOMPARE(title(), QString("Working..."));
        QVERIFY(window->timTimerChat->isEnabled());
        chat().busy = false;
        window->timTimerChat_Timer();
        QCOMPARE(title(), QString("Chat room"));
        QVERIFY(!window->timTimerChat->isEnabled());
    }

    void firstIdleTickShowsTitleWithoutWorking() {
        chat().title = "Quick";
        window->cboAddressChat_Click();
        chat().busy = false;
        window->timTimerChat_Timer();
        QCOMPARE(title(), QString("Quick"));
    }

    void chatTimerTicksOnItsOwn() {
        chat().title = "Ticked";
        window->cboAddressChat_Click();
        QCOMPARE(window->timTimerChat->interval(), 5);
        QTRY_COMPARE_WITH_TIMEOUT(title(), QString("Working..."), 2000);
        chat().busy = false;
        QTRY_COMPARE_WITH_TIMEOUT(title(), QString("Ticked"), 2000);
        QVERIFY(!window->timTimerChat->isTicking());
    }

    void playerTimerNeverWakesTheProcess() {
        window->Form_Load();
        QVERIFY(window->timTimerPlay->isEnabled());
        QVERIFY(!window->timTimerPlay->isTicking());
    }

    void stopButtons_data() {
        QTest::addColumn<bool>("chatStop");
        QTest::newRow("StopChat") << true;
        QTest::newRow("StopPlay") << false;
    }

    void stopButtons() {
        QFETCH(bool, chatStop);
        window->Form_Load();
        chat().title = "Chat page";
        player().title = "Player page";
        QTest::mouseClick(chatStop ? window->StopChat : window->StopPlay, Qt::LeftButton);
        QCOMPARE(title(), QString("Chat page")); // the chat title, whichever pane stopped
        QCOMPARE(chat().calls.contains("Stop"), chatStop);
        QCOMPARE(player().calls.contains("Stop"), !chatStop);
        QCOMPARE(window->timTimerChat->isEnabled(), !chatStop);
        QCOMPARE(window->timTimerPlay->isEnabled(), chatStop);
        if (!chatStop) { // the chat page still loads: the next tick says so again
            window->timTimerChat_Timer();
            QCOMPARE(title(), QString("Working..."));
        }
    }

    void refreshLeavesTitleAndTimersAlone() {
        window->Form_Load();
        window->setWindowTitle("Before");
        QTest::mouseClick(window->RefreshChat, Qt::LeftButton);
        QTest::mouseClick(window->RefreshPlay, Qt::LeftButton);
        QCOMPARE(title(), QString("Before"));
        QCOMPARE(chat().calls.last(), QString("Refresh"));
        QCOMPARE(player().calls.last(), QString("Refresh"));
        QVERIFY(window->timTimerChat->isEnabled());
        QVERIFY(window->timTimerPlay->isEnabled());
    }

    void failingPlayerNavigationStillLoadsChat() {
        player().failNavigate = true;
        window->timTimerPlay->setEnabled(false);
        window->Form_Load();
        QCOMPARE(chat().calls.size(), 1);
        QVERIFY(window->timTimerPlay->isEnabled()); // switched on before the failing step
        QVERIFY(messages.shown.empty());
    }

    void goAndEnterNavigateTheirPaneOnly_data() {
        QTest::addColumn<bool>("chatPane");
        QTest::addColumn<bool>("byEnter");
        QTest::newRow("chat Go") << true << false;
        QTest::newRow("chat Enter") << true << true;
        QTest::newRow("player Go") << false << false;
        QTest::newRow("player Enter") << false << true;
    }

    void goAndEnterNavigateTheirPaneOnly() {
        QFETCH(bool, chatPane);
        QFETCH(bool, byEnter);
        window->show();
        QComboBox* box = chatPane ? window->cboAddressChat : window->cboAddressPlay;
        box->setEditText("example.org/page");
        if (byEnter)
            QTest::keyClick(box, Qt::Key_Return); // where a user's key goes
        else
            QTest::mouseClick(chatPane ? window->Command1 : window->GoPlayer, Qt::LeftButton);
        FakeWebBrowser& used = chatPane ? chat() : player();
        FakeWebBrowser& other = chatPane ? player() : chat();
        QCOMPARE(used.calls, QStringList{"Navigate:example.org/page"}); // passed as typed
        QVERIFY(other.calls.isEmpty());
        QCOMPARE(window->timTimerChat->isEnabled(), chatPane);
        QCOMPARE(box->count(), 0); // the drop-down list stays empty
        QCOMPARE(box->currentText(), QString("example.org/page"));
    }

    void enterWithEmptyTextNavigatesToNothing() {
        window->show();
        window->cboAddressChat->setEditText("");
        QTest::keyClick(window->cboAddressChat, Qt::Key_Enter);
        QCOMPARE(chat().calls, QStringList{"Navigate:"});
        QCOMPARE(window->cboAddressChat->count(), 0);
    }

    void otherKeysReachTheBoxWithoutNavigating() {
        window->show();
        window->cboAddressPlay->setEditText("");
        QTest::keyClicks(window->cboAddressPlay, "ab");
        QCOMPARE(window->cboAddressPlay->currentText(), QString("ab"));
        QVERIFY(player().calls.isEmpty());
    }

    void menu() {
        QCOMPARE(window->menu->title(), QString("Menu"));
        QCOMPARE(window->co1->text(), "go to " + QString(settings::kStationHost));
        QCOMPARE(window->request->text(), QString("Request a song!"));
        QVERIFY(window->request->menu() == nullptr); // directly on the bar
        const QList<QAction*> items = window->menu->actions();
        QCOMPARE(items.size(), 4);
        QCOMPARE(items[1]->text() + items[2]->text() + items[3]->text(), QString("AboutHelpExit"));
        window->co1->trigger();
        QCOMPARE(shell.opened, std::vector<std::string>{station.toStdString()});
        window->Exit->trigger();
        QCOMPARE(endRequests, 1);
    }

    void layout() {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QWidget* client = window->Frame1->parentWidget();
        QCOMPARE(client->size(), QSize(795, 674)); // 11925 x 10110 twips
        QCOMPARE(window->minimumSize(), window->maximumSize());
        QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(window->windowFlags() & Qt::WindowMinimizeButtonHint));
        QCOMPARE(window->cboAddressPlay->geometry(), QRect(96, 8, 661, 21));
        QCOMPARE(window->Command1->parentWidget(), client);
        QCOMPARE(window->Command1->geometry(), QRect(760, 162, 25, 17));
        QCOMPARE(window->brwWebBrowserChat->widget()->geometry(), QRect(0, 184, 792, 489));
        QVERIFY(window->Default->x() >= client->width()); // never seen
        QTRY_COMPARE(QApplication::focusWidget(), window->Default);
        QTest::keyClick(window->Default, Qt::Key_Space);
        QTest::keyClick(window->Default, Qt::Key_Return);
        QVERIFY(chat().calls.isEmpty() && player().calls.isEmpty());
        QCOMPARE(window->Default->nextInFocusChain(), window->RefreshPlay);
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
