#include "MusicUploader.h"

#include "CopyProgressBox.h"
#include "FileListBox.h"
#include "core/Failure.h"
#include "core/FailureHandling.h"
#include "core/FileSystem.h"
#include "core/MsgBox.h"
#include "core/Paths.h"
#include "core/ProcessStarter.h"
#include "core/Services.h"
#include "ui/Controls.h"

#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QShowEvent>
#include <algorithm>

using platform::JoinPath;
using platform::MakeButton;
using platform::MakeLabel;
using platform::PlaceTwips;
using platform::Reported;
using platform::RunReported;

const char* const MusicUploader::kSendingHint =
    "After you have selected the files you want, press Send The Music, and it you should be "
    "hearing it soon!";
const char* const MusicUploader::kBrowsingHint =
    "Press \"Browse for .MP3 files\" to select and copy the music you want to send.    You can "
    "send more than one song, but you can only select one song at a time.";
const char* const MusicUploader::kDeleteQuestion = "Are you sure you want to delete that?";
const char* const MusicUploader::kFtpCommandLine = "ftp.exe -s:sendfiles.ftps";

namespace {

constexpr unsigned kOpenFlags = platform::kOfnLongNames | platform::kOfnExplorer |
                                platform::kOfnFileMustExist | platform::kOfnHideReadOnly;
static_assert(kOpenFlags == 0x281004);
// The information icon, not the question mark; No is the default answer.
constexpr int kDeleteQuestionStyle =
    platform::kMbYesNo | platform::kMbIconInformation | platform::kMbDefButton2;
static_assert(kDeleteQuestionStyle == 324);

// The least height a fitted window leaves the list: two names.
constexpr int kLeastListHeight = 36;

QSize naturalSize() {
    return platform::TwipsSize(6150, 4500);
}

platform::FileSystem& fileSystem() {
    return *platform::services().fileSystem;
}

// The layout was measured for a narrower dialog font than most desktops
// have: a hint that would not fit its box gets a smaller font.
void FitTextInto(QLabel* label) {
    QFont font = label->font();
    auto fits = [&] {
        const QRect box(0, 0, label->width(), label->height());
        return QFontMetrics(font)
                   .boundingRect(box, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop,
                                 label->text())
                   .height() <= box.height();
    };
    while (!fits() && font.pointSizeF() > 6)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    label->setFont(font);
}

// The text after the last separator, or the whole path when it has none.
std::string FileNameOf(const std::string& path) {
    const auto separator = path.rfind(platform::kPathSeparator);
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

} // namespace

MusicUploader::MusicUploader() : Form(platform::FixedFrame(Qt::Window)) {
    setWindowTitle(QStringLiteral("Music Uploader"));
    setFixedSize(naturalSize());
    useDialogFont();
    Browse = MakeButton("Browse for .MP3 files", this, 2040, 600, 2295, 495);
    Send = MakeButton("Send the Music!", this, 3240, 3840, 1695, 495);
    File1 = new FileListBox(this);
    PlaceTwips(File1, 240, 1440, 5655, 1065);
    Label1 = MakeLabel("You selected these files:", this, 240, 1200, 1935, 255);
    Label2 = MakeLabel(kSendingHint, this, 240, 3240, 5655, 495);
    Label3 = MakeLabel(kBrowsingHint, this, 240, 120, 5655, 495);
    Delete = MakeButton("Delete All", this, 1560, 2640, 1335, 375);
    Finish = MakeButton("Finish!", this, 1200, 3840, 1695, 495);
    cmdDelete = MakeButton("Delete Selected", this, 3240, 2640, 1455, 375);
    // Lies beyond the right edge of the client area, out of sight.
    Label4 = MakeLabel("Label4", this, 6720, 840, 1695, 1095);
    // A screen reader names the list by its label, as it names a box by its caption.
    Label1->setBuddy(File1);
    File1->setAccessibleName(Label1->text());
    for (QLabel* label : {Label1, Label2, Label3})
        FitTextInto(label);
    platform::SetTabOrder({Browse, Send, File1, Delete, Finish, cmdDelete});
    for (QWidget* control : laidOut())
        places_.note(control);
    connectHandlers();
    setAcceptDrops(true);
    Browse->setFocus();
}

MusicUploader::~MusicUploader() = default;

void MusicUploader::connectHandlers() {
    connect(Browse, &QPushButton::clicked, this,
            Reported(this, "Copying the chosen file into the staging folder",
                     &MusicUploader::Browse_Click));
    connect(cmdDelete, &QPushButton::clicked, this,
            Reported(this, "Deleting the selected file", &MusicUploader::cmdDelete_Click));
    connect(Delete, &QPushButton::clicked, this,
            Reported(this, "Deleting the staged files", &MusicUploader::Delete_Click));
    connect(Finish, &QPushButton::clicked, this,
            Reported(this, "Deleting the staged MP3 files", &MusicUploader::Finish_Click));
    connect(Send, &QPushButton::clicked, this,
            Reported(this, "Starting the FTP client", &MusicUploader::Send_Click));
}

QList<QWidget*> MusicUploader::laidOut() const {
    return {Browse, Send, File1, Label1, Label2, Label3, Delete, Finish, cmdDelete};
}

void MusicUploader::fitInto(const QSize& room) {
    const QSize natural = naturalSize();
    const QRect list = places_.natural(File1);
    const int narrower = std::max(0, natural.width() - room.width());
    const int listGives =
        std::min(std::max(0, natural.height() - room.height()), list.height() - kLeastListHeight);
    setFixedSize(natural - QSize(narrower, listGives));
    for (QWidget* control : laidOut()) {
        const QRect at = places_.natural(control);
        const int up = at.top() > list.top() ? listGives : 0;
        const bool wide = at.width() == list.width(); // the list and the hints
        const int left = !wide && at.left() > list.left() ? narrower / 2 : 0;
        const int shorter = control == File1 ? listGives : 0;
        places_.place(control, QMargins(-left, -up, wide ? -narrower : -left, -up - shorter));
    }
}

void MusicUploader::showEvent(QShowEvent* event) {
    Form::showEvent(event);
    // The first show gives the focus to the control with tab index 0.
    if (!event->spontaneous())
        Browse->setFocus();
}

std::string MusicUploader::StagingFolder() {
    return JoinPath(fileSystem().ApplicationFolder(), "temp");
}

bool MusicUploader::DirExists(const std::string& path) {
    return fileSystem().FolderExists(path);
}

void MusicUploader::Form_Load() {
    platform::FileSystem& files = fileSystem();
    // A folder that cannot be made is reported by name; the window still
    // opens, and the list stays empty.
    const std::string staging = StagingFolder();
    RunReported("Creating the folder \"" + staging + "\"", [&] {
        if (!DirExists(staging))
            files.MakeFolder(staging);
    });
    // Copies cut short by a crash would otherwise lie there for ever.
    platform::IgnoreFailures([&] { files.ClearUnfinishedCopies(staging); });
    files.SetCurrentFolder(files.ApplicationFolder());
    Label4->setText(QString::fromStdString(files.CurrentFolder()));
    File1->setPath(StagingFolder());

    DlgOpenFile.initialFolder = files.ApplicationFolder();
    DlgOpenFile.filter = "MP3 Files (*.MP3)|*.mp3|All Files (*.*)|*.*";
    DlgOpenFile.filterIndex = 1;
    DlgOpenFile.title = "Open File";
    DlgOpenFile.flags = kOpenFlags;
    DlgOpenFile.cancelError = true;
}

void MusicUploader::Browse_Click() {
    const platform::FileDialogResult chosen =
        platform::services().fileDialog->ShowOpen(DlgOpenFile);
    if (chosen.outcome == platform::FileDialogResult::Cancelled ||
        chosen.number == platform::kDialogCancelled)
        return;
    if (chosen.outcome == platform::FileDialogResult::Failed) {
        platform::services().messageBox->Show("Error " + std::to_string(chosen.number) +
                                                  " selecting file.\r\n" + chosen.description,
                                              platform::kMbOk);
        return;
    }
    StageFile(chosen.fileName);
    File1->Refresh();
}

bool MusicUploader::StageFile(const std::string& path) {
    const std::string name = FileNameOf(path);
    CopyProgressBox progress(this, name);
    const QScopedValueRollback busy(copying_, true);
    return fileSystem().CopyInto(path, JoinPath(StagingFolder(), name), progress.Watch()) ==
           platform::CopyOutcome::Copied;
}

void MusicUploader::dragEnterEvent(QDragEnterEvent* event) {
    if (copying_ || !event->mimeData()->hasUrls())
        return;
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void MusicUploader::dropEvent(QDropEvent* event) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
    const QList<QUrl> urls = event->mimeData()->urls();
    RunReported("Staging the dropped files", [&] { StageDropped(urls); });
}

void MusicUploader::StageDropped(const QList<QUrl>& urls) {
    std::string refused;
    for (const QUrl& url : urls) {
        try {
            if (!url.isLocalFile())
                throw platform::Failure(0, "\"" + url.toDisplayString().toStdString() +
                                               "\" is not a file");
            const std::string path =
                QFile::encodeName(QDir::toNativeSeparators(url.toLocalFile())).toStdString();
            if (!StageFile(path))
                break; // Cancel stops the whole drop
        } catch (const platform::Failure& failure) {
            refused += (refused.empty() ? "" : "\r\n") + failure.description();
        }
    }
    File1->Refresh();
    if (!refused.empty())
        platform::ReportFailure("Staging the dropped files", refused, 0);
}

void MusicUploader::cmdDelete_Click() {
    const int index = File1->ListIndex();
    if (index < 0)
        return;
    const std::string target = JoinPath(File1->Path(), File1->List(index));
    const int answer = platform::services().messageBox->Show(kDeleteQuestion, kDeleteQuestionStyle);
    // Exactly the listed file. When another instance has deleted it
    // already, the wish is fulfilled: the refresh shows it gone, no message.
    if (answer == platform::kIdYes)
        fileSystem().DeleteExactFile(target);
    File1->Refresh();
}

void MusicUploader::Delete_Click() {
    fileSystem().DeleteMatching(JoinPath(StagingFolder(), "*.*"));
    File1->Refresh();
}

void MusicUploader::Finish_Click() {
    fileSystem().DeleteMatching(JoinPath(StagingFolder(), "*.mp3"));
    Unload();
}

void MusicUploader::Send_Click() {
    platform::FileSystem& files = fileSystem();
    files.SetCurrentFolder(files.ApplicationFolder());
    platform::services().processes->Start(kFtpCommandLine, platform::kShowMinimized);
}
