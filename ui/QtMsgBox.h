#pragma once
#include "core/MsgBox.h"

namespace platform {

// Message boxes on QMessageBox, with the Windows style bits mapped.
class QtMsgBox final : public MsgBox {
public:
    using MsgBox::Show;
    int Show(const std::string& text, int style, const std::string& title) override;
};

} // namespace platform
