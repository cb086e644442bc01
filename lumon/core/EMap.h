// The hash map from a pointer or handle to a value, with its nodes carved from a
// chain of allocated blocks and recycled through a free list.
#pragma once

#include <cstdint>
#include <type_traits>

#include "lumon/core/EMemOp.h"

template <typename K, typename V>
class EMap {
    static_assert(std::is_trivially_copyable_v<K> && std::is_trivially_copyable_v<V>,
                  "EMap holds plain keys and values only");

    struct Node {
        Node *next;
        uint32_t bucket;
        K key;
        V value;
    };

public:
    explicit EMap(int nodesPerBlock)
        : m_NodesPerBlock(nodesPerBlock > 0 ? nodesPerBlock : 1)
    {
    }
    EMap(const EMap &) = delete;
    EMap &operator=(const EMap &) = delete;
    ~EMap() { RemoveAll(); }

    // Frees the bucket table and, when asked, allocates a zeroed one of the given
    // size; the size is kept for the next table either way.
    void InitHashTable(int bucketCount, bool allocate)
    {
        EMemFree(m_Buckets);
        m_Buckets = nullptr;
        m_BucketCount = bucketCount > 0 ? uint32_t(bucketCount) : 1;
        if (allocate)
            m_Buckets = static_cast<Node **>(EMemAlloc(m_BucketCount * sizeof(Node *)));
    }

    int Lookup(K key, V &value) const
    {
        Node *node = Find(key);
        if (!node)
            return 0;
        value = node->value;
        return 1;
    }

    // The value slot of the key, inserted with a zero value when it is new. When
    // neither a bucket table nor a node can be had, the slot is a spare one that
    // belongs to no key, so the caller's write is lost rather than misplaced.
    V &operator[](K key)
    {
        if (Node *node = Find(key))
            return node->value;
        if (!m_Buckets) {
            m_Buckets = static_cast<Node **>(EMemAlloc(m_BucketCount * sizeof(Node *)));
            if (!m_Buckets)
                return Spare();
        }
        if (!m_FreeList) {
            char *block = static_cast<char *>(AddBlockToChain(m_Blocks, m_NodesPerBlock, sizeof(Node)));
            if (!block)
                return Spare();
            Node *nodes = reinterpret_cast<Node *>(block + EBlockLinkSize);
            for (int i = m_NodesPerBlock - 1; i >= 0; --i) {
                nodes[i].next = m_FreeList;
                m_FreeList = &nodes[i];
            }
        }
        Node *node = m_FreeList;
        m_FreeList = node->next;
        ++m_NodeCount;
        node->key = K{};
        node->value = V{};
        node->bucket = BucketOf(key);
        node->key = key;
        node->next = m_Buckets[node->bucket];
        m_Buckets[node->bucket] = node;
        return node->value;
    }

    // Unlinks the key's node onto the free list; the last key gone frees the table
    // and every node block.
    int RemoveKey(K key)
    {
        if (!m_Buckets)
            return 0;
        Node **link = &m_Buckets[BucketOf(key)];
        for (Node *node = *link; node; link = &node->next, node = *link) {
            if (node->key == key) {
                *link = node->next;
                node->next = m_FreeList;
                m_FreeList = node;
                if (--m_NodeCount == 0)
                    RemoveAll();
                return 1;
            }
        }
        return 0;
    }

    void RemoveAll()
    {
        EMemFree(m_Buckets);
        m_Buckets = nullptr;
        m_NodeCount = 0;
        m_FreeList = nullptr;
        FreeBlockChain(m_Blocks);
    }

    int GetCount() const { return m_NodeCount; }

private:
    static uintptr_t KeyBits(K key)
    {
        if constexpr (std::is_pointer_v<K>)
            return reinterpret_cast<uintptr_t>(key);
        else
            return static_cast<uintptr_t>(key);
    }
    uint32_t BucketOf(K key) const { return uint32_t((KeyBits(key) >> 4) % m_BucketCount); }

    Node *Find(K key) const
    {
        if (!m_Buckets)
            return nullptr;
        for (Node *node = m_Buckets[BucketOf(key)]; node; node = node->next)
            if (node->key == key)
                return node;
        return nullptr;
    }

    V &Spare()
    {
        m_Spare = V{};
        return m_Spare;
    }

    Node **m_Buckets = nullptr;
    uint32_t m_BucketCount = 17;
    int m_NodeCount = 0;
    Node *m_FreeList = nullptr;
    void *m_Blocks = nullptr;
    int m_NodesPerBlock;
    V m_Spare{};
};
