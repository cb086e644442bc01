// The reference-line dialog on an indicator made by the factory: the boxes and
// edits it starts with, 确定 (an unchecked line keeps its level), 保存 then 取消
// (the object and refline.dat keep the values), and levels that are no number.
#include <cmath>
#include <cstring>
#include <string>

#include <QApplication>

#include "IndexDialogFixture.h"
#include "platform/forms/TScreen.h"
#include "lumon/formula/IndexFactory.h"
#include "lumon/formula/RefLines.h"
#include "lumon/formula/TIndex.h"
#include "lumon/views/Setrefl.h"

using namespace win;

namespace views {
namespace {

constexpr int RsiId = 87;

class RefLineDialogTest : public IndexDialogFixture {
protected:
    void SetUp() override
    {
        IndexDialogFixture::SetUp();
        stock = Stock("600036");
        ASSERT_TRUE(CreateIndex(index, RsiId, stock, 0));
        index->Init();
        const uint8_t shown[4] = {1, 0, 1, 0};
        const float levels[4] = {20, 50, 80, 0};
        std::memcpy(index->RefShown, shown, 4);
        std::memcpy(index->RefLevel, levels, sizeof levels);
    }
    void TearDown() override
    {
        delete dialog;
        dialog = nullptr;
        delete index;
        index = nullptr;
        IndexDialogFixture::TearDown();
    }
    TSetRLDlg *Open()
    {
        dialog = new TSetRLDlg(&App(), index);
        return dialog;
    }
    std::string Shown(int row) { return AnsiString(dialog->Edits[row]->Text).c_str(); }

    StockId stock = 0;
    TIndex *index = nullptr;
    TSetRLDlg *dialog = nullptr;
};

TEST_F(RefLineDialogTest, StartsFromTheObjectAndOkKeepsAnUncheckedLevel)
{
    Open();
    EXPECT_EQ(AnsiString(dialog->Caption), AnsiString("设定指标参考线"));
    const bool checked[4] = {true, false, true, false};
    const char *texts[4] = {"20.000", "", "80.000", ""};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(bool(dialog->CheckBoxes[i]->Checked), checked[i]) << i;
        EXPECT_EQ(bool(dialog->Edits[i]->Enabled), checked[i]) << i;
        EXPECT_EQ(Shown(i), texts[i]) << i;
    }
    EXPECT_EQ(AnsiString(dialog->CheckBoxes[3]->Caption), AnsiString("参考线4"));

    dialog->CheckBoxes[0]->Checked = false;
    EXPECT_FALSE(dialog->Edits[0]->Enabled);
    dialog->CheckBoxes[1]->Checked = true;
    EXPECT_TRUE(dialog->Edits[1]->Enabled);
    dialog->Edits[1]->Text = "65.5";
    dialog->Edits[2]->Text = "70";
    dialog->Button1->Click();
    EXPECT_EQ(int(dialog->ModalResult), int(mrOk));
    EXPECT_EQ(index->RefShown[0], 0);
    EXPECT_EQ(index->RefLevel[0], 20.0f);
    EXPECT_EQ(index->RefShown[1], 1);
    EXPECT_EQ(index->RefLevel[1], 65.5f);
    EXPECT_EQ(index->RefLevel[2], 70.0f);
    EXPECT_EQ(index->RefShown[3], 0);
}

TEST_F(RefLineDialogTest, SaveThenCancelKeepsTheValuesInTheObjectAndTheFile)
{
    bool stayedOpen = false;
    QTimer::singleShot(0, [this, &stayedOpen] {
        // The dialog EditRefLines shows modally.
        TSetRLDlg *shown = nullptr;
        for (int i = 0; i < Screen->FormCount; ++i)
            if (auto *form = dynamic_cast<TSetRLDlg *>(Screen->Forms(i)); form && form->Modal())
                shown = form;
        if (!shown) {
            ADD_FAILURE() << "no reference-line dialog is shown";
            if (QWidget *modal = QApplication::activeModalWidget())
                modal->close();
            return;
        }
        shown->CheckBoxes[3]->Checked = true;
        shown->Edits[3]->Text = "95.25";
        shown->Edits[0]->Text = "15";
        shown->Button3->Click();
        stayedOpen = shown->Modal() && int(shown->ModalResult) == int(mrNone);
        shown->Button2->Click();
    });
    EXPECT_FALSE(EditRefLines(index));
    EXPECT_TRUE(stayedOpen);
    const float want[4] = {15, 50, 80, 95.25f};
    const uint8_t shownFlags[4] = {1, 0, 1, 1};
    EXPECT_EQ(std::memcmp(index->RefLevel, want, sizeof want), 0);
    EXPECT_EQ(std::memcmp(index->RefShown, shownFlags, 4), 0);
    RefLineRecord r{};
    ASSERT_TRUE(FindRefLines(stock, RsiId, r));
    EXPECT_EQ(std::memcmp(r.Level, want, sizeof want), 0);
    EXPECT_EQ(std::memcmp(r.Shown, shownFlags, 4), 0);
    EXPECT_FALSE(EditRefLines(nullptr));
}

TEST_F(RefLineDialogTest, LevelsThatAreNoFiniteNumberReadZero)
{
    struct Case {
        std::string text;
        float level;
    } cases[] = {
        {"12.5", 12.5f}, {" -3", -3.0f}, {"+4.25x", 4.25f}, {"abc", 0},   {"", 0},
        {"nan", 0},      {"inf", 0},     {"1e309", 0},      {"1e39", 0},  {"3.4e38", 3.4e38f},
        {std::string(300, '9'), 9999999999.0f}, // the edit's first 10 characters
    };
    for (const Case &c : cases)
        EXPECT_EQ(ReadEditLevel(c.text.c_str()), c.level) << c.text.substr(0, 20);
    EXPECT_EQ(ReadEditLevel(nullptr), 0.0f);

    Open();
    dialog->Edits[0]->Text = "nan";
    dialog->Edits[2]->Text = "1e309";
    dialog->Button1->Click();
    EXPECT_EQ(index->RefLevel[0], 0.0f);
    EXPECT_EQ(index->RefLevel[2], 0.0f);
}

TEST_F(RefLineDialogTest, Renders)
{
    Open();
    QImage image = Render(dialog, "refline_dialog.png");
    EXPECT_EQ(image.width(), 232);
    EXPECT_EQ(image.height(), 168);
}

} // namespace
} // namespace views
