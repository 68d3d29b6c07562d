// What staging stands on: the POSIX file system's road through a folder,
// wildcard matching, and the real open-file dialog, driven headless.
#include "TempFolder.h"
#include "system/Wildcard.h"
#include "system/posix/PosixFileSystem.h"
#include "ui/Form.h"
#include "ui/QtFileDialog.h"

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

class TestStagingFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        // Closing the last window must not end the test, nor stop a later copy.
        platform::LoadedWindows::setEndProgram([] {});
    }

    void wildcardMatch() {
        const struct {
            const char *pattern, *name;
            bool matches;
        } cases[] = {
            {"track?.mp3", "Track7.mp3", true}, {"*ÉTÉ*", "chanson d'été.mp3", true},
            {"ПЕСНЯ.mp3", "песня.MP3", true},   {"ΆΣΜΑ.mp3", "άσμα.mp3", true},
            {"ԵՐԳ.mp3", "երգ.mp3", true},       {"*a*b*c*.mp3", "xaxbxcx.mp3", true},
            {"*", ".song.mp3", false},          {".*.mp3", ".song.mp3", true},
        };
        for (const auto& c : cases)
            QVERIFY2(platform::WildcardMatch(c.pattern, c.name) == c.matches, c.name);
    }

    void fileSystemRoad() {
        TempFolder root;
        platform::PosixFileSystem files;
        QCOMPARE(files.ApplicationFolder(), QCoreApplication::applicationDirPath().toStdString());
        fsroad::Walker walker(files, std::filesystem::canonical(root.path()),
                              [](const std::string& path) {
                                  std::filesystem::path hidden(path);
                                  // Not "." + name: GCC 12 warns of a false overlap there
                                  // (-Wrestrict).
                                  std::string name = hidden.filename().string();
                                  name.insert(0, 1, '.');
                                  WriteFile(hidden.replace_filename(name), "h");
                              });
        for (const fsroad::Row& row : fsroad::kRoad)
            QCOMPARE(QString::fromStdString(walker.Take(row)), QString(row.gives));
    }

    void realDialogShowsSettingsAndHonoursThem_data() {
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

    void realDialogShowsSettingsAndHonoursThem() {
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
        QCOMPARE(result.outcome, choose ? platform::FileDialogResult::Chosen
                                        : platform::FileDialogResult::Cancelled);
        QCOMPARE(result.fileName, choose ? folder / "B.MP3" : "");
        QCOMPARE(result.number, cancelNumber);
    }
};

QTEST_MAIN(TestStagingFiles)
#include "tst_staging_files.moc"
