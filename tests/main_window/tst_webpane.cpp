// The real web panes on Qt WebEngine, loading pages from a local server:
// the busy flag, the title sequence, Enter and Stop.
#include "main_window/FrmMain.h"
#include "platform/Services.h"
#include "platform/qt/WebEngineBrowser.h"
#include "support/SlowHttpServer.h"

#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

class TestWebPane : public QObject {
    Q_OBJECT

    platform::WebEngineBrowserFactory browsers;
    SlowHttpServer server;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(server.isListening());
        server.addPage("/player", "Player", 0);
        server.addPage("/chat", "Slow chat room", 1500);
        server.addPage("/other", "Other room", 0);
        server.addPage("/never", "Never shown", 60000);
        platform::Services real;
        real.browsers = &browsers;
        platform::install(real);
        platform::LoadedWindows::setEndProgram([] {});
    }

    void busyFromNavigateUntilLoaded() {
        QWidget host;
        std::unique_ptr<platform::WebBrowser> browser(browsers.Create(&host));
        QVERIFY(!browser->Busy());
        browser->Navigate(server.address("/chat"));
        QVERIFY(browser->Busy()); // already when Navigate returns
        QTRY_VERIFY_WITH_TIMEOUT(!browser->Busy(), 20000);
        QCOMPARE(browser->LocationName(), QString("Slow chat room"));
    }

    void emptyTextLoadsNothing() {
        QWidget host;
        std::unique_ptr<platform::WebBrowser> browser(browsers.Create(&host));
        browser->Navigate("");
        QVERIFY(!browser->Busy());
        browser->Navigate("   ");
        QVERIFY(!browser->Busy());
    }

    void bareHostBecomesAnHttpAddress() {
        QCOMPARE(platform::WebEngineBrowser::AddressFromText("127.0.0.1:8642/x").toString(),
                 QString("http://127.0.0.1:8642/x"));
        QCOMPARE(platform::WebEngineBrowser::AddressFromText("example.org").scheme(),
                 QString("http"));
        QVERIFY(!platform::WebEngineBrowser::AddressFromText("").isValid());
    }

    void titleGoesWorkingThenChatTitle() {
        FrmMain window;
        window.cboAddressPlay->setEditText(server.address("/player"));
        window.cboAddressChat->setEditText(server.address("/chat"));
        QStringList titles{window.windowTitle()};
        connect(&window, &QWidget::windowTitleChanged, this, [&](const QString& title) {
            if (titles.last() != title)
                titles << title;
        });
        window.show();
        window.Form_Load();
        QTRY_COMPARE_WITH_TIMEOUT(window.windowTitle(), QString("Slow chat room"), 20000);
        QCOMPARE(titles, (QStringList{"Form1", "Working...", "Slow chat room"}));
        QVERIFY(!window.timTimerChat->isTicking());

        // Enter in the chat box loads what it holds.
        window.cboAddressChat->setEditText(server.address("/other"));
        QTest::keyClick(window.cboAddressChat, Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(window.windowTitle(), QString("Other room"), 20000);
        QCOMPARE(window.cboAddressChat->count(), 0);
    }

    void stopShowsTheTitleOfWhatThePaneShows() {
        FrmMain window;
        window.cboAddressPlay->setEditText(server.address("/player"));
        window.cboAddressChat->setEditText(server.address("/other"));
        window.show();
        window.Form_Load();
        QTRY_COMPARE_WITH_TIMEOUT(window.windowTitle(), QString("Other room"), 20000);
        window.cboAddressChat->setEditText(server.address("/never"));
        window.Command1_Click();
        QTRY_COMPARE_WITH_TIMEOUT(window.windowTitle(), QString("Working..."), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(server.requests("/never") > 0, 10000);
        window.StopChat_Click();
        QVERIFY(!window.brwWebBrowserChat->Busy());
        QCOMPARE(window.windowTitle(), window.brwWebBrowserChat->LocationName());
        QVERIFY(window.windowTitle() != "Working...");
    }
};

int main(int argc, char** argv) {
    platform::PrepareWebEngine();
    QApplication app(argc, argv);
    TestWebPane test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_webpane.moc"
