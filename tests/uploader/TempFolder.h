#pragma once
// Real temporary folders and files for the staging tests.
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

class TempFolder {
public:
    TempFolder() { QVERIFY(dir_.isValid()); }
    std::string path() const { return dir_.path().toStdString(); }
    std::string operator/(const std::string& name) const { return path() + "/" + name; }

private:
    QTemporaryDir dir_;
};

inline void WriteFile(const std::string& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every name in `folder`, hidden ones included, sorted.
inline QStringList AllNames(const std::string& folder) {
    QStringList names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names << QString::fromStdString(entry.path().filename().string());
    names.sort();
    return names;
}
