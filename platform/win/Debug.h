// Debugger output: text the programs write for a developer, shown on the standard
// error stream when the environment variable LUMO_DEBUG is set.
#pragma once

#include "platform/win/WinTypes.h"

namespace win {

void OutputDebugStringA(LPCSTR text);

} // namespace win
