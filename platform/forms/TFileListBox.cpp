#include "platform/forms/TFileListBox.h"

#include "platform/forms/FolderListing.h"
#include "platform/forms/TEdit.h"
#include "platform/win/File.h"

namespace win {

TFileListBox::TFileListBox(TComponent *Owner) : TListBox(Owner)
{
    char cwd[4096];
    DWORD length = GetCurrentDirectoryA(sizeof cwd, cwd);
    if (length > 0 && length < sizeof cwd)
        directory_ = ResolveFolder(cwd).c_str();
    ReadFileNames();
}

void TFileListBox::SetDirectory(AnsiString directory)
{
    std::string folder = ResolveFolder(directory.c_str());
    if (folder.empty())
        return;
    directory_ = folder.c_str();
    ReadFileNames();
}

void TFileListBox::SetMask(AnsiString mask)
{
    mask_ = mask.IsEmpty() ? AnsiString("*.*") : mask;
    if (fileEdit_)
        fileEdit_->Text = mask_;
    ReadFileNames();
}

void TFileListBox::SetFileType(TFileType fileType)
{
    fileType_ = fileType;
    ReadFileNames();
}

void TFileListBox::SetFileEdit(TEdit *edit)
{
    fileEdit_ = edit;
    if (fileEdit_)
        fileEdit_->Text = mask_;
}

void TFileListBox::ReadFileNames()
{
    TStringList names;
    if (!directory_.IsEmpty())
        for (const FolderEntry &entry : ListFolder(directory_.c_str(), mask_.c_str()))
            if (!entry.folder && fileType_.Contains(entry.readOnly ? ftReadOnly : ftNormal))
                names.Add(entry.name.c_str());
    Items->Assign(names);
    SetItemIndex(-1);
}

} // namespace win
