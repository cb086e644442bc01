#include "platform/forms/TRichEdit.h"

#include <QTextCursor>
#include <QTextEdit>

#include <map>
#include <string>
#include <vector>

#include "platform/forms/WindowHost.h"
#include "platform/gdi/TClipboard.h"
#include "platform/gdi/TPrinter.h"
#include "platform/win/Text.h"

namespace win {

namespace {

QTextEdit *Edit(QWidget *widget) { return static_cast<QTextEdit *>(widget); }

// Tabs become blanks up to the next stop of eight columns, as a printer has no
// tab stops of its own.
std::string ExpandTabs(const std::string &line)
{
    std::string out;
    for (char c : line) {
        if (c == '\t') {
            do
                out += ' ';
            while (out.size() % 8 != 0);
        } else {
            out += c;
        }
    }
    return out;
}

// Cuts `line` into pieces no wider than `width` on `canvas`: after the last blank
// that fits, else after the last whole character that fits (at least one).
class LineWrapper {
public:
    LineWrapper(TCanvas *canvas, int width) : canvas_(canvas), width_(width) {}

    std::vector<std::string> Wrap(const std::string &line)
    {
        std::vector<std::string> pieces;
        size_t start = 0;
        size_t n = line.size();
        if (n == 0)
            pieces.emplace_back();
        while (start < n) {
            size_t i = start;
            size_t afterBlank = std::string::npos;
            int used = 0;
            while (i < n) {
                size_t len = GbkCharLength(line.data() + i, n - i);
                int w = CharWidth(line.substr(i, len));
                if (used + w > width_ && i > start)
                    break;
                used += w;
                i += len;
                if (line[i - len] == ' ')
                    afterBlank = i;
            }
            size_t end = i < n && afterBlank != std::string::npos ? afterBlank : i;
            pieces.push_back(line.substr(start, end - start));
            start = end;
        }
        return pieces;
    }

private:
    int CharWidth(const std::string &ch)
    {
        auto it = widths_.find(ch);
        if (it != widths_.end())
            return it->second;
        int w = canvas_->TextWidth(AnsiString(ch.data(), static_cast<int>(ch.size())));
        widths_.emplace(ch, w);
        return w;
    }

    TCanvas *canvas_;
    int width_;
    std::map<std::string, int> widths_;
};

} // namespace

TRichEdit::TRichEdit(TComponent *Owner)
    : TMemo(Owner,
            [this](std::function<void()> changed) {
                return std::make_unique<TRichEditStrings>(this, std::move(changed));
            }),
      Lines(static_cast<TRichEditStrings *>(TMemo::Lines))
{
}

void TRichEdit::Apply()
{
    TMemo::Apply();
    if (HandleAllocated() && ReadOnly)
        Edit(Widget())->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

int TRichEdit::GetSelStart() { return Edit(Widget())->textCursor().selectionStart(); }

void TRichEdit::SetSelStart(int start)
{
    QTextEdit *edit = Edit(Widget());
    QTextCursor cursor = edit->textCursor();
    int end = cursor.document()->characterCount() - 1;
    cursor.setPosition(start < 0 ? 0 : start > end ? end : start);
    edit->setTextCursor(cursor);
}

int TRichEdit::GetSelLength()
{
    QTextCursor cursor = Edit(Widget())->textCursor();
    return cursor.selectionEnd() - cursor.selectionStart();
}

void TRichEdit::SetSelLength(int length)
{
    QTextEdit *edit = Edit(Widget());
    QTextCursor cursor = edit->textCursor();
    int start = cursor.selectionStart();
    int end = cursor.document()->characterCount() - 1;
    int to = length < 0 ? start : start + length > end ? end : start + length;
    cursor.setPosition(start);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    edit->setTextCursor(cursor);
}

void TRichEdit::SelectAll() { Edit(Widget())->selectAll(); }

void TRichEdit::CopyToClipboard()
{
    QTextCursor cursor = Edit(Widget())->textCursor();
    if (!cursor.hasSelection())
        return;
    QString text = cursor.selectedText();
    text.replace(QChar::ParagraphSeparator, QStringLiteral("\r\n"));
    text.replace(QChar::LineSeparator, QStringLiteral("\r\n"));
    std::string gbk = GbkText(text);
    Clipboard()->SetAsText(AnsiString(gbk.data(), static_cast<int>(gbk.size())));
}

bool TRichEdit::Print(const AnsiString &Caption)
{
    TPrinter *printer = Printer();
    if (printer->Printing)
        return false;
    printer->Title = Caption;
    if (!printer->BeginDoc())
        return false;
    TCanvas *canvas = printer->Canvas;
    canvas->Font = static_cast<TFont *>(Font);
    // Paper is white: text coloured for a dark screen would not show on it.
    canvas->Font->Color = clBlack;
    TBrushStyle brushStyle = canvas->Brush->Style;
    canvas->Brush->Style = bsClear;
    int left = printer->PageWidth / 20;
    int top = printer->PageHeight / 20;
    int bottom = printer->PageHeight - top;
    int lineHeight = canvas->TextHeight("证");
    if (lineHeight < 1)
        lineHeight = 1;
    LineWrapper wrapper(canvas, printer->PageWidth - 2 * left);
    int y = top;
    bool ok = true;
    for (int i = 0; i < Lines->Count() && ok; ++i) {
        const AnsiString &line = Lines->Strings(i);
        for (const std::string &piece : wrapper.Wrap(ExpandTabs(std::string(line.c_str(), size_t(line.Length()))))) {
            if (y + lineHeight > bottom && y > top) {
                if (!printer->NewPage()) {
                    ok = false;
                    break;
                }
                y = top;
            }
            canvas->TextOut(left, y, AnsiString(piece.data(), static_cast<int>(piece.size())));
            y += lineHeight;
        }
    }
    canvas->Brush->Style = brushStyle;
    if (!ok) {
        printer->Abort();
        return false;
    }
    return printer->EndDoc();
}

} // namespace win
