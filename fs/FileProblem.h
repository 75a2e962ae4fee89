// The reasons a failure box gives, in the system's own words where the system has them.
#pragma once

#include <QByteArray>
#include <QString>

// The system's words for an error number ("No space left on device").
QString SystemReason(int nErrno);

// For a FIFO, socket or device, which the program neither reads nor replaces.
QString NotRegularFileReason();

// Why the file at path cannot be opened for reading, from a fresh look at it; empty when the look
// finds nothing wrong (the file changed since, or the reason is one the look cannot see).
QString UnreadableReason(const QByteArray& path);
