#include "lumon/core/LDateTime.h"

#include "platform/win/Time.h"

using namespace win;

LDateTime::LDateTime()
    : LDate(2000, 1, 1)
{
    SetNow();
}

void LDateTime::SetNow()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    Set(st);
    m_Hour = st.wHour;
    m_Minute = st.wMinute;
    m_Second = st.wSecond;
    m_Millisecond = st.wMilliseconds;
}

int LDateTime::SetFromFileTime(const FILETIME &ft)
{
    FILETIME local;
    SYSTEMTIME st;
    if (!FileTimeToLocalFileTime(&ft, &local) || !FileTimeToSystemTime(&local, &st))
        return 0;
    if (!Set(st))
        return 0;
    m_Hour = st.wHour;
    m_Minute = st.wMinute;
    m_Second = st.wSecond;
    m_Millisecond = st.wMilliseconds;
    return 1;
}
