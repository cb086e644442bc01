#include "consign/session/ui/SiteKeys.h"

#include <cstdio>

#include "consign/session/ConsignState.h"
#include "platform/win/Profile.h"

using namespace win;

CString GroupSection(int group)
{
    char section[32];
    std::snprintf(section, sizeof section, "ServerGroup%d", group);
    return section;
}

int ReadServerCount()
{
    const int count = ReadLoginInt("ServerCount", 0);
    return count < 0 ? 0 : count > MAX_SITES ? MAX_SITES : count;
}

int ReadServerSelect() { return ReadLoginInt("ServerSelect", 0); }

int ReadGroupInt(int group, const char *key, int defaultValue)
{
    return static_cast<int>(GetPrivateProfileIntA(GroupSection(group), key, defaultValue, SettingsPath));
}

CString ReadGroupText(int group, const char *key, const char *defaultValue)
{
    char text[128] = {};
    GetPrivateProfileStringA(GroupSection(group), key, defaultValue, text, sizeof text, SettingsPath);
    return text;
}

void WriteGroupText(int group, const char *key, const char *value)
{
    WritePrivateProfileStringA(GroupSection(group), key, value, SettingsPath);
}

CString ReadLoginText(const char *key, const char *defaultValue)
{
    char text[128] = {};
    GetPrivateProfileStringA("Login", key, defaultValue, text, sizeof text, SettingsPath);
    return text;
}

int ReadLoginInt(const char *key, int defaultValue)
{
    return static_cast<int>(GetPrivateProfileIntA("Login", key, defaultValue, SettingsPath));
}

void WriteLoginText(const char *key, const char *value)
{
    WritePrivateProfileStringA("Login", key, value, SettingsPath);
}

void WriteLoginInt(const char *key, int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    WriteLoginText(key, text);
}
