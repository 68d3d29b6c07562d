#pragma once
// The music uploader: the listener copies MP3 files into the staging folder
// ("temp" beside the program) one at a time, deletes one or all of them,
// starts the sending and finishes. Files dropped on it are staged as if
// each was chosen. The staging folder is its only state.
#include "core/FileDialog.h"
#include "ui/Form.h"
#include "ui/ScreenFit.h"

#include <QList>
#include <QUrl>
#include <string>

class FileListBox;
class QLabel;
class QPushButton;

class MusicUploader : public platform::Form {
    Q_OBJECT
public:
    MusicUploader();
    ~MusicUploader() override;

    void Form_Load() override;
    void Browse_Click();
    void cmdDelete_Click();
    void Delete_Click();
    void Finish_Click();
    void Send_Click();
    // Stages each dropped file as Browse stages a chosen one; what is no
    // readable file is named in one message, the rest is staged all the same.
    void StageDropped(const QList<QUrl>& urls);

    // The staging folder: the application folder + "\temp".
    static std::string StagingFolder();

    static const char* const kSendingHint;
    static const char* const kBrowsingHint;
    static const char* const kDeleteQuestion;
    static const char* const kFtpCommandLine;

    // Controls, named as the layout names them.
    QPushButton* Browse;
    QPushButton* Send;
    FileListBox* File1;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QPushButton* Delete;
    QPushButton* Finish;
    QPushButton* cmdDelete;
    QLabel* Label4;
    platform::FileDialogSettings DlgOpenFile;

protected:
    // On a screen too small for the layout the list gives up height (what is
    // below it moves up), the hints and the list give up width.
    void fitInto(const QSize& room) override;
    void showEvent(class QShowEvent* event) override;
    void dragEnterEvent(class QDragEnterEvent* event) override;
    void dropEvent(class QDropEvent* event) override;

private:
    bool DirExists(const std::string& path);
    // Copies the file at `path` into the staging folder under its own name;
    // false when the user stopped the copy (nothing is staged then).
    bool StageFile(const std::string& path);
    void connectHandlers();
    // The controls in sight, which a fitted window moves and shrinks.
    QList<QWidget*> laidOut() const;

    bool copying_ = false; // drops wait while a copy runs
    platform::NaturalPlaces places_;
};
