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
    void showsSettingsAndHonoursThem_data();
    void showsSettingsAndHonoursThem();
};

void TestQtFileDialog::showsSettingsAndHonoursThem_data() {
    QTest::addColumn<unsigned>("flags");
    QTest::addColumn<bool>("cancelError");
    QTest::addColumn<bool>("choose");
    QTest::addColumn<int>("fileMode");
    QTest::addColumn<int>("cancelNumber");
    const int existing = QFileDialog::ExistingFile;
    QTest::newRow("uploader's, choose") << 0x281004u << true << true << existing << 0;
    QTest::newRow("uploader's, cancel") << 0x281004u << true << false << existing << 32755;
    QTest::newRow("any name, quiet cancel")
        << 0x4u << false << false << int(QFileDialog::AnyFile) << 0;
}

void TestQtFileDialog::showsSettingsAndHonoursThem() {
    QFETCH(unsigned, flags);
    QFETCH(bool, cancelError);
    QFETCH(bool, choose);
    QFETCH(int, fileMode);
    QFETCH(int, cancelNumber);
    TempFolder folder;
    for (const char* name : {"a.mp3", "B.MP3", "c.Mp3", "notes.txt"})
        WriteFile(folder / name, "x");
    const platform::FileDialogSettings settings{
        folder.path(), "MP3 Files (*.MP3)|*.mp3|All Files (*.*)|*.*", 1, "Open File", flags,
        cancelError};
    WhenOpen([&](QFileDialog& dialog) {
        QCOMPARE(dialog.windowTitle(), QString("Open File"));
        QCOMPARE(dialog.directory().absolutePath(), QString::fromStdString(folder.path()));
        QCOMPARE(int(dialog.fileMode()), fileMode);
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
        choose ? static_cast<QDialog&>(dialog).accept() : dialog.reject();
    });
    const platform::FileDialogResult result = platform::QtFileDialog().ShowOpen(settings);
    QCOMPARE(result.outcome,
             choose ? platform::FileDialogResult::Chosen : platform::FileDialogResult::Cancelled);
    QCOMPARE(result.fileName, choose ? folder / "B.MP3" : "");
    QCOMPARE(result.number, cancelNumber);
}

QTEST_MAIN(TestQtFileDialog)
#include "tst_qt_file_dialog.moc"
