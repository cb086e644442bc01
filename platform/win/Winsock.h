// The Windows Sockets calls the programs make, over non-blocking IPv4 sockets:
// start-up, sockets behind 32-bit handles that are not reused, blocking and
// non-blocking connect, send and receive with the WSA error codes, name look-up,
// address texts, and WSAAsyncSelect, which reports socket events to a window as
// messages with Windows' re-enabling rules.
#pragma once

#include "platform/win/WinTypes.h"

// Some of these names are macros of the C library's socket headers, which the
// layer's own sources include next to this one.
#pragma push_macro("AF_INET")
#pragma push_macro("INADDR_ANY")
#pragma push_macro("INADDR_NONE")
#pragma push_macro("INADDR_LOOPBACK")
#pragma push_macro("FIONBIO")
#pragma push_macro("FIONREAD")
#pragma push_macro("htons")
#pragma push_macro("htonl")
#pragma push_macro("ntohs")
#pragma push_macro("ntohl")
#undef AF_INET
#undef INADDR_ANY
#undef INADDR_NONE
#undef INADDR_LOOPBACK
#undef FIONBIO
#undef FIONREAD
#undef htons
#undef htonl
#undef ntohs
#undef ntohl

namespace win {

using u_char = UCHAR;
using u_short = USHORT;
using u_int = UINT;
using u_long = ULONG;

// A socket is a handle number of the layer; a closed socket's number is never
// handed out again, so a message still queued for it cannot reach a new socket.
using SOCKET = uint32_t;
constexpr SOCKET INVALID_SOCKET = 0xFFFFFFFFu;
constexpr int SOCKET_ERROR = -1;

constexpr int AF_INET = 2;
constexpr int SOCK_STREAM = 1;
constexpr int SOCK_DGRAM = 2;
constexpr int IPPROTO_TCP = 6;
constexpr int IPPROTO_UDP = 17;

constexpr u_long INADDR_ANY = 0x00000000u;
constexpr u_long INADDR_LOOPBACK = 0x7F000001u;
constexpr u_long INADDR_NONE = 0xFFFFFFFFu;

// ioctlsocket commands.
constexpr LONG FIONREAD = static_cast<LONG>(0x4004667Fu);
constexpr LONG FIONBIO = static_cast<LONG>(0x8004667Eu);

// shutdown directions.
constexpr int SD_RECEIVE = 0;
constexpr int SD_SEND = 1;
constexpr int SD_BOTH = 2;

// WSAAsyncSelect events.
constexpr LONG FD_READ = 0x01;
constexpr LONG FD_WRITE = 0x02;
constexpr LONG FD_OOB = 0x04;
constexpr LONG FD_ACCEPT = 0x08;
constexpr LONG FD_CONNECT = 0x10;
constexpr LONG FD_CLOSE = 0x20;

// Error codes of WSAGetLastError.
constexpr int WSAEINTR = 10004;
constexpr int WSAEBADF = 10009;
constexpr int WSAEACCES = 10013;
constexpr int WSAEFAULT = 10014;
constexpr int WSAEINVAL = 10022;
constexpr int WSAEMFILE = 10024;
constexpr int WSAEWOULDBLOCK = 10035;
constexpr int WSAEINPROGRESS = 10036;
constexpr int WSAEALREADY = 10037;
constexpr int WSAENOTSOCK = 10038;
constexpr int WSAEDESTADDRREQ = 10039;
constexpr int WSAEMSGSIZE = 10040;
constexpr int WSAEPROTOTYPE = 10041;
constexpr int WSAENOPROTOOPT = 10042;
constexpr int WSAEPROTONOSUPPORT = 10043;
constexpr int WSAESOCKTNOSUPPORT = 10044;
constexpr int WSAEOPNOTSUPP = 10045;
constexpr int WSAEPFNOSUPPORT = 10046;
constexpr int WSAEAFNOSUPPORT = 10047;
constexpr int WSAEADDRINUSE = 10048;
constexpr int WSAEADDRNOTAVAIL = 10049;
constexpr int WSAENETDOWN = 10050;
constexpr int WSAENETUNREACH = 10051;
constexpr int WSAENETRESET = 10052;
constexpr int WSAECONNABORTED = 10053;
constexpr int WSAECONNRESET = 10054;
constexpr int WSAENOBUFS = 10055;
constexpr int WSAEISCONN = 10056;
constexpr int WSAENOTCONN = 10057;
constexpr int WSAESHUTDOWN = 10058;
constexpr int WSAETIMEDOUT = 10060;
constexpr int WSAECONNREFUSED = 10061;
constexpr int WSAELOOP = 10062;
constexpr int WSAENAMETOOLONG = 10063;
constexpr int WSAEHOSTDOWN = 10064;
constexpr int WSAEHOSTUNREACH = 10065;
constexpr int WSASYSNOTREADY = 10091;
constexpr int WSAVERNOTSUPPORTED = 10092;
constexpr int WSANOTINITIALISED = 10093;
constexpr int WSASYSCALLFAILURE = 10107;
constexpr int WSAHOST_NOT_FOUND = 11001;
constexpr int WSATRY_AGAIN = 11002;
constexpr int WSANO_RECOVERY = 11003;
constexpr int WSANO_DATA = 11004;

#pragma pack(push, 1)
struct in_addr_bytes {
    u_char s_b1, s_b2, s_b3, s_b4;
};
struct in_addr_words {
    u_short s_w1, s_w2;
};
union in_addr_parts {
    in_addr_bytes S_un_b;
    in_addr_words S_un_w;
    u_long S_addr;
};
// An IPv4 address in network order, readable as s_addr or through S_un.
struct in_addr {
    union {
        in_addr_parts S_un;
        u_long s_addr;
    };
};
static_assert(sizeof(in_addr) == 4);

struct sockaddr {
    u_short sa_family;
    char sa_data[14];
};
static_assert(sizeof(sockaddr) == 16);

// Family, port and address in network order, then eight unused bytes.
struct sockaddr_in {
    short sin_family;
    u_short sin_port;
    in_addr sin_addr;
    char sin_zero[8];
};
static_assert(sizeof(sockaddr_in) == 16);
#pragma pack(pop)

using IN_ADDR = in_addr;
using SOCKADDR = sockaddr;
using PSOCKADDR = sockaddr *;
using LPSOCKADDR = sockaddr *;
using SOCKADDR_IN = sockaddr_in;
using PSOCKADDR_IN = sockaddr_in *;
using LPSOCKADDR_IN = sockaddr_in *;

// The answer of gethostbyname: the IPv4 addresses (network order, 4 bytes each)
// in h_addr_list, ended by a null pointer.
struct hostent {
    char *h_name;
    char **h_aliases;
    short h_addrtype;
    short h_length;
    char **h_addr_list;
};
using HOSTENT = hostent;
using PHOSTENT = hostent *;
using LPHOSTENT = hostent *;

struct WSADATA {
    WORD wVersion;
    WORD wHighVersion;
    char szDescription[257];
    char szSystemStatus[129];
    unsigned short iMaxSockets;
    unsigned short iMaxUdpDg;
    char *lpVendorInfo;
};
using LPWSADATA = WSADATA *;

inline constexpr u_short htons(u_short v) { return static_cast<u_short>((v << 8) | (v >> 8)); }
inline constexpr u_short ntohs(u_short v) { return htons(v); }
inline constexpr u_long htonl(u_long v)
{
    return ((v & 0xFFu) << 24) | ((v & 0xFF00u) << 8) | ((v >> 8) & 0xFF00u) | (v >> 24);
}
inline constexpr u_long ntohl(u_long v) { return htonl(v); }

// The lParam of a WSAAsyncSelect message: the event in the low word, the error
// code (0: none) in the high word.
inline constexpr LPARAM WSAMAKESELECTREPLY(WORD event, WORD error)
{
    return static_cast<LPARAM>(MAKELONG(event, error));
}
inline constexpr WORD WSAGETSELECTEVENT(LPARAM lParam) { return LOWORD(static_cast<DWORD>(lParam)); }
inline constexpr WORD WSAGETSELECTERROR(LPARAM lParam) { return HIWORD(static_cast<DWORD>(lParam)); }

// Versions 1.1 to 2.2 are accepted (wVersion tells the one granted); each
// successful start-up needs its WSACleanup. Without a start-up in force, socket
// and gethostbyname fail with WSANOTINITIALISED.
int WSAStartup(WORD versionRequested, LPWSADATA data);
int WSACleanup();

// Test hook: WSAStartup fails with `error` from now on (0: it succeeds again).
void SetWSAStartupResult(int error);

// The socket error of the calling thread; the same value as GetLastError.
int WSAGetLastError();
void WSASetLastError(int error);

// AF_INET with SOCK_STREAM (protocol 0 or IPPROTO_TCP) or SOCK_DGRAM (0 or
// IPPROTO_UDP). A new socket is blocking.
SOCKET socket(int af, int type, int protocol);

// Closes the socket at once: no event of it is posted afterwards, and a call
// blocked in it on another thread returns with WSAEINTR.
int closesocket(SOCKET s);

int bind(SOCKET s, const sockaddr *name, int namelen);

// A blocking socket waits for the connection (at most 21 seconds, as Windows
// does, then WSAETIMEDOUT). A non-blocking one returns SOCKET_ERROR with
// WSAEWOULDBLOCK while the connection is under way; with WSAAsyncSelect in force
// it always does, and the outcome comes as FD_CONNECT with its error code (then
// FD_WRITE when selected). The any-address and port 0 are refused with
// WSAEADDRNOTAVAIL.
int connect(SOCKET s, const sockaddr *name, int namelen);

// flags must be 0. A blocking send waits until every byte is taken; a
// non-blocking one takes what fits and fails with WSAEWOULDBLOCK when nothing
// does. A send to a broken connection fails with an error code; it never raises
// a signal.
int send(SOCKET s, const char *buf, int len, int flags);

// flags must be 0. The byte count, 0 once the peer has closed and every byte
// has been read, or SOCKET_ERROR (WSAEWOULDBLOCK on a non-blocking socket with
// nothing to read).
int recv(SOCKET s, char *buf, int len, int flags);

int shutdown(SOCKET s, int how);

// FIONBIO: non-zero makes the socket non-blocking, 0 blocking (refused with
// WSAEINVAL while WSAAsyncSelect events are selected). FIONREAD: the bytes
// waiting to be read.
int ioctlsocket(SOCKET s, LONG cmd, u_long *argp);

// The local and the peer's address; *namelen must be at least 16 and is set to 16.
int getsockname(SOCKET s, sockaddr *name, int *namelen);
int getpeername(SOCKET s, sockaddr *name, int *namelen);

// Resolves a host name to its IPv4 addresses. The answer lives in storage of the
// calling thread until its next call; null with WSAHOST_NOT_FOUND (or
// WSATRY_AGAIN, WSANO_RECOVERY) when there is none. Every name look-up of the
// layer goes through here.
hostent *gethostbyname(const char *name);

// How many name look-ups this process has made, so that tests can see whether
// a connect resolved a name.
DWORD NameLookupCount();

// A dotted IPv4 address in network order, without any look-up; INADDR_NONE for
// text that is no address (and for "255.255.255.255").
u_long inet_addr(const char *cp);

// The dotted text of an address, in storage of the calling thread that its next
// call overwrites.
char *inet_ntoa(in_addr in);

// Reports the socket's events to `hwnd` as message `msg` (wParam: the socket;
// lParam: WSAMAKESELECTREPLY(event, error)) and makes the socket non-blocking;
// events 0 stops the reports. A new call replaces the previous selection;
// messages already queued stay queued. The rules are Windows':
// - FD_READ when data arrive, then no further FD_READ until recv is called;
//   that recv posts the next one at once while data remain;
// - FD_WRITE once the connection is made (or when selected on a connected
//   socket), then again only when a send that could not take everything can go on;
// - FD_CONNECT when a non-blocking connect ends, with its error code;
// - FD_CLOSE once, after the last byte has been read: error 0 for the peer's
//   orderly close, WSAECONNRESET for a reset, WSAECONNABORTED otherwise.
// With FD_CLOSE selected but not FD_READ, the close is noticed once the data
// that arrived before it has been read.
// The sockets are watched by the event loop of the GUI application (which must
// exist: WSAENETDOWN otherwise); the call may come from any thread.
int WSAAsyncSelect(SOCKET s, HWND hwnd, UINT msg, LONG events);

} // namespace win

#pragma pop_macro("AF_INET")
#pragma pop_macro("INADDR_ANY")
#pragma pop_macro("INADDR_NONE")
#pragma pop_macro("INADDR_LOOPBACK")
#pragma pop_macro("FIONBIO")
#pragma pop_macro("FIONREAD")
#pragma pop_macro("htons")
#pragma pop_macro("htonl")
#pragma pop_macro("ntohs")
#pragma pop_macro("ntohl")
