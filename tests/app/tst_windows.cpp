// The window rules: one instance per class, load on show, unload discards,
// and the program ends with its last window.
#include "core/Services.h"
#include "fakes/FakeMsgBox.h"
#include "ui/Form.h"

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
        platform::install({.messageBox = &messages});
        endRequests = 0;
        loadsRun = 0;
        platform::LoadedWindows::setEndProgram([this] { ++endRequests; });
    }

    // Showing a loaded window again brings the same one with what the user
    // changed; after Unload or the close box the next show loads it afresh.
    void showAgain_data() {
        QTest::addColumn<QString>("closing");
        QTest::newRow("still loaded") << "";
        QTest::newRow("Unload") << "Unload";
        QTest::newRow("close box") << "close box";
    }

    void showAgain() {
        QFETCH(QString, closing);
        platform::FormSlot<SampleWindow> slot;
        SampleWindow& window = slot.Show();
        QCOMPARE(window.field->text(), QString("loaded")); // load ran inside the request
        window.field->setText("edited");
        if (closing == "Unload")
            window.Unload();
        else if (closing == "close box")
            window.close();
        QCOMPARE(slot.isLoaded(), closing.isEmpty());
        QCOMPARE(endRequests, closing.isEmpty() ? 0 : 1); // it was the last window
        SampleWindow& again = slot.Show();
        QCOMPARE(slot.loads(), closing.isEmpty() ? 1 : 2); // a fresh window each load
        QCOMPARE(again.field->text(), QString(closing.isEmpty() ? "edited" : "loaded"));
        QVERIFY(again.isVisible());
        again.Unload();
    }

    // A failing load is reported and its window still opens; the program
    // ends only with the last window.
    void failingLoadAndTheLastWindow() {
        platform::FormSlot<SampleWindow> one;
        platform::FormSlot<FailingLoadWindow> other;
        one.Show();
        FailingLoadWindow& failing = other.Show();
        QCOMPARE(failing.steps, QStringList{"before"});
        QVERIFY(failing.isVisible());
        QCOMPARE(messages.shown.size(), size_t(1));
        QCOMPARE(QString::fromStdString(messages.shown[0].title), QString("Wavecrest"));
        QVERIFY(QString::fromStdString(messages.shown[0].text).contains("disk gone"));
        one.window()->Unload();
        QCOMPARE(endRequests, 0);
        failing.Unload();
        QCOMPARE(endRequests, 1);
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
