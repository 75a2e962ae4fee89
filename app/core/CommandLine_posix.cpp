// POSIX current directory: getcwd, as bytes.
#include "CommandLine.h"

#include <cerrno>

#include <unistd.h>

QByteArray CurrentDirectory()
{
    QByteArray buffer(4096, '\0');
    // A directory deeper than the buffer: ERANGE, and a larger buffer.
    while (::getcwd(buffer.data(), size_t(buffer.size())) == nullptr) {
        if (errno != ERANGE)
            return QByteArray();
        buffer.resize(buffer.size() * 2);
    }
    return QByteArray(buffer.constData());
}
