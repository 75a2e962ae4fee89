#include "ListCount.h"

#include <QHash>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

namespace {

// Items taken from the queue and not yet handed back, at most: memory stays flat behind a slow one.
constexpr size_t kWindow = 8192;
// How often the caller's tick runs while nothing happens.
constexpr int kTickMs = 100;

struct SListed {
    QByteArray item;
    QByteArray answer;
    bool bArrived = false;
};

}  // namespace

CItemQueue::CItemQueue(size_t nCapacity) : m_nCapacity(std::max<size_t>(1, nCapacity))
{
    if (::pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0)
        m_wake[0] = m_wake[1] = -1;
}

CItemQueue::~CItemQueue()
{
    for (int fd : m_wake) {
        if (fd >= 0)
            ::close(fd);
    }
}

bool CItemQueue::Push(QByteArray item)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_room.wait(lock, [this] { return m_bAbandoned || m_items.size() < m_nCapacity; });
    if (m_bAbandoned)
        return false;
    m_items.push_back(std::move(item));
    if (!m_bSignalled) {
        m_bSignalled = true;
        const char byte = 1;
        (void)!::write(m_wake[1], &byte, 1);
    }
    return true;
}

void CItemQueue::Unbind()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_nCapacity = SIZE_MAX;
    m_room.notify_all();
}

void CItemQueue::Close()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bClosed = true;
    if (!m_bSignalled) {
        m_bSignalled = true;
        const char byte = 1;
        (void)!::write(m_wake[1], &byte, 1);
    }
}

bool CItemQueue::Take(std::deque<QByteArray>* pItems, size_t nMax)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    while (nMax-- > 0 && !m_items.empty()) {
        pItems->push_back(std::move(m_items.front()));
        m_items.pop_front();
    }
    m_room.notify_all();
    if (m_items.empty() && !m_bClosed && m_bSignalled) {
        char byte;
        while (::read(m_wake[0], &byte, 1) > 0) {
        }
        m_bSignalled = false;
    }
    return !(m_bClosed && m_items.empty());
}

void CItemQueue::Abandon()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bAbandoned = true;
    m_items.clear();
    m_room.notify_all();
}

bool CountListed(CWorkerProcesses& workers, CItemQueue& items, const SListedCount& count)
{
    // Ids grow one by one in the order submitted: the window's front is the oldest.
    std::deque<SListed> window;
    qint64 nFirstId = -1;
    qint64 nDelivered = 0;
    bool bSourceOpen = true;
    // When a worker began each item not yet answered.
    QHash<qint64, std::chrono::steady_clock::time_point> begun;
    const auto arrived = [&](qint64 nId, QByteArray answer) {
        SListed& listed = window[size_t(nId - nFirstId)];
        listed.answer = std::move(answer);
        listed.bArrived = true;
        begun.remove(nId);
        if (count.onArrival)
            count.onArrival(nDelivered + (nId - nFirstId), listed.answer);
    };
    for (;;) {
        if (bSourceOpen && window.size() < kWindow) {
            std::deque<QByteArray> taken;
            bSourceOpen = items.Take(&taken, kWindow - window.size());
            for (QByteArray& item : taken) {
                const qint64 nId = workers.Submit(item);
                if (nFirstId < 0)
                    nFirstId = nId;
                window.push_back({std::move(item), {}, false});
            }
        }
        for (SWorkEvent& event : workers.Pump()) {
            if (event.eKind == SWorkEvent::EKind::Begun)
                begun.insert(event.nId, std::chrono::steady_clock::now());
            else if (event.eKind == SWorkEvent::EKind::Done)
                arrived(event.nId, std::move(event.bytes));
        }
        // The item waited for longest; given up when it has been waited for too long.
        qint64 nOldest = -1;
        qint64 nWaitedMs = 0;
        const auto now = std::chrono::steady_clock::now();
        for (auto it = begun.constBegin(); it != begun.constEnd(); ++it) {
            const qint64 nMs = std::chrono::duration_cast<std::chrono::milliseconds>(now - it.value()).count();
            if (nOldest < 0 || nMs > nWaitedMs) {
                nOldest = it.key();
                nWaitedMs = nMs;
            }
        }
        if (nOldest >= 0 && count.nGiveUpMs > 0 && nWaitedMs >= count.nGiveUpMs) {
            workers.Cancel(nOldest);
            arrived(nOldest, count.giveUp(window[size_t(nOldest - nFirstId)].item, nWaitedMs));
            continue;
        }
        while (!window.empty() && window.front().bArrived) {
            if (!count.onResult(nDelivered, window.front().item, window.front().answer)) {
                items.Abandon();
                return false;
            }
            window.pop_front();
            ++nDelivered;
            ++nFirstId;
        }
        if (!bSourceOpen && window.empty())
            return true;
        const bool bWantItems = bSourceOpen && window.size() < kWindow;
        WaitForWork(workers, kTickMs, bWantItems ? items.WakeFd() : -1);
        if (count.tick)
            count.tick(nOldest >= 0 ? window[size_t(nOldest - nFirstId)].item : QByteArray(), nWaitedMs);
    }
}
