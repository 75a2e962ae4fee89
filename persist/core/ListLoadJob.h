// Reading a list file into the list as a job: a worker process reads the file and sends its bytes;
// each entry joins the list as soon as it is read, and each listed file is looked at on its own,
// many at once, its size and times filled in when it answers. A file that never answers holds up
// only its own row. Stopped, the rows read stay, each with the facts it has; a file that did not
// answer is shown as one that cannot be read.
#pragma once

#include "ListFile.h"
#include "common/core/FileWork.h"
#include "common/core/Job.h"

#include <QByteArray>
#include <QHash>
#include <QString>

class CFileListModel;

class CListLoadJob : public CJob, private IFileWorkClient {
    Q_OBJECT
public:
    CListLoadJob(CFileListModel& model, IFileWork& work, const QByteArray& path, QObject* pParent = nullptr);
    ~CListLoadJob() override;

    // Why the list file could not be read (to its end); empty when it was.
    QString ReadError() const { return m_strReadError; }

private:
    void OnStart() override;
    void OnStop() override;
    void WorkBegun(quint64 nTicket) override;
    void WorkPart(quint64 nTicket, const QByteArray& part) override;
    void WorkDone(quint64 nTicket, const QByteArray& answer) override;

    void AddEntries(const QVector<SListEntry>& entries);
    void StopReading();
    void EndIfDone();

    CFileListModel& m_model;
    IFileWork& m_work;
    QByteArray m_path;
    CListFileReader m_reader;
    quint64 m_nReadTicket = 0;
    bool m_bReading = false;
    QHash<quint64, quint64> m_rowOfTicket;      // the looks still asked, and their rows
    QHash<quint64, QByteArray> m_pathOfTicket;
    QString m_strReadError;
    int m_nRows = 0;
    int m_nLooked = 0;
};
