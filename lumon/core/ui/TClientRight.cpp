#include "lumon/core/ui/TClientRight.h"

#include <cstdint>
#include <cstring>
#include <string>

#include "lumon/core/DataIO.h"
#include "lumon/core/FrameServices.h"
#include "lumon/core/TNormalClnt.h"
#include "lumon/core/ui/TForm_AddSrv.h"
#include "platform/forms/FormBuilding.h"
#include "platform/forms/TApplication.h"
#include "platform/win/MessageBox.h"
#include "platform/win/Messages.h"
#include "platform/win/TIniFile.h"
#include "platform/win/Text.h"
#include "platform/win/Thread.h"
#include "platform/win/Window.h"

using namespace win;

TServerRecord ServerList[MaxServers];

namespace {

const char *const ServerFile = ".\\server.ini";
// How much the lower part ("配置>>") adds to the dialog.
constexpr int LowerPart = 120;

// Copies text into a NUL-terminated field, cut on a character boundary.
template <size_t N>
void SetField(char (&field)[N], const AnsiString &text)
{
    std::memset(field, 0, N);
    GbkCopyToField(field, N - 1, std::string_view(text.c_str(), size_t(text.Length())));
}

AnsiString Key(const char *name, int i)
{
    AnsiString key;
    key.sprintf("%s%d", name, i);
    return key;
}

// The login thread: knows the dialog only by its window, so that it never
// touches a dialog that has been deleted; a send to a window that is gone
// returns at once.
DWORD LoginThreadProc(LPVOID param)
{
    HWND dialog = HWND(uintptr_t(param));
    if (MFrame)
        MFrame->StartRealDataClient(dialog);
    if (!ThreadStopRequested())
        SendMessageA(dialog, WM_CLOSE, 0, 0);
    return 1;
}

} // namespace

TClientRight::TClientRight(TComponent *Owner, uint8_t reconnect) : TForm(Owner), Reconnect(reconnect)
{
    SetUpDialog(*this, "连接至服务器", 400, 228);
    BuildControls();
    OnCreate = [this](TObject *s) { FormCreate(s); };
    OnClose = [this](TObject *s, TCloseAction &a) { FormClose(s, a); };
}

TClientRight::~TClientRight() = default;

void TClientRight::BuildControls()
{
    Label1 = AddLabel(this, this, 16, 20, "服务器:");
    ComboBox1 = Place<TComboBox>(this, this, 76, 16, 308, 22);
    ComboBox1->Style = csDropDownList;
    ComboBox1->OnChange = [this](TObject *s) { ComboBox1Change(s); };
    Label2 = AddLabel(this, this, 16, 52, "用户名:");
    Edit1 = Place<TEdit>(this, this, 76, 48, 308, 22);
    Edit1->OnChange = [this](TObject *s) { Edit1Change(s); };
    Edit1->OnKeyDown = [this](TObject *s, WORD &k, TShiftState sh) { Edit1KeyDown(s, k, sh); };
    Label3 = AddLabel(this, this, 16, 84, "密   码:");
    Edit2 = Place<TEdit>(this, this, 76, 80, 308, 22);
    Edit2->SetPasswordChar('*');
    Edit2->OnChange = [this](TObject *s) { Edit2Change(s); };
    CheckBox1 = Place<TCheckBox>(this, this, 76, 108, 200, 20);
    CheckBox1->Caption = "保存用户名和密码";
    CheckBox1->OnClick = [this](TObject *s) { CheckBox1Click(s); };

    Label5 = AddLabel(this, this, 16, 138, "提示信息:");
    Label6 = AddLabel(this, this, 76, 138, " ");
    Label6->Visible = false;
    Panel2 = Place<TPanel>(this, this, 16, 158, 368, 18);
    Panel2->BevelOuter = bvLowered;
    Panel2->Visible = false;
    Image1 = Place<TImage>(this, Panel2, -368, 1, 368, 16);
    Image1->Stretch = true;
    // The slider: a band of blue blocks.
    TBitmap *slider = Image1->Picture->Bitmap;
    slider->SetSize(368, 16);
    slider->Canvas->Brush->Color = TColor(0xF0F0F0);
    slider->Canvas->FillRect(TRect(0, 0, 368, 16));
    slider->Canvas->Brush->Color = TColor(0xC06020);
    for (int x = 2; x + 8 <= 368; x += 10)
        slider->Canvas->FillRect(TRect(x, 2, x + 8, 14));

    const char *captions[4] = {"联      机", "退      出", "脱机浏览", "配置>>"};
    TButton **buttons[4] = {&Button1, &Button2, &Button3, &Button4};
    for (int i = 0; i < 4; ++i) {
        *buttons[i] = Place<TButton>(this, this, 16 + i * 94, 190, 86, 25);
        (*buttons[i])->Caption = captions[i];
    }
    Button1->Default = true;
    Button1->OnClick = [this](TObject *s) { Button1Click(s); };
    Button2->Cancel = true;
    Button2->ModalResult = mrCancel;
    Button3->ModalResult = TModalResult(3);
    Button4->OnClick = [this](TObject *s) { Button4Click(s); };

    // The lower part, shown by "配置>>".
    GroupBox2 = Place<TGroupBox>(this, this, 16, 232, 92, 108);
    GroupBox2->Caption = "配置服务器";
    Button5 = Place<TButton>(this, GroupBox2, 12, 28, 68, 25);
    Button5->Caption = "添加";
    Button5->OnClick = [this](TObject *s) { N2Click(s); };
    Button7 = Place<TButton>(this, GroupBox2, 12, 66, 68, 25);
    Button7->Caption = "删除";
    Button7->OnClick = [this](TObject *s) { N3Click(s); };
    CheckBox3 = Place<TCheckBox>(this, this, 120, 230, 120, 20);
    CheckBox3->Caption = "代理服务器";
    CheckBox3->OnClick = [this](TObject *s) { CheckBox3Click(s); };
    GroupBox1 = Place<TGroupBox>(this, this, 120, 250, 264, 92);
    AddLabel(this, GroupBox1, 8, 20, "IP 地址:");
    Edit_proxy_add = Place<TEdit>(this, GroupBox1, 62, 16, 104, 22);
    AddLabel(this, GroupBox1, 172, 20, "端口:");
    Edit_proxy_port = Place<TEdit>(this, GroupBox1, 206, 16, 50, 22);
    Edit_proxy_port->Text = "1080";
    CheckBox2 = Place<TCheckBox>(this, GroupBox1, 8, 42, 200, 20);
    CheckBox2->Caption = "使用用户/密码协商";
    CheckBox2->OnClick = [this](TObject *s) { CheckBox2Click(s); };
    AddLabel(this, GroupBox1, 8, 68, "用户名:");
    Edit_Proxy_user = Place<TEdit>(this, GroupBox1, 52, 64, 76, 22);
    Edit_Proxy_user->MaxLength = 32;
    AddLabel(this, GroupBox1, 136, 68, "密码:");
    Edit_Proxy_Pass = Place<TEdit>(this, GroupBox1, 170, 64, 86, 22);
    Edit_Proxy_Pass->MaxLength = 32;
    Edit_Proxy_Pass->SetPasswordChar('*');

    Timer1 = new TTimer(this);
    Timer1->Enabled = false;
    Timer1->Interval = 100;
    Timer1->OnTimer = [this](TObject *s) { Timer1Timer(s); };
}

void TClientRight::FormCreate(TObject *Sender)
{
    TIniFile ini(ServerFile);
    std::memset(ServerList, 0, sizeof ServerList);
    ComboBox1->Items->Clear();
    for (int i = 0; i < MaxServers; ++i) {
        TServerRecord &server = ServerList[i];
        SetField(server.Address, ini.ReadString("RIGHT", Key("svraddr", i), ""));
        SetField(server.Telephone, ini.ReadString("RIGHT", Key("tel", i), ""));
        SetField(server.Company, ini.ReadString("RIGHT", Key("company", i), ""));
        if (!server.Address[0] || !server.Company[0]) {
            std::memset(&server, 0, sizeof server);
            break;
        }
        SetField(server.WebSite, ini.ReadString("RIGHT", Key("webside", i), ""));
        SetField(server.UserName, ini.ReadString("RIGHT", Key("user", i), ""));
        SetField(server.Password, ini.ReadString("RIGHT", Key("password", i), ""));
        server.Save = ini.ReadInteger("RIGHT", Key("save", i), 0) ? 1 : 0;
        ComboBox1->Items->Add(server.Company);
    }

    Edit_proxy_add->Text = ini.ReadString("ProxyServer", "Address", "");
    Edit_Proxy_user->Text = ini.ReadString("ProxyServer", "UserName", "");
    Edit_Proxy_Pass->Text = ini.ReadString("ProxyServer", "Password", "");
    AnsiString port;
    port.sprintf("%d", ini.ReadInteger("ProxyServer", "Port", 1080));
    Edit_proxy_port->Text = port;
    CheckBox2->Checked = ini.ReadInteger("ProxyServer", "CertUser", 1) != 0;
    bool useProxy = ini.ReadInteger("ProxyServer", "UseProxy", 0) != 0;
    for (TControl *c : {static_cast<TControl *>(CheckBox2), static_cast<TControl *>(Edit_proxy_add),
                        static_cast<TControl *>(Edit_proxy_port), static_cast<TControl *>(Edit_Proxy_user),
                        static_cast<TControl *>(Edit_Proxy_Pass), static_cast<TControl *>(GroupBox1)})
        c->Enabled = useProxy;

    SelectServer(ini.ReadInteger("RIGHT", "lastindex", -1));

    if (useProxy) {
        Button4Click(Button4);
        CheckBox3->Checked = true;
        CheckBox3Click(CheckBox3);
    }
}

void TClientRight::SelectServer(int index)
{
    if (index < 0 || index >= ComboBox1->Items->Count() || index >= MaxServers)
        return;
    ComboBox1->ItemIndex = index;
    const TServerRecord server = ServerList[index];
    CheckBox1->Checked = server.Save != 0;
    Edit1->Text = server.UserName;
    Edit2->Text = server.Password;
}

void TClientRight::Button1Click(TObject *Sender)
{
    // One login thread at a time: one still running ends the dialog itself.
    if (LoginThread) {
        DWORD code = 0;
        if (GetExitCodeThread(LoginThread, &code) && code == STILL_ACTIVE)
            return;
        CloseHandle(LoginThread);
        LoginThread = 0;
        LoginThreadId = 0;
    }
    EnableButtons(false);

    // The list is the user's: a write that cannot be made (the file locked by
    // another program past the layer's wait, a full disk) stops the rewrite at
    // once, so the login is not held up once per key, and the user is told.
    TIniFile ini(ServerFile);
    bool saved = true;
    auto put = [&](const char *section, const AnsiString &key, const AnsiString &value) {
        saved = saved && ini.WriteString(section, key, value);
    };
    int selected = ComboBox1->ItemIndex;
    bool chosen = selected >= 0 && selected < MaxServers && selected < ComboBox1->Items->Count();
    put("Server", "Address", chosen ? ServerList[selected].Address : "");
    AnsiString last;
    last.sprintf("%d", selected);
    put("RIGHT", "lastindex", last);
    if (chosen) {
        std::string text = std::string(ServerList[selected].Company) + " 电话：" + ServerList[selected].Telephone + " ";
        SetField(ServerText, text.c_str());
        SetField(WebSite, ServerList[selected].WebSite);
    }

    int count = ComboBox1->Items->Count();
    if (count > MaxServers)
        count = MaxServers;
    int i = 0;
    for (; i < count; ++i) {
        const TServerRecord &server = ServerList[i];
        put("RIGHT", Key("svraddr", i), server.Address);
        put("RIGHT", Key("company", i), server.Company);
        put("RIGHT", Key("tel", i), server.Telephone);
        put("RIGHT", Key("webside", i), server.WebSite);
        if (!server.Address[0] || !server.Company[0])
            break;
        put("RIGHT", Key("save", i), server.Save ? "1" : "0");
        put("RIGHT", Key("user", i), server.Save ? server.UserName : "");
        put("RIGHT", Key("password", i), server.Save ? server.Password : "");
    }
    if (i == count)
        put("RIGHT", Key("svraddr", i), "");

    bool useProxy = CheckBox3->Checked;
    put("ProxyServer", "UseProxy", useProxy ? "1" : "0");
    if (useProxy) {
        put("ProxyServer", "Address", Edit_proxy_add->Text);
        put("ProxyServer", "UserName", Edit_Proxy_user->Text);
        put("ProxyServer", "Password", Edit_Proxy_Pass->Text);
        put("ProxyServer", "Port", Edit_proxy_port->Text);
        put("ProxyServer", "CertUser", CheckBox2->Checked ? "1" : "0");
    }
    if (!saved)
        Application->MessageBox("服务器列表无法保存，请检查 server.ini 是否可写!", "提示", MB_OK | MB_ICONWARNING);

    StartProgress();
    AnsiString user = Edit1->Text;
    AnsiString password = Edit2->Text;
    HWND window = Handle;
    if (!MFrame || !MFrame->ConnectToServer(window, user.c_str(), password.c_str())) {
        Close();
        return;
    }
    LoginThread = CreateThread(nullptr, 0, LoginThreadProc, reinterpret_cast<LPVOID>(uintptr_t(window)), 0,
                               &LoginThreadId);
}

void TClientRight::N2Click(TObject *Sender)
{
    int count = ComboBox1->Items->Count();
    if (count >= MaxServers)
        return;
    auto *form = new TForm_AddSrv(this);
    Form_AddSrv = form;
    int result = form->ShowModal();
    Form_AddSrv = nullptr;
    AnsiString address = form->Edit_IP->Text;
    AnsiString company = form->Edit_Co->Text;
    AnsiString web = form->Edit_Web->Text;
    AnsiString telephone = form->Edit_Tel->Text;
    delete form;
    if (result != mrOk || company.Length() == 0 || address.Length() == 0)
        return;
    ComboBox1->Items->Insert(0, company);
    std::memmove(&ServerList[1], &ServerList[0], sizeof(TServerRecord) * size_t(count));
    TServerRecord &server = ServerList[0];
    std::memset(&server, 0, sizeof server);
    SetField(server.Company, company);
    SetField(server.Telephone, telephone);
    SetField(server.Address, address);
    SetField(server.WebSite, web);
    SelectServer(0);
}

void TClientRight::N3Click(TObject *Sender)
{
    int selected = ComboBox1->ItemIndex;
    int count = ComboBox1->Items->Count();
    if (selected < 0 || count == 0 || selected >= count)
        return;
    if (Application->MessageBox("是否删除当前服务器选项?", "提示", MB_YESNO | MB_ICONQUESTION | MB_TOPMOST) == IDNO)
        return;
    if (count > MaxServers)
        count = MaxServers;
    if (selected + 1 < count)
        std::memmove(&ServerList[selected], &ServerList[selected + 1],
                     sizeof(TServerRecord) * size_t(count - selected - 1));
    std::memset(&ServerList[count - 1], 0, sizeof(TServerRecord));
    ComboBox1->Items->Delete(selected);
    if (selected >= ComboBox1->Items->Count())
        selected = 0;
    SelectServer(selected);
}

void TClientRight::Button4Click(TObject *Sender)
{
    if (Button4->Caption == AnsiString("配置>>")) {
        Button4->Caption = "配置<<";
        ClientHeight = ClientHeight + LowerPart;
    } else {
        Button4->Caption = "配置>>";
        ClientHeight = ClientHeight - LowerPart;
    }
}

void TClientRight::CheckBox3Click(TObject *Sender)
{
    bool on = CheckBox3->Checked;
    GroupBox1->Enabled = on;
    CheckBox2->Enabled = on;
    Edit_proxy_add->Enabled = on;
    Edit_proxy_port->Enabled = on;
    CheckBox2Click(CheckBox2);
}

void TClientRight::CheckBox2Click(TObject *Sender)
{
    bool on = GroupBox1->Enabled && CheckBox2->Checked;
    Edit_Proxy_user->Enabled = on;
    Edit_Proxy_Pass->Enabled = on;
}

void TClientRight::CheckBox1Click(TObject *Sender)
{
    int i = ComboBox1->ItemIndex;
    if (i >= 0 && i < MaxServers)
        ServerList[i].Save = CheckBox1->Checked ? 1 : 0;
}

void TClientRight::ComboBox1Change(TObject *Sender) { SelectServer(ComboBox1->ItemIndex); }

void TClientRight::Edit1Change(TObject *Sender)
{
    int i = ComboBox1->ItemIndex;
    if (i >= 0 && i < MaxServers)
        SetField(ServerList[i].UserName, Edit1->Text);
}

void TClientRight::Edit2Change(TObject *Sender)
{
    int i = ComboBox1->ItemIndex;
    if (i >= 0 && i < MaxServers)
        SetField(ServerList[i].Password, Edit2->Text);
}

void TClientRight::Edit1KeyDown(TObject *Sender, WORD &Key, TShiftState Shift)
{
    if (Key != VK_RETURN)
        return;
    SelectNext(Edit1, true);
    Key = 0;
}

void TClientRight::Timer1Timer(TObject *Sender)
{
    if (Running && Image1->Left + Image1->Width < Target)
        Image1->Left = Image1->Left + 1;
}

void TClientRight::FormClose(TObject *Sender, TCloseAction &Action)
{
    if (!Reconnect || !LoginThread)
        return;
    DWORD code = 0;
    if (GetExitCodeThread(LoginThread, &code) && code == STILL_ACTIVE)
        TerminateThread(LoginThread, 0);
}

void TClientRight::WndProc(TMessage &Message)
{
    switch (Message.Msg) {
    case WM_MARKET_FAILED:
        SetStage("出错");
        StopProgress();
        BringToFront();
        return;
    case WM_MARKET_LOADING: {
        int count = int(Message.WParam);
        int index = int(Message.LParam);
        std::string text = "同步 ";
        if (index >= 0 && index < MarketInfoCount && index < MaxMarkets) {
            const char *name = MarketInfo[index].Name;
            text.append(name, strnlen(name, sizeof MarketInfo[index].Name));
        }
        text += " 信息";
        SetStage(text.c_str());
        // A count of 0 gives no step; an index past the count stands at the end.
        if (count > 0)
            StepProgress(index < 0 ? 0 : index > count ? count : index, count);
        return;
    }
    case WM_MARKETS_LOADED:
        ModalResult = mrOk;
        return;
    case WM_LOGIN_SEARCH:
        StartProgress();
        SetStage("搜索服务器");
        StepProgress(1, 1);
        return;
    case WM_LOGIN_CONNECT:
        Image1->Left = -Image1->Width;
        StartProgress();
        SetStage("连接服务器");
        StepProgress(1, 1);
        return;
    case WM_LOGIN_VERSION:
        Image1->Left = -Image1->Width;
        if (Message.WParam == 0) {
            StartProgress();
            SetStage("检查版本信息");
            StepProgress(1, 1);
        }
        return;
    case WM_CLOSE:
        // The login thread's close after the markets have loaded must not
        // turn the result 1 into 2.
        if (Modal() && ModalResult == mrOk)
            return;
        break;
    }
    TForm::WndProc(Message);
}

void TClientRight::StartProgress()
{
    Running = 0;
    Target = 0;
    StageEnd = 0;
    Timer1->Enabled = true;
    int width = Panel2->Width;
    Image1->SetBounds(-width, Image1->Top, width, Image1->Height);
    Panel2->Visible = true;
    Label6->Caption = " ";
    Label6->Visible = true;
}

void TClientRight::StepProgress(int k, int n)
{
    Running = 1;
    int width = Panel2->Width;
    int previous = StageEnd;
    Image1->Left = previous - Image1->Width;
    StageEnd = int(int64_t(width) * k / n);
    Target = previous + (StageEnd - previous) * 3 / 4;
}

void TClientRight::StopProgress()
{
    Running = 0;
    Target = 0;
    StageEnd = 0;
    Timer1->Enabled = false;
    Panel2->Visible = false;
    Label6->Visible = false;
    EnableButtons(true);
}

void TClientRight::SetStage(const char *text) { Label6->Caption = text; }

void TClientRight::EnableButtons(bool enabled)
{
    Button1->Enabled = enabled;
    Button3->Enabled = enabled;
    Button4->Enabled = enabled;
}
