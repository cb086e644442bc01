// Reading and writing the site keys of the settings file ([Login] and
// [ServerGroup<n>]) for the login and server dialogs.
#pragma once

#include "platform/win/CString.h"

// The sites the settings file can hold.
constexpr int MAX_SITES = 20;

// [Login] ServerCount, taken as 0 below 0 and as MAX_SITES above it.
int ReadServerCount();
// [Login] ServerSelect as read (may be out of range).
int ReadServerSelect();
// A key of [ServerGroup<n>].
int ReadGroupInt(int group, const char *key, int defaultValue = 0);
win::CString ReadGroupText(int group, const char *key, const char *defaultValue = "");
void WriteGroupText(int group, const char *key, const char *value);
// A key of [Login].
win::CString ReadLoginText(const char *key, const char *defaultValue = "");
int ReadLoginInt(const char *key, int defaultValue = 0);
void WriteLoginText(const char *key, const char *value);
void WriteLoginInt(const char *key, int value);
win::CString GroupSection(int group);
