#include "platform/win/Version.h"

#include <strings.h>

#include <cstring>
#include <mutex>
#include <string>

#include "platform/win/File.h"

namespace win {
namespace {

// The block: a magic word, the whole length, the fixed information, then pairs
// of zero-terminated texts (the value's path, the value), ended by an empty path.
constexpr char kMagic[4] = {'L', 'V', 'E', 'R'};
constexpr size_t kFixedAt = 8;
constexpr size_t kStringsAt = kFixedAt + sizeof(VS_FIXEDFILEINFO);

struct Registered {
    std::mutex lock;
    std::string fileName;
    std::string block;
};

Registered &R()
{
    static auto *registered = new Registered;
    return *registered;
}

std::string ProgramFileName()
{
    char path[4096];
    const DWORD n = GetModuleFileNameA(0, path, sizeof path);
    return n > 0 && n < sizeof path ? std::string(path, n) : std::string();
}

// The registered block when `fileName` names the program's file.
bool BlockOf(LPCSTR fileName, std::string &block)
{
    std::lock_guard<std::mutex> guard(R().lock);
    if (!fileName || R().block.empty() || R().fileName.empty() ||
        ::strcasecmp(fileName, R().fileName.c_str()) != 0) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return false;
    }
    block = R().block;
    return true;
}

} // namespace

void RegisterVersionResource(const VersionResource &resource)
{
    VS_FIXEDFILEINFO fixed = {};
    fixed.dwSignature = 0xFEEF04BDu;
    fixed.dwStrucVersion = 0x00010000u;
    fixed.dwFileVersionMS = static_cast<DWORD>(resource.fileVersion[0]) << 16 | resource.fileVersion[1];
    fixed.dwFileVersionLS = static_cast<DWORD>(resource.fileVersion[2]) << 16 | resource.fileVersion[3];
    fixed.dwProductVersionMS =
        static_cast<DWORD>(resource.productVersion[0]) << 16 | resource.productVersion[1];
    fixed.dwProductVersionLS =
        static_cast<DWORD>(resource.productVersion[2]) << 16 | resource.productVersion[3];
    fixed.dwFileOS = 0x00040004u;  // Windows NT, 32-bit
    fixed.dwFileType = 1;          // an application

    std::string block(kMagic, sizeof kMagic);
    block.append(4, '\0');
    block.append(reinterpret_cast<const char *>(&fixed), sizeof fixed);
    for (int i = 0; i < resource.stringCount; ++i) {
        const VersionString &s = resource.strings[i];
        block += std::string("\\StringFileInfo\\") + (s.block ? s.block : "") + "\\" +
                 (s.name ? s.name : "");
        block.push_back('\0');
        block += s.value ? s.value : "";
        block.push_back('\0');
    }
    block.push_back('\0');
    const uint32_t length = static_cast<uint32_t>(block.size());
    std::memcpy(&block[4], &length, 4);

    const std::string fileName = ProgramFileName();
    std::lock_guard<std::mutex> guard(R().lock);
    R().fileName = fileName;
    R().block = block;
}

DWORD GetFileVersionInfoSizeA(LPCSTR fileName, DWORD *handle)
{
    if (handle)
        *handle = 0;
    std::string block;
    if (!BlockOf(fileName, block))
        return 0;
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(block.size());
}

BOOL GetFileVersionInfoA(LPCSTR fileName, DWORD, DWORD length, LPVOID data)
{
    std::string block;
    if (!BlockOf(fileName, block))
        return FALSE;
    if (!data || length < block.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memcpy(data, block.data(), block.size());
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID *buffer, UINT *length)
{
    const char *p = static_cast<const char *>(block);
    if (!p || !subBlock || !buffer || std::memcmp(p, kMagic, sizeof kMagic) != 0)
        return FALSE;
    uint32_t total = 0;
    std::memcpy(&total, p + 4, 4);
    if (std::strcmp(subBlock, "\\") == 0) {
        *buffer = const_cast<char *>(p + kFixedAt);
        if (length)
            *length = sizeof(VS_FIXEDFILEINFO);
        return TRUE;
    }
    size_t at = kStringsAt;
    while (at < total && p[at] != '\0') {
        const char *path = p + at;
        const size_t pathLength = ::strnlen(path, total - at);
        const size_t valueAt = at + pathLength + 1;
        if (valueAt >= total)
            break;
        const char *value = p + valueAt;
        const size_t valueLength = ::strnlen(value, total - valueAt);
        if (::strcasecmp(path, subBlock) == 0) {
            *buffer = const_cast<char *>(value);
            if (length)
                *length = static_cast<UINT>(valueLength + 1);
            return TRUE;
        }
        at = valueAt + valueLength + 1;
    }
    return FALSE;
}

} // namespace win
