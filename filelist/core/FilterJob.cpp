#include "FilterJob.h"

#include "CFileListModel.h"
#include "common/core/FileName.h"
#include "tiff/PageCounter.h"

CFilterJob::CFilterJob(CFileListModel& model, IFileWork& work, QObject* pParent)
    : CJob(pParent), m_model(model), m_work(work)
{
}

CFilterJob::~CFilterJob()
{
    for (auto it = m_asked.constBegin(); it != m_asked.constEnd(); ++it)
        m_work.Cancel(it.key());
}

void CFilterJob::OnStart()
{
    for (int i = 0; i < m_model.GetRowCount(); ++i)
        Ask(m_model.GetRecord(i).path);
    // Rows that come in meanwhile are tested too.
    connect(&m_model, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int nFirst, int nLast) {
        for (int i = nFirst; i <= nLast; ++i)
            Ask(m_model.GetRecord(i).path);
    });
    if (m_asked.isEmpty())
        End();
}

void CFilterJob::Ask(const QByteArray& path)
{
    if (IsFinished() || m_isTiff.contains(path) || m_ticketOf.contains(path))
        return;
    const quint64 nTicket = m_work.Submit(this, SignatureRequest(path));
    m_asked.insert(nTicket, path);
    m_ticketOf.insert(path, nTicket);
    SetProgress(DoneCount(), TotalCount() + 1);
}

void CFilterJob::WorkBegun(quint64 nTicket)
{
    const QByteArray path = m_asked.value(nTicket);
    NoteBegun(nTicket, path);
    SetPlace(DisplayFileName(path));
}

void CFilterJob::WorkDone(quint64 nTicket, const QByteArray& answer)
{
    const QByteArray path = m_asked.take(nTicket);
    m_ticketOf.remove(path);
    NoteEnded(nTicket);
    // A file that could not be tested at all is not one the list can count.
    m_isTiff.insert(path, AnswerIsTiff(answer));
    SetProgress(DoneCount() + 1, TotalCount());
    if (m_asked.isEmpty())
        End();
}

void CFilterJob::OnStop()
{
    End();
}

void CFilterJob::End()
{
    if (IsFinished())
        return;
    for (auto it = m_asked.constBegin(); it != m_asked.constEnd(); ++it)
        m_work.Cancel(it.key());
    m_asked.clear();
    m_ticketOf.clear();
    // Only the files that answered are decided.
    m_nRemoved = m_model.RemoveRowsIf([this](int, const FileRecord& rec) { return !m_isTiff.value(rec.path, true); });
    Finish();
}
