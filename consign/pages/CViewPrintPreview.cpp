#include "consign/pages/CViewPrintPreview.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/appframe/CDC.h"
#include "platform/appframe/CFrameWnd.h"
#include "platform/appframe/CPreviewView.h"
#include "platform/appframe/CPrintDialog.h"
#include "platform/appframe/CPrintInfo.h"
#include "platform/appframe/CWinApp.h"
#include "platform/gdi/Gdi.h"

using namespace win;

IMPLEMENT_DYNCREATE(CViewPrintPreview, CView)

namespace {

constexpr char kFormFeed = '\f';

// The printer's context as the layout's device. The view's font is made and
// selected on it; the context's own font comes back when the measure ends, so
// that the view's font is never deleted while selected.
class DeviceMeasure : public CPrintMeasure {
public:
    DeviceMeasure(CDC *dc, CFont &font) : dc_(dc), font_(font) {}
    ~DeviceMeasure() override
    {
        if (selected_)
            dc_->SelectObject(previous_);
    }
    CSize UseFont(const char *face, int points) override
    {
        if (selected_)
            dc_->SelectObject(previous_);
        font_.DeleteObject();
        font_.CreatePointFont(points * 10, face, dc_);
        CFont *before = dc_->SelectObject(&font_);
        if (!selected_)
            previous_ = before;
        selected_ = true;
        return dc_->GetTextExtent("A", 1);
    }
    int TextWidth(const char *text, int length) override { return dc_->GetTextExtent(text, length).cx; }

private:
    CDC *dc_;
    CFont &font_;
    CFont *previous_ = nullptr;
    bool selected_ = false;
};

// Lends the layout a device for the length of one print operation.
class LentMeasure {
public:
    LentMeasure(CPrintMeasure *&slot, CPrintMeasure *measure) : slot_(slot), saved_(slot) { slot_ = measure; }
    ~LentMeasure() { slot_ = saved_; }

private:
    CPrintMeasure *&slot_;
    CPrintMeasure *saved_;
};

bool IsLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
bool IsTrailByte(unsigned char c) { return c >= 0x40 && c <= 0xFE && c != 0x7F; }

// The bytes of the character at `pos`: two for a GBK lead byte with its trail
// byte, else one (a lone lead byte counts as a character of its own).
int CharLength(const char *text, int length, int pos)
{
    if (IsLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < length &&
        IsTrailByte(static_cast<unsigned char>(text[pos + 1])))
        return 2;
    return 1;
}

// Where the last character of `line` starts, counting characters from the start
// of the line (GBK trail bytes may look like ASCII letters, so counting back from
// the end cannot tell where a character begins).
size_t LastCharStart(const std::string &line)
{
    size_t start = 0;
    for (size_t i = 0; i < line.size();) {
        start = i;
        i += static_cast<size_t>(CharLength(line.data(), static_cast<int>(line.size()), static_cast<int>(i)));
    }
    return start;
}

// A size tag's value in points, within the layout's bounds.
int SizeValue(const std::string &value)
{
    long points = std::strtol(value.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long>(points, CViewPrintPreview::kMinFontSize, CViewPrintPreview::kMaxFontSize));
}

int Bounded(int points) { return std::clamp(points, CViewPrintPreview::kMinFontSize, CViewPrintPreview::kMaxFontSize); }

// Millimetres in device units at `dpi` dots per inch, rounded.
int DeviceUnits(int millimetres, int dpi)
{
    long long units = static_cast<long long>(millimetres) * dpi * 10;
    return static_cast<int>((units + (units >= 0 ? 127 : -127)) / 254);
}

} // namespace

CViewPrintPreview::CViewPrintPreview() = default;

CViewPrintPreview::~CViewPrintPreview() = default;

void CViewPrintPreview::SetLayoutDevice(CPrintMeasure *measure, const CRect &page)
{
    m_pMeasure = measure;
    m_rectPage = page;
}

int CViewPrintPreview::AvailableWidth() const { return m_rectPage.Width() - m_nLeftMargin - m_nRightMargin; }

int CViewPrintPreview::UsableHeight() const { return m_rectPage.Height() - m_nBottomMargin; }

void CViewPrintPreview::UseCurrentFont()
{
    if (!m_pMeasure)
        return;
    CSize a = m_pMeasure->UseFont(m_strCurFace, Bounded(m_nCurSize));
    // A measure of nothing would stop the page from filling: one unit at least.
    m_nCharWidth = std::max<int>(1, a.cx);
    m_nLineHeight = std::max<int>(1, a.cy);
}

void CViewPrintPreview::StartMarkup()
{
    m_strCurFace = m_strFaceName;
    m_nCurSize = Bounded(m_nFontSize);
    m_bCenter = FALSE;
    UseCurrentFont();
}

bool CViewPrintPreview::TakeTag(int &nPos)
{
    const char *text = m_strText;
    const int length = m_strText.GetLength();
    // The tag ends at the next '>' of the same line; without one, the '<' is text.
    int close = nPos + 1;
    while (close < length && text[close] != '>' && text[close] != '\r' && text[close] != '\n' &&
           text[close] != kFormFeed)
        ++close;
    if (close >= length || text[close] != '>')
        return false;
    const std::string tag(text + nPos + 1, static_cast<size_t>(close - nPos - 1));
    bool font = false;
    if (tag == "/Font Name") {
        m_strCurFace = m_strFaceName;
        font = true;
    } else if (tag == "/Font Size") {
        m_nCurSize = Bounded(m_nFontSize);
        font = true;
    } else if (tag == "Center") {
        m_bCenter = TRUE;
    } else if (tag == "/Center") {
        m_bCenter = FALSE;
    } else {
        const size_t equals = tag.find('=');
        if (equals == std::string::npos || equals == 0)
            return false;
        const std::string key = tag.substr(0, equals);
        const std::string value = tag.substr(equals + 1);
        if (key == "Font Name")
            m_strCurFace = CString(value.data(), static_cast<int>(value.size()));
        else if (key == "Font Size")
            m_nCurSize = SizeValue(value);
        else
            return false;
        font = true;
    }
    if (font)
        UseCurrentFont();
    nPos = close + 1;
    return true;
}

CString CViewPrintPreview::FormatLine(int &nPos)
{
    const char *text = m_strText;
    const int length = m_strText.GetLength();
    nPos = std::clamp(nPos, 0, length);
    if (nPos == length)
        return CString();
    if (text[nPos] == kFormFeed) {
        ++nPos;
        return CString("\f");
    }
    // Tags the layout does not know stay in the line as text.
    while (nPos < length && text[nPos] == '<' && TakeTag(nPos)) {
    }

    const int available = AvailableWidth();
    std::string line;
    while (nPos < length) {
        const char c = text[nPos];
        if (c == '\r') {
            ++nPos;
            if (nPos < length && text[nPos] == '\n')
                ++nPos;
            break;
        }
        if (c == '\n') {
            ++nPos;
            break;
        }
        if (c == kFormFeed)
            break;
        // A double-byte character goes in whole: half of one is never measured.
        const int take = CharLength(text, length, nPos);
        line.append(text + nPos, static_cast<size_t>(take));
        nPos += take;
        const int width = m_pMeasure ? m_pMeasure->TextWidth(line.data(), static_cast<int>(line.size())) : 0;
        if (width < available)
            continue;
        if (line.back() == ' ')
            break;
        const size_t blank = line.rfind(' ');
        size_t keep;
        if (blank != std::string::npos)
            keep = blank + 1; // the words after the blank start the next line
        else
            keep = LastCharStart(line); // the character that did not fit starts it
        // A character wider than the whole line stands alone, so the layout moves on.
        if (keep == 0)
            break;
        nPos -= static_cast<int>(line.size() - keep);
        line.resize(keep);
        break;
    }
    return CString(line.data(), static_cast<int>(line.size()));
}

int CViewPrintPreview::CountPages()
{
    const int length = m_strText.GetLength();
    if (length == 0)
        return 1;
    StartMarkup();
    int pages = 0;
    int y = m_nTopMargin;
    // Whether a line with text was taken since the last page end.
    bool pending = false;
    for (int pos = 0; pos < length;) {
        const CString line = FormatLine(pos);
        if (UsableHeight() < y + 2 * m_nLineHeight) {
            ++pages;
            y = m_nTopMargin;
            pending = false;
            continue;
        }
        y += m_nLineHeight;
        if (line == "\f") {
            ++pages;
            y = m_nTopMargin;
            pending = false;
        } else if (!line.IsEmpty()) {
            pending = true;
        }
    }
    if (pending || pages == 0)
        ++pages;
    return pages;
}

BOOL CViewPrintPreview::OnPreparePrinting(CPrintInfo *pInfo) { return DoPreparePrinting(pInfo); }

void CViewPrintPreview::OnBeginPrinting(CDC *pDC, CPrintInfo *pInfo)
{
    if (!m_bMarginsInDevice) {
        const int dpiX = pDC->GetDeviceCaps(LOGPIXELSX);
        const int dpiY = pDC->GetDeviceCaps(LOGPIXELSY);
        m_nTopMargin = DeviceUnits(m_nTopMargin, dpiY);
        m_nBottomMargin = DeviceUnits(m_nBottomMargin, dpiY);
        m_nLeftMargin = DeviceUnits(m_nLeftMargin, dpiX);
        m_nRightMargin = DeviceUnits(m_nRightMargin, dpiX);
        m_bMarginsInDevice = true;
    }
    m_rectPage.SetRect(0, 0, pDC->GetDeviceCaps(HORZRES), pDC->GetDeviceCaps(VERTRES));
    pInfo->m_rectDraw = m_rectPage;
    DeviceMeasure measure(pDC, m_Font);
    LentMeasure lent(m_pMeasure, &measure);
    StartMarkup();
    pInfo->SetMaxPage(static_cast<UINT>(CountPages()));
}

void CViewPrintPreview::OnPrint(CDC *pDC, CPrintInfo *pInfo)
{
    DeviceMeasure measure(pDC, m_Font);
    LentMeasure lent(m_pMeasure, &measure);
    StartMarkup();
    const int length = m_strText.GetLength();
    int pos = 0;
    for (UINT page = 1; page < pInfo->m_nCurPage && pos < length; ++page) {
        int y = m_nTopMargin;
        while (pos < length) {
            const CString line = FormatLine(pos);
            if (line == "\f" || UsableHeight() < y + 2 * m_nLineHeight)
                break;
            y += m_nLineHeight;
        }
    }
    const int available = AvailableWidth();
    int y = m_nTopMargin;
    while (pos < length) {
        const CString line = FormatLine(pos);
        if (line == "\f")
            break;
        if (!line.IsEmpty()) {
            int x = m_nLeftMargin;
            if (m_bCenter)
                x += (available - measure.TextWidth(line, line.GetLength())) / 2;
            pDC->TextOut(x, y, line, line.GetLength());
        }
        const int lineTop = y;
        y += m_nLineHeight;
        if (UsableHeight() < lineTop + 2 * m_nLineHeight)
            break;
    }
}

void CViewPrintPreview::OnEndPrinting(CDC *, CPrintInfo *) {}

void CViewPrintPreview::OnEndPrintPreview(CDC *pDC, CPrintInfo *pInfo, POINT point, CPreviewView *pView)
{
    CView::OnEndPrintPreview(pDC, pInfo, point, pView);
    ClosePreview();
}

void CViewPrintPreview::DoFilePrintPreview() { OnFilePrintPreview(); }

void CViewPrintPreview::DoFilePrint() { OnFilePrint(); }

void CViewPrintPreview::PrintDirect()
{
    CPrintDialog dialog(FALSE, PD_ALLPAGES | PD_NOPAGENUMS | PD_NOSELECTION | PD_HIDEPRINTTOFILE | PD_USEDEVMODECOPIES);
    if (dialog.DoModal() != IDOK || !dialog.GetPrinterDC())
        return;
    CDC dc;
    dc.Attach(dialog.GetPrinterDC());
    dc.m_bPrinting = TRUE;
    DOCINFO doc{static_cast<int>(sizeof(DOCINFO)), "", nullptr, nullptr, 0};
    if (dc.StartDoc(&doc) <= 0) {
        dc.Detach();
        return;
    }
    CPrintInfo info;
    info.m_bDirect = TRUE;
    // The drawing area is the whole page, as OnBeginPrinting sets it.
    OnBeginPrinting(&dc, &info);
    bool failed = false;
    for (UINT page = 1; page <= info.GetMaxPage(); ++page) {
        info.m_nCurPage = page;
        if (dc.StartPage() <= 0) {
            failed = true;
            break;
        }
        OnPrint(&dc, &info);
        if (dc.EndPage() <= 0) {
            failed = true;
            break;
        }
    }
    OnEndPrinting(&dc, &info);
    if (failed)
        dc.AbortDoc();
    else
        dc.EndDoc();
    dc.Detach();
}

void CViewPrintPreview::ClosePreview()
{
    CFrameWnd *frame = GetParentFrame();
    CWnd *back = m_pReturnWnd;
    if (back && back->m_hWnd) {
        // The window was minimised while the report printed or showed.
        back->ShowWindow(SW_RESTORE);
        if (CWinApp *app = AfxGetApp())
            app->m_pMainWnd = back;
    }
    // The frame takes this view with it.
    if (frame)
        frame->DestroyWindow();
}
