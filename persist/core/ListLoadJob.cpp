#include "ListLoadJob.h"

#include "ListFile.h"

#include <QFile>

#include <algorithm>
#include <thread>
#include <vector>

namespace {

constexpr qint64 kPieceBytes = 1 << 20;
// Rows are made and handed over in batches of this many, so the GUI thread takes them with few locks.
constexpr int kBatchRows = 1024;

// The rows of a batch of entries. A look at a file is mostly waiting for the file system, so the
// batch is shared out among the cores.
QVector<FileRecord> MakeRows(const SListEntry* pEntries, int nEntries)
{
    QVector<FileRecord> rows(nEntries);
    const auto makeSlice = [&](int nFirst, int nEnd) {
        for (int i = nFirst; i < nEnd; ++i)
            rows[i] = MakeFileRecord(pEntries[i].path, pEntries[i].bInUse);
    };
    static const int nThreads = int(std::max(1u, std::thread::hardware_concurrency()));
    const int nSlices = std::min(nThreads, 1 + nEntries / 64);
    std::vector<std::thread> helpers;
    for (int s = 1; s < nSlices; ++s)
        helpers.emplace_back(makeSlice, nEntries * s / nSlices, nEntries * (s + 1) / nSlices);
    makeSlice(0, nEntries / nSlices);
    for (std::thread& helper : helpers)
        helper.join();
    return rows;
}

void ReadList(int fd, CRowBatches& batches, QString* pError)
{
    QFile file;
    bool bReadError = !file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle);
    CListFileReader reader;
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
            batches.Add(MakeRows(entries.constData() + nAt, std::min(kBatchRows, int(entries.size()) - nAt)));
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
