#include "AddFilesJob.h"

#include "CFileListModel.h"

CAddFilesJob::CAddFilesJob(CFileListModel& model, IFileWork& work, const QList<QByteArray>& paths, QObject* pParent)
    : CJob(pParent), m_model(model), m_work(work)
{
    m_items.resize(paths.size());
    for (int i = 0; i < int(paths.size()); ++i)
        m_items[i].path = paths[i];
}

CAddFilesJob::~CAddFilesJob()
{
    for (auto it = m_itemOfTicket.constBegin(); it != m_itemOfTicket.constEnd(); ++it)
        m_work.Cancel(it.key());
}

void CAddFilesJob::OnStart()
{
    for (int i = 0; i < int(m_items.size()); ++i) {
        m_items[i].nAskedAt = Now();
        m_items[i].nTicket = m_work.Submit(this, FactsRequest(m_items[i].path));
        m_itemOfTicket.insert(m_items[i].nTicket, i);
    }
    SetProgress(0, int(m_items.size()));
    EndIfDone();
}

void CAddFilesJob::WorkBegun(quint64 nTicket)
{
    const int i = m_itemOfTicket.value(nTicket, -1);
    if (i >= 0)
        NoteBegun(nTicket, m_items[i].path);
}

void CAddFilesJob::WorkDone(quint64 nTicket, const QByteArray& answer)
{
    const int i = m_itemOfTicket.take(nTicket);
    NoteEnded(nTicket);
    SItem& item = m_items[i];
    item.bAnswered = true;
    ReadFactsAnswer(answer, &item.answer);
    ++m_nAnswered;
    if (item.nRowId != 0) {
        // It joined without its facts; now they are here. A directory or a vanished path goes.
        const int nRow = m_model.FindRow(item.nRowId);
        if (item.answer.eKind != EPathKind::Other)
            m_model.RemoveRowsIf([nRow](int r, const FileRecord&) { return r == nRow; });
        else
            m_model.SetFacts(nRow, item.answer.bReadable ? &item.answer.facts : nullptr);
    }
    JoinAnswered();
    SetProgress(m_nAnswered, int(m_items.size()));
    EndIfDone();
}

// The files at the head of those still to join that have answered join the list, together.
void CAddFilesJob::JoinAnswered()
{
    QVector<FileRecord> rows;
    for (; m_nNext < int(m_items.size()) && m_items[m_nNext].bAnswered; ++m_nNext) {
        const SItem& item = m_items[m_nNext];
        // Vanished since the drag began, or a directory: dropped directories are neither scanned
        // nor listed.
        if (item.answer.eKind == EPathKind::Other)
            rows.append(MakeFileRecord(item.path, true, item.answer.bReadable ? &item.answer.facts : nullptr));
    }
    m_model.AppendRows(std::move(rows));
}

void CAddFilesJob::OnTick()
{
    // The file at the head has kept those after it waiting long enough: it joins without its facts.
    const qint64 nNow = Now();
    while (m_nNext < int(m_items.size()) && !m_items[m_nNext].bAnswered &&
           nNow - m_items[m_nNext].nAskedAt >= kHoldUpMs) {
        FileRecord rec = MakeFileRecord(m_items[m_nNext].path, true, nullptr);
        rec.nSize = kSizeNotKnownYet;
        m_model.AppendRow(std::move(rec));
        m_items[m_nNext++].nRowId = m_model.GetRecord(m_model.GetRowCount() - 1).nId;
        JoinAnswered();
    }
}

void CAddFilesJob::EndIfDone()
{
    if (m_nAnswered == int(m_items.size()))
        Finish();
}

void CAddFilesJob::OnStop()
{
    // What has not answered is listed as a file that cannot be read.
    QVector<quint64> rowIds;
    for (auto it = m_itemOfTicket.constBegin(); it != m_itemOfTicket.constEnd(); ++it) {
        m_work.Cancel(it.key());
        SItem& item = m_items[it.value()];
        item.bAnswered = true;
        item.answer = SFactsAnswer();
        item.answer.eKind = EPathKind::Other;
        if (item.nRowId != 0)
            rowIds.append(item.nRowId);
    }
    m_model.GiveUpFacts(rowIds);
    m_itemOfTicket.clear();
    JoinAnswered();
}
