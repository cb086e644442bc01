// The items of the news ticker in the frame's status bar: a list in arrival
// order, each item one heap block with its text and its width in the ticker
// font.
#pragma once

#include <cstdint>

struct TickerItem {
    TickerItem *Next;
    int32_t Width;
    char Text[1]; // NUL-terminated, the block holds the whole text
};

// The longest news title or message line an item shows, in bytes.
constexpr int TickerTextLimit = 80;

// How many bytes of `text` (at most `bytes`, up to a NUL) an item shows: at
// most TickerTextLimit, cut on a character boundary.
int TickerTextLength(const char *text, int bytes);

// Appends an item with `text` (at most `length` bytes of it, up to its NUL) to
// the list at `head`; the new item, or null when no memory.
TickerItem *AppendTickerItem(TickerItem *&head, const char *text, int length);
// Unlinks and frees the first item.
void DropTickerHead(TickerItem *&head);
void FreeTickerList(TickerItem *&head);
// Width of a text in the ticker's font (Tahoma, 15 pixels high, normal weight).
int TickerTextWidth(const char *text);
