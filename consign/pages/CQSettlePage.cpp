#include "consign/pages/CQSettlePage.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "consign/pages/PageTemplates.h"
#include "consign/pages/SheetStatus.h"
#include "consign/pages/StatementFiles.h"
#include "consign/session/ConsignState.h"
#include "consign/session/Helpers.h"
#include "platform/appframe/AfxMessages.h"
#include "platform/appframe/CDataExchange.h"
#include "platform/appframe/CFileDialog.h"
#include "platform/appframe/CFrameWnd.h"
#include "platform/appframe/CRichEditCtrl.h"
#include "platform/appframe/CView.h"
#include "platform/appframe/CWinApp.h"
#include "platform/appframe/DialogTemplate.h"
#include "platform/win/File.h"
#include "platform/win/Profile.h"

using namespace win;

BEGIN_MESSAGE_MAP(CQSettlePage, cdxCSizingPropPage)
    ON_BN_CLICKED(1143, OnSaveToFile)
    ON_BN_CLICKED(1115, OnPrint)
    ON_BN_CLICKED(1132, OnPreview)
    ON_COMMAND(ID_FILE_PRINT, OnPrint)
END_MESSAGE_MAP()

namespace {

constexpr UINT Label = 0xFFFF;

const DialogItemTemplate SettleItems[] = {
    {"Static", Label, 4, 6, 30, 8, SS_LEFT, 0, "客 户 号"},
    {"ComboBox", 1105, 36, 4, 56, 80, CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP, 0, ""},
    {"Button", IDOK, 96, 3, 30, 13, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, "查询"},
    {"Button", 1132, 128, 3, 30, 13, BS_PUSHBUTTON | WS_TABSTOP, 0, "预览"},
    {"Button", 1115, 160, 3, 30, 13, BS_PUSHBUTTON | WS_TABSTOP, 0, "打印"},
    {"Button", 1143, 192, 3, 44, 13, BS_PUSHBUTTON | WS_TABSTOP, 0, "输出到文件"},
    {"Static", Label, 238, 6, 28, 8, SS_LEFT, 0, "打印字号"},
    {"ComboBox", 1116, 266, 4, 30, 80, CBS_DROPDOWN | WS_VSCROLL | WS_TABSTOP, 0, ""},
    {"RichEdit20A", 1106, 0, 20, 296, 84, ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_HSCROLL | WS_BORDER | WS_TABSTOP, 0, ""},
    {"Static", 1149, 4, 20, 30, 8, SS_LEFT, 0, "查询日期", TRUE},
    {"SysDateTimePick32", 1148, 36, 18, 56, 12, WS_TABSTOP, 0, "", TRUE},
};

// The print template's resource id.
constexpr UINT PrintTemplateId = 166;

// The printed statement's margins, in millimetres.
constexpr int TopMargin = 16;
constexpr int BottomMargin = 16;
constexpr int SideMargin = 12;

} // namespace

CQSettlePage::CQSettlePage() : cdxCSizingPropPage(IDD)
{
    if (CWinApp *app = AfxGetApp())
        m_hIcon = app->LoadIcon(128);
    RegisterPageTemplates();
    RegisterDialogResource(IDD, TableTemplate(WS_CHILD | DS_CONTROL | DS_SETFONT, 296, 104, "&B查询帐单", SettleItems));
}

void CQSettlePage::DoDataExchange(CDataExchange *pDX)
{
    cdxCSizingPropPage::DoDataExchange(pDX);
    DDX_Control(pDX, 1105, m_CustomerBox);
    DDX_CBString(pDX, 1116, m_strFontSize);
    DDX_DateTimeCtrl(pDX, 1148, m_Date);
    // The statement box is read-only and shows the statement formatted: the text
    // goes one way only, and the page keeps the statement as it came.
    if (!pDX->m_bSaveAndValidate)
        ShowStatement();
}

void CQSettlePage::ShowStatement()
{
    // The markup's fonts as the layout asks for them; no line ever wraps.
    class FontNotes : public CPrintMeasure {
    public:
        CSize UseFont(const char *faceName, int size) override
        {
            face = faceName;
            points = size;
            return CSize(1, 1);
        }
        int TextWidth(const char *, int) override { return 0; }
        std::string face;
        int points = 0;
    };
    // A run of lines shown alike, in byte offsets of the shown text.
    struct Look {
        int start, end;
        bool centred;
        std::string face;
        int points;
    };

    FontNotes notes;
    CViewPrintPreview layout;
    layout.m_strText = m_strStatement;
    layout.m_nFontSize = std::atoi(m_strFontSize);
    layout.m_strFaceName = "宋体";
    layout.SetLayoutDevice(&notes, CRect(0, 0, 1 << 30, 1 << 30));
    layout.StartMarkup();
    const std::string plainFace = notes.face;
    const int plainPoints = notes.points;
    std::string shown;
    std::vector<Look> looks;
    bool first = true;
    for (int pos = 0; pos < m_strStatement.GetLength();) {
        const CString line = layout.FormatLine(pos);
        // A form feed only ends a printed page.
        if (line == "\f")
            continue;
        if (!first)
            shown += "\r\n";
        first = false;
        const int start = static_cast<int>(shown.size());
        shown.append(static_cast<const char *>(line), static_cast<size_t>(line.GetLength()));
        const Look look{start, static_cast<int>(shown.size()), layout.m_bCenter != FALSE, notes.face, notes.points};
        if (!looks.empty() && looks.back().centred == look.centred && looks.back().face == look.face &&
            looks.back().points == look.points)
            looks.back().end = look.end;
        else
            looks.push_back(look);
    }
    layout.SetLayoutDevice(nullptr, CRect());

    SetDlgItemText(1106, CString(shown.data(), static_cast<int>(shown.size())));
    CWnd *box = GetDlgItem(1106);
    if (!box)
        return;
    CRichEditCtrl edit;
    edit.Attach(box->m_hWnd);
    for (const Look &look : looks) {
        if (look.start == look.end)
            continue;
        edit.SetSel(look.start, look.end);
        if (look.centred) {
            PARAFORMAT centre{};
            centre.dwMask = PFM_ALIGNMENT;
            centre.wAlignment = PFA_CENTER;
            edit.SetParaFormat(centre);
        }
        if (look.points != plainPoints || look.face != plainFace) {
            CHARFORMAT font{};
            font.dwMask = CFM_SIZE | CFM_FACE;
            font.yHeight = look.points * 20;
            std::snprintf(font.szFaceName, sizeof font.szFaceName, "%s", look.face.c_str());
            edit.SetSelectionCharFormat(font);
        }
    }
    edit.SetSel(0, 0);
    edit.Detach();
}

BOOL CQSettlePage::OnInitDialog()
{
    m_Date = CTime::GetCurrentTime();
    cdxCSizingPropPage::OnInitDialog();
    CComboBox sizes;
    sizes.Attach(GetDlgItem(1116)->m_hWnd);
    for (int size = 8; size <= 16; ++size)
        sizes.AddString(std::to_string(size).c_str());
    sizes.Detach();
    m_Manager.AddControl(GetDlgItem(1106), cdxCSizingManager::MODE_STRETCH, cdxCSizingManager::MODE_STRETCH);
    UpdateData(FALSE);
    return TRUE;
}

BOOL CQSettlePage::OnSetActive()
{
    m_CustomerBox.ResetContent();
    for (CClientRecord &client : ClientList) {
        char *customer = client.customer;
        customer[sizeof client.customer - 1] = 0;
        TrimBoth(customer);
        m_CustomerBox.AddString(customer);
    }
    m_CustomerBox.SetCurSel(0);
    char size[80] = {};
    GetPrivateProfileStringA("Config", "Print Font Size", "8", size, sizeof size, SettingsPath);
    m_strFontSize = size;
    m_CustomerBox.EnableWindow(ClientMode != 7);
    ShowSheetStatus("本页可以查询帐单");
    const BOOL result = cdxCSizingPropPage::OnSetActive();
    SetDlgItemText(1116, m_strFontSize);
    return result;
}

BOOL CQSettlePage::OnKillActive()
{
    UpdateData(TRUE);
    WritePrivateProfileStringA("Config", "Print Font Size", m_strFontSize, SettingsPath);
    return cdxCSizingPropPage::OnKillActive();
}

bool CQSettlePage::FetchStatement()
{
    CString customer;
    GetDlgItemText(1105, customer);
    m_strStatement.Empty();
    SetDlgItemText(1106, "");
    // The customer names the statement's files: anything but a plain code is
    // refused before a request goes out or a path is built.
    if (!IsStatementCustomer(customer)) {
        m_strTextPath.Empty();
        AfxMessageBox("客户号不正确", MB_OK | MB_ICONERROR);
        return false;
    }
    const CString archive = StatementArchivePath(customer);
    m_strTextPath = StatementTextPath(customer);
    DeleteFileA(archive);
    DeleteFileA(m_strTextPath);
    UpdateData(TRUE);
    m_strStatement.Empty();
    CString date = m_Date.Format("%Y%m%d");
    if (date == CTime::GetCurrentTime().Format("%Y%m%d"))
        date.Empty();
    bool unpacked = false;
    BeginWaitCursor();
    ShowSheetStatus("");
    if (TheTradeSession().RequestSettlementStatement(customer, date)) {
        ShowSheetStatus("接收结帐单成功");
        unpacked = UnpackStatement(customer);
        std::string text;
        if (unpacked && ReadStatementFile(m_strTextPath, text)) {
            m_strStatement = CString(text.data(), static_cast<int>(text.size()));
            ConsignLog().WriteLine("查询结帐单成功", 1);
        }
    }
    EndWaitCursor();
    ShowStatement();
    DeleteFileA(archive);
    return unpacked;
}

void CQSettlePage::OnOK()
{
    FetchStatement();
    if (!m_strTextPath.IsEmpty())
        DeleteFileA(m_strTextPath);
}

void CQSettlePage::OnSaveToFile()
{
    FetchStatement();
    std::string text;
    if (m_strTextPath.IsEmpty() || !ReadStatementFile(m_strTextPath, text)) {
        MessageBox("您的对账单文件不存在", "错误", MB_ICONERROR);
        return;
    }
    UpdateData(TRUE);
    CString customer;
    GetDlgItemText(1105, customer);
    const CString suggestion = customer + "_" + m_Date.Format("%Y%m%d");
    char folder[201] = {};
    GetCurrentDirectoryA(sizeof folder - 1, folder);
    CFileDialog dialog(FALSE, "txt", suggestion, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                       "文本文件 (*.txt)|*.txt|全部文件 (*.*)|*.*||", this);
    if (dialog.DoModal() == IDOK) {
        SetCurrentDirectoryA(folder);
        const CString path = dialog.GetPathName();
        if (CopyFileA(m_strTextPath, path, FALSE)) {
            CString done;
            done.Format("输出到文件 %s 成功", static_cast<LPCSTR>(path));
            MessageBox(done, "信息", MB_ICONINFORMATION);
        } else {
            MessageBox("输出到文件失败", "错误", MB_ICONERROR);
        }
    }
    DeleteFileA(m_strTextPath);
}

CViewPrintPreview *CQSettlePage::CreatePrintView()
{
    std::string text;
    if (m_strTextPath.IsEmpty() || !ReadStatementFile(m_strTextPath, text)) {
        MessageBox("您的对账单文件不存在", "错误", MB_ICONERROR);
        return nullptr;
    }
    CWinApp *app = AfxGetApp();
    if (!m_pPrintTemplate) {
        m_pPrintTemplate = new CSingleDocTemplate(PrintTemplateId, nullptr, RUNTIME_CLASS(CFrameWnd),
                                                  RUNTIME_CLASS(CViewPrintPreview));
        if (app)
            app->AddDocTemplate(m_pPrintTemplate);
    }
    CFrameWnd *frame = m_pPrintTemplate->CreateNewFrame(nullptr, nullptr);
    if (!frame)
        return nullptr;
    m_pPrintTemplate->InitialUpdateFrame(frame, nullptr, FALSE);
    auto *view = dynamic_cast<CViewPrintPreview *>(frame->GetActiveView());
    if (!view) {
        frame->DestroyWindow();
        return nullptr;
    }
    // The preview needs its frame as the main window; the view gives the sheet
    // its place back when it ends.
    CWnd *main = app ? app->m_pMainWnd : nullptr;
    view->m_pReturnWnd = main && !dynamic_cast<CFrameWnd *>(main) ? main : GetParent();
    if (app)
        app->m_pMainWnd = frame;
    frame->SetWindowText("打印预览");
    if (m_hIcon)
        frame->SetIcon(m_hIcon, FALSE);

    UpdateData(TRUE);
    view->m_nFontSize = std::atoi(m_strFontSize);
    view->m_strFaceName = "宋体";
    view->m_nTopMargin = TopMargin;
    view->m_nBottomMargin = BottomMargin;
    view->m_nLeftMargin = SideMargin;
    view->m_nRightMargin = SideMargin;
    view->m_strText = CString(text.data(), static_cast<int>(text.size()));
    return view;
}

void CQSettlePage::OnPrint()
{
    FetchStatement();
    if (CViewPrintPreview *view = CreatePrintView()) {
        CWnd *sheet = view->m_pReturnWnd;
        if (sheet)
            sheet->ShowWindow(SW_SHOWMINIMIZED);
        view->PrintDirect();
        view->ClosePreview();
        if (sheet)
            sheet->ShowWindow(SW_RESTORE);
    }
    if (!m_strTextPath.IsEmpty())
        DeleteFileA(m_strTextPath);
}

void CQSettlePage::OnPreview()
{
    FetchStatement();
    if (CViewPrintPreview *view = CreatePrintView()) {
        CFrameWnd *frame = view->GetParentFrame();
        if (CWnd *sheet = view->m_pReturnWnd)
            sheet->ShowWindow(SW_SHOWMINIMIZED);
        frame->ShowWindow(SW_SHOWMAXIMIZED);
        view->DoFilePrintPreview();
        // Without a preview (no printer to lay the pages out on) the frame would
        // stay as the main window: the sheet comes back at once.
        if (!frame->GetPreview())
            view->ClosePreview();
    }
    if (!m_strTextPath.IsEmpty())
        DeleteFileA(m_strTextPath);
}
