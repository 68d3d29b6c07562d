// The help window: its fixed text word for word, its place on the screen,
// the online help button and the show/OK cycle.
#include "ProjectSettings.h"
#include "core/Services.h"
#include "dialogs/FrmHelp.h"
#include "dialogs/TextBox.h"
#include "fakes/FakeMsgBox.h"
#include "fakes/FakeShell.h"
#include "fakes/FakeWebBrowser.h"
#include "main_window/FrmMain.h"
#include "ui/QtShell.h"

#include <QAccessible>
#include <QAction>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kExpectedHelpText =
    "This is the help file for the radio show program.\r\n"
    "\r\n"
    "The program is actually pretty simple, and does not really need a help file.\r\n"
    "That is all.\r\n"
    "\r\n"
    "   -Dudezo\r\n"
    "\r\n"
    "\r\n"
    "If the chatroom and music player do not work, update Internet Explorer's Flash Player "
    "plugin! Visual Basic 6.0 relies on Internet Explorer for all of it's internet functions";

// A stand-in for the desktop's opener: notes the address, ends with `status`.
void writeOpener(const QString& path, const QString& asked, int status) {
    QFile script(path);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(
        QString("#!/bin/sh\necho \"$1\" > '%1'\nexit %2\n").arg(asked).arg(status).toLocal8Bit());
    script.close();
    script.setPermissions(script.permissions() | QFile::ExeOwner);
}

} // namespace

class TestFrmHelp : public QObject {
    Q_OBJECT

    FakeMsgBox messages;
    FakeShell shell;

private Q_SLOTS:
    void init() {
        messages = FakeMsgBox();
        shell = FakeShell();
        platform::install({.messageBox = &messages, .shell = &shell});
        platform::LoadedWindows::setEndProgram([] {});
    }

    void cleanup() {
        // Each case starts with no window loaded.
        for (QWidget* window : QApplication::topLevelWidgets())
            if (auto* form = qobject_cast<platform::Form*>(window))
                form->Unload();
    }

    void shownAsLaidOut() {
        platform::FormSlot<FrmHelp> help;
        FrmHelp& window = help.Show();
        QCOMPARE(window.Text1->Text(), kExpectedHelpText);
        // What the box shows is the same text, line for line.
        QCOMPARE(window.Text1->toPlainText(), QString(kExpectedHelpText).replace("\r\n", "\n"));
        QCOMPARE(window.windowHandle()->title(), QString("Help"));
        QCOMPARE(window.geometry(), QRect(184, 250, 348, 263)); // client area, 15 twips a pixel
        QCOMPARE(window.minimumSize(), window.maximumSize());   // fixed frame
        QVERIFY(!(window.windowFlags() & Qt::WindowMinMaxButtonsHint));
        QCOMPARE(window.windowType(), Qt::Tool); // no task bar button
        QCOMPARE(window.OKButton->text(), QString("OK"));
        QCOMPARE(window.OKButton->geometry(), QRect(16, 8, 81, 25));
        QCOMPARE(window.Text1->geometry(), QRect(16, 40, 313, 209));
        // A screen reader names the box; its text would not say what it is.
        QCOMPARE(QAccessible::queryAccessibleInterface(window.Text1)->text(QAccessible::Name),
                 QString("Help text"));
        QCOMPARE(window.Command1->text(), QString("Click Here for the online help page."));
        QCOMPARE(window.Command1->geometry(), QRect(112, 8, 217, 25));
        // Locked but selectable; long lines wrap instead of scrolling.
        TextBox* box = window.Text1;
        QTest::keyClicks(box, "typed");
        QCOMPARE(box->Text(), kExpectedHelpText);
        box->selectAll();
        QCOMPARE(box->textCursor().selectedText().size(), box->toPlainText().size());
        QVERIFY(!box->horizontalScrollBar()->isVisible());
    }

    void onlineHelpButton_data() {
        QTest::addColumn<bool>("byEnter");
        QTest::newRow("click") << false;
        QTest::newRow("Enter on the focused button") << true;
    }

    void onlineHelpButton() {
        QFETCH(bool, byEnter);
        platform::FormSlot<FrmHelp> help;
        FrmHelp& window = help.Show();
        window.Command1->setFocus();
        if (byEnter)
            QTest::keyClick(window.Command1, Qt::Key_Return);
        else
            QTest::mouseClick(window.Command1, Qt::LeftButton);
        const std::string expected =
            std::string("http://") + settings::kStationHost + "/vavudavizezez/dedevirevo/wavecrest";
        QCOMPARE(shell.opened, std::vector<std::string>{expected});
        QVERIFY(help.isLoaded()); // the window stays
        QVERIFY(messages.shown.empty());
    }

    // The desktop's opener (a stand-in on PATH) or none at all: when no
    // program opens the address, one message gives it to copy.
    void addressWithoutBrowser_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("opener"); // its exit status; -1: the desktop has none
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("said");
        const QString help =
            QString("http://") + settings::kStationHost + "/vavudavizezez/dedevirevo/wavecrest";
        const QString front = QString("http://") + settings::kStationHost;
        QTest::newRow("online help, no browser") << "online help" << 3 << help << true;
        QTest::newRow("online help, no opener") << "online help" << -1 << help << true;
        QTest::newRow("station link, no browser") << "station link" << 3 << front << true;
        QTest::newRow("station link, opened") << "station link" << 0 << front << false;
    }

    void addressWithoutBrowser() {
        QFETCH(QString, button);
        QFETCH(int, opener);
        QFETCH(QString, address);
        QFETCH(bool, said);
        QTemporaryDir bin;
        const QByteArray path = qgetenv("PATH");
        const QByteArray browser = qgetenv("BROWSER");
        qputenv("PATH", QFile::encodeName(bin.path()));
        qunsetenv("BROWSER");
        const QString asked = bin.filePath("asked");
        if (opener >= 0)
            writeOpener(bin.filePath("xdg-open"), asked, opener);
        platform::QtShell desktop;
        FakeWebBrowserFactory browsers;
        platform::install({.messageBox = &messages, .shell = &desktop, .browsers = &browsers});
        if (button == "online help")
            platform::FormSlot<FrmHelp>().Show().Command1->click();
        else
            FrmMain().co1->trigger();
        if (opener >= 0)
            QTRY_VERIFY(QFile::exists(asked));
        const size_t expected = said ? 1 : 0;
        QTRY_COMPARE_WITH_TIMEOUT(messages.shown.size(), expected, 10000);
        qputenv("PATH", path);
        qputenv("BROWSER", browser);
        if (opener >= 0) {
            QFile file(asked);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(QString::fromLocal8Bit(file.readAll()).trimmed(), address);
        }
        if (said)
            QCOMPARE(messages.shown[0].text,
                     platform::QtShell::NoBrowserMessage(address.toStdString()));
    }

    // Enter in the text box does nothing (no default button); OK, Enter on
    // the focused OK or the close box unload the window, and the next show
    // puts the focus on OK.
    void closing_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("OK") << "OK";
        QTest::newRow("Enter on the focused OK") << "Enter";
        QTest::newRow("close box") << "close box";
    }

    void closing() {
        QFETCH(QString, how);
        platform::FormSlot<FrmHelp> help;
        FrmHelp& first = help.Show();
        first.Text1->setFocus();
        QTest::keyClick(first.Text1, Qt::Key_Return);
        QVERIFY(help.isLoaded());
        first.OKButton->setFocus();
        if (how == "close box")
            first.close();
        else if (how == "OK")
            QTest::mouseClick(first.OKButton, Qt::LeftButton);
        else
            QTest::keyClick(first.OKButton, Qt::Key_Return);
        QVERIFY(!help.isLoaded());
        QVERIFY(QTest::qWaitForWindowActive(&help.Show()));
        QCOMPARE(QApplication::focusWidget(), help.window()->OKButton);
    }
};

QTEST_MAIN(TestFrmHelp)
#include "tst_frmhelp.moc"
