#pragma once
// The X server a test's real windows appear on: CTest runs these tests
// through scripts/with-xvfb.sh, which gives each one a private Xvfb as
// DISPLAY. xdotool finds and drives the windows; tests skip without either,
// except in CI, which has both: there a missing one fails the test.
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#define REQUIRE_XVFB(display)                                                                      \
    do {                                                                                           \
        if (!(display).isRunning()) {                                                              \
            if (qEnvironmentVariable("CI") == QLatin1String("true"))                               \
                QFAIL("needs Xvfb and xdotool");                                                   \
            QSKIP("needs Xvfb and xdotool");                                                       \
        }                                                                                          \
    } while (false)

class XvfbDisplay {
public:
    bool isRunning() const {
        return qEnvironmentVariableIsSet("DISPLAY") &&
               !QStandardPaths::findExecutable("xdotool").isEmpty();
    }

    // Environment for a program shown on this display.
    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("QTWEBENGINE_DISABLE_SANDBOX", "1");
        return env;
    }

    // Runs xdotool and returns its standard output; ended after timeoutMs.
    QString xdotool(const QStringList& arguments, int timeoutMs = 5000) const {
        QProcess tool;
        tool.start("xdotool", arguments);
        if (!tool.waitForFinished(timeoutMs)) {
            tool.kill();
            tool.waitForFinished();
        }
        return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
    }

    // Waits for a visible window whose title matches `pattern` (a regular
    // expression); returns its id, or an empty text after timeoutMs.
    QString waitForWindow(const QString& pattern, int timeoutMs = 20000) const {
        return xdotool({"search", "--sync", "--onlyvisible", "--name", pattern}, timeoutMs)
            .section('\n', 0, 0);
    }
};
