// Feeds a byte stream to the chat connection as a server would send it, cut into
// receive pieces whose sizes the input chooses, with the events the windows and
// the timer cause in between (selection, sending, keepalive, a blocked socket),
// then closes it: nothing is read outside a record, the unread count matches
// the users, the backlog stays within bounds and every user is freed at the end.
// fuzz-deps: chatdesk_core
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <set>

#include "tests/chatdesk/ChatTestSupport.h"

using namespace chattest;

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

void CheckUnread(WindowsDouble &windows)
{
    std::set<ChatUser *> users(windows.online.begin(), windows.online.end());
    users.insert(windows.recent.begin(), windows.recent.end());
    int unread = 0;
    for (ChatUser *user : users)
        unread += user->unread != 0;
    Check(unread == UnreadUserCount);
    Check(static_cast<int>(users.size()) == ChatUser::LiveCount());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    CurrentPartner = nullptr;
    UnreadUserCount = 0;
    const size_t piece = 1 + (size_t(data[0]) * 37) % 4200;
    const uint8_t events = data[1];
    data += 2;
    size -= 2;
    {
        WindowsDouble windows;
        windows.notify = events & 1;
        windows.needsRaise = events & 2;
        FedSocket socket(windows);
        socket.Up();
        uint8_t record[kChatMaxRecord];
        const char text[300] = "The same words again. The same words again. The same words again.";
        for (size_t i = 0, step = 0; i < size && socket.IsConnected(); i += piece, ++step) {
            socket.Deliver(Bytes(data + i, data + std::min(size, i + piece)));
            CheckUnread(windows);
            switch (((events >> 2) + step) & 7) {
            case 0:
                windows.RunPostedSelection();
                break;
            case 1:
                if (CurrentPartner) {
                    const size_t length = BuildChatMessage(CurrentPartner->id, text, sizeof text, record);
                    socket.BringToRecentTop(CurrentPartner, false);
                    socket.SendRecord(record, static_cast<int>(length));
                }
                break;
            case 2:
                socket.sendRoom = step % 5 * 700;
                break;
            case 3:
                socket.SendKeepAlive();
                break;
            case 4:
                socket.sendRoom = SIZE_MAX;
                socket.OnSend(0);
                break;
            case 5:
                if (!windows.recent.empty())
                    windows.SelectRecentUser(static_cast<int>(step % windows.recent.size()));
                break;
            default:
                break;
            }
            Check(socket.GetBacklogSize() <= CChatSocket::kBacklogSize);
            CheckUnread(windows);
        }
        socket.OnClose(0);
        Check(windows.online.empty() && windows.recent.empty());
    }
    Check(ChatUser::LiveCount() == 0);
    Check(UnreadUserCount == 0);
    Check(CurrentPartner == nullptr);
    return 0;
}
