// Counts pages on worker threads ahead of the one who needs the results, so the GUI thread only
// writes rows while the workers read files, and a slow file never freezes the window.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class CCountAhead {
public:
    using Counter = std::function<int(const QString&)>;

    // nWorkers < 1 means one worker per processor core.
    explicit CCountAhead(int nWorkers = 0, Counter counter = Counter());
    ~CCountAhead();
    CCountAhead(const CCountAhead&) = delete;
    CCountAhead& operator=(const CCountAhead&) = delete;

    // Queues paths to be counted, in this order. A path queued twice is counted twice.
    void Enqueue(const QStringList& paths);

    // The result for a path, waiting at most nTimeoutMs (negative: no limit). A path that nobody
    // is counting yet goes to the front of the queue. Each queued count is handed out once.
    std::optional<int> Take(const QString& strPath, int nTimeoutMs);

    // Drops what is still queued and lets the workers finish the file they are on.
    void Cancel();

    int WorkerCount() const { return int(m_workers.size()); }

private:
    void Work();

    Counter m_counter;
    std::mutex m_mutex;
    std::condition_variable m_wakeWorkers;
    std::condition_variable m_resultReady;
    std::deque<QString> m_queue;
    QHash<QString, int> m_inFlight;         // path -> how many workers count it now
    QHash<QString, std::deque<int>> m_results;
    bool m_bStopping = false;
    std::vector<std::thread> m_workers;
};
