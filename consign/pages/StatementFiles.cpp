#include "consign/pages/StatementFiles.h"

#include "platform/appframe/Unzip.h"
#include "platform/win/File.h"
#include "platform/win/Handle.h"

using namespace win;

CString StatementArchivePath(const CString &customer) { return "./settle/" + customer + ".rar"; }

CString StatementTextPath(const CString &customer) { return "./settle/" + customer + ".txt"; }

bool IsStatementCustomer(const CString &customer)
{
    const int length = customer.GetLength();
    if (length < 1 || length > 10)
        return false;
    for (int i = 0; i < length; ++i) {
        const char c = customer[i];
        const bool fit = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '_';
        if (!fit)
            return false;
    }
    return true;
}

bool UnpackStatement(const CString &customer)
{
    // The library keeps nothing that needs releasing.
    CUnzip unzip(StatementArchivePath(customer));
    unzip.SwapSize(StatementTextPath(customer));
    return GetFileAttributesA(StatementTextPath(customer)) != INVALID_FILE_ATTRIBUTES;
}

bool ReadStatementFile(const CString &path, std::string &text)
{
    const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    text.clear();
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0)
        text.append(buffer, read);
    CloseHandle(file);
    return true;
}
