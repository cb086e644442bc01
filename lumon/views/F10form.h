// The company text view: the base text of the pane's stock (a plain text file
// per market and stock that the data server's answers write), read-only, with
// copy, save as, print and back; it asks the server for the text when the
// user has the right to the stock's market.
#pragma once

#include <cstdint>

#include "lumon/shell/Cview.h"

namespace win {
class TRichEdit;
class TPanel;
class TPopupMenu;
class TMenuItem;
class TSaveDialog;
class TPrintDialog;
} // namespace win

class TTextForm : public TChildView {
public:
    TTextForm(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr);
    ~TTextForm() override;

    int Notify(int code, int a, int b, intptr_t c) override;
    void PrintView() override;
    void ReloadView() override;
    void SetColors() override;

    // Loads the text file, then asks the server for a newer one.
    void Reload();
    // Loads the stock's text file, when there is one, into the viewer.
    void LoadText();
    // The text file of the stock shown; empty when the stock is not found.
    std::string TextPath() const;

    void RichEdit1KeyDown(win::TObject *Sender, win::WORD &Key, win::TShiftState Shift);
    void RichEdit1MouseDown(win::TObject *Sender, win::TMouseButton Button, win::TShiftState Shift, int X, int Y);
    void PopupMenu1Popup(win::TObject *Sender);
    void NTXTS1Click(win::TObject *Sender);
    void B1Click(win::TObject *Sender);
    void N1Click(win::TObject *Sender);
    void N2Click(win::TObject *Sender);
    void N5Click(win::TObject *Sender);
    void FormClose(win::TObject *Sender, win::TCloseAction &Action);

    win::TRichEdit *RichEdit1 = nullptr;
    win::TPanel *Panel1 = nullptr;
    win::TPopupMenu *PopupMenu1 = nullptr;
    win::TMenuItem *NTXTS1 = nullptr, *B1 = nullptr, *N1 = nullptr, *N2 = nullptr, *N5 = nullptr;
    win::TSaveDialog *SaveDialog1 = nullptr;
    win::TPrintDialog *PrintDialog1 = nullptr;
    // The browse list taken over from the creator (one reference) and its position.
    uint32_t BrowseList = 0;
    int32_t BrowseIndex = 0;

private:
    void ReleaseBrowse();
};

// The company text view's maker and frame hooks, registered with the page's
// view factory.
void RegisterCompanyText();
