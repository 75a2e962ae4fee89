// The directory walk of a scan: every file of a directory, and of its sub-directories when asked,
// depth first with the entries of each directory in name order (letters compared without regard
// to case).
#pragma once

#include <QString>

class IWalkHandler {
public:
    virtual ~IWalkHandler() = default;
    // Tested before every entry; true ends the whole walk.
    virtual bool StopRequested() { return false; }
    virtual void EnterDirectory(const QString& strDir) { Q_UNUSED(strDir); }
    // Anything that is not a directory: files, links to files, broken links, FIFOs, sockets.
    virtual void FoundFile(const QString& strPath) = 0;
    virtual void UnreadableDirectory(const QString& strDir) { Q_UNUSED(strDir); }
};

// Walks dir. Sub-directories are entered only with bSubFolders, never when their name begins
// with "." (hidden files are listed all the same), and each directory only once, so links that
// lead back into the tree cannot make the walk go round.
void ScanDirectory(const QString& strDir, bool bSubFolders, IWalkHandler& handler);

// dir + "/" + name, with every run of separators collapsed to one ("/" + "a" is "/a", not "//a").
QString JoinScanPath(const QString& strDir, const QString& strName);
