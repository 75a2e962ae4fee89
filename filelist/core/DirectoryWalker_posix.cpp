// POSIX directory walk: readdir, with a stat only where the entry's type is not given or is a link.
#include "DirectoryWalker.h"

#include <QFile>

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

struct SEntry {
    std::string name;
    QString strName;
    bool bDirectory;
};

// Name order as the file systems of the program's first platform return it: letters compare
// without regard to case, and only names equal but for case fall back to their exact text.
bool NameLess(const SEntry& a, const SEntry& b)
{
    const int n = a.strName.compare(b.strName, Qt::CaseInsensitive);
    return n != 0 ? n < 0 : a.name < b.name;
}

class CWalk {
public:
    CWalk(bool bSubFolders, IWalkHandler& handler) : m_bSubFolders(bSubFolders), m_handler(handler) {}

    // False when the walk was stopped.
    bool Walk(const QString& strDir)
    {
        if (m_handler.StopRequested())
            return false;
        const QByteArray dirBytes = QFile::encodeName(strDir);
        DIR* pDir = ::opendir(dirBytes.constData());
        if (!pDir) {
            m_handler.UnreadableDirectory(strDir);
            return true;
        }
        // A directory is known by its identity, not its path, so links cannot bring it back.
        struct stat st;
        if (::fstat(::dirfd(pDir), &st) != 0 || !m_visited.insert({st.st_dev, st.st_ino}).second) {
            ::closedir(pDir);
            return true;
        }
        m_handler.EnterDirectory(strDir);
        std::vector<SEntry> entries = ReadEntries(pDir, dirBytes);
        ::closedir(pDir);
        std::sort(entries.begin(), entries.end(), NameLess);
        for (const SEntry& e : entries) {
            if (m_handler.StopRequested())
                return false;
            const QString strPath = JoinScanPath(strDir, e.strName);
            if (!e.bDirectory)
                m_handler.FoundFile(strPath);
            else if (m_bSubFolders && e.name[0] != '.' && !Walk(strPath))
                return false;
        }
        return true;
    }

private:
    static std::vector<SEntry> ReadEntries(DIR* pDir, const QByteArray& dirBytes)
    {
        std::vector<SEntry> entries;
        while (const dirent* pEntry = ::readdir(pDir)) {
            const char* pszName = pEntry->d_name;
            if (std::strcmp(pszName, ".") == 0 || std::strcmp(pszName, "..") == 0)
                continue;
            bool bDirectory = pEntry->d_type == DT_DIR;
            if (pEntry->d_type == DT_LNK || pEntry->d_type == DT_UNKNOWN) {
                // A link counts as what it leads to; a broken one as a file.
                struct stat st;
                const QByteArray path = dirBytes + '/' + pszName;
                bDirectory = ::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
            }
            entries.push_back({pszName, QFile::decodeName(pszName), bDirectory});
        }
        return entries;
    }

    bool m_bSubFolders;
    IWalkHandler& m_handler;
    std::set<std::pair<dev_t, ino_t>> m_visited;
};

}  // namespace

void ScanDirectory(const QString& strDir, bool bSubFolders, IWalkHandler& handler)
{
    if (strDir.isEmpty())
        return;
    CWalk(bSubFolders, handler).Walk(strDir);
}

QString JoinScanPath(const QString& strDir, const QString& strName)
{
    QString strPath = strDir + u'/' + strName;
    // Collapse runs of separators in one pass.
    int nOut = 0;
    for (int i = 0; i < int(strPath.size()); ++i) {
        if (strPath[i] == u'/' && nOut > 0 && strPath[nOut - 1] == u'/')
            continue;
        strPath[nOut++] = strPath[i];
    }
    strPath.truncate(nOut);
    return strPath;
}
