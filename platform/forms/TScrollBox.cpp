#include "platform/forms/TScrollBox.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>

#include "platform/forms/WindowHost.h"

namespace win {

namespace {

// Tells the box when one of its controls' widgets moves, changes its size or is
// shown or hidden, so that the bars follow.
class ChildWatcher : public QObject {
public:
    ChildWatcher(QObject *parent, TScrollBox *box) : QObject(parent), box_(box) {}

protected:
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        switch (e->type()) {
        case QEvent::ChildAdded: {
            auto *child = qobject_cast<QWidget *>(static_cast<QChildEvent *>(e)->child());
            if (child && !qobject_cast<QScrollBar *>(child))
                child->installEventFilter(this);
            break;
        }
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::ShowToParent:
        case QEvent::HideToParent:
            if (watched != parent())
                box_->UpdateScrollBars();
            break;
        default:
            break;
        }
        return false;
    }

private:
    TScrollBox *box_;
};

int BarExtent() { return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent); }

} // namespace

struct ScrollBoxPrivate {
    QPointer<QObject> watcher;
    QPointer<QScrollBar> horz;
    QPointer<QScrollBar> vert;
};

TScrollBox::TScrollBox(TComponent *Owner) : TCustomControl(Owner), priv_(std::make_unique<ScrollBoxPrivate>())
{
    TabStop = false;
    SetBounds(GetLeft(), GetTop(), 185, 41);
}

TScrollBox::~TScrollBox()
{
    // The controls leave after this; the bars need not follow them.
    delete priv_->watcher.data();
}

QWidget *TScrollBox::CreateWidget(QWidget *parent)
{
    QWidget *w = TCustomControl::CreateWidget(parent);
    priv_->watcher = new ChildWatcher(w, this);
    w->installEventFilter(priv_->watcher);
    priv_->horz = new QScrollBar(Qt::Horizontal, w);
    priv_->vert = new QScrollBar(Qt::Vertical, w);
    for (QScrollBar *bar : {priv_->horz.data(), priv_->vert.data()}) {
        bar->hide();
        bar->setFocusPolicy(Qt::NoFocus);
        QObject::connect(bar, &QScrollBar::valueChanged, [this](int) {
            if (!updating_ && priv_->horz && priv_->vert)
                ScrollTo(priv_->horz->value(), priv_->vert->value());
        });
    }
    return w;
}

void TScrollBox::CreateWnd()
{
    TCustomControl::CreateWnd();
    UpdateScrollBars();
}

void TScrollBox::Resize()
{
    TCustomControl::Resize();
    UpdateScrollBars();
}

int TScrollBox::GetClientWidth() const
{
    bool shown = priv_->vert && !priv_->vert->isHidden();
    return std::max(0, GetWidth() - (shown ? priv_->vert->width() : 0));
}

int TScrollBox::GetClientHeight() const
{
    bool shown = priv_->horz && !priv_->horz->isHidden();
    return std::max(0, GetHeight() - (shown ? priv_->horz->height() : 0));
}

void TScrollBox::ScrollBy(int DeltaX, int DeltaY)
{
    if (DeltaX == 0 && DeltaY == 0)
        return;
    bool outer = updating_;
    updating_ = true;
    for (int i = 0; i < ControlCount(); ++i) {
        TControl *c = Controls(i);
        c->SetBounds(c->GetLeft() + DeltaX, c->GetTop() + DeltaY, c->GetWidth(), c->GetHeight());
    }
    updating_ = outer;
}

void TScrollBox::ScrollTo(int x, int y)
{
    x = std::clamp(x, 0, rangeX_);
    y = std::clamp(y, 0, rangeY_);
    ScrollBy(scrollX_ - x, scrollY_ - y);
    scrollX_ = x;
    scrollY_ = y;
    UpdateScrollBars();
}

void TScrollBox::SetHorzPosition(int position) { ScrollTo(position, scrollY_); }

void TScrollBox::SetVertPosition(int position) { ScrollTo(scrollX_, position); }

void TScrollBox::ScrollInView(TControl *AControl)
{
    if (!AControl || AControl->GetParent() != this)
        return;
    int x = scrollX_;
    int y = scrollY_;
    TRect r = AControl->GetBoundsRect();
    if (r.Left < 0)
        x += r.Left;
    else if (r.Right > GetClientWidth())
        x += std::min(r.Left, r.Right - GetClientWidth());
    if (r.Top < 0)
        y += r.Top;
    else if (r.Bottom > GetClientHeight())
        y += std::min(r.Top, r.Bottom - GetClientHeight());
    ScrollTo(x, y);
}

void TScrollBox::UpdateScrollBars()
{
    QScrollBar *horz = priv_->horz;
    QScrollBar *vert = priv_->vert;
    if (updating_ || !horz || !vert)
        return;
    updating_ = true;
    // The extent of the contents, in unscrolled coordinates.
    int right = 0;
    int bottom = 0;
    for (int i = 0; i < ControlCount(); ++i) {
        TControl *c = Controls(i);
        if (!c->GetVisible() || c->GetAlign() != alNone)
            continue;
        right = std::max(right, c->GetLeft() + c->GetWidth() + scrollX_);
        bottom = std::max(bottom, c->GetTop() + c->GetHeight() + scrollY_);
    }
    int extent = BarExtent();
    bool needH = right > GetWidth();
    bool needV = bottom > GetHeight();
    // One bar takes room that the other direction may then need.
    needH = needH || (needV && right > GetWidth() - extent);
    needV = needV || (needH && bottom > GetHeight() - extent);
    int clientW = GetWidth() - (needV ? extent : 0);
    int clientH = GetHeight() - (needH ? extent : 0);
    rangeX_ = needH ? std::max(0, right - clientW) : 0;
    rangeY_ = needV ? std::max(0, bottom - clientH) : 0;
    horz->setGeometry(0, GetHeight() - extent, std::max(0, clientW), extent);
    vert->setGeometry(GetWidth() - extent, 0, extent, std::max(0, clientH));
    horz->setVisible(needH);
    vert->setVisible(needV);
    horz->raise();
    vert->raise();
    horz->setRange(0, rangeX_);
    vert->setRange(0, rangeY_);
    horz->setPageStep(std::max(1, clientW));
    vert->setPageStep(std::max(1, clientH));
    horz->setSingleStep(8);
    vert->setSingleStep(8);
    int x = std::min(scrollX_, rangeX_);
    int y = std::min(scrollY_, rangeY_);
    ScrollBy(scrollX_ - x, scrollY_ - y);
    scrollX_ = x;
    scrollY_ = y;
    horz->setValue(x);
    vert->setValue(y);
    updating_ = false;
}

void TScrollBox::Paint()
{
    Canvas->Brush->Style = bsSolid;
    Canvas->Brush->Color = GetColor();
    Canvas->FillRect(TRect(0, 0, GetWidth(), GetHeight()));
}

} // namespace win
