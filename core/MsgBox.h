#pragma once
// Modal message boxes. Style bits as Windows numbers them: 0 OK only,
// 4 Yes/No, 0x10/0x20/0x30/0x40 icons, 0x100 second button default.
#include <string>

namespace platform {

inline constexpr int kMbOk = 0, kMbOkCancel = 1, kMbAbortRetryIgnore = 2, kMbYesNoCancel = 3,
                     kMbYesNo = 4, kMbRetryCancel = 5, kMbButtonsMask = 0xF;
inline constexpr int kMbIconError = 0x10, kMbIconQuestion = 0x20, kMbIconWarning = 0x30,
                     kMbIconInformation = 0x40, kMbIconMask = 0xF0;
inline constexpr int kMbDefButton2 = 0x100, kMbDefButtonMask = 0xF00;
// Button codes returned.
inline constexpr int kIdOk = 1, kIdCancel = 2, kIdAbort = 3, kIdRetry = 4, kIdIgnore = 5,
                     kIdYes = 6, kIdNo = 7;

extern const char* const kApplicationTitle; // "Wavecrest", from the project settings

class MsgBox {
public:
    virtual ~MsgBox() = default;
    // Shows the box and waits; returns the pressed button's code. The base
    // shows nothing and answers as if the default button was pressed.
    virtual int Show(const std::string& text, int style, const std::string& title);
    int Show(const std::string& text, int style = kMbOk) {
        return Show(text, style, kApplicationTitle);
    }
};

} // namespace platform
