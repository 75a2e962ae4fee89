// POSIX directory walk: readdir, with a stat only where the entry's type is not given or is a link.
#include "DirectoryWalker.h"

#include "FileFacts.h"
#include "common/core/FileName.h"

#include <QString>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>
#include <utility>
#include <vector>

namespace {

struct SEntry {
    QByteArray name;
    QString strShown;       // what name order compares
    bool bDirectory;
};

// Name order as the file systems of the program's first platform return it: letters compare
// without regard to case, and only names equal but for case fall back to their exact bytes.
bool NameLess(const SEntry& a, const SEntry& b)
{
    const int n = a.strShown.compare(b.strShown, Qt::CaseInsensitive);
    return n != 0 ? n < 0 : a.name < b.name;
}

class CWalk {
public:
    CWalk(bool bSubFolders, IWalkHandler& handler) : m_bSubFolders(bSubFolders), m_handler(handler) {}

    // False when the walk was stopped.
    bool Walk(const QByteArray& dir)
    {
        if (m_handler.StopRequested())
            return false;
        // Each directory is opened by its whole path, however long (the opening goes a piece at a
        // time where the path is longer than the system takes), so no descriptor is held across
        // levels and no depth is out of reach.
        const int fd = OpenPath(dir, O_RDONLY | O_DIRECTORY | O_NOCTTY);
        if (fd < 0) {
            m_handler.UnreadableDirectory(dir, errno);
            return true;
        }
        // A directory is known by its identity, not its path, so links cannot bring it back.
        struct stat st;
        if (::fstat(fd, &st) != 0 || !m_visited.insert({st.st_dev, st.st_ino}).second) {
            ::close(fd);
            return true;
        }
        DIR* pDir = ::fdopendir(fd);
        if (!pDir) {
            const int nErrno = errno;
            ::close(fd);
            m_handler.UnreadableDirectory(dir, nErrno);
            return true;
        }
        m_handler.EnterDirectory(dir);
        int nErrno = 0;
        std::vector<SEntry> entries = ReadEntries(pDir, &nErrno);
        ::closedir(pDir);
        if (nErrno != 0)
            m_handler.UnreadableDirectory(dir, nErrno);
        std::sort(entries.begin(), entries.end(), NameLess);
        for (const SEntry& e : entries) {
            if (m_handler.StopRequested())
                return false;
            const QByteArray path = JoinScanPath(dir, e.name);
            if (!e.bDirectory)
                m_handler.FoundFile(path);
            else if (m_bSubFolders && e.name[0] != '.' && !Walk(path))
                return false;
        }
        return true;
    }

private:
    static std::vector<SEntry> ReadEntries(DIR* pDir, int* pErrno)
    {
        std::vector<SEntry> entries;
        const int fd = ::dirfd(pDir);
        for (;;) {
            errno = 0;
            const dirent* pEntry = ::readdir(pDir);
            if (!pEntry) {
                *pErrno = errno;
                break;
            }
            const char* pszName = pEntry->d_name;
            if (std::strcmp(pszName, ".") == 0 || std::strcmp(pszName, "..") == 0)
                continue;
            bool bDirectory = pEntry->d_type == DT_DIR;
            if (pEntry->d_type == DT_LNK || pEntry->d_type == DT_UNKNOWN) {
                // A link counts as what it leads to; a broken one as a file.
                struct stat st;
                bDirectory = ::fstatat(fd, pszName, &st, 0) == 0 && S_ISDIR(st.st_mode);
            }
            const QByteArray name(pszName);
            entries.push_back({name, DisplayFileName(name), bDirectory});
        }
        return entries;
    }

    bool m_bSubFolders;
    IWalkHandler& m_handler;
    std::set<std::pair<dev_t, ino_t>> m_visited;
};

}  // namespace

void ScanDirectory(const QByteArray& dir, bool bSubFolders, IWalkHandler& handler)
{
    if (dir.isEmpty())
        return;
    CWalk(bSubFolders, handler).Walk(dir);
}

QByteArray JoinScanPath(const QByteArray& dir, const QByteArray& name)
{
    return CollapseSeparators(dir + '/' + name);
}
