#include "lumon/formula/IndexDefs.h"

#include <cstring>

#include "lumon/core/DataPool.h"
#include "lumon/core/EMemOp.h"

namespace {

IndexTable Table{};
bool Loaded = false;

} // namespace

void FreeIndexDefinitions()
{
    EMemFree(Table.Definitions);
    EMemFree(Table.Params);
    Table = IndexTable{};
    Loaded = false;
}

const IndexTable *LoadIndexDefinitions(const char *user)
{
    FreeIndexDefinitions();
    void *definitions = nullptr;
    int count = 0;
    TDataPool::LoadIndexTable(definitions, count);
    void *params = nullptr;
    // The parameter buffer is handed out zeroed, so definitions past the end of
    // a short table simply have no parameters.
    TDataPool::LoadIndexParamTable(params, count);
    if (count < 1 || !definitions || !params) {
        EMemFree(definitions);
        EMemFree(params);
        return nullptr;
    }
    Table.Count = count;
    Table.Definitions = static_cast<IndexDefinition *>(definitions);
    Table.Params = static_cast<IndexParamBlock *>(params);
    Loaded = true;
    return &Table;
}

const IndexTable *GetIndexTable()
{
    return Loaded ? &Table : nullptr;
}

bool FindIndexDefinition(int id, IndexDefinition &definition, IndexParamBlock &params)
{
    std::memset(&params, 0, sizeof params);
    std::memset(&definition, 0, sizeof definition);
    if (id == IndexIdWrap) {
        definition.Id = IndexIdWrap;
        definition.Attribute = 32;
        definition.Kind = 10;
        definition.LineCount = 2;
        std::strcpy(definition.Name, "跨品种分析");
        return true;
    }
    if (!Loaded)
        return false;
    for (int i = 0; i < Table.Count; ++i) {
        if (Table.Definitions[i].Id != id)
            continue;
        definition = Table.Definitions[i];
        params = Table.Params[i];
        // The texts are used as strings: a field filled to its end is cut there.
        definition.Name[sizeof definition.Name - 1] = 0;
        definition.FormulaFile[sizeof definition.FormulaFile - 1] = 0;
        return true;
    }
    return false;
}

namespace {

// Copies the text of record bytes [from, to) of the name field, up to its first
// NUL; `out` holds to - from + 1 bytes.
void CopyField(char *out, const IndexDefinition &d, int from, int to)
{
    const char *field = d.Name + (from - 8);
    size_t length = strnlen(field, size_t(to - from));
    std::memcpy(out, field, length);
    out[length] = 0;
}

} // namespace

ChooserTexts DefinitionTexts(const IndexDefinition &definition)
{
    ChooserTexts t{};
    CopyField(t.Name, definition, 8, 20);
    CopyField(t.Description, definition, 20, 67);
    CopyField(t.HotKey, definition, 67, 72);
    return t;
}
