// The Page Profile window: the pages of the counted rows in use, by paper and colour and by
// resolution and colour, with the sum of every row and column, as the list stands when it opens.
// Ctrl+C (and Copy) puts both tables on the clipboard as tab-separated text; Print and Save as PDF
// put them on paper or in a file.
#pragma once

#include "common/ui/ListHost.h"
#include "persist/core/ProfileReport.h"

#include <QDialog>

class QTableWidget;
class QTextDocument;

class CPageProfileDlg : public QDialog {
    Q_OBJECT
public:
    CPageProfileDlg(const SListProfile& profile, QWidget* pParent);

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
    QString m_strCounted;           // "12 pages in 3 files"
    QString m_strLeftOut;           // the rows the tables leave out; empty when none
};

// Reports, Page Profile: shows the window for the list as it stands.
void RunPageProfile(const SListHost& host);
