// The notes view: the list of the short market notices of one kind, newest
// first, read from the note list file that the data server's answers write, and
// the text of a note opened from it. Opened notes are marked in the list file;
// what the files lack is asked of the server and shown when it arrives.
#pragma once

#include <cstdint>
#include <vector>

#include "lumon/shell/Cview.h"
#include "lumon/views/NoteList.h"

namespace win {
class TListBox;
class TRichEdit;
class TRadioButton;
class TPanel;
class TPopupMenu;
class TMenuItem;
class TSaveDialog;
class TPrintDialog;
} // namespace win

class TZQNote : public TChildView {
public:
    TZQNote(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr);
    ~TZQNote() override;

    int Notify(int code, int a, int b, intptr_t c) override;
    void PrintView() override;
    void ReloadView() override;
    void SetColors() override;

    // Lists the notes of the kind (0..4) from its list file, asking the server
    // for the whole list (no file, or a damaged one, which is deleted) or for
    // the notes after the newest.
    void LoadNoteList(int kind);
    // Shows the note's text, or asks the server for it and remembers the note.
    void ShowNote(const NoteRecord &record);
    // Opens the selected note, marks it read and writes the list back.
    void NoteListDblClick(win::TObject *Sender);
    void RadioClick(win::TObject *Sender);
    // Hides the text and shows the list.
    void BackToList();
    bool TextShown() const;

    void NoteListKeyDown(win::TObject *Sender, win::WORD &Key, win::TShiftState Shift);
    void RichEdit1KeyDown(win::TObject *Sender, win::WORD &Key, win::TShiftState Shift);
    void RichEdit1MouseDown(win::TObject *Sender, win::TMouseButton Button, win::TShiftState Shift, int X, int Y);
    void FormActivate(win::TObject *Sender);
    void FormClose(win::TObject *Sender, win::TCloseAction &Action);

    win::TPanel *Panel1 = nullptr;
    win::TRadioButton *RadioButton1 = nullptr, *RadioButton2 = nullptr;
    win::TListBox *NoteList = nullptr;
    win::TRichEdit *RichEdit1 = nullptr;
    win::TPopupMenu *PopupMenu1 = nullptr, *PopupMenu2 = nullptr;
    win::TMenuItem *N8 = nullptr, *N3 = nullptr, *N4 = nullptr, *N7 = nullptr, *NMSGS1 = nullptr;
    win::TMenuItem *NMSGS2 = nullptr, *B1 = nullptr, *P1 = nullptr;
    win::TSaveDialog *SaveDialog1 = nullptr;
    win::TPrintDialog *PrintDialog1 = nullptr;

    int32_t NoteKind = 0;
    // The list's records oldest first (at most 3000).
    std::vector<NoteRecord> Records;
    char NotePath[260] = {};
    NoteRecord PendingNote{};
    // Tenths of a second since midnight at the last left click on the text.
    int32_t LastClick = -100;

private:
    // Fills the list from Records, newest first.
    void FillLines();
    void SetItemHeight(const char *sample);
};

// The notes view's maker and frame hooks, registered with the page's view factory.
void RegisterNotesView();
