// The page control: a row of tabs (at the top or the bottom) over its sheets,
// of which the active one is shown; a sheet that becomes active gets its OnShow,
// and a tab chosen by the user fires OnChange.
#pragma once

#include <memory>
#include <vector>

#include "platform/forms/TWinControl.h"

namespace win {

class TTabSheet;
struct PageControlPrivate;

enum TTabPosition { tpTop, tpBottom };

class TPageControl : public TWinControl {
public:
    explicit TPageControl(TComponent *Owner);
    ~TPageControl() override;
    AnsiString ClassName() const override { return "TPageControl"; }

    int GetPageCount() const { return static_cast<int>(pages_.size()); }
    TTabSheet *Pages(int index) const;
    TTabSheet *GetActivePage() const;
    void SetActivePage(TTabSheet *page);
    int GetActivePageIndex() const { return active_; }
    void SetActivePageIndex(int index);
    TTabPosition GetTabPosition() const { return tabPosition_; }
    void SetTabPosition(TTabPosition position);

    ReadOnlyProperty<TPageControl, int, &TPageControl::GetPageCount> PageCount{this};
    Property<TPageControl, TTabSheet *, &TPageControl::GetActivePage, &TPageControl::SetActivePage> ActivePage{
        this};
    Property<TPageControl, int, &TPageControl::GetActivePageIndex, &TPageControl::SetActivePageIndex>
        ActivePageIndex{this};
    Property<TPageControl, TTabPosition, &TPageControl::GetTabPosition, &TPageControl::SetTabPosition>
        TabPosition{this};
    TNotifyEvent OnChange;

    // Inside the library: sheets join and leave, and change their caption.
    void InsertPage(TTabSheet *page);
    void RemovePage(TTabSheet *page);
    void PageCaptionChanged();

protected:
    QWidget *CreateWidget(QWidget *parent) override;
    void CreateWnd() override;
    void Resize() override;

private:
    void Layout();
    // Shows the active sheet only; `showing` runs its OnShow.
    void ShowActive(bool showing);
    void FillTabs();

    std::vector<TTabSheet *> pages_;
    int active_ = -1;
    TTabPosition tabPosition_ = tpTop;
    std::unique_ptr<PageControlPrivate> priv_;
};

class TTabSheet : public TWinControl {
public:
    explicit TTabSheet(TComponent *Owner);
    ~TTabSheet() override;
    AnsiString ClassName() const override { return "TTabSheet"; }

    TPageControl *GetPageControl() const { return pageControl_; }
    // Places the sheet in a page control (null: takes it out).
    void SetPageControl(TPageControl *control);
    void SetCaption(AnsiString caption) override;
    int GetPageIndex() const;

    Property<TTabSheet, TPageControl *, &TTabSheet::GetPageControl, &TTabSheet::SetPageControl> PageControl{this};
    ReadOnlyProperty<TTabSheet, int, &TTabSheet::GetPageIndex> PageIndex{this};
    TNotifyEvent OnShow;

protected:
    QWidget *CreateWidget(QWidget *parent) override;

private:
    friend class TPageControl;
    TPageControl *pageControl_ = nullptr;
};

} // namespace win
