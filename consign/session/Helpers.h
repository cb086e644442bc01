// Small text and registry helpers of the order client: '|'-separated fields,
// padding and trimming of fixed-width texts, registry values, the names of
// virtual keys, and the customer-number check against the customer list.
#pragma once

#include "platform/win/CString.h"
#include "platform/win/Registry.h"
#include "platform/win/WinTypes.h"

// Index of the n-th occurrence (from 1) of `c` in `text`, or -1.
int FindNthChar(const char *text, char c, int n);

// The n-th field (from 1) of `source`, fields being ended by `separator`: the
// field is only found when a separator follows it, so a writer ends such texts
// with one. `destination` (of `size` bytes) is empty when there is no such field;
// a field longer than the destination is cut at a character boundary.
char *GetField(const char *source, char *destination, char separator, int n, int size);

// Right-aligns the text in a field of `width` characters, filling the front with
// `fill`; a longer text is cut to the width. The buffer must hold width + 1 bytes.
char *PadLeft(char *text, int width, char fill);

// Remove blanks and tabs at the end, at the start, or both.
char *TrimRight(char *text);
char *TrimLeft(char *text);
char *TrimBoth(char *text);

// Sets a value, creating the key when missing; the result of closing the key.
win::LONG WriteRegistryValue(win::HKEY root, const char *subKey, const char *valueName, const void *data,
                        win::DWORD type, win::DWORD size);
// Reads a value (the key is created when missing); the buffer is unchanged when
// the value is missing.
void ReadRegistryValue(win::HKEY root, const char *subKey, const char *valueName, void *buffer,
                       win::DWORD *type, win::DWORD *size);

// The name the options show for a virtual-key code; empty for codes without one.
win::CString GetKeyName(int virtualKey);

// 1 when the customer number is in the customer list ("*" stands for all), each
// stored number being trimmed of blanks in place first; 0 silently for an empty
// number or list, else 0 after the message box "客户不存在".
int CheckClientExists(const char *customer);
