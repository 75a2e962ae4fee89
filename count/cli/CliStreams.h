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

// The progress line's text: "1,234 of 5,678 files, 98,765 pages, 412 files/s, 0:11 left"; while
// files are still being found, their number so far and "+".
QByteArray ProgressText(qint64 nDone, qint64 nFound, bool bAllFound, qint64 nPages, double dSeconds);

// A file that has not answered for this long is named on the progress line.
constexpr qint64 kNameWaitingMs = 10000;
// "; waiting 12 s for FILE", to follow the progress line's text.
QByteArray WaitingText(const QByteArray& path, qint64 nSeconds);

// What the files counted so far came to.
struct SRunTally {
    qint64 nFiles = 0;
    qint64 nPages = 0;
    qint64 nShort = 0;
    qint64 nUnreadable = 0;
    qint64 nLost = 0;           // with the workers that died on them
};
// The line the progress line leaves at the end: "5,209 files, 61,000 pages in 3.2 s; 20 short,
// 4 unreadable" (the parts after ";" only where they are not 0).
QByteArray SummaryText(const SRunTally& tally, double dSeconds);

// The report's destination.
class CReportOutput {
public:
    CReportOutput() = default;
    ~CReportOutput();
    CReportOutput(const CReportOutput&) = delete;
    CReportOutput& operator=(const CReportOutput&) = delete;

    // Standard output for an empty path or "-", and for the file that standard output (the
    // descriptor nStandardOutputFd, -1 for none) already writes; a terminal, pipe or device
    // written into as a redirection would; or a new temporary file beside a regular file. False
    // with the reason in *pError when it cannot be opened or made.
    bool Open(const QByteArray& path, QIODevice* pStandardOutput, int nStandardOutputFd, QString* pError);
    QIODevice* Device() { return m_pDevice; }
    bool IsStandardOutput() const { return m_pDevice != &m_file; }
    // Whether what it opened is a terminal (standard output's caller knows of its own).
    bool IsTerminal() const;
    // For a file: every byte on disk, then the file in place of path; false with the reason, and
    // the temporary file gone, when that fails. For what it writes into: closed. For standard
    // output: nothing more to do.
    bool Commit(QString* pError);
    // The temporary file goes; path stays as it was.
    void Discard();

private:
    // m_fd as the device written to.
    bool OpenFile(QString* pError);

    QIODevice* m_pDevice = nullptr;
    QFile m_file;
    int m_fd = -1;
    bool m_bStream = false;     // not a file to replace, but one to write into
    QByteArray m_target;
    QByteArray m_temporary;
};
