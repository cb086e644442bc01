// Feeds arbitrary bytes to the rich-text reader, then checks that the text it gives
// comes back unchanged through the writer and the reader.
// fuzz-deps: platform_forms
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/forms/RtfText.h"
#include "platform/win/TStringList.h"

using namespace win;

namespace {

TStringList Split(const std::string &text)
{
    TStringList lines;
    lines.SetText(AnsiString(text.data(), static_cast<int>(text.size())));
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string_view bytes(reinterpret_cast<const char *>(data), size);
    std::string text;
    if (!ReadRtf(bytes, text))
        return 0;
    TStringList lines = Split(text);
    RtfFont font{"宋体", 12, 0x123456};
    std::string again;
    if (!ReadRtf(WriteRtf(lines, font), again))
        __builtin_trap();
    TStringList back = Split(again);
    if (back.Count() != lines.Count())
        __builtin_trap();
    for (int i = 0; i < lines.Count(); ++i)
        if (!(back.Strings(i) == lines.Strings(i)))
            __builtin_trap();
    return 0;
}
