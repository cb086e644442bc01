#include "platform/win/ResourceData.h"

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace win {


namespace {

struct Entry {
    const void *data;
    size_t size;
};

struct Table {
    std::mutex lock;
    // Handles are positions in `entries` plus one, so that 0 is none.
    std::map<std::string, size_t> byKey;
    std::vector<Entry> entries;
};

Table &T()
{
    static Table table;
    return table;
}

std::string Key(LPCSTR type, LPCSTR name)
{
    return ResourceKey(type) + "/" + ResourceKey(name);
}

} // namespace

BOOL RegisterDataResource(LPCSTR type, LPCSTR name, const void *data, size_t size)
{
    if (ResourceKey(type).empty() || ResourceKey(name).empty() || !data || size == 0)
        return FALSE;
    std::lock_guard<std::mutex> guard(T().lock);
    const std::string key = Key(type, name);
    auto found = T().byKey.find(key);
    if (found != T().byKey.end()) {
        T().entries[found->second - 1] = Entry{data, size};
    } else {
        T().entries.push_back(Entry{data, size});
        T().byKey[key] = T().entries.size();
    }
    return TRUE;
}

HRSRC FindResourceA(HMODULE, LPCSTR name, LPCSTR type)
{
    {
        std::lock_guard<std::mutex> guard(T().lock);
        auto found = T().byKey.find(Key(type, name));
        if (found != T().byKey.end() && !ResourceKey(type).empty() && !ResourceKey(name).empty())
            return found->second;
    }
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return 0;
}

HGLOBAL LoadResource(HMODULE, HRSRC resource)
{
    std::lock_guard<std::mutex> guard(T().lock);
    return resource != 0 && resource <= T().entries.size() ? resource : 0;
}

const void *LockResource(HGLOBAL loaded)
{
    std::lock_guard<std::mutex> guard(T().lock);
    return loaded != 0 && loaded <= T().entries.size() ? T().entries[loaded - 1].data : nullptr;
}

DWORD SizeofResource(HMODULE, HRSRC resource)
{
    std::lock_guard<std::mutex> guard(T().lock);
    return resource != 0 && resource <= T().entries.size() ? static_cast<DWORD>(T().entries[resource - 1].size) : 0;
}

} // namespace win
