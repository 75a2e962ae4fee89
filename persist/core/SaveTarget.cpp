#include "SaveTarget.h"

#include "BlockWriter.h"
#include "fs/FileProblem.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

bool WritableFileName(const QByteArray& path, QString* pName, QString* pError)
{
    const QString strName = QString::fromUtf8(path);
    if (path.isEmpty() || path.contains('\0')) {
        *pError = SystemReason(path.isEmpty() ? ENOENT : EINVAL);
        return false;
    }
    if (strName.toUtf8() != path) {
        *pError = QStringLiteral("The name is not valid UTF-8");
        return false;
    }
    const QFileInfo info(strName);
    if (info.isDir()) {
        *pError = SystemReason(EISDIR);
        return false;
    }
    if (info.exists() && !info.isFile()) {
        *pError = NotRegularFileReason();
        return false;
    }
    *pName = strName;
    return true;
}

bool OpenReplacement(const QByteArray& path, QSaveFile* pFile, QString* pError)
{
    QString strName;
    if (!WritableFileName(path, &strName, pError))
        return false;
    pFile->setFileName(strName);
    // No fallback to writing into the old file, which a failure would destroy.
    pFile->setDirectWriteFallback(false);
    // The writer makes blocks of its own; the file hands each one on at once, so a failure shows there.
    if (!pFile->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *pError = pFile->errorString();
        return false;
    }
    return true;
}

bool CommitReplacement(QSaveFile* pFile, CBlockWriter& out, QString* pError)
{
    if (!out.Flush()) {
        // The write's own reason: the file's is gone once the new file is dropped.
        *pError = out.ErrorString();
        pFile->cancelWriting();
        pFile->commit();        // only removes the new file
        return false;
    }
    if (!pFile->commit()) {
        *pError = pFile->errorString();
        return false;
    }
    return true;
}
