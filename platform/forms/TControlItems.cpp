#include "platform/forms/TControlItems.h"

namespace win {

int TControlItems::Add(const AnsiString &s)
{
    int index = list_.Add(s);
    Changed();
    return index;
}

bool TControlItems::Insert(int index, const AnsiString &s)
{
    if (!list_.Insert(index, s))
        return false;
    Changed();
    return true;
}

bool TControlItems::Delete(int index)
{
    if (!list_.Delete(index))
        return false;
    Changed();
    return true;
}

void TControlItems::Clear()
{
    list_.Clear();
    Changed();
}

void TControlItems::Assign(const TStringList &other)
{
    list_.Assign(other);
    Changed();
}

void TControlItems::SetText(const AnsiString &text)
{
    list_.SetText(text);
    Changed();
}

bool TControlItems::LoadFromFile(const AnsiString &fileName)
{
    TStringList loaded;
    if (!loaded.LoadFromFile(fileName))
        return false;
    Assign(loaded);
    return true;
}

} // namespace win
