// The window rules: one instance per class, load on show, unload discards,
// and the program ends with its last window.
#include "fakes/FakeMsgBox.h"
#include "platform/Services.h"
#include "platform/qt/Form.h"

#include <QLineEdit>
#include <QtTest>

namespace {

int loadsRun = 0;

class SampleWindow : public platform::Form {
public:
    SampleWindow() { field = new QLineEdit(this); }
    void Form_Load() override {
        ++loadsRun;
        field->setText("loaded");
    }
    QLineEdit* field;
};

class FailingLoadWindow : public platform::Form {
public:
    void Form_Load() override {
        steps << "before";
        throw std::runtime_error("disk gone");
        steps << "after";
    }
    QStringList steps;
};

} // namespace

class TestWindows : public QObject {
    Q_OBJECT

    FakeMsgBox messages;
    int endRequests = 0;

private Q_SLOTS:
    void init() {
        messages = FakeMsgBox();
        platform::Services fakes;
        fakes.messageBox = &messages;
        platform::install(fakes);
        endRequests = 0;
        loadsRun = 0;
        platform::LoadedWindows::setEndProgram([this] { ++endRequests; });
    }

    void showTwiceGivesOneWindowLoadedOnce() {
        platform::FormSlot<SampleWindow> slot;
        SampleWindow* first = &slot.Show();
        QCOMPARE(first->field->text(), QString("loaded")); // load ran inside the request
        first->field->setText("edited");
        SampleWindow* second = &slot.Show();
        QCOMPARE(first, second);
        QCOMPARE(loadsRun, 1);
        QCOMPARE(second->field->text(), QString("edited"));
        QVERIFY(second->isVisible());
        second->Unload();
    }

    void unloadThenShowLoadsAfresh_data() {
        QTest::addColumn<bool>("byCloseBox");
        QTest::newRow("Unload") << false;
        QTest::newRow("close box") << true;
    }

    void unloadThenShowLoadsAfresh() {
        QFETCH(bool, byCloseBox);
        platform::FormSlot<SampleWindow> slot;
        SampleWindow& window = slot.Show();
        window.field->setText("edited");
        if (byCloseBox)
            window.close();
        else
            window.Unload();
        QVERIFY(!slot.isLoaded());
        QCOMPARE(endRequests, 1); // it was the last window
        SampleWindow& again = slot.Show();
        QCOMPARE(loadsRun, 2);
        QCOMPARE(slot.loads(), 2);
        QCOMPARE(again.field->text(), QString("loaded"));
        again.Unload();
    }

    void programEndsOnlyWithTheLastWindow() {
        platform::FormSlot<SampleWindow> one;
        platform::FormSlot<FailingLoadWindow> other;
        const int before = platform::LoadedWindows::count();
        one.Show();
        other.Show();
        QCOMPARE(platform::LoadedWindows::count(), before + 2);
        one.window()->Unload();
        QCOMPARE(endRequests, 0);
        other.window()->Unload();
        QCOMPARE(endRequests, 1);
        QCOMPARE(platform::LoadedWindows::count(), before);
    }

    void failingLoadIsReportedAndTheWindowStillOpens() {
        platform::FormSlot<FailingLoadWindow> slot;
        FailingLoadWindow& window = slot.Show();
        QCOMPARE(window.steps, QStringList{"before"});
        QVERIFY(window.isVisible());
        QCOMPARE(messages.shown.size(), size_t(1));
        QCOMPARE(QString::fromStdString(messages.shown[0].title), QString("Wavecrest"));
        QVERIFY(QString::fromStdString(messages.shown[0].text).contains("disk gone"));
        window.Unload();
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
