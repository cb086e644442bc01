#include "chatdesk/ui/InputPane.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "chatdesk/ChatRecords.h"
#include "chatdesk/ChatSocket.h"
#include "chatdesk/ChatUser.h"
#include "chatdesk/ui/ChatGlobals.h"
#include "chatdesk/ui/ChatResources.h"
#include "chatdesk/ui/ChatUiIds.h"
#include "chatdesk/ui/TranscriptPane.h"
#include "chatdesk/ui/UserLists.h"
#include "platform/appframe/AfxMessages.h"
#include "platform/appframe/CWinApp.h"
#include "platform/forms/FormTypes.h"
#include "platform/forms/KeyState.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/Resources.h"
#include "platform/win/Time.h"

using namespace win;

namespace chatui {

namespace {

std::string Heading(const char *name)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char line[96];
    std::snprintf(line, sizeof line, "\r\n[%02u:%02u:%02u] %.63s", unsigned(now.wHour), unsigned(now.wMinute),
                  unsigned(now.wSecond), name);
    return line;
}

void Corner(CDC &dc, WORD id, bool right, const RECT &client)
{
    const SIZE size = PictureSize(id);
    DrawPicture(dc, id, right ? client.right - size.cx : 0, client.bottom - size.cy);
}

} // namespace

BEGIN_MESSAGE_MAP(CInputPane, CDialog)
ON_WM_CREATE()
ON_WM_SIZE()
ON_WM_ERASEBKGND()
ON_WM_CTLCOLOR()
ON_COMMAND(IDC_SEND, OnSend)
END_MESSAGE_MAP()

CInputPane::CInputPane() : m_burstTick(GetTickCount()), m_white(kWhite) {}

CInputPane::~CInputPane()
{
    if (ChatGlobals().inputEdit == m_input.m_hWnd)
        ChatGlobals().inputEdit = 0;
}

BOOL CInputPane::Create(CWnd *parent)
{
    return CDialog::Create(IDD_INPUT, parent);
}

int CInputPane::OnCreate(LPCREATESTRUCT)
{
    if (Default() == -1)
        return -1;
    return m_status.Create(this, IDC_STATUS_BAR) ? 0 : -1;
}

BOOL CInputPane::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_input.SubclassDlgItem(IDC_EDIT, this);
    m_input.LimitText(kInputLimit);
    m_send.Attach(IDC_SEND, this, BS_DEFPUSHBUTTON);
    m_send.SetWindowPos(nullptr, 0, 0, 64, 22, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (!m_status.m_hWnd)
        m_status.Create(this, IDC_STATUS_BAR);
    m_status.SetFont(GetFont());
    ChatGlobals().inputEdit = m_input.m_hWnd;
    RECT r{};
    GetClientRect(&r);
    OnSize(0, r.right, r.bottom);
    return FALSE;
}

void CInputPane::OnSize(UINT, int cx, int cy)
{
    if (!m_send.m_hWnd)
        return;
    RECT button{};
    m_send.GetWindowRect(&button);
    const int bw = button.right - button.left, bh = button.bottom - button.top;
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    m_send.SetWindowPos(nullptr, cx - bw, cy - bh, 0, 0, flags | SWP_NOSIZE);
    if (m_status.m_hWnd)
        m_status.SetWindowPos(nullptr, 0, cy - bh + 3, std::max(cx - bw - 5, 0), std::max(bh - 3, 0), flags);
    m_inputArea = RECT{0, 0, cx, std::max(cy - bh - 2, 0)};
    m_input.SetWindowPos(nullptr, 6, 3, std::max(cx - 12, 0), std::max(cy - bh - 11, 0), flags);
    Invalidate(TRUE);
}

BOOL CInputPane::OnEraseBkgnd(CDC *dc)
{
    RECT client{};
    GetClientRect(&client);
    dc->FillSolidRect(&client, kFrameBlue);
    Corner(*dc, IDB_INPUT_BL, false, client);
    Corner(*dc, IDB_INPUT_BR, true, client);
    // A white frame around the edit inside the input area, bordered in blue.
    const RECT &a = m_inputArea;
    if (a.right > 2 && a.bottom > 2) {
        dc->FillSolidRect(a.left + 1, a.top + 1, a.right - a.left - 2, a.bottom - a.top - 2, kWhite);
        CPen line(PS_SOLID, 1, kInputLine);
        CPen *old = dc->SelectObject(&line);
        dc->MoveTo(a.left, a.top);
        dc->LineTo(a.right - 1, a.top);
        dc->LineTo(a.right - 1, a.bottom - 1);
        dc->LineTo(a.left, a.bottom - 1);
        dc->LineTo(a.left, a.top);
        dc->SelectObject(old);
    }
    return TRUE;
}

HBRUSH CInputPane::OnCtlColor(CDC *dc, CWnd *wnd, UINT ctlColor)
{
    if (ctlColor == CTLCOLOR_EDIT || (ctlColor == CTLCOLOR_STATIC && wnd && wnd->GetDlgCtrlID() != 0xFFFF)) {
        dc->SetBkColor(kWhite);
        return static_cast<HBRUSH>(m_white.GetSafeHandle());
    }
    return CDialog::OnCtlColor(dc, wnd, ctlColor);
}

BOOL CInputPane::PreTranslateMessage(MSG *msg)
{
    if (msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN && msg->hwnd == m_input.m_hWnd &&
        GetKeyState(VK_CONTROL) < 0) {
        PostMessage(WM_COMMAND, IDC_SEND, 0);
        return TRUE;
    }
    return CDialog::PreTranslateMessage(msg);
}

bool CInputPane::BurstAllows()
{
    const DWORD now = GetTickCount();
    if (now - m_burstTick < 1000) {
        if (m_burstCount >= 2)
            return false;
        ++m_burstCount;
        return true;
    }
    m_burstCount = 1;
    m_burstTick = now;
    return true;
}

void CInputPane::OnSend()
{
    CChatSocket *socket = ChatGlobals().socket;
    CTranscriptPane *transcript = ChatGlobals().transcriptPane;
    if (m_input.GetWindowTextLength() == 0 || !socket) {
        FocusInput();
        return;
    }
    if (!socket->IsConnected()) {
        socket->WriteLine("没有连接到服务器，因此您无法发言。");
    } else if (!ChatGlobals().onlineList || ChatGlobals().onlineList->GetCount() <= 0) {
        socket->WriteLine("当前没有技术支持在线。");
    } else if (!CurrentPartner) {
        socket->WriteLine("请先在右侧的列表中选择交谈对象。");
    } else if (CurrentPartner->status & 2) {
        socket->WriteLine("该用户已下线。");
    } else if (!BurstAllows()) {
        socket->WriteLine("您说话的速度太快了。请坐下来，喝杯咖啡休息一会吧。");
    } else {
        char text[4020] = {};
        m_input.GetWindowText(text, sizeof text);
        const size_t length = std::strlen(text);
        uint8_t record[kChatMaxRecord];
        ChatUser *partner = CurrentPartner;
        const uint32_t partnerId = partner->id;
        const size_t recordLength = BuildChatMessage(partnerId, text, length, record);
        socket->BringToRecentTop(partner, false);
        // Sending may close the connection, which frees users: the partner is
        // looked at again afterwards, never through the pointer held here.
        if (recordLength > 0 && socket->SendRecord(record, static_cast<int>(recordLength)) ==
                                    static_cast<int>(recordLength)) {
            const HANDLE log = CurrentPartner && CurrentPartner->id == partnerId ? CurrentPartner->log
                                                                                 : INVALID_HANDLE_VALUE;
            const std::string heading = Heading(socket->GetLoginName());
            if (transcript) {
                transcript->Append(heading.data(), heading.size(), log);
                transcript->Append(text, length, log);
            }
            m_input.SetWindowText("");
        }
    }
    FocusInput();
}

} // namespace chatui
