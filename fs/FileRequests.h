// The file layer's requests to the worker processes (see count/core): a look at a file, a walk of
// a directory, the bytes of a file; how their answers read, and how a worker answers them. Each
// request begins with a letter of its own: 'K' what a path names, 'I' a look, 'W' a walk, 'R' a read.
#pragma once

#include "FileFacts.h"

#include <QByteArray>
#include <QString>
#include <QVector>

class IReplySink;

// What a path names (PathKind), and, where nothing, why: the answer reads with ReadKindAnswer.
QByteArray KindRequest(const QByteArray& path);
bool ReadKindAnswer(const QByteArray& answer, EPathKind* peKind, int* pnErrno);
// A file's size, times and identity: the answer reads with ReadFactsAnswer.
QByteArray FactsRequest(const QByteArray& path);
// A directory's files in the walk's order, sent as parts (ReadWalkPart) while the walk goes on; with
// bFileFacts each file's facts, else each file as found (an UnreadableFile event).
QByteArray WalkRequest(const QByteArray& dir, bool bSubFolders, bool bFileFacts = true);
// A file's bytes, sent as parts of up to a megabyte; the answer reads with ReadFileAnswer.
QByteArray ReadFileRequest(const QByteArray& path);

// Answers a request of the file layer in *pAnswer; false for a request of another kind.
bool AnswerFsRequest(const QByteArray& request, IReplySink& sink, QByteArray* pAnswer);

// What a look at a file found: what the path names, and a regular file's facts.
struct SFactsAnswer {
    EPathKind eKind = EPathKind::Missing;
    bool bReadable = false;     // a regular file that can be read: the facts are its
    SFileFacts facts;
};
bool ReadFactsAnswer(const QByteArray& answer, SFactsAnswer* pFacts);

// A part of a walk: the files found, in order, each with its facts where it can be read, the
// directories entered and those that could not be read.
struct SWalkEvent {
    enum class EKind : quint8 { Entered, File, UnreadableFile, UnreadableDirectory };
    EKind eKind;
    QByteArray path;
    SFileFacts facts;
    int nErrno = 0;
};
bool ReadWalkPart(const QByteArray& part, QVector<SWalkEvent>* pEvents);

// The answer of ReadFileRequest: empty when the whole file was sent, else why it could not be read.
QString ReadFileAnswer(const QByteArray& answer);
