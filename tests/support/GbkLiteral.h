// The GBK bytes of a UTF-8 literal, whatever the compiler's execution character
// set: for comparisons with text that comes as GBK from a peer, a file or the
// wire, where a plain literal would be GBK under one compiler and UTF-8 under
// another.
#pragma once

#include <string>

#include "platform/win/Text.h"

inline std::string GbkOf(const char8_t *utf8)
{
    return win::Utf8ToGbk(reinterpret_cast<const char *>(utf8));
}
