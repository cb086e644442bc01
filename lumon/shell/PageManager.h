// The user's pages: the table of the page files found on disk (their names and
// paths) and the page manager dialog in which the user names the page being
// saved and chooses whether it replaces an existing page.
#pragma once

#include <cstdint>

#include "platform/forms/TForm.h"

namespace win {
class TButton;
class TEdit;
class TListBox;
} // namespace win

constexpr int MaxPages = 20;

struct CPageData {
    char Name[64];
    char Path[260];
};
static_assert(sizeof(CPageData) == 324);

extern CPageData PageTable[MaxPages];
extern int32_t PageCount;

// Scans "..\Cfg\lmpage0.ppg" to "lmpage19.ppg" into the page table: a file is
// listed when its header is that of version 1, 2 or 3 with a length that
// matches its size; version 3 pages carry their name, the others are "页面<n>".
void LoadPageList();

class TPageMngr : public win::TForm {
public:
    explicit TPageMngr(win::TComponent *Owner);

    void ListBox1Click(win::TObject *Sender);
    void Button1Click(win::TObject *Sender);

    win::TEdit *Edit1;
    win::TListBox *ListBox1;
    win::TButton *Button1;
    win::TButton *Button2;
    // The page chosen: its name, and the path of the file it replaces (empty
    // for a new page file).
    CPageData Chosen = {};
    int Selected = -1;
};
