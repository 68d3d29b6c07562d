// What a screen reader hears from the windows: each control that takes the
// focus says by its name what it is for, the two panes' controls apart, and
// the uploader's list by its label; and while an assistive technology
// listens on the accessibility bus, the chat page's own controls can be
// reached inside its pane.
#include "dialogs/FrmHelp.h"
#include "dialogs/frmAbout.h"
#include "fakes/FakeWebBrowser.h"
#include "fakes/FakeWebDialogs.h"
#include "ftp/TranscriptWindow.h"
#include "main_window/FrmMain.h"
#include "platform/Services.h"
#include "platform/qt/WebEngineBrowser.h"
#include "support/SlowHttpServer.h"
#include "uploader/FileListBox.h"
#include "uploader/MusicUploader.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QtTest>

namespace {

// The names of the window's controls that take the focus, and of its pictures.
QStringList heardControls(QWidget& window) {
    QStringList names;
    for (QWidget* control : window.findChildren<QWidget*>()) {
        // A combo box is read by its text, and named by its text field.
        auto* box = qobject_cast<QComboBox*>(control);
        QAccessibleInterface* heard =
            QAccessible::queryAccessibleInterface(box ? box->lineEdit() : control);
        const bool focusable = (control->focusPolicy() & Qt::TabFocus) && !control->focusProxy();
        if (control->isVisibleTo(&window) && (focusable || heard->role() == QAccessible::Graphic))
            names << heard->text(QAccessible::Name);
    }
    return names;
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

class TestScreenReader : public QObject {
    Q_OBJECT

    FakeWebBrowserFactory browsers;

public:
    // On the test's own session bus, a screen reader says that it listens:
    // the desktop's accessibility bus starts, and Qt's accessibility with it.
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
    void controlsSayWhatTheyAreFor_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("main") << "main"
                              << QStringList{"Default Button",
                                             "Stop player",
                                             "Refresh player",
                                             "Player address",
                                             "Go to player address",
                                             "Player",
                                             "Stop chat",
                                             "Refresh chat",
                                             "Chat address",
                                             "Go to chat address",
                                             "Chat"};
        QTest::newRow("uploader") << "uploader" << QStringList{"Browse for .MP3 files",
                                                               "Send the Music!",
                                                               "You selected these files:",
                                                               "Delete All",
                                                               "Finish!",
                                                               "Delete Selected"};
        QTest::newRow("help") << "help"
                              << QStringList{"OK", "Help text",
                                             "Click Here for the online help page."};
        QTest::newRow("about") << "about" << QStringList{"Wavecrest icon", "OK", "System Info..."};
        QTest::newRow("transcript") << "transcript" << QStringList{"Transcript"};
    }

    void controlsSayWhatTheyAreFor() {
        QFETCH(QString, window);
        QFETCH(QStringList, names);
        platform::install({.browsers = &browsers});
        std::unique_ptr<QWidget> shown;
        if (window == "main")
            shown = std::make_unique<FrmMain>();
        else if (window == "uploader")
            shown = std::make_unique<MusicUploader>();
        else if (window == "help")
            shown = std::make_unique<FrmHelp>();
        else if (window == "about")
            shown = std::make_unique<frmAbout>();
        else
            shown = std::make_unique<ftp::TranscriptWindow>("ftp");
        QStringList heard = heardControls(*shown);
        heard.sort();
        names.sort();
        QVERIFY2(heard == names, qPrintable(heard.join('|')));
    }

    // The list is tied to its label, so the label says which control it names.
    void uploaderListLabelled() {
        MusicUploader uploader;
        const auto labelled = QAccessible::queryAccessibleInterface(uploader.Label1)
                                  ->relations(QAccessible::Labelled);
        QCOMPARE(labelled.size(), 1);
        QCOMPARE(labelled.first().first->object(), uploader.File1);
    }

    void chatPageReadInItsPane() {
        if (!QTest::qWaitFor([] { return QAccessible::isActive(); }, 10000))
            QSKIP("needs the accessibility bus (at-spi2-core) on a private session bus");
        FakeWebDialogs dialogs;
        platform::WebEngineBrowserFactory engine{dialogs};
        platform::install({.browsers = &engine});
        SlowHttpServer server;
        server.addPage("/chat", {"Chat", 0, "<input aria-label=\"Message\"><button>Send</button>"});
        auto window = std::make_unique<FrmMain>();
        window->cboAddressPlay->setEditText(server.address("/chat"));
        window->cboAddressChat->setEditText(server.address("/chat"));
        window->Form_Load();
        window->show();
        auto heard = [&] {
            return namesUnder(
                QAccessible::queryAccessibleInterface(window->brwWebBrowserChat->widget()));
        };
        QTRY_VERIFY_WITH_TIMEOUT(heard().contains("Send") && heard().contains("Message"), 30000);
        window.reset(); // before the web profile goes
    }
};

QTEST_MAIN(TestScreenReader)
#include "tst_screenreader.moc"
