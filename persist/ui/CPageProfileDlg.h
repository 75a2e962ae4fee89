// The Page Profile window: the pages of the counted rows in use, by paper and colour, by resolution
// and colour, and by paper, resolution and colour, with the sum of every row and column, as the
// list stands when it opens. Its top names the list file, the folders counted and the date, on
// screen as on paper. Ctrl+C (and Copy) puts the tables on the clipboard as tab-separated text;
// Print and Save as PDF put the whole window's content on paper or in a file.
#pragma once

#include "common/ui/ListHost.h"
#include "persist/core/ProfileReport.h"

#include <QDialog>
#include <QPair>

class QTableWidget;
class QTextDocument;

class CPageProfileDlg : public QDialog {
    Q_OBJECT
public:
    // listPath: the list file's path, empty for a list never saved ("Untitled"); nWhen: seconds
    // since the epoch.
    CPageProfileDlg(const SListProfile& profile, const QByteArray& listPath, qint64 nWhen, QWidget* pParent);

    // What Copy and Ctrl+C put on the clipboard.
    QString TablesText() const;
    void CopyTables();
    void Print();
    void SaveAsPdf();

private:
    QTableWidget* MakeTable(const SProfileTable& table, const QString& strName);
    // The window's content as a document for the printer and the PDF file.
    void FillDocument(QTextDocument* pDocument) const;

    QVector<SProfileTable> m_tables;
    QStringList m_captions;         // one above each table
    QList<QPair<QString, QString>> m_heading;   // the lines at the top: what, and its text
    QString m_strCounted;           // "12 pages in 3 files"
    QString m_strLeftOut;           // the rows the tables leave out; empty when none
};

// Reports, Page Profile: shows the window for the list as it stands.
void RunPageProfile(const SListHost& host);
