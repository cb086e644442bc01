#include "platform/forms/FormFrame.h"

#include <QEvent>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>

#include "platform/forms/TForm.h"
#include "platform/forms/TMainMenu.h"

namespace win {

FrameSurface::FrameSurface(FormFrame *frame, QWidget *client)
    : frame_(frame), window_(frame, nullptr, false), client_(client, dynamic_cast<HostWidget *>(client), false)
{
}

RECT FrameSurface::Bounds() const
{
    RECT w = window_.Bounds();
    RECT c = client_.Bounds();
    return RECT{w.left, w.top, w.left + (c.right - c.left), w.top + (c.bottom - c.top)};
}

void FrameSurface::SetBounds(const RECT &b)
{
    if (frame_)
        frame_->Place(b.left, b.top, b.right - b.left, b.bottom - b.top);
}

void FrameSurface::SetParentWindow(HWND parent)
{
    if (!frame_)
        return;
    if (parent) {
        frame_->hide();
        client_.SetParentWindow(parent);
    } else if (QWidget *client = frame_->Client()) {
        client->setParent(frame_, Qt::Widget);
        client->show();
        frame_->Layout();
    }
}

FormFrame::FormFrame(TForm *form) : form_(form), bar_(new QMenuBar(this)) { bar_->hide(); }

FormFrame::~FormFrame() = default;

void FormFrame::SetClient(QWidget *client)
{
    client_ = client;
    client->setParent(this, Qt::Widget);
    client->show();
    surface_ = std::make_unique<FrameSurface>(this, client);
    Layout();
}

void FormFrame::Place(int left, int top, int width, int height)
{
    setGeometry(left, top, std::max(0, width), std::max(0, height) + BarHeight());
    Layout();
}

void FormFrame::Layout()
{
    int top = BarHeight();
    if (barShown_)
        bar_->setGeometry(0, 0, width(), top);
    if (client_)
        client_->setGeometry(0, top, width(), std::max(0, height() - top));
}

void FormFrame::Rebuild()
{
    if (!form_)
        return;
    if (opening_ || DropDownOpen()) {
        dirty_ = true;
        return;
    }
    dirty_ = false;
    ClearBar();
    TMainMenu *menu = form_->GetMenu();
    if (menu)
        for (int i = 0; i < menu->Items->GetCount(); ++i)
            AddEntry(menu->Items->GetItem(i));
    int before = BarHeight();
    barShown_ = menu != nullptr;
    if (barShown_)
        barHeight_ = std::max(bar_->sizeHint().height(), bar_->fontMetrics().height() + 6);
    bar_->setVisible(barShown_);
    int after = BarHeight();
    if (client_ && before != after && !isMaximized() && !isFullScreen())
        resize(width(), client_->height() + after);
    Layout();
}

void FormFrame::Release()
{
    ClearBar();
    form_ = nullptr;
    hide();
    deleteLater();
}

void FormFrame::ClearBar()
{
    for (QAction *action : bar_->actions())
        if (QMenu *menu = action->menu())
            RetireQtMenu(menu);
    bar_->clear();
}

bool FormFrame::DropDownOpen() const
{
    for (QAction *action : bar_->actions())
        if (action->menu() && action->menu()->isVisible())
            return true;
    return false;
}

void FormFrame::AddEntry(TMenuItem *item)
{
    if (!item->GetVisible())
        return;
    std::string caption = item->GetCaption().c_str();
    if (caption == "-") {
        bar_->addSeparator();
        return;
    }
    QAction *action = nullptr;
    if (item->GetCount() > 0) {
        // The drop-down runs its item's Click as it opens, then shows the items.
        auto *drop = new QMenu(QtText(caption), bar_);
        item->FillQtMenu(drop);
        QObject::connect(drop, &QMenu::aboutToShow, this, [this, item, drop] {
            opening_ = true;
            item->OpenQtMenu(drop);
            opening_ = false;
        });
        QObject::connect(drop, &QMenu::aboutToHide, this, [this] {
            if (dirty_)
                QMetaObject::invokeMethod(this, [this] { Rebuild(); }, Qt::QueuedConnection);
        });
        action = bar_->addMenu(drop);
    } else {
        action = bar_->addAction(QtText(caption));
        QObject::connect(action, &QAction::triggered, this, [item] { RunMenuCommand(item); });
    }
    action->setEnabled(item->GetEnabled());
}

bool FormFrame::event(QEvent *e)
{
    if (e->type() == QEvent::Close && form_ && form_->HandleAllocated()) {
        e->ignore();
        SendMessageA(form_->GetHandle(), WM_CLOSE, 0, 0);
        return true;
    }
    return QWidget::event(e);
}

void FormFrame::resizeEvent(QResizeEvent *) { Layout(); }

} // namespace win
