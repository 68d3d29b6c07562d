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
    void showsSettingsAndReturnsChosenFile();
    void flagsAndCancelSettingTakeEffect_data();
    void flagsAndCancelSettingTakeEffect();
};

void TestQtFileDialog::showsSettingsAndReturnsChosenFile() {
    TempFolder folder;
    for (const char* name : {"a.mp3", "B.MP3", "c.Mp3", "notes.txt"})
        WriteFile(folder / name, "x");
    platform::FileDialogSettings settings = kUploaderSettings;
    settings.initialFolder = folder.path();
    WhenOpen([&](QFileDialog& dialog) {
        QCOMPARE(dialog.windowTitle(), QString("Open File"));
        QCOMPARE(dialog.directory().absolutePath(), QString::fromStdString(folder.path()));
        auto* types = dialog.findChild<QComboBox*>("fileTypeCombo");
        QVERIFY(types);
        QCOMPARE(types->currentText(), QString("MP3 Files (*.MP3)"));
        QCOMPARE(types->itemText(1), QString("All Files (*.*)"));
        // The pattern takes every letter case even where matching is exact.
        auto* model = dialog.findChild<QFileSystemModel*>();
        QVERIFY(model && model->nameFilters().size() == 1);
        const auto pattern =
            QRegularExpression::fromWildcard(model->nameFilters()[0], Qt::CaseSensitive);
        for (const char* name : {"a.mp3", "B.MP3", "c.Mp3", "notes.txt"})
            QCOMPARE(pattern.match(name).hasMatch(), QString(name) != "notes.txt");
        dialog.selectFile(QString::fromStdString(folder / "B.MP3"));
        static_cast<QDialog&>(dialog).accept();
    });
    const platform::FileDialogResult result = platform::QtFileDialog().ShowOpen(settings);
    QCOMPARE(result.outcome, platform::FileDialogResult::Chosen);
    QCOMPARE(result.fileName, folder / "B.MP3");
}

void TestQtFileDialog::flagsAndCancelSettingTakeEffect_data() {
    QTest::addColumn<unsigned>("flags");
    QTest::addColumn<bool>("cancelError");
    QTest::addColumn<int>("fileMode");
    QTest::addColumn<int>("cancelNumber");
    QTest::newRow("the uploader's") << 0x281004u << true << int(QFileDialog::ExistingFile) << 32755;
    QTest::newRow("any name, quiet cancel") << 0x4u << false << int(QFileDialog::AnyFile) << 0;
}

void TestQtFileDialog::flagsAndCancelSettingTakeEffect() {
    QFETCH(unsigned, flags);
    QFETCH(bool, cancelError);
    QFETCH(int, fileMode);
    QFETCH(int, cancelNumber);
    platform::FileDialogSettings settings = kUploaderSettings;
    settings.flags = flags;
    settings.cancelError = cancelError;
    int shownMode = -1;
    WhenOpen([&](QFileDialog& dialog) {
        shownMode = dialog.fileMode();
        dialog.reject();
    });
    const platform::FileDialogResult result = platform::QtFileDialog().ShowOpen(settings);
    QCOMPARE(shownMode, fileMode);
    QCOMPARE(result.outcome, platform::FileDialogResult::Cancelled);
    QCOMPARE(result.number, cancelNumber);
}

QTEST_MAIN(TestQtFileDialog)
#include "tst_qt_file_dialog.moc"
