// The main window without mouse or screen, on a real X server: the menu bar
// with real key presses (Alt or F10 highlights the first entry, the arrows
// move, Enter or Down opens and chooses, Escape leaves, the focus goes back);
// while a screen reader listens, the chat page's own controls in its pane.
#include "ProjectSettings.h"
#include "core/Services.h"
#include "fakes/FakeShell.h"
#include "fakes/FakeWebBrowser.h"
#include "fakes/FakeWebDialogs.h"
#include "main_window/FrmMain.h"
#include "panes/WebEngineBrowserFactory.h"
#include "panes/WebEngineSetup.h"
#include "send_window/TranscriptWindow.h"
#include "support/SlowHttpServer.h"
#include "support/XvfbDisplay.h"

#include <QAccessible>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QtTest>

namespace {
// A desktop style that leaves a lone Alt to the window manager.
class StyleWithoutAltNavigation final : public QProxyStyle {
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* answer) const override {
        return hint == SH_MenuBar_AltKeyNavigation
                   ? 0
                   : QProxyStyle::styleHint(hint, option, widget, answer);
    }
};

// Every name in the tree under `item`, as a screen reader walks it.
QStringList namesUnder(QAccessibleInterface* item, int depth = 0) {
    if (!item || depth > 30)
        return {};
    QStringList names{item->text(QAccessible::Name)};
    for (int i = 0; i < item->childCount(); ++i)
        names += namesUnder(item->child(i), depth + 1);
    return names;
}
} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

    FakeWebBrowserFactory browsers;
    XvfbDisplay display;
    QStringList happened; // what the menu entries did, of this case

public:
    // A screen reader says it listens: the accessibility bus and Qt's start.
    static void initMain() {
        qputenv("QT_QPA_PLATFORM", "xcb");
        if (qEnvironmentVariable("WAVECREST_TEST_BUS") == "private")
            QProcess::execute("dbus-send",
                              {"--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
                               "org.freedesktop.DBus.Properties.Set", "string:org.a11y.Status",
                               "string:ScreenReaderEnabled", "variant:boolean:true"});
        platform::PrepareWebEngine();
    }

private Q_SLOTS:
    void initTestCase() { QApplication::setStyle(new StyleWithoutAltNavigation); }

    void menuFromTheKeyboard_data() {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("done");
        // clang-format off
        const std::pair<QString, QString> walks[] = {
            {"Return Return", QStringLiteral("opened http://") + settings::kStationHost},
            {"Down Down Return", "About"}, {"Return Down Down Return", "Help"},
            {"Down Down Down Down Return", "ended"}, {"Right Return", "uploader"},
            {"Escape", ""}, {"Down Escape Escape", ""}};
        // clang-format on
        for (const QString first : {"alt", "F10"}) {
            for (const auto& [keys, done] : walks)
                QTest::addRow("%s %s", qPrintable(first), qPrintable(keys)) << keys << done;
            QTest::addRow("%s again", qPrintable(first)) << first << "";
        }
    }

    // The first key (Alt or F10, from the row's name) enters the bar.
    void menuFromTheKeyboard() {
        QFETCH(QString, keys);
        QFETCH(QString, done);
        REQUIRE_XVFB(display);
        FakeShell shell;
        platform::install({.shell = &shell, .browsers = &browsers});
        happened.clear();
        platform::LoadedWindows::setEndProgram([this] { happened << "ended"; });
        FrmMain window;
        connect(&window, &FrmMain::aboutRequested, [&] { happened << "About"; });
        connect(&window, &FrmMain::helpRequested, [&] { happened << "Help"; });
        connect(&window, &FrmMain::uploaderRequested, [&] { happened << "uploader"; });
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.cboAddressChat->setFocus();

        display.xdotool({"key", QString(QTest::currentDataTag()).section(' ', 0, 0)});
        QTRY_COMPARE_WITH_TIMEOUT(window.menuBar->activeAction(), window.menu->menuAction(), 10000);
        QCOMPARE(QApplication::focusWidget(), window.menuBar);
        display.xdotool(QStringList{"key"} + keys.split(' '));
        QTRY_COMPARE_WITH_TIMEOUT(window.menuBar->activeAction(), nullptr, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(window.cboAddressChat->hasFocus(), 10000);
        for (const std::string& address : shell.opened)
            happened << "opened " + QString::fromStdString(address);
        QCOMPARE(happened, done.isEmpty() ? QStringList() : QStringList{done});
    }

    void chatPageReadInItsPane() {
        if (!QTest::qWaitFor([] { return QAccessible::isActive(); }, 10000)) {
            if (qEnvironmentVariable("CI") == QLatin1String("true"))
                QFAIL("needs the accessibility bus (at-spi2-core) on a private session bus");
            QSKIP("needs the accessibility bus (at-spi2-core) on a private session bus");
        }
        FakeWebDialogs dialogs;
        platform::WebEngineBrowserFactory engine{dialogs};
        platform::install({.browsers = &engine});
        SlowHttpServer server;
        server.addPage("/chat", {"Chat", 0, "<input aria-label=\"Message\"><button>Send</button>"});
        auto window = std::make_unique<FrmMain>();
        window->cboAddressChat->setEditText(server.address("/chat"));
        window->cboAddressChat_Click();
        window->show();
        auto* pane = QAccessible::queryAccessibleInterface(window->brwWebBrowserChat->widget());
        QTRY_VERIFY_WITH_TIMEOUT(
            namesUnder(pane).filter(QRegularExpression("^(Message|Send)$")).size() == 2, 30000);
        window.reset(); // before the web profile goes
    }

    void transcriptNamed() {
        ftp::TranscriptWindow window("ftp -s:sendfiles.ftps", [] {});
        for (QWidget* control : {static_cast<QWidget*>(window.findChild<QPlainTextEdit*>()),
                                 static_cast<QWidget*>(window.findChild<QPushButton*>())})
            QVERIFY(
                !QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name).isEmpty());
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
