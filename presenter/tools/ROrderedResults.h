#pragma once

#include <QList>
#include <QString>

#include <algorithm>

// Results of background work handed out in the order the work was asked
// for, however it finished: a slow request holds back the quicker ones after
// it, and a failed one still takes its turn so the caller can say so.
// Requests dropped with clear() never come out; their late results are ignored.
template <typename Result>
class ROrderedResults
{
public:
    struct Done {
        QString key;
        Result result;
    };

    // A ticket for deliver(); tickets are never reused, not even after clear().
    quint64 request(const QString &key)
    {
        m_list.append(Entry{++m_uLastTicket, key, false, Result()});
        return m_uLastTicket;
    }

    // Hands in one result; returns the results whose turn came with it,
    // oldest first (none while an earlier request is still out).
    QList<Done> deliver(quint64 ticket, const Result &result)
    {
        auto it = std::find_if(m_list.begin(), m_list.end(), [ticket](const Entry &e) { return e.ticket == ticket; });
        if (it == m_list.end() || it->ready)
            return {};
        it->ready = true;
        it->result = result;
        QList<Done> out;
        while (!m_list.isEmpty() && m_list.first().ready) {
            const Entry entry = m_list.takeFirst();
            out.append(Done{entry.key, entry.result});
        }
        return out;
    }

    void clear() { m_list.clear(); }
    // Requests whose results have not come out yet.
    int pending() const { return m_list.size(); }

private:
    struct Entry {
        quint64 ticket;
        QString key;
        bool ready;
        Result result;
    };
    QList<Entry> m_list;
    quint64 m_uLastTicket = 0;
};
