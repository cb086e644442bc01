#include "lumon/shell/ViewFactory.h"

#include <map>

#include "lumon/shell/MVChild.h"

TViewHooks ViewHooks;

namespace {

std::map<uint16_t, ViewMaker> &Makers()
{
    static std::map<uint16_t, ViewMaker> makers;
    return makers;
}

ViewMaker fallbackMaker = nullptr;

} // namespace

void RegisterViewMaker(uint16_t viewType, ViewMaker maker) { Makers()[viewType] = maker; }

ViewMaker FindViewMaker(uint16_t viewType)
{
    auto it = Makers().find(viewType);
    return it == Makers().end() ? nullptr : it->second;
}

void ClearViewMakers()
{
    Makers().clear();
    fallbackMaker = nullptr;
}

void RegisterFallbackViewMaker(ViewMaker maker) { fallbackMaker = maker; }

TMultiViewChild *CreateView(TMultiViewMain *page, MVCS *node, const VIEW_ATTR *attr)
{
    if (attr && attr->ViewType != VIEW_EMPTY) {
        if (ViewMaker maker = FindViewMaker(attr->ViewType))
            return maker(page, node, attr);
        VIEW_ATTR known;
        if (fallbackMaker && !InitViewAttr(attr->ViewType, &known))
            return fallbackMaker(page, node, nullptr);
    }
    return new TMultiViewChild(page, node, attr);
}
