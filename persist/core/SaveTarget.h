// Where a list file or a report may be written.
#pragma once

#include <QByteArray>
#include <QString>

// The name under which Qt's file classes reach a path, when they reach exactly it (its bytes are
// UTF-8, as every name a file dialog gives is) and it may be written: a new name, or a regular
// file, also through a link. Anything else is refused: a directory; a device node, which an atomic
// save would replace by a plain file; a FIFO, whose opening would block the program.
bool WritableFileName(const QByteArray& path, QString* pName);
