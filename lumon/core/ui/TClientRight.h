// The login dialog "连接至服务器": the list of data servers kept in .\server.ini,
// user name and password, the SOCKS proxy settings, and the progress of
// connecting and loading the markets. Connecting goes through the frame
// (MFrame->ConnectToServer on the GUI thread, then MFrame->StartRealDataClient on
// a login thread that knows the dialog only by its window).
#pragma once

#include <cstdint>

#include "platform/forms/TButton.h"
#include "platform/forms/TCheckBox.h"
#include "platform/forms/TComboBox.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TForm.h"
#include "platform/forms/TGroupBox.h"
#include "platform/forms/TImage.h"
#include "platform/forms/TLabel.h"
#include "platform/forms/TPanel.h"
#include "platform/forms/TTimer.h"
#include "platform/win/Handle.h"

// Stages of the connect, sent by the frame to the dialog (the version check's
// 2730 is WM_LOGIN_VERSION of TNormalClnt.h, the markets' 2725-2727 are in
// DataIO.h).
constexpr win::UINT WM_LOGIN_SEARCH = 2728;
constexpr win::UINT WM_LOGIN_CONNECT = 2729;

constexpr int MaxServers = 32;

// One data server of the list.
struct TServerRecord {
    char Address[128];
    char Company[128];
    char WebSite[128];
    char Telephone[64];
    uint8_t Save;        // 1: user name and password are remembered
    char UserName[64];
    char Password[64];
};

// The server list, entry i of the dialog's list is record i.
extern TServerRecord ServerList[MaxServers];

class TClientRight : public win::TForm {
public:
    // reconnect: the dialog is shown again to a running terminal.
    TClientRight(win::TComponent *Owner, uint8_t reconnect);
    ~TClientRight() override;
    void WndProc(win::TMessage &Message) override;

    win::TLabel *Label1;
    win::TComboBox *ComboBox1;
    win::TLabel *Label2;
    win::TEdit *Edit1;
    win::TLabel *Label3;
    win::TEdit *Edit2;
    win::TCheckBox *CheckBox1;
    win::TLabel *Label5;
    win::TLabel *Label6;
    win::TPanel *Panel2;
    win::TImage *Image1;
    win::TButton *Button1;
    win::TButton *Button2;
    win::TButton *Button3;
    win::TButton *Button4;
    win::TGroupBox *GroupBox2;
    win::TButton *Button5;
    win::TButton *Button7;
    win::TCheckBox *CheckBox3;
    win::TGroupBox *GroupBox1;
    win::TEdit *Edit_proxy_add;
    win::TEdit *Edit_proxy_port;
    win::TEdit *Edit_Proxy_user;
    win::TEdit *Edit_Proxy_Pass;
    win::TCheckBox *CheckBox2;
    win::TTimer *Timer1;

    // Progress: running, the slider's target right edge and the current stage's
    // end, in pixels of Panel2.
    uint8_t Running = 0;
    int Target = 0;
    int StageEnd = 0;
    // The login thread, kept after the dialog's modal loop ends: whoever shows
    // the dialog deletes it first and then waits for this thread (its last act
    // is a WM_CLOSE sent to the dialog, which returns at once once the dialog is
    // gone) and closes the handle. 0 when none was started.
    win::HANDLE LoginThread = 0;
    win::DWORD LoginThreadId = 0;
    // The chosen server for the frame: "<company> 电话：<telephone> " and its home page.
    char ServerText[256] = {};
    char WebSite[128] = {};
    uint8_t Reconnect;

    void FormCreate(win::TObject *Sender);
    void Button1Click(win::TObject *Sender);
    void N2Click(win::TObject *Sender);
    void N3Click(win::TObject *Sender);
    void Button4Click(win::TObject *Sender);
    void CheckBox1Click(win::TObject *Sender);
    void CheckBox2Click(win::TObject *Sender);
    void CheckBox3Click(win::TObject *Sender);
    void ComboBox1Change(win::TObject *Sender);
    void Edit1Change(win::TObject *Sender);
    void Edit2Change(win::TObject *Sender);
    void Edit1KeyDown(win::TObject *Sender, win::WORD &Key, win::TShiftState Shift);
    void Timer1Timer(win::TObject *Sender);
    void FormClose(win::TObject *Sender, win::TCloseAction &Action);

    // Shows list entry `index` with its remembered user name and password.
    void SelectServer(int index);

private:
    void BuildControls();
    void StartProgress();
    void StepProgress(int k, int n);
    void StopProgress();
    void SetStage(const char *text);
    void EnableButtons(bool enabled);
};
