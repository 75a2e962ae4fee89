#include "ListLoadJob.h"

#include "ListFile.h"
#include "common/core/TaskPool.h"

#include <QFile>

#include <algorithm>

namespace {

constexpr qint64 kPieceBytes = 1 << 20;
// Rows are made and handed over in batches of this many, so the GUI thread takes them with few locks.
constexpr int kBatchRows = 1024;

// The rows of a batch of entries. A look at a file is mostly waiting for the file system (on a share,
// round trips), so the batch is shared out among the pool's threads, many files at once.
QVector<FileRecord> MakeRows(CTaskPool& pool, const SListEntry* pEntries, int nEntries)
{
    QVector<FileRecord> rows(nEntries);
    ForEachAtOnce(pool, nEntries, [&](int i) { rows[i] = MakeFileRecord(pEntries[i].path, pEntries[i].bInUse); });
    return rows;
}

void ReadList(int fd, CRowBatches& batches, QString* pError)
{
    QFile file;
    bool bReadError = !file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle);
    CListFileReader reader;
    CTaskPool pool;
    QVector<SListEntry> entries;
    QByteArray piece(kPieceBytes, Qt::Uninitialized);
    bool bEnd = bReadError;
    while (!bEnd && !batches.StopRequested()) {
        const qint64 n = file.read(piece.data(), kPieceBytes);
        if (n > 0)
            reader.Feed(piece.constData(), qsizetype(n), &entries);
        else if (n == 0)
            reader.Finish(&entries);
        else
            bReadError = true;      // a line cut short by the failure is not taken for a path
        bEnd = n <= 0 || reader.DataEnded();
        for (int nAt = 0; nAt < int(entries.size()) && !batches.StopRequested(); nAt += kBatchRows) {
            // Each listed file is looked at here, outside the lock.
            batches.Add(MakeRows(pool, entries.constData() + nAt, std::min(kBatchRows, int(entries.size()) - nAt)));
        }
        entries.clear();
    }
    if (bReadError) {
        *pError = file.errorString();
        batches.SetFailed();
    }
}

}  // namespace

std::function<void(CRowBatches&)> ListLoadWork(int fd, std::shared_ptr<QString> pError)
{
    // The reason lives as long as either side: the worker may outlast the load that started it.
    return [fd, pError](CRowBatches& batches) { ReadList(fd, batches, pError.get()); };
}
