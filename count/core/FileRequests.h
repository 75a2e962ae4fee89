// The requests the window and pagewick-count send to the worker processes: the file layer's
// (fs/FileRequests.h), the signature test (tiff/PageCounter.h) and the count of a file, whose
// answer is an SFileResult; and the handler that answers them all in a worker.
#pragma once

#include "FileResult.h"
#include "fs/FileRequests.h"

#include <QByteArray>

class IReplySink;

QByteArray CountRequest(const QByteArray& path);

// Answers any of the requests, in a worker (or, where there are none, in the program itself).
QByteArray AnswerFileRequest(const QByteArray& request, IReplySink& sink);
