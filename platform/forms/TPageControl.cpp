#include "platform/forms/TPageControl.h"

#include <QPointer>
#include <QTabBar>
#include <QWidget>

#include <algorithm>

#include "platform/forms/WindowHost.h"

namespace win {

struct PageControlPrivate {
    QPointer<QTabBar> bar;
    bool filling = false;
};

TPageControl::TPageControl(TComponent *Owner) : TWinControl(Owner), priv_(std::make_unique<PageControlPrivate>())
{
    SetBounds(0, 0, 289, 193);
}

TPageControl::~TPageControl()
{
    for (TTabSheet *page : pages_)
        page->pageControl_ = nullptr;
}

QWidget *TPageControl::CreateWidget(QWidget *parent)
{
    auto *box = new QWidget(parent);
    auto *bar = new QTabBar(box);
    bar->setDrawBase(true);
    QObject::connect(bar, &QTabBar::currentChanged, [this](int index) {
        if (priv_->filling || index < 0 || index == active_)
            return;
        SetActivePageIndex(index);
        if (OnChange)
            OnChange(this);
    });
    priv_->bar = bar;
    return box;
}

void TPageControl::CreateWnd()
{
    TWinControl::CreateWnd();
    FillTabs();
    Layout();
    ShowActive(false);
}

void TPageControl::Resize()
{
    TWinControl::Resize();
    Layout();
}

TTabSheet *TPageControl::Pages(int index) const
{
    return index >= 0 && index < GetPageCount() ? pages_[static_cast<size_t>(index)] : nullptr;
}

TTabSheet *TPageControl::GetActivePage() const { return Pages(active_); }

void TPageControl::SetActivePage(TTabSheet *page)
{
    auto it = std::find(pages_.begin(), pages_.end(), page);
    if (it != pages_.end())
        SetActivePageIndex(static_cast<int>(it - pages_.begin()));
}

void TPageControl::SetActivePageIndex(int index)
{
    if (index < 0 || index >= GetPageCount() || index == active_)
        return;
    active_ = index;
    if (priv_->bar) {
        priv_->filling = true;
        priv_->bar->setCurrentIndex(index);
        priv_->filling = false;
    }
    ShowActive(true);
}

void TPageControl::SetTabPosition(TTabPosition position)
{
    tabPosition_ = position;
    if (priv_->bar)
        priv_->bar->setShape(position == tpBottom ? QTabBar::RoundedSouth : QTabBar::RoundedNorth);
    Layout();
}

void TPageControl::InsertPage(TTabSheet *page)
{
    pages_.push_back(page);
    FillTabs();
    if (active_ < 0)
        SetActivePageIndex(0);
    else
        ShowActive(false);
    Layout();
}

void TPageControl::RemovePage(TTabSheet *page)
{
    auto it = std::find(pages_.begin(), pages_.end(), page);
    if (it == pages_.end())
        return;
    int index = static_cast<int>(it - pages_.begin());
    pages_.erase(it);
    if (index < active_ || active_ >= GetPageCount())
        --active_;
    FillTabs();
    ShowActive(false);
}

void TPageControl::PageCaptionChanged() { FillTabs(); }

void TPageControl::FillTabs()
{
    QTabBar *bar = priv_->bar;
    if (!bar)
        return;
    priv_->filling = true;
    while (bar->count() > 0)
        bar->removeTab(0);
    for (TTabSheet *page : pages_)
        bar->addTab(QtText(page->GetCaption().c_str()));
    bar->setShape(tabPosition_ == tpBottom ? QTabBar::RoundedSouth : QTabBar::RoundedNorth);
    bar->setCurrentIndex(active_);
    priv_->filling = false;
}

void TPageControl::Layout()
{
    QTabBar *bar = priv_->bar;
    if (!bar)
        return;
    int w = GetClientWidth();
    int h = GetClientHeight();
    int barHeight = std::min(bar->sizeHint().height(), h);
    int top = tabPosition_ == tpTop ? barHeight : 0;
    bar->setGeometry(0, tabPosition_ == tpTop ? 0 : h - barHeight, w, barHeight);
    for (TTabSheet *page : pages_)
        page->SetBounds(0, top, w, h - barHeight);
}

void TPageControl::ShowActive(bool showing)
{
    for (int i = 0; i < GetPageCount(); ++i)
        pages_[static_cast<size_t>(i)]->SetVisible(i == active_);
    if (!showing)
        return;
    if (TTabSheet *page = GetActivePage(); page && page->OnShow)
        page->OnShow(page);
}

TTabSheet::TTabSheet(TComponent *Owner) : TWinControl(Owner) {}

TTabSheet::~TTabSheet()
{
    if (pageControl_)
        pageControl_->RemovePage(this);
}

QWidget *TTabSheet::CreateWidget(QWidget *parent) { return new QWidget(parent); }

void TTabSheet::SetPageControl(TPageControl *control)
{
    if (control == pageControl_)
        return;
    TPageControl *old = pageControl_;
    pageControl_ = nullptr;
    if (old)
        old->RemovePage(this);
    pageControl_ = control;
    if (control) {
        Parent = control;
        control->InsertPage(this);
    }
}

void TTabSheet::SetCaption(AnsiString caption)
{
    TWinControl::SetCaption(caption);
    if (pageControl_)
        pageControl_->PageCaptionChanged();
}

int TTabSheet::GetPageIndex() const
{
    if (!pageControl_)
        return -1;
    for (int i = 0; i < pageControl_->GetPageCount(); ++i)
        if (pageControl_->Pages(i) == this)
            return i;
    return -1;
}

} // namespace win
