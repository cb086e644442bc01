// A byte stream from the trade gateway, read packet by packet and dispatched:
// any lengths, codes, flags, statuses and bodies must be read within bounds,
// refused or handled, never read past a buffer or crash.
// fuzz-deps: consign_session
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "consign/session/Des.h"
#include "consign/session/RecordLists.h"
#include "consign/session/TradeSession.h"
#include "platform/win/MessageBox.h"

namespace {

// A session whose socket is the input: reads come from it, writes go nowhere.
class StreamSession : public CTradeSession {
public:
    StreamSession(const uint8_t *data, size_t size) : data_(data), size_(size) {}
    int Receive(void *buffer, int length, int) override
    {
        const size_t n = std::min(size_ - at_, static_cast<size_t>(length));
        std::memcpy(buffer, data_ + at_, n);
        at_ += n;
        return static_cast<int>(n);
    }
    int Send(const void *, int length, int) override { return length; }

private:
    const uint8_t *data_;
    size_t size_;
    size_t at_ = 0;
};

} // namespace

// Input: one byte of session state (bit 0: enciphering on, bit 1: logged in,
// bit 2: trader login kind 7, bit 3: reconnecting), then the stream.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    static const bool ready = DesInit(0) == 0;
    if (!ready)
        return 0;
    win::RecordMessageBoxes(true);
    ClearRecordLists();
    StreamSession session(data + 1, size - 1);
    session.m_Cipher.m_Encipher = data[0] & 1;
    session.m_bLoggedIn = (data[0] >> 1) & 1;
    session.m_LoginKind = (data[0] & 4) ? 7 : 1;
    session.m_bReconnecting = (data[0] >> 3) & 1;
    session.m_strUserId = "8001";
    for (int packets = 0; packets < 64 && session.ReadPacket(true); ++packets)
        session.DispatchPacket();
    ClearRecordLists();
    win::RecordMessageBoxes(false);
    return 0;
}
