// Builders of market description records, name tables and quote snapshots for
// the tests.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "lumon/core/MarketRecords.h"

struct SessionSpec {
    int start, end;
};

inline ClassRecord MakeClass(const char *name, bool index, std::vector<SessionSpec> sessions)
{
    ClassRecord c{};
    c.IsIndex = index ? 1 : 0;
    std::memcpy(c.Name, name, std::min<size_t>(std::strlen(name), sizeof c.Name));
    c.SessionCount = uint8_t(sessions.size());
    for (size_t k = 0; k < sessions.size() && k < 4; ++k) {
        c.SessionStart[k] = uint16_t(sessions[k].start);
        c.SessionEnd[k] = uint16_t(sessions[k].end);
    }
    return c;
}

inline MarketInfoRecord MakeMarket(const char *name, const char *dir, const char *ext, int type, int capacity,
                                   std::vector<ClassRecord> classes, int hourOffset = 8)
{
    MarketInfoRecord m{};
    m.Type = uint8_t(type);
    std::strncpy(m.Name, name, sizeof m.Name - 1);
    std::strncpy(m.Dir, dir, sizeof m.Dir - 1);
    std::strncpy(m.Ext, ext, sizeof m.Ext - 1);
    m.HourOffset = int16_t(hourOffset);
    m.DayStartMinute = 8 * 60 + 50;
    m.Capacity = uint16_t(capacity);
    m.ClassCount = uint16_t(classes.size());
    for (size_t c = 0; c < classes.size() && c < 15; ++c)
        m.Classes[c] = classes[c];
    return m;
}

inline StockStaticRecord MakeStock(int market, int cls, const char *code, const char *name, uint32_t scale = 100)
{
    StockStaticRecord s{};
    s.Market = uint8_t(market);
    s.Class = uint8_t(cls);
    std::memcpy(s.Code, code, std::min<size_t>(std::strlen(code), sizeof s.Code));
    std::memcpy(s.Name, name, std::min<size_t>(std::strlen(name), sizeof s.Name - 1));
    s.ScaleDivisor = scale;
    s.VolumeUnit = 100;
    s.Index = 0xBEEF; // set on load
    return s;
}

template <typename T>
std::string Bytes(const std::vector<T> &records)
{
    return std::string(reinterpret_cast<const char *>(records.data()), records.size() * sizeof(T));
}
