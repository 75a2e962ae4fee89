// "Remove Non TIF Files From List" as a job: every distinct file of the list is tested for the TIFF
// signature on its own, many at once, so that a file that never answers holds up only itself. When
// every file has answered, the rows whose files are not TIFF (missing, unreadable, empty or of
// another kind) go; stopped, only the rows already decided go.
#pragma once

#include "common/core/FileWork.h"
#include "common/core/Job.h"

#include <QByteArray>
#include <QHash>

class CFileListModel;

class CFilterJob : public CJob, private IFileWorkClient {
    Q_OBJECT
public:
    CFilterJob(CFileListModel& model, IFileWork& work, QObject* pParent = nullptr);
    ~CFilterJob() override;

    // The rows removed, once finished.
    int Removed() const { return m_nRemoved; }

private:
    void OnStart() override;
    void OnStop() override;
    void WorkBegun(quint64 nTicket) override;
    void WorkDone(quint64 nTicket, const QByteArray& answer) override;

    void Ask(const QByteArray& path);
    void End();

    CFileListModel& m_model;
    IFileWork& m_work;
    QHash<QByteArray, bool> m_isTiff;           // the files that answered
    QHash<quint64, QByteArray> m_asked;         // the files still asked, by ticket
    QHash<QByteArray, quint64> m_ticketOf;
    int m_nRemoved = 0;
};
