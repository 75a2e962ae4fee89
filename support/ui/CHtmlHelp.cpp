#include "CHtmlHelp.h"

#include "CHelpWindow.h"
#include "common/ui/AppMessageBox.h"
#include "support/core/HelpFile.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHelpEngineCore>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

const char kStampName[] = "copied-from";

// Writes a file whole or not at all, so that a copy cut short by a full disk never passes for one.
bool WriteWhole(const QString& strPath, const QByteArray& data, QString* pError)
{
    QSaveFile file(strPath);
    if (file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.commit())
        return true;
    *pError = QStringLiteral("%1 could not be written: %2").arg(QDir::toNativeSeparators(strPath), file.errorString());
    return false;
}

bool ReadWhole(const QString& strPath, QByteArray* pData, QString* pError)
{
    QFile file(strPath);
    if (file.open(QIODevice::ReadOnly)) {
        *pData = file.readAll();
        if (file.error() == QFile::NoError)
            return true;
    }
    *pError = QStringLiteral("%1 could not be read: %2").arg(QDir::toNativeSeparators(strPath), file.errorString());
    return false;
}

// The collection holds the help: its documentation is registered and the main page is there.
bool HoldsTheHelp(const QString& strCollection)
{
    QHelpEngineCore core(strCollection);
    core.setReadOnly(true);
    return core.setupData() && !core.registeredDocumentations().isEmpty() &&
           !core.fileData(CHelpWindow::TopicUrl(MainHelpTopic())).isEmpty();
}

}  // namespace

CHtmlHelpLoader::CHtmlHelpLoader(const QString& strExeDir, const QString& strCurrentDir, const QString& strCopyDir)
    : m_strExeDir(strExeDir), m_strCurrentDir(strCurrentDir), m_strCopyDir(strCopyDir)
{
}

CHtmlHelpLoader& CHtmlHelpLoader::Instance()
{
    static CHtmlHelpLoader loader;
    return loader;
}

bool CHtmlHelpLoader::Bind(const QString& strFile)
{
    ++m_nBindAttempts;
    const QString strExeDir = m_strExeDir.isEmpty() ? QCoreApplication::applicationDirPath() : m_strExeDir;
    const QString strCurrentDir = m_strCurrentDir.isEmpty() ? QDir::currentPath() : m_strCurrentDir;
    const QStringList candidates = HelpFileCandidates(strFile, strExeDir, strCurrentDir);
    for (const QString& strCandidate : candidates) {
        // Only an existing file: the help engine would make an empty collection of a missing one.
        if (!QFileInfo(strCandidate).isFile())
            continue;
        QString strCopyDir = m_strCopyDir;
        if (strCopyDir.isEmpty()) {
            const QString strCache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
            if (strCache.isEmpty()) {
                m_strFailure = QStringLiteral("There is no folder of your own to keep the help's search index in.");
                return false;
            }
            strCopyDir = strCache + QStringLiteral("/help");
        }
        QString strError;
        const QString strCopy = UserHelpCopy(strCandidate, strCopyDir, &strError);
        if (strCopy.isEmpty()) {
            m_strFailure = strError;
            return false;
        }
        if (!HoldsTheHelp(strCopy)) {
            m_strFailure = QStringLiteral("%1 is damaged or is not Pagewick's help.")
                               .arg(QDir::toNativeSeparators(strCandidate));
            return false;
        }
        m_strCollection = strCopy;
        return true;
    }
    QStringList folders;
    for (const QString& strCandidate : candidates)
        folders << QDir::toNativeSeparators(QFileInfo(strCandidate).absolutePath());
    m_strFailure = QStringLiteral("The help file %1 is in none of these folders:\n%2")
                       .arg(strFile, folders.join(u'\n'));
    return false;
}

CHelpWindow* CHtmlHelpLoader::HtmlHelp(QWidget* pOwner, const QString& strFile, const QString& strTopic)
{
    if (m_eBinding == BIND_NOT_TRIED)
        m_eBinding = Bind(strFile) ? BIND_DONE : BIND_FAILED;
    if (m_eBinding == BIND_DONE && !m_pWindow) {
        m_pWindow = new CHelpWindow(m_strCollection, pOwner);
        if (!m_pWindow->IsReady()) {
            delete m_pWindow;
            m_strFailure = QStringLiteral("%1 could not be opened.").arg(QDir::toNativeSeparators(m_strCollection));
        }
    }
    if (!m_pWindow) {
        AppMessageBox(pOwner, QStringLiteral("The help cannot be shown."), QString(), QMessageBox::Ok,
                      QMessageBox::Warning, QMessageBox::NoButton, m_strFailure);
        return nullptr;
    }
    m_pWindow->ShowTopic(strTopic.isEmpty() ? MainHelpTopic() : strTopic);
    m_pWindow->show();
    m_pWindow->raise();
    m_pWindow->activateWindow();
    return m_pWindow;
}

QString UserHelpCopy(const QString& strCollection, const QString& strCopyDir, QString* pError)
{
    const QFileInfo source(strCollection);
    const QByteArray stamp = HelpCopyStamp(source.absoluteFilePath(), source.size(),
                                           source.lastModified().toMSecsSinceEpoch());
    const QString strCopy = strCopyDir + u'/' + source.fileName();
    const QString strStamp = strCopyDir + u'/' + QLatin1String(kStampName);
    {
        QFile made(strStamp);
        if (QFileInfo(strCopy).isFile() && made.open(QIODevice::ReadOnly) && made.readAll() == stamp)
            return strCopy;
    }

    // The documentation files that lie beside the collection go with it; the collection names them
    // relative to itself.
    QStringList docs;
    {
        QHelpEngineCore core(strCollection);
        core.setReadOnly(true);
        if (!core.setupData()) {
            *pError = QStringLiteral("%1 could not be read: %2")
                          .arg(QDir::toNativeSeparators(strCollection), core.error());
            return QString();
        }
        for (const QString& strNamespace : core.registeredDocumentations()) {
            const QFileInfo doc(core.documentationFileName(strNamespace));
            if (doc.absolutePath() == source.absolutePath())
                docs << doc.fileName();
        }
    }
    if (!QDir().mkpath(strCopyDir)) {
        *pError = QStringLiteral("The folder %1 could not be made.").arg(QDir::toNativeSeparators(strCopyDir));
        return QString();
    }
    // A copy being remade is no copy until its stamp is written again; the search index of the old
    // one goes, so that it is built for the pages as they are now.
    QFile::remove(strStamp);
    QDir(strCopyDir + QStringLiteral("/.") + source.completeBaseName()).removeRecursively();
    QByteArray data;
    for (const QString& strName : QStringList(source.fileName()) + docs) {
        if (!ReadWhole(source.absolutePath() + u'/' + strName, &data, pError) ||
            !WriteWhole(strCopyDir + u'/' + strName, data, pError))
            return QString();
    }
    if (!WriteWhole(strStamp, stamp, pError))
        return QString();
    return strCopy;
}
