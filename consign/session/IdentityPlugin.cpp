#include "consign/session/IdentityPlugin.h"

#include <cstring>

#include "platform/win/File.h"
#include "platform/win/Module.h"

using namespace win;

namespace {

constexpr char kLoadFailed[] = "身份论证装载动态连接库失败！";

template <typename Proc>
Proc Lookup(HMODULE library, const char *name)
{
    return reinterpret_cast<Proc>(GetProcAddress(library, name));
}

// A plug-in may leave its buffer unterminated: the text ends at the buffer's end.
CString BufferText(const char *buffer, int size)
{
    return CString(buffer, static_cast<int>(strnlen(buffer, static_cast<size_t>(size))));
}

} // namespace

BOOL RunIdentityPlugin(const IdentityRequest &request, const char *password, CString &text)
{
    char buffer[256] = {};
    text.Empty();
    const HMODULE library = LoadLibraryA(request.library);
    if (!library) {
        text = kLoadFailed;
        return FALSE;
    }
    const auto identify = Lookup<IdendifyArgumentProc>(library, "IdendifyArgument");
    const auto orderMethod = Lookup<GetWTFSProc>(library, "GetWTFS");
    if (!identify || !orderMethod) {
        FreeLibrary(library);
        text = "取得身份论证或委托方式的函数接口失败！";
        return FALSE;
    }
    const int accepted = identify(request.address, request.port, request.customer, password,
                                  request.proxyInUse, request.proxyAddress, request.proxyPort,
                                  buffer, sizeof buffer);
    if (accepted)
        orderMethod(buffer, sizeof buffer);
    FreeLibrary(library);
    text = BufferText(buffer, sizeof buffer);
    return accepted ? TRUE : FALSE;
}

int ListIdentityPlugins(std::vector<IdentityPluginInfo> &plugins)
{
    plugins.clear();
    WIN32_FIND_DATAA found;
    const HANDLE search = FindFirstFileA("QV*.DLL", &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    do {
        if (found.cFileName[0] == '.' || (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        CString path;
        path.Format(".\\%s", found.cFileName);
        const HMODULE library = LoadLibraryA(path);
        if (!library)
            continue;
        const auto caption = Lookup<GetCaptionProc>(library, "GetCaption");
        const auto usePassword = Lookup<UsePasswordProc>(library, "UsePassword");
        const auto defaultAddress = Lookup<DefaultIPProc>(library, "DefaultIP");
        const auto orderMethod = Lookup<GetWTFSProc>(library, "GetWTFS");
        if (caption && usePassword && defaultAddress && orderMethod) {
            IdentityPluginInfo info;
            info.fileName = found.cFileName;
            char text[128] = {};
            caption(text, sizeof text);
            info.caption = BufferText(text, sizeof text);
            info.usePassword = usePassword();
            info.defaultAddress = defaultAddress();
            char method[32] = {};
            orderMethod(method, sizeof method);
            info.orderMethod = BufferText(method, sizeof method);
            plugins.push_back(info);
        }
        FreeLibrary(library);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return static_cast<int>(plugins.size());
}

BOOL ChangeIdentityPassword(int useValidate, const IdentityRequest &request, const char *oldPassword,
                            const char *newPassword, CString &message)
{
    if (!useValidate) {
        message = "没有设置身份验证！";
        return FALSE;
    }
    const HMODULE library = LoadLibraryA(request.library);
    if (!library) {
        message = kLoadFailed;
        return FALSE;
    }
    const auto change = Lookup<ChangePasswordProc>(library, "ChangePassword");
    if (!change) {
        FreeLibrary(library);
        message = "取得身份论证修改密码的函数接口失败！";
        return FALSE;
    }
    char buffer[128] = {};
    const int changed = change(request.address, request.port, request.customer, oldPassword,
                               newPassword, request.proxyInUse, request.proxyAddress,
                               request.proxyPort, buffer, sizeof buffer);
    FreeLibrary(library);
    message = changed ? CString("通讯密码修改成功！") : BufferText(buffer, sizeof buffer);
    return changed ? TRUE : FALSE;
}
