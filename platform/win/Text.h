// GBK text: conversion to and from Unicode at the edges of the system (screen,
// file names), cutting to a byte length without splitting a character, and the
// GBK-aware case functions the programs call.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

#include "platform/win/WinTypes.h"

namespace win {

// Decoding accepts all of GB18030 (a superset of GBK); a byte sequence that is
// not valid text becomes U+FFFD. Encoding produces GBK; a character GBK cannot
// hold becomes '?'.
std::string GbkToUtf8(std::string_view gbk);
std::string Utf8ToGbk(std::string_view utf8);
// For the screen: the bytes A3 A0, a full-width blank to GBK texts, give U+3000
// (which encodes back as A1 A1, the usual full-width blank).
std::u16string GbkToUtf16(std::string_view gbk);
std::string Utf16ToGbk(std::u16string_view utf16);

// Byte length of a character starting at s[0] (1, 2 or 4), given at most `avail`
// bytes; a lead byte without its trail counts as one byte.
size_t GbkCharLength(const char *s, size_t avail);
inline bool IsGbkLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// The longest prefix of `text` that fits in maxBytes without splitting a
// double-byte (or four-byte) character.
size_t GbkFitLength(std::string_view text, size_t maxBytes);
std::string GbkCut(std::string_view text, size_t maxBytes);

// Copies `text` into a field of `fieldSize` bytes, cut on a character boundary,
// zero-filling the rest. Returns the number of text bytes copied.
size_t GbkCopyToField(char *field, size_t fieldSize, std::string_view text);

// Byte offset of the first occurrence of `sub` that starts on a character boundary
// at or after `from` (taken as a boundary itself), or npos: a match never starts on
// the trail byte of a double-byte character ("\" and the ASCII letters can be trail
// bytes). An empty `sub` is found at `from` when `from` lies within the text.
size_t GbkFind(std::string_view text, std::string_view sub, size_t from = 0);

// Case functions touch ASCII letters only and never the trail bytes of
// double-byte characters.
LPSTR CharUpperA(LPSTR text);
LPSTR CharLowerA(LPSTR text);
std::string GbkUpper(std::string_view text);
int lstrcmpiA(LPCSTR a, LPCSTR b);
int lstrcmpA(LPCSTR a, LPCSTR b);
int lstrlenA(LPCSTR s);
LPSTR lstrcpyA(LPSTR dst, LPCSTR src);
// Copies at most n-1 bytes and always terminates, like the Windows call.
LPSTR lstrcpynA(LPSTR dst, LPCSTR src, int n);
LPSTR lstrcatA(LPSTR dst, LPCSTR src);
bool GbkEqualNoCase(std::string_view a, std::string_view b);

// printf-style formatting into a new string; a null format gives an empty text.
// `args` is consumed as by vsnprintf.
std::string FormatV(const char *format, va_list args);

} // namespace win
