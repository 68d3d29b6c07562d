// The real open-file dialog, driven headless: its settings, its filters
// and its three outcomes.
#include "TempFolder.h"
#include "platform/qt/QtFileDialog.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

const platform::FileDialogSettings kUploaderSettings{
    "", "MP3 Files (*.MP3)|*.mp3|All Files (*.*)|*.*", 1, "Open File", 0x281004, true};

// Runs `act` on the dialog once it is open.
void WhenOpen(std::function<void(QFileDialog&)> act) {
    QTimer::singleShot(0, [act] {
        QTRY_VERIFY(qobject_cast<QFileDialog*>(QApplication::activeModalWidget()));
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        act(*dialog);
        if (dialog->isVisible()) // a failed check must not leave the dialog open
            dialog->reject();
    });
}

} // namespace

class TestQtFileDialog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void filtersIgnoreLetterCase_data();
    void filtersIgnoreLetterCase();
    void showsSettingsAndReturnsChosenFile();
    void cancelIsReportedAs32755();
};

void TestQtFileDialog::filtersIgnoreLetterCase_data() {
    QTest::addColumn<QString>("patterns");
    QTest::addColumn<QString>("qt");
    QTest::newRow("mp3") << "*.mp3"
                         << "*.[mM][pP]3";
    QTest::newRow("all") << "*.*"
                         << "*";
    QTest::newRow("several") << "*.mp3;*.wav"
                             << "*.[mM][pP]3 *.[wW][aA][vV]";
}

void TestQtFileDialog::filtersIgnoreLetterCase() {
    QFETCH(QString, patterns);
    QFETCH(QString, qt);
    QCOMPARE(platform::QtPatterns(patterns), qt);
}

void TestQtFileDialog::showsSettingsAndReturnsChosenFile() {
    TempFolder folder;
    for (const char* name : {"a.mp3", "B.MP3", "c.Mp3", "notes.txt"})
        WriteFile(folder / name, "x");
    platform::FileDialogSettings settings = kUploaderSettings;
    settings.initialFolder = folder.path();
    WhenOpen([&](QFileDialog& dialog) {
        QCOMPARE(dialog.windowTitle(), QString("Open File"));
        QCOMPARE(dialog.directory().absolutePath(), QString::fromStdString(folder.path()));
        QCOMPARE(dialog.fileMode(), QFileDialog::ExistingFile);
        auto* types = dialog.findChild<QComboBox*>("fileTypeCombo");
        QVERIFY(types);
        QCOMPARE(types->currentText(), QString("MP3 Files (*.MP3)"));
        QCOMPARE(types->itemText(1), QString("All Files (*.*)"));
        // The pattern matches every letter case even where matching is exact.
        auto* model = dialog.findChild<QFileSystemModel*>();
        QVERIFY(model);
        QCOMPARE(model->nameFilters().size(), 1);
        const QString pattern = model->nameFilters().first();
        auto matches = [&](const char* name) {
            return QRegularExpression::fromWildcard(pattern, Qt::CaseSensitive)
                .match(name)
                .hasMatch();
        };
        QVERIFY(matches("a.mp3") && matches("B.MP3") && matches("c.Mp3"));
        QVERIFY(!matches("notes.txt"));
        dialog.selectFile(QString::fromStdString(folder / "B.MP3"));
        static_cast<QDialog&>(dialog).accept();
    });
    const platform::FileDialogResult result = platform::QtFileDialog().ShowOpen(settings);
    QCOMPARE(result.outcome, platform::FileDialogResult::Chosen);
    QCOMPARE(result.fileName, folder / "B.MP3");
}

void TestQtFileDialog::cancelIsReportedAs32755() {
    WhenOpen([](QFileDialog& dialog) { dialog.reject(); });
    const platform::FileDialogResult result = platform::QtFileDialog().ShowOpen(kUploaderSettings);
    QCOMPARE(result.outcome, platform::FileDialogResult::Cancelled);
    QCOMPARE(result.number, 32755);
}

QTEST_MAIN(TestQtFileDialog)
#include "tst_qt_file_dialog.moc"
