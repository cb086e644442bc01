#include "platform/forms/RtfText.h"

#include <iconv.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "platform/win/Text.h"

namespace win {

namespace {

constexpr int kGbkCodePage = 936;

void AppendHex(std::string &out, unsigned char byte)
{
    static const char digits[] = "0123456789abcdef";
    out += "\\'";
    out += digits[byte >> 4];
    out += digits[byte & 15];
}

// A name or a line of text: ASCII as it is (with \, { and } escaped), tabs as
// \tab, and every byte of other characters, control bytes and `extra` as \'hh.
void AppendEscaped(std::string &out, std::string_view text, char extra = 0)
{
    size_t i = 0;
    while (i < text.size()) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            size_t n = GbkCharLength(text.data() + i, text.size() - i);
            for (size_t k = 0; k < n; ++k)
                AppendHex(out, static_cast<unsigned char>(text[i + k]));
            i += n;
            continue;
        }
        if (c == '\t') {
            out += "\\tab ";
        } else if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F || (extra && c == static_cast<unsigned char>(extra))) {
            AppendHex(out, c);
        } else {
            out += static_cast<char>(c);
        }
        ++i;
    }
}

// The code page of a font's character set (\fcharsetN); 0 for the document's.
int CodePageOfCharset(int charset)
{
    switch (charset) {
    case 0: return 1252;
    case 2: return 1252;
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 255: return 437;
    default: return 0;
    }
}

// What a group's text is for.
enum class Dest { Text, FontTable, Skip };

struct GroupState {
    Dest dest = Dest::Text;
    int font = -1;
    int uc = 1;
};

// Control words whose group is left out with all it holds.
bool IsSkippedDestination(std::string_view word)
{
    static const char *const words[] = {
        "colortbl", "stylesheet", "info", "pict", "object", "header", "headerl", "headerr", "headerf",
        "footer", "footerl", "footerr", "footerf", "footnote", "fldinst", "listtable", "listoverridetable",
        "rsidtbl", "revtbl", "generator", "xmlnstbl", "themedata", "colorschememapping", "latentstyles",
        "datastore", "filetbl", "private", "pn", "shp", "xe", "tc", "txe", "nonshppict", "bkmkstart",
        "bkmkend", "annotation", "atnid", "atnauthor", "mmathPr", "pgdsctbl"};
    for (const char *w : words)
        if (word == w)
            return true;
    return false;
}

// Characters some control words stand for.
char16_t SymbolOf(std::string_view word)
{
    static const struct {
        const char *word;
        char16_t ch;
    } symbols[] = {{"emdash", u'\u2014'},    {"endash", u'\u2013'},    {"bullet", u'\u2022'},
                   {"lquote", u'\u2018'},    {"rquote", u'\u2019'},    {"ldblquote", u'\u201C'},
                   {"rdblquote", u'\u201D'}, {"emspace", u' '},        {"enspace", u' '},
                   {"qmspace", u' '}};
    for (const auto &s : symbols)
        if (word == s.word)
            return s.ch;
    return 0;
}

class Reader {
public:
    explicit Reader(std::string_view in) : in_(in) {}
    ~Reader()
    {
        for (auto &entry : converters_)
            if (entry.second != reinterpret_cast<iconv_t>(-1))
                iconv_close(entry.second);
    }
    Reader(const Reader &) = delete;
    Reader &operator=(const Reader &) = delete;

    std::string Run()
    {
        while (pos_ < in_.size() && !done_) {
            char c = in_[pos_++];
            if (c == '{')
                OpenGroup();
            else if (c == '}')
                CloseGroup();
            else if (c == '\\')
                ControlSequence();
            else if (c != '\r' && c != '\n')
                TextByte(static_cast<unsigned char>(c));
        }
        Flush();
        return std::move(out_);
    }

private:
    GroupState &State() { return stack_.back(); }

    void OpenGroup()
    {
        Flush();
        skipFallback_ = 0;
        if (stack_.empty())
            stack_.push_back(GroupState{});
        else
            stack_.push_back(stack_.back());
    }

    void CloseGroup()
    {
        Flush();
        skipFallback_ = 0;
        if (!stack_.empty())
            stack_.pop_back();
        if (stack_.empty())
            done_ = true;
    }

    bool Skipping() const { return stack_.empty() || stack_.back().dest != Dest::Text; }

    // One character of a \uN fallback, if one is still to be left out.
    bool TakeFallback()
    {
        if (skipFallback_ <= 0)
            return false;
        --skipFallback_;
        return true;
    }

    int CodePage()
    {
        auto it = fontCodePages_.find(State().font);
        if (it != fontCodePages_.end() && it->second != 0)
            return it->second;
        return documentCodePage_;
    }

    void TextByte(unsigned char c)
    {
        if (stack_.empty())
            return;
        if (State().dest == Dest::FontTable) {
            FontTableByte(c);
            return;
        }
        if (Skipping() || TakeFallback())
            return;
        if (c < 0x20 && c != '\t')
            return;
        if (c < 0x80) {
            FlushBytes();
            FlushUnicode();
            out_ += static_cast<char>(c);
            return;
        }
        int cp = CodePage();
        if (cp == kGbkCodePage) {
            FlushBytes();
            FlushUnicode();
            out_ += static_cast<char>(c);
            return;
        }
        if (!bytes_.empty() && bytesCodePage_ != cp)
            FlushBytes();
        FlushUnicode();
        bytesCodePage_ = cp;
        bytes_ += static_cast<char>(c);
    }

    void FontTableByte(unsigned char c)
    {
        if (c == ';')
            currentFont_ = -1;
    }

    void Emit(std::string_view gbk)
    {
        if (Skipping())
            return;
        Flush();
        out_ += gbk;
    }

    void EmitUnicode(char16_t ch)
    {
        if (Skipping())
            return;
        FlushBytes();
        unicode_ += ch;
    }

    void Flush()
    {
        FlushBytes();
        FlushUnicode();
    }

    void FlushUnicode()
    {
        if (unicode_.empty())
            return;
        AppendUnicode(unicode_);
        unicode_.clear();
    }

    // Control characters other than the tab are no text, whichever way they came.
    void AppendUnicode(std::u16string &text)
    {
        std::erase_if(text, [](char16_t ch) { return ch < 0x20 && ch != u'\t'; });
        out_ += Utf16ToGbk(text);
    }

    // Bytes of a code page other than GBK's, through that code page.
    void FlushBytes()
    {
        if (bytes_.empty())
            return;
        iconv_t cd = Converter(bytesCodePage_);
        std::u16string text;
        if (cd == reinterpret_cast<iconv_t>(-1)) {
            text.assign(bytes_.size(), u'?');
        } else {
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            char *src = bytes_.data();
            size_t srcLeft = bytes_.size();
            while (srcLeft > 0) {
                char16_t buf[256];
                char *dst = reinterpret_cast<char *>(buf);
                size_t dstLeft = sizeof buf;
                size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
                text.append(buf, (reinterpret_cast<char16_t *>(dst) - buf));
                if (r == static_cast<size_t>(-1) && errno != E2BIG) {
                    text += u'?';
                    ++src;
                    --srcLeft;
                    iconv(cd, nullptr, nullptr, nullptr, nullptr);
                }
            }
        }
        bytes_.clear();
        AppendUnicode(text);
    }

    iconv_t Converter(int codePage)
    {
        auto it = converters_.find(codePage);
        if (it != converters_.end())
            return it->second;
        char name[24];
        if (codePage == 950)
            std::snprintf(name, sizeof name, "BIG5");
        else if (codePage == 10000)
            std::snprintf(name, sizeof name, "MACINTOSH");
        else
            std::snprintf(name, sizeof name, "CP%d", codePage);
        iconv_t cd = iconv_open("UTF-16LE", name);
        converters_[codePage] = cd;
        return cd;
    }

    static bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool IsDigit(char c) { return c >= '0' && c <= '9'; }

    static int HexValue(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    void ControlSequence()
    {
        if (pos_ >= in_.size())
            return;
        char c = in_[pos_];
        if (IsLetter(c)) {
            ControlWord();
            return;
        }
        ++pos_;
        switch (c) {
        case '\'': {
            int hi = pos_ < in_.size() ? HexValue(in_[pos_]) : -1;
            int lo = pos_ + 1 < in_.size() ? HexValue(in_[pos_ + 1]) : -1;
            if (hi < 0 || lo < 0)
                return;
            pos_ += 2;
            TextByte(static_cast<unsigned char>(hi * 16 + lo));
            return;
        }
        case '\\':
        case '{':
        case '}':
            TextByte(static_cast<unsigned char>(c));
            return;
        case '*':
            if (!stack_.empty())
                State().dest = Dest::Skip;
            return;
        case '\r':
        case '\n':
            if (!TakeFallback())
                Emit("\r\n");
            return;
        case '~':
            if (!TakeFallback())
                Emit(" ");
            return;
        case '_':
            if (!TakeFallback())
                Emit("-");
            return;
        default:
            TakeFallback();
            return;
        }
    }

    void ControlWord()
    {
        size_t start = pos_;
        while (pos_ < in_.size() && IsLetter(in_[pos_]))
            ++pos_;
        std::string_view word = in_.substr(start, pos_ - start);
        bool hasParam = false;
        bool negative = false;
        long long param = 0;
        if (pos_ < in_.size() && in_[pos_] == '-' && pos_ + 1 < in_.size() && IsDigit(in_[pos_ + 1])) {
            negative = true;
            ++pos_;
        }
        while (pos_ < in_.size() && IsDigit(in_[pos_])) {
            hasParam = true;
            if (param <= INT_MAX)
                param = param * 10 + (in_[pos_] - '0');
            ++pos_;
        }
        if (pos_ < in_.size() && in_[pos_] == ' ')
            ++pos_;
        if (param > INT_MAX)
            param = INT_MAX;
        if (negative)
            param = -param;
        Word(word, hasParam, static_cast<int>(param));
    }

    void Word(std::string_view word, bool hasParam, int param)
    {
        if (word == "bin") {
            // Binary data: its bytes are never text.
            size_t n = param > 0 ? static_cast<size_t>(param) : 0;
            pos_ += n < in_.size() - pos_ ? n : in_.size() - pos_;
            return;
        }
        if (stack_.empty() || State().dest == Dest::Skip)
            return;
        if (word == "ansicpg" && hasParam) {
            documentCodePage_ = param;
            return;
        }
        if (word == "deff" && hasParam) {
            State().font = param;
            return;
        }
        if (word == "fonttbl") {
            State().dest = Dest::FontTable;
            return;
        }
        if (State().dest == Dest::FontTable) {
            FontTableWord(word, param);
            return;
        }
        if (IsSkippedDestination(word)) {
            Flush();
            State().dest = Dest::Skip;
            return;
        }
        if (word == "uc") {
            State().uc = param < 0 ? 0 : param > 16 ? 16 : param;
            return;
        }
        if (word == "u" && hasParam) {
            if (TakeFallback())
                return;
            EmitUnicode(static_cast<char16_t>(param < 0 ? param + 65536 : param));
            skipFallback_ = State().uc;
            return;
        }
        if (TakeFallback())
            return;
        if (word == "f" && hasParam) {
            Flush();
            State().font = param;
        } else if (word == "par" || word == "line" || word == "row" || word == "page" || word == "sect") {
            Emit("\r\n");
        } else if (word == "tab" || word == "cell" || word == "nestcell") {
            Emit("\t");
        } else if (char16_t ch = SymbolOf(word)) {
            EmitUnicode(ch);
        }
    }

    void FontTableWord(std::string_view word, int param)
    {
        if (word == "f") {
            currentFont_ = param;
        } else if (currentFont_ >= 0 && word == "fcharset") {
            int &cp = fontCodePages_[currentFont_];
            if (!fontHasCpg_[currentFont_])
                cp = CodePageOfCharset(param);
        } else if (currentFont_ >= 0 && word == "cpg") {
            fontCodePages_[currentFont_] = param;
            fontHasCpg_[currentFont_] = true;
        }
    }

    std::string_view in_;
    size_t pos_ = 0;
    bool done_ = false;
    std::vector<GroupState> stack_;
    std::string out_;
    std::u16string unicode_;
    std::string bytes_;
    int bytesCodePage_ = 0;
    int skipFallback_ = 0;
    // Without \ansicpg the text is in the system's code page, GBK here.
    int documentCodePage_ = kGbkCodePage;
    int currentFont_ = -1;
    std::map<int, int> fontCodePages_;
    std::map<int, bool> fontHasCpg_;
    std::map<int, iconv_t> converters_;
};

} // namespace

std::string WriteRtf(const TStringList &lines, const RtfFont &font)
{
    std::string out = "{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 ";
    AppendEscaped(out, std::string_view(font.Name.c_str(), static_cast<size_t>(font.Name.Length())), ';');
    out += ";}}\r\n";
    char buf[96];
    std::snprintf(buf, sizeof buf, "{\\colortbl ;\\red%u\\green%u\\blue%u;}\r\n", unsigned(font.Color & 0xFF),
                  unsigned((font.Color >> 8) & 0xFF), unsigned((font.Color >> 16) & 0xFF));
    out += buf;
    out += "\\viewkind4\\uc1\\pard\\cf1\\f0";
    if (font.Size > 0) {
        std::snprintf(buf, sizeof buf, "\\fs%d", font.Size * 2);
        out += buf;
    }
    out += ' ';
    for (int i = 0; i < lines.Count(); ++i) {
        const AnsiString &line = lines.Strings(i);
        AppendEscaped(out, std::string_view(line.c_str(), static_cast<size_t>(line.Length())));
        out += "\\par\r\n";
    }
    out += "}\r\n";
    return out;
}

bool ReadRtf(std::string_view bytes, std::string &text)
{
    if (bytes.substr(0, 5) != "{\\rtf")
        return false;
    text = Reader(bytes).Run();
    return true;
}

} // namespace win
