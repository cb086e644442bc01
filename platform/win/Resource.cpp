#include "platform/win/Resource.h"

#include "platform/win/Text.h"

namespace win {
namespace {

// "#<id>", the key of a numbered resource (built by appending: GCC 12 reports a
// false overlap for "#" + std::string).
std::string NumberedKey(unsigned long id)
{
    std::string key(1, '#');
    key += std::to_string(id);
    return key;
}

} // namespace

std::string ResourceKey(LPCSTR name)
{
    if (IS_INTRESOURCE(name)) {
        WORD id = static_cast<WORD>(reinterpret_cast<uintptr_t>(name));
        return id ? NumberedKey(id) : std::string();
    }
    std::string key = GbkUpper(name);
    if (key.size() > 1 && key[0] == '#' && key.find_first_not_of("0123456789", 1) == std::string::npos) {
        unsigned long id = std::stoul(key.substr(1, 6));
        return id > 0 && id <= 0xFFFF ? NumberedKey(id) : key;
    }
    return key;
}

} // namespace win
