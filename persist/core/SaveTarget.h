// Where a list file or a report is written, and how: beside the file it replaces, put in its place
// only when every byte reached the disk, so a failure never leaves a file cut short or destroys the
// one that was there.
#pragma once

#include <QByteArray>
#include <QString>

class CBlockWriter;
class QSaveFile;

// The name under which Qt's file classes reach a path, when they reach exactly it (its bytes are
// UTF-8, as every name a file dialog gives is) and it may be written: a new name, or a regular
// file, also through a link. Anything else is refused, with the reason in *pError: a directory; a
// device node, which an atomic save would replace by a plain file; a FIFO, whose opening would block
// the program.
bool WritableFileName(const QByteArray& path, QString* pName, QString* pError);

// Opens *pFile to write the new file for path, in the same folder; false with the system's reason
// in *pError. Nothing of an existing file is touched yet.
bool OpenReplacement(const QByteArray& path, QSaveFile* pFile, QString* pError);

// Puts the new file in place when every write of out reached it; otherwise, or when that fails,
// removes it, keeps what was there, and returns false with the reason in *pError.
bool CommitReplacement(QSaveFile* pFile, CBlockWriter& out, QString* pError);
