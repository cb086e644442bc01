// Inside the layer: the frames that carry requests and answers between the user's
// processes, which messages may cross and how, and the checks a frame from a peer
// passes before anything of it is used. Kept apart from the socket code so that
// the checks can be tried on any bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win/Messages.h"

namespace win {

// Questions and requests about a window, answered by its process on the
// window's thread.
enum RemoteQuery : UINT {
    kQueryIsWindow = 1,
    kQueryVisible = 2,
    kQueryIconic = 3,
    kQueryZoomed = 4,
    kQueryShow = 5,       // arg: the ShowWindow command; answer: was visible
    kQueryForeground = 6, // bring to the top and activate
};

// One request or answer on the socket: this header, then dataLen bytes.
#pragma pack(push, 1)
struct RemoteFrame {
    uint32_t magic;   // kRemoteMagic
    uint32_t kind;    // RemoteKind
    uint32_t hwnd;
    uint32_t message; // the message number, or the RemoteQuery code
    uint32_t wParam;  // WM_GETTEXT: the size of the sender's buffer
    uint32_t lParam;  // in an answer: the result; 0 for a marshalled message
    uint32_t dwData;  // WM_COPYDATA's dwData; in an answer: a RemoteAnswer value
    uint32_t dataLen; // WM_COPYDATA's bytes, WM_SETTEXT's text (without its NUL),
                      // in the answer to WM_GETTEXT the text copied
};
#pragma pack(pop)
static_assert(sizeof(RemoteFrame) == 32);
constexpr uint32_t kRemoteMagic = 0x574D554C; // "LUMW"
enum RemoteKind : uint32_t { kRemotePost = 1, kRemoteSend = 2, kRemoteQuery = 3, kRemoteAnswer = 4 };
// What an answer's dwData says about the request.
enum RemoteAnswer : uint32_t { kAnswerNotHandled = 0, kAnswerHandled = 1, kAnswerRefused = 2 };

// The largest frame either side sends: a header and the longest block.
constexpr size_t kMaxRemoteFrame = sizeof(RemoteFrame) + kMaxCopyDataBytes;

// How a message reaches a window of another process. Messages at or above
// WM_USER, and the system messages whose parameters are plain values (numbers,
// flags, coordinates, window handles), cross as they are; WM_COPYDATA and the
// text messages carry a copy of their block or text; every other system message
// carries a pointer (or a handle of this process only) and does not cross.
enum class Crossing { kPlain, kCopyData, kSetText, kGetText, kRefused };
Crossing CrossingOf(UINT msg);

// What the receiving side makes of the bytes of one request.
enum class RequestCheck {
    kMalformed, // not a frame of ours, or lengths that do not fit its kind: dropped
    kRefused,   // a well-formed frame with a message that may not cross
    kAccepted,
};
// Checks one request as it came from the socket (`size` bytes); the header is
// copied to `frame` whenever there is one. An accepted post carries no data and a
// message that crosses plain; an accepted send carries data only for WM_COPYDATA
// and WM_SETTEXT (at most kMaxCopyDataBytes, with lParam 0) and asks WM_GETTEXT
// for at most kMaxCopyDataBytes + 1 bytes; an accepted query names a RemoteQuery.
RequestCheck CheckRemoteRequest(const void *bytes, size_t size, RemoteFrame &frame);

// Checks one answer: a header of kind kRemoteAnswer with a known RemoteAnswer
// value, then exactly dataLen bytes, at most `maxData`.
bool CheckRemoteAnswer(const void *bytes, size_t size, size_t maxData, RemoteFrame &frame);

} // namespace win
