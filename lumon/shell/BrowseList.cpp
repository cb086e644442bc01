#include "lumon/shell/BrowseList.h"

#include <memory>

#include "platform/win/Handle.h"

using namespace win;

namespace {

struct BrowseListObject : KernelObject {
    TBrowseList List;
};

} // namespace

uint32_t NewBrowseList(const StockId *stocks, int count)
{
    auto object = std::make_shared<BrowseListObject>();
    if (stocks && count > 0)
        object->List.Stocks.assign(stocks, stocks + count);
    return static_cast<uint32_t>(AddKernelObject(object));
}

TBrowseList *FindBrowseList(uint32_t handle)
{
    if (!handle)
        return nullptr;
    auto object = FindKernelObjectAs<BrowseListObject>(static_cast<HANDLE>(handle));
    // The table keeps the object alive until its handle is closed.
    return object ? &object->List : nullptr;
}

void AddBrowseListRef(uint32_t handle)
{
    if (TBrowseList *list = FindBrowseList(handle))
        ++list->RefCount;
}

void ReleaseBrowseList(uint32_t handle)
{
    TBrowseList *list = FindBrowseList(handle);
    if (list && --list->RefCount <= 0)
        CloseHandle(static_cast<HANDLE>(handle));
}
