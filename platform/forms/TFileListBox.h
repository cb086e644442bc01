// The file list: the names of the files of Directory that match Mask ("*.*" is
// every name; letter case does not matter) and are of a FileType (read-only
// files, other files), sorted by name; names starting with '.' are hidden, as
// folders are. FileEdit, when set, shows the mask.
#pragma once

#include "platform/forms/TListBox.h"

namespace win {

class TEdit;

enum TFileAttr { ftReadOnly, ftNormal };

// A set of file kinds: `TFileType() << ftReadOnly << ftNormal`.
class TFileType {
public:
    constexpr TFileType() = default;
    constexpr TFileType &operator<<(TFileAttr attr)
    {
        bits_ |= 1u << attr;
        return *this;
    }
    constexpr TFileType &operator>>(TFileAttr attr)
    {
        bits_ &= ~(1u << attr);
        return *this;
    }
    constexpr bool Contains(TFileAttr attr) const { return (bits_ & (1u << attr)) != 0; }

private:
    unsigned bits_ = 0;
};

class TFileListBox : public TListBox {
public:
    explicit TFileListBox(TComponent *Owner);
    AnsiString ClassName() const override { return "TFileListBox"; }

    AnsiString GetDirectory() const { return directory_; }
    // Lists a folder (Linux or Windows form, relative to the working folder,
    // either separator); a path that is no folder changes nothing.
    void SetDirectory(AnsiString directory);
    AnsiString GetMask() const { return mask_; }
    void SetMask(AnsiString mask);
    TFileType GetFileType() const { return fileType_; }
    void SetFileType(TFileType fileType);
    TEdit *GetFileEdit() const { return fileEdit_; }
    void SetFileEdit(TEdit *edit);
    // Reads the folder again.
    void ReadFileNames();

    // GBK, '/' separators, no trailing separator but for the root.
    Property<TFileListBox, AnsiString, &TFileListBox::GetDirectory, &TFileListBox::SetDirectory> Directory{this};
    Property<TFileListBox, AnsiString, &TFileListBox::GetMask, &TFileListBox::SetMask> Mask{this};
    // Read-only and other files, unless set otherwise.
    Property<TFileListBox, TFileType, &TFileListBox::GetFileType, &TFileListBox::SetFileType> FileType{this};
    Property<TFileListBox, TEdit *, &TFileListBox::GetFileEdit, &TFileListBox::SetFileEdit> FileEdit{this};

private:
    AnsiString directory_;
    AnsiString mask_ = "*.*";
    TFileType fileType_ = TFileType() << ftReadOnly << ftNormal;
    TEdit *fileEdit_ = nullptr;
};

} // namespace win
