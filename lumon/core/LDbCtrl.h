// A doubly linked list of pointers that does not own what they point to: the
// registry of live sockets.
#pragma once

#include <cstdint>

#include "lumon/core/EMemOp.h"

// One node of the list; made zero-filled and freed when unlinked.
template <typename T>
struct LTBlock {
    LTBlock *Next;
    LTBlock *Prev;
    T *Item;
};

template <typename T>
class LDbCtrl {
public:
    LDbCtrl() = default;
    LDbCtrl(const LDbCtrl &) = delete;
    LDbCtrl &operator=(const LDbCtrl &) = delete;
    ~LDbCtrl() { Clear(); }

    int GetCount() const { return m_Count; }

    // Inserts before position `pos`; -1 or a position at or past the count
    // appends. Returns the position used, -1 when no node could be had.
    int Insert(T *item, int pos)
    {
        auto *node = static_cast<LTBlock<T> *>(EMemAlloc(sizeof(LTBlock<T>)));
        if (!node)
            return -1;
        node->Item = item;
        if (pos < 0 || pos >= m_Count) {
            pos = m_Count;
            LTBlock<T> *last = Node(m_Count - 1);
            node->Prev = last;
            if (last)
                last->Next = node;
            else
                m_First = node;
        } else {
            LTBlock<T> *next = Node(pos);
            node->Next = next;
            node->Prev = next->Prev;
            if (next->Prev)
                next->Prev->Next = node;
            else
                m_First = node;
            next->Prev = node;
        }
        ++m_Count;
        return pos;
    }

    // The item at a position, walking from the first; null past the end.
    T *GetAt(int pos) const
    {
        LTBlock<T> *node = Node(pos);
        return node ? node->Item : nullptr;
    }

    // The position of an item, searching from the last down; -1 when absent.
    int Find(const T *item) const
    {
        LTBlock<T> *node = Node(m_Count - 1);
        for (int pos = m_Count - 1; node; --pos, node = node->Prev)
            if (node->Item == item)
                return pos;
        return -1;
    }

    void RemoveAt(int pos)
    {
        LTBlock<T> *node = Node(pos);
        if (!node)
            return;
        if (node->Prev)
            node->Prev->Next = node->Next;
        else
            m_First = node->Next;
        if (node->Next)
            node->Next->Prev = node->Prev;
        EMemFree(node);
        --m_Count;
    }

    void Clear()
    {
        while (m_First) {
            LTBlock<T> *next = m_First->Next;
            EMemFree(m_First);
            m_First = next;
        }
        m_Count = 0;
    }

private:
    LTBlock<T> *Node(int pos) const
    {
        if (pos < 0 || pos >= m_Count)
            return nullptr;
        LTBlock<T> *node = m_First;
        while (pos-- > 0)
            node = node->Next;
        return node;
    }

    int32_t m_Count = 0;
    LTBlock<T> *m_First = nullptr;
};
