// A set of object addresses for filtering long lists of pointers: open addressing over a
// power-of-two table, so a test is a multiply and mostly one probe. Removing a thousand
// records from lists of a hundred thousand spent most of its time in QSet lookups.
#pragma once

#include <QtGlobal>

#include <bit>
#include <cstdint>
#include <vector>

namespace vorla {

class PointerSet
{
public:
    PointerSet() = default;

    template<typename Range>
    explicit PointerSet(const Range &pointers)
    {
        reserve(std::size(pointers));
        for (const auto *pointer : pointers)
            insert(pointer);
    }

    // Null is never a member.
    void insert(const void *pointer)
    {
        if (!pointer)
            return;
        if ((m_size + 1) * 2 > m_slots.size())
            rehash(std::max<std::size_t>(16, m_slots.size() * 2));
        std::size_t slot = indexOf(pointer);
        while (m_slots[slot] && m_slots[slot] != pointer)
            slot = (slot + 1) & (m_slots.size() - 1);
        if (!m_slots[slot]) {
            m_slots[slot] = pointer;
            ++m_size;
        }
    }

    // Adds every member of another set.
    void unite(const PointerSet &other)
    {
        for (const void *pointer : other.m_slots) {
            if (pointer)
                insert(pointer);
        }
    }

    bool contains(const void *pointer) const
    {
        if (m_size == 0 || !pointer)
            return false;
        for (std::size_t slot = indexOf(pointer);; slot = (slot + 1) & (m_slots.size() - 1)) {
            if (m_slots[slot] == pointer)
                return true;
            if (!m_slots[slot])
                return false;
        }
    }

    qsizetype size() const { return qsizetype(m_size); }
    bool isEmpty() const { return m_size == 0; }

private:
    void reserve(std::size_t count)
    {
        if (count * 2 > m_slots.size())
            rehash(std::bit_ceil(std::max<std::size_t>(16, count * 2)));
    }

    void rehash(std::size_t capacity)
    {
        std::vector<const void *> old(capacity, nullptr);
        old.swap(m_slots);
        m_shift = 64 - std::countr_zero(capacity);
        m_size = 0;
        for (const void *pointer : old) {
            if (pointer)
                insert(pointer);
        }
    }

    std::size_t indexOf(const void *pointer) const
    {
        // Fibonacci hashing: the multiply spreads aligned addresses over the high bits.
        return std::size_t((std::uint64_t(std::uintptr_t(pointer)) * 0x9E3779B97F4A7C15ull) >> m_shift);
    }

    std::vector<const void *> m_slots;
    int m_shift = 64;
    std::size_t m_size = 0;
};

} // namespace vorla
