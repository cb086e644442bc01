#include "platform/forms/TComponent.h"

#include <algorithm>

namespace win {

TComponent::TComponent(TComponent *Owner) : owner_(Owner)
{
    if (owner_)
        owner_->components_.push_back(this);
}

TComponent::~TComponent()
{
    // Components free themselves from the list as they go.
    while (!components_.empty()) {
        TComponent *c = components_.back();
        components_.pop_back();
        c->owner_ = nullptr;
        delete c;
    }
    if (owner_) {
        auto &list = owner_->components_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
}

TComponent *TComponent::Components(int index) const
{
    if (index < 0 || index >= ComponentCount())
        return nullptr;
    return components_[static_cast<size_t>(index)];
}

TComponent *TComponent::FindComponent(const AnsiString &name) const
{
    for (TComponent *c : components_)
        if (c->Name.AnsiCompareIC(name) == 0)
            return c;
    return nullptr;
}

} // namespace win
