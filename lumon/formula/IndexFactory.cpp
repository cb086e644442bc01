#include "lumon/formula/IndexFactory.h"

#include <new>

#include "lumon/formula/IndexDefs.h"
#include "lumon/formula/PriceIndexes.h"
#include "lumon/formula/BreadthIndexes.h"
#include "lumon/formula/ChartTypes.h"
#include "lumon/formula/MaFamily.h"
#include "lumon/formula/MarketRelative.h"
#include "lumon/formula/OscFamily.h"
#include "lumon/formula/WrapIndex.h"
#include "lumon/formula/TScrIndex.h"
#include "lumon/formula/BandIndexes.h"
#include "lumon/formula/Oscillators.h"
#include "lumon/formula/TrendIndexes.h"
#include "lumon/formula/VolumeIndexes.h"

namespace {

using IndexMaker = TIndex *(*)(int id, StockId stock, StockId stock2);

template <typename T>
TIndex *Make(int, StockId stock, StockId)
{
    return new (std::nothrow) T(stock);
}

// A formula indicator finds its definition, and so its formula file, by the id.
TIndex *MakeFormula(int id, StockId stock, StockId)
{
    return new (std::nothrow) TScrIndex(stock, id);
}

struct IndexClassEntry {
    int Id;
    IndexMaker Maker;
};

// The entry under which the formula indicator class is listed: definitions of
// the formula kind are made by it whatever their id.
constexpr int FormulaEntry = -int(IndexKindFormula);

// The built-in classes by indicator id. A new class joins by one line here.
const IndexClassEntry Catalogue[] = {
    {FormulaEntry, MakeFormula},
    {42, Make<DMA>},
    {43, Make<DMI1>},
    {44, Make<EXPMA>},
    {45, Make<MACD>},
    {48, Make<TRIX>},
    {81, Make<BIAS>},
    {83, Make<CCI>},
    {86, Make<ROC>},
    {87, Make<RSI>},
    {90, Make<W_R>},
    {122, Make<BOLL>},
    {125, Make<MIKE>},
    {161, Make<BRAR>},
    {162, Make<CR>},
    {163, Make<PSY>},
    {164, Make<VR>},
    {241, Make<ASI>},
    {242, Make<EMV>},
    {243, Make<OBV>},
    {362, Make<SPOS>},
    {1, Make<CBline>},
    {2, Make<CloseLine>},
    {3, Make<CKline>},
    {8, Make<CZJline>},
    {9, Make<KLine>},
    {321, Make<CAmount>},
    {322, Make<CVolume>},
    {4, Make<MA>},
    {5, Make<PBX>},
    {6, Make<TWR>},
    {7, Make<OX>},
    {41, Make<BBI>},
    {46, Make<MTM>},
    {47, Make<SAR>},
    {82, Make<B3612>},
    {84, Make<KDJ>},
    {85, Make<LW_R>},
    {88, Make<SLOWKD>},
    {89, Make<VRSI>},
    {91, Make<KD>},
    {121, Make<BBIBOLL>},
    {123, Make<CDP>},
    {124, Make<DKX>},
    {126, Make<RAIL>},
    {201, Make<MI>},
    {202, Make<RCCD>},
    {244, Make<WVAD>},
    {281, Make<ADL>},
    {282, Make<ADR>},
    {283, Make<OBOS>},
    {323, Make<OI>},
    {361, Make<LON>},
    {363, Make<RAD>},
    {364, Make<SHT>},
    {365, Make<SSL>},
    {601, NewWrap},
};

IndexMaker FindMaker(int id)
{
    for (const IndexClassEntry &e : Catalogue)
        if (e.Id == id)
            return e.Maker;
    return nullptr;
}

} // namespace

bool HasIndexClass(int id)
{
    return FindMaker(id) != nullptr;
}

bool CreateIndex(TIndex *&slot, int id, StockId stock, StockId stock2)
{
    IndexDefinition definition;
    IndexParamBlock params;
    if (!FindIndexDefinition(id, definition, params))
        return false;
    IndexMaker maker = FindMaker(definition.Kind == IndexKindFormula ? FormulaEntry : id);
    TIndex *made = maker ? maker(id, stock, stock2) : nullptr;
    if (!made)
        return false;
    delete slot;
    slot = made;
    return true;
}
