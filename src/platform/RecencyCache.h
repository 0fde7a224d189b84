#pragma once

#include <QHash>
#include <QtGlobal>

#include <chrono>
#include <list>
#include <utility>

// A cache bounded by cost for pictures an animation comes back to in a loop. Plain
// least-recently-used eviction keeps nothing of a loop larger than its budget: every entry
// is thrown out just before the loop needs it again. Here an entry used within the last
// `keepMs` milliseconds is never evicted for a newcomer (the newcomer is not kept instead),
// so a long loop keeps hitting the part that fits, while entries nobody has looked at for a
// while still make room. Times are the caller's, in milliseconds of a steady clock.
// Not thread-safe.
template <typename Key, typename Value>
class RecencyCache {
public:
    RecencyCache(qint64 budget, qint64 keepMs)
        : m_budget(budget)
        , m_keepMs(keepMs)
    {}

    // The value, marked as used now; null when absent. Valid until the next insert.
    const Value* find(const Key& key, qint64 nowMs)
    {
        const auto found = m_index.constFind(key);
        if (found == m_index.cend())
            return nullptr;
        const auto entry = *found;
        entry->lastUse = nowMs;
        m_entries.splice(m_entries.end(), m_entries, entry);
        return &entry->value;
    }

    // False when the value was not kept: it alone exceeds the budget, or making room would
    // evict entries still in use.
    bool insert(const Key& key, Value value, qint64 cost, qint64 nowMs)
    {
        remove(key);
        if (cost > m_budget)
            return false;
        while (m_total + cost > m_budget) {
            const Entry& oldest = m_entries.front();
            if (nowMs - oldest.lastUse < m_keepMs)
                return false;
            remove(oldest.key);
        }
        m_entries.push_back(Entry{key, std::move(value), cost, nowMs});
        m_index.insert(key, std::prev(m_entries.end()));
        m_total += cost;
        return true;
    }

    void remove(const Key& key)
    {
        const auto found = m_index.constFind(key);
        if (found == m_index.cend())
            return;
        const auto entry = *found;
        m_index.erase(found);
        m_total -= entry->cost;
        m_entries.erase(entry);
    }

    int count() const { return int(m_index.size()); }
    qint64 totalCost() const { return m_total; }

private:
    struct Entry {
        Key key;
        Value value;
        qint64 cost = 0;
        qint64 lastUse = 0;
    };

    std::list<Entry> m_entries; // least recently used first
    QHash<Key, typename std::list<Entry>::iterator> m_index;
    qint64 m_budget;
    qint64 m_keepMs;
    qint64 m_total = 0;
};

// Milliseconds of the steady clock, for RecencyCache's times.
inline qint64 steadyClockMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
