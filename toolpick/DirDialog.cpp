#include "toolpick/DirDialog.h"

using namespace win;

TDirDialog::TDirDialog(TComponent *Owner) : TForm(Owner)
{
    Caption = "路径选择";
    BorderStyle = bsDialog;
    BorderIcons = TBorderIcons();
    Position = poScreenCenter;
    ClientWidth = 360;
    ClientHeight = 265;
    Font->Name = "宋体";
    Font->Height = -12;
    FontChanged();

    Panel1 = new TPanel(this);
    Panel1->Parent = this;
    Panel1->BevelOuter = bvLowered;
    Panel1->SetBounds(8, 8, 344, 214);

    Label1 = new TLabel(this);
    Label1->Parent = Panel1;
    Label1->Caption = "路径:";
    Label1->SetBounds(8, 10, 36, 14);
    Label2 = new TLabel(this);
    Label2->Parent = Panel1;
    Label2->AutoSize = false;
    Label2->SetBounds(46, 10, 290, 14);

    DirectoryListBox1 = new TDirectoryListBox(this);
    DirectoryListBox1->Parent = Panel1;
    DirectoryListBox1->SetBounds(8, 32, 160, 142);
    FileListBox1 = new TFileListBox(this);
    FileListBox1->Parent = Panel1;
    FileListBox1->SetBounds(176, 32, 160, 142);
    FileListBox1->FileType = TFileType() << ftReadOnly << ftNormal;
    DriveComboBox1 = new TDriveComboBox(this);
    DriveComboBox1->Parent = Panel1;
    DriveComboBox1->SetBounds(8, 182, 160, 22);
    Label3 = new TLabel(this);
    Label3->Parent = Panel1;
    Label3->Caption = "文件:";
    Label3->SetBounds(176, 186, 36, 14);
    Edit1 = new TEdit(this);
    Edit1->Parent = Panel1;
    Edit1->SetBounds(214, 182, 122, 22);
    Edit1->SetReadOnly(true);
    Edit1->Text = "*.*";

    // The drive box drives the folder list, which drives the folder label and
    // the file list, which takes its mask from the edit.
    FileListBox1->FileEdit = Edit1;
    DirectoryListBox1->FileList = FileListBox1;
    DirectoryListBox1->DirLabel = Label2;
    DriveComboBox1->DirList = DirectoryListBox1;

    Button1 = new TButton(this);
    Button1->Parent = this;
    Button1->Caption = "确定";
    Button1->Default = true;
    Button1->ModalResult = mrOk;
    Button1->SetBounds(190, 232, 75, 25);
    Button2 = new TButton(this);
    Button2->Parent = this;
    Button2->Caption = "取消";
    Button2->Cancel = true;
    Button2->ModalResult = mrCancel;
    Button2->SetBounds(277, 232, 75, 25);
}
