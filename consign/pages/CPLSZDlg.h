// The batch settings page: the trader's batch groups as the gateway keeps them,
// each an ordered list of members (customer, quantity, priority). The page
// edits a group's members in its list and writes the group back; only a trader
// with the batch right may use it.
#pragma once

#include "consign/pages/cdxCSizingPropPage.h"
#include "platform/appframe/CListCtrl.h"

class CPLSZDlg : public cdxCSizingPropPage {
public:
    enum { IDD = 175 };
    CPLSZDlg();

    win::BOOL OnInitDialog() override;
    void DoDataExchange(win::CDataExchange *pDX) override;
    win::BOOL OnSetActive() override;
    win::BOOL OnKillActive() override;
    win::BOOL PreTranslateMessage(win::MSG *pMsg) override;
    void OnOK() override {}
    // Leaving: unsaved changes are saved or dropped.
    void OnCancel() override;

    // The groups from the session's table (answer 214).
    void RefreshGroups();
    // After a reconnection.
    void Reset();

    void OnQuery();
    void OnAddMember();
    void OnModifyMember();
    void OnDeleteMember();
    void OnSave();
    void OnMoveUp();
    void OnMoveDown();
    void OnMoveTop();
    void OnMoveBottom();
    void OnAddGroup();
    void OnDeleteGroup();
    void OnGroupClick();

    win::CListCtrl m_GroupList;  // 1069
    win::CListCtrl m_MemberList; // 1093
    size_t m_nGroup = 0;         // the current group
    int m_nNextPriority = 1;
    int m_nRememberedRow = -1;
    int m_nRememberedPriority = 0;
    bool m_bModified = false;

    static constexpr int COLUMNS = 4;
    // A group holds at most this many members.
    static constexpr int MAX_MEMBERS = 111;

protected:
    void OnMemberChanged(win::NMHDR *pNMHDR, win::LRESULT *pResult);
    void OnMemberSetFocus(win::NMHDR *pNMHDR, win::LRESULT *pResult);
    void OnMemberKillFocus(win::NMHDR *pNMHDR, win::LRESULT *pResult);
    void OnGroupClicked(win::NMHDR *pNMHDR, win::LRESULT *pResult);
    DECLARE_MESSAGE_MAP()

private:
    bool MayEdit() const;
    void EnableAll(bool enable);
    void EnableEditButtons(bool enable);
    void ListMembers();
    void ShowNextPriority();
    int AddMemberRow(int priority, const char *trader, const char *customer, int quantity);
    void SortByPriority();
    void Renumber();
    void Move(int to);
    int FindCustomer(const win::CString &customer) const;
    bool CheckMemberCustomer(win::CString &customer);
    bool CheckMemberQuantity(int &quantity);
    bool ReadPriority(int &priority);
    void FocusEdit(int id);
    // Sends a group: false after a message when it could not be written.
    bool SendGroup(size_t index);
    void Leave();
};
