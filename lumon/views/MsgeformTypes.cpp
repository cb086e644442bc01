// The news view's two tab strips: the types of NEWSTYPE.INI that the filter
// shows, the branches of the selected type, and the type dialog that changes
// the filter.
#include <cstdio>

#include "lumon/shell/LMPageTab.h"
#include "lumon/shell/MFrame.h"
#include "lumon/shell/NewsTypes.h"
#include "lumon/shell/SelNews.h"
#include "lumon/views/Msgeform.h"
#include "platform/win/Profile.h"
#include "platform/win/TStringList.h"

using namespace win;

void TMsgForm::BuildTypeTabs()
{
    TypeTabCount = 0;
    SearchPageTab->ClearTitle();
    SearchPageTab->AddTitle("所有类型");
    TabTypes[TypeTabCount++] = 0;
    uint32_t mask[4];
    ReadNewsFilter(mask);
    for (int id = 1; id <= 100 && TypeTabCount < kMaxTypeTabs; ++id) {
        if (!NewsTypeEnabled(mask, id))
            continue;
        const std::string name = ReadNewsTypeName(id);
        if (name.empty())
            continue;
        SearchPageTab->AddTitle(name.c_str());
        TabTypes[TypeTabCount++] = uint8_t(id);
    }
}

void TMsgForm::FillBranchTabs(int type)
{
    BranchOfTab.assign(1, NewsBranchTab{" 全部 ", {}});
    for (const NewsTypeRecord &record : NewsTypeTable) {
        if (type == 0 || record.Id != type)
            continue;
        for (const NewsBranch &branch : record.Branches) {
            if (int(BranchOfTab.size()) > 126)
                break;
            BranchOfTab.push_back(NewsBranchTab{branch.Title, branch.Keywords});
        }
    }
    TStringList titles;
    for (const NewsBranchTab &tab : BranchOfTab)
        titles.Add(tab.Title.c_str());
    BranchPageTab->SetTitles(&titles);
}

void TMsgForm::NSelTypesClick(TObject *)
{
    TSelNewsTypes dialog(this);
    DialogBusy = 1;
    const int result = dialog.ShowModal();
    DialogBusy = 0;
    if (result != mrOk || !dialog.Changed)
        return;
    uint32_t mask[4] = {};
    for (uint8_t id : dialog.SelectedIds)
        if (id >= 1 && id <= 128)
            mask[(id - 1) / 32] |= 1u << ((id - 1) % 32);
    char value[64];
    std::snprintf(value, sizeof value, "%d,%d,%d,%d", int32_t(mask[0]), int32_t(mask[1]), int32_t(mask[2]),
                  int32_t(mask[3]));
    WritePrivateProfileStringA("NEWSTYPE", "Filter", value, NewsTypeIni);
    BuildTypeTabs();
    LoadNewsTypes();
}
