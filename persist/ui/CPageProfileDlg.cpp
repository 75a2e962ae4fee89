#include "CPageProfileDlg.h"

#include "FileDialogs.h"
#include "Reports.h"
#include "common/ui/AppMessageBox.h"
#include "persist/core/BlockWriter.h"
#include "persist/core/SaveTarget.h"

#include <QBuffer>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSaveFile>
#include <QShortcut>
#include <QTableWidget>
#include <QTextDocument>
#include <QVBoxLayout>

namespace {

QString Count(qint64 n, const char* pszOne, const char* pszMany)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? pszOne : pszMany));
}

QString LeftOutText(const SListProfile& profile)
{
    QStringList parts;
    if (profile.nRowsNotInUse)
        parts.append(Count(profile.nRowsNotInUse, "row", "rows") + QStringLiteral(" not in use"));
    if (profile.nRowsNotCounted)
        parts.append(Count(profile.nRowsNotCounted, "row", "rows") + QStringLiteral(" in use but not counted"));
    return parts.isEmpty() ? QString() : QStringLiteral("Left out: ") + parts.join(QStringLiteral(", ")) + u'.';
}

QString TableHtml(const SProfileTable& table)
{
    QString str = QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\"><tr><th>") +
                  table.strCorner.toHtmlEscaped() + QStringLiteral("</th>");
    for (const QString& strColumn : table.columns)
        str += QStringLiteral("<th>") + strColumn.toHtmlEscaped() + QStringLiteral("</th>");
    str += QStringLiteral("</tr>");
    for (int r = 0; r < int(table.rows.size()); ++r) {
        const bool bTotal = r == int(table.rows.size()) - 1;
        str += QStringLiteral("<tr><th align=\"left\">") + table.rows[r].toHtmlEscaped() + QStringLiteral("</th>");
        for (int c = 0; c < int(table.cells[r].size()); ++c) {
            const QString strCell = QString::number(table.cells[r][c]);
            const bool bSum = bTotal || c == int(table.cells[r].size()) - 1;
            str += QStringLiteral("<td align=\"right\">") +
                   (bSum ? QStringLiteral("<b>") + strCell + QStringLiteral("</b>") : strCell) +
                   QStringLiteral("</td>");
        }
        str += QStringLiteral("</tr>");
    }
    return str + QStringLiteral("</table>");
}

}  // namespace

CPageProfileDlg::CPageProfileDlg(const SListProfile& profile, QWidget* pParent) : QDialog(pParent)
{
    setObjectName(QStringLiteral("PageProfile"));
    setWindowTitle(QStringLiteral("Page Profile"));
    m_tables = {PaperColourTable(profile.totals), DpiColourTable(profile.totals)};
    m_captions = {QStringLiteral("Pages by paper and colour"),
                  QStringLiteral("Pages by resolution (dots per inch) and colour")};
    m_strCounted = Count(profile.totals.Pages(), "page", "pages") + QStringLiteral(" in ") +
                   Count(profile.nCountedRows, "counted file", "counted files") + u'.';
    m_strLeftOut = LeftOutText(profile);

    auto* pLayout = new QVBoxLayout(this);
    auto* pCounted = new QLabel(m_strCounted, this);
    pCounted->setObjectName(QStringLiteral("Counted"));
    pLayout->addWidget(pCounted);
    const char* kNames[] = {"PaperTable", "DpiTable"};
    for (int i = 0; i < int(m_tables.size()); ++i) {
        pLayout->addSpacing(6);
        pLayout->addWidget(new QLabel(m_captions[i], this));
        pLayout->addWidget(MakeTable(m_tables[i], QString::fromLatin1(kNames[i])));
    }
    if (!m_strLeftOut.isEmpty()) {
        auto* pLeftOut = new QLabel(m_strLeftOut, this);
        pLeftOut->setObjectName(QStringLiteral("LeftOut"));
        pLayout->addWidget(pLeftOut);
    }
    pLayout->addStretch();

    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    const auto addButton = [&](const QString& strText, const char* pszName, void (CPageProfileDlg::*pfn)()) {
        QPushButton* pButton = pButtons->addButton(strText, QDialogButtonBox::ActionRole);
        pButton->setObjectName(QString::fromLatin1(pszName));
        connect(pButton, &QPushButton::clicked, this, pfn);
    };
    addButton(QStringLiteral("&Copy"), "Copy", &CPageProfileDlg::CopyTables);
    addButton(QStringLiteral("&Print..."), "Print", &CPageProfileDlg::Print);
    addButton(QStringLiteral("Save as P&DF..."), "SaveAsPdf", &CPageProfileDlg::SaveAsPdf);
    pButtons->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("Close"));
    connect(pButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    pLayout->addWidget(pButtons);

    auto* pCopy = new QShortcut(QKeySequence::Copy, this);
    connect(pCopy, &QShortcut::activated, this, &CPageProfileDlg::CopyTables);
}

QTableWidget* CPageProfileDlg::MakeTable(const SProfileTable& table, const QString& strName)
{
    auto* pTable = new QTableWidget(int(table.rows.size()), int(table.columns.size()) + 1, this);
    pTable->setObjectName(strName);
    pTable->setHorizontalHeaderLabels(QStringList{table.strCorner} + table.columns);
    pTable->verticalHeader()->hide();
    // The whole table is what Ctrl+C copies: no cell to pick, no focus to take the key.
    pTable->setSelectionMode(QAbstractItemView::NoSelection);
    pTable->setFocusPolicy(Qt::NoFocus);
    pTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    pTable->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    pTable->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    pTable->verticalHeader()->setDefaultSectionSize(pTable->fontMetrics().height() + 8);
    QFont bold = pTable->font();
    bold.setBold(true);
    for (int r = 0; r < int(table.rows.size()); ++r) {
        const bool bTotalRow = r == int(table.rows.size()) - 1;
        auto* pHead = new QTableWidgetItem(table.rows[r]);
        pHead->setFlags(Qt::ItemIsEnabled);
        if (bTotalRow)
            pHead->setFont(bold);
        pTable->setItem(r, 0, pHead);
        for (int c = 0; c < int(table.cells[r].size()); ++c) {
            auto* pItem = new QTableWidgetItem(QString::number(table.cells[r][c]));
            pItem->setFlags(Qt::ItemIsEnabled);
            pItem->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (bTotalRow || c == int(table.cells[r].size()) - 1)
                pItem->setFont(bold);
            pTable->setItem(r, c + 1, pItem);
        }
    }
    pTable->resizeColumnsToContents();
    for (int c = 1; c < pTable->columnCount(); ++c)
        pTable->setColumnWidth(c, std::max(pTable->columnWidth(c), 80));
    // As large as its cells: a profile has a few rows, never so many that it should scroll.
    const int nFrame = 2 * pTable->frameWidth();
    pTable->setFixedSize(pTable->horizontalHeader()->length() + nFrame,
                         pTable->horizontalHeader()->sizeHint().height() + pTable->verticalHeader()->length() + nFrame);
    return pTable;
}

QString CPageProfileDlg::TablesText() const
{
    return ProfileTablesText(m_tables);
}

void CPageProfileDlg::CopyTables()
{
    QGuiApplication::clipboard()->setText(TablesText());
}

void CPageProfileDlg::FillDocument(QTextDocument* pDocument) const
{
    QString strHtml = QStringLiteral("<h2>Page Profile</h2><p>") + m_strCounted.toHtmlEscaped() + QStringLiteral("</p>");
    for (int i = 0; i < int(m_tables.size()); ++i)
        strHtml += QStringLiteral("<h3>") + m_captions[i].toHtmlEscaped() + QStringLiteral("</h3>") + TableHtml(m_tables[i]);
    if (!m_strLeftOut.isEmpty())
        strHtml += QStringLiteral("<p>") + m_strLeftOut.toHtmlEscaped() + QStringLiteral("</p>");
    pDocument->setHtml(strHtml);
}

void CPageProfileDlg::Print()
{
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Print Page Profile"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    QTextDocument document;
    FillDocument(&document);
    document.print(&printer);
}

void CPageProfileDlg::SaveAsPdf()
{
    const QByteArray path =
        AskFileName(this, EFileDialog::Save, QStringLiteral("Save Page Profile as PDF"), QStringLiteral("pdf"));
    if (path.isEmpty())
        return;
    // Made in memory, then put in place whole, as the reports are.
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setTitle(QStringLiteral("Page Profile"));
        writer.setCreator(QStringLiteral("Pagewick"));
        QTextDocument document;
        FillDocument(&document);
        document.print(&writer);
    }
    QSaveFile file;
    QString strError;
    bool bWritten = OpenReplacement(path, &file, &strError);
    if (bWritten) {
        CBlockWriter out(&file);
        out.Write(pdf.data());
        bWritten = CommitReplacement(&file, out, &strError);
    }
    if (!bWritten) {
        ShowCantWriteReport(this, path, strError);
        return;
    }
    AppMessageBox(this, QStringLiteral("Done"), QStringLiteral("File Saved"));
}

void RunPageProfile(const SListHost& host)
{
    CPageProfileDlg dialog(ProfileOfList(*host.pModel), host.pOwner);
    dialog.exec();
}
