// The indicator parameter dialog on the maker's tables: the rows of a built-in
// indicator and of a formula indicator, period switching, what OK writes to
// IDXPARA.TBL (one record, the rest of the file untouched) and what the chart
// then computes, Cancel, a short or read-only table, and the bad values of
// IdxPara.ini and of the edits.
#include <sys/wait.h>
#include <unistd.h>
#include <grp.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "IndexDialogFixture.h"
#include "lumon/formula/IndexFactory.h"
#include "lumon/formula/TIndex.h"
#include "lumon/formula/TScrIndex.h"
#include "lumon/views/Setpara.h"

using namespace win;

namespace views {
namespace {

constexpr int MacdId = 45;
constexpr int DayPeriod = 8;
constexpr int WeekPeriod = 9;

class IndexParamTest : public IndexDialogFixture {
protected:
    void TearDown() override
    {
        delete dialog;
        dialog = nullptr;
        delete index;
        index = nullptr;
        IndexDialogFixture::TearDown();
    }

    TModiPara *Open(int id, int period, TIndex *indicator = nullptr)
    {
        dialog = new TModiPara(&App(), indicator, period, id);
        dialog->ComboBox1->Enabled = true;
        // The edits report their changes once the dialog's windows exist.
        dialog->Show();
        App().ProcessMessages();
        return dialog;
    }
    void Type(int row, const char *text) { dialog->Edits[row]->Text = text; }
    std::string Label(int row) { return AnsiString(dialog->Labels[row]->Caption).c_str(); }
    std::string Shown(int row) { return AnsiString(dialog->Edits[row]->Text).c_str(); }
    int VisibleRows()
    {
        int n = 0;
        for (TEdit *e : dialog->Edits)
            n += e->Visible ? 1 : 0;
        return n;
    }
    void SwitchPeriod(int period)
    {
        dialog->ComboBox1->ItemIndex = period;
        dialog->ComboBox1Change(dialog->ComboBox1);
    }
    static const int32_t *Set(int id, int period)
    {
        return GetIndexTable()->Params[DefinitionIndex(id)].Set[period];
    }
    // The MACD of 600000's day bars, made as the chart makes it.
    TIndex *MakeMacd()
    {
        EXPECT_TRUE(CreateIndex(index, MacdId, Stock("600000"), 0));
        index->Period = DayPeriod;
        index->Init();
        EXPECT_TRUE(index->Compute());
        return index;
    }
    std::vector<float> Dif()
    {
        return std::vector<float>(index->Lines[0], index->Lines[0] + index->RecordCount);
    }

    TModiPara *dialog = nullptr;
    TIndex *index = nullptr;
};

TEST_F(IndexParamTest, BuiltinRowsCarryTheIniLabelsAndThePeriodsValues)
{
    Open(MacdId, DayPeriod);
    EXPECT_EQ(AnsiString(dialog->Caption), AnsiString("修改参数-MACD"));
    EXPECT_EQ(dialog->DefIndex, DefinitionIndex(MacdId));
    EXPECT_EQ(dialog->IsFormula, 0);
    EXPECT_EQ(dialog->ParamCount, 3);
    EXPECT_EQ(VisibleRows(), 3);
    EXPECT_EQ(Label(0), "短期");
    EXPECT_EQ(Label(1), "长期");
    EXPECT_EQ(Label(2), "平滑");
    EXPECT_EQ(Shown(0), "12");
    EXPECT_EQ(Shown(1), "26");
    EXPECT_EQ(Shown(2), "9");
    EXPECT_EQ(dialog->Edits[0]->MaxLength, 3);
    EXPECT_EQ(dialog->ComboBox1->ItemIndex, DayPeriod);
    EXPECT_EQ(dialog->ComboBox1->Items->Count(), 13);
    EXPECT_EQ(dialog->ComboBox1->Items->Strings(12), AnsiString("任意天"));

    // 缺省值 brings back the ini's defaults.
    Type(0, "5");
    EXPECT_EQ(dialog->Values[0], 5);
    dialog->Button3->Click();
    EXPECT_EQ(Shown(0), "12");
    EXPECT_EQ(dialog->Values[0], 12);

    // An indicator without a section of its own.
    delete dialog;
    Open(5, DayPeriod); // PBX
    EXPECT_EQ(dialog->ParamCount, 0);
    EXPECT_EQ(Label(0), "不需设定参数");
    EXPECT_TRUE(dialog->Labels[0]->Visible);
    EXPECT_EQ(VisibleRows(), 0);
    // The text shows in the picture, where the first edit would be nothing.
    QImage image = Render(dialog, "param_dialog_none.png");
    int dark = 0, edit = 0;
    for (int y = 16; y < 34; ++y)
        for (int x = 16; x < 100; ++x)
            dark += qGray(image.pixel(x, y)) < 100;
    for (int y = 18; y < 28; ++y)
        for (int x = 195; x < 270; ++x)
            edit += image.pixel(x, y) == qRgb(255, 255, 255);
    EXPECT_GT(dark, 30);
    EXPECT_EQ(edit, 0);
}

TEST_F(IndexParamTest, PeriodEditsAreKeptAndOkRewritesOnlyThatRecord)
{
    const std::string before = Read("CFG/IDXPARA.TBL");
    MakeMacd();
    const std::vector<float> oldDif = Dif();

    Open(MacdId, DayPeriod);
    Type(0, "5");
    Type(1, "10");
    SwitchPeriod(WeekPeriod);
    EXPECT_EQ(Shown(0), "12");
    Type(0, "7");
    SwitchPeriod(DayPeriod);
    EXPECT_EQ(Shown(0), "5");
    EXPECT_EQ(Shown(1), "10");
    Type(2, "3");
    dialog->Button1->Click();
    EXPECT_EQ(dialog->Accepted, 1);
    EXPECT_EQ(int(dialog->ModalResult), int(mrOk));
    EXPECT_EQ(std::vector<int32_t>(Set(MacdId, DayPeriod), Set(MacdId, DayPeriod) + 3),
              (std::vector<int32_t>{5, 10, 3}));
    EXPECT_EQ(Set(MacdId, WeekPeriod)[0], 7);

    // The file: the definition's 512 bytes are the table's block, all else as it was.
    const std::string after = Read("CFG/IDXPARA.TBL");
    ASSERT_EQ(after.size(), before.size());
    const size_t at = size_t(DefinitionIndex(MacdId)) * 512;
    EXPECT_EQ(after.substr(0, at), before.substr(0, at));
    EXPECT_EQ(after.substr(at + 512), before.substr(at + 512));
    EXPECT_EQ(std::memcmp(after.data() + at, &GetIndexTable()->Params[DefinitionIndex(MacdId)], 512), 0);

    // The chart re-creates the object and computes with the new values; so does a
    // later run that reads the tables from disk.
    MakeMacd();
    EXPECT_EQ(index->Params.Set[DayPeriod][0], 5);
    const std::vector<float> newDif = Dif();
    ASSERT_EQ(newDif.size(), oldDif.size());
    ASSERT_GT(newDif.size(), 30u);
    EXPECT_NE(newDif, oldDif);
    // The shorter averages give values from the tenth bar on, the old ones from the 26th.
    EXPECT_FALSE(IsOutOfRangeValue(newDif[9]));
    EXPECT_TRUE(IsOutOfRangeValue(oldDif[9]));
    FreeIndexDefinitions();
    ASSERT_NE(LoadIndexDefinitions("Guest"), nullptr);
    MakeMacd();
    EXPECT_EQ(Dif(), newDif);
}

TEST_F(IndexParamTest, CancelDropsTheVisibleEditsButNotThoseStoredByAPeriodChange)
{
    const std::string before = Read("CFG/IDXPARA.TBL");
    Open(MacdId, DayPeriod);
    int result = ShowModalThen(dialog, [this] {
        Type(0, "20");
        SwitchPeriod(WeekPeriod); // stores 20 into the day set
        Type(0, "30");
        dialog->Button2->Click();
    });
    EXPECT_EQ(result, int(mrCancel));
    EXPECT_EQ(dialog->Accepted, 0);
    EXPECT_EQ(Set(MacdId, DayPeriod)[0], 20);
    EXPECT_EQ(Set(MacdId, WeekPeriod)[0], 12);
    EXPECT_EQ(Read("CFG/IDXPARA.TBL"), before);
}

TEST_F(IndexParamTest, FormulaIndicatorsAreEditedInTheObjectAlone)
{
    const std::string before = Read("CFG/IDXPARA.TBL");
    ASSERT_TRUE(CreateIndex(index, 401, Stock("600000"), 0));
    index->Init();
    auto *formula = dynamic_cast<TScrIndex *>(index);
    ASSERT_NE(formula, nullptr);
    ASSERT_EQ(formula->ParamCount, 3);

    Open(401, DayPeriod, index);
    EXPECT_EQ(dialog->IsFormula, 1);
    EXPECT_EQ(VisibleRows(), 3);
    EXPECT_EQ(Label(0), "参数1(2--200)");
    EXPECT_EQ(Label(2), "参数3(2--200)");
    EXPECT_EQ(Shown(1), "26");
    EXPECT_EQ(dialog->Edits[0]->MaxLength, 4);
    Render(dialog, "param_dialog_formula.png");
    Type(0, "6");
    Type(1, "13");
    dialog->Button1->Click();
    EXPECT_EQ(dialog->Accepted, 1);
    EXPECT_EQ(formula->Descriptors[0].Value, 6.0f);
    EXPECT_EQ(formula->Descriptors[1].Value, 13.0f);
    EXPECT_EQ(formula->Descriptors[2].Value, 9.0f);
    EXPECT_EQ(Read("CFG/IDXPARA.TBL"), before);

    // Without an object (from the chooser) a formula indicator has nothing to edit.
    delete dialog;
    Open(401, 0);
    EXPECT_EQ(Label(0), "不需设定参数");
    EXPECT_EQ(VisibleRows(), 0);
}

TEST_F(IndexParamTest, ShortTableReadsZeroAndOkExtendsIt)
{
    // Only the first two records are on disk.
    Write("CFG/IDXPARA.TBL", Read("CFG/IDXPARA.TBL").substr(0, 2 * 512));
    ASSERT_NE(LoadIndexDefinitions("Guest"), nullptr);
    Open(MacdId, DayPeriod);
    EXPECT_EQ(Shown(0), "0");
    Type(0, "12");
    dialog->Button1->Click();
    const std::string after = Read("CFG/IDXPARA.TBL");
    const size_t at = size_t(DefinitionIndex(MacdId)) * 512;
    ASSERT_EQ(after.size(), at + 512);
    int32_t first = 0;
    std::memcpy(&first, after.data() + at + DayPeriod * 32, 4);
    EXPECT_EQ(first, 12);
}

TEST_F(IndexParamTest, ReadOnlyTableKeepsTheValuesInMemory)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to act as another user";
    for (fs::path p = root; p.has_relative_path(); p = p.parent_path())
        fs::permissions(p, fs::perms::others_exec | fs::perms::others_read, fs::perm_options::add);
    fs::permissions(root / "CFG/IDXPARA.TBL", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const std::string before = Read("CFG/IDXPARA.TBL");
    Open(MacdId, DayPeriod);
    Type(0, "33");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(99);
        dialog->Button1Click(dialog->Button1);
        int failures = 0;
        if (dialog->Accepted != 1)
            failures |= 1;
        if (Set(MacdId, DayPeriod)[0] != 33)
            failures |= 2;
        ::_exit(failures);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(Read("CFG/IDXPARA.TBL"), before);
}

TEST(IndexParamLabel, IniValuesAreSplitAtTheirLastTwoCommas)
{
    std::string longLabel;
    for (int i = 0; i < 500; ++i)
        longLabel += "长";
    struct Case {
        std::string value, label;
        int length, def;
    } cases[] = {
        {"短期 ,3,12", "短期", 3, 12},
        {"周期", "周期", 4, 0},
        {"周期,5", "周期,5", 4, 0},
        {"参数,含逗号 ,3,5", "参数,含逗号", 3, 5},
        {"周期 ,x,abc", "周期", 0, 0},
        {"周期 ,7,-3", "周期", 7, -3},
        {"周期 ,99999999999999,-99999999999999", "周期", INT_MAX, INT_MIN},
        {"", "", 4, 0},
        {longLabel + " ,3,5", longLabel.substr(0, 62), 3, 5},
    };
    for (const Case &c : cases) {
        ParamLabel p = ParseParamLabel(c.value.c_str());
        EXPECT_EQ(std::string(p.Label), c.label) << c.value.substr(0, 40);
        EXPECT_EQ(p.InputLength, c.length) << c.value.substr(0, 40);
        EXPECT_EQ(p.Default, c.def) << c.value.substr(0, 40);
    }
}

TEST(IndexParamLabel, EditNumbersAreReadAsAtolWithSaturation)
{
    struct Case {
        std::string text;
        int32_t value;
    } cases[] = {
        {"12", 12},           {" -7", -7},          {"+8", 8},      {"nan", 0},
        {"1e309", 1},         {"", 0},              {"abc", 0},     {"2147483647", INT_MAX},
        {"2147483648", INT_MAX}, {"-99999999999", INT_MIN}, {std::string(300, '9'), INT_MAX},
        {"12345678901234", INT_MAX}, {"0000000000012", 0}, // only the first 11 characters count
    };
    for (const Case &c : cases)
        EXPECT_EQ(ReadEditNumber(c.text.c_str()), c.value) << c.text.substr(0, 20);
    EXPECT_EQ(ReadEditNumber(nullptr), 0);
}

TEST_F(IndexParamTest, BadIniSectionsAndEditsGiveDefinedRows)
{
    std::string longLabel(1000, 'L');
    std::string ini = "[Index#45]\r\nParaNum=9\r\nPara1=" + longLabel + " ,3,5\r\nPara2=无逗号\r\nPara3=周期 ,3,abc\r\n"
                      "[Index#84]\r\nParaNum=-1\r\n";
    Write("CFG/IdxPara.ini", ini);
    Open(MacdId, DayPeriod);
    EXPECT_EQ(dialog->ParamCount, 8);
    EXPECT_EQ(VisibleRows(), 8);
    EXPECT_EQ(Label(0), std::string(63, 'L'));
    EXPECT_EQ(Label(1), "无逗号");
    EXPECT_EQ(Label(3), "参数4");
    EXPECT_EQ(dialog->Defaults[0], 5);
    EXPECT_EQ(dialog->Defaults[2], 0);
    struct Typed {
        const char *text;
        int32_t value;
    } typed[] = {{"nan", 0}, {"1e309", 1}, {"-", 0}, {"-12", -12}};
    for (const Typed &t : typed) {
        Type(0, t.text);
        EXPECT_EQ(dialog->Values[0], t.value) << t.text;
    }
    dialog->Edits[1]->MaxLength = 400;
    Type(1, std::string(300, '7').c_str());
    EXPECT_EQ(dialog->Values[1], INT_MAX);
    Render(dialog, "param_dialog_bad_ini.png");

    delete dialog;
    Open(84, DayPeriod);
    EXPECT_EQ(dialog->ParamCount, 0);
    EXPECT_EQ(Label(0), "不需设定参数");
}

TEST_F(IndexParamTest, Renders)
{
    Open(84, DayPeriod);
    QImage image = Render(dialog, "param_dialog.png");
    EXPECT_EQ(image.width(), 300);
    EXPECT_EQ(image.height(), 318);
}

} // namespace
} // namespace views
