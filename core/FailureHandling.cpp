#include "FailureHandling.h"

#include "Failure.h"
#include "MsgBox.h"
#include "Services.h"

namespace platform {

std::string FailureMessage(const std::string& what, const std::string& reason, int number) {
    std::string text = what + " failed.\r\n\r\n" + reason;
    if (number != 0)
        text += " (error " + std::to_string(number) + ")";
    return text;
}

void ReportFailure(const std::string& what, const std::string& reason, int number) {
    services().messageBox->Show(FailureMessage(what, reason, number), kMbOk | kMbIconError);
}

void ReportCurrentException(const std::string& what) {
    try {
        throw;
    } catch (const Failure& failure) {
        ReportFailure(what, failure.description(), failure.number());
    } catch (const std::exception& error) {
        ReportFailure(what, error.what(), 0);
    } catch (...) {
        ReportFailure(what, "An unknown error occurred", 0);
    }
}

} // namespace platform
