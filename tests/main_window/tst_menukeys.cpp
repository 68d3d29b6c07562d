// The main window's menu bar from the keyboard alone, with real key presses
// on a real X server: Alt or F10 highlights the first entry, the arrows move,
// Enter or Down opens and chooses, Escape leaves; the focus goes back to the
// control that had it.
#include "ProjectSettings.h"
#include "fakes/FakeShell.h"
#include "fakes/FakeWebBrowser.h"
#include "main_window/FrmMain.h"
#include "platform/Services.h"
#include "support/XvfbDisplay.h"

#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QtTest>

namespace {
// A desktop style that leaves a lone Alt to the window manager.
class StyleWithoutAltNavigation final : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* answer) const override {
        if (hint == SH_MenuBar_AltKeyNavigation)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, answer);
    }
};
} // namespace

class TestMenuKeys : public QObject {
    Q_OBJECT

    FakeWebBrowserFactory browsers;
    FakeShell shell;
    XvfbDisplay display;

public:
    static void initMain() { qputenv("QT_QPA_PLATFORM", "xcb"); }

private Q_SLOTS:
    void initTestCase() { QApplication::setStyle(new StyleWithoutAltNavigation); }

    void walk_data() {
        QTest::addColumn<QString>("keys"); // after the first, which enters the bar
        QTest::addColumn<QString>("chosen");
        const QString frontPage = QStringLiteral("go to ") + settings::kStationHost;
        for (const QString first : {"alt", "F10"}) {
            auto row = [&](const char* name) -> QTestData& {
                return QTest::addRow("%s, %s", qPrintable(first), name);
            };
            row("Enter, Enter") << first + " Return Return" << frontPage;
            row("Down, Down, Enter") << first + " Down Down Return"
                                     << "About";
            row("Return, Down, Down, Enter") << first + " Return Down Down Return"
                                             << "Help";
            row("Down x4, Enter") << first + " Down Down Down Down Return"
                                  << "Exit";
            row("Right, Enter") << first + " Right Return"
                                << "Request a song!";
            row("Escape") << first + " Escape"
                          << "";
            row("Down, Escape, Escape") << first + " Down Escape Escape"
                                        << "";
            row("again") << first + " " + first << "";
        }
    }

    void walk() {
        QFETCH(QString, keys);
        QFETCH(QString, chosen);
        if (!display.isRunning())
            QSKIP("needs Xvfb and xdotool");
        platform::install({.shell = &shell, .browsers = &browsers});
        platform::LoadedWindows::setEndProgram([] {});
        FrmMain window;
        QStringList ran;
        connect(window.menuBar, &QMenuBar::triggered,
                [&ran](QAction* entry) { ran << entry->text(); });
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.cboAddressChat->setFocus();
        QTRY_VERIFY(QApplication::focusWidget());
        QWidget* const focused = QApplication::focusWidget();

        const QStringList presses = keys.split(' ');
        display.xdotool({"key", presses.first()});
        QTRY_COMPARE_WITH_TIMEOUT(window.menuBar->activeAction(), window.menu->menuAction(), 10000);
        QCOMPARE(QApplication::focusWidget(), window.menuBar);
        display.xdotool(QStringList{"key"} + presses.mid(1));
        QTRY_COMPARE_WITH_TIMEOUT(window.menuBar->activeAction(), nullptr, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), focused, 10000);
        QCOMPARE(ran, chosen.isEmpty() ? QStringList() : QStringList{chosen});
        QVERIFY(window.cboAddressChat->currentText().endsWith("chatonly.html")); // nothing typed
    }
};

QTEST_MAIN(TestMenuKeys)
#include "tst_menukeys.moc"
