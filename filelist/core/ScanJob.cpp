#include "ScanJob.h"

#include "DirectoryWalker.h"
#include "FileFacts.h"

#include <chrono>
#include <utility>

namespace {

class CRowMaker : public IWalkHandler {
public:
    explicit CRowMaker(CRowBatches& batches) : m_batches(batches) {}
    ~CRowMaker() override { Flush(); }

    bool StopRequested() override { return m_batches.StopRequested(); }
    void EnterDirectory(const QByteArray& dir) override
    {
        Flush();
        // The window shows the place a few times a second at most; copying a deep path at every
        // folder would cost the square of the depth.
        const auto now = std::chrono::steady_clock::now();
        if (now - m_lastPlace >= std::chrono::milliseconds(10)) {
            m_lastPlace = now;
            m_batches.SetPlace(dir);
        }
    }
    void FoundFile(const QByteArray& path, const SFileFacts* pFacts) override
    {
        // Handed over in small batches.
        m_pending.append(MakeFileRecord(path, true, pFacts));
        if (m_pending.size() >= 64)
            Flush();
    }

private:
    void Flush() { m_batches.Add(std::exchange(m_pending, {})); }

    CRowBatches& m_batches;
    QVector<FileRecord> m_pending;
    std::chrono::steady_clock::time_point m_lastPlace;
};

}  // namespace

std::function<void(CRowBatches&)> ScanWork(const QByteArray& dir, bool bSubFolders)
{
    return [dir, bSubFolders](CRowBatches& batches) {
        CRowMaker maker(batches);
        SWalkOptions options;
        options.bSubFolders = bSubFolders;
        options.bFileFacts = true;
        ScanDirectory(dir, options, maker);
    };
}
