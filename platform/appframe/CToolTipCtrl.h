// The framework's tool tip: a CWnd over a tool tip window. Tools are a window
// and an id with a rectangle of that window (or the whole window) and a text;
// the owner relays its mouse messages (RelayEvent) and the tip shows the text of
// the tool under the pointer, without activation.
#pragma once

#include "platform/appframe/CWnd.h"
#include "platform/appframe/CommCtrl.h"

namespace win {

class CToolTipCtrl : public CWnd {
public:
    CToolTipCtrl() = default;

    BOOL Create(CWnd *pParentWnd, DWORD dwStyle = 0);

    // A tool of pWnd: the rectangle (client coordinates of pWnd) with id
    // nIDTool, or without a rectangle the whole window.
    BOOL AddTool(CWnd *pWnd, LPCSTR lpszText, LPCRECT lpRectTool = nullptr, UINT_PTR nIDTool = 0);
    void DelTool(CWnd *pWnd, UINT_PTR nIDTool = 0);
    void SetToolRect(CWnd *pWnd, UINT_PTR nIDTool, LPCRECT lpRect);
    void UpdateTipText(LPCSTR lpszText, CWnd *pWnd, UINT_PTR nIDTool = 0);
    BOOL GetToolInfo(TOOLINFO &toolInfo, CWnd *pWnd, UINT_PTR nIDTool = 0) const;
    int GetToolCount() const;
    // Hands a message of the owner's to the tip (mouse moves and presses).
    void RelayEvent(MSG *pMsg);
    void Activate(BOOL bActivate);
    void Pop();
};

} // namespace win
