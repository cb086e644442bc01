// The growable array of plain records: items are copied as bytes, never
// constructed or destroyed, and the buffer comes zero-filled from EMemAlloc.
#pragma once

#include <climits>
#include <cstring>
#include <type_traits>

#include "lumon/core/EMemOp.h"

template <typename T>
class EArray {
    static_assert(std::is_trivially_copyable_v<T>, "EArray holds plain records only");

public:
    // Starts with room for growBy items (128 when growBy is not above 0). An array
    // made with growBy 0 never grows past its first 128 items.
    explicit EArray(int growBy)
        : m_GrowBy(growBy)
    {
        int capacity = growBy > 0 ? growBy : 128;
        m_Data = static_cast<T *>(EMemAlloc(size_t(capacity) * sizeof(T)));
        m_Capacity = m_Data ? capacity : 0;
    }
    EArray(const EArray &) = delete;
    EArray &operator=(const EArray &) = delete;
    virtual ~EArray() { EMemFree(m_Data); }

    int GetCount() const { return m_Count; }
    // No bounds check: callers keep 0 <= i < GetCount().
    T GetAt(int i) const { return m_Data[i]; }
    T *GetData() { return m_Data; }
    const T *GetData() const { return m_Data; }

    int SetCount(int n)
    {
        m_Count = n < 0 ? 0 : (n < m_Capacity ? n : m_Capacity);
        return m_Count;
    }

    // Appends a copy of the item; its index, or -1 when there is no room and none
    // can be had. After a growth the grow-by becomes the new capacity, so the
    // capacity doubles from the second growth on.
    int Add(const T &item)
    {
        if (m_Count == m_Capacity) {
            if (m_GrowBy <= 0 || m_Capacity > INT_MAX - m_GrowBy)
                return -1;
            int capacity = m_Capacity + m_GrowBy;
            T *data = static_cast<T *>(EMemAlloc(size_t(capacity) * sizeof(T)));
            if (!data)
                return -1;
            if (m_Count)
                std::memcpy(static_cast<void *>(data), m_Data, size_t(m_Count) * sizeof(T));
            EMemFree(m_Data);
            m_Data = data;
            m_Capacity = capacity;
            m_GrowBy = capacity;
        }
        std::memcpy(static_cast<void *>(m_Data + m_Count), &item, sizeof(T));
        return m_Count++;
    }

    // Removes n items from index i; when the range reaches the end the array is
    // cut to i items.
    void RemoveAt(int i, int n)
    {
        if (n <= 0 || i < 0 || i >= m_Count)
            return;
        if (n < m_Count - i) {
            std::memmove(static_cast<void *>(m_Data + i), m_Data + i + n,
                         size_t(m_Count - i - n) * sizeof(T));
            m_Count -= n;
        } else {
            m_Count = i;
        }
    }

private:
    T *m_Data = nullptr;
    int m_Capacity = 0;
    int m_Count = 0;
    int m_GrowBy;
};
