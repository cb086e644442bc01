// Set-up shared by the benchmarks of the market views on a frame of their own:
// the program's application and main frame, a market of one stock with a day of
// random-walk ticks, and the comparison drawings with raw QPainter: the texts
// (and cell fills) a painter drew into a recording context, drawn again
// straight onto an image.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "lumon/core/DataIO.h"
#include "lumon/core/HistoryRecords.h"
#include "lumon/core/MarketData.h"
#include "lumon/core/PackedDateTime.h"
#include "lumon/shell/MFrame.h"
#include "platform/forms/TApplication.h"
#include "platform/gdi/Gdi.h"
#include "platform/gdi/GdiTesting.h"

namespace benchfix {

// The application of the program `name` (kept for the run) and its main frame
// with the quote-refresh timer stopped, width x height at the screen's corner.
struct BenchFrame {
    win::TApplication *app = nullptr;
    TMFrame *frame = nullptr;
};
inline BenchFrame NewBenchFrame(const char *name, int width, int height)
{
    static std::string program;
    static char *argv[2] = {nullptr, nullptr};
    static int argc = 1;
    program = name;
    argv[0] = program.data();
    BenchFrame f;
    f.app = new win::TApplication(argc, argv);
    f.frame = new TMFrame(f.app);
    f.frame->Timer2->Enabled = false;
    f.frame->SetBounds(0, 0, width, height);
    return f;
}

// Market 0 of the given type, one stock `code` named `name` at whole prices,
// trading 09:00-11:30 and 13:30-15:00.
inline TMarketData *OneStockMarket(uint8_t type, const char *dir, const char *ext, const char *code,
                                   const char *name)
{
    MarketInfoRecord info{};
    info.Type = type;
    std::strcpy(info.Dir, dir);
    std::strcpy(info.Ext, ext);
    info.Capacity = 4;
    info.ClassCount = 1;
    info.Classes[0].SessionCount = 2;
    info.Classes[0].SessionStart[0] = 540, info.Classes[0].SessionEnd[0] = 690;
    info.Classes[0].SessionStart[1] = 810, info.Classes[0].SessionEnd[1] = 900;
    auto *market = new TMarketData(0, info);
    market->StockCount = 1;
    StockStaticRecord &s = market->Statics[0];
    std::strcpy(s.Code, code);
    std::strcpy(s.Name, name);
    s.ScaleDivisor = 1, s.VolumeUnit = 1, s.Decimals = 0;
    market->RebuildCodeIndex();
    return market;
}

// The day's end of a tick file written by WriteTickDay.
struct TickDayEnd {
    uint32_t price = 0;
    float volume = 0;   // cumulative
    float interest = 0; // open interest
};

// A day of `count` ticks over the two sessions as the file at path: a random
// walk of the price from `start`, rising cumulative volumes, open interest
// around 100,000 and random sides.
inline TickDayEnd WriteTickDay(const std::filesystem::path &path, int count, unsigned seed, uint32_t start)
{
    std::mt19937 random(seed);
    std::vector<TickRecord> ticks(static_cast<size_t>(count));
    TickDayEnd end{start, 0, 100000};
    for (int i = 0; i < count; ++i) {
        int minute = 540 + i * 240 / count;
        if (minute >= 690)
            minute += 120;
        ticks[i].Time = PackedDateTime((minute / 60) << 6 | minute % 60);
        end.price += random() % 21 - 10;
        end.volume += float(random() % 50 + 1);
        end.interest += float(int(random() % 41) - 20);
        ticks[i].Price = end.price;
        ticks[i].Volume = end.volume;
        ticks[i].Amount = end.interest;
        ticks[i].Side = uint8_t(random() % 3);
    }
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char *>(ticks.data()), std::streamsize(ticks.size() * sizeof(TickRecord)));
    return end;
}

// What a painter drew into a recording context, for raw QPainter: each text
// with its place and the text colour then set, and each filled rectangle.
struct RawDrawing {
    struct Text {
        int x, y;
        QString text;
        QColor colour;
    };
    struct Fill {
        QRect rect;
        QColor colour;
    };
    std::vector<Text> texts;
    std::vector<Fill> fills;
};
inline RawDrawing RecordedDrawing(win::HDC dc)
{
    auto qcolour = [](unsigned c) { return QColor(int(c & 0xFF), int(c >> 8 & 0xFF), int(c >> 16 & 0xFF)); };
    RawDrawing out;
    unsigned colour = 0;
    for (const std::string &call : win::RecordedCalls(dc)) {
        int x, y, l, t, r, b;
        unsigned c;
        if (std::sscanf(call.c_str(), "SetTextColor(0x%X)", &c) == 1) {
            colour = c;
        } else if (std::sscanf(call.c_str(), "FillRect(%d,%d,%d,%d,brush(0x%X))", &l, &t, &r, &b, &c) == 5) {
            out.fills.push_back({QRect(l, t, r - l, b - t), qcolour(c)});
        } else if (std::sscanf(call.c_str(), "TextOutA(%d,%d,", &x, &y) == 2) {
            const size_t open = call.find('"'), close = call.rfind('"');
            out.texts.push_back(
                {x, y, QString::fromLatin1(call.substr(open + 1, close - open - 1)), qcolour(colour)});
        }
    }
    return out;
}

// The drawing on the image: the fills, then the texts in `font`, each text's
// baseline `ascent` pixels below the y it was drawn at.
inline void DrawRaw(QImage &image, const RawDrawing &drawing, const QFont &font, int ascent)
{
    QPainter p(&image);
    p.setFont(font);
    for (const RawDrawing::Fill &f : drawing.fills)
        p.fillRect(f.rect, f.colour);
    for (const RawDrawing::Text &t : drawing.texts) {
        p.setPen(t.colour);
        p.drawText(t.x, t.y + ascent, t.text);
    }
}

// What a view benchmark's session holds: its scratch folder, the frame and the
// market installed as market 0, taken out and freed at the end of the run.
struct ViewSession {
    ~ViewSession()
    {
        delete frame;
        market->StockCount = 0;
        MarketTable.Markets[0] = nullptr;
        delete market;
    }

    std::filesystem::path root;
    TMarketData *market = nullptr;
    win::TApplication *app = nullptr;
    TMFrame *frame = nullptr;
};

} // namespace benchfix
