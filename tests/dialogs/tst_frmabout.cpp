// The About window: its texts word for word, the layout with the etched
// separator and the picture, the keys that close it and System Info without a
// registered tool (the real program's click starts one: tst_sysinfo_click).
#include "core/Services.h"
#include "dialogs/frmAbout.h"
#include "fakes/FakeMsgBox.h"

#include <QAccessible>
#include <QLabel>
#include <QtTest>

namespace {

const QString kExpectedDescription =
    "Stand-Alone radio show program\r\n"
    "Now you can request and upload songs to Dudezo's internet radio show thing "
    "automatically!\r\n"
    "\r\n"
    "Made using Visual Basic 6.0.";
const QString kExpectedDisclaimer =
    "Unfortunately, for the chatroom and music player to work, an up-to-date version of Internet "
    "Explorer and Flash Player Plugin are requred.";

} // namespace

class TestFrmAbout : public QObject {
    Q_OBJECT

    FakeMsgBox messages;
    platform::FormSlot<frmAbout> about;

private Q_SLOTS:
    void init() {
        messages = FakeMsgBox();
        platform::install({.messageBox = &messages}); // the base registry holds no tool
        platform::LoadedWindows::setEndProgram([] {});
    }

    void cleanup() {
        if (about.isLoaded())
            about.window()->Unload();
    }

    // A fixed tool window (no task bar button) laid out in pixels, 15 twips a
    // pixel, with black label texts; the description shows one line per CR LF,
    // and an etched line (grey at y 2445 twips from x 90,
    // white two pixels deep at 2460 from x 105) stops short of the edge.
    void windowAsLaidOut() {
        frmAbout& window = about.Show();
        QCOMPARE(window.windowHandle()->title(), QString("About Wavecrest"));
        QCOMPARE(window.geometry(), QRect(156, 129, 382, 237));
        QCOMPARE(window.minimumSize(), window.maximumSize());
        QVERIFY(!(window.windowFlags() & Qt::WindowMinMaxButtonsHint));
        QCOMPARE(window.windowType(), Qt::Tool);
        const struct {
            QWidget* control;
            QString text;
            QRect pixels;
        } laidOut[] = {{window.picIcon, "", {16, 16, 36, 36}},
                       {window.lblTitle, "Wavecrest", {70, 16, 259, 32}},
                       {window.lblVersion, "Version 1.0.0", {70, 52, 259, 15}},
                       {window.lblDescription, kExpectedDescription, {70, 75, 259, 78}},
                       {window.lblDisclaimer, kExpectedDisclaimer, {17, 175, 258, 55}},
                       {window.cmdOK, "OK", {283, 175, 84, 23}},
                       {window.cmdSysInfo, "&System Info...", {284, 205, 83, 23}}};
        for (const auto& [control, text, pixels] : laidOut) {
            QCOMPARE(control->geometry(), pixels);
            QCOMPARE(control->property("text").toString(), text);
        }
        QCOMPARE(QAccessible::queryAccessibleInterface(window.picIcon)->text(QAccessible::Name),
                 QString("Wavecrest icon"));
        for (QLabel* label : {window.lblTitle, window.lblDescription, window.lblDisclaimer})
            QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::black));
        QLabel plain(window.lblDescription->text().split("\r\n").join('\n'));
        plain.setFont(window.lblDescription->font());
        plain.setWordWrap(true);
        QCOMPARE(window.lblDescription->heightForWidth(2000), plain.heightForWidth(2000));
        const QImage shot = window.grab().toImage();
        const QColor grey(128, 128, 128), white(255, 255, 255), none = shot.pixelColor(100, 160);
        QVERIFY(none != grey && none != white);
        for (int x : {6, 100, 377})
            QCOMPARE(shot.pixelColor(x, 163), grey);
        for (int x : {7, 100, 377})
            QCOMPARE(shot.pixelColor(x, 164).rgb() & shot.pixelColor(x, 165).rgb(), white.rgb());
        QCOMPARE(shot.pixelColor(100, 166), none);
        QCOMPARE(shot.pixelColor(380, 163), none);
    }

    // Keys close the window, except those that press System Info: with no tool
    // registered it says so in a message and the window stays.
    void keys_data() {
        QTest::addColumn<QString>("focused"); // empty: the window
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("closes");
        QTest::newRow("Escape on System Info") << "System Info" << int(Qt::Key_Escape) << 0 << true;
        QTest::newRow("Enter on the window") << "" << int(Qt::Key_Enter) << 0 << true;
        QTest::newRow("Enter on System Info") << "System Info" << int(Qt::Key_Return) << 0 << false;
        QTest::newRow("Alt+S") << "" << int(Qt::Key_S) << int(Qt::AltModifier) << false;
    }

    void keys() {
        QFETCH(QString, focused);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, closes);
        frmAbout& window = about.Show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QWidget* target = focused.isEmpty() ? static_cast<QWidget*>(&window) : window.cmdSysInfo;
        target->setFocus();
        QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QTRY_COMPARE(!about.isLoaded(), closes);              // Alt+S presses the button shortly
        QTRY_COMPARE(messages.shown.size(), size_t(!closes)); // tst_sysinfo checks its words
    }

    void okThenShowPutsTheFocusOnOk() {
        about.Show().cmdSysInfo->setFocus();
        QTest::mouseClick(about.window()->cmdOK, Qt::LeftButton);
        QVERIFY(!about.isLoaded());
        frmAbout& again = about.Show();
        QVERIFY(QTest::qWaitForWindowActive(&again));
        QCOMPARE(QApplication::focusWidget(), again.cmdOK);
        // The picture takes no focus: Tab goes from OK to System Info and back.
        QTest::keyClick(again.cmdOK, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), again.cmdSysInfo);
        QTest::keyClick(again.cmdSysInfo, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), again.cmdOK);
    }
};

QTEST_MAIN(TestFrmAbout)
#include "tst_frmabout.moc"
