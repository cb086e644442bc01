// A sample identity plug-in: accepts the identity password "1234" and changes it
// once, so that the order client's loader and password change can be tested.
#include <cstdio>
#include <cstring>

namespace {

char g_password[32] = "1234";

void Put(char *buffer, int size, const char *text)
{
    if (buffer && size > 0)
        std::snprintf(buffer, static_cast<size_t>(size), "%s", text);
}

} // namespace

extern "C" {

int IdendifyArgument(const char *address, unsigned port, const char *customer, const char *password,
                     int proxyInUse, const char *proxyAddress, unsigned proxyPort, char *buffer,
                     int size)
{
    if (std::strcmp(password, g_password) != 0) {
        char text[128];
        std::snprintf(text, sizeof text, "refused %s at %s:%u", customer, address, port);
        Put(buffer, size, text);
        return 0;
    }
    return 1;
}

void GetWTFS(char *buffer, int size)
{
    Put(buffer, size, "qvtest");
}

void GetCaption(char *buffer, int size)
{
    Put(buffer, size, "Test identity");
}

int UsePassword()
{
    return 1;
}

int DefaultIP()
{
    return 0;
}

int ChangePassword(const char *address, unsigned port, const char *customer, const char *oldPassword,
                   const char *newPassword, int proxyInUse, const char *proxyAddress,
                   unsigned proxyPort, char *buffer, int size)
{
    if (std::strcmp(oldPassword, g_password) != 0) {
        Put(buffer, size, "wrong old password");
        return 0;
    }
    std::snprintf(g_password, sizeof g_password, "%s", newPassword);
    return 1;
}
}
