// The reports a bureau bills by and its customer checks the bill by.
#pragma once

#include <QByteArray>

// The folder a path lies in, as dirname(1) gives it: the path before its last "/" without the
// slashes that end it, "/" for a path in the root, "." for a bare name.
QByteArray FolderOf(const QByteArray& path);
