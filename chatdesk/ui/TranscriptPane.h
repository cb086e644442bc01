// The transcript pane: the caption with the partner's status and name over the
// read-only transcript edit, and the conversation logs behind it. Every entry
// is appended to the edit and to the conversation's temporary log alike; a
// change of partner rebuilds the edit from the new partner's log.
#pragma once

#include <cstddef>
#include <string>

#include "chatdesk/ChatUser.h"
#include "chatdesk/ui/TransparentStatic.h"
#include "platform/appframe/CDialog.h"
#include "platform/appframe/CEdit.h"

namespace chatui {

// The whole text of a conversation log, read from its start in blocks of 8192
// bytes; a character split by a block stays whole and NUL bytes are left out.
// The file pointer ends at the end of what was read.
std::string ReadConversationLog(win::HANDLE log);

// The status word as the caption says it.
const char *StatusText(uint32_t status);

// The transcript edit and its context menu (复制, 全选, 清屏).
class CTranscriptEdit : public win::CEdit {
public:
    enum Command { CopyCommand = 1, SelectAllCommand = 2, ClearCommand = 3 };
    // Whether a command of the menu is offered now.
    bool IsCommandEnabled(int command) const;
    // Runs a command of the menu.
    void RunCommand(int command);

protected:
    void OnContextMenu(win::CWnd *wnd, win::CPoint pos);
    DECLARE_MESSAGE_MAP()
};

class CTranscriptPane : public win::CDialog {
public:
    CTranscriptPane();
    ~CTranscriptPane() override;
    win::BOOL Create(win::CWnd *parent);

    // Puts "\r\n" and the text at the end of the edit and scrolls the caret into
    // view; with a log, writes the same to it.
    void Append(const char *text, size_t length, win::HANDLE log = win::INVALID_HANDLE_VALUE);
    // Makes the user (or none) the partner and shows his conversation.
    void ShowConversation(ChatUser *user);
    void ClearCaption();

    CTranscriptEdit &Edit() { return m_edit; }
    CTransparentStatic &Caption() { return m_caption; }
    // Paints the pane's background as it lies under `inParent` onto `dc`.
    void PaintBackground(win::CDC &dc, const win::RECT &inParent);

protected:
    win::BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}
    win::BOOL PreTranslateMessage(win::MSG *msg) override;
    void OnSize(win::UINT type, int cx, int cy);
    win::BOOL OnEraseBkgnd(win::CDC *dc);
    void OnPaint();
    win::HBRUSH OnCtlColor(win::CDC *dc, win::CWnd *wnd, win::UINT ctlColor);
    DECLARE_MESSAGE_MAP()

    CTranscriptEdit m_edit;
    CTransparentStatic m_caption;
    win::RECT m_editFrame{0, 24, 0, 0};
    win::CBrush m_white;
    win::CBrush m_blue;
};

} // namespace chatui
