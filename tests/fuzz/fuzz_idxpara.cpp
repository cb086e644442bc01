// The parameter dialog's readers of text: a "Para<i>" value of IdxPara.ini of any
// content split into label, input length and default, and an edit's text read as
// a parameter and as a reference level.
// fuzz-deps: lumon_views
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "lumon/views/Setpara.h"
#include "lumon/views/Setrefl.h"
#include "platform/win/Text.h"
#include "tests/fuzz/FuzzRequire.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The profile reader hands over text without NULs.
    std::string text(reinterpret_cast<const char *>(data), size);
    text = text.substr(0, text.find('\0'));
    ParamLabel p = ParseParamLabel(text.c_str());
    size_t length = strnlen(p.Label, sizeof p.Label);
    Require(length < sizeof p.Label);
    Require(win::GbkFitLength(std::string_view(p.Label, length), length) == length);
    Require(std::string_view(text).substr(0, length) == std::string_view(p.Label, length));
    ReadEditNumber(text.c_str());
    Require(std::isfinite(ReadEditLevel(text.c_str())));
    return 0;
}
