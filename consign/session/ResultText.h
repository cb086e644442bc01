// The result texts of the gateway's stored-procedure answers: up to 512
// characters of fields, each ended by '|', cut into records from the front.
#pragma once

constexpr int RESULT_TEXT_SIZE = 512;

// The position just after the last '|' within the first 512 characters; 0 when
// there is none.
int LastSeparatorEnd(const char *text);

// The number of '|' in the text divided by `fields`, rounded down.
int CountRecords(int fields, const char *text);

// Cuts the first `n` '|'-ended fields off the front of `text` (a buffer of 513
// bytes) into `destination` (513 bytes), separators included; the rest moves to
// the front and the freed end is cleared. Fewer fields than `n` take what there is.
void TakeFields(int n, char *destination, char *text);

// The same for one field, without its separator.
void TakeNextField(char *text, char *destination);
