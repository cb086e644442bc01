// The folder list: one line per folder from the root down to Directory, then
// one per sub-folder of Directory (names starting with '.' are hidden), each
// indented by its depth. A double click or Enter on a line opens that folder;
// opening one makes it the working folder, shows it in DirLabel, gives it to
// FileList and fires OnChange.
#pragma once

#include <string>
#include <vector>

#include "platform/forms/TListBox.h"

namespace win {

class TLabel;
class TFileListBox;

class TDirectoryListBox : public TListBox {
public:
    explicit TDirectoryListBox(TComponent *Owner);
    AnsiString ClassName() const override { return "TDirectoryListBox"; }

    AnsiString GetDirectory() const { return directory_; }
    // Opens a folder (Linux or Windows form, relative to the working folder,
    // either separator); a path that is no folder changes nothing.
    void SetDirectory(AnsiString directory);
    // The folder of a line, empty for no line.
    AnsiString GetItemPath(int Index) const;
    // Opens the folder of the current line.
    void OpenCurrent();
    TLabel *GetDirLabel() const { return dirLabel_; }
    void SetDirLabel(TLabel *label);
    TFileListBox *GetFileList() const { return fileList_; }
    void SetFileList(TFileListBox *list);

    // GBK, '/' separators, no trailing separator but for the root. At first the
    // working folder.
    Property<TDirectoryListBox, AnsiString, &TDirectoryListBox::GetDirectory, &TDirectoryListBox::SetDirectory>
        Directory{this};
    Property<TDirectoryListBox, TLabel *, &TDirectoryListBox::GetDirLabel, &TDirectoryListBox::SetDirLabel>
        DirLabel{this};
    Property<TDirectoryListBox, TFileListBox *, &TDirectoryListBox::GetFileList, &TDirectoryListBox::SetFileList>
        FileList{this};
    TNotifyEvent OnChange;

protected:
    void DblClick() override;
    void KeyDown(WORD &Key, TShiftState Shift) override;
    void DrawItem(int Index, const TRect &Rect, TOwnerDrawState State) override;

private:
    void BuildLines();

    AnsiString directory_;
    std::vector<std::string> paths_; // the folder of each line
    int openLines_ = 0;              // lines of the root and the folders down to Directory
    TLabel *dirLabel_ = nullptr;
    TFileListBox *fileList_ = nullptr;
};

} // namespace win
