#include "consign/session/ResultText.h"

#include <cstring>

namespace {

int BoundedLength(const char *text)
{
    const void *end = std::memchr(text, 0, RESULT_TEXT_SIZE);
    return end ? static_cast<int>(static_cast<const char *>(end) - text) : RESULT_TEXT_SIZE;
}

// Length of the first `n` fields with their separators.
int FieldsLength(int n, const char *text)
{
    const int length = BoundedLength(text);
    int end = 0;
    for (int i = 0; i < length && n > 0; ++i)
        if (text[i] == '|') {
            end = i + 1;
            --n;
        }
    return n > 0 ? length : end;
}

void Cut(int count, char *destination, char *text)
{
    const int length = BoundedLength(text);
    std::memcpy(destination, text, count);
    destination[count] = 0;
    std::memmove(text, text + count, length - count);
    std::memset(text + length - count, 0, RESULT_TEXT_SIZE + 1 - (length - count));
}

} // namespace

int LastSeparatorEnd(const char *text)
{
    const int length = BoundedLength(text);
    for (int i = length - 1; i >= 0; --i)
        if (text[i] == '|')
            return i + 1;
    return 0;
}

int CountRecords(int fields, const char *text)
{
    if (fields <= 0)
        return 0;
    const int length = BoundedLength(text);
    int separators = 0;
    for (int i = 0; i < length; ++i)
        separators += text[i] == '|';
    return separators / fields;
}

void TakeFields(int n, char *destination, char *text)
{
    Cut(FieldsLength(n, text), destination, text);
}

void TakeNextField(char *text, char *destination)
{
    const int count = FieldsLength(1, text);
    Cut(count, destination, text);
    if (count > 0 && destination[count - 1] == '|')
        destination[count - 1] = 0;
}
