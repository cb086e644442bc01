// The dialog resources of the login: their ids and templates, entered once
// before the first of them is built.
#pragma once

#include "platform/win/WinTypes.h"

namespace win {
class CDialog;
}

constexpr win::UINT IDD_TRADE_LOGIN = 129;
constexpr win::UINT IDD_PASSWORD_PAD = 169;
constexpr win::UINT IDD_SERVER_TEST = 187;
constexpr win::UINT IDD_COMM_SETTINGS = 188;
constexpr win::UINT IDD_SERVER_GROUP = 189;

void RegisterSessionDialogs();

// Moves a settings dialog so that its bottom right corner meets its owner's (as
// the login dialog's settings dialogs open); nothing without an owner window.
void PlaceAtOwnersCorner(win::CDialog &dialog);
