// The integrated ranking: nine ranked lists of one board at once (the day's
// rise and fall, the five-minute rise and fall, the bid/ask ratio both ways,
// the day's range, the volume ratio and the amount), filled from the data
// server's ranking answers; the arrow keys move a selection through the lists
// and Enter opens a chart on the selected stock.
#pragma once

#include <cstdint>
#include <vector>

#include "lumon/shell/Cview.h"
#include "lumon/views/IntegSortChild.h"

namespace win {
class TPopupMenu;
class TMenuItem;
} // namespace win

class TInteSort : public TChildView {
public:
    static constexpr int kMaxMembers = 4096;
    static constexpr int kPanes = 9;

    TInteSort(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr);
    ~TInteSort() override;
    void WndProc(win::TMessage &Message) override;

    int Notify(int code, int a, int b, intptr_t c) override;
    void ReloadView() override;
    void SetColors() override;

    // The board shown: the first block of the attributes.
    int Board() const { return Attr.Blocks[0]; }
    // Whether the id is one of the six boards a ranking accepts (classes 1, 2
    // and 5 of the first two markets).
    static bool AcceptedBoard(int id);
    void SetBoard(int id);
    // Asks for the answer of kind 1; each answer asks for the next kind.
    void RequestRanking();
    // Reads an answer of kind 1..6 from the file into its lists.
    void ReadRankingFile(int kind, const char *path);
    // The stock of the current list's selected row; false when none.
    bool SelectedStock(StockId &stock) const;

    void FormResize(win::TObject *Sender);
    void FormPaint(win::TObject *Sender);
    void FormKeyDown(win::TObject *Sender, win::WORD &Key, win::TShiftState Shift);
    void FormClose(win::TObject *Sender, win::TCloseAction &Action);
    void PopupMenu1Popup(win::TObject *Sender);
    void NISS1Click(win::TObject *Sender);
    // Moves the selection for an arrow key, or opens the chart for Enter.
    void KeyPressed(win::WORD key);
    // The list `pane` takes the selection from the current one.
    void SelectPane(int pane, int row);
    // Redraws the view's command box (after painting the top-right list).
    void RedrawCmdBox();

    win::TPopupMenu *PopupMenu1 = nullptr;
    win::TMenuItem *NISS1 = nullptr;
    InteSortChild *Panes[kPanes] = {};
    StockId *StockIds = nullptr;
    double *Keys = nullptr;
    int32_t MemberCount = 0;
    int32_t CurrentPane = 0;
    VIEW_ATTR OpenAttr{};
    InteSortShared Shared;
    uint8_t Requested = 0;
    int32_t FontHeight = 0;
    // The answer kind asked for last, 0 when none is awaited.
    int32_t PendingKind = 0;

private:
    // Loads the board's members into StockIds; false when it is missing or empty.
    bool LoadMembers();
    void FillPane(int pane, int kind, bool descending);
    // The ranking key of member i for a list of the kind.
    double KeyOf(int kind, int member, bool descending) const;
    void ReleasePanes();
    uint8_t shown_ = 0;
    // The records of the answer being read, in member order.
    struct AnswerValues {
        float A = 0, B = 0, C = 0;
    };
    std::vector<AnswerValues> answers_;
};

// The ranking's view maker and hook, registered with the page's view factory.
void RegisterIntegratedRanking();
