// The settlement statement's two temporary files: the archive the session
// writes while the statement arrives ("./settle/<customer>.rar") and the text
// unpacked from it ("./settle/<customer>.txt").
#pragma once

#include <string>

#include "platform/win/CString.h"

win::CString StatementArchivePath(const win::CString &customer);
win::CString StatementTextPath(const win::CString &customer);

// A customer fit to name a file: letters, digits, '-' and '_', 1 to 10 of them.
bool IsStatementCustomer(const win::CString &customer);

// Unpacks the customer's archive into the text file; false when no text
// file results.
bool UnpackStatement(const win::CString &customer);

// The whole of a file, false when it cannot be opened.
bool ReadStatementFile(const win::CString &path, std::string &text);
