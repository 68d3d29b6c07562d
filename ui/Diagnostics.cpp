#include "Diagnostics.h"

#include <QString>

namespace platform {

bool DiagnosticsWanted() {
    return !qEnvironmentVariableIsEmpty("WAVECREST_DIAGNOSTICS") &&
           qEnvironmentVariable("WAVECREST_DIAGNOSTICS") != QLatin1String("0");
}

void KeepDiagnosticsQuiet() {
    if (!DiagnosticsWanted())
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
}

const char* QuietEngineLogSwitch() {
    // Only fatal errors: the rest is the engine talking to its developers.
    return DiagnosticsWanted() ? "" : "--log-level=3";
}

} // namespace platform
