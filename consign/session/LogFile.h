// The order client's log: one file per start date under .\Log, every line padded
// to whole 8-byte blocks and enciphered with DES under the fixed log key.
#pragma once

#include "platform/win/CFile.h"
#include "platform/win/CString.h"

class CLogFile : public win::CFile {
public:
    // "Consign<MMDD>.Log" for today's local date.
    static win::CString TodayFileName();

    // Makes sure the folder "Log" exists, then opens ".\Log\<name>" for reading and
    // writing without emptying it (creating it when missing), positioned at its
    // end. 1 opened, 0 not.
    int Open(win::LPCTSTR fileName);

    // Writes "hh:mm:ss-<text cut at 300 characters>", blanks up to a whole number
    // of 8-byte blocks with "\r\n" last, enciphered block by block under the log
    // key when `encipher` is set. 1 when the line was written, 0 when the log is
    // not open or the write failed.
    int WriteLine(win::LPCTSTR text, int encipher);

    // The key of every log line.
    static const char LOG_KEY[9];
};
