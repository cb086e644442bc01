// One request or answer from another process's socket, checked as the receiving
// side checks it before anything of it is used: whatever the bytes, the check
// reads within them, and what it accepts fits its kind (lengths, data only where
// the message carries a copy, no pointer-carrying system message).
// fuzz-deps: platform_win
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/win/RemoteFrame.h"

using namespace win;

namespace {

void Require(bool holds)
{
    if (!holds)
        std::abort();
}

void CheckAccepted(const RemoteFrame &f, size_t size)
{
    Require(f.magic == kRemoteMagic && size == sizeof f + f.dataLen && f.dataLen <= kMaxCopyDataBytes);
    const Crossing crossing = CrossingOf(f.message);
    switch (f.kind) {
    case kRemotePost:
        Require(f.dataLen == 0 && crossing == Crossing::kPlain);
        break;
    case kRemoteSend:
        Require(crossing != Crossing::kRefused);
        Require(f.dataLen == 0 || crossing == Crossing::kCopyData || crossing == Crossing::kSetText);
        Require(crossing == Crossing::kPlain || f.lParam == 0);
        Require(crossing != Crossing::kGetText || f.wParam <= kMaxCopyDataBytes + 1);
        break;
    case kRemoteQuery:
        Require(f.dataLen == 0 && f.message >= kQueryIsWindow && f.message <= kQueryForeground);
        break;
    default:
        Require(false);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    RemoteFrame f{};
    switch (CheckRemoteRequest(data, size, f)) {
    case RequestCheck::kAccepted:
        CheckAccepted(f, size);
        break;
    case RequestCheck::kRefused:
        Require(f.kind == kRemotePost || f.kind == kRemoteSend);
        Require(f.dataLen == 0 && CrossingOf(f.message) != Crossing::kPlain);
        break;
    case RequestCheck::kMalformed:
        break;
    }
    // The same bytes as the answer to a WM_GETTEXT with a small buffer.
    constexpr size_t kAsked = 64;
    RemoteFrame answer{};
    if (CheckRemoteAnswer(data, size, kAsked, answer))
        Require(answer.kind == kRemoteAnswer && answer.dataLen <= kAsked && size == sizeof answer + answer.dataLen &&
                answer.dwData <= kAnswerRefused);
    return 0;
}
