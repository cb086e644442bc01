// fuzz-deps: consign_pages
// The report layout on arbitrary text: three bytes choose the page's width in
// columns, its height in lines and the view's font size, the rest is the text.
// Every line moves the position on and ends on a character boundary, and the
// page count is at least one and no more than the lines plus one.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "consign/pages/CViewPrintPreview.h"
#include "tests/fuzz/FuzzRequire.h"

namespace {

// Ten units a byte, a line twice the points high.
class RuleMeasure : public CPrintMeasure {
public:
    win::CSize UseFont(const char *, int points) override { return win::CSize(10, 2 * points); }
    int TextWidth(const char *, int length) override { return 10 * length; }
};

// Where characters start: a lead byte 0x81-0xFE with a trail byte 0x40-0xFE
// (not 0x7F) is one character, any other byte one of its own.
std::vector<bool> Boundaries(const uint8_t *text, size_t size)
{
    std::vector<bool> at(size + 1, false);
    for (size_t i = 0; i < size;) {
        at[i] = true;
        const bool pair = text[i] >= 0x81 && text[i] <= 0xFE && i + 1 < size && text[i + 1] >= 0x40 &&
                          text[i + 1] <= 0xFE && text[i + 1] != 0x7F;
        i += pair ? 2 : 1;
    }
    at[size] = true;
    return at;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    const int columns = data[0];
    const int rows = data[1];
    const int points = static_cast<int8_t>(data[2]);
    const uint8_t *text = data + 3;
    const size_t length = size - 3;

    RuleMeasure rule;
    CViewPrintPreview view;
    view.m_strText = win::CString(reinterpret_cast<const char *>(text), static_cast<int>(length));
    view.m_nFontSize = points;
    view.m_strFaceName = "宋体";
    view.m_nTopMargin = 2;
    view.m_nBottomMargin = 2;
    view.m_nLeftMargin = 1;
    view.m_nRightMargin = 1;
    view.SetLayoutDevice(&rule, win::CRect(0, 0, 10 * columns, 20 * rows));

    const std::vector<bool> boundary = Boundaries(text, length);
    view.StartMarkup();
    size_t lines = 0;
    for (int pos = 0; pos < static_cast<int>(length);) {
        const int before = pos;
        const win::CString line = view.FormatLine(pos);
        Require(pos > before && pos <= static_cast<int>(length));
        Require(boundary[static_cast<size_t>(pos)]);
        Require(line.GetLength() <= pos - before);
        Require(view.m_nLineHeight >= 1);
        ++lines;
    }
    const int pages = view.CountPages();
    Require(pages >= 1 && static_cast<size_t>(pages) <= lines + 1);
    view.SetLayoutDevice(nullptr, win::CRect());
    return 0;
}
