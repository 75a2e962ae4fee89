// The file-name codec: the one place where a path's bytes meet text.
//
// On this platform a path is a string of bytes. The program keeps every path as the bytes the file
// system gave it (QByteArray), from where it enters (directory walk, drop, list file, command line)
// to every use (stat, open, libtiff, list files, reports), so a name that is not valid UTF-8 is
// listed, counted and saved like any other. Text is made from a path only to show it.
#pragma once

#include <QByteArray>
#include <QString>

class QUrl;

// The path as the user reads it: valid UTF-8 as it is; every byte that is not part of valid UTF-8
// as the Windows-1252 letter it most likely is (old Windows disks and Latin-1 archives), or as
// "\xNN" where that code page has no letter for it. The bytes themselves are never changed by it.
QString DisplayFileName(const QByteArray& path);

// The number of characters DisplayFileName shows for a path, each byte outside valid UTF-8 counting
// as one: the width of a name in a fixed-width report.
int FileNameCharCount(const QByteArray& path);

// A name the user typed (or a widget gave as text) as path bytes: UTF-8.
QByteArray FileNameFromText(const QString& strText);

// The path of a local file URL with the exact bytes of its percent-encoded form; empty for a URL
// that does not name a local file.
QByteArray FileNameFromUrl(const QUrl& url);

// A file URL whose percent-encoded path holds the exact bytes of a path (relative paths are taken
// from the current directory), for handing a file to the desktop.
QUrl FileUrl(const QByteArray& path);

// The path with every run of "/" collapsed to one.
QByteArray CollapseSeparators(QByteArray path);
