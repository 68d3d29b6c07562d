#include "CopyProgressBox.h"

#include "ui/Form.h"

#include <QCoreApplication>

namespace {
constexpr int kSteps = 1000;
constexpr int kShowAfterMs = 500;
} // namespace

CopyProgressBox::CopyProgressBox(QWidget* window, const std::string& fileName)
    : box_(QStringLiteral("Copying \"%1\"...").arg(QString::fromStdString(fileName)),
           QStringLiteral("Cancel"), 0, kSteps, window) {
    box_.setWindowTitle(window->windowTitle());
    box_.setWindowModality(Qt::WindowModal);
    box_.setMinimumDuration(kShowAfterMs);
    box_.setAutoClose(false);
    box_.setAutoReset(false);
    box_.setValue(0); // the half second starts now
}

platform::CopyProgress CopyProgressBox::Watch() {
    return [this](std::uint64_t copied, std::uint64_t size) { return Continue(copied, size); };
}

bool CopyProgressBox::Continue(std::uint64_t copied, std::uint64_t size) {
    box_.setValue(size == 0 ? kSteps : int(copied * kSteps / size));
    QCoreApplication::processEvents();
    return !box_.wasCanceled() && !platform::LoadedWindows::EndRequested();
}
