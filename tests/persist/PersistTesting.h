// What the tests of list files and reports share: a disk that fills up, file dialogs answered as a
// user answers them, and a shown window whose commands run from their actions.
#pragma once

#include "app/ui/CPageCountDlg.h"
#include "filelist/core/CFileListModel.h"
#include "support/ModalBox.h"
#include "support/Named.h"
#include "support/TempDir.h"
#include "support/Waiting.h"

#include <QDateTime>
#include <QDialog>
#include <QFile>
#include <QLineEdit>

#include <sys/resource.h>

#include <csignal>

#include <gtest/gtest.h>

// While it lives no file of this process grows past nBytes: a write beyond fails (EFBIG) as on a
// full disk, instead of raising SIGXFSZ.
class CFileSizeLimit {
public:
    explicit CFileSizeLimit(rlim_t nBytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_old);
        m_pOldHandler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit = {nBytes, m_old.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~CFileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_pOldHandler);
    }

private:
    rlimit m_old;
    void (*m_pOldHandler)(int);
};

inline QByteArray ReadAll(const QString& strPath)
{
    QFile file(strPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

inline QByteArray Blanks(int n)
{
    return QByteArray(n, ' ');
}

// A row of the list as a report sees it, made 2010-01-02 03:04:05 and changed 2011-05-18 09:04:05 UTC.
inline FileRecord ReportRow(const QByteArray& path, bool bInUse, qint64 nSize, qint64 nPages)
{
    FileRecord rec = MakeFileRecord(path, bInUse, nullptr);
    rec.nSize = nSize;
    rec.nPages = nPages;
    rec.nCreated = QDateTime(QDate(2010, 1, 2), QTime(3, 4, 5), Qt::UTC).toSecsSinceEpoch();
    rec.nModified = QDateTime(QDate(2011, 5, 18), QTime(9, 4, 5), Qt::UTC).toSecsSinceEpoch();
    return rec;
}

// Answers a file dialog as a user does: types a name into its name field and presses Enter.
inline std::function<void(QWidget*)> TypeName(const QString& strName)
{
    return [strName](QWidget* pDialog) {
        pDialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(strName);
        static_cast<QDialog*>(pDialog)->accept();
    };
}

inline void CancelDialog(QWidget* pDialog)
{
    static_cast<QDialog*>(pDialog)->reject();
}

inline SExpectedBox OkBox(const QString& strCaption, const QString& strText)
{
    return {strCaption, strText, QMessageBox::Ok, QMessageBox::NoIcon};
}

inline SExpectedBox FailureBox(const QString& strCaption, const QString& strText)
{
    return {strCaption, strText, QMessageBox::Ok, QMessageBox::Critical};
}

// The informative texts of the message boxes seen, in order.
inline QStringList Informatives(const CModalBoxes& boxes)
{
    QStringList texts;
    for (const SSeenBox& seen : boxes.Seen()) {
        if (seen.strClass == QLatin1String("QMessageBox"))
            texts << seen.strInformative;
    }
    return texts;
}

class CWindowTest : public testing::Test {
protected:
    CWindowTest() : dlg(nullptr, false), strFirstTitle(dlg.windowTitle()) { dlg.show(); }

    QAction* Action(const char* pszName) { return Named<QAction>(&dlg, pszName); }
    // Runs a command from its action; waits until it and every box it brought are through.
    void Run(const char* pszAction, CModalBoxes& boxes)
    {
        Action(pszAction)->trigger();
        EXPECT_TRUE(WaitUntil([&] { return boxes.AllAnswered() && !dlg.Operations().IsBusy(); }));
    }
    // Each row as its Use text, a blank and its path's bytes.
    QList<QByteArray> Rows()
    {
        QList<QByteArray> rows;
        for (int i = 0; i < dlg.GetModel()->GetRowCount(); ++i)
            rows << dlg.GetModel()->GetText(i, COL_USE).toLatin1() + ' ' + dlg.GetModel()->GetRecord(i).path;
        return rows;
    }

    CTempDir dir;
    CPageCountDlg dlg;
    const QString strFirstTitle;
};
