#include "chatdesk/ui/TranscriptPane.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "chatdesk/ui/ChatGlobals.h"
#include "chatdesk/ui/ChatResources.h"
#include "chatdesk/ui/ChatUiIds.h"
#include "platform/appframe/AfxMessages.h"
#include "platform/appframe/CMenu.h"
#include "platform/appframe/CWinApp.h"
#include "platform/forms/FormTypes.h"
#include "platform/forms/KeyState.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/Resources.h"
#include "platform/win/File.h"
#include "platform/win/Text.h"

using namespace win;

namespace chatui {

namespace {

constexpr DWORD kBlock = 8192;

// Where a text ends if its last byte starts a character that is not complete.
size_t WholeCharacters(const std::string &text, size_t from)
{
    size_t i = from;
    while (i < text.size()) {
        const size_t n = GbkCharLength(text.data() + i, text.size() - i);
        if (n == 0 || i + n > text.size())
            break;
        i += n;
    }
    return i;
}

} // namespace

std::string ReadConversationLog(HANDLE log)
{
    std::string text;
    if (log == INVALID_HANDLE_VALUE)
        return text;
    SetFilePointer(log, 0, nullptr, FILE_BEGIN);
    std::vector<char> block(kBlock);
    std::string pending;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(log, block.data(), kBlock, &got, nullptr) || got == 0)
            break;
        pending.append(block.data(), got);
        // A lead byte at the end of the block waits for its second half.
        const size_t whole = WholeCharacters(pending, 0);
        for (size_t i = 0; i < whole; ++i)
            if (pending[i] != '\0')
                text.push_back(pending[i]);
        pending.erase(0, whole);
        if (got < kBlock)
            break;
    }
    for (char c : pending)
        if (c != '\0')
            text.push_back(c);
    // Later writes go to the end, also after a read that failed half-way.
    SetFilePointer(log, 0, nullptr, FILE_END);
    return text;
}

const char *StatusText(uint32_t status)
{
    if (status & 1)
        return "在线";
    if (status & 2)
        return "已下线";
    if (status & 4)
        return "忙碌";
    if (status & 8)
        return "离开";
    return "状态未知";
}

BEGIN_MESSAGE_MAP(CTranscriptEdit, CEdit)
ON_WM_CONTEXTMENU()
END_MESSAGE_MAP()

bool CTranscriptEdit::IsCommandEnabled(int command) const
{
    int start = 0, end = 0;
    GetSel(start, end);
    const int length = GetWindowTextLength();
    switch (command) {
    case CopyCommand:
        return start != end;
    case SelectAllCommand:
        return length > 0 && !(start == 0 && end == length);
    case ClearCommand:
        return length > 0;
    default:
        return false;
    }
}

void CTranscriptEdit::RunCommand(int command)
{
    switch (command) {
    case CopyCommand:
        SendMessage(WM_COPY);
        break;
    case SelectAllCommand:
        SetSel(0, -1);
        SendMessage(EM_SCROLLCARET);
        break;
    case ClearCommand:
        SetWindowText("");
        if (CurrentPartner && CurrentPartner->log != INVALID_HANDLE_VALUE) {
            SetFilePointer(CurrentPartner->log, 0, nullptr, FILE_BEGIN);
            SetEndOfFile(CurrentPartner->log);
        }
        break;
    default:
        break;
    }
}

void CTranscriptEdit::OnContextMenu(CWnd *, CPoint pos)
{
    CMenu menu;
    menu.CreatePopupMenu();
    menu.AppendMenu(MF_STRING | (IsCommandEnabled(CopyCommand) ? 0 : MF_GRAYED), CopyCommand, "复制(&C)");
    menu.AppendMenu(MF_SEPARATOR);
    menu.AppendMenu(MF_STRING | (IsCommandEnabled(SelectAllCommand) ? 0 : MF_GRAYED), SelectAllCommand, "全选(&A)");
    menu.AppendMenu(MF_STRING | (IsCommandEnabled(ClearCommand) ? 0 : MF_GRAYED), ClearCommand, "清屏(&E)");
    const int chosen = menu.TrackPopupMenu(TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, pos.x, pos.y, this);
    menu.DestroyMenu();
    if (chosen)
        RunCommand(chosen);
    FocusInput();
}

BEGIN_MESSAGE_MAP(CTranscriptPane, CDialog)
ON_WM_SIZE()
ON_WM_ERASEBKGND()
ON_WM_PAINT()
ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CTranscriptPane::CTranscriptPane() : m_white(kWhite), m_blue(kPaneBlue) {}

CTranscriptPane::~CTranscriptPane()
{
    if (ChatGlobals().transcriptPane == this) {
        ChatGlobals().transcriptPane = nullptr;
        ChatGlobals().transcriptEdit = 0;
        ChatGlobals().transcriptCaption = 0;
    }
}

BOOL CTranscriptPane::Create(CWnd *parent)
{
    return CDialog::Create(IDD_TRANSCRIPT, parent);
}

BOOL CTranscriptPane::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_edit.SubclassDlgItem(IDC_EDIT, this);
    m_edit.SetLimitText(2147483646u);
    m_caption.Create(SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE | SS_ENDELLIPSIS, RECT{24, 3, 200, 21}, this,
                     IDC_CAPTION);
    m_caption.SetFont(GetFont());
    m_caption.SetBackgroundPainter([this](CDC &dc, const RECT &inParent) { PaintBackground(dc, inParent); });
    ChatGlobals().transcriptPane = this;
    ChatGlobals().transcriptEdit = m_edit.m_hWnd;
    ChatGlobals().transcriptCaption = m_caption.m_hWnd;
    RECT r{};
    GetClientRect(&r);
    OnSize(0, r.right, r.bottom);
    return FALSE;
}

void CTranscriptPane::Append(const char *text, size_t length, HANDLE log)
{
    std::string piece(text, length);
    piece.erase(std::remove(piece.begin(), piece.end(), '\0'), piece.end());
    if (m_edit.m_hWnd) {
        m_edit.SetSel(-1, -1);
        m_edit.ReplaceSel("\r\n");
        m_edit.ReplaceSel(piece.c_str());
        m_edit.SendMessage(EM_SCROLLCARET);
    }
    if (log != INVALID_HANDLE_VALUE) {
        const std::string logged = "\r\n" + piece;
        SetFilePointer(log, 0, nullptr, FILE_END);
        DWORD written = 0;
        WriteFile(log, logged.data(), static_cast<DWORD>(logged.size()), &written, nullptr);
    }
}

void CTranscriptPane::ShowConversation(ChatUser *user)
{
    if (user == CurrentPartner) {
        FocusInput();
        return;
    }
    m_edit.SetWindowText("");
    CurrentPartner = user;
    if (user) {
        char caption[96];
        std::snprintf(caption, sizeof caption, "[%s] %.63s", StatusText(user->status), user->name);
        m_caption.SetText(caption);
    } else {
        m_caption.SetText("");
    }
    const RECT icon{6, 8, 21, 16};
    InvalidateRect(&icon, TRUE);
    const std::string text = ReadConversationLog(user ? user->log : ChatGlobals().generalLog);
    if (!text.empty()) {
        m_edit.SetSel(-1, -1);
        m_edit.ReplaceSel(text.c_str());
        m_edit.SendMessage(EM_SCROLLCARET);
    }
    FocusInput();
}

void CTranscriptPane::ClearCaption()
{
    m_caption.SetText("");
    const RECT icon{6, 8, 21, 16};
    InvalidateRect(&icon, TRUE);
}

void CTranscriptPane::OnSize(UINT, int cx, int cy)
{
    m_editFrame = RECT{0, 24, cx, cy};
    const UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    if (m_edit.m_hWnd)
        m_edit.SetWindowPos(nullptr, 6, 27, std::max(cx - 12, 0), std::max(cy - 27, 0), flags);
    if (m_caption.m_hWnd)
        m_caption.SetWindowPos(nullptr, 24, 3, std::max(cx - 30, 0), 18, flags);
    Invalidate(TRUE);
}

void CTranscriptPane::PaintBackground(CDC &dc, const RECT &at)
{
    RECT client{};
    GetClientRect(&client);
    const int cx = client.right, bottom = client.bottom;
    const int dx = -at.left, dy = -at.top;
    for (int x = 0; x < cx; x += 23)
        DrawPicture(dc, IDB_BANNER_TILE, x + dx, dy);
    DrawPicture(dc, IDB_BANNER_LEFT, dx, dy);
    DrawPicture(dc, IDB_BANNER_RIGHT, cx - 4 + dx, dy);
    dc.FillSolidRect(1 + dx, 24 + dy, 5, bottom - 24, kWhite);
    dc.FillSolidRect(cx - 6 + dx, 24 + dy, 5, bottom - 24, kWhite);
    dc.FillSolidRect(6 + dx, 24 + dy, cx - 12, 3, kWhite);
    dc.FillSolidRect(dx, 24 + dy, 1, bottom - 24, kBorderBlue);
    dc.FillSolidRect(cx - 1 + dx, 24 + dy, 1, bottom - 24, kBorderBlue);
    if (CurrentPartner) {
        const uint32_t s = CurrentPartner->status;
        const WORD icon = (s & 1) ? IDB_STATUS_ONLINE : (s & 4) ? IDB_STATUS_BUSY : (s & 8) ? IDB_STATUS_AWAY
                                                                                          : IDB_STATUS_OFFLINE;
        DrawPicture(dc, icon, 6 + dx, 8 + dy, -1, -1, true);
    }
}

BOOL CTranscriptPane::OnEraseBkgnd(CDC *dc)
{
    RECT client{};
    GetClientRect(&client);
    PaintBackground(*dc, client);
    return TRUE;
}

void CTranscriptPane::OnPaint()
{
    // The banner is painted whole with every paint, erased or not.
    CPaintDC dc(this);
    RECT client{};
    GetClientRect(&client);
    PaintBackground(dc, client);
}

HBRUSH CTranscriptPane::OnCtlColor(CDC *dc, CWnd *wnd, UINT ctlColor)
{
    if (wnd && wnd->m_hWnd == m_edit.m_hWnd) {
        dc->SetBkColor(kWhite);
        return static_cast<HBRUSH>(m_white.GetSafeHandle());
    }
    if (wnd && wnd->m_hWnd == m_caption.m_hWnd) {
        dc->SetTextColor(kLabelText);
        return 0;
    }
    return CDialog::OnCtlColor(dc, wnd, ctlColor);
}

BOOL CTranscriptPane::PreTranslateMessage(MSG *msg)
{
    if (msg->message == WM_KEYDOWN && msg->hwnd == m_edit.m_hWnd && ChatGlobals().inputEdit) {
        const bool ctrl = GetKeyState(VK_CONTROL) < 0;
        if (!ctrl || msg->wParam == VK_RETURN) {
            ::win::SetFocus(ChatGlobals().inputEdit);
            PostMessageA(ChatGlobals().inputEdit, msg->message, msg->wParam, msg->lParam);
            return TRUE;
        }
    }
    return CDialog::PreTranslateMessage(msg);
}

} // namespace chatui
