#pragma once
// The uploader against a real application folder of its own, with the
// dialog, the message boxes and the process start faked.
#include "TempFolder.h"
#include "core/Services.h"
#include "fakes/FakeFileDialog.h"
#include "fakes/FakeMsgBox.h"
#include "fakes/FakeProcessStarter.h"
#include "system/posix/PosixFileSystem.h"
#include "uploader/FileListBox.h"
#include "uploader/MusicUploader.h"

#include <QApplication>
#include <QMimeData>
#include <QtTest>

#include <filesystem>

// Also records the current folder each start sees.
class FolderRecordingStarter : public FakeProcessStarter {
public:
    void Start(const std::string& commandLine, int windowState) override {
        folders.push_back(std::filesystem::current_path().string());
        FakeProcessStarter::Start(commandLine, windowState);
    }
    std::vector<std::string> folders;
};

// An application folder of its own and the fakes, installed for one test.
struct Staging {
    TempFolder app;
    platform::PosixFileSystem files{app.path()};
    FakeFileDialog dialog;
    FakeMsgBox messages;
    FolderRecordingStarter starter;
    platform::FormSlot<MusicUploader> uploader;

    Staging() {
        platform::Services chosen;
        chosen.fileSystem = &files;
        chosen.fileDialog = &dialog;
        chosen.messageBox = &messages;
        chosen.processes = &starter;
        platform::install(chosen);
    }
    ~Staging() {
        delete uploader.window();
        platform::install({});
    }
    std::string temp(const std::string& name = {}) const {
        return app.path() + "/temp" + (name.empty() ? "" : "/" + name);
    }
    MusicUploader& show() { return uploader.Show(); }
    // Files already in the staging folder before the window loads.
    void put(std::initializer_list<const char*> names) {
        std::filesystem::create_directory(temp());
        for (const char* name : names)
            WriteFile(temp(name), "x");
    }
    // The text of the one message shown.
    QString onlyMessage() const {
        return messages.shown.size() == 1 ? QString::fromStdString(messages.shown[0].text)
                                          : QString("%1 messages").arg(messages.shown.size());
    }
    QStringList listed() {
        QStringList names;
        FileListBox* list = uploader.window()->File1;
        for (int i = 0; i < list->ListCount(); ++i)
            names << QString::fromStdString(list->List(i));
        return names;
    }
};

// Drags `items` (paths, or other addresses) over `target` and drops them
// there, as a file manager does; true when the drag was taken as a copy.
bool Drop(QWidget* target, std::initializer_list<std::string> items) {
    QList<QUrl> urls;
    for (const std::string& item : items)
        urls << QUrl::fromUserInput(QString::fromStdString(item));
    QMimeData data;
    data.setUrls(urls);
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &drop);
    return enter.isAccepted() && enter.dropAction() == Qt::CopyAction;
}
