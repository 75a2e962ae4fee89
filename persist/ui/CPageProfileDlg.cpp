#include "CPageProfileDlg.h"

#include "FileDialogs.h"
#include "Reports.h"
#include "common/core/FileName.h"
#include "common/ui/AppMessageBox.h"
#include "persist/core/BlockWriter.h"
#include "persist/core/SaveTarget.h"

#include <QBuffer>
#include <QClipboard>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
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

// The folders a profile names at most, a line each; the rest are counted (the folder summary
// report has them all).
constexpr int kMaxFoldersNamed = 5;

QString FoldersText(const QList<QByteArray>& folders)
{
    if (folders.isEmpty())
        return QStringLiteral("none");
    QStringList lines;
    for (int i = 0; i < int(folders.size()) && i < kMaxFoldersNamed; ++i)
        lines.append(DisplayFileName(folders[i]));
    if (folders.size() > kMaxFoldersNamed)
        lines.append(QStringLiteral("and %1 more").arg(folders.size() - kMaxFoldersNamed));
    return lines.join(u'\n');
}

QString TableHtml(const SProfileTable& table)
{
    QString str = QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"4\"><tr>");
    for (const QString& strColumn : table.corner + table.columns)
        str += QStringLiteral("<th>") + strColumn.toHtmlEscaped() + QStringLiteral("</th>");
    str += QStringLiteral("</tr>");
    for (int r = 0; r < int(table.rows.size()); ++r) {
        const bool bTotal = r == int(table.rows.size()) - 1;
        str += QStringLiteral("<tr>");
        for (const QString& strLabel : table.rows[r])
            str += QStringLiteral("<th align=\"left\">") + strLabel.toHtmlEscaped() + QStringLiteral("</th>");
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

CPageProfileDlg::CPageProfileDlg(const SListProfile& profile, const QByteArray& listPath, qint64 nWhen,
                                 QWidget* pParent)
    : QDialog(pParent)
{
    setObjectName(QStringLiteral("PageProfile"));
    setWindowTitle(QStringLiteral("Page Profile"));
    m_heading = {{QStringLiteral("List file:"), listPath.isEmpty() ? QStringLiteral("Untitled") : DisplayFileName(listPath)},
                 {QStringLiteral("Folders counted:"), FoldersText(profile.folders)},
                 {QStringLiteral("Date:"), FormatDateTime(nWhen)}};
    m_tables = {PaperColourTable(profile.totals), DpiColourTable(profile.totals),
                PaperDpiColourTable(profile.totals)};
    m_captions = {QStringLiteral("Pages by paper and colour"),
                  QStringLiteral("Pages by resolution (dots per inch) and colour"),
                  QStringLiteral("Pages by paper, resolution and colour")};
    m_strCounted = Count(profile.totals.Pages(), "page", "pages") + QStringLiteral(" in ") +
                   Count(profile.nCountedRows, "counted file", "counted files") + u'.';
    m_strLeftOut = LeftOutText(profile);

    // The content scrolls where a list of many classes makes it taller than the screen.
    auto* pContent = new QWidget;
    auto* pContentLayout = new QVBoxLayout(pContent);
    auto* pHeading = new QFormLayout;
    const char* kHeadingNames[] = {"ListFile", "Folders", "Date"};
    for (int i = 0; i < int(m_heading.size()); ++i) {
        auto* pText = new QLabel(m_heading[i].second);
        pText->setObjectName(QString::fromLatin1(kHeadingNames[i]));
        pText->setWordWrap(true);
        pText->setTextInteractionFlags(Qt::TextSelectableByMouse);
        pHeading->addRow(m_heading[i].first, pText);
    }
    pContentLayout->addLayout(pHeading);
    auto* pCounted = new QLabel(m_strCounted);
    pCounted->setObjectName(QStringLiteral("Counted"));
    pContentLayout->addWidget(pCounted);
    const char* kNames[] = {"PaperTable", "DpiTable", "PaperDpiTable"};
    for (int i = 0; i < int(m_tables.size()); ++i) {
        pContentLayout->addSpacing(6);
        pContentLayout->addWidget(new QLabel(m_captions[i]));
        pContentLayout->addWidget(MakeTable(m_tables[i], QString::fromLatin1(kNames[i])));
    }
    if (!m_strLeftOut.isEmpty()) {
        auto* pLeftOut = new QLabel(m_strLeftOut);
        pLeftOut->setObjectName(QStringLiteral("LeftOut"));
        pContentLayout->addWidget(pLeftOut);
    }
    pContentLayout->addStretch();
    auto* pScroll = new QScrollArea(this);
    pScroll->setWidget(pContent);
    pScroll->setWidgetResizable(true);
    pScroll->setFrameShape(QFrame::NoFrame);

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(pScroll);
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

    // As large as the content, within the screen.
    const QSize content = pContent->sizeHint() + QSize(pScroll->verticalScrollBar()->sizeHint().width(), 0);
    QSize size = content + QSize(0, pButtons->sizeHint().height()) +
                 QSize(pLayout->contentsMargins().left() + pLayout->contentsMargins().right(),
                       pLayout->contentsMargins().top() + pLayout->contentsMargins().bottom() + pLayout->spacing());
    if (const QScreen* pScreen = pParent ? pParent->screen() : QGuiApplication::primaryScreen())
        size = size.boundedTo(pScreen->availableSize() * 9 / 10);
    resize(size);
}

QTableWidget* CPageProfileDlg::MakeTable(const SProfileTable& table, const QString& strName)
{
    const int nLabels = int(table.corner.size());
    auto* pTable = new QTableWidget(int(table.rows.size()), nLabels + int(table.columns.size()));
    pTable->setObjectName(strName);
    pTable->setHorizontalHeaderLabels(table.corner + table.columns);
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
        for (int c = 0; c < nLabels; ++c) {
            auto* pHead = new QTableWidgetItem(table.rows[r][c]);
            pHead->setFlags(Qt::ItemIsEnabled);
            if (bTotalRow)
                pHead->setFont(bold);
            pTable->setItem(r, c, pHead);
        }
        for (int c = 0; c < int(table.cells[r].size()); ++c) {
            auto* pItem = new QTableWidgetItem(QString::number(table.cells[r][c]));
            pItem->setFlags(Qt::ItemIsEnabled);
            pItem->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (bTotalRow || c == int(table.cells[r].size()) - 1)
                pItem->setFont(bold);
            pTable->setItem(r, nLabels + c, pItem);
        }
    }
    pTable->resizeColumnsToContents();
    // Every table's columns alike wide, so that the tables line up one below the other.
    for (int c = 0; c < pTable->columnCount(); ++c)
        pTable->setColumnWidth(c, std::max(pTable->columnWidth(c), 80));
    // As large as its cells: the window scrolls, not the table.
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
    QString strHtml = QStringLiteral("<h2>Page Profile</h2><table cellpadding=\"2\">");
    for (const auto& [strWhat, strText] : m_heading)
        strHtml += QStringLiteral("<tr><td><b>") + strWhat.toHtmlEscaped() + QStringLiteral("</b></td><td>") +
                   strText.toHtmlEscaped().replace(u'\n', QStringLiteral("<br>")) + QStringLiteral("</td></tr>");
    strHtml += QStringLiteral("</table><p>") + m_strCounted.toHtmlEscaped() + QStringLiteral("</p>");
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
    CPageProfileDlg dialog(ProfileOfList(*host.pModel), host.pListPath->ListPath(),
                           QDateTime::currentSecsSinceEpoch(), host.pOwner);
    dialog.exec();
}
