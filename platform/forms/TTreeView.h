// The tree view: nodes with captions under other nodes (Items), one selected
// node (Selected) whose change fires OnChange, also when the program selects;
// with AutoExpand the selected node opens and the one left closes. Without
// ReadOnly a caption can be edited in place (F2 or a click on the selected node).
// TTreeNode and TTreeNodes are its nodes and their list.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/forms/TWinControl.h"

namespace win {

class TTreeView;
class TTreeNodes;
struct TreeViewPrivate;

class TTreeNode : public TObject {
public:
    TTreeNode(const TTreeNode &) = delete;
    TTreeNode &operator=(const TTreeNode &) = delete;
    ~TTreeNode() override;
    AnsiString ClassName() const override { return "TTreeNode"; }

    AnsiString GetText() const { return text_; }
    void SetText(AnsiString text);
    TTreeNode *GetParent() const { return parent_; }
    int GetCount() const { return static_cast<int>(children_.size()); }
    TTreeNode *GetItem(int index) const;
    // The position among its siblings.
    int GetIndex() const;
    // The position among all nodes of the tree, counted depth first from 0.
    int GetAbsoluteIndex() const;
    bool GetExpanded() const { return expanded_; }
    void SetExpanded(bool expanded);
    bool GetSelected() const;
    void SetSelected(bool selected);
    TTreeNodes *GetOwner() const { return owner_; }
    // Frees the node and the nodes below it.
    void Delete();

    Property<TTreeNode, AnsiString, &TTreeNode::GetText, &TTreeNode::SetText> Text{this};
    ReadOnlyProperty<TTreeNode, TTreeNode *, &TTreeNode::GetParent> Parent{this};
    ReadOnlyProperty<TTreeNode, int, &TTreeNode::GetCount> Count{this};
    ReadOnlyProperty<TTreeNode, int, &TTreeNode::GetIndex> Index{this};
    ReadOnlyProperty<TTreeNode, int, &TTreeNode::GetAbsoluteIndex> AbsoluteIndex{this};
    Property<TTreeNode, bool, &TTreeNode::GetExpanded, &TTreeNode::SetExpanded> Expanded{this};
    Property<TTreeNode, bool, &TTreeNode::GetSelected, &TTreeNode::SetSelected> Selected{this};
    // `node->Item[i]`: the child at that index, or null.
    class ItemTable {
    public:
        explicit ItemTable(const TTreeNode *node) : node_(node) {}
        TTreeNode *operator[](int index) const { return node_->GetItem(index); }

    private:
        const TTreeNode *node_;
    };
    ItemTable Item{this};

private:
    friend class TTreeNodes;
    friend class TTreeView;
    TTreeNode(TTreeNodes *owner, TTreeNode *parent, AnsiString text);

    TTreeNodes *owner_;
    TTreeNode *parent_;
    AnsiString text_;
    bool expanded_ = false;
    std::vector<std::unique_ptr<TTreeNode>> children_;
    // The node's row in the view's widget, when there is one.
    void *row_ = nullptr;
};

class TTreeNodes : public TObject {
public:
    explicit TTreeNodes(TTreeView *view) : view_(view) {}
    TTreeNodes(const TTreeNodes &) = delete;
    TTreeNodes &operator=(const TTreeNodes &) = delete;
    ~TTreeNodes() override;
    AnsiString ClassName() const override { return "TTreeNodes"; }

    // A new last node beside Sibling (null: at the top level).
    TTreeNode *Add(TTreeNode *Sibling, const AnsiString &S);
    // A new last node below Parent (null: at the top level).
    TTreeNode *AddChild(TTreeNode *Parent, const AnsiString &S);
    // A new node just before Sibling (null: last at the top level).
    TTreeNode *Insert(TTreeNode *Sibling, const AnsiString &S);
    void Delete(TTreeNode *Node);
    void Clear();
    // Every node of the tree counts.
    int GetCount() const;
    // The node at an absolute index, or null.
    TTreeNode *GetItem(int index) const;
    TTreeNode *GetFirstNode() const { return roots_.empty() ? nullptr : roots_.front().get(); }
    TTreeView *GetOwner() const { return view_; }

    ReadOnlyProperty<TTreeNodes, int, &TTreeNodes::GetCount> Count{this};
    // `Items->Item[i]`: the node at absolute index i, or null.
    class ItemTable {
    public:
        explicit ItemTable(const TTreeNodes *nodes) : nodes_(nodes) {}
        TTreeNode *operator[](int index) const { return nodes_->GetItem(index); }

    private:
        const TTreeNodes *nodes_;
    };
    ItemTable Item{this};

private:
    friend class TTreeNode;
    friend class TTreeView;
    TTreeNode *InsertAt(TTreeNode *parent, int index, const AnsiString &text);
    std::vector<std::unique_ptr<TTreeNode>> &SiblingsOf(TTreeNode *parent);

    TTreeView *view_;
    std::vector<std::unique_ptr<TTreeNode>> roots_;
};

using TTVChangedEvent = std::function<void(TObject *Sender, TTreeNode *Node)>;

class TTreeView : public TWinControl {
public:
    explicit TTreeView(TComponent *Owner);
    ~TTreeView() override;
    AnsiString ClassName() const override { return "TTreeView"; }

    TTreeNodes *const Items;

    TTreeNode *GetSelected() const { return selected_; }
    // Selects the node (null: none) and fires OnChange when it differs.
    void SetSelected(TTreeNode *node);
    bool GetReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);

    Property<TTreeView, TTreeNode *, &TTreeView::GetSelected, &TTreeView::SetSelected> Selected{this};
    Property<TTreeView, bool, &TTreeView::GetReadOnly, &TTreeView::SetReadOnly> ReadOnly{this};
    bool AutoExpand = false;
    TTVChangedEvent OnChange;

    // Inside the library: a node was added, changed or is going away.
    void NodeAdded(TTreeNode *node);
    void NodeChanged(TTreeNode *node);
    void NodeRemoving(TTreeNode *node);

protected:
    QWidget *CreateWidget(QWidget *parent) override;
    void CreateWnd() override;
    virtual void Change(TTreeNode *Node);

private:
    void MakeRow(TTreeNode *node);
    void ApplyFlags(TTreeNode *node);

    std::unique_ptr<TTreeNodes> nodes_;
    std::unique_ptr<TreeViewPrivate> priv_;
    TTreeNode *selected_ = nullptr;
    bool readOnly_ = false;
    bool syncing_ = false;
};

} // namespace win
