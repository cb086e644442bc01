#include "platform/win/Resource.h"

#include "platform/win/Text.h"

namespace win {

std::string ResourceKey(LPCSTR name)
{
    if (IS_INTRESOURCE(name)) {
        WORD id = static_cast<WORD>(reinterpret_cast<uintptr_t>(name));
        return id ? "#" + std::to_string(id) : std::string();
    }
    std::string key = GbkUpper(name);
    if (key.size() > 1 && key[0] == '#' && key.find_first_not_of("0123456789", 1) == std::string::npos) {
        unsigned long id = std::stoul(key.substr(1, 6));
        return id > 0 && id <= 0xFFFF ? "#" + std::to_string(id) : key;
    }
    return key;
}

} // namespace win
