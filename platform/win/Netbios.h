// The network adapter query of the Netbios interface, as far as the programs use
// it: the list of adapters and each adapter's hardware address. The adapters are
// the machine's network interfaces other than loopback that have a 6-byte
// hardware address, in the order of their interface index; a machine with none
// shows one adapter whose address is all zeros.
#pragma once

#include "platform/win/WinTypes.h"

namespace win {

constexpr int NCBNAMSZ = 16;
constexpr int MAX_LANA = 254;

// Commands.
constexpr UCHAR NCBRESET = 0x32;
constexpr UCHAR NCBASTAT = 0x33;
constexpr UCHAR NCBENUM = 0x37;

// Return codes (also left in ncb_retcode).
constexpr UCHAR NRC_GOODRET = 0x00;
constexpr UCHAR NRC_BUFLEN = 0x01;
constexpr UCHAR NRC_ILLCMD = 0x03;
constexpr UCHAR NRC_BRIDGE = 0x23;

struct NCB {
    UCHAR ncb_command;
    UCHAR ncb_retcode;
    UCHAR ncb_lsn;
    UCHAR ncb_num;
    UCHAR *ncb_buffer;
    WORD ncb_length;
    UCHAR ncb_callname[NCBNAMSZ];
    UCHAR ncb_name[NCBNAMSZ];
    UCHAR ncb_rto;
    UCHAR ncb_sto;
    UCHAR ncb_lana_num;
    UCHAR ncb_cmd_cplt;
};
using PNCB = NCB *;

// NCBENUM fills this: `length` adapter numbers in `lana`.
struct LANA_ENUM {
    UCHAR length;
    UCHAR lana[MAX_LANA + 1];
};

// NCBASTAT fills this (and zeros after it up to ncb_length): the adapter's
// hardware address first, then counters that are zero here.
struct ADAPTER_STATUS {
    UCHAR adapter_address[6];
    UCHAR rev_major;
    UCHAR reserved0;
    UCHAR adapter_type;
    UCHAR rev_minor;
    WORD duration;
    WORD frmr_recv;
    WORD frmr_xmit;
    WORD iframe_recv_err;
    WORD xmit_aborts;
    DWORD xmit_success;
    DWORD recv_success;
    WORD iframe_xmit_err;
    WORD recv_buff_unavail;
    WORD t1_timeouts;
    WORD ti_timeouts;
    DWORD reserved1;
    WORD free_ncbs;
    WORD max_cfg_ncbs;
    WORD max_ncbs;
    WORD xmit_buf_unavail;
    WORD max_dgram_size;
    WORD pending_sess;
    WORD max_cfg_sess;
    WORD max_sess;
    WORD max_sess_pkt_size;
    WORD name_count;
};

struct NAME_BUFFER {
    UCHAR name[NCBNAMSZ];
    UCHAR name_num;
    UCHAR name_flags;
};

// Runs one command synchronously: NCBENUM (ncb_buffer a LANA_ENUM), NCBRESET
// (nothing to do here) and NCBASTAT (ncb_buffer at least an ADAPTER_STATUS, for
// the adapter ncb_lana_num). NRC_BUFLEN for a missing or short buffer,
// NRC_BRIDGE for an adapter number that does not exist, NRC_ILLCMD for any other
// command.
UCHAR Netbios(PNCB ncb);

} // namespace win
