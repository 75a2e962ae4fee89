#include "CliStreams.h"

#include "fs/FileProblem.h"

#include <QIODevice>

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// The temporary report of a run that a signal ends: removed, so that nothing half-written stays.
char g_szTemporary[PATH_MAX + 1];

void RemoveTemporaryAndDie(int nSignal)
{
    if (g_szTemporary[0] != '\0')
        ::unlink(g_szTemporary);
    ::signal(nSignal, SIG_DFL);
    ::raise(nSignal);
}

void WatchTemporary(const QByteArray& path)
{
    if (size_t(path.size()) >= sizeof g_szTemporary)
        return;
    std::memcpy(g_szTemporary, path.constData(), size_t(path.size()) + 1);
    for (const int nSignal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
        ::signal(nSignal, RemoveTemporaryAndDie);
}

void ForgetTemporary()
{
    g_szTemporary[0] = '\0';
}

// A count with its thousands separated by commas: "61,000".
QByteArray Thousands(qint64 n)
{
    QByteArray digits = QByteArray::number(n);
    for (qsizetype nAt = digits.size() - 3; nAt > 0; nAt -= 3)
        digits.insert(nAt, ',');
    return digits;
}

}  // namespace

void CErrorStream::Write(const QByteArray& lines)
{
    if (lines.isEmpty())
        return;
    std::lock_guard<std::mutex> lock(m_mutex);
    ClearLocked();
    m_err.write(lines);
}

void CErrorStream::Progress(const QByteArray& text, bool bNow)
{
    if (!m_bProgress)
        return;
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto now = std::chrono::steady_clock::now();
    if (!bNow && m_bShown && now - m_lastDrawn < std::chrono::milliseconds(100))
        return;
    m_lastDrawn = now;
    // Back to the line's start, the text, and the rest of the old line erased.
    m_err.write("\r" + text + "\033[K");
    m_bShown = true;
}

void CErrorStream::ClearProgress()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ClearLocked();
}

void CErrorStream::ClearLocked()
{
    if (m_bShown)
        m_err.write("\r\033[K");
    m_bShown = false;
}

QByteArray ProgressText(qint64 nDone, qint64 nFound, bool bAllFound, qint64 nPages, double dSeconds)
{
    QByteArray text = Thousands(nDone) + " of " + Thousands(nFound) + (bAllFound ? "" : "+") + " files, " +
                      Thousands(nPages) + " pages";
    if (dSeconds < 1 || nDone == 0)
        return text;
    const double dRate = double(nDone) / dSeconds;
    text += ", " + Thousands(std::lround(dRate)) + " files/s";
    if (bAllFound) {
        const qint64 nLeft = qint64(std::ceil(double(nFound - nDone) / dRate));
        text += ", " + QByteArray::number(nLeft / 60) + ':' + QByteArray::number(nLeft % 60).rightJustified(2, '0') +
                " left";
    }
    return text;
}

QByteArray WaitingText(const QByteArray& path, qint64 nSeconds)
{
    return "; waiting " + QByteArray::number(nSeconds) + " s for " + path;
}

QByteArray SummaryText(const SRunTally& tally, double dSeconds)
{
    QByteArray text = Thousands(tally.nFiles) + (tally.nFiles == 1 ? " file, " : " files, ") +
                      Thousands(tally.nPages) + (tally.nPages == 1 ? " page" : " pages") + " in " +
                      QByteArray::number(dSeconds, 'f', 1) + " s";
    QByteArrayList parts;
    for (const auto& [nCount, pszWhat] : {std::pair<qint64, const char*>{tally.nShort, " short"},
                                          {tally.nUnreadable, " unreadable"},
                                          {tally.nLost, " lost"}}) {
        if (nCount != 0)
            parts.append(Thousands(nCount) + pszWhat);
    }
    return parts.isEmpty() ? text : text + "; " + parts.join(", ");
}

CReportOutput::~CReportOutput()
{
    Discard();
}

bool CReportOutput::Open(const QByteArray& path, QIODevice* pStandardOutput, int nStandardOutputFd, QString* pError)
{
    m_pDevice = pStandardOutput;
    if (path.isEmpty() || path == "-")
        return true;
    struct stat st;
    const bool bExists = ::stat(path.constData(), &st) == 0;
    // The file standard output writes already (-o /dev/stdout, or the file of a redirection): its
    // descriptor goes on where the bytes before it ended, as the shell's other commands expect;
    // opened again, it would be cut or replaced under them.
    struct stat out;
    if (bExists && nStandardOutputFd >= 0 && ::fstat(nStandardOutputFd, &out) == 0 && out.st_dev == st.st_dev &&
        out.st_ino == st.st_ino)
        return true;
    if (bExists && !S_ISREG(st.st_mode)) {
        // A terminal, pipe, FIFO or device is written into as a redirection would (a FIFO waits
        // for its reader); there is nothing to replace.
        do {
            m_fd = ::open(path.constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        } while (m_fd < 0 && errno == EINTR);
        if (m_fd < 0) {
            *pError = SystemReason(errno);
            return false;
        }
        m_bStream = true;
        return OpenFile(pError);
    }
    // Through a link, the file it leads to is replaced, as an editor would.
    m_target = path;
    char szReal[PATH_MAX];
    if (bExists && ::realpath(path.constData(), szReal))
        m_target = szReal;
    // The file keeps the permissions of the one it replaces; a new one gets the usual ones.
    mode_t nMode = st.st_mode & 07777;
    if (!bExists) {
        const mode_t nMask = ::umask(0);
        ::umask(nMask);
        nMode = 0666 & ~nMask;
    }
    const qsizetype nSlash = m_target.lastIndexOf('/');
    const QByteArray dir = nSlash < 0 ? QByteArray(".") : nSlash == 0 ? QByteArray("/") : m_target.left(nSlash);
    // A file without a name where the file system allows: a walk of its folder does not list it,
    // and it goes with the process however that ends.
    m_fd = ::open(dir.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, nMode);
    if (m_fd < 0) {
        m_temporary = m_target.left(nSlash + 1) + '.' + m_target.mid(nSlash + 1) + ".XXXXXX";
        m_fd = ::mkostemp(m_temporary.data(), O_CLOEXEC);
        if (m_fd < 0) {
            *pError = SystemReason(errno);
            m_temporary.clear();
            return false;
        }
        WatchTemporary(m_temporary);
        ::fchmod(m_fd, nMode);
    }
    return OpenFile(pError);
}

bool CReportOutput::OpenFile(QString* pError)
{
    if (!m_file.open(m_fd, QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *pError = m_file.errorString();
        Discard();
        return false;
    }
    m_pDevice = &m_file;
    return true;
}

bool CReportOutput::IsTerminal() const
{
    return m_fd >= 0 && ::isatty(m_fd) == 1;
}

bool CReportOutput::Commit(QString* pError)
{
    if (m_fd < 0)
        return true;
    int nErrno = 0;
    if (!m_bStream && ::fsync(m_fd) != 0)
        nErrno = errno;
    if (nErrno == 0 && !m_bStream && m_temporary.isEmpty()) {
        // The unnamed file gets a passing name beside the target, then the target's.
        const qsizetype nSlash = m_target.lastIndexOf('/');
        char szSelf[40];
        std::snprintf(szSelf, sizeof szSelf, "/proc/self/fd/%d", m_fd);
        for (int nTry = 0; nTry < 100 && m_temporary.isEmpty(); ++nTry) {
            QByteArray name = m_target.left(nSlash + 1) + '.' + m_target.mid(nSlash + 1) + '.' +
                              QByteArray::number(quint32(::getpid()) * 100u + quint32(nTry));
            if (::linkat(AT_FDCWD, szSelf, AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW) == 0)
                m_temporary = name;
            else if (errno != EEXIST)
                break;
        }
        if (m_temporary.isEmpty())
            nErrno = errno;
    }
    m_file.close();
    if (::close(m_fd) != 0 && nErrno == 0)
        nErrno = errno;
    m_fd = -1;
    if (nErrno == 0 && !m_bStream && ::rename(m_temporary.constData(), m_target.constData()) != 0)
        nErrno = errno;
    if (nErrno != 0) {
        *pError = SystemReason(nErrno);
        Discard();
        return false;
    }
    m_temporary.clear();
    ForgetTemporary();
    return true;
}

void CReportOutput::Discard()
{
    m_file.close();
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temporary.isEmpty())
        ::unlink(m_temporary.constData());
    m_temporary.clear();
    ForgetTemporary();
}
