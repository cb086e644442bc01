// Identity plug-ins: libraries named "QV*.DLL" that check a customer's identity
// before the login, list themselves for the server-group dialog and change the
// identity password. Each use loads the library, calls it and frees it at once.
#pragma once

#include <vector>

#include "platform/win/CString.h"
#include "platform/win/WinTypes.h"

// The exports, as the plug-ins define them (ports are 16-bit values in 32-bit
// arguments; texts are NUL-terminated).
extern "C" {
using IdendifyArgumentProc = int (*)(const char *address, unsigned port, const char *customer,
                                     const char *password, int proxyInUse, const char *proxyAddress,
                                     unsigned proxyPort, char *buffer, int size);
using GetWTFSProc = void (*)(char *buffer, int size);
using GetCaptionProc = void (*)(char *buffer, int size);
using UsePasswordProc = int (*)();
using DefaultIPProc = int (*)();
using ChangePasswordProc = int (*)(const char *address, unsigned port, const char *customer,
                                   const char *oldPassword, const char *newPassword, int proxyInUse,
                                   const char *proxyAddress, unsigned proxyPort, char *buffer,
                                   int size);
}

// The arguments that every call hands on.
struct IdentityRequest {
    const char *library;       // ValidateDll
    const char *address;       // ValidateIP
    win::WORD port;            // ValidatePort
    const char *customer;
    int proxyInUse;
    const char *proxyAddress;
    win::WORD proxyPort;
};

// Runs the identity check with the identity password. Accepted: TRUE, and
// `text` holds the order-method text to send with the login. Refused: FALSE, and
// `text` holds why.
win::BOOL RunIdentityPlugin(const IdentityRequest &request, const char *password, win::CString &text);

struct IdentityPluginInfo {
    win::CString fileName;
    win::CString caption;
    int usePassword;
    int defaultAddress;
    win::CString orderMethod;
};

// Every "QV*.DLL" of the current directory that has all of GetCaption,
// UsePassword, DefaultIP and GetWTFS, in directory-search order; the count.
int ListIdentityPlugins(std::vector<IdentityPluginInfo> &plugins);

// The identity password change of the options page: TRUE with "通讯密码修改成功！",
// or FALSE with the reason, in `message`.
win::BOOL ChangeIdentityPassword(int useValidate, const IdentityRequest &request,
                                 const char *oldPassword, const char *newPassword,
                                 win::CString &message);
