#include "consign/session/Des.h"

#include <new>

#include "common/Des.h"

namespace {

// The process-wide state: one key schedule in the standard bit order, made by
// DesInit and shared by every user.
TDes *g_des = nullptr;
bool g_keySet = false;

} // namespace

int DesInit(int mode)
{
    if (mode != 0)
        return -1;
    if (g_des)
        return 0;
    g_des = new (std::nothrow) TDes(TDes::StandardBitOrder);
    if (!g_des)
        return -1;
    g_keySet = false;
    return 0;
}

int DesSetKey(const unsigned char *key)
{
    if (!g_des)
        return -1;
    g_des->SetKey(key);
    g_keySet = true;
    return 0;
}

void DesEncryptBlock(unsigned char *block)
{
    if (g_des && g_keySet)
        g_des->EncryptBlock(block);
}

void DesDecryptBlock(unsigned char *block)
{
    if (g_des && g_keySet)
        g_des->DecryptBlock(block);
}

int DesDone()
{
    if (!g_des)
        return -1;
    delete g_des;
    g_des = nullptr;
    return 0;
}
