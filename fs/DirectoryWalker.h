// The directory walk of a scan: every file of a directory, and of its sub-directories when asked,
// depth first with the entries of each directory in name order (letters compared without regard
// to case). Paths are the file system's bytes and may be of any length; trees may be of any depth.
#pragma once

#include "common/core/TaskPool.h"

#include <QByteArray>

struct SFileFacts;

class IWalkHandler {
public:
    virtual ~IWalkHandler() = default;
    // Tested before every entry; true ends the whole walk.
    virtual bool StopRequested() { return false; }
    virtual void EnterDirectory(const QByteArray& dir) { Q_UNUSED(dir); }
    // Anything that is not a directory: files, links to files, broken links, FIFOs, sockets. With
    // the files' facts asked for, pFacts holds them, or is null for a file that is not a regular
    // file that can be read; without, it is null.
    virtual void FoundFile(const QByteArray& path, const SFileFacts* pFacts) = 0;
    // A directory that could not be opened or read to its end; nErrno says why.
    virtual void UnreadableDirectory(const QByteArray& dir, int nErrno)
    {
        Q_UNUSED(dir);
        Q_UNUSED(nErrno);
    }
};

struct SWalkOptions {
    bool bSubFolders = false;
    // Each file is looked at (ReadFileFacts) as part of the walk.
    bool bFileFacts = false;
    // Directories read and files looked at at once.
    int nInFlight = kFilesInFlight;
};

// Walks dir. Sub-directories are entered only with bSubFolders, never when their name begins
// with "." (hidden files are listed all the same), and each directory only once, so links that
// lead back into the tree cannot make the walk go round. Every level is reached, however deep.
// Directories are read and files looked at many at once, ahead of the walk, on a network share
// as on a local disk, while the handler hears of them in exactly the walk's order, on the calling
// thread.
void ScanDirectory(const QByteArray& dir, const SWalkOptions& options, IWalkHandler& handler);
void ScanDirectory(const QByteArray& dir, bool bSubFolders, IWalkHandler& handler);
