// The About window: its texts word for word, the layout with the etched
// separator and the picture, the keys that close it and the System Info button.
#include "dialogs/frmAbout.h"
#include "fakes/FakeMsgBox.h"
#include "fakes/FakeProcessStarter.h"
#include "fakes/FakeRegistry.h"
#include "platform/Services.h"
#include "platform/qt/Twips.h"

#include <QLabel>
#include <QPushButton>
#include <QSet>
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
const char* const kUnavailable = "System Information Is Unavailable At This Time";

QWidget* control(frmAbout& window, const QString& name) {
    const QMap<QString, QWidget*> controls{{"picIcon", window.picIcon},
                                           {"lblTitle", window.lblTitle},
                                           {"lblVersion", window.lblVersion},
                                           {"lblDescription", window.lblDescription},
                                           {"lblDisclaimer", window.lblDisclaimer},
                                           {"cmdOK", window.cmdOK},
                                           {"cmdSysInfo", window.cmdSysInfo}};
    return controls.value(name);
}

} // namespace

class TestFrmAbout : public QObject {
    Q_OBJECT

    FakeMsgBox messages;
    FakeRegistry registry;
    FakeProcessStarter processes;
    platform::FormSlot<frmAbout> about;

private Q_SLOTS:
    void init() {
        messages = FakeMsgBox();
        registry = FakeRegistry();
        processes = FakeProcessStarter();
        platform::Services fakes;
        fakes.messageBox = &messages;
        fakes.registry = &registry;
        fakes.processes = &processes;
        platform::install(fakes);
        platform::LoadedWindows::setEndProgram([] {});
    }

    void cleanup() {
        if (about.isLoaded())
            about.window()->Unload();
    }

    void loadSetsTheTexts() {
        frmAbout& window = about.Show();
        QCOMPARE(window.windowTitle(), QString("About Wavecrest"));
        QCOMPARE(window.lblTitle->text(), QString("Wavecrest"));
        QCOMPARE(window.lblVersion->text(), QString("Version 1.0.0"));
        QCOMPARE(window.lblDescription->text(), kExpectedDescription);
        QCOMPARE(window.lblDisclaimer->text(), kExpectedDisclaimer);
        for (QLabel* label : {window.lblTitle, window.lblDescription, window.lblDisclaimer})
            QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::black));
    }

    void descriptionShowsFourLines() {
        QLabel* shown = about.Show().lblDescription;
        QStringList lines = shown->text().split("\r\n");
        QCOMPARE(lines.size(), 4);
        QVERIFY(lines[2].isEmpty());
        // Each CR LF is one line break on the screen, as a plain LF would be.
        QLabel plain(lines.join('\n'));
        plain.setFont(shown->font());
        plain.setWordWrap(true);
        QCOMPARE(shown->heightForWidth(2000), plain.heightForWidth(2000));
    }

    void versionNumbersInPlainDecimal_data() {
        QTest::addColumn<int>("major");
        QTest::addColumn<int>("minor");
        QTest::addColumn<int>("revision");
        QTest::addColumn<QString>("text");
        QTest::newRow("1.0.0") << 1 << 0 << 0 << "Version 1.0.0";
        QTest::newRow("no zero added") << 2 << 10 << 3 << "Version 2.10.3";
    }

    void versionNumbersInPlainDecimal() {
        QFETCH(int, major);
        QFETCH(int, minor);
        QFETCH(int, revision);
        QFETCH(QString, text);
        QCOMPARE(frmAbout::VersionText(major, minor, revision), text);
    }

    void controlsAsLaidOut_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("twips");
        QTest::newRow("picIcon") << "picIcon" << QRect(240, 240, 540, 540);
        QTest::newRow("lblTitle") << "lblTitle" << QRect(1050, 240, 3885, 480);
        QTest::newRow("lblVersion") << "lblVersion" << QRect(1050, 780, 3885, 225);
        QTest::newRow("lblDescription") << "lblDescription" << QRect(1050, 1125, 3885, 1170);
        QTest::newRow("lblDisclaimer") << "lblDisclaimer" << QRect(255, 2625, 3870, 825);
        QTest::newRow("cmdOK") << "cmdOK" << QRect(4245, 2625, 1260, 345);
        QTest::newRow("cmdSysInfo") << "cmdSysInfo" << QRect(4260, 3075, 1245, 345);
    }

    void controlsAsLaidOut() {
        QFETCH(QString, name);
        QFETCH(QRect, twips);
        frmAbout& window = about.Show();
        QCOMPARE(control(window, name)->geometry(),
                 platform::TwipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    }

    void windowAsLaidOut() {
        frmAbout& window = about.Show();
        QCOMPARE(window.geometry(), platform::TwipsRect(2340, 1935, 5730, 3555));
        QCOMPARE(window.minimumSize(), window.maximumSize());
        QVERIFY(!(window.windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(window.windowFlags() & Qt::WindowCloseButtonHint);
        QCOMPARE(window.windowType(), Qt::Tool); // no task bar button
        QCOMPARE(window.cmdOK->text(), QString("OK"));
        QCOMPARE(window.cmdSysInfo->text(), QString("&System Info..."));
        QVERIFY(window.cmdOK->isDefault());
        QCOMPARE(window.cmdOK->nextInFocusChain(), window.cmdSysInfo);
    }

    void pictureIsA16ColourIcon() {
        const QImage picture = about.Show().picIcon->pixmap().toImage();
        QCOMPARE(picture.size(), QSize(32, 32));
        QSet<QRgb> colours;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                colours.insert(picture.pixel(x, y));
        QVERIFY2(colours.size() > 4 && colours.size() <= 16,
                 qPrintable(QString::number(colours.size())));
    }

    void separatorIsEtched() {
        const QImage shot = about.Show().grab().toImage();
        const QColor grey(128, 128, 128), white(255, 255, 255);
        // Grey at y 2445 twips from x 90, white two pixels deep at 2460 from x 105.
        for (int x : {6, 100, 377})
            QCOMPARE(shot.pixelColor(x, 163), grey);
        for (int x : {7, 100, 377}) {
            QCOMPARE(shot.pixelColor(x, 164), white);
            QCOMPARE(shot.pixelColor(x, 165), white);
        }
        const QColor background = shot.pixelColor(100, 160);
        QVERIFY(background != grey && background != white);
        QCOMPARE(shot.pixelColor(100, 166), background);
        QCOMPARE(shot.pixelColor(380, 163), background); // the line stops short of the edge
    }

    void escapeClosesFromAnyControl_data() {
        QTest::addColumn<QString>("focused");
        QTest::newRow("OK") << "cmdOK";
        QTest::newRow("System Info") << "cmdSysInfo";
        QTest::newRow("window itself") << "";
    }

    void escapeClosesFromAnyControl() {
        QFETCH(QString, focused);
        frmAbout& window = about.Show();
        QWidget* target = focused.isEmpty() ? &window : control(window, focused);
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Escape);
        QVERIFY(!about.isLoaded());
        QVERIFY(messages.shown.empty());
    }

    void enterClosesUnlessSystemInfoHasFocus_data() {
        QTest::addColumn<QString>("focused");
        QTest::addColumn<bool>("closes");
        QTest::newRow("OK") << "cmdOK" << true;
        QTest::newRow("window itself") << "" << true;
        QTest::newRow("System Info") << "cmdSysInfo" << false;
    }

    void enterClosesUnlessSystemInfoHasFocus() {
        QFETCH(QString, focused);
        QFETCH(bool, closes);
        frmAbout& window = about.Show();
        QWidget* target = focused.isEmpty() ? &window : control(window, focused);
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Return);
        QCOMPARE(!about.isLoaded(), closes);
        QCOMPARE(messages.shown.size(), size_t(closes ? 0 : 1)); // System Info was pressed
    }

    void okThenShowLoadsAfreshWithFocusOnOk() {
        frmAbout& first = about.Show();
        first.lblTitle->setText("changed while open");
        const int loads = about.loads();
        QVERIFY(&about.Show() == &first); // a second show only brings it forward
        QCOMPARE(about.loads(), loads);
        first.cmdSysInfo->setFocus();
        QTest::mouseClick(first.cmdOK, Qt::LeftButton);
        QVERIFY(!about.isLoaded());

        frmAbout& again = about.Show();
        QCOMPARE(about.loads(), loads + 1);
        QCOMPARE(again.lblTitle->text(), QString("Wavecrest"));
        QVERIFY(QTest::qWaitForWindowActive(&again));
        QCOMPARE(QApplication::focusWidget(), again.cmdOK);
    }

    void systemInfoWithoutToolSaysUnavailable_data() {
        QTest::addColumn<bool>("byAltS");
        QTest::newRow("click") << false;
        QTest::newRow("Alt+S") << true;
    }

    void systemInfoWithoutToolSaysUnavailable() {
        QFETCH(bool, byAltS);
        frmAbout& window = about.Show();
        if (byAltS) {
            QVERIFY(QTest::qWaitForWindowActive(&window));
            QTest::keyClick(&window, Qt::Key_S, Qt::AltModifier);
        } else {
            QTest::mouseClick(window.cmdSysInfo, Qt::LeftButton);
        }
        QTRY_COMPARE(messages.shown.size(), size_t(1)); // Alt+S presses the button shortly
        QCOMPARE(messages.shown[0].text, std::string(kUnavailable));
        QCOMPARE(messages.shown[0].style, platform::kMbOk);
        QCOMPARE(messages.shown[0].title, std::string("Wavecrest"));
        QVERIFY(about.isLoaded()); // the window stays
    }

    void systemInfoStartsTheRegisteredTool() {
        registry.setText("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH",
                         "C:\\Tools\\msinfo32.exe");
        QTest::mouseClick(about.Show().cmdSysInfo, Qt::LeftButton);
        QCOMPARE(processes.started.size(), size_t(1));
        QCOMPARE(processes.started[0].commandLine, std::string("C:\\Tools\\msinfo32.exe"));
        QCOMPARE(processes.started[0].windowState, platform::kShowNormal);
        QVERIFY(messages.shown.empty());
    }

    void getKeyValueReadsTheRegistryInUse() {
        registry.setText("SOFTWARE\\Wavecrest", "Name", "value");
        std::string KeyVal = "before";
        frmAbout& window = about.Show();
        QVERIFY(
            window.GetKeyValue(platform::kHKeyLocalMachine, "SOFTWARE\\Wavecrest", "Name", KeyVal));
        QCOMPARE(KeyVal, std::string("value"));
        QVERIFY(!window.GetKeyValue(platform::kHKeyLocalMachine, "SOFTWARE\\Wavecrest", "Other",
                                    KeyVal));
        QCOMPARE(KeyVal, std::string());
    }
};

QTEST_MAIN(TestFrmAbout)
#include "tst_frmabout.moc"
