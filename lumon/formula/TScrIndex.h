// The formula indicator: its lines are computed by the user formula that its
// definition names (a text file in ..\CFG\), compiled by the one compiler that
// all formula indicators share and evaluated over every record.
#pragma once

#include "lumon/formula/TIndex.h"

class TCompiler;

struct FormulaParamValue {
    float Min;
    float Max;
    float Value;             // what the formula's parameter receives
};

class TScrIndex : public TIndex {
public:
    TScrIndex(StockId stock, int id);
    ~TScrIndex() override;

    // Loads and compiles the formula once; stays uninitialised (no buffers, no
    // lines) when the file is missing or the formula has errors.
    bool Init() override;
    // The data load, then the formula compiled again and run over every record.
    bool Compute() override;
    // The lines by their styles: LINE, BAR and TBAR; NONE and CANDLE are not
    // drawn.
    bool Draw(win::HDC hdc, const win::RECT *rect) override;

    // Reads the formula file and compiles it; true when it compiled without
    // errors (warnings allowed), which sets the lines, styles and parameters.
    bool LoadFormula();

    // The compiler shared by every formula indicator, made by the first one.
    static TCompiler *Compiler;

    FormulaParamValue Descriptors[8] = {};
    char FormulaPath[128] = {};
    char *FormulaText = nullptr;
    uint8_t Compiled = 0;
};
