// The indicator chooser on the maker's definitions: what each category lists,
// hidden definitions, the texts of the columns read within their fields,
// choosing by 确定 and by a double click, and 变更参数 opening
// the parameter dialog with the frame's modal-dialog flag set.
#include <QApplication>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "IndexDialogFixture.h"
#include "lumon/shell/MFrame.h"
#include "lumon/views/Selindex.h"
#include "lumon/views/Setpara.h"
#include "platform/forms/TScreen.h"

using namespace win;

namespace views {
namespace {

class IndexChooserTest : public IndexDialogFixture {
protected:
    void TearDown() override
    {
        delete dialog;
        dialog = nullptr;
        IndexDialogFixture::TearDown();
    }

    TSelIdxDlg *Open()
    {
        dialog = new TSelIdxDlg(&App());
        return dialog;
    }
    void ShowNode(int node) { dialog->TreeView1->Selected = dialog->TreeView1->Items->Item[node]; }
    std::vector<int> ListedIds()
    {
        std::vector<int> ids;
        const IndexTable *t = GetIndexTable();
        for (int row = 0; row < dialog->ListView1->Items->Count; ++row)
            ids.push_back(t->Definitions[dialog->RowMap[row]].Id);
        return ids;
    }
    // The table's ids that pass the test, in table order.
    static std::vector<int> Ids(bool (*pass)(const IndexDefinition &))
    {
        std::vector<int> ids;
        const IndexTable *t = GetIndexTable();
        for (int i = 0; i < t->Count; ++i)
            if (pass(t->Definitions[i]))
                ids.push_back(t->Definitions[i].Id);
        return ids;
    }
    void SelectId(int id)
    {
        std::vector<int> ids = ListedIds();
        for (size_t row = 0; row < ids.size(); ++row)
            if (ids[row] == id)
                dialog->ListView1->ItemIndex = int(row);
        ASSERT_NE(dialog->ListView1->Selected.operator TListItem *(), nullptr) << id;
    }
    // Sets the hidden flag of a definition in INDEX.DAT and reads the tables again.
    void HideInFile(int id)
    {
        std::string bytes = Read("CFG/INDEX.DAT");
        for (size_t at = 0; at + 232 <= bytes.size(); at += 232)
            if (uint8_t(bytes[at]) + 256 * uint8_t(bytes[at + 1]) == id)
                bytes[at + 3] = char(uint8_t(bytes[at + 3]) | 0x80);
        Write("CFG/INDEX.DAT", bytes);
        ASSERT_NE(LoadIndexDefinitions("Guest"), nullptr);
    }

    // The parameter dialog shown modally, or null.
    static TModiPara *ShownParamDialog()
    {
        for (int i = 0; i < Screen->FormCount; ++i)
            if (auto *form = dynamic_cast<TModiPara *>(Screen->Forms(i)); form && form->Modal())
                return form;
        return nullptr;
    }

    TSelIdxDlg *dialog = nullptr;
};

TEST_F(IndexChooserTest, CategoriesListTheirDefinitionsAndNeverTheHiddenOnes)
{
    HideInFile(87); // RSI: category 2, frequently used
    Open();
    EXPECT_EQ(AnsiString(dialog->Caption), AnsiString("选择指标"));
    ASSERT_EQ(dialog->TreeView1->Items->Count, 13);
    EXPECT_EQ(AnsiString(dialog->TreeView1->Items->Item[12]->Text), AnsiString("常用指标"));
    EXPECT_EQ(dialog->TreeView1->Items->Item[1]->Parent.operator TTreeNode *(), dialog->TreeView1->Items->Item[0]);

    // Shown first: every built-in category together, in table order.
    std::vector<int> system = Ids([](const IndexDefinition &d) { return d.Kind < 100 && d.Id != 87; });
    EXPECT_EQ(ListedIds(), system);
    std::set<int> kinds;
    for (int id : system)
        kinds.insert(GetIndexTable()->Definitions[DefinitionIndex(id)].Kind);
    EXPECT_EQ(kinds.size(), 10u);

    ShowNode(3); // 反趋向指标: category 2
    EXPECT_EQ(ListedIds(), Ids([](const IndexDefinition &d) { return d.Kind == 2 && d.Id != 87; }));
    ShowNode(11);
    EXPECT_EQ(ListedIds(), (std::vector<int>{401, 402, 403, 404}));
    ShowNode(12);
    EXPECT_EQ(ListedIds(), (std::vector<int>{3, 4, 45, 84, 122, 322}));

    // Every category together lists each visible definition once.
    std::multiset<int> all;
    for (int node = 1; node <= 11; ++node) {
        ShowNode(node);
        for (int id : ListedIds())
            all.insert(id);
    }
    EXPECT_EQ(all.count(87), 0u);
    EXPECT_EQ(int(all.size()), GetIndexTable()->Count - 1);
}

TEST_F(IndexChooserTest, ColumnsShowTheMakersTextsWithinTheirFields)
{
    Open();
    ShowNode(11);
    TListItem *row = dialog->ListView1->Items->Item[0];
    EXPECT_EQ(AnsiString(row->Caption), AnsiString("FMACD"));
    EXPECT_EQ(row->SubItems->Strings(0), AnsiString("平滑异同移动平均线(公式)"));
    EXPECT_EQ(row->SubItems->Strings(1), AnsiString("FMCD"));
    ShowNode(12);
    row = dialog->ListView1->Items->Item[2];
    EXPECT_EQ(AnsiString(row->Caption), AnsiString("MACD"));
    EXPECT_EQ(row->SubItems->Strings(0), AnsiString("平滑异同移动平均线"));
    EXPECT_EQ(row->SubItems->Strings(1), AnsiString("MACD"));

    // A record whose texts fill their fields without a terminator.
    IndexDefinition d{};
    std::memset(d.Name, 'N', 12);
    std::memset(d.Name + 12, 'D', 47);
    std::memset(d.Name + 59, 'K', 5);
    ChooserTexts t = DefinitionTexts(d);
    EXPECT_EQ(std::string(t.Name), std::string(12, 'N'));
    EXPECT_EQ(std::string(t.Description), std::string(47, 'D'));
    EXPECT_EQ(std::string(t.HotKey), std::string(5, 'K'));
}

TEST_F(IndexChooserTest, OkNeedsAHighlightedRowAndADoubleClickChooses)
{
    Open();
    dialog->ListView1->Selected = nullptr;
    int result = ShowModalThen(dialog, [this] {
        dialog->Button1->Click();
        EXPECT_TRUE(dialog->Modal());
        EXPECT_EQ(int(dialog->ModalResult), int(mrNone));
        EXPECT_EQ(dialog->Chosen, 0);
        ShowNode(12);
        SelectId(45);
        dialog->ListView1->OnDblClick(dialog->ListView1);
    });
    EXPECT_EQ(result, int(mrOk));
    EXPECT_EQ(dialog->Chosen, 1);
    EXPECT_EQ(dialog->ChosenId, 45);
}

TEST_F(IndexChooserTest, EscapeInTheTreeCloses)
{
    Open();
    int result = ShowModalThen(dialog, [this] {
        char key = 'a';
        dialog->TreeView1->OnKeyPress(dialog->TreeView1, key);
        EXPECT_TRUE(dialog->Modal());
        key = 27;
        dialog->TreeView1->OnKeyPress(dialog->TreeView1, key);
    });
    EXPECT_EQ(result, int(mrCancel));
    EXPECT_EQ(dialog->Chosen, 0);
}

TEST_F(IndexChooserTest, ChangeParametersOpensTheParameterDialogForTheRow)
{
    Open();
    dialog->Button3->Click(); // no row: nothing opens
    EXPECT_EQ(DialogBusy, 0);
    ShowNode(12);
    SelectId(84);
    bool seen = false;
    QTimer::singleShot(0, [&] {
        TModiPara *p = ShownParamDialog();
        if (!p) {
            ADD_FAILURE() << "no parameter dialog is shown";
            if (QWidget *modal = QApplication::activeModalWidget())
                modal->close();
            return;
        }
        seen = true;
        EXPECT_TRUE(p->Modal());
        EXPECT_EQ(DialogBusy, 1);
        EXPECT_EQ(p->IndexId, 84);
        EXPECT_EQ(p->Period, 0);
        EXPECT_EQ(p->Indicator, nullptr);
        EXPECT_TRUE(p->ComboBox1->Enabled);
        EXPECT_EQ(p->ComboBox1->ItemIndex, 0);
        EXPECT_EQ(AnsiString(p->Caption), AnsiString("修改参数-KDJ"));
        EXPECT_EQ(AnsiString(p->Labels[0]->Caption), AnsiString("周期"));
        Render(p, "param_dialog_from_chooser.png");
        p->Button2->Click();
    });
    dialog->Button3->Click();
    EXPECT_TRUE(seen);
    EXPECT_EQ(ShownParamDialog(), nullptr);
    EXPECT_EQ(DialogBusy, 0);
    EXPECT_EQ(dialog->ChosenId, 84);
    EXPECT_EQ(dialog->Chosen, 0);
}

TEST_F(IndexChooserTest, Renders)
{
    Open();
    ShowNode(0);
    dialog->ListView1->ItemIndex = 3;
    QImage image = Render(dialog, "index_chooser.png");
    EXPECT_EQ(image.width(), 456);
    EXPECT_EQ(image.height(), 330);
}

} // namespace
} // namespace views
