#include "ListLoadJob.h"

#include "filelist/core/CFileListModel.h"
#include "fs/FileProblem.h"
#include "fs/FileRequests.h"

#include <cerrno>

CListLoadJob::CListLoadJob(CFileListModel& model, IFileWork& work, const QByteArray& path, QObject* pParent)
    : CJob(pParent), m_model(model), m_work(work), m_path(path)
{
}

CListLoadJob::~CListLoadJob()
{
    StopReading();
    for (auto it = m_rowOfTicket.constBegin(); it != m_rowOfTicket.constEnd(); ++it)
        m_work.Cancel(it.key());
}

void CListLoadJob::OnStart()
{
    m_bReading = true;
    m_nReadTicket = m_work.Submit(this, ReadFileRequest(m_path));
}

void CListLoadJob::StopReading()
{
    if (m_bReading)
        m_work.Cancel(m_nReadTicket);
    m_bReading = false;
}

void CListLoadJob::AddEntries(const QVector<SListEntry>& entries)
{
    if (entries.isEmpty())
        return;
    QVector<FileRecord> rows;
    rows.reserve(entries.size());
    for (const SListEntry& entry : entries) {
        FileRecord rec = MakeFileRecord(entry.path, entry.bInUse, nullptr);
        rec.nSize = kSizeNotKnownYet;
        rows.append(std::move(rec));
    }
    const int nFirstRow = m_model.GetRowCount();
    m_model.AppendRows(std::move(rows));
    for (int i = 0; i < int(entries.size()); ++i) {
        const quint64 nTicket = m_work.Submit(this, FactsRequest(entries[i].path));
        m_rowOfTicket.insert(nTicket, m_model.GetRecord(nFirstRow + i).nId);
        m_pathOfTicket.insert(nTicket, entries[i].path);
    }
    m_nRows += int(entries.size());
    SetProgress(m_nLooked, m_nRows);
}

void CListLoadJob::WorkBegun(quint64 nTicket)
{
    if (m_pathOfTicket.contains(nTicket))
        NoteBegun(nTicket, m_pathOfTicket.value(nTicket));
}

void CListLoadJob::WorkPart(quint64 nTicket, const QByteArray& part)
{
    if (nTicket != m_nReadTicket || !m_bReading)
        return;
    QVector<SListEntry> entries;
    m_reader.Feed(part.constData(), part.size(), &entries);
    AddEntries(entries);
    // What follows the end of the data is not read.
    if (m_reader.DataEnded())
        StopReading();
    EndIfDone();
}

void CListLoadJob::WorkDone(quint64 nTicket, const QByteArray& answer)
{
    if (nTicket == m_nReadTicket && m_bReading) {
        m_bReading = false;
        m_strReadError = answer.isEmpty() ? SystemReason(EIO) : ReadFileAnswer(answer);
        // A line cut short by a failed read is not taken for a path.
        if (m_strReadError.isEmpty()) {
            QVector<SListEntry> entries;
            m_reader.Finish(&entries);
            AddEntries(entries);
        }
        EndIfDone();
        return;
    }
    if (!m_rowOfTicket.contains(nTicket))
        return;
    const quint64 nRowId = m_rowOfTicket.take(nTicket);
    m_pathOfTicket.remove(nTicket);
    NoteEnded(nTicket);
    SFactsAnswer facts;
    const bool bReadable = ReadFactsAnswer(answer, &facts) && facts.bReadable;
    m_model.SetFacts(m_model.FindRow(nRowId), bReadable ? &facts.facts : nullptr);
    SetProgress(++m_nLooked, m_nRows);
    EndIfDone();
}

void CListLoadJob::EndIfDone()
{
    if (!m_bReading && m_rowOfTicket.isEmpty())
        Finish();
}

void CListLoadJob::OnStop()
{
    StopReading();
    // A file that did not answer is shown as one that cannot be read.
    QVector<quint64> rowIds;
    rowIds.reserve(m_rowOfTicket.size());
    for (auto it = m_rowOfTicket.constBegin(); it != m_rowOfTicket.constEnd(); ++it) {
        m_work.Cancel(it.key());
        rowIds.append(it.value());
    }
    m_model.GiveUpFacts(rowIds);
    m_rowOfTicket.clear();
    m_pathOfTicket.clear();
}
