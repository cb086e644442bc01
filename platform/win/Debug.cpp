#include "platform/win/Debug.h"

#include <cstdio>
#include <cstdlib>

namespace win {

void OutputDebugStringA(LPCSTR text)
{
    static const bool enabled = std::getenv("LUMO_DEBUG") != nullptr;
    if (enabled && text)
        std::fputs(text, stderr);
}

} // namespace win
