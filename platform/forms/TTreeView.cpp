#include "platform/forms/TTreeView.h"

#include <QPointer>
#include <QTreeWidget>

#include <algorithm>

#include "platform/forms/WindowHost.h"

namespace win {

struct TreeViewPrivate {
    QPointer<QTreeWidget> tree;
    std::vector<QMetaObject::Connection> connections;
};

namespace {

TTreeNode *NodeOf(QTreeWidgetItem *item)
{
    return item ? reinterpret_cast<TTreeNode *>(item->data(0, Qt::UserRole).value<quintptr>()) : nullptr;
}

} // namespace

TTreeNode::TTreeNode(TTreeNodes *owner, TTreeNode *parent, AnsiString text)
    : owner_(owner), parent_(parent), text_(std::move(text))
{
}

TTreeNode::~TTreeNode() = default;

void TTreeNode::SetText(AnsiString text)
{
    text_ = std::move(text);
    owner_->view_->NodeChanged(this);
}

TTreeNode *TTreeNode::GetItem(int index) const
{
    return index >= 0 && index < GetCount() ? children_[static_cast<size_t>(index)].get() : nullptr;
}

int TTreeNode::GetIndex() const
{
    const auto &siblings = owner_->SiblingsOf(parent_);
    for (size_t i = 0; i < siblings.size(); ++i)
        if (siblings[i].get() == this)
            return static_cast<int>(i);
    return -1;
}

int TTreeNode::GetAbsoluteIndex() const
{
    // Nodes before this one: those before each ancestor and the ancestors.
    int index = 0;
    for (const TTreeNode *n = this; n; n = n->parent_) {
        const auto &siblings = owner_->SiblingsOf(n->parent_);
        for (const auto &s : siblings) {
            if (s.get() == n)
                break;
            std::vector<const TTreeNode *> pending{s.get()};
            while (!pending.empty()) {
                const TTreeNode *p = pending.back();
                pending.pop_back();
                ++index;
                for (const auto &c : p->children_)
                    pending.push_back(c.get());
            }
        }
        if (n->parent_)
            ++index;
    }
    return index;
}

void TTreeNode::SetExpanded(bool expanded)
{
    expanded_ = expanded;
    owner_->view_->NodeChanged(this);
}

bool TTreeNode::GetSelected() const { return owner_->view_->GetSelected() == this; }

void TTreeNode::SetSelected(bool selected)
{
    if (selected)
        owner_->view_->SetSelected(this);
    else if (GetSelected())
        owner_->view_->SetSelected(nullptr);
}

void TTreeNode::Delete() { owner_->Delete(this); }

TTreeNodes::~TTreeNodes() { Clear(); }

std::vector<std::unique_ptr<TTreeNode>> &TTreeNodes::SiblingsOf(TTreeNode *parent)
{
    return parent ? parent->children_ : roots_;
}

TTreeNode *TTreeNodes::InsertAt(TTreeNode *parent, int index, const AnsiString &text)
{
    auto &siblings = SiblingsOf(parent);
    index = std::clamp(index, 0, static_cast<int>(siblings.size()));
    auto *node = new TTreeNode(this, parent, text);
    siblings.insert(siblings.begin() + index, std::unique_ptr<TTreeNode>(node));
    view_->NodeAdded(node);
    return node;
}

TTreeNode *TTreeNodes::Add(TTreeNode *Sibling, const AnsiString &S)
{
    TTreeNode *parent = Sibling && Sibling->owner_ == this ? Sibling->parent_ : nullptr;
    return InsertAt(parent, static_cast<int>(SiblingsOf(parent).size()), S);
}

TTreeNode *TTreeNodes::AddChild(TTreeNode *Parent, const AnsiString &S)
{
    TTreeNode *parent = Parent && Parent->owner_ == this ? Parent : nullptr;
    return InsertAt(parent, static_cast<int>(SiblingsOf(parent).size()), S);
}

TTreeNode *TTreeNodes::Insert(TTreeNode *Sibling, const AnsiString &S)
{
    if (!Sibling || Sibling->owner_ != this)
        return InsertAt(nullptr, static_cast<int>(roots_.size()), S);
    return InsertAt(Sibling->parent_, Sibling->GetIndex(), S);
}

void TTreeNodes::Delete(TTreeNode *Node)
{
    if (!Node || Node->owner_ != this)
        return;
    view_->NodeRemoving(Node);
    auto &siblings = SiblingsOf(Node->parent_);
    siblings.erase(std::find_if(siblings.begin(), siblings.end(), [Node](const auto &n) { return n.get() == Node; }));
}

void TTreeNodes::Clear()
{
    while (!roots_.empty())
        Delete(roots_.back().get());
}

int TTreeNodes::GetCount() const
{
    int count = 0;
    std::vector<const TTreeNode *> pending;
    for (const auto &r : roots_)
        pending.push_back(r.get());
    while (!pending.empty()) {
        const TTreeNode *p = pending.back();
        pending.pop_back();
        ++count;
        for (const auto &c : p->children_)
            pending.push_back(c.get());
    }
    return count;
}

TTreeNode *TTreeNodes::GetItem(int index) const
{
    if (index < 0)
        return nullptr;
    // Depth first: a node, then its children in order.
    std::vector<TTreeNode *> pending;
    for (auto it = roots_.rbegin(); it != roots_.rend(); ++it)
        pending.push_back(it->get());
    while (!pending.empty()) {
        TTreeNode *p = pending.back();
        pending.pop_back();
        if (index-- == 0)
            return p;
        for (auto it = p->children_.rbegin(); it != p->children_.rend(); ++it)
            pending.push_back(it->get());
    }
    return nullptr;
}

TTreeView::TTreeView(TComponent *Owner)
    : TWinControl(Owner),
      Items(new TTreeNodes(this)),
      nodes_(Items),
      priv_(std::make_unique<TreeViewPrivate>())
{
    SetBounds(GetLeft(), GetTop(), 121, 97);
    SetColor(clWindow);
}

TTreeView::~TTreeView()
{
    Items->Clear();
    for (auto &c : priv_->connections)
        QObject::disconnect(c);
}

QWidget *TTreeView::CreateWidget(QWidget *parent)
{
    auto *tree = new QTreeWidget(parent);
    tree->setColumnCount(1);
    tree->setHeaderHidden(true);
    tree->setSelectionMode(QAbstractItemView::SingleSelection);
    priv_->tree = tree;
    auto &c = priv_->connections;
    c.push_back(QObject::connect(tree, &QTreeWidget::currentItemChanged, [this](QTreeWidgetItem *current) {
        if (!syncing_)
            SetSelected(NodeOf(current));
    }));
    c.push_back(QObject::connect(tree, &QTreeWidget::itemExpanded, [](QTreeWidgetItem *item) {
        if (TTreeNode *node = NodeOf(item))
            node->expanded_ = true;
    }));
    c.push_back(QObject::connect(tree, &QTreeWidget::itemCollapsed, [](QTreeWidgetItem *item) {
        if (TTreeNode *node = NodeOf(item))
            node->expanded_ = false;
    }));
    c.push_back(QObject::connect(tree, &QTreeWidget::itemChanged, [this](QTreeWidgetItem *item, int) {
        if (TTreeNode *node = NodeOf(item); node && !syncing_)
            node->text_ = GbkText(item->text(0)).c_str();
    }));
    return tree;
}

void TTreeView::CreateWnd()
{
    TWinControl::CreateWnd();
    SetReadOnly(readOnly_);
    std::vector<TTreeNode *> pending;
    for (auto it = Items->roots_.rbegin(); it != Items->roots_.rend(); ++it)
        pending.push_back(it->get());
    while (!pending.empty()) {
        TTreeNode *node = pending.back();
        pending.pop_back();
        MakeRow(node);
        for (auto it = node->children_.rbegin(); it != node->children_.rend(); ++it)
            pending.push_back(it->get());
    }
    if (selected_) {
        syncing_ = true;
        priv_->tree->setCurrentItem(static_cast<QTreeWidgetItem *>(selected_->row_));
        syncing_ = false;
    }
}

void TTreeView::MakeRow(TTreeNode *node)
{
    QTreeWidget *tree = priv_->tree;
    if (!tree)
        return;
    syncing_ = true;
    auto *row = new QTreeWidgetItem;
    row->setText(0, QtText(node->text_.c_str()));
    row->setData(0, Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
    node->row_ = row;
    ApplyFlags(node);
    int index = node->GetIndex();
    if (node->parent_ && node->parent_->row_)
        static_cast<QTreeWidgetItem *>(node->parent_->row_)->insertChild(index, row);
    else
        tree->insertTopLevelItem(index, row);
    row->setExpanded(node->expanded_);
    syncing_ = false;
}

void TTreeView::ApplyFlags(TTreeNode *node)
{
    if (auto *row = static_cast<QTreeWidgetItem *>(node->row_)) {
        Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
        if (!readOnly_)
            flags |= Qt::ItemIsEditable;
        row->setFlags(flags);
    }
}

void TTreeView::NodeAdded(TTreeNode *node)
{
    if (priv_->tree)
        MakeRow(node);
}

void TTreeView::NodeChanged(TTreeNode *node)
{
    auto *row = static_cast<QTreeWidgetItem *>(node->row_);
    if (!priv_->tree || !row)
        return;
    syncing_ = true;
    row->setText(0, QtText(node->text_.c_str()));
    row->setExpanded(node->expanded_);
    syncing_ = false;
}

void TTreeView::NodeRemoving(TTreeNode *node)
{
    for (TTreeNode *s = selected_; s; s = s->parent_)
        if (s == node)
            selected_ = nullptr;
    if (!priv_->tree || !node->row_)
        return;
    syncing_ = true;
    delete static_cast<QTreeWidgetItem *>(node->row_);
    if (!selected_)
        priv_->tree->setCurrentItem(nullptr);
    syncing_ = false;
}

void TTreeView::SetSelected(TTreeNode *node)
{
    if (node == selected_ || (node && node->owner_ != Items))
        return;
    TTreeNode *old = selected_;
    selected_ = node;
    if (priv_->tree) {
        syncing_ = true;
        priv_->tree->setCurrentItem(node ? static_cast<QTreeWidgetItem *>(node->row_) : nullptr);
        syncing_ = false;
    }
    if (AutoExpand) {
        bool ancestor = false;
        for (TTreeNode *p = node; p && old; p = p->parent_)
            ancestor = ancestor || p == old;
        if (old && !ancestor)
            old->SetExpanded(false);
        if (node)
            node->SetExpanded(true);
    }
    Change(node);
}

void TTreeView::SetReadOnly(bool readOnly)
{
    readOnly_ = readOnly;
    QTreeWidget *tree = priv_->tree;
    if (!tree)
        return;
    tree->setEditTriggers(readOnly ? QAbstractItemView::NoEditTriggers
                                   : QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    syncing_ = true;
    std::vector<TTreeNode *> pending;
    for (auto &r : Items->roots_)
        pending.push_back(r.get());
    while (!pending.empty()) {
        TTreeNode *node = pending.back();
        pending.pop_back();
        ApplyFlags(node);
        for (auto &c : node->children_)
            pending.push_back(c.get());
    }
    syncing_ = false;
}

void TTreeView::Change(TTreeNode *Node)
{
    if (OnChange)
        OnChange(this, Node);
}

} // namespace win
