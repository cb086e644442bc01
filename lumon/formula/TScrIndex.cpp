#include "lumon/formula/TScrIndex.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "lumon/core/EMemOp.h"
#include "lumon/core/FlatFile.h"
#include "lumon/formula/TCompiler.h"

TCompiler *TScrIndex::Compiler = nullptr;

TScrIndex::TScrIndex(StockId stock, int id) : TIndex(stock)
{
    PriceScale = 0;
    Id = uint16_t(id);
    if (!Compiler)
        Compiler = new TCompiler();
    Init();
}

TScrIndex::~TScrIndex()
{
    EMemFree(FormulaText);
}

bool TScrIndex::Init()
{
    if (Initialised)
        return true;
    FindIndexDefinition(Id, Definition, Params);
    for (int i = 0; i < 8; ++i)
        Descriptors[i] = {0, 10000, float(5 + 5 * i)};
    int length = int(strnlen(Definition.FormulaFile, sizeof Definition.FormulaFile));
    std::snprintf(FormulaPath, sizeof FormulaPath, "..\\CFG\\%.*s", length, Definition.FormulaFile);
    if (length == 0 || !LoadFormula())
        return true;
    const int lines = LineCount;
    // The base sets up the buffers for the formula's lines; a formula without
    // result lines gets none, whatever its definition says.
    TIndex::Init();
    Definition.LineCount = uint16_t(lines);
    for (int k = lines; k < LineCount; ++k)
        Styles[k] = {StyleNone, 0.0f};
    LineCount = lines;
    NoLines = lines == 0;
    for (int k = 0; k < lines; ++k)
        Styles[k] = {Compiler->ResultStyles[k], 0.0f};
    return true;
}

bool TScrIndex::LoadFormula()
{
    Compiled = 0;
    int file = FileOpen(FormulaPath, "rb");
    if (file < 1)
        return false;
    int size = std::max(FileGetSize(file), 0);
    EMemFree(FormulaText);
    FormulaText = static_cast<char *>(EMemAlloc(size_t(size) + 100));
    if (FormulaText && size > 0)
        FileRead(file, FormulaText, 1, size);
    FileClose(file);
    if (!FormulaText || !Compiler)
        return false;
    Compiler->Reset();
    Compiler->SetSource(FormulaText);
    Compiler->Compile();
    if (Compiler->Errors.ErrorCount != 0)
        return false;
    LineCount = std::min(Compiler->ResultCount, MaxIndexLines);
    ParamCount = Compiler->ParamCount;
    for (int i = 0; i < ParamCount; ++i)
        Descriptors[i] = {Compiler->ParamDescs[i].Min, Compiler->ParamDescs[i].Max, Compiler->ParamDescs[i].Default};
    Compiled = 1;
    return true;
}

bool TScrIndex::Compute()
{
    if (!TIndex::Compute() || !Compiled || !Compiler || !FormulaText)
        return false;
    Compiler->Reset();
    Compiler->SetSource(FormulaText);
    Compiler->Compile();
    if (Compiler->Errors.ErrorCount != 0 || !Compiler->Bind(this))
        return false;
    for (int i = 0; i < ParamCount; ++i)
        Compiler->SetParam(Descriptors[i].Value, i, 0);
    const int lines = std::min(LineCount, Compiler->ResultCount);
    const int records = std::min(RecordCount, LineCapacity);
    for (int r = 0; r < records; ++r) {
        Compiler->SetRecordIndex(r);
        Compiler->Run();
        for (int k = 0; k < lines; ++k)
            if (Lines[k])
                Lines[k][r] = Compiler->GetValue(k, 1);
    }
    Computed = 1;
    return true;
}

bool TScrIndex::Draw(win::HDC hdc, const win::RECT *rect)
{
    if (!TIndex::Draw(hdc, rect))
        return false;
    for (int k = 0; k < LineCount; ++k) {
        switch (Styles[k].Style) {
        case StyleLine: DrawLineStyle(hdc, rect, k, 0); break;
        case StyleBar: DrawBarStyle(hdc, rect, k, 0); break;
        case StyleTBar: DrawTBarStyle(hdc, rect, k, 0.0f, 0); break;
        default: break;
        }
    }
    return true;
}
