// A report being written to its file. Opening starts a new file beside the chosen one (before the
// user is asked what goes into it, as the Windows version opened the file); the rows go in as the
// writer is told; closing puts the new file in place only when every byte reached it, so a failed
// report leaves no file cut short and an older report of that name stays whole.
#pragma once

#include "ReportWriter.h"

#include <QByteArray>
#include <QSaveFile>
#include <QString>

#include <memory>

enum class EReportKind { Csv, Text, Profile, FolderSummary, Audit };

class CReportFile {
public:
    CReportFile(const QByteArray& path, EReportKind eKind);
    ~CReportFile();
    CReportFile(const CReportFile&) = delete;
    CReportFile& operator=(const CReportFile&) = delete;

    // False when the file cannot be written.
    bool Open();
    // Valid once opened.
    CReportWriter& Writer() { return *m_pWriter; }
    // Puts the report in place; false when a write, the flush or the replacement failed (the new
    // file is then gone, and the old one unchanged).
    bool Close();
    // The system's reason when Open or Close failed.
    const QString& ErrorString() const { return m_strError; }

private:
    QByteArray m_path;
    EReportKind m_eKind;
    QSaveFile m_file;
    std::unique_ptr<CReportWriter> m_pWriter;
    QString m_strError;
};
