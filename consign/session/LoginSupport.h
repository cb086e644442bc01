// The plain steps of the login that need no window: packing a long customer
// number for the gateway, the texts of socket errors, and clearing the
// settlement folder after a login.
#pragma once

#include "platform/win/WinTypes.h"

// Up to 9 characters: copied unchanged. Longer: only digits (else -1) and at
// most 16 of them (else -2), packed two digits a byte (each digit + 1) behind a
// length byte and filled with '+' to 9 bytes and a NUL. 0 when filled.
// `output` holds at least 17 bytes.
int PackCustomerNumber(const char *text, char *output);

// The text of a socket error code ("连接被拒绝" for 10061), "未知错误" else.
const char *SocketErrorText(int code);

// Deletes every file of "settle/" whose name does not begin with '.'.
void ClearSettleFolder();

// Connects the session to one gateway server of the login's connection record
// (through its proxy when one is in use): 1 connected, 0 this server failed (the
// error is logged; try the next), -1 the socket could not be made (shown when
// `errorFlag` is set).
int ConnectGatewayServer(const char *address, win::UINT port, int errorFlag);
