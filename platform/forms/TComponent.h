// The roots of the form library's classes: TObject (class name) and TComponent
// (owner, owned components freed with their owner, Name and Tag).
#pragma once

#include <vector>

#include "platform/win/AnsiString.h"

namespace win {

class TObject {
public:
    virtual ~TObject() = default;
    virtual AnsiString ClassName() const { return "TObject"; }
};

class TComponent : public TObject {
public:
    // The owner (may be null) frees the component when it is freed itself.
    explicit TComponent(TComponent *Owner);
    ~TComponent() override;
    TComponent(const TComponent &) = delete;
    TComponent &operator=(const TComponent &) = delete;
    AnsiString ClassName() const override { return "TComponent"; }

    TComponent *GetOwner() const { return owner_; }
    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent *Components(int index) const;
    // The owned component of that name (without regard to case), or null.
    TComponent *FindComponent(const AnsiString &name) const;

    AnsiString Name;
    int Tag = 0;

private:
    TComponent *owner_;
    std::vector<TComponent *> components_;
};

} // namespace win
