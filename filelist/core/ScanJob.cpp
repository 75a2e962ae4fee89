#include "ScanJob.h"

#include "DirectoryWalker.h"

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
        m_batches.SetPlace(dir);
    }
    void FoundFile(const QByteArray& path) override
    {
        // Made outside the lock, handed over in small batches.
        m_pending.append(MakeFileRecord(path, true));
        if (m_pending.size() >= 64)
            Flush();
    }

private:
    void Flush() { m_batches.Add(std::exchange(m_pending, {})); }

    CRowBatches& m_batches;
    QVector<FileRecord> m_pending;
};

}  // namespace

std::function<void(CRowBatches&)> ScanWork(const QByteArray& dir, bool bSubFolders)
{
    return [dir, bSubFolders](CRowBatches& batches) {
        CRowMaker maker(batches);
        ScanDirectory(dir, bSubFolders, maker);
    };
}
