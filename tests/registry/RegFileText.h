#pragma once
// Registry export files for the tests: the same body in the 8-bit and in the
// UTF-16 form, written to a temporary folder.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

enum class RegFormat { Regedit4, Unicode5 };

inline QByteArray RegFileBytes(const QString& body, RegFormat format) {
    if (format == RegFormat::Regedit4)
        return "REGEDIT4\r\n\r\n" + body.toUtf8();
    const QString text = "Windows Registry Editor Version 5.00\r\n\r\n" + body;
    QByteArray bytes("\xFF\xFE", 2);
    for (QChar c : text) {
        bytes.append(static_cast<char>(c.unicode() & 0xFF));
        bytes.append(static_cast<char>(c.unicode() >> 8));
    }
    return bytes;
}

inline std::string WriteRegFile(const QTemporaryDir& dir, const QString& body,
                                RegFormat format = RegFormat::Regedit4) {
    const QString path = dir.filePath("test.reg");
    const QByteArray bytes = RegFileBytes(body, format);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path.toStdString();
}
