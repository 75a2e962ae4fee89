// A long operation whose worker thread makes rows (a scan, a list load): the rows join the list at
// the pace of the screen, the operation holds the long-operation guard until it ends, and the
// window's end stops it at once.
#pragma once

#include "ListHost.h"
#include "common/ui/CLongOperations.h"
#include "common/ui/CPacedCall.h"
#include "filelist/core/RowBatches.h"

#include <QObject>

#include <memory>

class CRowBatchRun : public QObject {
    Q_OBJECT
public:
    CRowBatchRun(const SListHost& host, std::unique_ptr<CLongOperationLock> pLock);
    ~CRowBatchRun() override;

protected:
    // Starts the worker with the work that makes the rows.
    void StartRows(std::function<void(CRowBatches&)> work);
    // Ends the operation at once, keeping the rows made so far; nothing more is drained.
    void StopRows(bool bWindowEnding);

    // After rows were taken into the list (a window may show where the worker is now).
    virtual void RowsTaken(const CRowBatches& batches) { Q_UNUSED(batches); }
    // The operation has ended, the guard is free again: what follows it (a box, a question).
    // bWindowEnding: the window ended it, and nothing may be asked any more.
    virtual void Ended(const CRowBatches& batches, bool bWindowEnding) = 0;

    const SListHost& Host() const { return m_host; }

private:
    void Drain();
    void End(bool bWindowEnding);

    SListHost m_host;
    std::unique_ptr<CLongOperationLock> m_pLock;
    std::shared_ptr<CRowBatches> m_pBatches;
    CPacedCall m_drain;
};
