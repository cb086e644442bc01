// The strings of a list, combo box or memo: a string list whose every change is
// told to its control, so that the control shows it.
#pragma once

#include <functional>

#include "platform/win/TStringList.h"

namespace win {

class TControlItems {
public:
    explicit TControlItems(std::function<void()> changed) : changed_(std::move(changed)) {}
    // Controls keep lines of their own kinds (a rich edit's) through this class.
    virtual ~TControlItems() = default;

    int Count() const { return list_.Count(); }
    const AnsiString &Strings(int index) const { return list_.Strings(index); }
    const AnsiString &operator[](int index) const { return list_.Strings(index); }
    int IndexOf(const AnsiString &s) const { return list_.IndexOf(s); }
    int Add(const AnsiString &s);
    bool Insert(int index, const AnsiString &s);
    bool Delete(int index);
    void Clear();
    void Assign(const TStringList &other);
    AnsiString Text() const { return list_.Text(); }
    void SetText(const AnsiString &text);
    // False, with the strings unchanged, when the file cannot be read.
    bool LoadFromFile(const AnsiString &fileName);
    const TStringList &List() const { return list_; }

private:
    void Changed()
    {
        if (changed_)
            changed_();
    }

    TStringList list_;
    std::function<void()> changed_;
};

} // namespace win
