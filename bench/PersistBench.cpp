// Benchmarks of list files and reports, called from pagewick-bench's main():
//
//   pagewick-bench write-list DIR OUT.lst     lists every file under DIR (every third row not in use)
//                                             and saves the list to OUT.lst
//   pagewick-bench stat-list LIST.lst         reads the list file and stats every listed path, one
//                                             thread: the baseline of loading
//   pagewick-bench gui-load LIST.lst          the window's Load File List, from the dialog's OK to the
//                                             last row; also prints the list's repaints per second
//   pagewick-bench gui-save LIST.lst OUT.lst  the window's SaveAs File List of the list's rows, from
//                                             the dialog's OK to "List File Saved OK"
//   pagewick-bench gui-csv LIST.lst OUT.csv   the window's CSV report of the list's rows, header and
//   pagewick-bench gui-text LIST.lst OUT.txt  total asked for, from the dialog's OK to "Done"
#include "BenchWindow.h"
#include "app/ui/CPageCountDlg.h"
#include "filelist/core/CFileListModel.h"
#include "fs/DirectoryWalker.h"
#include "persist/core/ListFile.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTableView>
#include <QTimer>

#include <sys/stat.h>

#include <cstdio>
#include <functional>

namespace {

QVector<SListEntry> ReadListFile(const QString& strList)
{
    QFile file(strList);
    return file.open(QIODevice::ReadOnly) ? ParseListFile(file.readAll()) : QVector<SListEntry>();
}

class CPathRows : public IWalkHandler {
public:
    QVector<FileRecord> rows;
    void FoundFile(const QByteArray& path, const SFileFacts*) override
    {
        rows.append(MakeFileRecord(path, rows.size() % 3 != 2, nullptr));
    }
};

int WriteList(const QByteArray& dir, const QByteArray& out)
{
    CPathRows walk;
    ScanDirectory(dir, true, walk);
    CFileListModel model;
    model.AppendRows(walk.rows);
    return SaveListFile(out, model) ? 0 : 1;
}

int StatList(const QString& strList)
{
    QElapsedTimer t;
    t.start();
    int nFound = 0;
    for (const SListEntry& entry : ReadListFile(strList)) {
        struct stat st;
        nFound += ::stat(entry.path.constData(), &st) == 0 ? 1 : 0;
    }
    std::printf("%.6f %d files\n", double(t.nsecsElapsed()) / 1e9, nFound);
    return 0;
}

// The window's command (its action pszAction) with its file dialog answered strTarget, its
// questions Yes (but the one to open the file), timed from the dialog's OK to the box whose
// caption or text is strEnd, or (with an empty strEnd) to the end of the long operation with nRows
// rows in the list.
int TimeCommand(int argc, char** argv, const QString& strList, const char* pszAction, const QString& strTarget,
                const QString& strEnd)
{
    return WithWindow(argc, argv, [&](CPageCountDlg& dlg) {
        const QVector<SListEntry> entries = ReadListFile(strList);
        if (!strEnd.isEmpty()) {
            QVector<FileRecord> rows;
            for (const SListEntry& entry : entries) {
                rows.append(MakeFileRecord(entry.path, entry.bInUse));
                rows.last().nPages = rows.size() % 7;
            }
            dlg.GetModel()->AppendRows(rows);
        }
        QCoreApplication::processEvents();
        CPaintCounter paints;
        dlg.GetListView()->viewport()->installEventFilter(&paints);
        QElapsedTimer t;
        qint64 nDoneAt = -1;
        int nPaintsAtStart = 0;
        CModalWatch watch([&](QWidget* pModal) {
            if (auto* pDialog = qobject_cast<QFileDialog*>(pModal)) {
                pDialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(strTarget);
                nPaintsAtStart = paints.nPaints;
                t.start();
                static_cast<QDialog*>(pDialog)->accept();
            } else if (auto* pBox = qobject_cast<QMessageBox*>(pModal)) {
                if (nDoneAt < 0 && (pBox->windowTitle() == strEnd || pBox->text() == strEnd))
                    nDoneAt = t.nsecsElapsed();
                QAbstractButton* pYes = pBox->button(QMessageBox::Yes);
                if (pYes && !pBox->text().startsWith(QLatin1String("Do you want to open")))
                    pYes->click();
                else
                    pBox->buttons().last()->click();
            }
        });
        // A load ends with the long operation, without a box.
        QObject::connect(&dlg.Operations(), &CLongOperations::changed, &dlg, [&](ELongOperation eNow) {
            if (strEnd.isEmpty() && eNow == ELongOperation::None && t.isValid() && nDoneAt < 0)
                nDoneAt = t.nsecsElapsed();
        });
        QTimer::singleShot(0, &dlg, [&] { Trigger(dlg, pszAction); });
        RunUntil([&] { return nDoneAt >= 0; });
        const double dSeconds = double(nDoneAt) / 1e9;
        std::printf("%.6f %d rows, %.1f repaints/s\n", dSeconds, dlg.GetModel()->GetRowCount(),
                    double(paints.nPaints - nPaintsAtStart) / dSeconds);
        return nDoneAt < 0 ? 1 : 0;
    });
}

}  // namespace

// The list benchmarks' modes; -1 for a mode that is not one of them.
int PersistBench(int argc, char** argv)
{
    const QByteArray mode = argv[1];
    const QString strArg = QFile::decodeName(argv[2]);
    const QString strOut = argc > 3 ? QFile::decodeName(argv[3]) : QString();
    if (mode == "write-list" && argc > 3)
        return WriteList(QFile::encodeName(QFileInfo(strArg).absoluteFilePath()), argv[3]);
    if (mode == "stat-list")
        return StatList(strArg);
    if (mode == "gui-load")
        return TimeCommand(argc, argv, strArg, "actionLoadList", strArg, QString());
    // The target is new each time: no question whether to replace it.
    const struct {
        const char* pszMode;
        const char* pszAction;
        const char* pszEnd;
    } kWrites[] = {{"gui-save", "actionSaveListAs", "List File Saved OK"},
                   {"gui-csv", "actionCsvReport", "Done"},
                   {"gui-text", "actionTextReport", "Done"}};
    for (const auto& w : kWrites) {
        if (mode == w.pszMode && argc > 3) {
            QFile::remove(strOut);
            return TimeCommand(argc, argv, strArg, w.pszAction, strOut, QString::fromLatin1(w.pszEnd));
        }
    }
    return -1;
}
