// A page and panes that stand in for the page window and its views in the
// frame's tests: each pane records its notifications and offers the stocks,
// period and window it was given.
#pragma once

#include <algorithm>
#include <array>
#include <functional>
#include <vector>

#include "lumon/shell/FramePanes.h"

namespace testsupport {

struct TestPane : TFramePane {
    explicit TestPane(int type = VIEW_QUOTE_LIST) : type(type) {}
    int ViewType() const override { return type; }
    bool IsOpen() const override { return open; }
    void Notify(int code, int32_t a, int32_t b, int32_t c) override
    {
        notes.push_back({code, a, b, c});
        if (onNotify)
            onNotify();
    }
    win::HWND Window() const override { return window; }
    void CollectStocks(EArray<STKMS> &list) override
    {
        for (STKMS s : stocks) {
            bool held = false;
            for (int i = 0; i < list.GetCount(); ++i)
                held = held || list.GetAt(i) == s;
            if (!held)
                list.Add(s);
        }
    }
    void CollectVisibleStocks(EArray<STKMS> &list) override
    {
        for (STKMS s : rows)
            list.Add(s);
    }
    StockId CurrentStock() const override { return stock; }
    StockId SecondStock() const override { return second; }
    int Period() const override { return period; }
    // The notifications of one code.
    std::vector<std::array<int32_t, 4>> Notes(int code) const
    {
        std::vector<std::array<int32_t, 4>> out;
        for (const auto &n : notes)
            if (n[0] == code)
                out.push_back(n);
        return out;
    }

    int type;
    bool open = true;
    StockId stock = 0, second = 0;
    int period = 0;
    win::HWND window = 0;
    std::vector<STKMS> stocks, rows;
    std::vector<std::array<int32_t, 4>> notes;
    std::function<void()> onNotify;
};

struct TestPage : TFramePage {
    std::vector<TFramePane *> Panes() override { return panes; }
    bool HasPane(const TFramePane *pane) override
    {
        return std::find(panes.begin(), panes.end(), pane) != panes.end();
    }
    TFramePane *ActivePane() override { return active; }
    void OpenView(const void *attributes, bool tickFirst) override { opened.push_back(attributes); }
    void Remove(TFramePane *pane) { panes.erase(std::remove(panes.begin(), panes.end(), pane), panes.end()); }

    std::vector<TFramePane *> panes;
    TFramePane *active = nullptr;
    std::vector<const void *> opened;
};

} // namespace testsupport
