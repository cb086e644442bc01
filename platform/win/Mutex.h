// Named mutexes shared by the user's processes: the single-instance guard of a
// program. The name stands for an exclusive lock on a file of the runtime folder,
// held while the handle is open (and so for the life of the process).
#pragma once

#include "platform/win/Handle.h"
#include "platform/win/WinTypes.h"

namespace win {


// Returns a handle to the named mutex. When another handle (of this or another
// process) already holds it, the handle is still returned and GetLastError says
// ERROR_ALREADY_EXISTS; otherwise this handle holds it and GetLastError is
// ERROR_SUCCESS. A mutex without a name is not offered (ERROR_NOT_SUPPORTED); 0
// with the error when the runtime folder cannot be used.
HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES security, BOOL initialOwner, LPCSTR name);

} // namespace win
