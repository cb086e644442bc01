// The folder chooser of the settings tool: a folder list driven by a drive box,
// showing the current folder and its files; the chosen folder is the folder
// list's current one when the dialog closes with OK.
#pragma once

#include "platform/forms/TButton.h"
#include "platform/forms/TDirectoryListBox.h"
#include "platform/forms/TDriveComboBox.h"
#include "platform/forms/TEdit.h"
#include "platform/forms/TFileListBox.h"
#include "platform/forms/TForm.h"
#include "platform/forms/TLabel.h"
#include "platform/forms/TPanel.h"

class TDirDialog : public win::TForm {
public:
    explicit TDirDialog(win::TComponent *Owner);

    win::TPanel *Panel1;
    win::TLabel *Label1;
    win::TLabel *Label2;
    win::TDirectoryListBox *DirectoryListBox1;
    win::TFileListBox *FileListBox1;
    win::TDriveComboBox *DriveComboBox1;
    win::TLabel *Label3;
    win::TEdit *Edit1;
    win::TButton *Button1;
    win::TButton *Button2;
};
