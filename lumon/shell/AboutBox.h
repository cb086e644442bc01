// The user-information box "用户信息": the company lines of SETTING.INI
// [UserInfo] and, while the terminal is connected, the user's name and the
// date until which the user's rights run.
#pragma once

#include <cstdint>

#include "platform/forms/TForm.h"

namespace win {
class TButton;
class TLabel;
} // namespace win

class TAboutBox : public win::TForm {
public:
    explicit TAboutBox(win::TComponent *Owner);

    // The connection state (0: not connected), the user's name and the rights
    // date as yymmdd, shown from then on.
    void SetUser(int connection, const char *user, int32_t rightsDate);

    win::TLabel *Label1;  // name
    win::TLabel *Label2;  // company
    win::TLabel *Label3;  // telephone
    win::TLabel *Label4;  // 登录用户名:
    win::TLabel *Label5;  // 用户到期日:
    win::TLabel *Label6;  // the user or 未登录
    win::TLabel *Label7;  // the date or ____年__月__日
    win::TButton *Button1;

    int Connection = 0;
    int32_t RightsDate = 0;
    char UserName[32] = {};
};
