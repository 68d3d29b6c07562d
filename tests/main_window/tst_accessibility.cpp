// The windows without mouse, on a real X server: the menu bar with real key
// presses (Alt or F10 highlights the first entry on the screen, the arrows
// move, Enter or Down opens and chooses, Escape leaves, the focus goes back);
// every window a frame to a screen reader and inside a small or scaled
// screen, the chat's Send reached with Tab; while a screen reader listens,
// the chat page's own controls in its pane.
#include "ProjectSettings.h"
#include "core/Services.h"
#include "dialogs/FrmHelp.h"
#include "dialogs/frmAbout.h"
#include "fakes/FakeShell.h"
#include "fakes/FakeWebBrowser.h"
#include "fakes/FakeWebDialogs.h"
#include "main_window/FrmMain.h"
#include "panes/WebEngineBrowserFactory.h"
#include "panes/WebEngineSetup.h"
#include "send_window/TranscriptWindow.h"
#include "support/SlowHttpServer.h"
#include "support/XvfbDisplay.h"
#include "uploader/MusicUploader.h"

#include <QAccessible>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QScreen>
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

// A chat room as tall as its pane, with the message row at its foot.
const QByteArray kChatRoom =
    "<div style=\"height:calc(100vh - 60px);overflow:auto\">The show starts at eight.</div>"
    "<form action=\"/sent\"><input aria-label=\"Name\" name=\"n\">"
    "<input aria-label=\"Message\" name=\"m\">"
    "<button onfocus=\"document.title='Send has the focus'\">Send</button></form>";

std::unique_ptr<platform::Form> makeWindow(const QString& window) {
    if (window == "main window")
        return std::make_unique<FrmMain>();
    if (window == "uploader")
        return std::make_unique<MusicUploader>();
    if (window == "help")
        return std::make_unique<FrmHelp>();
    return std::make_unique<frmAbout>();
}

QString describe(const QWidget& window) {
    const QRect frame = window.frameGeometry();
    const QRect screen = window.screen()->availableGeometry();
    return QString("window %1,%2 %3x%4 on %5x%6")
        .arg(frame.x())
        .arg(frame.y())
        .arg(frame.width())
        .arg(frame.height())
        .arg(screen.width())
        .arg(screen.height());
}

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

    // The entry the keyboard is on looks so on the screen, in each style
    // Debian's Qt offers, whichever key took the keyboard there.
    void menuBarShowsTheKeyboardEntry_data() {
        QTest::addColumn<QString>("style");
        QTest::addColumn<QString>("key");
        for (const char* style : {"Fusion", "Windows"})
            for (const char* key : {"alt", "F10"})
                QTest::addRow("%s, %s", style, key) << style << key;
    }

    void menuBarShowsTheKeyboardEntry() {
        QFETCH(QString, style);
        QFETCH(QString, key);
        REQUIRE_XVFB(display);
        platform::install({.browsers = &browsers});
        QApplication::setStyle(style);
        FrmMain window;
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.cboAddressChat->setFocus();
        const QRect entry(window.menuBar->mapTo(&window, QPoint()) +
                              window.menuBar->actionGeometry(window.menu->menuAction()).topLeft(),
                          window.menuBar->actionGeometry(window.menu->menuAction()).size());
        auto onScreen = [&] {
            return window.screen()
                ->grabWindow(window.winId(), entry.x(), entry.y(), entry.width(), entry.height())
                .toImage();
        };
        const QImage before = onScreen();
        display.xdotool({"key", key});
        QTRY_COMPARE_WITH_TIMEOUT(window.menuBar->activeAction(), window.menu->menuAction(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(onScreen() != before, 5000);
        display.xdotool({"key", "Escape"});
        QTRY_VERIFY_WITH_TIMEOUT(window.cboAddressChat->hasFocus(), 10000);
        QApplication::setStyle(new StyleWithoutAltNavigation);
    }

    // A screen reader lists each window as a frame, not as a filler.
    void windowsAreFrames_data() {
        QTest::addColumn<QString>("window");
        for (const char* window : {"main window", "uploader", "help", "About"})
            QTest::newRow(window) << window;
    }

    void windowsAreFrames() {
        QFETCH(QString, window);
        platform::install({.browsers = &browsers});
        const std::unique_ptr<platform::Form> shown = makeWindow(window);
        QCOMPARE(QAccessible::queryAccessibleInterface(shown.get())->role(), QAccessible::Window);
    }

    // Under this test's screen (the suite runs it at 1280x1024, at 800x600
    // and at twice the scale) each window lies inside the screen, and the
    // keyboard reaches the chat page's Send and presses it.
    void windowsFitTheScreen_data() {
        QTest::addColumn<QString>("window");
        for (const char* window : {"main window", "uploader", "help", "About"})
            QTest::newRow(window) << window;
    }

    void windowsFitTheScreen() {
        QFETCH(QString, window);
        REQUIRE_XVFB(display);
        FakeWebDialogs dialogs;
        platform::WebEngineBrowserFactory engine{dialogs};
        platform::install({.browsers = &engine});
        SlowHttpServer server;
        server.addPage("/chat", {"Chat", 0, kChatRoom});
        std::unique_ptr<platform::Form> shown = makeWindow(window);
        auto* main = qobject_cast<FrmMain*>(shown.get());
        if (main) {
            main->cboAddressChat->setEditText(server.address("/chat"));
            main->cboAddressChat_Click();
        }
        shown->show();
        shown->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(shown.get()));
        const QRect screen = shown->screen()->availableGeometry();
        QTRY_VERIFY2(screen.contains(shown->frameGeometry()), qPrintable(describe(*shown)));
        for (QPushButton* control : shown->findChildren<QPushButton*>())
            if (shown->rect().intersects(control->geometry())) // in sight, as laid out
                QVERIFY2(screen.contains(QRect(control->mapToGlobal(QPoint()), control->size())),
                         qPrintable(control->text()));
        if (main) {
            QTRY_COMPARE_WITH_TIMEOUT(main->brwWebBrowserChat->LocationName(), QString("Chat"),
                                      30000);
            shown->screen()->grabWindow(0).save(QString("fit-%1.png").arg(screen.width()));
            auto onSend = [&] {
                return main->brwWebBrowserChat->LocationName() == "Send has the focus";
            };
            // The page's focus moves in its own process: each Tab is given a second.
            for (int tab = 0; tab < 30 && !onSend(); ++tab) {
                display.xdotool({"key", "Tab"});
                if (QTest::qWaitFor(onSend, 1000))
                    break;
            }
            QVERIFY(onSend());
            display.xdotool({"key", "space"});
            QTRY_COMPARE_WITH_TIMEOUT(server.requests("/sent"), 1, 10000);
        }
        shown.reset(); // before the web profile goes
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

    // The transcript window is a frame like the program's own, and its
    // controls are named.
    void transcriptNamed() {
        ftp::TranscriptWindow window("Sending songs to the show", [] {});
        QCOMPARE(QAccessible::queryAccessibleInterface(&window)->role(), QAccessible::Window);
        for (QWidget* control : {static_cast<QWidget*>(window.findChild<QPlainTextEdit*>()),
                                 static_cast<QWidget*>(window.findChild<QPushButton*>())})
            QVERIFY(
                !QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name).isEmpty());
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
