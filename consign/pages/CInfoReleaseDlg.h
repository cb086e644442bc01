// A message the gateway broadcasts, or an error text, shown without blocking
// anything for the options page's stay time (0: until its button is pressed).
// Made on the heap and shown modeless; it deletes itself when its window is
// gone.
#pragma once

#include "platform/appframe/CDialog.h"

class CInfoReleaseDlg : public win::CDialog {
public:
    enum { IDD = 164 };
    static constexpr int RECORD_SIZE = 376;

    // Keeps a copy of the first `length` bytes of the information record (at
    // most 376; the rest zero); `record` may be null.
    CInfoReleaseDlg(const win::BYTE *record, int length, int staySeconds, win::CWnd *pParent = nullptr);

    // The record's message: kind "人工" or "系统", the level's word, sender,
    // time, subject and text.
    void ShowMessage();
    // An error text under the caption "错误信息".
    void ShowError(win::LPCSTR kind, win::LPCSTR level, win::LPCSTR message);
    // The same under the dialog's own caption (the exchange states); false when
    // the window could not be made (the object is then gone).
    bool ShowNotice(win::LPCSTR kind, win::LPCSTR level, win::LPCSTR message);

    win::BOOL OnInitDialog() override;
    void DoDataExchange(win::CDataExchange *pDX) override;

    win::BYTE m_Record[RECORD_SIZE];
    int m_nStay;
    win::CString m_strSubject;
    win::CString m_strSender;
    win::CString m_strTime;
    win::CString m_strKind;
    win::CString m_strLevel;
    win::CString m_strText;

protected:
    void OnOK() override;
    void OnCancel() override;
    void OnTimer(win::UINT_PTR nIDEvent);
    void PostNcDestroy() override;
    DECLARE_MESSAGE_MAP()

private:
    bool Open();
    // Ends the dialog: with a running timer the window only hides until the
    // timer destroys it; without one nothing else would, so it goes now.
    void Close(int result);
    win::CString Field(int at, int width) const;
    win::CWnd *parent_;
};
