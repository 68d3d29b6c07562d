#pragma once
// The help window: a fixed help text, a button that opens the online help
// page in the user's web browser, and OK, which closes the window.
#include "ui/Form.h"

#include <QString>

class QPushButton;
class TextBox;

class FrmHelp final : public platform::Form {
    Q_OBJECT
public:
    FrmHelp();

    void Form_Load() override;
    void Command1_Click();
    void OKButton_Click();

    // The nine lines of the help text, joined by CR LF.
    static QString HelpText();
    static QString OnlineHelpAddress();

    // Controls, named as the layout names them.
    QPushButton* OKButton;
    TextBox* Text1;
    QPushButton* Command1;

private:
    void connectHandlers();
};
