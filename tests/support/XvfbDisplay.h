#pragma once
// A private X server for tests that need a real window, and xdotool to find
// and drive windows on it. Tests skip when either is missing.
#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QThread>
#include <QElapsedTimer>
#include <QFile>

class XvfbDisplay {
public:
    XvfbDisplay() {
        if (QStandardPaths::findExecutable("Xvfb").isEmpty() ||
            QStandardPaths::findExecutable("xdotool").isEmpty())
            return;
        for (int number = 140 + int(QCoreApplication::applicationPid() % 300); number < 1000;
             number += 7) {
            if (QFile::exists(QString("/tmp/.X11-unix/X%1").arg(number)) ||
                QFile::exists(QString("/tmp/.X%1-lock").arg(number)))
                continue;
            name_ = QString(":%1").arg(number);
            server_.start("Xvfb", {name_, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"});
            if (server_.waitForStarted(5000) && waitForSocket(number))
                return;
            server_.kill();
            server_.waitForFinished();
        }
        name_.clear();
    }
    ~XvfbDisplay() {
        if (server_.state() != QProcess::NotRunning) {
            server_.terminate();
            if (!server_.waitForFinished(3000))
                server_.kill();
        }
    }
    bool isRunning() const { return !name_.isEmpty(); }
    QString name() const { return name_; }

    // Environment for a program shown on this display.
    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", name_);
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("QTWEBENGINE_DISABLE_SANDBOX", "1");
        return env;
    }

    // Runs xdotool on this display and returns its standard output.
    QString xdotool(const QStringList& arguments, int timeoutMs = 5000) const {
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", name_);
        tool.setProcessEnvironment(env);
        tool.start("xdotool", arguments);
        tool.waitForFinished(timeoutMs);
        return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
    }

    // Waits for a visible window whose title matches `pattern` (a regular
    // expression); returns its id or an empty text.
    QString waitForWindow(const QString& pattern, int timeoutMs = 20000) const {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < timeoutMs) {
            const QString ids = xdotool({"search", "--onlyvisible", "--name", pattern});
            if (!ids.isEmpty())
                return ids.split('\n').first();
            QThread::msleep(100);
        }
        return {};
    }

private:
    bool waitForSocket(int number) {
        for (int i = 0; i < 50; ++i) {
            if (QFile::exists(QString("/tmp/.X11-unix/X%1").arg(number)))
                return true;
            QThread::msleep(100);
        }
        return false;
    }
    QString name_;
    QProcess server_;
};
