#include <string>
#include <vector>

#include "platform/appframe/CButton.h"
#include "platform/appframe/CComboBox.h"
#include "platform/appframe/CDataExchange.h"
#include "platform/appframe/CDateTimeCtrl.h"
#include "platform/appframe/CRichEditCtrl.h"
#include "platform/appframe/CDialog.h"
#include "platform/appframe/CEdit.h"
#include "platform/appframe/CListBox.h"
#include "platform/appframe/CSpinButtonCtrl.h"
#include "platform/appframe/CStatic.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/SystemInfo.h"
#include "tests/platform/appframe/AppframeFixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>

#include <cstring>

#include "platform/forms/WindowHost.h"

using namespace win;

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kNoteBack = RGB(255, 255, 231);

// An owner-drawn button: red, blue while pressed.
class CPadButton : public CButton {
public:
    std::vector<UINT> states;
    void DrawItem(LPDRAWITEMSTRUCT dis) override
    {
        states.push_back(dis->itemState);
        CDC *dc = CDC::FromHandle(dis->hDC);
        dc->FillSolidRect(&dis->rcItem, (dis->itemState & ODS_SELECTED) ? kBlue : kRed);
    }
};

// An owner-drawn list without strings: the data is a colour, sorted by value.
class CColorList : public CListBox {
public:
    int deleted = 0;
    void MeasureItem(LPMEASUREITEMSTRUCT mis) override { mis->itemHeight = 10; }
    void DrawItem(LPDRAWITEMSTRUCT dis) override
    {
        CDC *dc = CDC::FromHandle(dis->hDC);
        dc->FillSolidRect(&dis->rcItem, (dis->itemState & ODS_SELECTED) ? RGB(0, 0, 0) : static_cast<COLORREF>(dis->itemData));
    }
    int CompareItem(LPCOMPAREITEMSTRUCT cis) override
    {
        return cis->itemData1 < cis->itemData2 ? -1 : cis->itemData1 > cis->itemData2 ? 1 : 0;
    }
    void DeleteItem(LPDELETEITEMSTRUCT) override { ++deleted; }
};

const DialogItemTemplate kItems[] = {
    {"Button", 1010, 5, 5, 40, 20, BS_OWNERDRAW | WS_TABSTOP, 0, ""},
    {"ListBox", 1011, 50, 5, 60, 12, LBS_OWNERDRAWFIXED | LBS_SORT | LBS_NOTIFY | WS_VSCROLL, 0, nullptr},
    {"Edit", 1012, 5, 30, 60, 12, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0, ""},
    {"Edit", 1013, 5, 45, 100, 40, ES_MULTILINE | ES_READONLY | WS_VSCROLL, 0, ""},
    {"ComboBox", 1014, 115, 5, 60, 60, CBS_DROPDOWNLIST | WS_TABSTOP, 0, nullptr},
    {"Button", 1015, 115, 25, 40, 10, BS_AUTORADIOBUTTON | WS_GROUP, 0, "甲"},
    {"Button", 1016, 115, 35, 40, 10, BS_AUTORADIOBUTTON, 0, "乙"},
    {"Button", 1017, 115, 45, 40, 10, BS_AUTORADIOBUTTON | WS_GROUP, 0, "丙"},
    {"Button", 1018, 115, 55, 40, 10, BS_AUTOCHECKBOX | WS_TABSTOP, 0, "选项"},
    {"Static", 1019, 115, 70, 60, 10, SS_LEFT, 0, "说明"},
    {"Edit", 1020, 5, 90, 40, 12, WS_BORDER | ES_NUMBER, 0, "5"},
    {"msctls_updown32", 1021, 0, 0, 10, 12, UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS, 0, nullptr},
};
const DialogTemplate kDialog = {WS_POPUP | WS_CAPTION, 0, 0, 0, 190, 110, "控件", "宋体", 9, kItems, 12};

class CControlsDlg : public CDialog {
public:
    CPadButton pad;
    CColorList list;
    CEdit transcript;
    CComboBox combo;
    CSpinButtonCtrl spin;
    std::vector<std::string> log;
    CBrush noteBrush{kNoteBack};

    void DoDataExchange(CDataExchange *pDX) override
    {
        DDX_Control(pDX, 1010, pad);
        DDX_Control(pDX, 1011, list);
        DDX_Control(pDX, 1013, transcript);
        DDX_Control(pDX, 1014, combo);
        DDX_Control(pDX, 1021, spin);
    }

protected:
    void OnPad() { log.push_back("pad"); }
    void OnListDblClk() { log.push_back("dblclk"); }
    void OnListSel() { log.push_back("listsel"); }
    void OnComboSel() { log.push_back("combosel " + std::to_string(combo.GetCurSel())); }
    HBRUSH OnCtlColor(CDC *pDC, CWnd *pWnd, UINT nCtlColor)
    {
        if (nCtlColor == CTLCOLOR_STATIC && pWnd->GetDlgCtrlID() == 1019) {
            pDC->SetTextColor(kBlue);
            pDC->SetBkMode(TRANSPARENT);
            return static_cast<HBRUSH>(noteBrush.m_hObject);
        }
        return CDialog::OnCtlColor(pDC, pWnd, nCtlColor);
    }
    void OnVScroll(WPARAM w, LPARAM) { log.push_back("vscroll " + std::to_string(static_cast<int16_t>(HIWORD(w)))); }
    LRESULT OnVScrollMessage(WPARAM w, LPARAM l)
    {
        OnVScroll(w, l);
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CControlsDlg, CDialog)
    ON_BN_CLICKED(1010, OnPad)
    ON_LBN_DBLCLK(1011, OnListDblClk)
    ON_LBN_SELCHANGE(1011, OnListSel)
    ON_CBN_SELCHANGE(1014, OnComboSel)
    ON_WM_CTLCOLOR()
    ON_MESSAGE(WM_VSCROLL, OnVScrollMessage)
END_MESSAGE_MAP()

class ControlsTest : public appframetest::AppframeFixture {
protected:
    void SetUp() override
    {
        AppframeFixture::SetUp();
        ASSERT_TRUE(dlg.CreateIndirect(kDialog));
        appframetest::ShowActive(dlg);
    }
    // The colour of a pixel of a control's own image, after painting it.
    COLORREF Pixel(CWnd &control, int x, int y)
    {
        control.Invalidate();
        control.UpdateWindow();
        CClientDC dc(&control);
        return dc.GetPixel(x, y);
    }
    static LPARAM At(int x, int y) { return static_cast<LPARAM>(MAKELONG(static_cast<WORD>(x), static_cast<WORD>(y))); }
    CControlsDlg dlg;
};

TEST_F(ControlsTest, OwnerDrawnButtonPaintsThroughCDCAndClicks)
{
    EXPECT_EQ(Pixel(dlg.pad, 3, 3), kRed);
    dlg.pad.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(3, 3));
    EXPECT_EQ(Pixel(dlg.pad, 3, 3), kBlue);
    EXPECT_TRUE(dlg.pad.states.back() & ODS_SELECTED);
    dlg.pad.SendMessage(WM_LBUTTONUP, 0, At(3, 3));
    EXPECT_EQ(Pixel(dlg.pad, 3, 3), kRed);
    EXPECT_EQ(dlg.log, std::vector<std::string>{"pad"});
    // Released outside: no click.
    dlg.pad.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(3, 3));
    dlg.pad.SendMessage(WM_LBUTTONUP, 0, At(500, 3));
    dlg.pad.SendMessage(BM_CLICK);
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"pad", "pad"}));
}

TEST_F(ControlsTest, OwnerDrawnListSortsPaintsAndFindsItems)
{
    CColorList &list = dlg.list;
    for (COLORREF c : {RGB(0, 0, 3), RGB(0, 0, 1), RGB(0, 0, 2)})
        list.AddString(reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(c)));
    ASSERT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.GetItemData(0), RGB(0, 0, 1));
    EXPECT_EQ(list.GetItemData(2), RGB(0, 0, 3));
    EXPECT_EQ(list.GetItemHeight(0), 10);
    EXPECT_EQ(Pixel(list, 5, 5), RGB(0, 0, 1));
    EXPECT_EQ(Pixel(list, 5, 15), RGB(0, 0, 2));
    BOOL outside = TRUE;
    EXPECT_EQ(list.ItemFromPoint(CPoint(5, 15), outside), 1u);
    EXPECT_FALSE(outside);
    list.ItemFromPoint(CPoint(5, 400), outside);
    EXPECT_TRUE(outside);
    list.SetCurSel(1);
    EXPECT_EQ(Pixel(list, 5, 15), RGB(0, 0, 0));
    EXPECT_TRUE(dlg.log.empty());
    // The user's click selects and notifies; a double click too.
    list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(5, 5));
    list.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, At(5, 5));
    EXPECT_EQ(list.GetCurSel(), 0);
    EXPECT_EQ(dlg.log, (std::vector<std::string>{"listsel", "dblclk"}));
    ASSERT_GE(list.SetTopIndex(1), 0);
    EXPECT_EQ(list.GetTopIndex(), 1);
    EXPECT_EQ(Pixel(list, 5, 5), RGB(0, 0, 2));
    list.ResetContent();
    EXPECT_EQ(list.deleted, 3);
    EXPECT_EQ(list.GetCount(), 0);
}

TEST_F(ControlsTest, EditLimitsTypingAndAppendsToATranscript)
{
    CEdit edit;
    ASSERT_TRUE(edit.SubclassDlgItem(1012, &dlg));
    edit.LimitText(4);
    dlg.GotoDlgCtrl(&edit);
    ASSERT_TRUE(appframetest::PumpUntil([&] { return CWnd::GetFocus() == &edit; }));
    for (unsigned char c : std::string("a中文b"))
        edit.PostMessage(WM_CHAR, c, 1);
    appframetest::Pump(100);
    CString text;
    edit.GetWindowText(text);
    // "文" would pass the 4 bytes.
    EXPECT_STREQ(text, "a中b");
    // The program's own text is not limited.
    edit.SetWindowText("abcdefg");
    edit.GetWindowText(text);
    EXPECT_STREQ(text, "abcdefg");
    edit.SetSel(2, 4);
    int start = 0;
    int end = 0;
    edit.GetSel(start, end);
    EXPECT_EQ(start, 2);
    EXPECT_EQ(end, 4);
    edit.UnsubclassWindow();

    CEdit &log = dlg.transcript;
    for (const char *line : {"第一行", "second"}) {
        log.SetSel(-1, -1);
        log.ReplaceSel("\r\n");
        log.SetSel(-1, -1);
        log.ReplaceSel(line);
    }
    log.GetWindowText(text);
    EXPECT_STREQ(text, "\r\n第一行\r\nsecond");
    EXPECT_EQ(log.GetLineCount(), 3);
    log.SetSel(0, -1);
    log.GetSel(start, end);
    EXPECT_EQ(end, text.GetLength());
}

TEST_F(ControlsTest, EditCueMarginsAndCopy)
{
    // The dialog shown by the fixture is the foreground window.
    EXPECT_EQ(GetForegroundWindow(), dlg.m_hWnd);
    CEdit edit;
    ASSERT_TRUE(edit.SubclassDlgItem(1012, &dlg));
    auto *line = qobject_cast<QLineEdit *>(WindowWidget(edit.m_hWnd));
    ASSERT_NE(line, nullptr);
    EXPECT_TRUE(edit.SendMessage(EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>("查找用户")));
    EXPECT_EQ(line->placeholderText(), QString::fromUtf8(u8"查找用户"));
    edit.SendMessage(EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(""));
    EXPECT_TRUE(line->placeholderText().isEmpty());
    edit.SendMessage(EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELONG(3, 4));
    EXPECT_EQ(edit.SendMessage(EM_GETMARGINS), MAKELONG(3, 4));
    EXPECT_EQ(line->textMargins().left(), 3);
    EXPECT_EQ(line->textMargins().right(), 4);
    edit.SetWindowText("copy中文");
    edit.SetSel(4, 6);
    edit.SendMessage(WM_COPY);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QString::fromUtf8(u8"中"));
    edit.UnsubclassWindow();
}

TEST_F(ControlsTest, ComboSelectsByLetterAndNotifiesOnlyTheUsersChoice)
{
    CComboBox &combo = dlg.combo;
    for (const char *item : {"A.买入", "B.卖出", "C.撤单"})
        combo.AddString(item);
    EXPECT_EQ(combo.GetCurSel(), CB_ERR);
    combo.SetCurSel(0);
    EXPECT_TRUE(dlg.log.empty());
    CString text;
    combo.GetLBText(1, text);
    EXPECT_STREQ(text, "B.卖出");
    EXPECT_EQ(combo.FindStringExact(-1, "c.撤单"), 2);
    dlg.GotoDlgCtrl(&combo);
    combo.PostMessage(WM_CHAR, 'B', 1);
    ASSERT_TRUE(appframetest::PumpUntil([&] { return !dlg.log.empty(); }));
    EXPECT_EQ(dlg.log, std::vector<std::string>{"combosel 1"});
    combo.ResetContent();
    EXPECT_EQ(combo.GetCount(), 0);
}

TEST_F(ControlsTest, EditableComboShowsItsTextInItsOneVisibleLine)
{
    // The rectangle's height includes the drop-down list, as in a template.
    CComboBox editable;
    // Made hidden and shown later, as a property page's controls are.
    ASSERT_TRUE(editable.Create(CBS_DROPDOWN | WS_VSCROLL, CRect(200, 5, 300, 140), &dlg, 2010));
    editable.AddString("10000001");
    editable.SetCurSel(0);
    editable.ShowWindow(SW_SHOW);
    appframetest::Pump(50);
    auto *box = qobject_cast<QComboBox *>(WindowWidget(editable.m_hWnd));
    ASSERT_NE(box, nullptr);
    ASSERT_NE(box->lineEdit(), nullptr);
    EXPECT_EQ(box->lineEdit()->text(), QString("10000001"));
    // The edit field lies inside the box's one line, so its text is seen.
    EXPECT_LT(box->height(), 40);
    EXPECT_LE(box->lineEdit()->geometry().bottom(), box->height());
    EXPECT_GE(box->lineEdit()->height(), box->fontMetrics().height());
}

TEST_F(ControlsTest, RichEditCentresAndSizesItsSelection)
{
    CRichEditCtrl statement;
    ASSERT_TRUE(statement.Create(ES_MULTILINE | ES_READONLY | WS_VSCROLL | WS_VISIBLE, CRect(5, 150, 300, 230), &dlg, 2011));
    statement.SetWindowText("标题\r\n正文");
    statement.SetSel(0, 4);
    PARAFORMAT pf{};
    pf.dwMask = PFM_ALIGNMENT;
    pf.wAlignment = PFA_CENTER;
    EXPECT_TRUE(statement.SetParaFormat(pf));
    CHARFORMAT cf{};
    cf.dwMask = CFM_SIZE | CFM_FACE | CFM_BOLD;
    cf.yHeight = 14 * 20;
    cf.dwEffects = CFE_BOLD;
    std::strcpy(cf.szFaceName, "黑体");
    EXPECT_TRUE(statement.SetSelectionCharFormat(cf));
    statement.SetSel(0, 0);
    appframetest::Pump(20);

    // The text is what it was; only its look changed.
    CString text;
    statement.GetWindowText(text);
    EXPECT_STREQ(text, "标题\r\n正文");
    EXPECT_EQ(statement.GetLineCount(), 2);
    auto *edit = qobject_cast<QTextEdit *>(WindowWidget(statement.m_hWnd));
    ASSERT_NE(edit, nullptr);
    QTextBlock title = edit->document()->firstBlock();
    QTextBlock body = title.next();
    QTextCursor inTitle(title);
    inTitle.movePosition(QTextCursor::Right);
    EXPECT_EQ(inTitle.charFormat().fontPointSize(), 14.0);
    EXPECT_EQ(inTitle.charFormat().fontWeight(), QFont::Bold);
    QTextCursor inBody(body);
    inBody.movePosition(QTextCursor::Right);
    EXPECT_NE(inBody.charFormat().fontPointSize(), 14.0);
    // The title's line is laid out in the middle, the body's at the left.
    ASSERT_GT(title.layout()->lineCount(), 0);
    const QRectF titleLine = title.layout()->lineAt(0).naturalTextRect();
    const QRectF bodyLine = body.layout()->lineAt(0).naturalTextRect();
    EXPECT_GT(titleLine.left(), 40);
    EXPECT_LT(bodyLine.left(), 5);

    // A new text starts plain, whatever the old one looked like.
    statement.SetWindowText("新的\r\n文本");
    QTextCursor first(edit->document()->firstBlock());
    first.movePosition(QTextCursor::Right);
    EXPECT_NE(first.charFormat().fontPointSize(), 14.0);
    EXPECT_FALSE(edit->document()->firstBlock().blockFormat().alignment() & Qt::AlignHCenter);
}

TEST_F(ControlsTest, RadioGroupsCheckBoxesAndTheirDataExchange)
{
    dlg.SendDlgItemMessage(1016, BM_CLICK);
    EXPECT_EQ(dlg.IsDlgButtonChecked(1016), 1u);
    dlg.SendDlgItemMessage(1017, BM_CLICK);
    // 1017 starts a group of its own.
    EXPECT_EQ(dlg.IsDlgButtonChecked(1016), 1u);
    dlg.SendDlgItemMessage(1015, BM_CLICK);
    EXPECT_EQ(dlg.IsDlgButtonChecked(1016), 0u);
    int radio = -1;
    int check = 1;
    {
        CDataExchange dx(&dlg, TRUE);
        DDX_Radio(&dx, 1015, radio);
        DDX_Check(&dx, 1018, check);
    }
    EXPECT_EQ(radio, 0);
    EXPECT_EQ(check, 0);
    radio = 1;
    check = 1;
    {
        CDataExchange dx(&dlg, FALSE);
        DDX_Radio(&dx, 1015, radio);
        DDX_Check(&dx, 1018, check);
    }
    EXPECT_EQ(dlg.IsDlgButtonChecked(1015), 0u);
    EXPECT_EQ(dlg.IsDlgButtonChecked(1016), 1u);
    EXPECT_EQ(dlg.IsDlgButtonChecked(1018), 1u);
}

TEST_F(ControlsTest, StaticTakesItsColoursFromOnCtlColor)
{
    CStatic note;
    ASSERT_TRUE(note.SubclassDlgItem(1019, &dlg));
    EXPECT_EQ(Pixel(note, 1, 1), kNoteBack);
    note.UnsubclassWindow();
}

TEST_F(ControlsTest, SpinStepsItsBuddyAndTellsTheParent)
{
    CSpinButtonCtrl &spin = dlg.spin;
    spin.SetRange(0, 10);
    EXPECT_EQ(spin.GetPos(), 5);
    EXPECT_EQ(spin.GetBuddy()->GetDlgCtrlID(), 1020);
    spin.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(2, 1));
    CString text;
    dlg.GetDlgItemText(1020, text);
    EXPECT_STREQ(text, "6");
    EXPECT_EQ(dlg.log, std::vector<std::string>{"vscroll 6"});
    spin.SetPos(99);
    dlg.GetDlgItemText(1020, text);
    EXPECT_STREQ(text, "10");
}

TEST_F(ControlsTest, ControlsMadeAtRunTime)
{
    CListBox multi;
    ASSERT_TRUE(multi.Create(LBS_MULTIPLESEL | LBS_NOTIFY | WS_VISIBLE, CRect(200, 5, 260, 60), &dlg, 2001));
    for (const char *item : {"一", "二", "三"})
        multi.AddString(item);
    EXPECT_EQ(multi.SetCurSel(0), LB_ERR);
    multi.SetSel(-1, TRUE);
    EXPECT_EQ(multi.GetSelCount(), 3);
    multi.SetSel(1, FALSE);
    int selected[4] = {};
    ASSERT_EQ(multi.GetSelItems(4, selected), 2);
    EXPECT_EQ(selected[0], 0);
    EXPECT_EQ(selected[1], 2);
    // A click toggles an item.
    CRect second;
    multi.GetItemRect(1, &second);
    multi.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(2, second.top + 1));
    EXPECT_EQ(multi.GetSel(1), 1);
    CString text;
    multi.GetText(2, text);
    EXPECT_STREQ(text, "三");

    CRichEditCtrl statement;
    ASSERT_TRUE(statement.Create(ES_MULTILINE | ES_READONLY | WS_VSCROLL | WS_VISIBLE, CRect(5, 150, 200, 200), &dlg, 2002));
    statement.SetWindowText("结算单\r\n第二行");
    statement.GetWindowText(text);
    EXPECT_STREQ(text, "结算单\r\n第二行");
    EXPECT_EQ(statement.GetLineCount(), 2);

    CDateTimeCtrl date;
    ASSERT_TRUE(date.Create(WS_TABSTOP, CRect(5, 210, 100, 230), &dlg, 2003));
    EXPECT_FALSE(date.IsWindowVisible());
    SYSTEMTIME st{};
    st.wYear = 2024;
    st.wMonth = 2;
    st.wDay = 29;
    ASSERT_TRUE(date.SetTime(&st));
    SYSTEMTIME back{};
    ASSERT_EQ(date.GetTime(&back), static_cast<DWORD>(GDT_VALID));
    EXPECT_EQ(back.wYear, 2024);
    EXPECT_EQ(back.wMonth, 2);
    EXPECT_EQ(back.wDay, 29);
    st.wMonth = 13;
    EXPECT_FALSE(date.SetTime(&st));

    // The data exchange carries the picker's date both ways.
    CTime picked;
    CDataExchange save(&dlg, TRUE);
    DDX_DateTimeCtrl(&save, 2003, picked);
    EXPECT_EQ(picked.Format("%Y%m%d"), "20240229");
    st.wMonth = 12;
    st.wDay = 31;
    CTime lastDay(st);
    CDataExchange load(&dlg, FALSE);
    DDX_DateTimeCtrl(&load, 2003, lastDay);
    ASSERT_EQ(date.GetTime(&back), static_cast<DWORD>(GDT_VALID));
    EXPECT_EQ(back.wMonth, 12);
    EXPECT_EQ(back.wDay, 31);
}

} // namespace
