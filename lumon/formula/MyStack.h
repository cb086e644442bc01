// The fixed stack of the formula compiler: up to 512 entries of two 32-bit words
// (operators on one stack, operand slots with their types on the other).
#pragma once

#include <cstdint>

class MyStack {
public:
    static constexpr int Capacity = 512;

    // False when the stack is full.
    bool Push(uint32_t kind, uint32_t sub)
    {
        if (m_Count >= Capacity)
            return false;
        m_Entries[m_Count++] = {kind, sub};
        return true;
    }
    // False on an empty stack.
    bool Pop(uint32_t &kind, uint32_t &sub)
    {
        if (m_Count == 0)
            return false;
        --m_Count;
        kind = m_Entries[m_Count].Kind;
        sub = m_Entries[m_Count].Sub;
        return true;
    }
    bool Peek(uint32_t &kind, uint32_t &sub) const
    {
        if (m_Count == 0)
            return false;
        kind = m_Entries[m_Count - 1].Kind;
        sub = m_Entries[m_Count - 1].Sub;
        return true;
    }
    int Count() const { return m_Count; }

private:
    struct Entry {
        uint32_t Kind;
        uint32_t Sub;
    };
    uint16_t m_Count = 0;
    Entry m_Entries[Capacity];
};
