#include "FileListBox.h"

#include "core/FileSystem.h"
#include "core/Services.h"

#include <QFile>
#include <QStringList>

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Thousands of names lay out at once when every row has the same height.
    setUniformItemSizes(true);
    setLayoutMode(QListView::Batched);
}

void FileListBox::setPath(const std::string& folder) {
    path_ = folder;
    Refresh();
}

void FileListBox::Refresh() {
    platform::FileSystem& files = *platform::services().fileSystem;
    std::vector<std::string> names;
    if (files.FolderExists(path_))
        names = files.ListFiles(path_);
    QStringList shown;
    shown.reserve(static_cast<qsizetype>(names.size()));
    for (const std::string& name : names)
        shown << QFile::decodeName(QByteArray::fromStdString(name));
    clear();
    names_ = std::move(names);
    addItems(shown);
}

int FileListBox::ListIndex() const {
    const QList<QListWidgetItem*> selected = selectedItems();
    return selected.isEmpty() ? -1 : row(selected.first());
}

std::string FileListBox::List(int index) const {
    if (index < 0 || index >= ListCount())
        return {};
    return names_[static_cast<size_t>(index)];
}
