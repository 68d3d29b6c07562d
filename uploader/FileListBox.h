#pragma once
// A list of the names of a folder's ordinary files, read through the file
// system seam. It shows the folder as it was at the last refresh; at most
// one entry is current.
#include <QListWidget>
#include <string>
#include <vector>

class FileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit FileListBox(QWidget* parent = nullptr);

    // Sets the folder and reads it.
    void setPath(const std::string& folder);
    std::string Path() const { return path_; }
    // Reads the folder again. A folder that does not exist lists nothing.
    void Refresh();
    // The index of the current (selected) entry, -1 when there is none.
    int ListIndex() const;
    // The file name at `index`, byte for byte as the folder holds it.
    std::string List(int index) const;
    int ListCount() const { return static_cast<int>(names_.size()); }

private:
    std::string path_;
    std::vector<std::string> names_;
};
