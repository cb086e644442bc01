#include "platform/win/Collections.h"

namespace win {

void CStringArray::SetSize(int newSize)
{
    items_.resize(newSize > 0 ? static_cast<size_t>(newSize) : 0);
}

CString CStringArray::GetAt(int index) const
{
    if (index < 0 || index >= GetSize())
        return CString();
    return items_[static_cast<size_t>(index)];
}

void CStringArray::SetAt(int index, const CString &text)
{
    if (index >= 0 && index < GetSize())
        items_[static_cast<size_t>(index)] = text;
}

CString &CStringArray::operator[](int index)
{
    if (index < 0 || index >= GetSize()) {
        scratch_.Empty();
        return scratch_;
    }
    return items_[static_cast<size_t>(index)];
}

int CStringArray::Add(const CString &text)
{
    items_.push_back(text);
    return GetSize() - 1;
}

void CStringArray::InsertAt(int index, const CString &text, int count)
{
    if (count < 1)
        return;
    size_t at = index > 0 ? static_cast<size_t>(index) : 0;
    if (at > items_.size())
        items_.resize(at);
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(at), static_cast<size_t>(count), text);
}

void CStringArray::RemoveAt(int index, int count)
{
    if (index < 0 || index >= GetSize() || count < 1)
        return;
    auto first = items_.begin() + index;
    auto last = count >= GetSize() - index ? items_.end() : first + count;
    items_.erase(first, last);
}

struct CPtrList::Node {
    Node *next;
    Node *prev;
    void *value;
};

CPtrList::Node *CPtrList::NodeAt(POSITION pos) { return reinterpret_cast<Node *>(pos); }

POSITION CPtrList::PositionOf(Node *node) { return reinterpret_cast<POSITION>(node); }

void *CPtrList::GetHead() const { return head_ ? head_->value : nullptr; }

void *CPtrList::GetTail() const { return tail_ ? tail_->value : nullptr; }

POSITION CPtrList::AddHead(void *value)
{
    Node *node = new Node{head_, nullptr, value};
    if (head_)
        head_->prev = node;
    else
        tail_ = node;
    head_ = node;
    ++count_;
    return PositionOf(node);
}

POSITION CPtrList::AddTail(void *value)
{
    Node *node = new Node{nullptr, tail_, value};
    if (tail_)
        tail_->next = node;
    else
        head_ = node;
    tail_ = node;
    ++count_;
    return PositionOf(node);
}

void CPtrList::Unlink(Node *node)
{
    (node->prev ? node->prev->next : head_) = node->next;
    (node->next ? node->next->prev : tail_) = node->prev;
    --count_;
    delete node;
}

void *CPtrList::RemoveHead()
{
    if (!head_)
        return nullptr;
    void *value = head_->value;
    Unlink(head_);
    return value;
}

void *CPtrList::RemoveTail()
{
    if (!tail_)
        return nullptr;
    void *value = tail_->value;
    Unlink(tail_);
    return value;
}

void CPtrList::RemoveAll()
{
    while (head_) {
        Node *next = head_->next;
        delete head_;
        head_ = next;
    }
    tail_ = nullptr;
    count_ = 0;
}

POSITION CPtrList::GetHeadPosition() const { return PositionOf(head_); }

POSITION CPtrList::GetTailPosition() const { return PositionOf(tail_); }

void *CPtrList::GetNext(POSITION &pos) const
{
    Node *node = NodeAt(pos);
    if (!node)
        return nullptr;
    pos = PositionOf(node->next);
    return node->value;
}

void *CPtrList::GetPrev(POSITION &pos) const
{
    Node *node = NodeAt(pos);
    if (!node)
        return nullptr;
    pos = PositionOf(node->prev);
    return node->value;
}

void *CPtrList::GetAt(POSITION pos) const
{
    Node *node = NodeAt(pos);
    return node ? node->value : nullptr;
}

void CPtrList::SetAt(POSITION pos, void *value)
{
    if (Node *node = NodeAt(pos))
        node->value = value;
}

void CPtrList::RemoveAt(POSITION pos)
{
    if (Node *node = NodeAt(pos))
        Unlink(node);
}

POSITION CPtrList::Find(void *value, POSITION startAfter) const
{
    Node *node = startAfter ? NodeAt(startAfter)->next : head_;
    for (; node; node = node->next)
        if (node->value == value)
            return PositionOf(node);
    return nullptr;
}

POSITION CPtrList::FindIndex(int index) const
{
    if (index < 0 || index >= count_)
        return nullptr;
    Node *node = head_;
    for (int i = 0; i < index; ++i)
        node = node->next;
    return PositionOf(node);
}

} // namespace win
