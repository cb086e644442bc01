// Resource names as the programs write them: a text, or a 16-bit number carried in
// the name pointer (MAKEINTRESOURCE), and the key the layer's resource tables use.
#pragma once

#include <string>

#include "platform/win/WinTypes.h"

namespace win {

inline LPCSTR MAKEINTRESOURCEA(WORD id)
{
    return reinterpret_cast<LPCSTR>(static_cast<uintptr_t>(id));
}
inline LPCSTR MAKEINTRESOURCE(WORD id)
{
    return MAKEINTRESOURCEA(id);
}
inline bool IS_INTRESOURCE(LPCSTR name)
{
    return (reinterpret_cast<uintptr_t>(name) >> 16) == 0;
}

constexpr DWORD ERROR_RESOURCE_NAME_NOT_FOUND = 1814;

// "#<number>" for a numbered name (the text "#123" names resource 123 too), the
// text in upper case otherwise (names are compared without regard to case); empty
// for a null or empty name.
std::string ResourceKey(LPCSTR name);

} // namespace win
