// A directory scan as a job: a worker process walks the tree (sub-directories too when asked) and
// sends the files it finds, with their facts, in the walk's order; each becomes a row at the end of
// the list as it comes. The job's place is the directory being read.
#pragma once

#include "common/core/FileWork.h"
#include "common/core/Job.h"

#include <QByteArray>

class CFileListModel;

class CScanJob : public CJob, private IFileWorkClient {
    Q_OBJECT
public:
    CScanJob(CFileListModel& model, IFileWork& work, const QByteArray& dir, bool bSubFolders, QObject* pParent = nullptr);
    ~CScanJob() override;

private:
    void OnStart() override;
    void OnStop() override;
    void WorkPart(quint64 nTicket, const QByteArray& part) override;
    void WorkDone(quint64 nTicket, const QByteArray& answer) override;

    CFileListModel& m_model;
    IFileWork& m_work;
    QByteArray m_dir;
    bool m_bSubFolders;
    quint64 m_nTicket = 0;
    bool m_bAsked = false;
    int m_nFound = 0;
};
