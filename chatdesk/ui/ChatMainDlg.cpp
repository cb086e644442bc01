#include "chatdesk/ui/ChatMainDlg.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>

#include "chatdesk/ChatUser.h"
#include "chatdesk/EncryptedProfile.h"
#include "chatdesk/IniFile.h"
#include "chatdesk/ui/ChatGlobals.h"
#include "chatdesk/ui/ChatResources.h"
#include "chatdesk/ui/ChatUiIds.h"
#include "platform/appframe/AfxMessages.h"
#include "platform/appframe/CCmdUI.h"
#include "platform/appframe/CWinApp.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/Resources.h"
#include "platform/win/Cursor.h"
#include "platform/win/MouseTracking.h"
#include "platform/win/Sound.h"
#include "platform/win/SystemInfo.h"
#include "platform/win/Window.h"
#include "platform/win/Winsock.h"

using namespace win;

namespace chatui {

namespace {

constexpr UINT_PTR kTimerId = 1;
constexpr const char *kProfile = ".\\LmMsgrC.ini";
constexpr const char *kTerminalSettings = "..\\cfg\\setting.ini";

RECT ButtonRect(int button, int w)
{
    switch (button) {
    case 1:
        return RECT{w - 55, 5, w - 40, 20};
    case 2:
        return RECT{w - 38, 5, w - 23, 20};
    case 3:
        return RECT{w - 21, 5, w - 6, 20};
    default:
        return RECT{0, 0, 0, 0};
    }
}

} // namespace

HWND ParseStarterHandle(const char *commandLine)
{
    if (!commandLine)
        return 0;
    const char *p = commandLine;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f')
        ++p;
    if (*p == '+')
        ++p;
    else if (*p == '-')
        return 0;
    unsigned long long value = 0;
    bool any = false;
    for (; *p >= '0' && *p <= '9'; ++p) {
        any = true;
        value = value * 10 + static_cast<unsigned>(*p - '0');
        if (value > static_cast<unsigned long long>(INT_MAX))
            return 0;
    }
    return any ? static_cast<HWND>(value) : 0;
}

bool AcceptCredentials(HWND starter, HWND from, const COPYDATASTRUCT *data, char name[64], char password[64])
{
    if (!starter || from != starter || !data || data->dwData != 0 || data->cbData != 128 || !data->lpData)
        return false;
    const auto *block = static_cast<const char *>(data->lpData);
    std::memcpy(name, block, 64);
    std::memcpy(password, block + 64, 64);
    name[63] = 0;
    password[63] = 0;
    return true;
}

int FrameHitZone(int x, int y, int w, int h)
{
    const bool left = x <= 5, right = x >= w - 6, top = y <= 5, bottom = y >= h - 6;
    if (left && top)
        return 5;
    if (right && top)
        return 8;
    if (left && bottom)
        return 7;
    if (right && bottom)
        return 6;
    if (top)
        return 1;
    if (bottom)
        return 2;
    if (left)
        return 3;
    if (right)
        return 4;
    return 0;
}

BEGIN_MESSAGE_MAP(CChatMainDlg, CDialog)
ON_WM_CREATE()
ON_WM_TIMER()
ON_WM_COPYDATA()
ON_MESSAGE(WM_CHAT_PLACE, OnPlaceWindow)
ON_MESSAGE(WM_CHAT_NETSTATUS, OnNetStatus)
ON_MESSAGE(WM_CHAT_LINK, OnStarterMessage)
ON_COMMAND(ID_CONNECT, OnConnect)
ON_COMMAND(ID_NOTIFY, OnToggleNotify)
ON_UPDATE_COMMAND_UI(ID_CONNECT, OnUpdateConnect)
ON_UPDATE_COMMAND_UI(ID_NOTIFY, OnUpdateNotify)
ON_WM_ERASEBKGND()
ON_WM_PAINT()
ON_WM_SIZE()
ON_WM_GETMINMAXINFO()
ON_WM_SETTINGCHANGE()
ON_WM_MOUSEMOVE()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_LBUTTONDBLCLK()
ON_WM_MOUSELEAVE()
ON_WM_SETCURSOR()
ON_WM_MENUCHAR()
ON_WM_ACTIVATE()
ON_WM_SETFOCUS()
END_MESSAGE_MAP()

CChatMainDlg::CChatMainDlg(const char *commandLine)
    : CDialog(IDD_CHAT_MAIN), m_commandLine(commandLine ? commandLine : ""), m_socket(*this), m_outer(2, 1, 80, 3),
      m_inner(2, 0, 75, 5)
{
    ChatGlobals().mainWindow = this;
    ChatGlobals().socket = &m_socket;
}

CChatMainDlg::~CChatMainDlg()
{
    KillTimer(kTimerId);
    if (m_socket.IsConnected() || m_socket.IsConnecting() || m_socket.m_hSocket != INVALID_SOCKET)
        m_socket.OnClose(0);
    // The panes go before the lists' users: the lists let go of them first.
    if (m_hWnd)
        DestroyWindow();
    if (ChatGlobals().mainWindow == this)
        ChatGlobals().mainWindow = nullptr;
    if (ChatGlobals().socket == &m_socket)
        ChatGlobals().socket = nullptr;
}

BOOL CChatMainDlg::CreateModeless()
{
    return CDialog::Create(IDD_CHAT_MAIN, nullptr);
}

int CChatMainDlg::OnCreate(LPCREATESTRUCT)
{
    if (Default() == -1)
        return -1;
    m_starter = ParseStarterHandle(m_commandLine.c_str());
    if (m_starter && IsWindow(m_starter)) {
        PostMessageA(m_starter, WM_CHAT_LINK, 0, static_cast<LPARAM>(m_hWnd));
        SetWindowPos(nullptr, 0, 0, 0, 0, SWP_NOACTIVATE | SWP_NOREDRAW | SWP_NOZORDER);
    } else {
        m_starter = 0;
        AfxPostQuitMessage(0);
    }
    return CreateChildren() ? 0 : -1;
}

bool CChatMainDlg::CreateChildren()
{
    if (m_childrenMade)
        return true;
    if (!m_menuBar.Create(RECT{6, 25, 100, 43}, IDR_CHAT_MENU, this, IDC_MENU_BAR))
        return false;
    if (!m_outer.Create(this, IDC_OUTER_SPLITTER) || !m_inner.Create(&m_outer, IDC_INNER_SPLITTER))
        return false;
    if (!m_userList.Create(&m_outer) || !m_transcript.Create(&m_inner) || !m_input.Create(&m_inner))
        return false;
    m_outer.SetPane(0, &m_inner);
    m_outer.SetPane(1, &m_userList);
    m_inner.SetPane(0, &m_transcript);
    m_inner.SetPane(1, &m_input);
    for (CWnd *pane : {static_cast<CWnd *>(&m_userList), static_cast<CWnd *>(&m_transcript),
                       static_cast<CWnd *>(&m_input)})
        pane->ShowWindow(SW_SHOW);
    m_childrenMade = true;
    return true;
}

BOOL CChatMainDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (!m_childrenMade && !CreateChildren()) {
        EndDialog(IDCANCEL);
        return FALSE;
    }
    HICON icon = LoadIconA(AfxGetInstanceHandle(), kIconName);
    SetIcon(icon, TRUE);
    SetIcon(icon, FALSE);
    UpdateTitle();
    {
        CEncryptedProfile profile(kProfile);
        m_notify = profile.GetInt("General", "MsgNotify", 1) != 0;
    }
    PostMessage(WM_CHAT_PLACE);
    SetTimer(kTimerId, 300, nullptr);
    RECT r{};
    GetClientRect(&r);
    OnSize(0, r.right, r.bottom);
    return FALSE;
}

void CChatMainDlg::UpdateTitle()
{
    CString product;
    product.LoadString(IDS_PRODUCT);
    std::string title = std::string(static_cast<LPCSTR>(product)) + " 客户端";
    if (!m_socket.IsConnecting() && m_socket.IsConnected())
        title += std::string(" - ") + m_socket.GetLoginName();
    SetWindowText(title.c_str());
}

LRESULT CChatMainDlg::OnPlaceWindow(WPARAM, LPARAM)
{
    if (m_starter) {
        OnCancel();
        RECT work{};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
        const int w = (work.right - work.left) * 45 / 100;
        const int h = (work.bottom - work.top) / 2;
        SetWindowPos(nullptr, work.right - w + 1, work.bottom - h + 1, w, h, SWP_NOACTIVATE | SWP_NOZORDER);
    }
    // A hidden window hears of its new size only when it shows: the frame's
    // parts are placed now, so that the panes are sized from the real extent.
    RECT client{};
    GetClientRect(&client);
    OnSize(0, client.right, client.bottom);
    RECT outer{};
    m_outer.GetWindowRect(&outer);
    m_outer.SetSizes({static_cast<int>(0.7 * (outer.right - outer.left)), -1});
    m_inner.SetSizes({-1, 89});
    return 0;
}

BOOL CChatMainDlg::OnCopyData(CWnd *, COPYDATASTRUCT *data)
{
    const MSG *msg = GetCurrentMessage();
    const HWND from = msg ? static_cast<HWND>(msg->wParam) : 0;
    char name[64], password[64];
    if (!AcceptCredentials(m_starter, from, data, name, password))
        return TRUE;
    m_socket.SetLogin(name, password);
    PostMessage(WM_COMMAND, ID_CONNECT, 0);
    return TRUE;
}

void CChatMainDlg::OnConnect()
{
    if (m_socket.IsConnected() || m_socket.IsConnecting())
        return;
    CIniFile settings;
    settings.LoadFromFile(kTerminalSettings);
    const CString server = settings.GetString("Parameter", "OTSServer", "0.0.0.0");
    const int port = settings.GetInt("Parameter", "OTSPort", 6656);
    if (m_socket.GetLoginName()[0] == '\0')
        return;
    m_socket.WriteLine("正在连接服务器...");
    // A port outside 1..65535 or a text that is no dotted address cannot be
    // reached: the attempt fails at once.
    const std::string address(static_cast<LPCSTR>(server));
    const bool dotted = !address.empty() && address.size() <= 15 &&
                        (inet_addr(address.c_str()) != INADDR_NONE || address == "255.255.255.255");
    if (port <= 0 || port > 65535 || !dotted) {
        m_socket.WriteLine("无法连接服务器。");
        PostNetStatus(ChatNetDisconnected);
        return;
    }
    m_socket.ConnectServer(address.c_str(), static_cast<UINT>(port));
}

void CChatMainDlg::OnToggleNotify()
{
    m_notify = !m_notify;
}

void CChatMainDlg::OnUpdateConnect(CCmdUI *ui)
{
    ui->Enable(!m_socket.IsConnected() && !m_socket.IsConnecting());
}

void CChatMainDlg::OnUpdateNotify(CCmdUI *ui)
{
    ui->SetCheck(m_notify ? 1 : 0);
}

void CChatMainDlg::OnTimer(UINT_PTR id)
{
    if (id != kTimerId)
        return;
    if (UnreadUserCount > 0) {
        if (ChatGlobals().recentList)
            ChatGlobals().recentList->SendMessage(WM_CHAT_BLINK);
        if (ChatGlobals().tabStrip)
            ChatGlobals().tabStrip->SendMessage(WM_CHAT_BLINK);
    }
    const CChatTimerCounters::Due due = m_counters.OnTick(m_socket, m_starter != 0);
    if (due.testStarter && !IsWindow(m_starter))
        PostMessage(WM_CHAT_LINK, 3, 0);
    if (due.connect)
        PostMessage(WM_COMMAND, ID_CONNECT, 0);
}

LRESULT CChatMainDlg::OnNetStatus(WPARAM, LPARAM)
{
    UpdateTitle();
    char text[64];
    if (m_socket.IsConnecting()) {
        std::strcpy(text, "网络状态: 正在连接");
    } else if (m_socket.IsConnected()) {
        std::snprintf(text, sizeof text, "网络状态: 已连接。在线技术支持: %d", std::max(GetOnlineCount(), 0));
    } else {
        std::strcpy(text, "网络状态: 断开");
    }
    m_input.StatusBar().SetPaneText(0, text);
    m_input.StatusBar().UpdateWindow();
    RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    return 0;
}

LRESULT CChatMainDlg::OnStarterMessage(WPARAM wParam, LPARAM)
{
    if (m_starter && wParam == 3) {
        m_starter = 0;
        OnCancel();
    }
    return 0;
}

void CChatMainDlg::OnCancel()
{
    if (m_starter) {
        ShowWindow(SW_HIDE);
        return;
    }
    KillTimer(kTimerId);
    if (m_socket.IsConnected() || m_socket.IsConnecting())
        m_socket.OnClose(0);
    {
        CEncryptedProfile profile(kProfile);
        if (profile.GetInt("General", "Version", 0) > 1) {
            profile.SetInt("General", "MsgNotify", m_notify ? 1 : 0, true);
            profile.Save();
        }
    }
    EndDialog(IDCANCEL);
}

// The chat connection's side.

void CChatMainDlg::AppendTranscript(const char *text, size_t length)
{
    m_transcript.Append(text, length);
}

void CChatMainDlg::PostNetStatus(ChatNetStatus status)
{
    if (m_hWnd)
        PostMessage(WM_CHAT_NETSTATUS, 0, status);
}

int CChatMainDlg::AddOnlineUser(ChatUser *user)
{
    const int index = m_userList.TabStrip().Online().AddUser(user);
    return index < 0 ? -1 : index;
}

int CChatMainDlg::GetOnlineCount()
{
    return std::max(m_userList.TabStrip().Online().GetCount(), 0);
}

ChatUser *CChatMainDlg::GetOnlineUser(int index)
{
    return m_userList.TabStrip().Online().UserAt(index);
}

void CChatMainDlg::DeleteOnlineUser(int index)
{
    m_userList.TabStrip().Online().DeleteString(static_cast<UINT>(index));
}

int CChatMainDlg::GetRecentCount()
{
    return std::max(m_userList.TabStrip().Recent().GetCount(), 0);
}

ChatUser *CChatMainDlg::GetRecentUser(int index)
{
    return m_userList.TabStrip().Recent().UserAt(index);
}

bool CChatMainDlg::IsRecentSelected(int index)
{
    return m_userList.TabStrip().Recent().GetSel(index) > 0;
}

void CChatMainDlg::DeleteRecentUser(int index)
{
    m_userList.TabStrip().Recent().DeleteString(static_cast<UINT>(index));
}

int CChatMainDlg::InsertRecentUser(int index, ChatUser *user)
{
    CRecentContactList &recent = m_userList.TabStrip().Recent();
    ChatUserKey key{};
    std::memcpy(key.name, user->name, sizeof key.name);
    key.user = user;
    const int at = recent.InsertString(index, reinterpret_cast<LPCSTR>(&key));
    if (at < 0)
        return -1;
    recent.SetItemDataPtr(at, user);
    return at;
}

void CChatMainDlg::SelectRecentUser(int index)
{
    m_userList.TabStrip().Recent().SetSel(index, TRUE);
}

void CChatMainDlg::RepaintRecentList()
{
    m_userList.TabStrip().Recent().Invalidate(FALSE);
}

void CChatMainDlg::ResetUserLists()
{
    m_userList.TabStrip().Online().ResetContent();
    m_userList.TabStrip().Recent().ResetContent();
    // Users freed with unread messages leave the count; the header follows it.
    m_userList.TabStrip().SendMessage(WM_CHAT_BLINK);
}

bool CChatMainDlg::IsRecentListShown()
{
    return m_userList.TabStrip().SendMessage(WM_CHAT_QUERYTAB) == 1;
}

void CChatMainDlg::ToggleUserLists()
{
    m_userList.TabStrip().PostMessage(WM_COMMAND, ID_TOGGLE_LIST, 0);
}

void CChatMainDlg::PostSelectFirstRecent()
{
    m_userList.TabStrip().Recent().PostMessage(LB_SETSEL, TRUE, 0);
}

bool CChatMainDlg::RaiseMainWindow(bool raise)
{
    bool needed = false;
    if (!IsWindowVisible()) {
        needed = true;
        if (raise)
            ShowWindow(SW_SHOW);
    } else if (IsIconic()) {
        needed = true;
        if (raise)
            ShowWindow(SW_RESTORE);
    } else {
        const HWND foreground = GetForegroundWindow();
        if (foreground != m_hWnd && !(foreground && IsChild(CWnd::FromHandle(foreground)))) {
            needed = true;
            if (raise)
                SetForegroundWindow();
        }
    }
    return needed;
}

void CChatMainDlg::PlayNotifySound()
{
    PlaySoundA("MsgNtfy.wav", 0, SND_ASYNC | SND_FILENAME | SND_NODEFAULT | SND_NOWAIT);
}

// The frame.

int CChatMainDlg::SystemButtonAt(POINT p) const
{
    RECT client{};
    GetClientRect(&client);
    for (int b = 1; b <= 3; ++b) {
        const RECT r = ButtonRect(b, client.right);
        if (p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom)
            return b;
    }
    return 0;
}

void CChatMainDlg::PaintFrame(CDC &dc)
{
    RECT client{};
    GetClientRect(&client);
    const int w = client.right, h = client.bottom;
    dc.FillSolidRect(6, 26, std::max(w - 12, 0), std::max(h - 32, 0), kFrameBlue);
    const SIZE tr = PictureSize(IDB_FRAME_TR), bl = PictureSize(IDB_FRAME_BL), br = PictureSize(IDB_FRAME_BR);
    const SIZE top = PictureSize(IDB_FRAME_TOP), left = PictureSize(IDB_FRAME_LEFT),
               right = PictureSize(IDB_FRAME_RIGHT), bottom = PictureSize(IDB_FRAME_BOTTOM);
    if (top.cx > 0)
        DrawPicture(dc, IDB_FRAME_TOP, 0, 0, w, top.cy);
    if (left.cy > 0)
        DrawPicture(dc, IDB_FRAME_LEFT, 0, top.cy, left.cx, std::max<LONG>(h - top.cy, 0));
    if (right.cy > 0)
        DrawPicture(dc, IDB_FRAME_RIGHT, w - right.cx, top.cy, right.cx, std::max<LONG>(h - top.cy, 0));
    if (bottom.cx > 0)
        DrawPicture(dc, IDB_FRAME_BOTTOM, 0, h - bottom.cy, w, bottom.cy);
    DrawPicture(dc, IDB_FRAME_TL, 0, 0);
    DrawPicture(dc, IDB_FRAME_TR, w - tr.cx, 0);
    DrawPicture(dc, IDB_FRAME_BL, 0, h - bl.cy);
    DrawPicture(dc, IDB_FRAME_BR, w - br.cx, h - br.cy);
    // The system buttons: each always shown, the hot one in its pressed look
    // while pressed.
    for (int b = 1; b <= 3; ++b) {
        const RECT r = ButtonRect(b, w);
        const WORD normal = b == 1 ? IDB_MIN : b == 2 ? IDB_MAX : IDB_CLOSE;
        const bool down = b == m_hotButton && m_pressed;
        DrawPicture(dc, WORD(normal + (down ? 1 : 0)), r.left, r.top);
    }
    DrawPicture(dc, IDB_CAPTION_ICON, 5, 5, 16, 16, true);
    char title[256] = {};
    GetWindowText(title, sizeof title);
    LOGFONTA lf{};
    lf.lfHeight = 15;
    lf.lfWeight = FW_BOLD;
    std::strcpy(lf.lfFaceName, "Tahoma");
    CFont font;
    font.CreateFontIndirect(&lf);
    CFont *old = dc.SelectObject(&font);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(kWhite);
    dc.TextOut(25, 6, title, static_cast<int>(std::strlen(title)));
    dc.SelectObject(old);
}

BOOL CChatMainDlg::OnEraseBkgnd(CDC *dc)
{
    PaintFrame(*dc);
    return TRUE;
}

void CChatMainDlg::OnPaint()
{
    CPaintDC dc(this);
    if (IsIconic())
        PaintFrame(dc);
}

void CChatMainDlg::OnSize(UINT, int cx, int cy)
{
    SetWindowRgn(CreateRoundRectRgn(0, 0, cx + 1, cy + 1, 11, 11), TRUE);
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (m_menuBar.m_hWnd)
        m_menuBar.SetWindowPos(nullptr, 6, 25, std::max(cx - 12, 0), 18, flags);
    if (m_outer.m_hWnd)
        m_outer.SetWindowPos(nullptr, 6, 44, std::max(cx - 12, 0), std::max(cy - 51, 0), flags);
    Invalidate(TRUE);
}

void CChatMainDlg::OnGetMinMaxInfo(MINMAXINFO *info)
{
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    info->ptMaxPosition = POINT{work.left - 4, work.top - 4};
    info->ptMaxSize = POINT{work.right - work.left + 8, work.bottom - work.top + 8};
    info->ptMinTrackSize = POINT{250, 275};
    if (info->ptMaxTrackSize.x <= 0 || info->ptMaxTrackSize.y <= 0)
        info->ptMaxTrackSize = POINT{GetSystemMetrics(SM_CXVIRTUALSCREEN) + 8, GetSystemMetrics(SM_CYVIRTUALSCREEN) + 8};
}

void CChatMainDlg::Maximize()
{
    MINMAXINFO info{};
    OnGetMinMaxInfo(&info);
    SetWindowPos(nullptr, info.ptMaxPosition.x, info.ptMaxPosition.y, info.ptMaxSize.x, info.ptMaxSize.y,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void CChatMainDlg::ToggleMaximize()
{
    if (m_maximized) {
        m_maximized = false;
        SetWindowPos(nullptr, m_restore.left, m_restore.top, m_restore.right - m_restore.left,
                     m_restore.bottom - m_restore.top, SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        GetWindowRect(&m_restore);
        m_maximized = true;
        Maximize();
    }
    Invalidate(TRUE);
}

void CChatMainDlg::OnSettingChange(UINT, LPCSTR)
{
    if (m_maximized) {
        Maximize();
        Invalidate(TRUE);
    }
}

void CChatMainDlg::SetHotButton(int button)
{
    if (button == m_hotButton)
        return;
    RECT client{};
    GetClientRect(&client);
    const RECT was = ButtonRect(m_hotButton, client.right), now = ButtonRect(button, client.right);
    m_hotButton = button;
    InvalidateRect(&was, TRUE);
    InvalidateRect(&now, TRUE);
}

void CChatMainDlg::OnMouseMove(UINT flags, CPoint point)
{
    if (!m_leaveRequested) {
        m_leaveRequested = true;
        TRACKMOUSEEVENT tme{sizeof(TRACKMOUSEEVENT), TME_LEAVE, m_hWnd, 0};
        TrackMouseEvent(&tme);
    }
    RECT client{};
    GetClientRect(&client);
    const bool dragging = (flags & MK_LBUTTON) && ::win::GetCapture() == m_hWnd;
    if (!dragging) {
        m_hitZone = FrameHitZone(point.x, point.y, client.right, client.bottom);
        if (m_hitZone == 0)
            SetHotButton(SystemButtonAt(point));
        else
            SetHotButton(0);
        return;
    }
    if (m_pressed) {
        const int under = SystemButtonAt(point);
        if (under != m_hotButton) {
            m_pressed = under != 0;
            SetHotButton(under);
        }
        return;
    }
    if (m_maximized)
        return;
    POINT screen = point;
    ClientToScreen(&screen);
    const int dx = screen.x - m_downAt.x, dy = screen.y - m_downAt.y;
    if (dx == 0 && dy == 0)
        return;
    RECT r{};
    GetWindowRect(&r);
    if (m_hitZone == 0) {
        SetWindowPos(nullptr, r.left + dx, r.top + dy, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        m_downAt = screen;
        return;
    }
    RECT next = r;
    const int z = m_hitZone;
    if (z == 1 || z == 5 || z == 8)
        next.top += dy;
    if (z == 2 || z == 6 || z == 7)
        next.bottom += dy;
    if (z == 3 || z == 5 || z == 7)
        next.left += dx;
    if (z == 4 || z == 6 || z == 8)
        next.right += dx;
    MINMAXINFO info{};
    info.ptMaxTrackSize = POINT{0, 0};
    SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    const int w = next.right - next.left, h = next.bottom - next.top;
    if (w < info.ptMinTrackSize.x || h < info.ptMinTrackSize.y || w > info.ptMaxTrackSize.x ||
        h > info.ptMaxTrackSize.y)
        return;
    SetWindowPos(nullptr, next.left, next.top, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
    m_downAt = screen;
}

void CChatMainDlg::OnLButtonDown(UINT, CPoint point)
{
    RECT client{};
    GetClientRect(&client);
    const int w = client.right, h = client.bottom;
    if (!(point.x < 6 || point.x >= w - 6 || point.y < 24 || point.y >= h - 6))
        return;
    SetCapture();
    POINT screen = point;
    ClientToScreen(&screen);
    m_downAt = screen;
    const int button = SystemButtonAt(point);
    if (button) {
        SetHotButton(button);
        m_pressed = true;
        RECT r = ButtonRect(button, w);
        InvalidateRect(&r, TRUE);
    }
}

void CChatMainDlg::OnLButtonUp(UINT, CPoint)
{
    if (::win::GetCapture() == m_hWnd)
        ReleaseCapture();
    if (!m_pressed)
        return;
    m_pressed = false;
    const int button = m_hotButton;
    SetHotButton(0);
    switch (button) {
    case 1:
        ShowWindow(SW_MINIMIZE);
        break;
    case 2:
        ToggleMaximize();
        break;
    case 3:
        PostMessage(WM_COMMAND, IDCANCEL, 0);
        break;
    default:
        break;
    }
}

void CChatMainDlg::OnLButtonDblClk(UINT, CPoint point)
{
    if (point.x >= 5 && point.x <= 21 && point.y >= 5 && point.y <= 21)
        PostMessage(WM_COMMAND, IDCANCEL, 0);
    else if (point.y < 24)
        ToggleMaximize();
}

void CChatMainDlg::OnMouseLeave()
{
    m_leaveRequested = false;
    if (!m_pressed)
        SetHotButton(0);
}

BOOL CChatMainDlg::OnSetCursor(CWnd *wnd, UINT hitTest, UINT message)
{
    if (wnd != this)
        return static_cast<BOOL>(Default());
    LPCSTR shape = nullptr;
    switch (m_hitZone) {
    case 1:
    case 2:
        shape = IDC_SIZENS;
        break;
    case 3:
    case 4:
        shape = IDC_SIZEWE;
        break;
    case 5:
    case 6:
        shape = IDC_SIZENWSE;
        break;
    case 7:
    case 8:
        shape = IDC_SIZENESW;
        break;
    default:
        break;
    }
    if (!shape)
        return static_cast<BOOL>(Default());
    SetCursor(LoadCursorA(0, shape));
    return TRUE;
}

LRESULT CChatMainDlg::OnMenuChar(UINT typed, UINT, CMenu *)
{
    if (m_menuBar.m_hWnd && m_menuBar.OnMenuChar(static_cast<unsigned char>(typed)))
        return MAKELONG(0, 1);
    return Default();
}

void CChatMainDlg::OnActivate(UINT, CWnd *, BOOL)
{
    Default();
    if (ChatGlobals().inputEdit)
        FocusInput();
}

void CChatMainDlg::OnSetFocus(CWnd *)
{
    if (ChatGlobals().inputEdit)
        FocusInput();
}

} // namespace chatui
