// A local date and time of day down to the millisecond, from the clock or from a
// file time.
#pragma once

#include "lumon/core/LDate.h"

class LDateTime : public LDate {
public:
    // The local date and time now.
    LDateTime();

    void SetNow();
    // The date as LDate::Set takes it, then the time of day of the local file time.
    int SetFromFileTime(const win::FILETIME &ft);

    int Hour() const { return m_Hour; }
    int Minute() const { return m_Minute; }
    int Second() const { return m_Second; }
    int Millisecond() const { return m_Millisecond; }

private:
    int32_t m_Hour = 0;
    int32_t m_Minute = 0;
    int32_t m_Second = 0;
    int32_t m_Millisecond = 0;
};
