// The version record of a module of the order client: one string value of its
// version resource and its file and product versions as dotted text.
#pragma once

#include "platform/win/CString.h"
#include "platform/win/WinTypes.h"

class CModuleVersion {
public:
    // Reads the version resource of the module's file (module 0 is the program
    // itself); `block` and `name` pick "\StringFileInfo\<block>\<name>" when
    // given. Missing version information leaves the texts empty.
    CModuleVersion(win::HMODULE module, win::LPCSTR block, win::LPCSTR name);

    win::CString m_strValue;
    win::CString m_strFileVersion;     // "5.0.5.3"
    win::CString m_strProductVersion;
};
