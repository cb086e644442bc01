#include "platform/appframe/CCmdTarget.h"

#include "platform/appframe/CWinApp.h"

namespace win {

const AFX_MSGMAP *CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP *CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

const AFX_MSGMAP_ENTRY *CCmdTarget::FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const
{
    for (const AFX_MSGMAP *map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY *e = map->lpEntries; e->pfn; ++e) {
            if (e->nMessage == nMessage && e->nCode == nCode && nID >= e->nID && nID <= e->nLastID)
                return e;
        }
    }
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void *pExtra, void *pHandlerInfo)
{
    const AFX_MSGMAP_ENTRY *e = FindMessageEntry(WM_COMMAND, static_cast<UINT>(nCode), nID);
    if (!e)
        return FALSE;
    if (pHandlerInfo) {
        auto *info = static_cast<AFX_CMDHANDLERINFO *>(pHandlerInfo);
        info->pTarget = this;
        info->pEntry = e;
        return TRUE;
    }
    e->pfn(this, nID, 0, pExtra);
    return TRUE;
}

void CCmdTarget::BeginWaitCursor() { AfxWaitCursor(1); }

void CCmdTarget::EndWaitCursor() { AfxWaitCursor(-1); }

void CCmdTarget::RestoreWaitCursor() { AfxWaitCursor(0); }

} // namespace win
