#include "consign/session/ModuleVersion.h"

#include <vector>

#include "platform/win/File.h"
#include "platform/win/Version.h"

using namespace win;

namespace {

CString DottedVersion(DWORD most, DWORD least)
{
    CString text;
    text.Format("%u,%u,%u,%u", most >> 16, most & 0xFFFF, least >> 16, least & 0xFFFF);
    text.Replace(',', '.');
    return text;
}

} // namespace

CModuleVersion::CModuleVersion(HMODULE module, LPCSTR block, LPCSTR name)
{
    char fileName[261];
    const DWORD length = GetModuleFileNameA(module, fileName, sizeof fileName);
    if (length == 0 || length >= sizeof fileName)
        return;
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(fileName, &handle);
    if (size == 0)
        return;
    std::vector<BYTE> data(size);
    if (!GetFileVersionInfoA(fileName, handle, size, data.data()))
        return;
    LPVOID value = nullptr;
    UINT valueLength = 0;
    if (VerQueryValueA(data.data(), "\\", &value, &valueLength) && valueLength >= sizeof(VS_FIXEDFILEINFO)) {
        const auto *fixed = static_cast<const VS_FIXEDFILEINFO *>(value);
        m_strFileVersion = DottedVersion(fixed->dwFileVersionMS, fixed->dwFileVersionLS);
        m_strProductVersion = DottedVersion(fixed->dwProductVersionMS, fixed->dwProductVersionLS);
    }
    if ((block && *block) || (name && *name)) {
        const CString path = CString("\\StringFileInfo\\") + (block ? block : "") + "\\" + (name ? name : "");
        if (VerQueryValueA(data.data(), path, &value, &valueLength))
            m_strValue = static_cast<const char *>(value);
    }
}
