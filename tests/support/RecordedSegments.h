// The calls of a recording context with each Polyline written out as the
// MoveToEx and LineTo calls that draw the same segments: for tests that count
// or look for the segments of a line, whichever of the two ways drew them (a
// polyline's pixels are those of its segments drawn one by one).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

inline std::vector<std::string> AsSegments(const std::vector<std::string> &calls)
{
    std::vector<std::string> out;
    out.reserve(calls.size());
    for (const std::string &call : calls) {
        if (call.rfind("Polyline(", 0) != 0) {
            out.push_back(call);
            continue;
        }
        const char *p = call.c_str() + 9;
        int x, y, n, k = 0;
        while (std::sscanf(p, "%d,%d%n", &x, &y, &n) == 2) {
            out.push_back((k++ == 0 ? "MoveToEx(" : "LineTo(") + std::to_string(x) + "," + std::to_string(y) + ")");
            p += n;
            if (*p == ',')
                ++p;
        }
    }
    return out;
}
