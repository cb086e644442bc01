// Indicators that draw their own figures: SAR (stop-and-reverse dots over the
// K-lines), TWR (the tower chart of the close) and OX (the point-and-figure
// chart). Each lays its pane out itself; TWR and OX also hit-test their figures.
#pragma once

#include <vector>

#include "lumon/formula/FamilyIndex.h"

class SAR : public TFamilyIndex {
public:
    explicit SAR(StockId stock);
    bool Compute() override;
    bool Draw(win::HDC hdc, const win::RECT *rect) override;
    void Layout() override;
    void DrawDots(win::HDC hdc, int line);
};

class TWR : public TFamilyIndex {
public:
    explicit TWR(StockId stock);
    bool Compute() override;
    bool Draw(win::HDC hdc, const win::RECT *rect) override;
    void Layout() override;
    int HitTest(int x, int y) override;
    void DrawTowers(win::HDC hdc);
};

class OX : public TFamilyIndex {
public:
    explicit OX(StockId stock);
    bool Compute() override;
    bool Draw(win::HDC hdc, const win::RECT *rect) override;
    void Layout() override;
    int HitTest(int x, int y) override;
    void DrawColumns(win::HDC hdc);

    // One column of the figure: X (rising) or O (falling), from the price it
    // started at to the extreme its records reached.
    struct Column {
        int FirstRecord;
        bool Rising;
        double Start;
        double Extreme;
    };
    // The columns of all records under the column rules (integer prices).
    std::vector<Column> BuildColumns();

    int ColumnCount = 0;
    int FirstDrawnRecord = 0;
    int Started = 0;

private:
    // The marks of the drawn columns: centre x, y and whether it is a cross.
    template <typename F>
    void ForEachMark(F &&visit);
};
