// The pre-orders prepared on the order page: the list they live in while the
// program runs, and their storage in the settings file, where they survive a
// restart on the same day for the same account.
#pragma once

#include <list>

#include "consign/session/RecordLists.h"
#include "platform/win/WinTypes.h"

// The pre-orders in the order they were prepared.
extern std::list<COrderRecord> PreOrderList;

// Empties `list` and fills it from [Pre Order] of `file` when it was saved today
// by `account`; each entry takes "%04d" of `localNumber` as its local number,
// which then moves on. A save of another day rewrites LastDate (today) and
// Count (0); a save of another account leaves the file as it is. Returns the
// number of entries loaded.
int LoadPreOrderList(win::LPCSTR file, win::LPCSTR account, std::list<COrderRecord> &list, int &localNumber);

// Writes the entries of `list` to "Pre Order 0", "Pre Order 1", ... of `file`,
// then LastDate (today), User_no (`account`) and Count. Sections of an earlier,
// longer save stay in the file; Count keeps them from being read.
void SavePreOrderList(win::LPCSTR file, win::LPCSTR account, const std::list<COrderRecord> &list);
