// Where pagewick-count writes: standard error with its progress line, and the report, to standard
// output or to a file that is replaced only once the whole report is in it.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <chrono>
#include <mutex>

class QIODevice;

// Standard error: whole lines from any thread, and on a terminal one line that shows the progress
// and is erased before anything else is written.
class CErrorStream {
public:
    CErrorStream(QIODevice& err, bool bProgress) : m_err(err), m_bProgress(bProgress) {}

    void Write(const QByteArray& lines);
    bool ShowsProgress() const { return m_bProgress; }
    // Redraws the progress line with text, at most ten times a second unless bNow.
    void Progress(const QByteArray& text, bool bNow = false);
    // Erases the progress line, if it is shown.
    void ClearProgress();

private:
    void ClearLocked();

    std::mutex m_mutex;
    QIODevice& m_err;
    bool m_bProgress;
    bool m_bShown = false;
    std::chrono::steady_clock::time_point m_lastDrawn;
};

// The progress line's text: "1234 of 5678 files, 98765 pages, 412 files/s, 0:11 left"; while files
// are still being found, their number so far and "+".
QByteArray ProgressText(qint64 nDone, qint64 nFound, bool bAllFound, qint64 nPages, double dSeconds);

// The report's destination.
class CReportOutput {
public:
    CReportOutput() = default;
    ~CReportOutput();
    CReportOutput(const CReportOutput&) = delete;
    CReportOutput& operator=(const CReportOutput&) = delete;

    // Standard output as given, or, with a path, a new temporary file beside it; false with the
    // reason in *pError when it cannot be made.
    bool Open(const QByteArray& path, QIODevice* pStandardOutput, QString* pError);
    QIODevice* Device() { return m_pDevice; }
    // For a file: every byte on disk, then the file in place of path; false with the reason, and
    // the temporary file gone, when that fails. For standard output: nothing more to do.
    bool Commit(QString* pError);
    // The temporary file goes; path stays as it was.
    void Discard();

private:
    QIODevice* m_pDevice = nullptr;
    QFile m_file;
    int m_fd = -1;
    QByteArray m_target;
    QByteArray m_temporary;
};
