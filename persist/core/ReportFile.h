// A report being written to its file: the file is created, or an existing one emptied, when it is
// opened (before the user is asked what goes into it, as the Windows version did); the rows go in
// as the writer is told; closing says whether every byte reached the file.
#pragma once

#include "ReportWriter.h"

#include <QByteArray>
#include <QFile>

#include <memory>

enum class EReportKind { Csv, Text };

class CReportFile {
public:
    CReportFile(const QByteArray& path, EReportKind eKind);
    ~CReportFile();
    CReportFile(const CReportFile&) = delete;
    CReportFile& operator=(const CReportFile&) = delete;

    // False when the file cannot be created or opened for writing.
    bool Open();
    // Valid once opened.
    CReportWriter& Writer() { return *m_pWriter; }
    // Flushes and closes; false when a write, the flush or the close failed.
    bool Close();

private:
    QByteArray m_path;
    EReportKind m_eKind;
    QFile m_file;
    std::unique_ptr<CReportWriter> m_pWriter;
};
