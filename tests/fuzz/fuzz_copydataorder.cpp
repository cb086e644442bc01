// A WM_COPYDATA hand-over of any size and content: only a block of exactly 352
// bytes is taken, with every text field ended within its width.
// fuzz-deps: consign_session
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "consign/session/CmdLineOrder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<uint8_t> copy(data, data + size);
    win::COPYDATASTRUCT block{1001, static_cast<win::DWORD>(size), copy.empty() ? nullptr : copy.data()};
    CCmdLineOrder record{};
    const bool taken = TakeCopyDataOrder(&block, record);
    if (taken != (size == sizeof record))
        __builtin_trap();
    if (taken && (strnlen(record.contract, sizeof record.contract) >= sizeof record.contract ||
                  strnlen(record.codeText, sizeof record.codeText) >= sizeof record.codeText ||
                  strnlen(record.tradeCode, sizeof record.tradeCode) >= sizeof record.tradeCode))
        __builtin_trap();
    return 0;
}
