// The news view: the titles of the local news index, newest first and grouped
// by day, filtered by news type (upper tab strip), by the keywords of a branch
// (lower tab strip) or by a search text; an opened item's text in a read-only
// viewer. Newer titles and missing texts are asked of the data server and
// arrive through the main frame, which then reloads the view.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "lumon/core/NewsIndex.h"
#include "lumon/shell/Cview.h"

namespace win {
class TRichEdit;
class TListBox;
class TPanel;
class TComboBox;
class TSpeedButton;
class TPopupMenu;
class TMenuItem;
class TSaveDialog;
class TPrintDialog;
} // namespace win

class TLMPageTab;

// Message to a news view: open the item of a type (wParam) and message id
// (lParam) whose file name the sender has put into the view's article name.
constexpr win::UINT WM_OPEN_NEWS = 1025;

// A branch tab: its title and the keywords that pick its titles.
struct NewsBranchTab {
    std::string Title;
    std::vector<std::string> Keywords;
};

class TMsgForm : public TChildView {
public:
    static constexpr int kMaxTypeTabs = 101;   // "所有类型" and types 1..100
    static constexpr int kMaxBranchTabs = 128; // " 全部 " and 127 branches

    TMsgForm(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr);
    ~TMsgForm() override;
    void WndProc(win::TMessage &Message) override;

    int Notify(int code, int a, int b, intptr_t c) override;
    void PrintView() override;
    void ReloadView() override;
    void SetColors() override;

    // Refills the list for the type filter and the branch in force (the index
    // reloaded first when its file is writable).
    void RefreshList();
    // Shows the article named in ArticleName.
    void LoadArticle();
    // The frame's reload after new titles: makes the index when there is none.
    void RefreshFromServer();
    // A news flash becomes the list's first line when the view shows its type.
    void AddFlash(const NewsRecord &record);
    // Opens the item of the list line `index`.
    void OpenLine(int index);
    // Opens the item of a type and message id (message 1025).
    void OpenNewsItem(int type, int id);
    void Search();
    void BackToList();
    bool ArticleShown() const;

    // The type tabs from NEWSTYPE.INI ("所有类型" first).
    void BuildTypeTabs();
    void SearchPageTabChange(win::TObject *Sender, int TabIndex);
    void BranchPageTabTitleChange(win::TObject *Sender, int TabIndex);
    // The news type dialog; on a change the filter is written and the tabs rebuilt.
    void NSelTypesClick(win::TObject *Sender);

    void NewsListKeyDown(win::TObject *Sender, win::WORD &Key, win::TShiftState Shift);
    void RichEdit1KeyDown(win::TObject *Sender, win::WORD &Key, win::TShiftState Shift);
    void RichEdit1MouseDown(win::TObject *Sender, win::TMouseButton Button, win::TShiftState Shift, int X, int Y);
    void ComboBox1KeyDown(win::TObject *Sender, win::WORD &Key, win::TShiftState Shift);
    void FormActivate(win::TObject *Sender);
    void FormClose(win::TObject *Sender, win::TCloseAction &Action);

    win::TRichEdit *RichEdit1 = nullptr;
    win::TListBox *NewsList = nullptr;
    win::TPanel *Panel1 = nullptr, *Panel2 = nullptr, *Panel3 = nullptr, *Panel4 = nullptr;
    TLMPageTab *SearchPageTab = nullptr;
    TLMPageTab *BranchPageTab = nullptr;
    win::TComboBox *ComboBox1 = nullptr;
    win::TSpeedButton *SpeedButton1 = nullptr;
    win::TPopupMenu *PopupMenu1 = nullptr, *PopupMenu2 = nullptr, *PopupMenu3 = nullptr;
    win::TMenuItem *N8 = nullptr, *N3 = nullptr, *N4 = nullptr, *N7 = nullptr, *NMSGS1 = nullptr;
    win::TMenuItem *NMSGS2 = nullptr, *B1 = nullptr, *P1 = nullptr, *NSelTypes = nullptr;
    win::TPrintDialog *PrintDialog1 = nullptr;
    win::TSaveDialog *SaveDialog1 = nullptr;

    // The title records copied out of the index (92 bytes each).
    std::vector<uint8_t> RecordBuffer;
    std::unique_ptr<TNewsIndex> NewsIndex;
    int32_t CurrentType = 0;
    char ArticleName[32] = {};
    char ArticlePath[260] = {};
    uint8_t TabTypes[kMaxTypeTabs] = {};
    std::string History[5];
    int32_t TypeTabCount = 0;
    // The branch of each branch tab (tab 0: every title).
    std::vector<NewsBranchTab> BranchOfTab;

    // The type of the last type-tab change in any news view (0 every type), the
    // selected branch (null: every title) and the last left click on an
    // article (tenths of a second since midnight).
    static int TypeFilter;
    static const NewsBranchTab *SelectedBranch;
    static int32_t LastClick;

private:
    void BuildForm();
    void BuildMenus();
    void SaveHistory();
    void LoadHistory();
    // The records of the filter type, oldest first: their number.
    int CopyRecords(int type);
    // Adds the lines of the copied records that pass `keep`, newest first.
    template <typename Keep>
    void AddLines(int count, Keep keep);
    // The branch tabs of a type (" 全部 " first).
    void FillBranchTabs(int type);
    void SetItemHeight(const char *sample);
};

// The news view's maker and frame hooks, registered with the page's view factory.
void RegisterNewsView();
