#include "platform/forms/TDirectoryListBox.h"

#include "platform/forms/FolderListing.h"
#include "platform/forms/TFileListBox.h"
#include "platform/forms/TLabel.h"
#include "platform/win/File.h"

namespace win {
namespace {

constexpr int kIndent = 10;

} // namespace

TDirectoryListBox::TDirectoryListBox(TComponent *Owner) : TListBox(Owner)
{
    char cwd[4096];
    DWORD length = GetCurrentDirectoryA(sizeof cwd, cwd);
    if (length > 0 && length < sizeof cwd)
        directory_ = ResolveFolder(cwd).c_str();
    BuildLines();
}

void TDirectoryListBox::SetDirectory(AnsiString directory)
{
    std::string folder = ResolveFolder(directory.c_str());
    if (folder.empty() || !SetCurrentDirectoryA(folder.c_str()))
        return;
    bool changed = folder != directory_.c_str();
    directory_ = folder.c_str();
    BuildLines();
    if (dirLabel_)
        dirLabel_->Caption = directory_;
    if (fileList_)
        fileList_->Directory = directory_;
    if (changed && OnChange)
        OnChange(this);
}

AnsiString TDirectoryListBox::GetItemPath(int Index) const
{
    if (Index < 0 || Index >= static_cast<int>(paths_.size()))
        return AnsiString();
    return paths_[static_cast<size_t>(Index)].c_str();
}

void TDirectoryListBox::OpenCurrent()
{
    AnsiString path = GetItemPath(GetItemIndex());
    if (!path.IsEmpty())
        SetDirectory(path);
}

void TDirectoryListBox::SetDirLabel(TLabel *label)
{
    dirLabel_ = label;
    if (dirLabel_)
        dirLabel_->Caption = directory_;
}

void TDirectoryListBox::SetFileList(TFileListBox *list)
{
    fileList_ = list;
    if (fileList_)
        fileList_->Directory = directory_;
}

void TDirectoryListBox::BuildLines()
{
    paths_.clear();
    TStringList lines;
    std::string directory = directory_.c_str();
    if (!directory.empty()) {
        // The root, then each folder on the way down to the directory.
        paths_.push_back("/");
        lines.Add("/");
        size_t start = 1;
        while (start < directory.size()) {
            size_t slash = directory.find('/', start);
            if (slash == std::string::npos)
                slash = directory.size();
            paths_.push_back(directory.substr(0, slash));
            lines.Add(directory.substr(start, slash - start).c_str());
            start = slash + 1;
        }
    }
    openLines_ = static_cast<int>(paths_.size());
    if (!directory.empty())
        for (const FolderEntry &entry : ListFolder(directory, "*"))
            if (entry.folder) {
                paths_.push_back(JoinFolder(directory, entry.name));
                lines.Add(entry.name.c_str());
            }
    Items->Assign(lines);
    SetItemIndex(openLines_ - 1);
}

void TDirectoryListBox::DblClick()
{
    OpenCurrent();
    TListBox::DblClick();
}

void TDirectoryListBox::KeyDown(WORD &Key, TShiftState Shift)
{
    TListBox::KeyDown(Key, Shift);
    if (Key == VK_RETURN)
        OpenCurrent();
}

void TDirectoryListBox::DrawItem(int Index, const TRect &Rect, TOwnerDrawState State)
{
    if (Style == lbOwnerDrawFixed && OnDrawItem) {
        TListBox::DrawItem(Index, Rect, State);
        return;
    }
    int depth = Index < openLines_ ? Index : openLines_;
    Canvas->FillRect(Rect);
    Canvas->Brush->Style = bsClear;
    Canvas->TextOut(Rect.Left + 2 + depth * kIndent, Rect.Top, Items->Strings(Index));
}

} // namespace win
