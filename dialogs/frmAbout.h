#pragma once
// The About window: the application title, version, description and a
// warning, with OK and a button that starts the system information tool.
#include "core/Registry.h"
#include "ui/Form.h"

#include <QColor>
#include <QString>
#include <array>
#include <string>

class QLabel;
class QPushButton;

class frmAbout final : public platform::Form {
    Q_OBJECT
public:
    frmAbout();

    void Form_Load() override;
    void cmdOK_Click();
    void cmdSysInfo_Click();

    // Starts the system information tool or says that it is unavailable.
    void StartSysInfo();
    // Reads one value of the local machine registry as text.
    bool GetKeyValue(platform::RegKey KeyRoot, const std::string& KeyName,
                     const std::string& SubKeyRef, std::string& KeyVal);

    // "Version " and the three numbers, each in plain decimal.
    static QString VersionText(int major, int minor, int revision);
    static QString DescriptionText();
    static QString DisclaimerText();

    // A line shape of the layout: end points in twips, width in pixels.
    struct LineShape {
        QColor colour;
        int x1, y1, x2, y2;
        int width;
    };

    // Controls, named as the layout names them.
    QLabel* picIcon;
    QLabel* lblTitle;
    QLabel* lblVersion;
    QLabel* lblDescription;
    QLabel* lblDisclaimer;
    QPushButton* cmdOK;
    QPushButton* cmdSysInfo;
    // The etched separator: a grey line with a white one just below it.
    std::array<LineShape, 2> Line1;

protected:
    void paintEvent(class QPaintEvent* event) override;

private:
    void buildPicture();
    void buildLabels();
    void buildButtons();
    void connectHandlers();
};
