// The variety of a contract code: the name of the variety table's entry whose
// code is the longest prefix of the contract.
#pragma once

#include "platform/win/CString.h"

// Key i (0 to 9) of [Variety key] that begins the code, compared without regard
// to case; the longest, of equal lengths the lowest index. Its [Variety name];
// empty when none matches.
win::CString LookupVarietyName(const char *contract);
