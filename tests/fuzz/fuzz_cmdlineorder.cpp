// The order client's command line in any shape: parsed into the 352-byte record,
// whose text fields must stay ended within their widths.
// fuzz-deps: consign_session
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "consign/session/CmdLineOrder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string line(reinterpret_cast<const char *>(data), size);
    CCmdLineOrder record{};
    if (ParseCmdLineOrder(line.c_str(), record) == 1) {
        if (strnlen(record.contract, sizeof record.contract) >= sizeof record.contract ||
            strnlen(record.hedge, sizeof record.hedge) >= sizeof record.hedge ||
            strnlen(record.reserved2, sizeof record.reserved2) >= sizeof record.reserved2)
            __builtin_trap();
        if (record.sendDirectly != 0 && record.sendDirectly != 1)
            __builtin_trap();
    }
    return 0;
}
