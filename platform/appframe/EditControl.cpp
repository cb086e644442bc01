// The "Edit" window class and the rich edit classes: a one-line QLineEdit or a
// multi-line QPlainTextEdit (a QTextEdit for a rich edit, whose paragraphs may be
// centred), with the edit messages in the Windows text's byte positions (lines
// end with "\r\n"), the byte limit, and EN_CHANGE, EN_SETFOCUS, EN_KILLFOCUS and
// EN_MAXTEXT to the parent. A rich edit also formats its selection: character
// size, face and weight, and paragraph alignment.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>

#include <cstring>
#include <type_traits>

#include "platform/appframe/CRichEditCtrl.h"
#include "platform/appframe/NativeControl.h"
#include "platform/appframe/StandardControls.h"
#include "platform/appframe/WindowCreation.h"
#include "platform/forms/WindowHost.h"
#include "platform/win/Text.h"

namespace win {

namespace {

// The limit of a new edit box, in bytes.
constexpr int kDefaultLimit = 30000;

std::string WithoutCR(const std::string &text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            continue;
        out.push_back(text[i] == '\r' ? '\n' : text[i]);
    }
    return out;
}

std::string WithCRLF(const std::string &text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n')
            out.push_back('\r');
        out.push_back(c);
    }
    return out;
}

// A rich edit is the one whose text is a QTextEdit.
template <typename MultiLine>
class EditControlOf : public NativeControl {
    static constexpr bool kRich = std::is_same_v<MultiLine, QTextEdit>;

public:
    QWidget *CreateWidget(QWidget *parent, const CREATESTRUCTA &cs) override
    {
        auto style = static_cast<DWORD>(cs.style);
        bool frame = (style & WS_BORDER) || (cs.dwExStyle & WS_EX_CLIENTEDGE) || kRich;
        std::string text = cs.lpszName ? cs.lpszName : "";
        if ((style & ES_MULTILINE) || kRich) {
            multi_ = new MultiLine(parent);
            multi_->setReadOnly(style & ES_READONLY);
            multi_->setLineWrapMode((style & ES_AUTOHSCROLL) && !kRich ? MultiLine::NoWrap : MultiLine::WidgetWidth);
            multi_->setVerticalScrollBarPolicy((style & WS_VSCROLL) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
            multi_->setHorizontalScrollBarPolicy((style & WS_HSCROLL) ? Qt::ScrollBarAsNeeded
                                                                      : Qt::ScrollBarAlwaysOff);
            if (!frame)
                multi_->setFrameShape(QFrame::NoFrame);
            multi_->setPlainText(QtText(WithoutCR(text)));
            if constexpr (kRich)
                multi_->setAcceptRichText(false);
            QObject::connect(multi_, &MultiLine::textChanged, multi_, [this] { Changed(); });
            last_ = Text();
            return multi_;
        }
        line_ = new QLineEdit(parent);
        line_->setFrame(frame);
        line_->setReadOnly(style & ES_READONLY);
        if (style & ES_PASSWORD)
            line_->setEchoMode(QLineEdit::Password);
        Qt::Alignment align = (style & ES_CENTER) ? Qt::AlignHCenter : (style & ES_RIGHT) ? Qt::AlignRight : Qt::AlignLeft;
        line_->setAlignment(align | Qt::AlignVCenter);
        line_->setText(QtText(text));
        QObject::connect(line_, &QLineEdit::textChanged, line_, [this] { Changed(); });
        last_ = Text();
        return line_;
    }

    std::string Text() const override
    {
        if (line_)
            return GbkText(line_->text());
        if (multi_)
            return WithCRLF(GbkText(multi_->toPlainText()));
        return title_;
    }

    void SetText(const std::string &text) override
    {
        Programmatic p(this);
        if (line_) {
            line_->setText(QtText(text));
        } else if (multi_) {
            multi_->setPlainText(QtText(WithoutCR(text)));
            // A new text starts plain: a rich edit would otherwise give it the
            // look of the old text's first character.
            if constexpr (kRich) {
                QTextCursor all(multi_->document());
                all.select(QTextCursor::Document);
                all.setCharFormat(QTextCharFormat());
                all.setBlockFormat(QTextBlockFormat());
                multi_->setCurrentCharFormat(QTextCharFormat());
            }
        }
    }

    LRESULT DialogCode(WPARAM key) const override
    {
        LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
        if (multi_ && key == VK_RETURN && (Style() & ES_WANTRETURN) && !multi_->isReadOnly())
            code |= DLGC_WANTALLKEYS;
        return code;
    }

    UINT CtlColorMessage() const override
    {
        bool readOnly = line_ ? line_->isReadOnly() : multi_ && multi_->isReadOnly();
        return readOnly || (Style() & WS_DISABLED) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT;
    }

    void FocusChanged(bool gained) override { Notify(gained ? EN_SETFOCUS : EN_KILLFOCUS); }

    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        switch (msg) {
        case EM_SETSEL:
            SetSelection(static_cast<int>(static_cast<intptr_t>(wParam)), static_cast<int>(lParam));
            return 0;
        case EM_GETSEL: {
            int start = 0;
            int end = 0;
            Selection(start, end);
            if (wParam)
                *reinterpret_cast<DWORD *>(wParam) = static_cast<DWORD>(start);
            if (lParam)
                *reinterpret_cast<DWORD *>(lParam) = static_cast<DWORD>(end);
            return static_cast<LRESULT>(MAKELONG(static_cast<WORD>(start), static_cast<WORD>(end)));
        }
        case EM_REPLACESEL: {
            Programmatic p(this);
            ReplaceSelection(lParam ? reinterpret_cast<const char *>(lParam) : "");
            return 0;
        }
        case EM_LIMITTEXT:
            limit_ = wParam ? static_cast<int>(std::min<WPARAM>(wParam, 0x7FFFFFFE)) : 0x7FFFFFFE;
            return 0;
        case EM_GETLIMITTEXT:
            return limit_;
        case EM_SETREADONLY:
            if (line_)
                line_->setReadOnly(wParam != 0);
            if (multi_)
                multi_->setReadOnly(wParam != 0);
            SetStyleBits(wParam ? (Style() | ES_READONLY) : (Style() & ~ES_READONLY));
            return TRUE;
        case EM_SETPASSWORDCHAR:
            if (line_)
                line_->setEchoMode(wParam ? QLineEdit::Password : QLineEdit::Normal);
            return 0;
        case EM_GETMODIFY:
            return modified_;
        case EM_SETMODIFY:
            modified_ = wParam != 0;
            return 0;
        case EM_LINESCROLL:
            if (multi_) {
                QScrollBar *bar = multi_->verticalScrollBar();
                // A rich edit scrolls in pixels, a plain one in lines.
                int step = 1;
                if constexpr (kRich)
                    step = multi_->fontMetrics().lineSpacing();
                bar->setValue(bar->value() + step * static_cast<int>(lParam));
                return TRUE;
            }
            return FALSE;
        case EM_SCROLLCARET:
            // A one-line box keeps its caret in view by itself.
            if (multi_)
                multi_->ensureCursorVisible();
            return TRUE;
        case EM_GETLINECOUNT:
            return multi_ ? multi_->document()->blockCount() : 1;
        case EM_GETFIRSTVISIBLELINE:
            if (!multi_)
                return 0;
            if constexpr (kRich)
                return multi_->cursorForPosition(QPoint(0, 0)).blockNumber();
            else
                return multi_->verticalScrollBar()->value();
        case EM_SETCHARFORMAT:
            return kRich && multi_ && lParam ? SetCharFormat(*reinterpret_cast<const CHARFORMATA *>(lParam)) : FALSE;
        case EM_SETPARAFORMAT:
            return kRich && multi_ && lParam ? SetParaFormat(*reinterpret_cast<const PARAFORMAT *>(lParam)) : FALSE;
        case EM_SETMARGINS:
            SetMargins(wParam, LOWORD(static_cast<DWORD>(lParam)), HIWORD(static_cast<DWORD>(lParam)));
            return 0;
        case EM_GETMARGINS:
            return static_cast<LRESULT>(MAKELONG(static_cast<WORD>(leftMargin_), static_cast<WORD>(rightMargin_)));
        case EM_SETCUEBANNER:
            // The cue of a one-line box, shown in grey while it is empty.
            if (!line_)
                return FALSE;
            line_->setPlaceholderText(lParam ? QtText(reinterpret_cast<LPCSTR>(lParam)) : QString());
            return TRUE;
        case WM_COPY:
            if (line_)
                line_->copy();
            else if (multi_)
                multi_->copy();
            return 0;
        default:
            return NativeControl::WndProc(msg, wParam, lParam);
        }
    }

private:
    // The selection's characters take the size (twentieths of a point), face and
    // weight the mask names.
    BOOL SetCharFormat(const CHARFORMATA &cf)
    {
        Programmatic p(this);
        QTextCharFormat format;
        if ((cf.dwMask & CFM_SIZE) && cf.yHeight > 0)
            format.setFontPointSize(cf.yHeight / 20.0);
        if (cf.dwMask & CFM_FACE) {
            std::string face(cf.szFaceName, strnlen(cf.szFaceName, sizeof cf.szFaceName));
            format.setFontFamilies(QStringList{QtText(face)});
        }
        if (cf.dwMask & CFM_BOLD)
            format.setFontWeight((cf.dwEffects & CFE_BOLD) ? QFont::Bold : QFont::Normal);
        QTextCursor c = multi_->textCursor();
        c.mergeCharFormat(format);
        return TRUE;
    }

    // The paragraphs the selection touches take the alignment.
    BOOL SetParaFormat(const PARAFORMAT &pf)
    {
        if (!(pf.dwMask & PFM_ALIGNMENT))
            return TRUE;
        Programmatic p(this);
        QTextBlockFormat format;
        format.setAlignment(pf.wAlignment == PFA_CENTER ? Qt::AlignHCenter
                            : pf.wAlignment == PFA_RIGHT ? Qt::AlignRight
                                                         : Qt::AlignLeft);
        QTextCursor c = multi_->textCursor();
        c.mergeBlockFormat(format);
        return TRUE;
    }

    void SetMargins(WPARAM which, int left, int right)
    {
        if (which & EC_LEFTMARGIN)
            leftMargin_ = left;
        if (which & EC_RIGHTMARGIN)
            rightMargin_ = right;
        // The margins of a one-line box; a multi-line one keeps its own.
        if (line_)
            line_->setTextMargins(leftMargin_, 0, rightMargin_, 0);
    }

    // Byte offsets of the Windows text and positions in the widget's text.
    int ToQt(int offset) const
    {
        std::string text = Text();
        int pos = QtPosition(text, offset);
        if (!multi_)
            return pos;
        std::u16string prefix = GbkToUtf16(text.substr(0, static_cast<size_t>(std::clamp(offset, 0, int(text.size())))));
        int crs = 0;
        for (char16_t c : prefix)
            crs += c == u'\r';
        return std::max(0, pos - crs);
    }

    int FromQt(int pos) const
    {
        QString text = line_ ? line_->text() : multi_->toPlainText();
        int offset = GbkPosition(text, pos);
        if (multi_)
            offset += static_cast<int>(text.left(pos).count(QChar(u'\n')));
        return offset;
    }

    void Selection(int &start, int &end) const
    {
        if (line_) {
            int s = line_->hasSelectedText() ? line_->selectionStart() : line_->cursorPosition();
            int e = line_->hasSelectedText() ? s + static_cast<int>(line_->selectedText().size()) : s;
            start = FromQt(s);
            end = FromQt(e);
        } else if (multi_) {
            QTextCursor c = multi_->textCursor();
            start = FromQt(c.selectionStart());
            end = FromQt(c.selectionEnd());
        }
    }

    void SetSelection(int start, int end)
    {
        // -1 as the start puts the caret at the end without a selection, which
        // is how the transcripts append: done without reading the whole text,
        // so that appending to a long transcript stays cheap.
        if (start < 0) {
            if (line_) {
                line_->deselect();
                line_->end(false);
            } else if (multi_) {
                QTextCursor c = multi_->textCursor();
                c.movePosition(QTextCursor::End);
                multi_->setTextCursor(c);
            }
            return;
        }
        int length = static_cast<int>(Text().size());
        if (end < 0 || end > length) {
            end = length;
        }
        start = std::min(start, length);
        int qs = ToQt(start);
        int qe = ToQt(end);
        if (line_) {
            line_->setSelection(qs, qe - qs);
            if (qs == qe)
                line_->setCursorPosition(qs);
        } else if (multi_) {
            QTextCursor c = multi_->textCursor();
            c.setPosition(qs);
            c.setPosition(qe, QTextCursor::KeepAnchor);
            multi_->setTextCursor(c);
        }
    }

    void ReplaceSelection(const std::string &text)
    {
        if (line_) {
            line_->insert(QtText(text));
        } else if (multi_) {
            QTextCursor c = multi_->textCursor();
            c.insertText(QtText(WithoutCR(text)));
            multi_->setTextCursor(c);
        }
    }

    void Changed()
    {
        // The program's own text in a read-only box: no typing to hold back, so
        // the whole text is not read again for each piece appended.
        bool readOnly = line_ ? line_->isReadOnly() : multi_ && multi_->isReadOnly();
        if (programmatic_ && readOnly) {
            lastStale_ = true;
            modified_ = true;
            Notify(EN_UPDATE);
            Notify(EN_CHANGE);
            return;
        }
        std::string text = Text();
        if (lastStale_ && !programmatic_) {
            // The text before this typing is unknown: nothing to restore to.
            lastStale_ = false;
            last_ = text;
        }
        if (static_cast<int>(text.size()) > limit_ && text.size() > last_.size() && !programmatic_) {
            // Typing past the limit is refused, as Windows refuses it.
            restoring_ = true;
            SetText(last_);
            restoring_ = false;
            Notify(EN_MAXTEXT);
            return;
        }
        if (restoring_)
            return;
        last_ = text;
        modified_ = true;
        Notify(EN_UPDATE);
        Notify(EN_CHANGE);
    }

    // The program's own text (WM_SETTEXT, EM_REPLACESEL) passes the limit, which
    // holds back typing only; appended transcripts lose nothing.
    struct Programmatic {
        explicit Programmatic(EditControlOf *c) : c_(c), saved_(c->programmatic_) { c_->programmatic_ = true; }
        ~Programmatic() { c_->programmatic_ = saved_; }
        EditControlOf *c_;
        bool saved_;
    };

    QLineEdit *line_ = nullptr;
    MultiLine *multi_ = nullptr;
    std::string last_;
    int limit_ = kDefaultLimit;
    bool modified_ = false;
    bool restoring_ = false;
    bool programmatic_ = false;
    int leftMargin_ = 0;
    int rightMargin_ = 0;
    bool lastStale_ = false;
};

using EditControl = EditControlOf<QPlainTextEdit>;
using RichEditControl = EditControlOf<QTextEdit>;

} // namespace

void RegisterEditControl()
{
    RegisterWidgetClass("Edit", NativeControlProc<EditControl>, CS_DBLCLKS);
    RegisterWidgetClass("RichEdit20A", NativeControlProc<RichEditControl>, CS_DBLCLKS);
    RegisterWidgetClass("RICHEDIT", NativeControlProc<RichEditControl>, CS_DBLCLKS);
}

} // namespace win
