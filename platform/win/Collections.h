// The application framework's collections: a growable array of strings and a
// doubly linked list of pointers walked with POSITION values.
#pragma once

#include <vector>

#include "platform/win/CString.h"

namespace win {

class CStringArray {
public:
    int GetSize() const { return static_cast<int>(items_.size()); }
    int GetCount() const { return GetSize(); }
    int GetUpperBound() const { return GetSize() - 1; }
    // Grows with empty strings or cuts; a negative size empties the array.
    void SetSize(int newSize);

    // Outside the array GetAt and the const operator[] give an empty string, SetAt
    // does nothing, and the writable operator[] gives a scratch string whose
    // changes are dropped.
    CString GetAt(int index) const;
    void SetAt(int index, const CString &text);
    CString operator[](int index) const { return GetAt(index); }
    CString &operator[](int index);

    // Returns the new element's index.
    int Add(const CString &text);
    // Inserts `count` copies before `index`; an index past the end first grows the
    // array with empty strings up to it, a negative one inserts at the front.
    void InsertAt(int index, const CString &text, int count = 1);
    // Removes `count` elements from `index`, cut at the end.
    void RemoveAt(int index, int count = 1);
    void RemoveAll() { items_.clear(); }

private:
    std::vector<CString> items_;
    CString scratch_;
};

// Names one node of a CPtrList; null names none. A position stays valid while
// other nodes are added or removed, until its own node is removed.
struct PositionTag;
using POSITION = PositionTag *;

class CPtrList {
public:
    CPtrList() = default;
    ~CPtrList() { RemoveAll(); }
    CPtrList(const CPtrList &) = delete;
    CPtrList &operator=(const CPtrList &) = delete;

    int GetCount() const { return count_; }
    bool IsEmpty() const { return count_ == 0; }

    // Null when the list is empty.
    void *GetHead() const;
    void *GetTail() const;
    POSITION AddHead(void *value);
    POSITION AddTail(void *value);
    // Remove and return the first or last element; null when the list is empty.
    void *RemoveHead();
    void *RemoveTail();
    void RemoveAll();

    POSITION GetHeadPosition() const;
    POSITION GetTailPosition() const;
    // Return the element at `pos` and move `pos` to the next (previous) node, or
    // to null after the last (first). A null `pos` gives null and stays null.
    void *GetNext(POSITION &pos) const;
    void *GetPrev(POSITION &pos) const;
    void *GetAt(POSITION pos) const;
    void SetAt(POSITION pos, void *value);
    void RemoveAt(POSITION pos);

    // The first node holding `value`, searching after `startAfter` (from the head
    // when null); null when there is none.
    POSITION Find(void *value, POSITION startAfter = nullptr) const;
    // The node at the 0-based `index`; null outside the list.
    POSITION FindIndex(int index) const;

private:
    struct Node;
    static Node *NodeAt(POSITION pos);
    static POSITION PositionOf(Node *node);
    void Unlink(Node *node);

    Node *head_ = nullptr;
    Node *tail_ = nullptr;
    int count_ = 0;
};

} // namespace win
