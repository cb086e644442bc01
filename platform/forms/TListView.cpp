#include "platform/forms/TListView.h"

#include <QHeaderView>
#include <QPointer>
#include <QTreeWidget>

#include <algorithm>

#include "platform/forms/WindowHost.h"

namespace win {

struct ListViewPrivate {
    QPointer<QTreeWidget> tree;
    std::vector<QMetaObject::Connection> connections;
};

void TListColumn::SetCaption(AnsiString caption)
{
    caption_ = std::move(caption);
    view_->ColumnsChanged();
}

void TListColumn::SetWidth(int width)
{
    width_ = std::max(0, width);
    view_->ColumnsChanged();
}

TListColumn *TListColumns::Add()
{
    columns_.push_back(std::make_unique<TListColumn>(view_));
    view_->ColumnsChanged();
    return columns_.back().get();
}

void TListColumns::Clear()
{
    columns_.clear();
    view_->ColumnsChanged();
}

TListColumn *TListColumns::GetItem(int index) const
{
    return index >= 0 && index < GetCount() ? columns_[static_cast<size_t>(index)].get() : nullptr;
}

TListItem::TListItem(TListView *view)
    : SubItems(new TControlItems([this] { view_->RowChanged(this); })), view_(view), subItems_(SubItems)
{
}

TListItem::~TListItem() = default;

void TListItem::SetCaption(AnsiString caption)
{
    caption_ = std::move(caption);
    view_->RowChanged(this);
}

int TListItem::GetIndex() const { return view_->Items->IndexOf(this); }

void TListItem::SetSelected(bool selected)
{
    if (selected == selected_)
        return;
    if (selected)
        for (int i = 0; i < view_->Items->GetCount(); ++i)
            view_->Items->GetItem(i)->selected_ = false;
    selected_ = selected;
    view_->SelectionChanged(this);
}

void TListItem::Delete() { view_->Items->Delete(GetIndex()); }

TListItem *TListItems::Add()
{
    items_.push_back(std::make_unique<TListItem>(view_));
    TListItem *item = items_.back().get();
    view_->RowAdded(item);
    return item;
}

void TListItems::Delete(int index)
{
    TListItem *item = GetItem(index);
    if (!item)
        return;
    view_->RowRemoving(item);
    items_.erase(items_.begin() + index);
}

void TListItems::Clear()
{
    while (!items_.empty())
        Delete(GetCount() - 1);
}

TListItem *TListItems::GetItem(int index) const
{
    return index >= 0 && index < GetCount() ? items_[static_cast<size_t>(index)].get() : nullptr;
}

int TListItems::IndexOf(const TListItem *item) const
{
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == item)
            return static_cast<int>(i);
    return -1;
}

TListView::TListView(TComponent *Owner)
    : TWinControl(Owner),
      Columns(new TListColumns(this)),
      Items(new TListItems(this)),
      columns_(Columns),
      items_(Items),
      priv_(std::make_unique<ListViewPrivate>())
{
    SetBounds(GetLeft(), GetTop(), 250, 150);
    SetColor(clWindow);
}

TListView::~TListView()
{
    for (auto &c : priv_->connections)
        QObject::disconnect(c);
}

QWidget *TListView::CreateWidget(QWidget *parent)
{
    auto *tree = new QTreeWidget(parent);
    tree->setRootIsDecorated(false);
    tree->setUniformRowHeights(true);
    tree->header()->setStretchLastSection(false);
    priv_->tree = tree;
    auto &c = priv_->connections;
    c.push_back(QObject::connect(tree, &QTreeWidget::itemSelectionChanged, [this] {
        if (!syncing_)
            SelectionFromWidget();
    }));
    c.push_back(QObject::connect(tree, &QTreeWidget::itemClicked, [this] { Click(); }));
    c.push_back(QObject::connect(tree, &QTreeWidget::itemChanged, [this](QTreeWidgetItem *row, int column) {
        if (syncing_ || column != 0 || !priv_->tree)
            return;
        if (TListItem *item = Items->GetItem(priv_->tree->indexOfTopLevelItem(row)))
            item->caption_ = GbkText(row->text(0)).c_str();
    }));
    return tree;
}

void TListView::CreateWnd()
{
    TWinControl::CreateWnd();
    QTreeWidget *tree = priv_->tree;
    // Mouse input on the rows reaches the window too (double clicks: OnDblClick).
    auto *filter = new InputFilter(tree->viewport(), GetHandle());
    tree->viewport()->installEventFilter(filter);
    ApplyOptions();
    ColumnsChanged();
    for (int i = 0; i < Items->GetCount(); ++i)
        RowAdded(Items->GetItem(i));
}

void TListView::ApplyOptions()
{
    QTreeWidget *tree = priv_->tree;
    if (!tree)
        return;
    tree->setSelectionMode(QAbstractItemView::SingleSelection);
    tree->setSelectionBehavior(rowSelect_ ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
    tree->setAllColumnsShowFocus(rowSelect_);
    tree->setEditTriggers(readOnly_ ? QAbstractItemView::NoEditTriggers
                                    : QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    tree->setMouseTracking(hotTrack_);
    tree->viewport()->setAttribute(Qt::WA_Hover, hotTrack_);
    syncing_ = true;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        ShowRow(Items->GetItem(i), tree->topLevelItem(i));
    syncing_ = false;
}

void TListView::ColumnsChanged()
{
    QTreeWidget *tree = priv_->tree;
    if (!tree)
        return;
    syncing_ = true;
    tree->setColumnCount(std::max(1, Columns->GetCount()));
    QStringList labels;
    for (int i = 0; i < Columns->GetCount(); ++i)
        labels << QtText(Columns->GetItem(i)->GetCaption().c_str());
    tree->setHeaderLabels(labels);
    tree->setHeaderHidden(Columns->GetCount() == 0);
    for (int i = 0; i < Columns->GetCount(); ++i)
        tree->header()->resizeSection(i, Columns->GetItem(i)->GetWidth());
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        ShowRow(Items->GetItem(i), tree->topLevelItem(i));
    syncing_ = false;
}

void TListView::ShowRow(TListItem *item, void *rowPointer)
{
    auto *row = static_cast<QTreeWidgetItem *>(rowPointer);
    if (!item || !row)
        return;
    row->setText(0, QtText(item->caption_.c_str()));
    int columns = std::max(1, Columns->GetCount());
    for (int c = 1; c < columns; ++c)
        row->setText(c, c - 1 < item->SubItems->Count() ? QtText(item->SubItems->Strings(c - 1).c_str()) : QString());
    Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
    if (!readOnly_)
        flags |= Qt::ItemIsEditable;
    row->setFlags(flags);
    row->setSelected(item->selected_);
}

void TListView::RowAdded(TListItem *item)
{
    QTreeWidget *tree = priv_->tree;
    if (!tree)
        return;
    syncing_ = true;
    auto *row = new QTreeWidgetItem;
    tree->insertTopLevelItem(item->GetIndex(), row);
    ShowRow(item, row);
    syncing_ = false;
}

void TListView::RowChanged(TListItem *item)
{
    QTreeWidget *tree = priv_->tree;
    if (!tree)
        return;
    syncing_ = true;
    ShowRow(item, tree->topLevelItem(item->GetIndex()));
    syncing_ = false;
}

void TListView::RowRemoving(TListItem *item)
{
    QTreeWidget *tree = priv_->tree;
    if (!tree)
        return;
    syncing_ = true;
    delete tree->takeTopLevelItem(item->GetIndex());
    syncing_ = false;
}

void TListView::SelectionChanged(TListItem *item)
{
    QTreeWidget *tree = priv_->tree;
    if (!tree)
        return;
    syncing_ = true;
    if (item->selected_)
        tree->clearSelection();
    if (QTreeWidgetItem *row = tree->topLevelItem(item->GetIndex())) {
        if (item->selected_)
            tree->setCurrentItem(row);
        row->setSelected(item->selected_);
    }
    syncing_ = false;
}

void TListView::SelectionFromWidget()
{
    QTreeWidget *tree = priv_->tree;
    for (int i = 0; i < Items->GetCount() && i < tree->topLevelItemCount(); ++i)
        Items->GetItem(i)->selected_ = tree->topLevelItem(i)->isSelected();
}

TListItem *TListView::GetSelected() const
{
    for (int i = 0; i < Items->GetCount(); ++i)
        if (Items->GetItem(i)->selected_)
            return Items->GetItem(i);
    return nullptr;
}

void TListView::SetSelected(TListItem *item)
{
    for (int i = 0; i < Items->GetCount(); ++i)
        if (Items->GetItem(i) != item)
            Items->GetItem(i)->SetSelected(false);
    if (item && item->view_ == this)
        item->SetSelected(true);
}

int TListView::GetItemIndex() const
{
    TListItem *item = GetSelected();
    return item ? item->GetIndex() : -1;
}

void TListView::SetItemIndex(int index) { SetSelected(Items->GetItem(index)); }

void TListView::SetRowSelect(bool rowSelect)
{
    rowSelect_ = rowSelect;
    ApplyOptions();
}

void TListView::SetReadOnly(bool readOnly)
{
    readOnly_ = readOnly;
    ApplyOptions();
}

void TListView::SetHotTrack(bool hotTrack)
{
    hotTrack_ = hotTrack;
    ApplyOptions();
}

} // namespace win
