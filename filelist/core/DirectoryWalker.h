// The directory walk of a scan: every file of a directory, and of its sub-directories when asked,
// depth first with the entries of each directory in name order (letters compared without regard
// to case). Paths are the file system's bytes and may be of any length.
#pragma once

#include <QByteArray>

class IWalkHandler {
public:
    virtual ~IWalkHandler() = default;
    // Tested before every entry; true ends the whole walk.
    virtual bool StopRequested() { return false; }
    virtual void EnterDirectory(const QByteArray& dir) { Q_UNUSED(dir); }
    // Anything that is not a directory: files, links to files, broken links, FIFOs, sockets.
    virtual void FoundFile(const QByteArray& path) = 0;
    // A directory that could not be opened or read to its end; nErrno says why.
    virtual void UnreadableDirectory(const QByteArray& dir, int nErrno)
    {
        Q_UNUSED(dir);
        Q_UNUSED(nErrno);
    }
};

// Walks dir. Sub-directories are entered only with bSubFolders, never when their name begins
// with "." (hidden files are listed all the same), and each directory only once, so links that
// lead back into the tree cannot make the walk go round. Every level is reached, however deep.
void ScanDirectory(const QByteArray& dir, bool bSubFolders, IWalkHandler& handler);

// dir + "/" + name, with every run of separators collapsed to one ("/" + "a" is "/a", not "//a").
QByteArray JoinScanPath(const QByteArray& dir, const QByteArray& name);
