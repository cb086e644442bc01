#include "lumon/formula/IndexFactory.h"

#include <new>

#include "lumon/formula/IndexDefs.h"
#include "lumon/formula/PriceIndexes.h"

namespace {

using IndexMaker = TIndex *(*)(StockId stock, StockId stock2);

template <typename T>
TIndex *Make(StockId stock, StockId)
{
    return new (std::nothrow) T(stock);
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
    {1, Make<CBline>},
    {2, Make<CloseLine>},
    {3, Make<CKline>},
    {8, Make<CZJline>},
    {9, Make<KLine>},
    {321, Make<CAmount>},
    {322, Make<CVolume>},
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
    TIndex *made = maker ? maker(stock, stock2) : nullptr;
    if (!made)
        return false;
    delete slot;
    slot = made;
    return true;
}
