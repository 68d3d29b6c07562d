#pragma once
// The main window: the player pane at the top, the chat pane below it, and
// the menu bar. The window title follows the chat pane.
#include "panes/WebBrowser.h"
#include "ui/Form.h"
#include "ui/ScreenFit.h"
#include "ui/UiTimer.h"

#include <QString>

class QAction;
class QComboBox;
class QGroupBox;
class QMenu;
class QMenuBar;
class QPushButton;

class FrmMain final : public platform::Form {
    Q_OBJECT
public:
    FrmMain();
    ~FrmMain() override;

    void Form_Load() override;

    // Pane handlers.
    void cboAddressChat_Click();
    void NavigatePlayer();
    void Command1_Click();
    void GoPlayer_Click();
    void cboAddressChat_KeyPress(int& KeyAscii);
    void cboAddressPlay_KeyPress(int& KeyAscii);
    void RefreshChat_Click();
    void RefreshPlay_Click();
    void StopChat_Click();
    void StopPlay_Click();
    void timTimerChat_Timer();

    // Menu handlers.
    void co1_Click();
    void about_Click();
    void help_Click();
    void request_Click();
    void Exit_Click();

    // Controls, named as the layout names them.
    QGroupBox* Frame1;
    QPushButton* StopPlay;
    QPushButton* RefreshPlay;
    QComboBox* cboAddressPlay;
    QPushButton* GoPlayer;
    platform::WebBrowser* brwWebBrowserPlay;
    QGroupBox* Frame2;
    QPushButton* StopChat;
    QPushButton* RefreshChat;
    QComboBox* cboAddressChat;
    QPushButton* Command1;
    platform::WebBrowser* brwWebBrowserChat;
    QPushButton* Default;
    platform::UiTimer* timTimerChat;
    platform::UiTimer* timTimerPlay;

    QMenuBar* menuBar;
    QMenu* menu;
    QAction* co1;
    QAction* about;
    QAction* help;
    QAction* Exit;
    QAction* request;

Q_SIGNALS:
    void aboutRequested();
    void helpRequested();
    void uploaderRequested();

protected:
    // On a screen too small for the layout the address bars and panes give
    // up width, the chat pane gives up height first, then the player pane.
    void fitInto(const QSize& room) override;

private:
    void buildPlayerBar(QWidget* client);
    void buildChatBar(QWidget* client);
    void buildMenu();
    void setTabOrder();
    void connectHandlers();
    void chatTimerTick();
    void addressKeyPressed(QObject* box, const class QKeyEvent& key);
    bool eventFilter(QObject* watched, QEvent* event) override;

    QWidget* client_;
    platform::NaturalPlaces places_;
};
