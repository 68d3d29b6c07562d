#pragma once
// How handlers meet failing steps.
// - RunReported: a failing step ends the handler there; one message box
//   titled with the application title says what failed and the system's
//   reason, and the program keeps running.
// - IgnoreFailures: a failing step is skipped and the caller goes on.
#include <exception>
#include <string>

namespace platform {

// Shows the one failure message: what failed, the reason and its number.
void ReportFailure(const std::string& what, const std::string& reason, int number);
// Formats that message (exposed for tests).
std::string FailureMessage(const std::string& what, const std::string& reason, int number);

void ReportCurrentException(const std::string& what);

template <class Step> bool RunReported(const std::string& what, Step&& step) {
    try {
        step();
        return true;
    } catch (...) {
        ReportCurrentException(what);
        return false;
    }
}

// A handler bound to its window that reports its failures, for connect().
template <class Window> auto Reported(Window* window, std::string what, void (Window::*handler)()) {
    return [window, what = std::move(what), handler] {
        RunReported(what, [&] { (window->*handler)(); });
    };
}

template <class Step> void IgnoreFailures(Step&& step) {
    try {
        step();
    } catch (...) {
    }
}

} // namespace platform
