#pragma once

// HeadTailLog: what a long unattended run showed, kept in bounded memory.
// A run of hours shows a few lines per pass; keeping them all would grow
// without end. The log keeps the first `headSize` entries (how the run
// began) and the latest `tailSize` (how it is going or how it ended), and
// counts what fell out between them. Not thread-safe: the owner locks.

#include <cstddef>
#include <deque>
#include <vector>

namespace qv {

template <typename T>
class HeadTailLog
{
public:
    HeadTailLog(std::size_t headSize, std::size_t tailSize)
        : m_headSize(headSize)
        , m_tailSize(tailSize)
    {}

    void Add(T entry)
    {
        if (m_head.size() < m_headSize) {
            m_head.push_back(std::move(entry));
            return;
        }
        m_tail.push_back(std::move(entry));
        if (m_tail.size() > m_tailSize) {
            m_tail.pop_front();
            ++m_dropped;
        }
    }

    // The kept entries in the order they came: the head, then the tail.
    std::vector<T> Entries() const
    {
        std::vector<T> all(m_head.begin(), m_head.end());
        all.insert(all.end(), m_tail.begin(), m_tail.end());
        return all;
    }

    // How many entries were added but are no longer kept.
    std::size_t Dropped() const { return m_dropped; }

private:
    std::size_t m_headSize;
    std::size_t m_tailSize;
    std::vector<T> m_head;
    std::deque<T> m_tail;
    std::size_t m_dropped = 0;
};

} // namespace qv
