#include "FileRequests.h"

#include "tiff/PageCounter.h"

QByteArray CountRequest(const QByteArray& path)
{
    return ListedItem(EListedAs::File, path);
}

QByteArray AnswerFileRequest(const QByteArray& request, IReplySink& sink)
{
    QByteArray answer;
    if (AnswerFsRequest(request, sink, &answer) || AnswerSignatureRequest(request, &answer))
        return answer;
    return CountItem(request);
}
